#include "platform/ui/ImgList.h"

#include <algorithm>
#include <string>

const TClassInfo& TImageList::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TImageList>("TImageList", TComponent::StaticClass())
                                       .Prop<int>("Height", &TImageList::Height, &TImageList::SetHeight)
                                       .Prop<int>("Width", &TImageList::Width, &TImageList::SetWidth)
                                       .Field("OnChange", &TImageList::OnChange)
                                       .Build();
    return info;
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::~TImageList() { BeginDestroy(); }

void TImageList::SetWidth(int v)
{
    if (v < 1 || v == FWidth) return;
    FWidth = v;
    Clear();
}

void TImageList::SetHeight(int v)
{
    if (v < 1 || v == FHeight) return;
    FHeight = v;
    Clear();
}

void TImageList::Clear()
{
    FImages.clear();
    OnChange(this);
}

void TImageList::Delete(int index)
{
    Entry(index);
    FImages.erase(FImages.begin() + index);
    OnChange(this);
}

const TImageList::TEntry& TImageList::Entry(int index) const
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid image list index " + std::to_string(index));
    return FImages[size_t(index)];
}

int TImageList::AddImages(const TBitmap* image, const std::function<bool(int, int, TColor)>& transparentAt)
{
    if (!image || image->Empty()) return -1;
    const int first = Count();
    const int parts = std::max(1, image->Width() / FWidth);
    for (int part = 0; part < parts; ++part) {
        // Filled off-canvas first, so the bitmaps report one change each.
        TBitmap pixels(FWidth, FHeight), mask(FWidth, FHeight);
        for (int y = 0; y < FHeight; ++y) {
            std::uint8_t* prow = pixels.ScanLine(y);
            std::uint8_t* mrow = mask.ScanLine(y);
            for (int x = 0; x < FWidth; ++x) {
                const int sx = part * FWidth + x;
                bool drawn = false;
                if (sx < image->Width() && y < image->Height()) {
                    const TColor c = image->Pixel(sx, y);
                    prow[3 * x] = std::uint8_t(GetBValue(c));
                    prow[3 * x + 1] = std::uint8_t(GetGValue(c));
                    prow[3 * x + 2] = std::uint8_t(GetRValue(c));
                    drawn = !transparentAt(sx, y, c);
                }
                const std::uint8_t m = drawn ? 0 : 0xFF;
                mrow[3 * x] = mrow[3 * x + 1] = mrow[3 * x + 2] = m;
            }
        }
        TEntry e;
        e.Image = std::make_unique<TBitmap>();
        e.Image->Assign(&pixels);
        e.Image->SetPixelFormat(pf24bit);
        e.Mask = std::make_unique<TBitmap>();
        e.Mask->Assign(&mask);
        e.Mask->SetMonochrome(true);
        FImages.push_back(std::move(e));
    }
    OnChange(this);
    return first;
}

int TImageList::Add(const TBitmap* image, const TBitmap* mask)
{
    return AddImages(image, [mask](int x, int y, TColor) {
        return mask && x < mask->Width() && y < mask->Height() && mask->Pixel(x, y) == clWhite;
    });
}

int TImageList::AddMasked(const TBitmap* image, TColor maskColor)
{
    const TColor tc = ColorToRGB(maskColor);
    return AddImages(image, [tc](int, int, TColor c) { return c == tc; });
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const
{
    const TEntry& e = Entry(index);
    if (!canvas) return;
    if (enabled) {
        canvas->DrawMasked(x, y, *e.Image, *e.Mask);
        return;
    }
    // Disabled: the image in grey.
    TBitmap grey;
    grey.Assign(e.Image.get());
    for (int iy = 0; iy < grey.Height(); ++iy) {
        std::uint8_t* row = grey.ScanLine(iy);
        for (int ix = 0; ix < grey.Width(); ++ix) {
            std::uint8_t* p = row + 3 * ix;
            const auto lum = std::uint8_t((p[2] * 30 + p[1] * 59 + p[0] * 11) / 100);
            p[0] = p[1] = p[2] = lum;
        }
    }
    canvas->DrawMasked(x, y, grey, *e.Mask);
}

void TImageList::GetBitmap(int index, TBitmap* image) const
{
    Entry(index);
    if (!image) return;
    image->SetSize(FWidth, FHeight);
    image->Canvas()->Brush()->SetColor(clWhite);
    image->Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
    Draw(image->Canvas(), 0, 0, index);
}
