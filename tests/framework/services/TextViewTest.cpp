#include "framework/services/TextView.h"

#include "framework/Application.h"
#include "framework/Layout.h"
#include "framework/Window.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <string>

using framework::TextView;

namespace {

class Frame : public framework::Window {
public:
    Frame() { CreateFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0); }
};

framework::Layout* Filling(int width, int height) {
    auto* layout = new framework::Layout;
    layout->SetInitialRect({0, 0, width, height});
    return layout;
}

class TextViewTest : public ::testing::Test {
protected:
    void SetUp() override { MoveWindow(frame.Handle(), 0, 0, 600, 600, FALSE); }
    // A view whose client area holds exactly `rows` rows.
    TextView& View(int32_t capacity, int rows = 10, bool newestOnTop = false) {
        view = new TextView(&frame, Filling(300, 100), 0, capacity, newestOnTop);
        RECT window{};
        RECT client{};
        GetWindowRect(view->Handle(), &window);
        GetClientRect(view->Handle(), &client);
        const int extraHeight = (window.bottom - window.top) - client.bottom;
        MoveWindow(view->Handle(), 0, 0, 300, rows * view->CellHeight() + extraHeight, TRUE);
        testhooks::PumpMessages();
        return *view;
    }
    void Key(int key) { SendMessageA(view->Handle(), WM_KEYDOWN, key, 0); }
    static std::string Lines(int from, int to) {
        std::string text;
        for (int n = from; n < to; ++n) {
            text += "line " + std::to_string(n) + "\n";
        }
        return text;
    }

    testsupport::Watchdog watchdog; // the context-menu tests run the menu's and the chooser's loops
    framework::Application application{GetModuleHandleA(nullptr)};
    Frame frame;
    TextView* view = nullptr; // owned by the frame
};

TEST_F(TextViewTest, TabsExpandToTheColumnAfterTheNextMultipleOfSixteen) {
    TextView& text = View(100);
    text.AppendText("A\tB\n");
    text.AppendText("0123456789012345\tX\n");
    text.AppendText("\t\n");
    EXPECT_EQ(std::string(text.Line(0).CStr()).find('B'), 17u);
    EXPECT_EQ(std::string(text.Line(1).CStr()).find('X'), 33u);
    EXPECT_EQ(text.Line(2).Length(), 17);
    EXPECT_EQ(text.WidestLine(), 34);
}

TEST_F(TextViewTest, OpenLinesContinueAndClearStartsAfresh) {
    TextView& text = View(100);
    text.AppendText("ab\tc");
    text.AppendText("d\nnext");
    ASSERT_EQ(text.LineCount(), 2);
    EXPECT_EQ(std::string(text.Line(0).CStr()), "ab" + std::string(15, ' ') + "cd"); // c lands on column 17
    EXPECT_STREQ(text.Line(1).CStr(), "next");
    text.AppendText("");
    EXPECT_EQ(text.LineCount(), 2);
    text.Clear();
    EXPECT_EQ(text.LineCount(), 0);
    EXPECT_EQ(text.WidestLine(), 0);
    text.AppendText("fresh\n"); // the open line before Clear is gone: a new line
    ASSERT_EQ(text.LineCount(), 1);
    EXPECT_STREQ(text.Line(0).CStr(), "fresh");
}

TEST_F(TextViewTest, TheOldestLineIsDroppedAtCapacity) {
    TextView& text = View(5000);
    text.AppendText(Lines(0, 4999).c_str());
    EXPECT_EQ(text.LineCount(), 4999);
    EXPECT_STREQ(text.Line(0).CStr(), "line 0");
    text.AppendText("line 4999\n");
    EXPECT_EQ(text.LineCount(), 4999);
    EXPECT_STREQ(text.Line(0).CStr(), "line 1");
    EXPECT_STREQ(text.Line(4998).CStr(), "line 4999");
}

TEST_F(TextViewTest, CapacityIsRaisedToTheRowsThatFit) {
    TextView& text = View(3, 10);
    EXPECT_EQ(text.Capacity(), 10);
    text.AppendText(Lines(0, 12).c_str());
    EXPECT_EQ(text.LineCount(), 9);
}

TEST_F(TextViewTest, FollowModeKeepsTheNewestLineInSightUntilTheUserScrollsAway) {
    TextView& text = View(1000, 10);
    text.AppendText(Lines(0, 50).c_str());
    EXPECT_TRUE(text.IsFollowing());
    EXPECT_EQ(text.FirstLine(), 40);
    Key(VK_HOME);
    EXPECT_EQ(text.FirstLine(), 0);
    EXPECT_FALSE(text.IsFollowing());
    text.AppendText(Lines(50, 60).c_str());
    EXPECT_EQ(text.FirstLine(), 0); // the view stays where the user put it
    Key(VK_DOWN);
    Key(VK_NEXT);
    EXPECT_EQ(text.FirstLine(), 11);
    Key(VK_END);
    EXPECT_TRUE(text.IsFollowing());
    EXPECT_EQ(text.FirstLine(), 50);
    text.AppendText(Lines(60, 65).c_str());
    EXPECT_EQ(text.FirstLine(), 55);
    Key(VK_UP);
    EXPECT_FALSE(text.IsFollowing());
    Key(VK_DOWN); // back at the end: following again
    EXPECT_TRUE(text.IsFollowing());
}

TEST_F(TextViewTest, NewestOnTopFollowsTheFirstLine) {
    TextView& text = View(1000, 10, true);
    text.AppendText(Lines(0, 30).c_str());
    EXPECT_EQ(text.FirstLine(), 0);
    EXPECT_EQ(SendMessageA(text.Handle(), WM_GETDLGCODE, 0, 0), 0x83);
}

TEST_F(TextViewTest, HorizontalKeysScrollByColumns) {
    TextView& text = View(100, 5);
    text.AppendText((std::string(200, 'x') + "\n").c_str());
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(text.FirstColumn(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(text.FirstColumn(), 1);
}

TEST_F(TextViewTest, RowsArePaintedInTheTextColourOnTheBackground) {
    TextView& text = View(100, 4);
    text.AppendText("WWWW\n");
    testhooks::PumpMessages();
    const int y = text.CellHeight() / 2;
    bool inked = false;
    for (int x = 0; x < 4 * text.CellWidth() && !inked; ++x) {
        inked = testhooks::ClientPixel(text.Handle(), x, y) != GetSysColor(COLOR_WINDOW);
    }
    EXPECT_TRUE(inked);
    EXPECT_EQ(testhooks::ClientPixel(text.Handle(), 250, y), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(testhooks::ClientPixel(text.Handle(), 10, text.CellHeight() * 2 + 2),
              GetSysColor(COLOR_WINDOW));
}

bool menuSeen = false;

void DismissMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND menu = testhooks::FindWindowByClass("#32768")) {
        menuSeen = true;
        KillTimer(nullptr, timer);
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

TEST_F(TextViewTest, ContextMenuOffersTheFontAndCancellingChangesNothing) {
    TextView& text = View(100, 4);
    text.AppendText("kept\n");
    const int cellWidth = text.CellWidth();
    menuSeen = false;
    SetTimer(nullptr, 0, 5, DismissMenu);
    SendMessageA(text.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(text.Handle()), MAKELPARAM(20, 20));
    EXPECT_TRUE(menuSeen);
    EXPECT_EQ(text.CellWidth(), cellWidth);
    EXPECT_EQ(text.LineCount(), 1);
}

// Chooses "&Font" in the menu, then confirms the font chooser with its OK button.
int fontSteps = 0;

void ChooseFontAndConfirm(HWND, UINT, UINT_PTR timer, DWORD) {
    if (fontSteps == 0) {
        if (HWND menu = testhooks::FindWindowByClass("#32768")) {
            fontSteps = 1;
            PostMessageA(menu, WM_CHAR, 'f', 0);
        }
        return;
    }
    HWND chooser = testhooks::FindWindowByCaption("Font");
    if (chooser != nullptr && testhooks::IsShown(chooser)) {
        fontSteps = 2;
        KillTimer(nullptr, timer);
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
    }
}

TEST_F(TextViewTest, ChoosingAFontFromTheMenuMeasuresTheCellAgain) {
    TextView& text = View(100, 4);
    text.AppendText("kept\n");
    framework::Font* before = text.GetFont();
    fontSteps = 0;
    SetTimer(nullptr, 0, 5, ChooseFontAndConfirm);
    SendMessageA(text.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(text.Handle()), MAKELPARAM(20, 20));
    EXPECT_EQ(fontSteps, 2);
    EXPECT_NE(text.GetFont(), before); // the chosen font replaced the view's own
    EXPECT_GT(text.CellHeight(), 0);
    EXPECT_EQ(text.LineCount(), 1);
}

} // namespace
