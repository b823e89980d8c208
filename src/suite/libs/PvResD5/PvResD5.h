#pragma once
// The suite's resource library PvResD5.so ("PvResD5.dll" to the programs that
// load it by name): button pictures by number. Both functions have C linkage
// and are looked up by name; the caller and the library share the platform
// layer, so the bitmap passed is the caller's own TBitmap.
//
//   int  GetMaxBmpID(void)
//        The highest picture number the library holds (48). Numbers from 1
//        up to it may still have no picture.
//
//   bool LoadBmp(TBitmap* bitmap, int id)
//        Fills `bitmap` (owned by the caller) with picture `id`: a
//        horizontal strip of square 16 x 16 images (normal, then disabled
//        where the picture has one), 24-bit, transparent colour = its
//        bottom-left pixel (clFuchsia). Returns true when loaded. Returns
//        false and leaves the bitmap untouched for a null bitmap, a number
//        outside 1 ... GetMaxBmpID() or a number without a picture. It never
//        throws.
class TBitmap;

extern "C" {
__attribute__((visibility("default"))) int GetMaxBmpID(void);
__attribute__((visibility("default"))) bool LoadBmp(TBitmap* bitmap, int id);
}
