// The resource library PvResD5.so through its two C exports, as the buttons
// bind them: by name, from a library loaded by its original name.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "ControlsTestSupport.h"
#include "controls/GSpdBtn.h"

namespace {

using TGetMaxBmpID = int();
using TLoadBmp = bool(TBitmap*, int);

class PictureLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = os::TLibrary::Load("PvResD5.dll");
        ASSERT_NE(library, nullptr) << os::TLibrary::LastLoadError();
        getMax = library->GetProc<TGetMaxBmpID>("GetMaxBmpID");
        load = library->GetProc<TLoadBmp>("LoadBmp");
        ASSERT_NE(getMax, nullptr);
        ASSERT_NE(load, nullptr);
    }

    std::unique_ptr<os::TLibrary> library;
    TGetMaxBmpID* getMax = nullptr;
    TLoadBmp* load = nullptr;
};

TEST_F(PictureLibrary, HoldsThePicturesTheFormsUseAsStripsOfSquareImages)
{
    EXPECT_GE(getMax(), 47);
    struct Case {
        int id;
        int images;
    };
    // 4 (empty the list) carries its disabled image; the others one image.
    for (const Case c : {Case{4, 2}, Case{8, 1}, Case{9, 1}, Case{39, 1}, Case{47, 1}}) {
        SCOPED_TRACE(c.id);
        TBitmap strip;
        ASSERT_TRUE(load(&strip, c.id));
        EXPECT_EQ(strip.Height(), 16);
        EXPECT_EQ(strip.Width(), 16 * c.images);
        // The bottom-left pixel is the background, so it is what buttons
        // leave out; every image draws something on it.
        EXPECT_EQ(strip.TransparentColor(), strip.Pixel(0, 15));
        for (int i = 0; i < c.images; ++i) EXPECT_GT(ctltest::DrawnPixels(strip, i), 20) << "image " << i;
    }
}

TEST_F(PictureLibrary, EachNumberHasItsOwnPicture)
{
    std::set<std::vector<TColor>> seen;
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 39, 47, 48}) {
        TBitmap strip;
        ASSERT_TRUE(load(&strip, id)) << id;
        EXPECT_TRUE(seen.insert(ctltest::ImagePixels(strip, 0)).second) << "picture " << id << " repeats another";
    }
}

TEST_F(PictureLibrary, TheDisabledImageIsTheShapeInGreyAndWhite)
{
    TBitmap strip;
    ASSERT_TRUE(load(&strip, 4));
    const TColor back = strip.TransparentColor();
    int grey = 0;
    for (TColor c : ctltest::ImagePixels(strip, 1)) {
        EXPECT_TRUE(c == back || c == clWhite || c == clGray) << std::hex << c;
        grey += c == clGray;
    }
    EXPECT_GT(grey, 20);
    // Grey where the normal image draws; the white highlight is below right.
    EXPECT_NE(strip.Pixel(16 + 2, 1), back);
    EXPECT_NE(strip.Pixel(2, 1), back);
}

TEST_F(PictureLibrary, RefusedRequestsLeaveTheBitmapAsItWas)
{
    const int max = getMax();
    EXPECT_FALSE(load(nullptr, 8));
    // 0, negative, beyond the highest number, and a number without a picture.
    for (int id : {0, -1, max + 1, 20}) {
        SCOPED_TRACE(id);
        TBitmap b(3, 2);
        b.SetPixel(1, 1, clRed);
        EXPECT_FALSE(load(&b, id));
        EXPECT_EQ(b.Width(), 3);
        EXPECT_EQ(b.Height(), 2);
        EXPECT_EQ(b.Pixel(1, 1), clRed);
    }
}

TEST_F(PictureLibrary, LoadingReplacesWhatTheBitmapHeld)
{
    TBitmap b(40, 40);
    b.SetPixelFormat(pf1bit);
    b.SetTransparentColor(clRed);
    ASSERT_TRUE(load(&b, 9));
    EXPECT_EQ(b.Width(), 16);
    EXPECT_EQ(b.Height(), 16);
    EXPECT_FALSE(b.Monochrome());
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), b.Pixel(0, 15));
}

// The binding the buttons use.
class ResourceBinding : public ::testing::Test {
protected:
    void TearDown() override { glyphres::SetLibraryName("PvResD5.dll"); }
};

TEST_F(ResourceBinding, BindsTheSuiteLibraryByItsOriginalName)
{
    EXPECT_EQ(glyphres::LibraryName(), "PvResD5.dll");
    EXPECT_GE(glyphres::MaxBmpID(), 47);
    TBitmap b;
    EXPECT_TRUE(glyphres::LoadBmp(&b, 8));
    EXPECT_FALSE(glyphres::LoadBmp(nullptr, 8));
}

TEST_F(ResourceBinding, AMissingLibraryOrExportHasNoPictures)
{
    // A library that cannot be found, and one found without the exports.
    for (const char* name : {"NoSuchPictures.dll", "libplatform_core.so"}) {
        SCOPED_TRACE(name);
        glyphres::SetLibraryName(name);
        EXPECT_EQ(glyphres::MaxBmpID(), 0);
        TBitmap b(2, 2);
        EXPECT_FALSE(glyphres::LoadBmp(&b, 8));
        EXPECT_EQ(b.Width(), 2);
    }
    glyphres::SetLibraryName("PvResD5.dll");
    EXPECT_GE(glyphres::MaxBmpID(), 47);
}

} // namespace
