#include "framework/PopupMenu.h"

#include "framework/Application.h"
#include "support/InsideTheLoop.h"
#include "support/ProbeWindow.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using framework::Application;
using framework::Point;
using framework::PopupMenu;
using testsupport::ProbeWindow;
using testsupport::SoonInsideTheLoop;
using testsupport::Watchdog;

namespace {

constexpr UINT FontCommand = 999;
constexpr UINT OtherCommand = 5;

// Acts on the open menu window from inside the menu loop, once it is up.
void SoonInTheMenu(std::function<void(HWND)> action) {
    SoonInsideTheLoop([action = std::move(action)]() mutable {
        HWND menu = testhooks::FindWindowByClass("#32768");
        if (menu == nullptr || !testhooks::IsShown(menu)) {
            SoonInTheMenu(std::move(action));
            return;
        }
        action(menu);
    });
}

void Press(HWND menu, WPARAM key) {
    PostMessageA(menu, WM_KEYDOWN, key, 0);
}
void Type(HWND menu, char mnemonic) {
    PostMessageA(menu, WM_CHAR, mnemonic, 0);
}

PopupMenu* FontMenu() {
    auto* menu = new PopupMenu;
    menu->AddItem(FontCommand, "&Font");
    menu->AddSeparator();
    menu->AddItem(OtherCommand, "&Other");
    return menu;
}

class PopupMenuTest : public ::testing::Test {
protected:
    void TearDown() override { testhooks::PumpMessages(); }

    // The owner's commands as its object recorded them.
    std::vector<std::string> Commands() {
        testhooks::PumpMessages();
        std::vector<std::string> commands;
        for (const std::string& call : owner.calls) {
            if (call.rfind("OnCommand", 0) == 0) {
                commands.push_back(call);
            }
        }
        return commands;
    }

    Watchdog watchdog;
    Application application{GetModuleHandleA(nullptr)};
    ProbeWindow owner;
    const Point at{120, 90};
};

} // namespace

TEST_F(PopupMenuTest, ItemsAreAppendedInOrder) {
    std::unique_ptr<PopupMenu> menu(FontMenu());
    ASSERT_TRUE(IsMenu(menu->Handle()));
    EXPECT_EQ(GetMenuItemCount(menu->Handle()), 3);
    EXPECT_EQ(GetMenuItemID(menu->Handle(), 0), FontCommand);
    EXPECT_EQ(GetMenuItemID(menu->Handle(), 2), OtherCommand);
    char text[16] = {};
    GetMenuStringA(menu->Handle(), OtherCommand, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Other");
    EXPECT_TRUE(menu->AddItem(7, "&Greyed", MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(menu->Handle(), 7, MF_ENABLED), MF_GRAYED);
    const HMENU handle = menu->Handle();
    menu.reset();
    EXPECT_FALSE(IsMenu(handle)) << "the object owns its menu";
}

TEST_F(PopupMenuTest, ChooseWaitsForTheCommandAndSendsNothing) {
    std::unique_ptr<PopupMenu> menu(FontMenu());
    EXPECT_TRUE(menu->IsTrackingFinished()) << "a menu not shown can go";
    bool finishedWhileShown = true;
    SoonInTheMenu([&](HWND window) {
        finishedWhileShown = menu->IsTrackingFinished();
        Type(window, 'o');
    });
    EXPECT_EQ(menu->Choose(owner.Handle(), at), static_cast<int>(OtherCommand));
    EXPECT_FALSE(finishedWhileShown) << "the mark is clear while the menu is up";
    EXPECT_TRUE(menu->IsTrackingFinished()) << "and set once the call returned";
    EXPECT_TRUE(Commands().empty()) << "the chosen command is returned, not sent";

    SoonInTheMenu([](HWND window) { Press(window, VK_ESCAPE); });
    EXPECT_EQ(menu->Choose(owner.Handle(), at), 0) << "dismissed";
    EXPECT_TRUE(menu->IsTrackingFinished());
}

TEST_F(PopupMenuTest, ShowDeliversTheChosenCommandToTheOwner) {
    std::unique_ptr<PopupMenu> menu(FontMenu());
    bool finishedWhileShown = true;
    SoonInTheMenu([&](HWND window) {
        finishedWhileShown = menu->IsTrackingFinished();
        Type(window, 'f');
    });
    EXPECT_TRUE(menu->Show(owner.Handle(), at));
    EXPECT_FALSE(finishedWhileShown);
    EXPECT_TRUE(menu->IsTrackingFinished());
    EXPECT_EQ(Commands(), (std::vector<std::string>{"OnCommand 999/0"}));

    SoonInTheMenu([](HWND window) { Press(window, VK_ESCAPE); });
    EXPECT_FALSE(menu->Show(owner.Handle(), at)) << "dismissed";
    EXPECT_EQ(Commands().size(), 1u) << "no command for a dismissed menu";
}

TEST_F(PopupMenuTest, FinishedPreviousMenuIsDeletedAtOnce) {
    PopupMenu* first = FontMenu();
    PopupMenu* second = FontMenu();
    const HMENU firstHandle = first->Handle();
    const HMENU secondHandle = second->Handle();
    application.SetCurrentPopupMenu(first);
    EXPECT_EQ(application.CurrentPopupMenu(), first);
    application.SetCurrentPopupMenu(first);
    EXPECT_TRUE(IsMenu(firstHandle)) << "setting the current menu again keeps it";

    application.SetCurrentPopupMenu(second);
    EXPECT_FALSE(IsMenu(firstHandle)) << "never shown, so nothing waits for it";
    EXPECT_EQ(application.DeferredMenuCount(), 0);
    EXPECT_EQ(application.CurrentPopupMenu(), second);

    SoonInTheMenu([](HWND window) { Press(window, VK_ESCAPE); });
    second->Show(owner.Handle(), at);
    application.SetCurrentPopupMenu(nullptr);
    EXPECT_FALSE(IsMenu(secondHandle)) << "its loop had ended";
    EXPECT_EQ(application.CurrentPopupMenu(), nullptr);
    EXPECT_EQ(application.DeferredMenuCount(), 0);
}

// Every menu is made before the first is deleted, so that no handle checked below can stand for a
// newer menu.
TEST_F(PopupMenuTest, MenuReplacedWhileShownWaitsUntilItsLoopHasEnded) {
    PopupMenu* shown = FontMenu();
    PopupMenu* replacement = FontMenu();
    PopupMenu* third = FontMenu();
    const HMENU shownHandle = shown->Handle();
    const HMENU replacementHandle = replacement->Handle();
    const HMENU thirdHandle = third->Handle();
    application.SetCurrentPopupMenu(shown);

    bool aliveInItsLoop = false;
    int deferredInItsLoop = -1;
    SoonInTheMenu([&](HWND window) {
        // A command handler run from the menu's own loop puts up the next menu.
        application.SetCurrentPopupMenu(replacement);
        aliveInItsLoop = IsMenu(shownHandle) && shown->Handle() == shownHandle;
        deferredInItsLoop = application.DeferredMenuCount();
        Type(window, 'f');
    });
    EXPECT_TRUE(shown->Show(owner.Handle(), at)) << "the replaced menu still finished its loop";
    EXPECT_TRUE(aliveInItsLoop);
    EXPECT_EQ(deferredInItsLoop, 1);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"OnCommand 999/0"}));
    EXPECT_TRUE(IsMenu(shownHandle)) << "finished, but nothing has asked for the list to be cleared yet";
    EXPECT_EQ(application.DeferredMenuCount(), 1);

    application.SetCurrentPopupMenu(third);
    EXPECT_FALSE(IsMenu(shownHandle)) << "the next change deletes the finished waiting menu";
    EXPECT_FALSE(IsMenu(replacementHandle)) << "the previous menu was never shown: deleted at once";
    EXPECT_EQ(application.DeferredMenuCount(), 0);
    EXPECT_TRUE(IsMenu(thirdHandle));
}

TEST_F(PopupMenuTest, WaitingMenuMadeCurrentAgainIsNotDeletedFromTheList) {
    PopupMenu* shown = FontMenu();
    PopupMenu* other = FontMenu();
    const HMENU shownHandle = shown->Handle();
    const HMENU otherHandle = other->Handle();
    application.SetCurrentPopupMenu(shown);
    SoonInTheMenu([&](HWND window) {
        application.SetCurrentPopupMenu(other);
        application.SetCurrentPopupMenu(shown);
        Press(window, VK_ESCAPE);
    });
    shown->Show(owner.Handle(), at);
    EXPECT_FALSE(IsMenu(otherHandle));
    EXPECT_EQ(application.DeferredMenuCount(), 0) << "the current menu is not also waiting";
    application.SetCurrentPopupMenu(nullptr);
    EXPECT_FALSE(IsMenu(shownHandle)) << "deleted once, as the current menu";
}

TEST(PopupMenuTeardownTest, TeardownDeletesTheCurrentMenuAndTheFinishedWaitingOnes) {
    Watchdog watchdog;
    HMENU currentHandle = nullptr;
    HMENU waitingHandle = nullptr;
    {
        Application application(GetModuleHandleA(nullptr));
        ProbeWindow owner;
        PopupMenu* waiting = FontMenu();
        PopupMenu* current = FontMenu();
        waitingHandle = waiting->Handle();
        currentHandle = current->Handle();
        application.SetCurrentPopupMenu(waiting);
        SoonInTheMenu([&](HWND window) {
            application.SetCurrentPopupMenu(current);
            Press(window, VK_ESCAPE);
        });
        waiting->Show(owner.Handle(), Point{10, 10});
        ASSERT_EQ(application.DeferredMenuCount(), 1);
        ASSERT_TRUE(IsMenu(waitingHandle));
    }
    EXPECT_FALSE(IsMenu(currentHandle));
    EXPECT_FALSE(IsMenu(waitingHandle));
}

TEST(PopupMenuTeardownTest, TeardownInsideAMenuLoopLeavesThatMenuToItsLoop) {
    Watchdog watchdog;
    auto application = std::make_unique<Application>(GetModuleHandleA(nullptr));
    ProbeWindow owner;
    std::unique_ptr<PopupMenu> shown(FontMenu());
    PopupMenu* current = FontMenu();
    const HMENU currentHandle = current->Handle();
    application->SetCurrentPopupMenu(shown.get());
    bool shownSurvived = false;
    SoonInTheMenu([&](HWND window) {
        application->SetCurrentPopupMenu(current);
        application.reset();
        shownSurvived = IsMenu(shown->Handle());
        Press(window, VK_ESCAPE);
    });
    EXPECT_FALSE(shown->Show(owner.Handle(), Point{10, 10}));
    EXPECT_TRUE(shownSurvived) << "a menu still in its loop is not deleted under it";
    EXPECT_FALSE(IsMenu(currentHandle)) << "the current menu went with the application";
    EXPECT_TRUE(shown->IsTrackingFinished());
    // The application gave the unfinished menu up: it is this test's to delete.
}
