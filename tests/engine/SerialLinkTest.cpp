#include "engine/SerialLink.h"

#include "engine/PortPollThread.h"
#include "platform/serial/Pty.h"
#include "support/RecordingView.h"
#include "support/SerialSupport.h"
#include "testhooks/MemoryLine.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using engine::CommsSettings;
using engine::SerialLink;
using framework::String;

namespace {

using testsupport::RecordingView;

// A link whose engine hooks record what they are given.
class ProbeLink : public SerialLink {
public:
    using SerialLink::SerialLink;
    std::vector<std::string> records;
    int processed = 0;

protected:
    void LogRecord(const char* text, bool forced) override {
        records.push_back(std::string(forced ? "!" : "") + text);
    }
    void ProcessReceived() override { ++processed; }
};

// A link whose engine has a byte to send every other time it is asked, as a download of a program
// with an empty line after every line, until it has sent its share.
// Sends one "x" and then skips `skipped` lines, as a program with runs of empty lines does, until
// it has sent its share; it says it is sending a program until then.
class AlternatingLink : public SerialLink {
public:
    AlternatingLink(CommsSettings& settings, engine::LinkView& view, int skipped = 1)
        : SerialLink(settings, view), period(skipped + 1) {}
    static constexpr int Share = 100;
    std::atomic<int> sent{0};

protected:
    void OnTransmitReady() override {
        if (sent < Share && asked++ % period == 0) {
            QueueBytes("x", 1);
            ++sent;
        }
    }
    bool IsSendingProgram() override { return sent < Share; }

private:
    const int period;
    int asked = 0;
};

class SerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        line = testhooks::AttachMemoryLine("COM5");
        settings.profileName = "TOLVA";
        settings.port = "COM5";
        settings.baudRate = "9600";
        settings.parity = "None";
        settings.dataBits = "8";
        settings.stopBits = "1";
        settings.flowControl = "Xon/Xoff";
    }
    void TearDown() override {
        link.ClosePort();
        testhooks::DetachMemoryLine("COM5");
    }
    // Polls until the condition holds or a second has passed.
    template <class Condition> bool PollUntil(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            link.PollPort();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return condition();
    }

    std::shared_ptr<testhooks::MemoryLine> line;
    CommsSettings settings = CommsSettings::ForController();
    RecordingView view;
    ProbeLink link{settings, view};
};

} // namespace

TEST_F(SerialLinkTest, OpensAndShowsTheLinkInTheCaption) {
    link.ApplyPortSettings(false);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(view.Boxes().empty());
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA COM5:9600,N,8,1,Xon/Xoff");
    EXPECT_EQ(view.Captions().back(), "TOLVA COM5:9600,N,8,1,Xon/Xoff");
    EXPECT_EQ(line->Settings().baudRate, 9600u);
    const DCB& dcb = link.DeviceControlBlock();
    EXPECT_EQ(dcb.fOutX, 1u);
    EXPECT_EQ(dcb.fInX, 1u);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_TRUE(line->IsDtrOn());
    EXPECT_TRUE(line->IsRtsOn());
}

TEST_F(SerialLinkTest, PortsBeyondCom9OpenThroughTheDeviceForm) {
    auto twelve = testhooks::AttachMemoryLine("COM12");
    settings.port = "COM12";
    link.ApplyPortSettings(false);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(view.Boxes().empty());
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA COM12:9600,N,8,1,Xon/Xoff");
    link.ClosePort();
    testhooks::DetachMemoryLine("COM12");
}

TEST_F(SerialLinkTest, MissingPortGivesOneOpenCommBox) {
    settings.port = "COM8";
    link.ApplyPortSettings(false);
    EXPECT_FALSE(link.IsOpen());
    const auto boxes = view.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, boxes[0].find('|')), "Open Comm");
    EXPECT_EQ(boxes[0].substr(boxes[0].find('|') + 1, 5), "COM8\n")
        << "the port name, a line break, the system text";
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA - No Link");
    EXPECT_FALSE(link.PollPort()) << "the poll returns at once";
    EXPECT_EQ(view.Boxes().size(), 1u);
}

TEST_F(SerialLinkTest, RejectedFramingIsAnUpdateCommStateBox) {
    settings.baudRate = "fast";
    link.ApplyPortSettings(false);
    EXPECT_TRUE(link.IsOpen()) << "the port stays open unconfigured";
    ASSERT_EQ(view.Boxes().size(), 1u);
    EXPECT_EQ(view.Boxes()[0].substr(0, 17), "Update Comm State");
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA - No Link");
}

TEST_F(SerialLinkTest, RefusedStateIsASetCommStateBox) {
    settings.dataBits = "5";
    settings.stopBits = "2"; // five data bits with two stop bits: the driver refuses the state
    link.ApplyPortSettings(false);
    ASSERT_EQ(view.Boxes().size(), 1u);
    EXPECT_EQ(view.Boxes()[0].substr(0, view.Boxes()[0].find('|')), "Set Comm State");
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA - No Link");
}

TEST_F(SerialLinkTest, PseudoTerminalHangUpIsReportedOnceWithoutSpinning) {
    std::string programSide;
    HANDLE farEnd = platform::OpenPseudoTerminal(programSide);
    ASSERT_NE(farEnd, INVALID_HANDLE_VALUE);
    settings.port = programSide.c_str();
    link.ApplyPortSettings(false);
    ASSERT_TRUE(link.IsOpen());
    EXPECT_TRUE(view.Boxes().empty());
    CloseHandle(farEnd); // the cable's adapter is pulled
    const auto start = std::chrono::steady_clock::now();
    int polls = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
        EXPECT_FALSE(link.PollPort());
        ++polls;
    }
    EXPECT_GT(polls, 100) << "each poll returns at once";
    const auto boxes = view.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, boxes[0].find('|')), "Comms Status Check");
    EXPECT_NE(boxes[0].find("The device is not connected."), std::string::npos) << boxes[0];
}

TEST_F(SerialLinkTest, DeviceControlStringAndFlowTable) {
    settings.parity = "Space";
    EXPECT_STREQ(SerialLink::DeviceControlString(settings).CStr(), "baud=9600 parity=S data=8 stop=1");
    DCB dcb{};
    dcb.fOutX = dcb.fInX = 1;
    SerialLink::ApplyFlowControl(dcb, "Hardware", false);
    EXPECT_EQ(dcb.fOutxCtsFlow + dcb.fOutxDsrFlow + dcb.fDsrSensitivity, 3u);
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
    EXPECT_EQ(dcb.fOutX + dcb.fInX, 0u);
    SerialLink::ApplyFlowControl(dcb, "Combined", true);
    EXPECT_EQ(dcb.fOutX + dcb.fInX, 0u) << "software flow suppressed";
    SerialLink::ApplyFlowControl(dcb, "Combined", false);
    EXPECT_EQ(dcb.fOutX + dcb.fInX, 2u);
    SerialLink::ApplyFlowControl(dcb, "None", false);
    EXPECT_EQ(dcb.fOutxCtsFlow + dcb.fOutxDsrFlow + dcb.fDsrSensitivity + dcb.fOutX + dcb.fInX, 0u);
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    dcb.fDsrSensitivity = 1;
    dcb.fOutX = 1;
    SerialLink::ApplyFlowControl(dcb, "xon/xoff", false);
    EXPECT_EQ(dcb.fDsrSensitivity, 0u) << "an unknown name only clears the DSR sensitivity";
    EXPECT_EQ(dcb.fOutX, 1u);
}

TEST_F(SerialLinkTest, ReadBytesAreRecordedInPrintableForm) {
    EXPECT_STREQ(SerialLink::Printable("\x7f\x1f\x80\xff A", 6).CStr(), "\x7f[1f][80][ff] A");
    link.ApplyPortSettings(false);
    line->Send("DOWNLOAD\x01\r");
    ASSERT_TRUE(PollUntil([&] { return link.ReceiveCount() == 10; }));
    ASSERT_FALSE(link.records.empty());
    EXPECT_EQ(link.records.back(), "!RX DOWNLOAD[01][0d]") << "forced trace record";
    EXPECT_GE(link.processed, 1);
    EXPECT_EQ(view.Monitor(), "RX DOWNLOAD[01][0d]\n");
    EXPECT_TRUE(link.TakeReceiveActivity());
    EXPECT_FALSE(link.TakeReceiveActivity());
    EXPECT_STREQ(link.TakeReceived().CStr(), "DOWNLOAD\x01\r");
}

TEST_F(SerialLinkTest, FullReceiveBufferIsDroppedWithOverrunState) {
    link.ApplyPortSettings(false);
    line->Send(std::string(4000, 'x'));
    ASSERT_TRUE(PollUntil([&] { return link.ReceiveCount() == SerialLink::ReceiveBufferSize; }));
    line->Send("y");
    ASSERT_TRUE(PollUntil([&] { return link.State() == SerialLink::StateOverrun; }));
    EXPECT_EQ(link.ReceiveCount(), 0) << "the 4000 buffered bytes were dropped";
    ASSERT_TRUE(PollUntil([&] { return link.ReceiveCount() == 1; }));
    EXPECT_EQ(link.State(), SerialLink::StateWaiting) << "the next read resets the state";
}

TEST_F(SerialLinkTest, QueuedBytesWaitForTheXoffHoldToEnd) {
    link.ApplyPortSettings(false);
    line->Send("\x13"); // XOFF from the controller
    PollUntil([&] { return link.HoldFlagSet(SerialLink::XoffHold); });
    ASSERT_TRUE(link.HoldFlagSet(SerialLink::XoffHold));
    ASSERT_TRUE(link.QueueBytes("N10 G00\r\n", 9));
    for (int i = 0; i < 20; ++i) {
        link.PollPort();
    }
    EXPECT_EQ(line->TakeArrived(), "") << "nothing written while held";
    EXPECT_EQ(link.TransmitCount(), 9);
    line->Send("\x11"); // XON
    ASSERT_TRUE(PollUntil([&] { return link.TransmitCount() == 0; }));
    EXPECT_EQ(line->WaitForArrived(9, 2000), "N10 G00\r\n") << "the queued bytes in one write";
    EXPECT_FALSE(link.QueueBytes(std::string(1001, 'z').c_str(), 1001)) << "too long for the buffer";
}

TEST_F(SerialLinkTest, VanishedPortIsReportedOnceAndRetriedQuietly) {
    link.ApplyPortSettings(false);
    line->Unplug();
    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(link.PollPort());
    }
    const auto boxes = view.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "one box, not one per poll";
    EXPECT_EQ(boxes[0].substr(0, 18), "Comms Status Check");
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA - No Link");
    testhooks::DetachMemoryLine("COM5");
    line = testhooks::AttachMemoryLine("COM5");
    link.ApplyPortSettings(false);
    EXPECT_STREQ(link.CaptionText().CStr(), "TOLVA COM5:9600,N,8,1,Xon/Xoff") << "re-applying reopens";
}

TEST_F(SerialLinkTest, PollThreadRunsAndSuspendsAroundReconfiguration) {
    link.ApplyPortSettings(false);
    engine::PortPollThread poller(link);
    poller.Start();
    line->Send("abc");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (link.ReceiveCount() < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(link.ReceiveCount(), 3);
    poller.Suspend();
    settings.baudRate = "19200";
    link.ApplyPortSettings(false);
    poller.Resume();
    EXPECT_EQ(line->Settings().baudRate, 19200u);
    EXPECT_EQ(link.ReceiveCount(), 3) << "a reopen keeps the buffers";
    poller.RequestStop();
    poller.Stop(false);
}

// Each skipped line would cost the poll's millisecond of waiting if the poll after a write did not
// come at once; here a hundred of them would add 100 ms to what the line needs, about 1 ms. In
// runs of three empty lines, the second and third of each run move no byte at all, and still the
// poll comes again at once while the program has lines left.
TEST_F(SerialLinkTest, SkippedLinesLeaveNoIdleLineAloneOrInRuns) {
    testsupport::Watchdog watchdog;
    settings.baudRate = "921600";
    for (int skipped : {1, 3}) {
        AlternatingLink skipping(settings, view, skipped);
        skipping.ApplyPortSettings(false);
        engine::PortPollThread poller(skipping);
        const auto start = std::chrono::steady_clock::now();
        poller.Start();
        const std::string arrived = line->WaitForArrived(AlternatingLink::Share, 5000);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        poller.RequestStop();
        poller.Stop(false);
        skipping.ClosePort();
        EXPECT_EQ(arrived, std::string(AlternatingLink::Share, 'x')) << skipped << " skipped after each";
        EXPECT_LT(elapsed, 0.06) << "the skipped lines left the line idle, " << skipped << " after each";
    }
}
