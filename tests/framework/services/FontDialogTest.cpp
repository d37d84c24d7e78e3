#include "framework/services/FontDialog.h"

#include "framework/Application.h"
#include "framework/Font.h"
#include "support/InsideTheLoop.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using framework::Colour;
using framework::Font;
using framework::FontDialog;
using testsupport::SoonInsideTheLoop;

namespace {

void SoonPressInTheChooser(int key) {
    SoonInsideTheLoop([key] {
        HWND chooser = GetActiveWindow();
        ASSERT_NE(chooser, nullptr);
        testhooks::PressKey(chooser, key);
    });
}

} // namespace

TEST(FontDialogTest, StartsFromTheGivenFontAndKeepsTheChoice) {
    testsupport::Watchdog watchdog;
    framework::Application application{GetModuleHandleA(nullptr)};
    Font courier("Courier New", 10, true);

    FontDialog cancelled(nullptr, &courier, Colour(0, 0, 128), false);
    EXPECT_EQ(cancelled.Record().Flags, CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT);
    EXPECT_EQ(cancelled.Record().rgbColors, Colour(0, 0, 128).Value());
    EXPECT_STREQ(cancelled.LogicalFont().lfFaceName, "Courier New") << "read from the font object";
    SoonPressInTheChooser(VK_ESCAPE);
    EXPECT_EQ(cancelled.Show(), FALSE);
    EXPECT_EQ(cancelled.TakeFont(), nullptr) << "nothing chosen";

    SoonPressInTheChooser(VK_RETURN);
    FontDialog confirmed(nullptr, &courier, Colour(), true);
    EXPECT_NE(confirmed.Result(), FALSE);
    std::unique_ptr<Font> chosen(confirmed.TakeFont());
    ASSERT_NE(chosen, nullptr);
    LOGFONTA chosenLog{};
    GetObjectA(chosen->Handle(), sizeof chosenLog, &chosenLog);
    EXPECT_STREQ(chosenLog.lfFaceName, confirmed.LogicalFont().lfFaceName)
        << "the font is made from the choice";
    EXPECT_GE(chosenLog.lfWeight, FW_BOLD) << "confirming unchanged keeps the bold weight";

    FontDialog withoutFont(nullptr, nullptr, Colour(), false);
    EXPECT_EQ(withoutFont.Record().Flags, CF_SCREENFONTS | CF_EFFECTS);
    EXPECT_EQ(withoutFont.LogicalFont().lfHeight, 0);
}
