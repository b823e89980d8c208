#pragma once
// Colours and fonts of the component layer. A TColor is 0x00BBGGRR for a
// fixed colour; a system colour has the top bit set and names an entry of the
// desktop colour table, so ColorToRGB gives the classic desktop defaults.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Properties.h"

using TColor = std::int32_t;

constexpr TColor RGB(int r, int g, int b) { return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16)); }

constexpr TColor clSystemColor = TColor(0x80000000u);

// Desktop colour table entries (index of a system colour).
enum : int {
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND, COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_MENU, COLOR_WINDOW,
    COLOR_WINDOWFRAME, COLOR_MENUTEXT, COLOR_WINDOWTEXT, COLOR_CAPTIONTEXT, COLOR_ACTIVEBORDER,
    COLOR_INACTIVEBORDER, COLOR_APPWORKSPACE, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE,
    COLOR_BTNSHADOW, COLOR_GRAYTEXT, COLOR_BTNTEXT, COLOR_INACTIVECAPTIONTEXT, COLOR_BTNHIGHLIGHT,
    COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_INFOTEXT, COLOR_INFOBK, COLOR_COUNT
};

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The colour as 0x00BBGGRR: system colours through the desktop table, fixed
// colours unchanged.
TColor ColorToRGB(TColor color);
inline int GetRValue(TColor c) { return c & 0xFF; }
inline int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// Font styles: a set, bit n for element n.
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = std::uint8_t;
constexpr TFontStyles FontStyle(TFontStyle s) { return TFontStyles(1u << s); }

using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;

// Logical pixels per inch used to convert between Size (points) and Height
// (pixels, negative for the character height without leading).
constexpr int ScreenPixelsPerInch = 96;

class TFont : public TObject {
    ORVANE_CLASS_INFO
public:
    TFont();
    void Assign(const TFont& other); // copies every attribute, one OnChange

    const std::string& Name() const { return FName; }
    void SetName(const std::string& v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset v);

    bool operator==(const TFont& o) const
    {
        return FName == o.FName && FHeight == o.FHeight && FColor == o.FColor && FStyle == o.FStyle &&
               FCharset == o.FCharset;
    }

    TNotifyEvent OnChange;

private:
    void Changed();
    std::string FName;
    int FHeight;
    TColor FColor;
    TFontStyles FStyle = 0;
    TFontCharset FCharset = DEFAULT_CHARSET;
};

// ---------------------------------------------------------------------------
// Drawing: pens, brushes, canvases and bitmaps with real pixels.
//
// A canvas draws on a bitmap. Owner-drawn controls paint into a bitmap of
// their size that is then shown on their widget, so the same Paint code
// draws on screen and in tests. Coordinates are pixels; rectangles are
// [Left, Right) x [Top, Bottom), as on the classic desktop.
class QImage;
class TBitmap;

ORVANE_EXCEPTION_CLASS(EInvalidGraphic, EPlatformError);
ORVANE_EXCEPTION_CLASS(EInvalidGraphicOperation, EPlatformError);

struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};
inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return TRect{left, top, left + width, top + height}; }

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TPen : public TObject {
    ORVANE_CLASS_INFO
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    void Assign(const TPen& other);

    TNotifyEvent OnChange;

private:
    void Changed() { OnChange(this); }
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
};

class TBrush : public TObject {
    ORVANE_CLASS_INFO
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    void Assign(const TBrush& other);

    TNotifyEvent OnChange;

private:
    void Changed() { OnChange(this); }
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// Raster operations of CopyRect: a ternary code whose bits 16..23 are the
// truth table of (pattern, source, destination), evaluated on every bit of
// every pixel.
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;
// Where the source is marked (black) paint the brush, elsewhere keep the
// destination: the step that embosses a disabled glyph.
constexpr TCopyMode ROP_DSPDxax = 0x00E20746;

class TCanvas : public TObject {
    ORVANE_CLASS_INFO
public:
    // A canvas that draws on `target` (which may be set later).
    explicit TCanvas(TBitmap* target = nullptr);
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TFont* Font() const { return FFont.get(); }
    void SetPen(const TPen* v) { if (v) FPen->Assign(*v); }
    void SetBrush(const TBrush* v) { if (v) FBrush->Assign(*v); }
    void SetFont(const TFont* v) { if (v) FFont->Assign(*v); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode v) { FCopyMode = v; }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint p) { FPenPos = p; }

    // The pixel's colour as 0x00BBGGRR; clNone outside the target.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Fills with the brush (nothing with bsClear).
    void FillRect(const TRect& r);
    // Outline with the pen, inside with the brush; covers [x1, x2) x [y1, y2).
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& r);
    void MoveTo(int x, int y) { FPenPos = {x, y}; }
    // A line from the pen position up to, not including, (x, y).
    void LineTo(int x, int y);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Polyline(const std::vector<TPoint>& points);

    // Text with its top-left corner at (x, y); the background is the brush
    // unless the brush is bsClear. Moves the pen to the end of the text.
    void TextOut(int x, int y, const std::string& text);
    // The same, clipped to r (filled with the brush first unless bsClear).
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    // Draws the bitmap at its own size; a transparent bitmap leaves out its
    // transparent colour.
    void Draw(int x, int y, const TBitmap& graphic);
    void StretchDraw(const TRect& r, const TBitmap& graphic);
    // Draws the pixels of `image` where `mask` is black (image lists).
    void DrawMasked(int x, int y, const TBitmap& image, const TBitmap& mask);
    // Copies srcRect of source into dest (stretched when the sizes differ)
    // through the raster operation CopyMode. A monochrome source combined
    // with the brush acts as a mask: its black pixels are the marked ones.
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect);

    // The bitmap drawn on (for the platform layer).
    TBitmap* Target() const { return FTarget; }
    void SetTarget(TBitmap* target) { FTarget = target; }
    TRect ClipRect() const;

    TNotifyEvent OnChange;

private:
    // `exact`: every pixel written is already black or white on a
    // monochrome target, so it needs no pass over the whole bitmap.
    void Changed(bool exact = false);
    // The colour as drawn on the target (black or white on a monochrome one).
    TColor Ink(TColor color) const;
    QImage* Image() const;
    void HLine(QImage& img, int x1, int x2, int y, TColor c);

    TBitmap* FTarget = nullptr;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    TCopyMode FCopyMode = cmSrcCopy;
    TPoint FPenPos;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap with real pixels. Every pixel format keeps 24-bit colour
// underneath (ScanLine gives 3 bytes per pixel: blue, green, red); pf1bit
// (Monochrome) restricts the pixels to black and white.
class TBitmap : public TObject {
    ORVANE_CLASS_INFO
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // Copies the pixels, format and transparency of `source` (nullptr empties).
    void Assign(const TBitmap* source);

    int Width() const;
    int Height() const;
    // Resizing keeps the top-left content; new pixels are white.
    void SetWidth(int v) { SetSize(v, Height()); }
    void SetHeight(int v) { SetSize(Width(), v); }
    void SetSize(int width, int height);
    bool Empty() const { return Width() == 0 || Height() == 0; }

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat v);
    bool Monochrome() const { return FPixelFormat == pf1bit; }
    // Black pixels stay black, every other colour turns white.
    void SetMonochrome(bool v);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    // Unless set (which makes the mode tmFixed), the colour of the
    // bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor v);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v);

    TCanvas* Canvas() const { return FCanvas.get(); }
    TColor Pixel(int x, int y) const { return FCanvas->Pixel(x, y); }
    void SetPixel(int x, int y, TColor c) { FCanvas->SetPixel(x, y, c); }
    // Row y as 3 bytes per pixel (blue, green, red); writes through. Raises
    // EInvalidGraphicOperation out of range.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;

    // Windows bitmap files (24-bit, or 1-bit when monochrome). Raise
    // EInvalidGraphic when the file cannot be read or written.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // Called after the pixels were changed through ScanLine.
    void Modified() { Changed(); }

    // The pixels (for the platform layer).
    QImage& Image() const { return *FImage; }

    TNotifyEvent OnChange;

private:
    friend class TCanvas;
    void Changed(bool exact = false);
    void EnforceMonochrome();

    std::unique_ptr<QImage> FImage;
    std::unique_ptr<TCanvas> FCanvas;
    TPixelFormat FPixelFormat = pfDevice;
    bool FTransparent = false;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    bool FInCanvasChange = false;
};
