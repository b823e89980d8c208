#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "UiTestSupport.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"

namespace {

// A white bitmap of the given size.
std::unique_ptr<TBitmap> White(int w, int h)
{
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetColor(clWhite);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

// The pixels of row y as a list, for compact expectations.
std::vector<TColor> Row(const TBitmap& b, int y)
{
    std::vector<TColor> row;
    for (int x = 0; x < b.Width(); ++x) row.push_back(b.Pixel(x, y));
    return row;
}

TEST(Canvas, FillRectCoversLeftTopButNotRightBottom)
{
    auto b = White(8, 8);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(Rect(2, 2, 5, 6));
    EXPECT_EQ(b->Pixel(2, 2), clRed);
    EXPECT_EQ(b->Pixel(4, 5), clRed);
    EXPECT_EQ(b->Pixel(5, 5), clWhite);
    EXPECT_EQ(b->Pixel(4, 6), clWhite);
    EXPECT_EQ(b->Pixel(1, 2), clWhite);
    // A system colour is drawn as its desktop colour; a clear brush draws nothing.
    b->Canvas()->Brush()->SetColor(clBtnFace);
    b->Canvas()->FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(b->Pixel(0, 0), ColorToRGB(clBtnFace));
    b->Canvas()->Brush()->SetStyle(bsClear);
    b->Canvas()->FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(b->Pixel(7, 7), clWhite);
}

TEST(Canvas, RectangleOutlinesWithPenAndFillsWithBrush)
{
    auto b = White(8, 7);
    TCanvas& c = *b->Canvas();
    c.Pen()->SetColor(clBlue);
    c.Brush()->SetColor(clYellow);
    c.Rectangle(1, 1, 6, 5);
    const TColor B = clBlue, Y = clYellow, W = clWhite;
    EXPECT_EQ(Row(*b, 0), (std::vector<TColor>{W, W, W, W, W, W, W, W}));
    EXPECT_EQ(Row(*b, 1), (std::vector<TColor>{W, B, B, B, B, B, W, W}));
    EXPECT_EQ(Row(*b, 2), (std::vector<TColor>{W, B, Y, Y, Y, B, W, W}));
    EXPECT_EQ(Row(*b, 3), (std::vector<TColor>{W, B, Y, Y, Y, B, W, W}));
    EXPECT_EQ(Row(*b, 4), (std::vector<TColor>{W, B, B, B, B, B, W, W}));
    EXPECT_EQ(Row(*b, 5), (std::vector<TColor>{W, W, W, W, W, W, W, W}));
    // A clear brush leaves the inside alone.
    auto d = White(4, 4);
    d->Canvas()->Brush()->SetStyle(bsClear);
    d->Canvas()->Rectangle(0, 0, 4, 4);
    EXPECT_EQ(d->Pixel(1, 1), clWhite);
    EXPECT_EQ(d->Pixel(3, 3), clBlack);
}

TEST(Canvas, LineToStopsBeforeTheEndPointAndMovesThePen)
{
    auto b = White(6, 6);
    TCanvas& c = *b->Canvas();
    c.Pen()->SetColor(clRed);
    c.MoveTo(0, 0);
    c.LineTo(5, 0);
    EXPECT_EQ(Row(*b, 0), (std::vector<TColor>{clRed, clRed, clRed, clRed, clRed, clWhite}));
    EXPECT_EQ(c.PenPos(), (TPoint{5, 0}));
    c.MoveTo(0, 1);
    c.LineTo(4, 5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b->Pixel(i, 1 + i), clRed) << i;
    EXPECT_EQ(b->Pixel(4, 5), clWhite);
    // Drawing off the bitmap is clipped, not an error.
    c.MoveTo(-10, 3);
    c.LineTo(20, 3);
    EXPECT_EQ(b->Pixel(5, 3), clRed);
}

// Every raster operation is its truth table applied to the bits of pattern
// (brush), source and destination.
TEST(Canvas, CopyRectAppliesRasterOperations)
{
    const TColor P = RGB(0xF0, 0x0F, 0x33), S = RGB(0xCC, 0x55, 0x0F), D = RGB(0xAA, 0x33, 0xF0);
    struct Case {
        TCopyMode mode;
        TColor expected;
    };
    const Case cases[] = {
        {cmSrcCopy, S},
        {cmSrcAnd, S & D},
        {cmSrcPaint, S | D},
        {cmSrcInvert, S ^ D},
        {cmNotSrcCopy, ~S & 0xFFFFFF},
        {cmSrcErase, S & ~D & 0xFFFFFF},
        {cmPatCopy, P},
        {cmPatInvert, P ^ D},
        {cmDstInvert, ~D & 0xFFFFFF},
        {cmBlackness, clBlack},
        {cmWhiteness, clWhite},
        {cmMergeCopy, P & S},
    };
    for (const Case& k : cases) {
        TBitmap src(1, 1), dst(1, 1);
        src.SetPixel(0, 0, S);
        dst.SetPixel(0, 0, D);
        dst.Canvas()->Brush()->SetColor(P);
        dst.Canvas()->SetCopyMode(k.mode);
        dst.Canvas()->CopyRect(Rect(0, 0, 1, 1), *src.Canvas(), Rect(0, 0, 1, 1));
        EXPECT_EQ(dst.Pixel(0, 0), k.expected) << std::hex << k.mode;
    }
}

TEST(Canvas, MaskedBrushPaintsWhereTheMonochromeSourceIsBlack)
{
    TBitmap mask(4, 2);
    mask.SetMonochrome(true);
    for (int x = 0; x < 4; ++x) {
        mask.SetPixel(x, 0, x % 2 == 0 ? clBlack : clWhite);
        mask.SetPixel(x, 1, clWhite);
    }
    auto dst = White(5, 3);
    dst->Canvas()->Brush()->SetColor(clGreen);
    dst->Canvas()->FillRect(Rect(0, 0, 5, 3));
    dst->Canvas()->Brush()->SetColor(clBlue);
    dst->Canvas()->SetCopyMode(ROP_DSPDxax);
    dst->Canvas()->CopyRect(Rect(1, 1, 5, 3), *mask.Canvas(), Rect(0, 0, 4, 2));
    const TColor G = clGreen, B = clBlue;
    EXPECT_EQ(Row(*dst, 0), (std::vector<TColor>{G, G, G, G, G}));
    EXPECT_EQ(Row(*dst, 1), (std::vector<TColor>{G, B, G, B, G}));
    EXPECT_EQ(Row(*dst, 2), (std::vector<TColor>{G, G, G, G, G}));
    // A plain copy of the mask gives its black and white.
    dst->Canvas()->SetCopyMode(cmSrcCopy);
    dst->Canvas()->CopyRect(Rect(0, 0, 4, 1), *mask.Canvas(), Rect(0, 0, 4, 1));
    EXPECT_EQ(Row(*dst, 0), (std::vector<TColor>{clBlack, clWhite, clBlack, clWhite, G}));
}

// The embossed picture of a disabled button: the marked pixel of a glyph
// becomes a highlight one pixel down-right and a shadow in place.
TEST(Canvas, EmbossingAMarkedPixelWithTwoMaskedCopies)
{
    const TColor T = clOlive;
    TBitmap r(4, 4);
    r.Canvas()->Brush()->SetColor(T);
    r.Canvas()->FillRect(Rect(0, 0, 4, 4));
    r.SetPixel(1, 1, clBlack);
    TBitmap m;
    m.Assign(&r);
    m.SetMonochrome(true);
    EXPECT_EQ(m.Pixel(1, 1), clBlack);
    EXPECT_EQ(m.Pixel(0, 0), clWhite);

    r.Canvas()->Brush()->SetColor(clBtnFace);
    r.Canvas()->FillRect(Rect(0, 0, 4, 4));
    r.Canvas()->SetCopyMode(ROP_DSPDxax);
    r.Canvas()->Brush()->SetColor(clBtnHighlight);
    r.Canvas()->CopyRect(Rect(1, 1, 5, 5), *m.Canvas(), Rect(0, 0, 4, 4));
    r.Canvas()->Brush()->SetColor(clBtnShadow);
    r.Canvas()->CopyRect(Rect(0, 0, 4, 4), *m.Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(r.Pixel(1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(r.Pixel(2, 2), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(r.Pixel(0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(r.Pixel(3, 3), ColorToRGB(clBtnFace));
}

TEST(Canvas, TextOutDrawsInTheFontColourAndAdvancesThePen)
{
    auto b = White(80, 30);
    TCanvas& c = *b->Canvas();
    c.Font()->SetColor(clRed);
    c.Brush()->SetStyle(bsClear);
    const int w = c.TextWidth("WWW");
    EXPECT_GT(w, 0);
    EXPECT_GT(c.TextHeight("W"), 0);
    c.TextOut(2, 2, "WWW");
    EXPECT_EQ(c.PenPos().X, 2 + w);
    int reddish = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            const TColor p = b->Pixel(x, y);
            if (GetRValue(p) > 200 && GetGValue(p) < 100) ++reddish;
            if (x >= 2 + w + 2) {
                EXPECT_EQ(p, clWhite) << x << "," << y;
            }
        }
    EXPECT_GT(reddish, 0);
}

TEST(Bitmap, ResizingKeepsTheTopLeftContent)
{
    TBitmap b(3, 2);
    b.SetPixel(0, 0, clRed);
    b.SetPixel(2, 1, clBlue);
    b.SetWidth(5);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.Pixel(2, 1), clBlue);
    EXPECT_EQ(b.Pixel(4, 1), clWhite);
    b.SetHeight(4);
    EXPECT_EQ(b.Pixel(2, 1), clBlue);
    EXPECT_EQ(b.Pixel(0, 3), clWhite);
    b.SetWidth(1);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.Pixel(1, 0), clNone);
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
    b.SetPixel(0, 0, clRed); // nothing to draw on, no error
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUnlessSet)
{
    TBitmap b(3, 3);
    b.SetPixel(0, 2, clOlive);
    EXPECT_EQ(b.TransparentColor(), clOlive);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    b.SetPixel(0, 2, clTeal);
    EXPECT_EQ(b.TransparentColor(), clTeal);
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.TransparentColor(), clTeal);
}

TEST(Bitmap, DrawLeavesOutTheTransparentColourOfATransparentBitmap)
{
    TBitmap glyph(3, 2);
    const TColor T = clOlive;
    const TColor pixels[2][3] = {{clRed, T, clBlue}, {T, clLime, T}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) glyph.SetPixel(x, y, pixels[y][x]);
    auto dst = White(5, 3);
    dst->Canvas()->Draw(1, 1, glyph);
    EXPECT_EQ(Row(*dst, 1), (std::vector<TColor>{clWhite, clRed, T, clBlue, clWhite}));

    dst = White(5, 3);
    glyph.SetTransparent(true);
    dst->Canvas()->Draw(1, 1, glyph);
    EXPECT_EQ(Row(*dst, 1), (std::vector<TColor>{clWhite, clRed, clWhite, clBlue, clWhite}));
    EXPECT_EQ(Row(*dst, 2), (std::vector<TColor>{clWhite, clWhite, clLime, clWhite, clWhite}));
    // Partly outside the target: the rest is clipped.
    dst->Canvas()->Draw(-2, 0, glyph);
    EXPECT_EQ(dst->Pixel(0, 0), clBlue);
}

TEST(Bitmap, MonochromeKeepsBlackAndTurnsEverythingElseWhite)
{
    TBitmap b(4, 1);
    b.SetPixel(0, 0, clBlack);
    b.SetPixel(1, 0, clRed);
    b.SetPixel(2, 0, RGB(10, 10, 10));
    b.SetPixel(3, 0, clWhite);
    b.SetMonochrome(true);
    EXPECT_EQ(b.PixelFormat(), pf1bit);
    EXPECT_EQ(Row(b, 0), (std::vector<TColor>{clBlack, clWhite, clWhite, clWhite}));
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
    b.SetPixelFormat(pf24bit);
    b.SetPixel(0, 0, clRed);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
}

TEST(Bitmap, AssignCopiesPixelsAndTransparency)
{
    TBitmap a(2, 2);
    a.SetPixel(1, 1, clRed);
    a.SetTransparent(true);
    a.SetTransparentColor(clBlue);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Pixel(1, 1), clRed);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), clBlue);
    b.SetPixel(1, 1, clLime);
    EXPECT_EQ(a.Pixel(1, 1), clRed);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ScanLineIsBlueGreenRed)
{
    TBitmap b(2, 2);
    b.SetPixel(1, 1, RGB(1, 2, 3));
    const std::uint8_t* row = b.ScanLine(1);
    EXPECT_EQ(row[3], 3);
    EXPECT_EQ(row[4], 2);
    EXPECT_EQ(row[5], 1);
    b.ScanLine(0)[0] = 0xFF; // blue of pixel (0, 0)
    b.ScanLine(0)[1] = 0;
    b.ScanLine(0)[2] = 0;
    EXPECT_EQ(b.Pixel(0, 0), clBlue);
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
}

TEST(Bitmap, SavesAndLoadsBitmapFiles)
{
    const auto dir = std::filesystem::temp_directory_path() / ("orvane_bmp_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    TBitmap colour(3, 2);
    colour.SetPixel(2, 1, RGB(10, 200, 30));
    colour.SaveToFile((dir / "c.bmp").string());
    TBitmap mono(3, 1);
    mono.SetPixel(1, 0, clBlack);
    mono.SetMonochrome(true);
    mono.SaveToFile((dir / "m.bmp").string());

    TBitmap loaded;
    loaded.LoadFromFile((dir / "c.bmp").string());
    EXPECT_EQ(loaded.Width(), 3);
    EXPECT_EQ(loaded.Pixel(2, 1), RGB(10, 200, 30));
    EXPECT_EQ(loaded.Pixel(0, 0), clWhite);
    loaded.LoadFromFile((dir / "m.bmp").string());
    EXPECT_TRUE(loaded.Monochrome());
    EXPECT_EQ(Row(loaded, 0), (std::vector<TColor>{clWhite, clBlack, clWhite}));
    EXPECT_THROW(loaded.LoadFromFile((dir / "missing.bmp").string()), EInvalidGraphic);
    std::filesystem::remove_all(dir);
}

TEST(ImageList, AddSplitsAStripAndDrawsOnlyTheUnmaskedPixels)
{
    TImageList list(nullptr);
    list.SetWidth(2);
    list.SetHeight(2);
    // Two images side by side; fuchsia is the transparent colour.
    TBitmap strip(4, 2);
    const TColor F = clFuchsia;
    const TColor px[2][4] = {{clRed, F, clBlue, clBlue}, {F, clRed, F, clBlue}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) strip.SetPixel(x, y, px[y][x]);
    EXPECT_EQ(list.AddMasked(&strip, F), 0);
    EXPECT_EQ(list.Count(), 2);

    auto dst = White(3, 2);
    list.Draw(dst->Canvas(), 1, 0, 1);
    EXPECT_EQ(Row(*dst, 0), (std::vector<TColor>{clWhite, clBlue, clBlue}));
    EXPECT_EQ(Row(*dst, 1), (std::vector<TColor>{clWhite, clWhite, clBlue}));

    // With a mask: its white pixels are transparent.
    TBitmap one(2, 2), mask(2, 2);
    one.Canvas()->Brush()->SetColor(clLime);
    one.Canvas()->FillRect(Rect(0, 0, 2, 2));
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, 2, 2));
    mask.SetPixel(0, 0, clWhite);
    EXPECT_EQ(list.Add(&one, &mask), 2);
    TBitmap got;
    list.GetBitmap(2, &got);
    EXPECT_EQ(got.Width(), 2);
    EXPECT_EQ(got.Pixel(0, 0), clWhite);
    EXPECT_EQ(got.Pixel(1, 1), clLime);

    EXPECT_THROW(list.Draw(dst->Canvas(), 0, 0, 3), EInvalidOperation);
    list.SetWidth(4); // a new size empties the list
    EXPECT_EQ(list.Count(), 0);
}

// An owner-drawn control: a red frame on its colour.
class TFramed : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        Canvas()->Brush()->SetColor(Color());
        Canvas()->Pen()->SetColor(clRed);
        Canvas()->Rectangle(0, 0, Width(), Height());
    }
};

TEST(CustomControl, PaintToRunsPaintIntoABitmap)
{
    TFramed c(nullptr);
    c.SetBounds(0, 0, 6, 4);
    c.SetColor(clYellow);
    TBitmap b;
    c.PaintTo(b);
    EXPECT_EQ(b.Width(), 6);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.Pixel(5, 3), clRed);
    EXPECT_EQ(b.Pixel(2, 2), clYellow);
    // The control's own canvas is back on its own bitmap afterwards.
    EXPECT_NE(c.Canvas()->Target(), &b);
}

TEST(CustomControl, TheWidgetShowsWhatPaintDraws)
{
    TForm form(nullptr);
    auto* c = new TFramed(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 10, 8);
    c->SetColor(clBlue);
    form.Show();
    const QImage shot = c->Widget()->grab().toImage();
    EXPECT_GT(c->Paints, 0);
    EXPECT_EQ(QColor(shot.pixel(0, 0)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(4, 4)), QColor(Qt::blue));
}

TEST(CustomControl, DefaultPaintFillsWithTheColour)
{
    TCustomControl c(nullptr);
    c.SetBounds(0, 0, 3, 3);
    c.SetColor(clAqua);
    TBitmap b;
    c.PaintTo(b);
    EXPECT_EQ(b.Pixel(1, 1), clAqua);
}

} // namespace
