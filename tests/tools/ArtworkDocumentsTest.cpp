// The documents that ship beside the program: the operator's guide, opened in the program's real
// help viewer, and the desktop entry, checked by the desktop's own validator.

#include "framework/services/HelpViewer.h"
#include "platform/Windows.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string guidePath = std::string(TOLVA_SOURCE_DIR) + "/docs/dnxhelp.hlp";
const std::string desktopEntryPath = std::string(TOLVA_SOURCE_DIR) + "/packaging/tolva-dnc.desktop";

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Text(const std::string& path) {
    std::string text;
    for (const std::string& line : Lines(path))
        text += line + "\n";
    return text;
}

struct Heading {
    int line;
    std::string title;
};

// The numbered headings, by context number; every heading after the first must carry one.
std::map<long, Heading> Topics(const std::vector<std::string>& lines) {
    std::map<long, Heading> topics;
    const std::regex numbered(R"(# (.*\S) \{(\d+)\})");
    for (size_t index = 1; index < lines.size(); ++index) {
        if (lines[index].rfind("# ", 0) != 0)
            continue;
        std::smatch match;
        if (!std::regex_match(lines[index], match, numbered)) {
            ADD_FAILURE() << "heading without a context number: " << lines[index];
            continue;
        }
        const long context = std::stol(match[2]);
        EXPECT_EQ(topics.count(context), 0u) << "context " << context << " used twice";
        topics[context] = {static_cast<int>(index), match[1]};
    }
    return topics;
}

// A top-level window of the platform's own to own the help viewer, as the main window does.
class ViewerOwner {
public:
    ViewerOwner() {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "GuideOwner";
        RegisterClassExA(&windowClass);
        window = CreateWindowExA(0, "GuideOwner", "Guide", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    }
    ~ViewerOwner() {
        framework::ShowHelp(window, guidePath.c_str(), HELP_QUIT, 0);
        DestroyWindow(window);
    }
    ViewerOwner(const ViewerOwner&) = delete;
    ViewerOwner& operator=(const ViewerOwner&) = delete;

    int TopLineAfter(UINT command, ULONG_PTR data) const {
        if (!framework::ShowHelp(window, guidePath.c_str(), command, data))
            return -1;
        return framework::HelpViewerTopLine(framework::HelpViewerOf(window));
    }

    HWND window = nullptr;
};

} // namespace

TEST(OperatorGuideTest, EveryTopicOpensAtItsHeadingAndTheMainWindowIsTopicZero) {
    const std::vector<std::string> lines = Lines(guidePath);
    ASSERT_FALSE(lines.empty()) << guidePath;
    const std::map<long, Heading> topics = Topics(lines);
    ASSERT_EQ(topics.count(0), 1u) << "the main window registers its topic with context 0";
    EXPECT_EQ(topics.at(0).title, "The main window");

    ViewerOwner owner;
    ASSERT_NE(owner.window, nullptr);
    EXPECT_EQ(owner.TopLineAfter(HELP_INDEX, 0), 0) << "the Help button opens the contents";
    for (const auto& [context, heading] : topics)
        EXPECT_EQ(owner.TopLineAfter(HELP_CONTEXT, static_cast<ULONG_PTR>(context)), heading.line)
            << heading.title;

    // The contents list names every section, in the order of the file.
    std::vector<std::string> listed;
    for (size_t index = 1; index < lines.size() && lines[index].rfind("# ", 0) != 0; ++index) {
        if (lines[index].rfind("  ", 0) == 0)
            listed.push_back(lines[index].substr(2));
    }
    std::vector<std::string> sections;
    for (const std::string& line : lines) {
        if (line.rfind("# ", 0) == 0 && &line != &lines.front())
            sections.push_back(line.substr(2, line.rfind(" {") - 2));
    }
    EXPECT_EQ(listed, sections);
}

TEST(OperatorGuideTest, LinesFitTheViewerWhichDoesNotWrap) {
    const std::vector<std::string> lines = Lines(guidePath);
    for (size_t index = 0; index < lines.size(); ++index) {
        EXPECT_LE(lines[index].size(), 74u) << "line " << index + 1 << ": " << lines[index];
        EXPECT_EQ(lines[index].find('\t'), std::string::npos) << "line " << index + 1 << " has a tab";
    }
}

TEST(OperatorGuideTest, QuotesEveryStatusTextAsTheStatusLineShowsIt) {
    const std::string guide = Text(guidePath);
    // <path>, <n> and <total> stand for the parts the status line fills in.
    const char* const statusTexts[] = {
        "No Link",
        "Waiting...",
        "Loop Back Test",
        "Directory Listing",
        "NC Controller Option",
        "Download Waiting For Controller",
        "Download Request Received",
        "Upload Request Received",
        "Download Preparation",
        "Download could not open/read from <path>",
        "Upload could not open/write to <path>",
        "Upload Preparation",
        "Downloading <path> - <n> of <total> bytes sent.",
        "Uploading <path> - <n> bytes received.",
        "Download Error(s) <path>",
        "Upload Error(s) <path>",
        "Download Cancelled <path>",
        "Upload Cancelled <path>",
        "Download Completed <path> - <n> bytes",
        "Upload Completed <path> - <n> bytes in file.",
        "Autoload Cutting <path>",
        "Local Loopback Test Failure",
        "Local_Loop Back Test Success",
        "Directory Listing: Error",
        "Over Run Error! Data loss has occurred!",
        "Unexpected error <path>",
    };
    for (const char* text : statusTexts)
        EXPECT_NE(guide.find("\"" + std::string(text) + "\""), std::string::npos) << text;
}

TEST(OperatorGuideTest, QuotesTheCaptionsOfEveryButtonSettingAndBox) {
    const std::string guide = Text(guidePath);
    const char* const captions[] = {
        // The main window.
        "Status",
        "Rx",
        "Tx",
        "CTS Hold",
        "DSR Hold",
        "RLS Hold",
        "XOff Hold",
        "XOff Sent",
        "View",
        "Log",
        "Test",
        "Help",
        "Change Settings",
        "Close",
        // The settings dialog.
        "Settings",
        "Port",
        "Baud Rate",
        "Parity",
        "Data Bits",
        "Stop Bits",
        "Flow Control",
        "Character Delay (milliseconds)",
        "Line Delay (milliseconds)",
        "Transmit Delay (Seconds)",
        "Control Characters",
        "Send Code to Start Transmission",
        "Send Code to End Transmission",
        "Files",
        "Upload Path",
        "Download Path",
        "File Extension",
        "Activity Log",
        "Write Log File",
        "Log File",
        "...",
        "Ok",
        "Cancel",
        "Xon/Xoff",
        "Hardware",
        "Combined",
        "None",
        // Message boxes and the trace log.
        "Open Comm",
        "Close Previous Connection",
        "Set Comm Buffer Sizes",
        "Get Comm State",
        "Update Comm State",
        "Set Comm State",
        "Setup_Timeouts",
        "Comms Status Check",
        "Read Data",
        "Unable to write to log file",
        "Save Log File As",
        "Start of logging",
        "End of Logging",
        "Application Terminated",
        "==================== Settings ======================",
    };
    for (const char* caption : captions)
        EXPECT_NE(guide.find("\"" + std::string(caption) + "\""), std::string::npos) << caption;
    EXPECT_NE(guide.find("Tolva DNC link"), std::string::npos) << "the product's name";
    EXPECT_NE(guide.find("2.26.050"), std::string::npos) << "the version the main window shows";
}

TEST(DesktopEntryTest, PassesTheDesktopValidatorAndNamesTheProgramAndItsIcon) {
    const std::string entry = Text(desktopEntryPath);
    EXPECT_NE(entry.find("\nExec=tolva-dnc\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=tolva-dnc\n"), std::string::npos) << "the name the icon is installed under";
    EXPECT_NE(entry.find("\nTerminal=false\n"), std::string::npos);

    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is missing: run tools/install-deps";
    // The validator prints nothing for a clean file; warnings count as failures here.
    FILE* output = popen(("timeout 30 desktop-file-validate '" + desktopEntryPath + "' 2>&1").c_str(), "r");
    ASSERT_NE(output, nullptr);
    std::string report;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, output) != nullptr)
        report += buffer;
    const int status = pclose(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
    EXPECT_EQ(report, "");
}
