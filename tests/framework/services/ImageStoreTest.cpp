#include "framework/services/ImageStore.h"

#include "framework/Canvas.h"
#include "framework/services/ImageSet.h"
#include "resources/ProgramResources.h"

#include <gtest/gtest.h>

using framework::Canvas;
using framework::ImageSet;
using framework::ImageStore;

namespace {

constexpr int32_t GreenLamp = 15108;
constexpr int32_t RedLamp = 15109;
constexpr COLORREF Blue = RGB(0, 0, 255);

// A 32 x 32 colour target filled blue, bound to a canvas.
struct Target {
    Target() : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(32, 32, 1, 32, nullptr)) {
        previous = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(Blue);
        const RECT all{0, 0, 32, 32};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        canvas.Bind(dc);
    }
    ~Target() {
        canvas.Unbind();
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous = nullptr;
    Canvas canvas;
};

class ImageStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { resources::RegisterProgramResources(); }
    ImageStore store;
};

TEST_F(ImageStoreTest, EachPictureIsLoadedOncePerSize) {
    EXPECT_EQ(store.AddImage(GreenLamp, 16, 16, ILC_COLOR4), 0);
    EXPECT_EQ(store.AddImage(RedLamp, 16, 16, ILC_COLOR4), 1);
    EXPECT_EQ(store.AddImage(GreenLamp, 16, 16, ILC_COLOR4), 0);
    ImageSet* small = store.FindSet(16, 16);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(small->List()), 2);

    // Another size is another set with indexes of its own.
    EXPECT_EQ(store.AddImage(RedLamp, 32, 32, ILC_COLOR4), 0);
    ImageSet* large = store.FindSet(32, 32);
    ASSERT_NE(large, nullptr);
    EXPECT_NE(large, small);
    EXPECT_EQ(ImageList_GetImageCount(large->List()), 1);
    EXPECT_EQ(store.FindSet(16, 32), nullptr);
}

TEST_F(ImageStoreTest, LightGreyIsTransparentWithoutAMaskColour) {
    const int32_t index = store.AddImage(GreenLamp, 16, 16, ILC_COLOR4);
    Target target;
    ASSERT_TRUE(
        store.Draw(store.FindSet(16, 16), target.canvas, index, 0, 2, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    // The lamp's corners are light grey in the picture: the blue shows through them, while its
    // middle is drawn.
    EXPECT_EQ(GetPixel(target.dc, 0, 2), Blue);
    EXPECT_EQ(GetPixel(target.dc, 15, 17), Blue);
    EXPECT_NE(GetPixel(target.dc, 8, 10), Blue);
    EXPECT_EQ(GetPixel(target.dc, 8, 20), Blue); // below the picture
}

TEST_F(ImageStoreTest, AMissingPictureKeepsItsPlaceAndDrawsNothing) {
    EXPECT_EQ(store.AddImage(GreenLamp, 16, 16, ILC_COLOR4), 0);
    EXPECT_EQ(store.AddImage(4711, 16, 16, ILC_COLOR4), 1);
    EXPECT_EQ(store.AddImage(RedLamp, 16, 16, ILC_COLOR4), 2);
    ImageSet* set = store.FindSet(16, 16);
    EXPECT_EQ(ImageList_GetImageCount(set->List()), 3);
    Target target;
    ASSERT_TRUE(store.Draw(set, target.canvas, 1, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(target.dc, 8, 8), Blue);
    ASSERT_TRUE(store.Draw(set, target.canvas, 2, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    EXPECT_NE(GetPixel(target.dc, 8, 8), Blue);
}

TEST_F(ImageStoreTest, NothingIsDrawnWithoutASetOrAContext) {
    store.AddImage(GreenLamp, 16, 16, ILC_COLOR4);
    Canvas unbound;
    EXPECT_EQ(store.Draw(store.FindSet(16, 16), unbound, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT), 0);
    Target target;
    EXPECT_EQ(store.Draw(nullptr, target.canvas, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT), 0);
    EXPECT_EQ(store.AddImage(GreenLamp, 0, 16, ILC_COLOR4), -1);
}

} // namespace
