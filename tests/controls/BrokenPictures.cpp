// A resource library that claims pictures 1 ... 10 but fails to load any.
#include <stdexcept>

class TBitmap;

extern "C" __attribute__((visibility("default"))) int GetMaxBmpID(void) { return 10; }

extern "C" __attribute__((visibility("default"))) bool LoadBmp(TBitmap*, int)
{
    throw std::runtime_error("picture data damaged");
}
