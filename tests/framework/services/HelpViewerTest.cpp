// The help viewer's links, history and find, driven through the display's input path as an
// operator would drive them, over the operator's guide that ships with the program.

#include "framework/services/HelpViewer.h"

#include "framework/services/HelpText.h"
#include "platform/Windows.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using framework::help::HelpDocument;
using framework::help::ParseHelpText;
using testhooks::Modifier;

const std::string guidePath = TOLVA_HELP_FILE;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::vector<std::string> GuideLines() {
    std::ifstream in(guidePath, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The text a link shows, as the viewer parsed it.
std::string LinkText(const HelpDocument& document, const framework::help::HelpLink& link) {
    return document.lines[static_cast<size_t>(link.line)].text.substr(link.start, link.length);
}

class HelpViewer : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "HelpOwner";
        RegisterClassExA(&windowClass);
        owner = CreateWindowExA(0, "HelpOwner", "Owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_TRUE(framework::ShowHelp(owner, guidePath.c_str(), HELP_INDEX, 0)) << guidePath;
        viewer = framework::HelpViewerOf(owner);
        ASSERT_NE(viewer, nullptr);
        testhooks::PumpMessages();
    }
    void TearDown() override {
        framework::ShowHelp(owner, guidePath.c_str(), HELP_QUIT, 0);
        DestroyWindow(owner);
        UnregisterClassA("HelpOwner", nullptr);
    }

    // The line of the heading with the text, as the file numbers it from 0.
    int HeadingLine(const std::string& heading) const {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind("# " + heading, 0) == 0) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << "no heading " << heading;
        return -1;
    }
    int TopLine() const { return framework::HelpViewerTopLine(viewer); }
    std::string TopText() const { return lines.at(static_cast<size_t>(TopLine())); }

    // Clicks the middle of the first link in view that shows the text.
    bool ClickLink(const std::string& text) {
        RECT rect{};
        if (!framework::HelpViewerLinkRect(viewer, text, &rect)) {
            ADD_FAILURE() << "no link in view shows " << text;
            return false;
        }
        return testhooks::ClickAt(viewer, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    }
    // Scrolls down a line at a time, as an operator would, until a link showing the text is in view.
    bool ScrollToLink(const std::string& text, RECT& rect) {
        for (int line = 0; line < 40; ++line) {
            if (framework::HelpViewerLinkRect(viewer, text, &rect)) {
                return true;
            }
            Press(VK_DOWN);
        }
        ADD_FAILURE() << "no link shows " << text;
        return false;
    }
    bool Press(int key, Modifier modifiers = Modifier::None) {
        return testhooks::PressKey(viewer, key, modifiers);
    }

    testsupport::Watchdog watchdog;
    const std::vector<std::string> lines = GuideLines();
    HWND owner = nullptr;
    HWND viewer = nullptr;
};

} // namespace

TEST(HelpText, ReferencesNameAHeadingOrTheLeadingWordsOfExactlyOne) {
    const HelpDocument document =
        ParseHelpText("Contents\r\n"
                      "  The port map: COM1 to COM9\r\n"
                      "  A section that is not there\r\n"
                      "  THE LAMPS.\r\n"
                      "\r\n"
                      "  The loopback test\r\n"
                      "See \"the PORT map.\" and \"The\" and \"The lamp\" and \"Status\".\r\n"
                      "Then (see \"The loopback\r\n"
                      "test\") and (see \"The lamps:\").\r\n"
                      "# The port map: COM1 to COM9 {3}\r\n"
                      "# The lamps {7}\r\n"
                      "# The loopback test\r\n");
    struct Expected {
        int line;
        std::string text;
        int target;
    };
    const std::vector<Expected> expected = {
        {1, "The port map: COM1 to COM9", 9}, // a contents entry naming a heading
        {3, "THE LAMPS.", 10},                // case and a trailing full stop do not count
        {6, "the PORT map.", 9},              // the leading words of one heading only
        {8, "The lamps:", 10},
    };
    ASSERT_EQ(document.links.size(), expected.size())
        << "an entry after the contents' end, an ambiguous or "
           "unknown quote, a part word and a quote across lines "
           "are no links";
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(document.links[i].line, expected[i].line) << "link " << i;
        EXPECT_EQ(LinkText(document, document.links[i]), expected[i].text) << "link " << i;
        EXPECT_EQ(document.links[i].target, expected[i].target) << "link " << i;
    }
    EXPECT_EQ(document.lines[9].text, "The port map: COM1 to COM9") << "the context number is not shown";
}

TEST(HelpText, EveryContentsEntryAndSeeReferenceOfTheGuideIsALink) {
    std::ifstream in(guidePath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const HelpDocument document = ParseHelpText(text);
    const auto linksAt = [&document](size_t line, size_t start) {
        return std::count_if(document.links.begin(), document.links.end(),
                             [&](const framework::help::HelpLink& link) {
                                 return link.line == static_cast<int>(line) && link.start == start;
                             });
    };

    size_t line = 0;
    while (line < document.lines.size() && document.lines[line].text != "Contents") {
        ++line;
    }
    size_t entries = 0;
    for (++line; line < document.lines.size() && !document.lines[line].text.empty(); ++line, ++entries) {
        EXPECT_EQ(linksAt(line, 2), 1) << "contents entry " << document.lines[line].text;
    }
    EXPECT_GT(entries, 15u);

    size_t references = 0;
    for (size_t i = 0; i < document.lines.size(); ++i) {
        const std::string folded = Lower(document.lines[i].text);
        for (size_t at = folded.find("see \""); at != std::string::npos; at = folded.find("see \"", at + 1)) {
            ++references;
            EXPECT_EQ(linksAt(i, at + 5), 1) << "line " << i + 1 << ": " << document.lines[i].text;
        }
    }
    EXPECT_GT(references, 15u);
}

TEST_F(HelpViewer, ClickingAContentsEntryPutsItsHeadingAtTheTop) {
    EXPECT_GT(framework::HelpViewerLinkCount(viewer), 0);
    RECT rect{};
    ASSERT_TRUE(ScrollToLink("Troubleshooting: flow control", rect));
    const int scrolled = TopLine();

    // A press that is released away from the link follows nothing, nor does a click on plain text.
    ASSERT_TRUE(testhooks::PressMouseAt(viewer, POINT{rect.left + 2, rect.top + 2}));
    ASSERT_TRUE(testhooks::ReleaseMouseAt(viewer, POINT{rect.right + 40, rect.top + 2}));
    EXPECT_EQ(TopLine(), scrolled) << "released away from the link";
    ASSERT_TRUE(testhooks::ClickAt(viewer, POINT{rect.right + 40, rect.top + 2}));
    EXPECT_EQ(TopLine(), scrolled) << "clicked beside the link";

    ASSERT_TRUE(testhooks::ClickAt(viewer, POINT{rect.left + 2, (rect.top + rect.bottom) / 2}));
    EXPECT_EQ(TopLine(), HeadingLine("Troubleshooting: flow control"));
    testhooks::PumpMessages(); // painting links must not fail
}

TEST_F(HelpViewer, TabWalksThroughTheLinksAndEnterFollowsTheSelectedOne) {
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "");
    ASSERT_TRUE(Press(VK_RETURN));
    EXPECT_EQ(TopLine(), 0) << "Enter with no link selected";

    ASSERT_TRUE(Press(VK_TAB));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "Getting started") << "the first link in view";
    ASSERT_TRUE(Press(VK_TAB));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "The main window");
    ASSERT_TRUE(Press(VK_TAB, Modifier::Shift));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "Getting started");

    // Before the first link comes the file's last one, a reference near its end, scrolled into view.
    size_t lastReference = lines.size();
    while (lastReference > 0 && lines[--lastReference].find("(see \"") == std::string::npos) {
    }
    ASSERT_TRUE(Press(VK_TAB, Modifier::Shift));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "The port map: COM1 to COM9 on Linux")
        << lines[lastReference];
    EXPECT_LE(TopLine(), static_cast<int>(lastReference)) << "scrolled down to show it";
    EXPECT_GT(TopLine(), static_cast<int>(lastReference) - 30) << "scrolled down to show it";
    const int gettingStartedEntry = static_cast<int>(
        std::find(lines.begin(), lines.end(), std::string("  Getting started")) - lines.begin());
    ASSERT_TRUE(Press(VK_TAB));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "Getting started");
    EXPECT_EQ(TopLine(), gettingStartedEntry) << "scrolled back up to the contents";

    ASSERT_TRUE(Press(VK_RETURN));
    EXPECT_EQ(TopLine(), HeadingLine("Getting started"));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "") << "a jump leaves no link selected";
    ASSERT_TRUE(Press(VK_TAB));
    EXPECT_EQ(framework::HelpViewerSelectedLink(viewer), "Connecting the cable")
        << "the first link of the new view";
}

TEST_F(HelpViewer, QuotedReferencesFollowToTheHeadingTheyNameOrBegin) {
    ASSERT_TRUE(framework::ShowHelp(owner, guidePath.c_str(), HELP_CONTEXT, 1));
    ASSERT_EQ(TopLine(), HeadingLine("Getting started"));
    ASSERT_TRUE(ClickLink("Connecting the cable"));
    EXPECT_EQ(TopLine(), HeadingLine("Connecting the cable"));

    ASSERT_TRUE(Press(VK_BACK));
    ASSERT_TRUE(ClickLink("Permission to use the port"));
    EXPECT_EQ(TopLine(), HeadingLine("Permission to use the port: the dialout group"));
}

// The vertical scroll bar tells the reader where the view stands in the guide, follows the keys,
// and scrolls the view from its arrows and page areas.
TEST_F(HelpViewer, TheScrollBarShowsWhereTheViewStandsAndScrollsIt) {
    const auto bar = [this] {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        EXPECT_TRUE(GetScrollInfo(viewer, SB_VERT, &info));
        return info;
    };
    SCROLLINFO info = bar();
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, static_cast<int>(lines.size()) - 1) << "the range is the guide's lines";
    EXPECT_GT(info.nPage, 10u) << "the page is the lines in view";
    EXPECT_EQ(info.nPos, 0);
    Press(VK_NEXT);
    EXPECT_GT(TopLine(), 0);
    EXPECT_EQ(bar().nPos, TopLine()) << "the keys move the thumb";
    const int paged = TopLine();
    SendMessageA(viewer, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(TopLine(), paged + 1) << "the down arrow";
    SendMessageA(viewer, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(TopLine(), std::max(0, paged + 1 - static_cast<int>(info.nPage)))
        << "the page area above the thumb";
    SendMessageA(viewer, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(TopLine(), static_cast<int>(lines.size()) - 1);
    EXPECT_EQ(bar().nPos, TopLine());
}

TEST_F(HelpViewer, BackReturnsToTheTopLineBeforeEachJumpAndHomeIsAJump) {
    RECT rect{};
    ASSERT_TRUE(ScrollToLink("Troubleshooting: flow control", rect));
    const int scrolled = TopLine();
    ASSERT_TRUE(ClickLink("Troubleshooting: flow control"));
    const int flowControl = HeadingLine("Troubleshooting: flow control");
    ASSERT_EQ(TopLine(), flowControl);
    ASSERT_TRUE(ClickLink("Connecting the cable"));
    ASSERT_EQ(TopLine(), HeadingLine("Connecting the cable"));

    ASSERT_TRUE(Press(VK_BACK));
    EXPECT_EQ(TopLine(), flowControl) << "Backspace";
    ASSERT_TRUE(Press(VK_LEFT, Modifier::Alt));
    EXPECT_EQ(TopLine(), scrolled) << "Alt+Left, to where the arrow keys had scrolled";
    ASSERT_TRUE(Press(VK_BACK));
    EXPECT_EQ(TopLine(), scrolled) << "scrolling pushed nothing to go back to";

    // Home is a jump too.
    ASSERT_TRUE(Press(VK_NEXT));
    const int paged = TopLine();
    ASSERT_GT(paged, scrolled);
    ASSERT_TRUE(Press(VK_HOME));
    EXPECT_EQ(TopLine(), 0) << "Home";
    ASSERT_TRUE(Press(VK_BACK));
    EXPECT_EQ(TopLine(), paged) << "back from Home";
}

TEST_F(HelpViewer, FindMovesFromLineToLineHoldingTheTextAndEscapeEndsIt) {
    std::vector<int> holding;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (Lower(lines[i]).find("dialout") != std::string::npos) {
            holding.push_back(static_cast<int>(i));
        }
    }
    ASSERT_GE(holding.size(), 3u) << "the guide speaks of the dialout group";

    ASSERT_TRUE(Press('F', Modifier::Control));
    EXPECT_EQ(framework::HelpViewerFindText(viewer), "");
    ASSERT_TRUE(testhooks::TypeText(viewer, "DIAL"));
    EXPECT_EQ(framework::HelpViewerFindText(viewer), "DIAL");
    ASSERT_TRUE(testhooks::TypeText(viewer, "out"));
    EXPECT_EQ(framework::HelpViewerFindText(viewer), "DIALout");
    EXPECT_EQ(TopLine(), holding[0]) << TopText();

    for (size_t next = 1; next < holding.size(); ++next) {
        ASSERT_TRUE(Press(next % 2 ? VK_F1 + 2 : VK_RETURN));
        EXPECT_EQ(TopLine(), holding[next]) << (next % 2 ? "F3 " : "Enter ") << next;
    }
    ASSERT_TRUE(Press(VK_F1 + 2));
    EXPECT_EQ(TopLine(), holding[0]) << "past the last line the find goes on from the top";

    // A text no line holds leaves the view at the last match; Backspace takes the character back.
    ASSERT_TRUE(testhooks::TypeText(viewer, "q"));
    EXPECT_EQ(TopLine(), holding[0]);
    ASSERT_TRUE(Press(VK_BACK));
    EXPECT_EQ(framework::HelpViewerFindText(viewer), "DIALout");
    EXPECT_EQ(TopLine(), holding[0]) << "Backspace edits the text and goes nowhere";
    testhooks::PumpMessages(); // painting the find line and the match must not fail

    ASSERT_TRUE(Press(VK_ESCAPE));
    EXPECT_EQ(framework::HelpViewerFindText(viewer), "");
    EXPECT_EQ(TopLine(), holding[0]) << "Escape leaves the view where the find left it";
    ASSERT_TRUE(testhooks::TypeText(viewer, "cable"));
    EXPECT_EQ(framework::HelpViewerFindText(viewer), "") << "typing after Escape finds nothing";
    EXPECT_EQ(TopLine(), holding[0]);

    ASSERT_TRUE(Press(VK_BACK));
    EXPECT_EQ(TopLine(), 0) << "the whole find was one jump";
}
