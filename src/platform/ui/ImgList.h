#pragma once
// TImageList: a list of images of one size, each with a mask of the pixels
// that are drawn (the rest is transparent).
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Classes.h"
#include "platform/ui/Graphics.h"

class TImageList : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TImageList(TComponent* AOwner);
    ~TImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list.
    void SetWidth(int v);
    void SetHeight(int v);
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds the images of `image` (as many as fit side by side at Width;
    // the part of a narrower or shorter image is filled with white). With
    // a mask (monochrome or not), its white pixels are transparent; without
    // one every pixel is drawn. Returns the index of the first image added.
    int Add(const TBitmap* image, const TBitmap* mask);
    // The same with the pixels of `maskColor` transparent.
    int AddMasked(const TBitmap* image, TColor maskColor);
    void Delete(int index);
    void Clear();

    // Draws the image's drawn pixels on the canvas; raises EInvalidOperation
    // for an index out of range.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    // Gives `image` the list's size, fills it white and draws the image on it.
    void GetBitmap(int index, TBitmap* image) const;

    TNotifyEvent OnChange;

private:
    struct TEntry {
        std::unique_ptr<TBitmap> Image;
        std::unique_ptr<TBitmap> Mask; // monochrome: black where drawn
    };
    const TEntry& Entry(int index) const;
    int AddImages(const TBitmap* image, const std::function<bool(int, int, TColor)>& transparentAt);

    int FWidth = 16;
    int FHeight = 16;
    std::vector<TEntry> FImages;
};
