#include <gtest/gtest.h>

#include <QIcon>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <memory>

#include "UiTestSupport.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"

namespace {

// A strip of n solid 4 x 4 images in the given colours, each with an olive
// bottom-left pixel (the transparent colour).
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colours)
{
    const int n = int(colours.size());
    auto b = std::make_unique<TBitmap>(4 * n, 4);
    int i = 0;
    for (TColor c : colours) {
        b->Canvas()->Brush()->SetColor(c);
        b->Canvas()->FillRect(Bounds(4 * i++, 0, 4, 4));
    }
    b->SetPixel(0, 3, clOlive);
    return b;
}

class SpeedButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        panel = new TWinControl(form.get());
        panel->SetParent(form.get());
        for (int i = 0; i < 3; ++i) {
            b[i] = new TSpeedButton(form.get());
            b[i]->SetParent(panel);
            b[i]->SetGroupIndex(1);
            b[i]->OnClick = [this](TObject*) { ++clicks; };
        }
    }

    std::unique_ptr<TForm> form;
    TWinControl* panel = nullptr;
    TSpeedButton* b[3] = {};
    int clicks = 0;
};

TEST_F(SpeedButtons, AGroupOnOneParentWorksAsRadioButtons)
{
    b[0]->Click();
    EXPECT_TRUE(b[0]->Down());
    b[1]->Click();
    EXPECT_FALSE(b[0]->Down());
    EXPECT_TRUE(b[1]->Down());
    // Without AllowAllUp a down button stays down.
    b[1]->Click();
    EXPECT_TRUE(b[1]->Down());
    b[1]->SetDown(false);
    EXPECT_TRUE(b[1]->Down());
    EXPECT_EQ(clicks, 3);

    b[2]->SetDown(true);
    EXPECT_FALSE(b[1]->Down());
    EXPECT_TRUE(b[2]->Down());
}

TEST_F(SpeedButtons, AMouseClickOnTheWidgetPressesTheButton)
{
    QWidget* w = b[1]->Widget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    EXPECT_TRUE(b[1]->Down());
    EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtons, AllowAllUpIsSharedByTheGroupAndLetsAClickRelease)
{
    b[0]->SetAllowAllUp(true);
    EXPECT_TRUE(b[2]->AllowAllUp());
    b[2]->Click();
    EXPECT_TRUE(b[2]->Down());
    b[2]->Click();
    EXPECT_FALSE(b[2]->Down());
    for (auto* x : b) EXPECT_FALSE(x->Down());
}

TEST_F(SpeedButtons, OtherGroupsAndOtherParentsAreIndependent)
{
    auto* other = new TSpeedButton(form.get());
    other->SetParent(form.get()); // same group index, another parent
    other->SetGroupIndex(1);
    auto* second = new TSpeedButton(form.get());
    second->SetParent(panel);
    second->SetGroupIndex(2);
    other->Click();
    second->Click();
    b[0]->Click();
    EXPECT_TRUE(other->Down());
    EXPECT_TRUE(second->Down());
    EXPECT_TRUE(b[0]->Down());
    // An ungrouped button never stays down but still clicks.
    auto* plain = new TSpeedButton(form.get());
    plain->SetParent(panel);
    int plainClicks = 0;
    plain->OnClick = [&](TObject*) { ++plainClicks; };
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down());
    plain->Click();
    EXPECT_FALSE(plain->Down());
    EXPECT_EQ(plainClicks, 1);
}

TEST(SpeedButton, PaintsTheGlyphImageForItsState)
{
    TForm form(nullptr);
    auto* btn = new TSpeedButton(&form);
    btn->SetParent(&form);
    btn->SetBounds(0, 0, 20, 20);
    btn->SetFlat(true);
    auto strip = Strip({clRed, clBlue});
    btn->SetGlyph(strip.get());
    EXPECT_EQ(btn->NumGlyphs(), 2);

    TBitmap shot;
    btn->PaintTo(shot);
    EXPECT_EQ(shot.Pixel(10, 10), clRed); // the glyph sits in the middle
    EXPECT_EQ(shot.Pixel(8, 11), ColorToRGB(form.Color())); // its transparent pixel shows the parent
    btn->SetEnabled(false);
    EXPECT_EQ(btn->GlyphShown(), 1);
    btn->PaintTo(shot);
    EXPECT_EQ(shot.Pixel(10, 10), clBlue);
}

TEST(SpeedButton, GlyphImagesPerState)
{
    // numGlyphs, enabled, down -> image shown
    struct Case {
        int n;
        bool enabled, down;
        int expected;
    };
    const Case cases[] = {{1, false, false, 0}, {2, false, false, 1}, {2, true, true, 0},
                          {3, true, true, 2},   {4, true, true, 3},   {4, true, false, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(GlyphIndexFor(c.n, c.enabled, c.down), c.expected) << c.n << c.enabled << c.down;
}

TEST(BitBtn, KindSetsCaptionModalResultAndDefaultOrCancel)
{
    struct Case {
        TBitBtnKind kind;
        const char* caption;
        TModalResult result;
        bool isDefault, isCancel;
    };
    const Case cases[] = {
        {bkOK, "OK", mrOk, true, false},         {bkCancel, "Cancel", mrCancel, false, true},
        {bkYes, "&Yes", mrYes, true, false},     {bkNo, "&No", mrNo, false, true},
        {bkAbort, "Abort", mrAbort, false, false}, {bkRetry, "&Retry", mrRetry, false, false},
        {bkIgnore, "&Ignore", mrIgnore, false, false}, {bkAll, "&All", mrAll, false, false},
        {bkClose, "&Close", mrNone, false, false}, {bkHelp, "&Help", mrNone, false, false},
    };
    for (const Case& c : cases) {
        TBitBtn b(nullptr);
        b.SetKind(c.kind);
        EXPECT_EQ(b.Caption(), c.caption);
        EXPECT_EQ(b.ModalResult(), c.result) << c.caption;
        EXPECT_EQ(b.Default(), c.isDefault) << c.caption;
        EXPECT_EQ(b.Cancel(), c.isCancel) << c.caption;
        EXPECT_EQ(GetEnumProp(&b, "Kind"), std::string(
            std::vector<std::string>{"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                                     "bkAbort", "bkRetry", "bkIgnore", "bkAll"}[c.kind]));
    }
}

TEST(BitBtn, ClickGivesTheFormItsModalResult)
{
    TForm form(nullptr);
    auto* ok = new TBitBtn(&form);
    ok->SetParent(&form);
    ok->SetKind(bkOK);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    ok->Click();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(clicks, 1);
}

TEST(BitBtn, AssigningAGlyphCountsItsImages)
{
    struct Case {
        int w, h, expected;
    };
    // A strip whose width is a multiple of its height holds width / height
    // images (up to 4); any other keeps the current count.
    const Case cases[] = {{16, 16, 1}, {32, 16, 2}, {64, 16, 4}, {80, 16, 1}, {38, 14, 1}};
    for (const Case& c : cases) {
        TBitBtn b(nullptr);
        TBitmap g(c.w, c.h);
        b.SetGlyph(&g);
        EXPECT_EQ(b.NumGlyphs(), c.expected) << c.w << "x" << c.h;
        EXPECT_EQ(b.Glyph()->Width(), c.w);
        EXPECT_NE(b.Glyph(), &g); // a copy
    }
}

TEST(BitBtn, GlyphWidenedInPlaceWithTwoImagesShowsTheDisabledOne)
{
    TBitBtn b(nullptr);
    auto one = Strip({clRed});
    b.SetGlyph(one.get());
    ASSERT_EQ(b.NumGlyphs(), 1);
    // Make room for a disabled image beside the normal one, as code that
    // prepares disabled glyphs does.
    b.Glyph()->SetWidth(8);
    b.Glyph()->Canvas()->Brush()->SetColor(clBlue);
    b.Glyph()->Canvas()->FillRect(Rect(4, 0, 8, 4));
    b.SetNumGlyphs(2);
    EXPECT_EQ(b.GlyphShown(), 0);
    b.SetEnabled(false);
    EXPECT_EQ(b.GlyphShown(), 1);
    b.SetNumGlyphs(9);
    EXPECT_EQ(b.NumGlyphs(), 4);
}

TEST(BitBtn, TheWidgetShowsTheGlyphImageForTheState)
{
    TBitBtn b(nullptr);
    auto strip = Strip({clRed, clBlue});
    b.SetGlyph(strip.get());
    auto* w = static_cast<QPushButton*>(b.Widget());
    auto shown = [&](QIcon::Mode mode) {
        const QImage img = w->icon().pixmap(QSize(4, 4), mode).toImage();
        return std::pair(QColor(img.pixel(2, 1)), qAlpha(img.pixel(0, 3)));
    };
    EXPECT_EQ(shown(QIcon::Normal).first, QColor(Qt::red));
    EXPECT_EQ(shown(QIcon::Normal).second, 0); // the transparent colour is left out
    b.SetEnabled(false);
    EXPECT_EQ(shown(QIcon::Disabled).first, QColor(Qt::blue));
}

// Code elsewhere walks components by published property names.
TEST(PictureButtons, PublishGlyphNumGlyphsCaptionAndFont)
{
    TBitBtn bit(nullptr);
    TSpeedButton speed(nullptr);
    for (TObject* o : {static_cast<TObject*>(&bit), static_cast<TObject*>(&speed)}) {
        SCOPED_TRACE(o->ClassName());
        ASSERT_TRUE(IsPublishedProp(o, "Glyph"));
        EXPECT_EQ(GetPropInfo(o, "Glyph")->Kind, TTypeKind::tkClass);
        EXPECT_TRUE(GetPropInfo(o, "NumGlyphs")->IsOrdinal());
        SetOrdProp(o, "NumGlyphs", 2);
        EXPECT_EQ(GetOrdProp(o, "NumGlyphs"), 2);
        SetStrProp(o, "Caption", "确定");
        EXPECT_EQ(GetStrProp(o, "Caption"), "确定");
        auto* glyph = dynamic_cast<TBitmap*>(GetObjectProp(o, "Glyph"));
        ASSERT_NE(glyph, nullptr);
        TBitmap picture(10, 5);
        SetObjectProp(o, "Glyph", &picture);
        EXPECT_EQ(glyph->Width(), 10);
        auto* font = GetObjectProp(o, "Font");
        ASSERT_NE(font, nullptr);
        SetOrdProp(font, "Charset", 134);
        SetStrProp(font, "Name", "Tahoma");
        EXPECT_EQ(GetStrProp(font, "Name"), "Tahoma");
        EXPECT_FALSE(IsPublishedProp(o, "ImeName"));
    }
}

} // namespace
