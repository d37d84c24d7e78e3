#include "framework/ProgressMeter.h"

#include "framework/Application.h"
#include "framework/Layout.h"
#include "support/ProbeWindow.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>

using framework::Layout;
using framework::MessageRecord;
using framework::ProgressMeter;
using testsupport::ProbeWindow;

namespace {

// A meter that counts its paints.
class CountingMeter : public ProgressMeter {
public:
    CountingMeter(framework::Window* parent, Layout* layout, int step)
        : ProgressMeter(parent, layout, WS_VISIBLE, step) {}
    LRESULT OnPaintDefault(MessageRecord& record) override {
        ++paints;
        return ProgressMeter::OnPaintDefault(record);
    }
    int paints = 0;
};

Layout* At(int left, int top, int right, int bottom) {
    auto* layout = new Layout;
    layout->SetInitialRect({left, top, right, bottom});
    return layout;
}

class ProgressMeterTest : public ::testing::Test {
protected:
    void SetUp() override {
        MoveWindow(parent.Handle(), 0, 0, 400, 200, FALSE);
        ShowWindow(parent.Handle(), SW_SHOW);
        testhooks::PumpMessages();
    }
    CountingMeter& Meter(int step = 1) {
        meter = new CountingMeter(&parent, At(10, 10, 210, 40), step);
        testhooks::PumpMessages();
        meter->paints = 0;
        return *meter;
    }
    framework::Application application{GetModuleHandleA(nullptr)};
    ProbeWindow parent;
    CountingMeter* meter = nullptr; // owned by the parent
};

TEST_F(ProgressMeterTest, ValuesAreClampedIntoARealPercentage) {
    CountingMeter& meter = Meter();
    meter.SetProgress(0, 0);
    EXPECT_EQ(meter.Percent(), 0.0);
    meter.SetProgress(10, 20);
    EXPECT_EQ(meter.Percent(), 100.0);
    meter.SetProgress(10, -5);
    EXPECT_EQ(meter.Percent(), 0.0);
    meter.SetProgress(-3, 0.5); // a total of 0 or less counts as 1
    EXPECT_EQ(meter.Percent(), 50.0);
    meter.SetProgress(200, 50);
    meter.SetDone(150);
    EXPECT_EQ(meter.Percent(), 75.0);
}

TEST_F(ProgressMeterTest, RepaintsOnlyWhenAWholeStepIsCrossed) {
    CountingMeter& meter = Meter(1);
    meter.SetProgress(1000, 412);
    const int afterFirst = meter.paints;
    EXPECT_EQ(afterFirst, 1);
    meter.SetProgress(1000, 419); // 41.2 -> 41.9: same step
    EXPECT_EQ(meter.paints, afterFirst);
    meter.SetProgress(1000, 420); // 42.0
    EXPECT_EQ(meter.paints, afterFirst + 1);

    CountingMeter& coarse = Meter(10);
    coarse.SetProgress(100, 21);
    EXPECT_EQ(coarse.paints, 1);
    coarse.SetProgress(100, 29.9);
    EXPECT_EQ(coarse.paints, 1);
    coarse.SetProgress(100, 30);
    EXPECT_EQ(coarse.paints, 2);
}

TEST_F(ProgressMeterTest, StepIsClampedOnEveryUpdate) {
    CountingMeter& meter = Meter(0); // becomes 1
    meter.SetProgress(100, 1);
    EXPECT_EQ(meter.paints, 1);
    CountingMeter& huge = Meter(500); // becomes 100: only 100 % crosses a step
    huge.SetProgress(100, 99);
    EXPECT_EQ(huge.paints, 0);
    huge.SetProgress(100, 100);
    EXPECT_EQ(huge.paints, 1);
}

TEST_F(ProgressMeterTest, DrawsABlueBarOnBlackBetweenGreyMargins) {
    CountingMeter& meter = Meter();
    meter.SetProgress(4, 1);
    testhooks::PumpMessages();
    RECT client{};
    GetClientRect(meter.Handle(), &client);
    const int middle = client.bottom / 2;
    EXPECT_EQ(testhooks::ClientPixel(meter.Handle(), 2, middle), RGB(0, 0, 255));
    EXPECT_EQ(testhooks::ClientPixel(meter.Handle(), client.right - 2, middle), RGB(0, 0, 0));
    // The bar is as high as the text plus 4 pixels; the rest is button face, above and below.
    EXPECT_EQ(testhooks::ClientPixel(meter.Handle(), client.right - 2, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(testhooks::ClientPixel(meter.Handle(), client.right - 2, client.bottom - 1),
              GetSysColor(COLOR_BTNFACE));
    // The text "25%" is drawn in the middle: some pixel there is neither blue nor black.
    bool textFound = false;
    for (int x = client.right / 2 - 12; x < client.right / 2 + 12 && !textFound; ++x) {
        const COLORREF colour = testhooks::ClientPixel(meter.Handle(), x, middle);
        textFound = colour != RGB(0, 0, 0) && colour != RGB(0, 0, 255);
    }
    EXPECT_TRUE(textFound);
    EXPECT_EQ(GetWindowLongPtrA(meter.Handle(), GWL_STYLE) & (WS_CHILD | WS_BORDER), WS_CHILD | WS_BORDER);
}

} // namespace
