#pragma once
// Shared by the control tests: the folder of the built libraries on the
// library search path, and a helper reading a picture's pixels.
#include <string>
#include <vector>

#include "platform/os/Library.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTestSupport.h"

namespace ctltest {

// Before the first button binds the resource library.
inline const bool LibrariesFound = [] {
    os::AddLibrarySearchPath(ORVANE_LIB_DIR);
    return true;
}();

// The pixels of one square image of a strip, row by row.
inline std::vector<TColor> ImagePixels(const TBitmap& strip, int index)
{
    const int size = strip.Height();
    std::vector<TColor> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels.push_back(strip.Pixel(index * size + x, y));
    return pixels;
}

// How many pixels of the image are not the strip's transparent colour.
inline int DrawnPixels(const TBitmap& strip, int index)
{
    const TColor back = strip.TransparentColor();
    int n = 0;
    for (TColor c : ImagePixels(strip, index)) n += c != back;
    return n;
}

} // namespace ctltest
