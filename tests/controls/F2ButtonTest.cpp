// Picture buttons by number (TGSpeedButton) and quick-pick buttons bound to
// an input control (TF2Button).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/F2Button.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace {

// A form with an edit (left 100, top 8, width 85, height 21) that logs the
// quick-pick requests it receives.
class QuickPickForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        edit = new TEdit(form.get());
        edit->SetName("edDate");
        edit->SetParent(form.get());
        edit->SetBounds(100, 8, 85, 21);
        other = new TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(100, 60, 85, 21);
        form->SetMessageHandler(WM_QUICKPICK, [this](TMessage& m) {
            log.push_back("quickpick " + NameOf(QuickPickControl(m)) + " w" + std::to_string(m.WParam) +
                          " focused " + NameOf(form->ActiveControl()));
        });
    }
    void TearDown() override { glyphres::SetLibraryName("PvResD5.dll"); }

    static std::string NameOf(TComponent* c) { return c ? c->Name() : "none"; }

    TF2Button* NewButton(TComponent* owner = nullptr, TWinControl* parent = nullptr)
    {
        auto* b = new TF2Button(owner ? owner : form.get());
        b->SetParent(parent ? parent : form.get());
        b->OnClick = [this](TObject*) { log.push_back("OnClick"); };
        return b;
    }

    static TRect BoundsOf(const TControl& c) { return Bounds(c.Left(), c.Top(), c.Width(), c.Height()); }

    TDialogRecorder dialogs;
    std::unique_ptr<TForm> form;
    TEdit* edit = nullptr;
    TEdit* other = nullptr;
    std::vector<std::string> log;
};

// ---------------------------------------------------------------------------
// Pictures by number

TEST_F(QuickPickForm, ANewQuickPickButtonShowsPicture8)
{
    TF2Button* b = NewButton();
    EXPECT_EQ(b->GlyphIndex(), 8);
    EXPECT_TRUE(b->Flat());
    EXPECT_TRUE(b->AutoAlign());
    EXPECT_EQ(b->Gap(), 2);
    EXPECT_EQ(b->F2Control(), nullptr);
    EXPECT_EQ(b->Caption(), "");
    EXPECT_EQ(b->Glyph()->Width(), 16);
    EXPECT_EQ(b->Glyph()->Height(), 16);
    EXPECT_EQ(b->NumGlyphs(), 1);
    EXPECT_TRUE(dialogs.Records().empty());
}

TEST_F(QuickPickForm, GlyphIndexLoadsTheStripOrShowsTheNumber)
{
    auto* b = new TGSpeedButton(form.get());
    b->SetParent(form.get());
    EXPECT_EQ(b->GlyphIndex(), 0);
    EXPECT_TRUE(b->Glyph()->Empty());
    const int max = glyphres::MaxBmpID();

    struct Step {
        int index;
        std::string caption;
        int glyphWidth; // 0: no glyph
        int numGlyphs;
    };
    const Step steps[] = {
        {4, "", 32, 2},                           // a strip of two images
        {9, "", 16, 1},                           // one image
        {20, "20", 16, 1},                        // no such picture: the glyph stays
        {0, "0", 0, 1},                           // none: the glyph goes
        {47, "", 16, 1},                          //
        {max + 1, std::to_string(max + 1), 0, 1}, // beyond the library's pictures
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.index);
        b->SetGlyphIndex(s.index);
        EXPECT_EQ(b->GlyphIndex(), s.index);
        EXPECT_EQ(b->Caption(), s.caption);
        EXPECT_EQ(b->Glyph()->Width(), s.glyphWidth);
        if (s.glyphWidth) {
            EXPECT_EQ(b->NumGlyphs(), s.numGlyphs);
        }
    }
    EXPECT_TRUE(dialogs.Records().empty());
}

TEST_F(QuickPickForm, TheSameGlyphIndexAgainChangesNothing)
{
    TF2Button* b = NewButton();
    b->SetCaption("kept");
    b->SetGlyphIndex(8);
    EXPECT_EQ(b->Caption(), "kept");
    EXPECT_EQ(b->GlyphIndex(), 8);
}

TEST_F(QuickPickForm, TheButtonPaintsItsPicture)
{
    TF2Button* b = NewButton();
    b->SetGlyphIndex(9);
    b->SetBounds(0, 0, 21, 21);
    TBitmap painted;
    b->PaintTo(painted);
    // The calendar's red header band shows; the magenta background does not.
    int red = 0, magenta = 0;
    for (int y = 0; y < painted.Height(); ++y)
        for (int x = 0; x < painted.Width(); ++x) {
            red += painted.Pixel(x, y) == RGB(0xC0, 0x20, 0x20);
            magenta += painted.Pixel(x, y) == clFuchsia;
        }
    EXPECT_GT(red, 10);
    EXPECT_EQ(magenta, 0);
}

TEST_F(QuickPickForm, WithoutTheLibraryButtonsShowTheirNumbers)
{
    for (const char* name : {"NoSuchPictures.dll", "libplatform_core.so"}) {
        SCOPED_TRACE(name);
        glyphres::SetLibraryName(name);
        TF2Button* b = NewButton();
        EXPECT_EQ(b->Caption(), "8");
        EXPECT_TRUE(b->Glyph()->Empty());
        b->SetGlyphIndex(9);
        EXPECT_EQ(b->Caption(), "9");
        // Still a working quick-pick button.
        b->SetF2Control(edit);
        b->Click();
        EXPECT_EQ(log.back(), "quickpick edDate w0 focused edDate");
        b->Free();
    }
    EXPECT_TRUE(dialogs.Records().empty());
}

TEST_F(QuickPickForm, AnErrorWhileLoadingIsReportedAndTheNumberKept)
{
    glyphres::SetLibraryName("BrokenPictures.dll");
    TF2Button* b = NewButton();
    ASSERT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(dialogs.Records()[0].Text, "读取 BMP 发生错误");
    EXPECT_EQ(dialogs.Records()[0].Type, mtError);
    EXPECT_EQ(dialogs.Records()[0].Buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(b->GlyphIndex(), 8);
    EXPECT_EQ(b->Caption(), "8");
    // Beyond the library's highest number nothing is loaded, so no message.
    b->SetGlyphIndex(11);
    EXPECT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(b->Caption(), "11");
    b->SetF2Control(edit);
    b->Click();
    EXPECT_EQ(log.back(), "quickpick edDate w0 focused edDate");
}

// ---------------------------------------------------------------------------
// Placement beside the bound control

TEST_F(QuickPickForm, TheButtonSitsSquareRightOfItsControl)
{
    struct Case {
        TRect control;
        int gap;
        TRect button;
    };
    const Case cases[] = {
        {Bounds(100, 8, 85, 21), 2, Bounds(187, 8, 21, 21)},
        {Bounds(0, 0, 50, 30), 0, Bounds(50, 0, 30, 30)},
        {Bounds(10, 40, 120, 24), 255, Bounds(385, 40, 24, 24)},
        {Bounds(-20, -5, 30, 12), 3, Bounds(13, -5, 12, 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gap);
        edit->SetBounds(c.control.Left, c.control.Top, c.control.Width(), c.control.Height());
        TF2Button* b = NewButton();
        b->SetGap(c.gap);
        b->SetF2Control(edit);
        EXPECT_EQ(BoundsOf(*b), c.button);
        b->Free();
    }
}

TEST_F(QuickPickForm, AMovedControlIsFollowedWhenAutoAlignIsAssigned)
{
    TF2Button* b = NewButton();
    b->SetF2Control(edit);
    ASSERT_EQ(BoundsOf(*b), Bounds(187, 8, 21, 21));

    struct Step {
        const char* what;
        std::function<void()> act;
        TRect button;
    };
    const Step steps[] = {
        {"control moved and resized: the button stays", [&] { edit->SetBounds(30, 50, 100, 25); },
         Bounds(187, 8, 21, 21)},
        {"AutoAlign assigned: beside it again", [&] { b->SetAutoAlign(true); }, Bounds(132, 50, 25, 25)},
        {"the same gap again: nothing", [&] { b->SetLeft(0); b->SetGap(2); }, Bounds(0, 50, 25, 25)},
        {"a new gap: placed", [&] { b->SetGap(6); }, Bounds(136, 50, 25, 25)},
        {"AutoAlign off: stays", [&] { edit->SetBounds(10, 10, 40, 20); b->SetAutoAlign(false); },
         Bounds(136, 50, 25, 25)},
        {"a new gap while off: stays", [&] { b->SetGap(1); }, Bounds(136, 50, 25, 25)},
        {"AutoAlign on: placed", [&] { b->SetAutoAlign(true); }, Bounds(51, 10, 20, 20)},
        {"unbound: stays", [&] { b->SetF2Control(nullptr); edit->SetLeft(200); b->SetAutoAlign(true); },
         Bounds(51, 10, 20, 20)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(BoundsOf(*b), s.button);
    }
    EXPECT_EQ(b->F2Control(), nullptr);
}

// ---------------------------------------------------------------------------
// One button per control

TEST_F(QuickPickForm, ASecondButtonForTheSameControlIsRefused)
{
    TF2Button* first = NewButton();
    first->SetF2Control(edit);
    TF2Button* second = NewButton();
    second->SetF2Control(other);
    second->SetF2Control(edit);
    ASSERT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(dialogs.Records()[0].Text, "不能同时有两个 F2Button 指到同一个 Edit.");
    EXPECT_EQ(dialogs.Records()[0].Type, mtError);
    EXPECT_EQ(dialogs.Records()[0].Buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(second->F2Control(), other);
    EXPECT_EQ(first->F2Control(), edit);
    // Once the first lets go, the second may have it.
    first->SetF2Control(nullptr);
    second->SetF2Control(edit);
    EXPECT_EQ(second->F2Control(), edit);
    EXPECT_EQ(dialogs.Records().size(), 1u);
}

TEST_F(QuickPickForm, BindingTheSameControlAgainChangesNothing)
{
    TF2Button* b = NewButton();
    b->SetF2Control(edit);
    b->SetLeft(0);
    b->SetF2Control(edit);
    EXPECT_EQ(b->Left(), 0);
    EXPECT_EQ(b->F2Control(), edit);
    EXPECT_TRUE(dialogs.Records().empty());
}

TEST_F(QuickPickForm, OnlyTheComponentsOfTheButtonsParentAreChecked)
{
    // Buttons inside a panel whose components the form owns are not seen.
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    TF2Button* a = NewButton(form.get(), panel);
    TF2Button* b = NewButton(form.get(), panel);
    a->SetF2Control(edit);
    b->SetF2Control(edit);
    EXPECT_EQ(b->F2Control(), edit);
    EXPECT_TRUE(dialogs.Records().empty());

    // On the form both are seen, and each other button binding the control
    // is reported.
    a->SetParent(form.get());
    b->SetParent(form.get());
    TF2Button* c = NewButton();
    c->SetF2Control(edit);
    EXPECT_EQ(c->F2Control(), nullptr);
    EXPECT_EQ(dialogs.Records().size(), 2u);
}

TEST_F(QuickPickForm, AFreedControlIsForgotten)
{
    TF2Button* b = NewButton();
    b->SetF2Control(edit);
    edit->Free();
    edit = nullptr;
    EXPECT_EQ(b->F2Control(), nullptr);
    b->SetAutoAlign(true);
    b->Click();
    EXPECT_EQ(log, std::vector<std::string>{"OnClick"});
}

// ---------------------------------------------------------------------------
// Clicks

TEST_F(QuickPickForm, AClickAsksTheFormForTheQuickPickOfTheFocusedControl)
{
    other->SetFocus();
    TF2Button* b = NewButton();
    b->SetF2Control(edit);
    b->Click();
    // The click handler first; the quick pick runs before Click returns.
    EXPECT_EQ(log, (std::vector<std::string>{"OnClick", "quickpick edDate w0 focused edDate"}));
    EXPECT_EQ(form->ActiveControl(), edit);
}

TEST_F(QuickPickForm, AClickWithoutAUsableControlOnlyRunsOnClick)
{
    struct Case {
        const char* what;
        std::function<void(TF2Button*)> prepare;
    };
    const Case cases[] = {
        {"unbound", [](TF2Button*) {}},
        // Disabled while it still holds the focus.
        {"disabled control",
         [&](TF2Button* b) {
             b->SetF2Control(edit);
             edit->SetFocus();
             edit->SetEnabled(false);
         }},
        {"hidden control", [&](TF2Button* b) { b->SetF2Control(edit); edit->SetVisible(false); }},
        {"control on a disabled panel",
         [&](TF2Button* b) {
             auto* panel = new TPanel(form.get());
             panel->SetParent(form.get());
             edit->SetParent(panel);
             panel->SetEnabled(false);
             b->SetF2Control(edit);
         }},
        // Focused, but its owner has no window to ask.
        {"control owned by no window",
         [&](TF2Button* b) {
             form->RemoveComponent(edit);
             b->SetF2Control(edit);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp(); // a fresh form
        log.clear();
        TF2Button* b = NewButton();
        c.prepare(b);
        b->Click();
        EXPECT_EQ(log, std::vector<std::string>{"OnClick"});
    }
}

TEST_F(QuickPickForm, AMouseClickOnTheButtonRunsTheQuickPick)
{
    TF2Button* b = NewButton();
    b->SetF2Control(edit);
    QWidget* w = b->Widget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(log, (std::vector<std::string>{"OnClick", "quickpick edDate w0 focused edDate"}));
}

TEST_F(QuickPickForm, RequestQuickPickServesOtherPickButtonsToo)
{
    EXPECT_TRUE(RequestQuickPick(other));
    EXPECT_FALSE(RequestQuickPick(nullptr));
    other->SetName("edOther");
    EXPECT_TRUE(RequestQuickPick(other));
    EXPECT_EQ(log.back(), "quickpick edOther w0 focused edOther");
}

// ---------------------------------------------------------------------------
// Published properties

TEST_F(QuickPickForm, PropertiesByName)
{
    TF2Button* b = NewButton();
    SetObjectProp(b, "F2Control", edit);
    EXPECT_EQ(b->F2Control(), edit);
    EXPECT_EQ(GetObjectProp(b, "F2Control"), edit);
    SetOrdProp(b, "Gap", 10);
    EXPECT_EQ(b->Left(), 195);
    EXPECT_EQ(GetOrdProp(b, "Gap"), 10);
    EXPECT_THROW(SetOrdProp(b, "Gap", 256), EPropertyError);
    EXPECT_THROW(SetOrdProp(b, "Gap", -1), EPropertyError);
    EXPECT_EQ(b->Gap(), 10);
    EXPECT_EQ(GetEnumProp(b, "AutoAlign"), "True");
    SetEnumProp(b, "AutoAlign", "False");
    EXPECT_FALSE(b->AutoAlign());
    SetOrdProp(b, "GlyphIndex", 39);
    EXPECT_EQ(b->GlyphIndex(), 39);
    SetOrdProp(b, "HintIndex", 5);
    EXPECT_EQ(GetOrdProp(b, "HintIndex"), 5);
    EXPECT_EQ(GetEnumProp(b, "Flat"), "True");
    EXPECT_NE(GetObjectProp(b, "Glyph"), nullptr);

    // Only a window control can be bound; anything else is refused, not
    // taken for "unbind".
    auto* label = new TLabel(form.get());
    EXPECT_THROW(SetObjectProp(b, "F2Control", label), EPropertyError);
    EXPECT_EQ(b->F2Control(), edit);
    SetObjectProp(b, "F2Control", nullptr);
    EXPECT_EQ(b->F2Control(), nullptr);
}

} // namespace
