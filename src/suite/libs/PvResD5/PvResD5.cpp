// Button pictures of the suite, drawn in code on 16 x 16 cells.
#include "PvResD5.h"

#include <exception>
#include <vector>

#include "platform/ui/Graphics.h"

namespace {

constexpr int Cell = 16;
constexpr int MaxBmpID = 48;
// The background of every picture (and so its transparent colour: the
// bottom-left pixel is never drawn on).
constexpr TColor Back = clFuchsia;

constexpr TColor Ink = RGB(0x20, 0x20, 0x20);
constexpr TColor DarkBlue = RGB(0x10, 0x30, 0x90);
constexpr TColor Paper = clWhite;

// One drawing step on a cell whose left edge is at x0.
using TPainter = void (*)(TCanvas& c, int x0);

void Fill(TCanvas& c, TColor colour, const TRect& r)
{
    c.Brush()->SetColor(colour);
    c.Brush()->SetStyle(bsSolid);
    c.FillRect(r);
}

void Box(TCanvas& c, TColor outline, TColor inside, int x1, int y1, int x2, int y2)
{
    c.Pen()->SetColor(outline);
    c.Pen()->SetWidth(1);
    c.Brush()->SetColor(inside);
    c.Brush()->SetStyle(bsSolid);
    c.Rectangle(x1, y1, x2, y2);
}

void Line(TCanvas& c, TColor colour, int width, int x1, int y1, int x2, int y2)
{
    c.Pen()->SetColor(colour);
    c.Pen()->SetWidth(width);
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
    c.Pen()->SetWidth(1);
}

// An arrow pointing along (dx, dy): a shaft and a solid head drawn as lines
// of shrinking length.
void Arrow(TCanvas& c, int x0, int dx, int dy)
{
    const TColor colour = DarkBlue;
    // Shaft.
    if (dx != 0) Fill(c, colour, dx > 0 ? Rect(x0 + 3, 6, x0 + 8, 10) : Rect(x0 + 8, 6, x0 + 13, 10));
    else Fill(c, colour, dy > 0 ? Rect(x0 + 6, 3, x0 + 10, 8) : Rect(x0 + 6, 8, x0 + 10, 13));
    // Head: 6 rows, each one pixel shorter on both sides.
    for (int i = 0; i < 6; ++i) {
        const int half = 6 - i;
        if (dx != 0) {
            const int x = dx > 0 ? x0 + 8 + i : x0 + 7 - i;
            Line(c, colour, 1, x, 8 - half, x, 8 + half);
        } else {
            const int y = dy > 0 ? 8 + i : 7 - i;
            Line(c, colour, 1, x0 + 8 - half, y, x0 + 8 + half, y);
        }
    }
}

void Folder(TCanvas& c, int x0)
{
    Box(c, RGB(0x80, 0x60, 0x00), RGB(0xF0, 0xC8, 0x40), x0 + 1, 3, x0 + 7, 6);   // tab
    Box(c, RGB(0x80, 0x60, 0x00), RGB(0xFF, 0xD8, 0x60), x0 + 1, 5, x0 + 15, 14); // body
    Line(c, RGB(0xFF, 0xF0, 0xB0), 1, x0 + 2, 6, x0 + 14, 6);                   // highlight
}

void ArrowLeft(TCanvas& c, int x0) { Arrow(c, x0, -1, 0); }
void ArrowRight(TCanvas& c, int x0) { Arrow(c, x0, 1, 0); }
void ArrowUp(TCanvas& c, int x0) { Arrow(c, x0, 0, -1); }
void ArrowDown(TCanvas& c, int x0) { Arrow(c, x0, 0, 1); }

// A sheet of lines with a red cross: empty the list.
void ClearList(TCanvas& c, int x0)
{
    Box(c, Ink, Paper, x0 + 2, 1, x0 + 12, 14);
    for (int y = 4; y < 12; y += 2) Line(c, RGB(0x80, 0x80, 0x80), 1, x0 + 4, y, x0 + 10, y);
    Line(c, clRed, 2, x0 + 8, 8, x0 + 14, 14);
    Line(c, clRed, 2, x0 + 14, 8, x0 + 8, 14);
}

void Check(TCanvas& c, int x0)
{
    c.Pen()->SetColor(RGB(0x00, 0x80, 0x00));
    for (int d = 0; d < 2; ++d) {
        c.MoveTo(x0 + 2, 7 + d);
        c.LineTo(x0 + 6, 11 + d);
        c.LineTo(x0 + 14, 3 + d);
    }
}

// A magnifier: pick a value from a list.
void Magnifier(TCanvas& c, int x0)
{
    c.Pen()->SetColor(Ink);
    c.Pen()->SetWidth(2);
    c.Brush()->SetColor(RGB(0xC8, 0xE8, 0xFF));
    c.Brush()->SetStyle(bsSolid);
    c.Ellipse(x0 + 1, 1, x0 + 11, 11);
    c.Pen()->SetWidth(1);
    Line(c, RGB(0x80, 0x40, 0x00), 3, x0 + 10, 10, x0 + 14, 14);
}

// A calendar page: pick a date.
void Calendar(TCanvas& c, int x0)
{
    Box(c, Ink, Paper, x0 + 1, 2, x0 + 15, 15);
    Fill(c, RGB(0xC0, 0x20, 0x20), Rect(x0 + 2, 3, x0 + 14, 6));
    Line(c, Ink, 1, x0 + 4, 1, x0 + 4, 4); // rings
    Line(c, Ink, 1, x0 + 11, 1, x0 + 11, 4);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) Fill(c, DarkBlue, Bounds(x0 + 3 + col * 3, 7 + row * 2, 2, 1));
}

void Person(TCanvas& c, int x, int y, TColor colour)
{
    c.Pen()->SetColor(Ink);
    c.Brush()->SetColor(RGB(0xF8, 0xD0, 0xA8));
    c.Brush()->SetStyle(bsSolid);
    c.Ellipse(x + 2, y, x + 8, y + 6);            // head
    Box(c, Ink, colour, x, y + 6, x + 10, y + 11); // shoulders
}

// Two people: choose users.
void Users(TCanvas& c, int x0)
{
    Person(c, x0 + 5, 1, RGB(0x20, 0x80, 0x20));
    Person(c, x0 + 1, 4, RGB(0x20, 0x50, 0xC0));
}

// A red cross: delete.
void Delete(TCanvas& c, int x0)
{
    Line(c, RGB(0xC0, 0x00, 0x00), 3, x0 + 3, 3, x0 + 13, 13);
    Line(c, RGB(0xC0, 0x00, 0x00), 3, x0 + 13, 3, x0 + 3, 13);
}

// A green plus: add.
void Add(TCanvas& c, int x0)
{
    Fill(c, RGB(0x00, 0x90, 0x00), Rect(x0 + 6, 2, x0 + 10, 14));
    Fill(c, RGB(0x00, 0x90, 0x00), Rect(x0 + 2, 6, x0 + 14, 10));
}

struct TPicture {
    int Id;
    TPainter Paint;
    bool WithDisabled; // the strip also holds the disabled image
};

const TPicture Pictures[] = {
    {1, Folder, false},    {2, ArrowLeft, false}, {3, ArrowRight, false}, {4, ClearList, true},
    {5, ArrowUp, false},   {6, ArrowDown, false}, {7, Check, false},      {8, Magnifier, false},
    {9, Calendar, false},  {39, Users, false},    {47, Delete, false},    {48, Add, false},
};

// The disabled image of the cell at `from` drawn into the cell at `to`: the
// picture's darker pixels embossed in grey with a white highlight below
// right; light areas (paper, highlights) fall away.
void Emboss(TBitmap& strip, int from, int to)
{
    auto dark = [](TColor c) {
        return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100 < 0xC0;
    };
    std::vector<bool> marked(Cell * Cell);
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x) {
            const TColor c = strip.Pixel(from + x, y);
            marked[y * Cell + x] = c != Back && dark(c);
        }
    for (int y = 0; y + 1 < Cell; ++y)
        for (int x = 0; x + 1 < Cell; ++x)
            if (marked[y * Cell + x]) strip.SetPixel(to + x + 1, y + 1, clWhite);
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x)
            if (marked[y * Cell + x]) strip.SetPixel(to + x, y, RGB(0x80, 0x80, 0x80));
    // The bottom-left pixel stays the background, so the strip keeps its
    // transparent colour.
    strip.SetPixel(0, Cell - 1, Back);
}

const TPicture* FindPicture(int id)
{
    for (const TPicture& p : Pictures)
        if (p.Id == id) return &p;
    return nullptr;
}

} // namespace

extern "C" int GetMaxBmpID(void) { return MaxBmpID; }

extern "C" bool LoadBmp(TBitmap* bitmap, int id)
{
    if (!bitmap || id < 1 || id > MaxBmpID) return false;
    const TPicture* picture = FindPicture(id);
    if (!picture) return false;
    try {
        // Drawn apart and copied in at the end, so a failure leaves the
        // caller's bitmap as it was.
        const int images = picture->WithDisabled ? 2 : 1;
        TBitmap strip(Cell * images, Cell);
        strip.SetPixelFormat(pf24bit);
        Fill(*strip.Canvas(), Back, Rect(0, 0, strip.Width(), Cell));
        picture->Paint(*strip.Canvas(), 0);
        // No drawing reaches the bottom-left pixel, the transparent colour.
        strip.SetPixel(0, Cell - 1, Back);
        if (picture->WithDisabled) Emboss(strip, 0, Cell);
        bitmap->Assign(&strip);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
