#pragma once
// TGSpeedButton: a speed button whose picture is named by a number,
// GlyphIndex, and loaded at run time from the suite's resource library
// "PvResD5.dll" (PvResD5.so here) through its two exports:
//
//   int  GetMaxBmpID(void);                 the highest picture number held
//   bool LoadBmp(TBitmap* bitmap, int id);  fills the bitmap; true when loaded
//
// The pictures are horizontal strips of equal square images (normal, then
// disabled ...), so the strip's width / height is the button's NumGlyphs.
// The layout never carries the bitmap itself, only the number.
#include <string>

#include "platform/ui/Buttons.h"

// The resource library the buttons take their pictures from. It is bound by
// name on first use and kept loaded. When the library or one of its exports
// cannot be found, no picture loads (the highest number counts as 0) and
// every button shows its number instead.
namespace glyphres {

// "PvResD5.dll" unless changed.
std::string LibraryName();
// Names another library; the next use binds to it (the one bound so far is
// released). For installations that rename it, and for tests.
void SetLibraryName(const std::string& name);
// GetMaxBmpID of the library; 0 without the library or the export.
int MaxBmpID();
// LoadBmp of the library; false without the library or the export.
bool LoadBmp(TBitmap* bitmap, int id);

} // namespace glyphres

class TGSpeedButton : public TSpeedButton {
    ORVANE_CLASS_INFO
public:
    explicit TGSpeedButton(TComponent* AOwner);

    // Setting a new number writes it as the caption, then loads the picture:
    // on success the caption is cleared and NumGlyphs becomes the strip's
    // width / height. 0 or a number above the library's highest clears the
    // glyph; a picture the library does not have leaves the glyph as it
    // was. Either way the caption keeps the number. An error while loading
    // is reported ("读取 BMP 发生错误") and the number stays stored.
    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int n);
    // Kept with the layout; nothing reads it.
    int HintIndex() const { return FHintIndex; }
    void SetHintIndex(int v) { FHintIndex = v; }

private:
    int FGlyphIndex = 0;
    int FHintIndex = 0;
};
