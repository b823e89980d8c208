#include "platform/ui/Graphics.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/ui/Forms.h"
#include "platform/ui/GraphicsQt.h"

namespace {

// The classic desktop defaults, as 0x00BBGGRR.
constexpr TColor DesktopColors[COLOR_COUNT] = {
    RGB(0xD4, 0xD0, 0xC8), // scroll bar
    RGB(0x3A, 0x6E, 0xA5), // desktop background
    RGB(0x0A, 0x24, 0x6A), // active caption
    RGB(0x80, 0x80, 0x80), // inactive caption
    RGB(0xD4, 0xD0, 0xC8), // menu
    RGB(0xFF, 0xFF, 0xFF), // window
    RGB(0x00, 0x00, 0x00), // window frame
    RGB(0x00, 0x00, 0x00), // menu text
    RGB(0x00, 0x00, 0x00), // window text
    RGB(0xFF, 0xFF, 0xFF), // caption text
    RGB(0xD4, 0xD0, 0xC8), // active border
    RGB(0xD4, 0xD0, 0xC8), // inactive border
    RGB(0x80, 0x80, 0x80), // application work space
    RGB(0x0A, 0x24, 0x6A), // highlight
    RGB(0xFF, 0xFF, 0xFF), // highlight text
    RGB(0xD4, 0xD0, 0xC8), // button face
    RGB(0x80, 0x80, 0x80), // button shadow
    RGB(0x80, 0x80, 0x80), // grey text
    RGB(0x00, 0x00, 0x00), // button text
    RGB(0xD4, 0xD0, 0xC8), // inactive caption text
    RGB(0xFF, 0xFF, 0xFF), // button highlight
    RGB(0x40, 0x40, 0x40), // 3-D dark shadow
    RGB(0xD4, 0xD0, 0xC8), // 3-D light
    RGB(0x00, 0x00, 0x00), // tooltip text
    RGB(0xFF, 0xFF, 0xE1), // tooltip background
};

} // namespace

TColor ColorToRGB(TColor color)
{
    if (color & clSystemColor) {
        const int index = color & 0xFF;
        return index < COLOR_COUNT ? DesktopColors[index] : clBlack;
    }
    return color;
}

const TClassInfo& TFont::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TFont>("TFont", TObject::StaticClass())
            .Prop<TFontCharset>("Charset", &TFont::Charset, &TFont::SetCharset)
            .Prop<TColor>("Color", &TFont::Color, &TFont::SetColor)
            .Prop<int>("Height", &TFont::Height, &TFont::SetHeight)
            .Prop<std::string>("Name", &TFont::Name, &TFont::SetName)
            .Prop<int>("Size", &TFont::Size, &TFont::SetSize)
            .SetProp<TFontStyles>("Style", &TFont::Style, &TFont::SetStyle,
                                  {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"})
            .Field("OnChange", &TFont::OnChange)
            .Build();
    return info;
}

// The CJK font installed with the system, so Chinese captions render.
TFont::TFont() : FName("WenQuanYi Micro Hei"), FHeight(-12), FColor(clWindowText) {}

void TFont::Assign(const TFont& other)
{
    if (*this == other) return;
    FName = other.FName;
    FHeight = other.FHeight;
    FColor = other.FColor;
    FStyle = other.FStyle;
    FCharset = other.FCharset;
    Changed();
}

void TFont::Changed() { OnChange(this); }

void TFont::SetName(const std::string& v)
{
    if (v.empty() || v == FName) return;
    FName = v;
    Changed();
}

void TFont::SetHeight(int v)
{
    if (v == FHeight) return;
    FHeight = v;
    Changed();
}

int TFont::Size() const
{
    // Rounded like an integer multiply-then-divide of the run time.
    const long long num = -static_cast<long long>(FHeight) * 72;
    const long long q = (std::llabs(num) * 2 + ScreenPixelsPerInch) / (2 * ScreenPixelsPerInch);
    return static_cast<int>(num < 0 ? -q : q);
}

void TFont::SetSize(int points)
{
    const long long num = static_cast<long long>(points) * ScreenPixelsPerInch;
    const long long q = (std::llabs(num) * 2 + 72) / 144;
    SetHeight(-static_cast<int>(num < 0 ? -q : q));
}

void TFont::SetColor(TColor v)
{
    if (v == FColor) return;
    FColor = v;
    Changed();
}

void TFont::SetStyle(TFontStyles v)
{
    v &= 0x0F;
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}

void TFont::SetCharset(TFontCharset v)
{
    if (v == FCharset) return;
    FCharset = v;
    Changed();
}

QFont ToQFont(const TFont& font)
{
    // Fonts need the GUI application, which a bitmap drawn on before any
    // control exists has not made yet.
    Application->Initialize();
    QFont f(QString::fromStdString(font.Name()));
    const int h = font.Height();
    f.setPixelSize(h == 0 ? 12 : (h < 0 ? -h : h));
    const TFontStyles st = font.Style();
    f.setBold(st & FontStyle(fsBold));
    f.setItalic(st & FontStyle(fsItalic));
    f.setUnderline(st & FontStyle(fsUnderline));
    f.setStrikeOut(st & FontStyle(fsStrikeOut));
    return f;
}

namespace {

QColor QColorOf(TColor color)
{
    const TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// A pixel of a 24-bit row (blue, green, red) as 0x00BBGGRR and back.
inline TColor ReadPixel(const std::uint8_t* p) { return RGB(p[2], p[1], p[0]); }
inline void WritePixel(std::uint8_t* p, TColor c)
{
    p[0] = std::uint8_t(GetBValue(c));
    p[1] = std::uint8_t(GetGValue(c));
    p[2] = std::uint8_t(GetRValue(c));
}

constexpr QImage::Format PixelStorage = QImage::Format_BGR888;

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

TRect Normalized(int x1, int y1, int x2, int y2)
{
    return TRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

Qt::PenStyle QtPenStyle(TPenStyle s)
{
    switch (s) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle s)
{
    switch (s) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// Evaluates a ternary raster operation on 24 bits of pattern, source and
// destination: bit (P<<2 | S<<1 | D) of the code's third byte is the result.
inline std::uint32_t Rop3(std::uint8_t code, std::uint32_t P, std::uint32_t S, std::uint32_t D)
{
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (code & (1u << i)) r |= ((i & 4) ? P : ~P) & ((i & 2) ? S : ~S) & ((i & 1) ? D : ~D);
    return r & 0xFFFFFFu;
}

} // namespace

// ---------------------------------------------------------------------------
// TPen, TBrush

const TClassInfo& TPen::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TPen>("TPen", TObject::StaticClass())
            .Prop<TColor>("Color", &TPen::Color, &TPen::SetColor)
            .Prop<TPenStyle>("Style", &TPen::Style, &TPen::SetStyle,
                             {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"})
            .Prop<int>("Width", &TPen::Width, &TPen::SetWidth)
            .Build();
    return info;
}

void TPen::SetColor(TColor v)
{
    if (v == FColor) return;
    FColor = v;
    Changed();
}

void TPen::SetWidth(int v)
{
    if (v < 1) v = 1;
    if (v == FWidth) return;
    FWidth = v;
    Changed();
}

void TPen::SetStyle(TPenStyle v)
{
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}

void TPen::Assign(const TPen& other)
{
    FColor = other.FColor;
    FWidth = other.FWidth;
    FStyle = other.FStyle;
    Changed();
}

const TClassInfo& TBrush::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TBrush>("TBrush", TObject::StaticClass())
            .Prop<TColor>("Color", &TBrush::Color, &TBrush::SetColor)
            .Prop<TBrushStyle>("Style", &TBrush::Style, &TBrush::SetStyle,
                               {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                "bsCross", "bsDiagCross"})
            .Build();
    return info;
}

void TBrush::SetColor(TColor v)
{
    // Choosing a colour for a clear brush makes it solid again.
    if (v == FColor && FStyle != bsClear) return;
    FColor = v;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v)
{
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}

void TBrush::Assign(const TBrush& other)
{
    FColor = other.FColor;
    FStyle = other.FStyle;
    Changed();
}

// ---------------------------------------------------------------------------
// TCanvas

const TClassInfo& TCanvas::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCanvas>("TCanvas", TObject::StaticClass())
                                       .Prop<TBrush*>("Brush", &TCanvas::Brush, &TCanvas::SetBrush)
                                       .Prop<TFont*>("Font", &TCanvas::Font, &TCanvas::SetFont)
                                       .Prop<TPen*>("Pen", &TCanvas::Pen, &TCanvas::SetPen)
                                       .Field("OnChange", &TCanvas::OnChange)
                                       .Build();
    return info;
}

TCanvas::TCanvas(TBitmap* target)
    : FTarget(target), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>())
{
}

TCanvas::~TCanvas() = default;

QImage* TCanvas::Image() const
{
    if (!FTarget || FTarget->Empty()) return nullptr;
    return FTarget->FImage.get();
}

TColor TCanvas::Ink(TColor color) const
{
    const TColor c = ColorToRGB(color);
    if (FTarget && FTarget->Monochrome()) return c == clBlack ? clBlack : clWhite;
    return c;
}

void TCanvas::Changed(bool exact)
{
    if (FTarget) FTarget->Changed(exact);
    OnChange(this);
}

TRect TCanvas::ClipRect() const
{
    return FTarget ? TRect{0, 0, FTarget->Width(), FTarget->Height()} : TRect{};
}

TColor TCanvas::Pixel(int x, int y) const
{
    const QImage* img = Image();
    if (!img || x < 0 || y < 0 || x >= img->width() || y >= img->height()) return clNone;
    return ReadPixel(img->constScanLine(y) + 3 * x);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    QImage* img = Image();
    if (!img || x < 0 || y < 0 || x >= img->width() || y >= img->height()) return;
    WritePixel(img->scanLine(y) + 3 * x, Ink(color));
    Changed(true);
}

void TCanvas::HLine(QImage& img, int x1, int x2, int y, TColor c)
{
    if (y < 0 || y >= img.height()) return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, img.width());
    std::uint8_t* row = img.scanLine(y);
    for (int x = x1; x < x2; ++x) WritePixel(row + 3 * x, c);
}

void TCanvas::FillRect(const TRect& r)
{
    QImage* img = Image();
    if (!img || FBrush->Style() == bsClear) return;
    const TRect n = Normalized(r.Left, r.Top, r.Right, r.Bottom);
    if (FBrush->Style() == bsSolid) {
        const TColor c = Ink(FBrush->Color());
        for (int y = std::max(n.Top, 0); y < std::min(n.Bottom, img->height()); ++y) HLine(*img, n.Left, n.Right, y, c);
    } else {
        QPainter p(img);
        p.fillRect(ToQRect(n), QBrush(QColorOf(FBrush->Color()), QtBrushStyle(FBrush->Style())));
    }
    Changed(FBrush->Style() == bsSolid);
}

void TCanvas::FrameRect(const TRect& r)
{
    QImage* img = Image();
    if (!img) return;
    const TRect n = Normalized(r.Left, r.Top, r.Right, r.Bottom);
    if (n.Width() <= 0 || n.Height() <= 0) return;
    const TColor c = Ink(FBrush->Color());
    HLine(*img, n.Left, n.Right, n.Top, c);
    HLine(*img, n.Left, n.Right, n.Bottom - 1, c);
    for (int y = n.Top; y < n.Bottom; ++y) {
        HLine(*img, n.Left, n.Left + 1, y, c);
        HLine(*img, n.Right - 1, n.Right, y, c);
    }
    Changed(true);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    QImage* img = Image();
    if (!img) return;
    const TRect n = Normalized(x1, y1, x2, y2);
    if (n.Width() <= 0 || n.Height() <= 0) return;
    if (FBrush->Style() == bsSolid) {
        const TColor c = Ink(FBrush->Color());
        for (int y = n.Top; y < n.Bottom; ++y) HLine(*img, n.Left, n.Right, y, c);
    } else if (FBrush->Style() != bsClear) {
        QPainter p(img);
        p.fillRect(ToQRect(n), QBrush(QColorOf(FBrush->Color()), QtBrushStyle(FBrush->Style())));
    }
    if (FPen->Style() == psSolid && FPen->Width() == 1) {
        const TColor c = Ink(FPen->Color());
        HLine(*img, n.Left, n.Right, n.Top, c);
        HLine(*img, n.Left, n.Right, n.Bottom - 1, c);
        for (int y = n.Top; y < n.Bottom; ++y) {
            HLine(*img, n.Left, n.Left + 1, y, c);
            HLine(*img, n.Right - 1, n.Right, y, c);
        }
    } else if (FPen->Style() != psClear) {
        QPainter p(img);
        p.setPen(QPen(QColorOf(FPen->Color()), FPen->Width(), QtPenStyle(FPen->Style())));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(n.Left, n.Top, n.Width() - 1, n.Height() - 1));
    }
    const bool pixelWise = (FBrush->Style() == bsSolid || FBrush->Style() == bsClear) &&
                           ((FPen->Style() == psSolid && FPen->Width() == 1) || FPen->Style() == psClear);
    Changed(pixelWise);
}

void TCanvas::LineTo(int x, int y)
{
    QImage* img = Image();
    const TPoint from = FPenPos;
    FPenPos = {x, y};
    if (!img || FPen->Style() == psClear) return;
    if (FPen->Style() == psSolid && FPen->Width() == 1) {
        // Bresenham, leaving out the end point as the desktop does.
        const TColor c = Ink(FPen->Color());
        int x0 = from.X, y0 = from.Y;
        const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
        const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
        int err = dx + dy;
        while (x0 != x || y0 != y) {
            if (x0 >= 0 && y0 >= 0 && x0 < img->width() && y0 < img->height())
                WritePixel(img->scanLine(y0) + 3 * x0, c);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        Changed(true);
    } else {
        QPainter p(img);
        p.setPen(QPen(QColorOf(FPen->Color()), FPen->Width(), QtPenStyle(FPen->Style())));
        p.drawLine(from.X, from.Y, x, y);
        p.end();
        Changed();
    }
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.empty()) return;
    const TPoint saved = FPenPos;
    MoveTo(points[0].X, points[0].Y);
    for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
    FPenPos = saved;
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    QImage* img = Image();
    if (!img) return;
    const TRect n = Normalized(x1, y1, x2, y2);
    QPainter p(img);
    if (FPen->Style() == psClear) p.setPen(Qt::NoPen);
    else p.setPen(QPen(QColorOf(FPen->Color()), FPen->Width(), QtPenStyle(FPen->Style())));
    p.setBrush(QBrush(QColorOf(FBrush->Color()), QtBrushStyle(FBrush->Style())));
    p.drawEllipse(QRect(n.Left, n.Top, n.Width() - 1, n.Height() - 1));
    p.end();
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    const QFont f = ToQFont(*FFont);
    const QFontMetrics fm(f);
    const QString s = QString::fromStdString(text);
    const int w = fm.horizontalAdvance(s);
    FPenPos = {x + w, y};
    QImage* img = Image();
    if (!img) return;
    QPainter p(img);
    if (FBrush->Style() != bsClear) p.fillRect(QRect(x, y, w, fm.height()), QColorOf(FBrush->Color()));
    p.setFont(f);
    p.setPen(QColorOf(FFont->Color()));
    p.drawText(x, y + fm.ascent(), s);
    p.end();
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text)
{
    QImage* img = Image();
    if (!img) return;
    const QFont f = ToQFont(*FFont);
    const QFontMetrics fm(f);
    QPainter p(img);
    const QRect clip = ToQRect(Normalized(r.Left, r.Top, r.Right, r.Bottom));
    p.setClipRect(clip);
    if (FBrush->Style() != bsClear) p.fillRect(clip, QColorOf(FBrush->Color()));
    p.setFont(f);
    p.setPen(QColorOf(FFont->Color()));
    p.drawText(x, y + fm.ascent(), QString::fromStdString(text));
    p.end();
    Changed();
}

int TCanvas::TextWidth(const std::string& text) const
{
    return QFontMetrics(ToQFont(*FFont)).horizontalAdvance(QString::fromStdString(text));
}

int TCanvas::TextHeight(const std::string& text) const
{
    (void)text;
    return QFontMetrics(ToQFont(*FFont)).height();
}

void TCanvas::Draw(int x, int y, const TBitmap& graphic)
{
    QImage* img = Image();
    if (!img || graphic.Empty()) return;
    const QImage& src = *graphic.FImage;
    const bool transparent = graphic.Transparent();
    const TColor tc = transparent ? ColorToRGB(graphic.TransparentColor()) : clNone;
    const bool mono = FTarget->Monochrome();
    for (int sy = 0; sy < src.height(); ++sy) {
        const int dy = y + sy;
        if (dy < 0 || dy >= img->height()) continue;
        const std::uint8_t* srow = src.constScanLine(sy);
        std::uint8_t* drow = img->scanLine(dy);
        for (int sx = 0; sx < src.width(); ++sx) {
            const int dx = x + sx;
            if (dx < 0 || dx >= img->width()) continue;
            TColor c = ReadPixel(srow + 3 * sx);
            if (transparent && c == tc) continue;
            if (mono) c = c == clBlack ? clBlack : clWhite;
            WritePixel(drow + 3 * dx, c);
        }
    }
    Changed(true);
}

void TCanvas::DrawMasked(int x, int y, const TBitmap& image, const TBitmap& mask)
{
    QImage* img = Image();
    if (!img || image.Empty()) return;
    const QImage& src = *image.FImage;
    const QImage& msk = *mask.FImage;
    const bool mono = FTarget->Monochrome();
    for (int sy = 0; sy < src.height(); ++sy) {
        const int dy = y + sy;
        if (dy < 0 || dy >= img->height() || sy >= msk.height()) continue;
        const std::uint8_t* srow = src.constScanLine(sy);
        const std::uint8_t* mrow = msk.constScanLine(sy);
        std::uint8_t* drow = img->scanLine(dy);
        for (int sx = 0; sx < src.width() && sx < msk.width(); ++sx) {
            const int dx = x + sx;
            if (dx < 0 || dx >= img->width() || ReadPixel(mrow + 3 * sx) != clBlack) continue;
            TColor c = ReadPixel(srow + 3 * sx);
            if (mono) c = c == clBlack ? clBlack : clWhite;
            WritePixel(drow + 3 * dx, c);
        }
    }
    Changed(true);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& graphic)
{
    if (graphic.Empty() || r.Width() <= 0 || r.Height() <= 0) return;
    if (r.Width() == graphic.Width() && r.Height() == graphic.Height()) {
        Draw(r.Left, r.Top, graphic);
        return;
    }
    TBitmap scaled;
    scaled.Assign(&graphic);
    *scaled.FImage = graphic.FImage->scaled(r.Width(), r.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (graphic.Transparent()) scaled.SetTransparentColor(graphic.TransparentColor());
    Draw(r.Left, r.Top, scaled);
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect)
{
    QImage* img = Image();
    const QImage* simg = source.Image();
    if (!img || !simg) return;
    const TRect d = Normalized(dest.Left, dest.Top, dest.Right, dest.Bottom);
    const TRect s = Normalized(srcRect.Left, srcRect.Top, srcRect.Right, srcRect.Bottom);
    if (d.Width() <= 0 || d.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0) return;
    // A copy of the source part first, so a canvas can copy onto itself.
    QImage part = simg->copy(ToQRect(s));
    if (part.width() != d.Width() || part.height() != d.Height())
        part = part.scaled(d.Width(), d.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (part.format() != PixelStorage) part = part.convertToFormat(PixelStorage);

    const std::uint8_t code = std::uint8_t((FCopyMode >> 16) & 0xFF);
    const bool usesPattern = ((code >> 4) & 0x0F) != (code & 0x0F);
    const bool maskSource = usesPattern && source.FTarget && source.FTarget->Monochrome();
    const std::uint32_t P = std::uint32_t(ColorToRGB(FBrush->Color())) & 0xFFFFFFu;
    const bool mono = FTarget->Monochrome();
    for (int y = 0; y < d.Height(); ++y) {
        const int dy = d.Top + y;
        if (dy < 0 || dy >= img->height()) continue;
        const std::uint8_t* srow = part.constScanLine(y);
        std::uint8_t* drow = img->scanLine(dy);
        for (int x = 0; x < d.Width(); ++x) {
            const int dx = d.Left + x;
            if (dx < 0 || dx >= img->width()) continue;
            const std::uint32_t sc = std::uint32_t(ReadPixel(srow + 3 * x));
            std::uint32_t result;
            if (FCopyMode == cmSrcCopy) result = sc;
            else {
                const std::uint32_t S = maskSource ? (sc == 0 ? 0xFFFFFFu : 0u) : sc;
                result = Rop3(code, P, S, std::uint32_t(ReadPixel(drow + 3 * dx)));
            }
            TColor c = TColor(result);
            if (mono) c = c == clBlack ? clBlack : clWhite;
            WritePixel(drow + 3 * dx, c);
        }
    }
    Changed(true);
}

// ---------------------------------------------------------------------------
// TBitmap

const TClassInfo& TBitmap::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TBitmap>("TBitmap", TObject::StaticClass())
            .Prop<int>("Height", &TBitmap::Height, &TBitmap::SetHeight)
            .Prop<bool>("Monochrome", &TBitmap::Monochrome, &TBitmap::SetMonochrome)
            .Prop<TPixelFormat>("PixelFormat", &TBitmap::PixelFormat, &TBitmap::SetPixelFormat,
                                {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit",
                                 "pfCustom"})
            .Prop<bool>("Transparent", &TBitmap::Transparent, &TBitmap::SetTransparent)
            .Prop<TColor>("TransparentColor", &TBitmap::TransparentColor, &TBitmap::SetTransparentColor)
            .Prop<TTransparentMode>("TransparentMode", &TBitmap::TransparentMode, &TBitmap::SetTransparentMode,
                                    {"tmAuto", "tmFixed"})
            .Prop<int>("Width", &TBitmap::Width, &TBitmap::SetWidth)
            .Field("OnChange", &TBitmap::OnChange)
            .Build();
    return info;
}

TBitmap::TBitmap() : FImage(std::make_unique<QImage>()), FCanvas(std::make_unique<TCanvas>(this)) {}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() = default;

int TBitmap::Width() const { return FImage->width(); }
int TBitmap::Height() const { return FImage->height(); }

void TBitmap::Changed(bool exact)
{
    if (FPixelFormat == pf1bit && !exact) EnforceMonochrome();
    OnChange(this);
}

void TBitmap::EnforceMonochrome()
{
    for (int y = 0; y < FImage->height(); ++y) {
        std::uint8_t* row = FImage->scanLine(y);
        for (int x = 0; x < FImage->width(); ++x)
            if (ReadPixel(row + 3 * x) != clBlack) WritePixel(row + 3 * x, clWhite);
    }
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height()) return;
    auto next = std::make_unique<QImage>();
    if (width > 0 && height > 0) {
        *next = QImage(width, height, PixelStorage);
        next->fill(Qt::white);
        const int cw = std::min(width, Width()), ch = std::min(height, Height());
        for (int y = 0; y < ch; ++y) std::memcpy(next->scanLine(y), FImage->constScanLine(y), size_t(3 * cw));
    }
    FImage = std::move(next);
    Changed();
}

void TBitmap::Assign(const TBitmap* source)
{
    if (source == this) return;
    if (!source) {
        *FImage = QImage();
        FTransparent = false;
        FTransparentColor = clDefault;
        FTransparentMode = tmAuto;
    } else {
        *FImage = source->FImage->copy();
        FPixelFormat = source->FPixelFormat;
        FTransparent = source->FTransparent;
        FTransparentColor = source->FTransparentColor;
        FTransparentMode = source->FTransparentMode;
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat v)
{
    if (v == FPixelFormat) return;
    FPixelFormat = v;
    Changed();
}

void TBitmap::SetMonochrome(bool v)
{
    if (v == Monochrome()) return;
    SetPixelFormat(v ? pf1bit : pfDevice);
}

void TBitmap::SetTransparent(bool v)
{
    if (v == FTransparent) return;
    FTransparent = v;
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (Empty()) return clDefault;
    return ReadPixel(FImage->constScanLine(Height() - 1));
}

void TBitmap::SetTransparentColor(TColor v)
{
    FTransparentColor = v;
    FTransparentMode = v == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode v)
{
    if (v == FTransparentMode) return;
    if (v == tmAuto) {
        FTransparentColor = clDefault;
        FTransparentMode = tmAuto;
    } else {
        FTransparentColor = TransparentColor();
        FTransparentMode = tmFixed;
    }
    Changed();
}

std::uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= Height()) throw EInvalidGraphicOperation("Scan line index out of range");
    return FImage->scanLine(y);
}

const std::uint8_t* TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= Height()) throw EInvalidGraphicOperation("Scan line index out of range");
    return FImage->constScanLine(y);
}

void TBitmap::LoadFromFile(const std::string& fileName)
{
    QImage loaded;
    if (!loaded.load(QString::fromStdString(fileName), "BMP"))
        throw EInvalidGraphic("Bitmap image is not valid: " + fileName);
    const bool mono = loaded.depth() == 1;
    *FImage = loaded.convertToFormat(PixelStorage);
    FPixelFormat = mono ? pf1bit : pf24bit;
    Changed();
}

void TBitmap::SaveToFile(const std::string& fileName) const
{
    const QImage out = Monochrome() ? FImage->convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                                    : FImage->convertToFormat(QImage::Format_RGB888);
    if (Empty() || !out.save(QString::fromStdString(fileName), "BMP"))
        throw EInvalidGraphic("Cannot write the bitmap file " + fileName);
}

QPixmap ToQPixmap(const TBitmap& bitmap, int part, int parts, bool transparent)
{
    if (bitmap.Empty() || parts < 1) return QPixmap();
    const int w = bitmap.Width() / parts;
    if (w <= 0) return QPixmap();
    QImage img = bitmap.Image().copy(part * w, 0, w, bitmap.Height()).convertToFormat(QImage::Format_ARGB32);
    if (transparent) {
        const QRgb tc = QColorOf(bitmap.TransparentColor()).rgb();
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((row[x] | 0xFF000000u) == tc) row[x] = 0;
        }
    }
    return QPixmap::fromImage(img);
}
