#include "platform/ui/Graphics.h"

#include <cstdlib>

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
