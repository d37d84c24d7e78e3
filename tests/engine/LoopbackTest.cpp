#include "engine/TransferState.h"
#include "support/EngineSupport.h"

using engine::TransferState;

namespace testsupport {
namespace {

const std::string message = "LocalTestMessage@";

class LoopbackTest : public EngineTest {
protected:
    // Starts the test as the "Test" button does, and waits for the message at the far end.
    void StartAndTakeMessage() {
        Start();
        engine.StartLoopbackTest();
        EXPECT_EQ(engine.State(), TransferState::LocalLoopbackWaiting);
        EXPECT_EQ(Arrived(message.size()), message) << "the message and its terminator, no NUL";
    }
};

TEST_F(LoopbackTest, EchoInOneReadSucceedsAndTheRefreshResumes) {
    view.saveAnswer = folder / "trace.log";
    engine.ToggleTraceLog(true);
    StartAndTakeMessage();
    EXPECT_TRUE(engine.IsStatusRefreshPaused());
    EXPECT_EQ(view.LastStatus().substr(0, 10), "Waiting...");
    line->Send(message);
    ASSERT_TRUE(WaitForState(TransferState::LocalLoopbackSuccess));
    EXPECT_TRUE(PumpUntil([&] { return view.LastStatus().rfind("Local_Loop Back Test Success", 0) == 0; }))
        << "the status refresh runs again after the test";
    EXPECT_EQ(engine.ReceiveCount(), 0);
    engine.ToggleTraceLog(false);
    EXPECT_NE(folder.Read("trace.log").find(") TX LocalTestMessage@\r\n"), std::string::npos);
}

TEST_F(LoopbackTest, EchoInTwoReadsSucceeds) {
    StartAndTakeMessage();
    line->Send("LocalTest");
    ASSERT_TRUE(PumpUntil([&] { return engine.ReceiveCount() == 9; }))
        << "the first part waits in the buffer";
    EXPECT_EQ(engine.State(), TransferState::LocalLoopbackWaiting);
    line->Send("Message@");
    EXPECT_TRUE(WaitForState(TransferState::LocalLoopbackSuccess));
}

TEST_F(LoopbackTest, ControlByteInsideTheEchoIsDropped) {
    StartAndTakeMessage();
    line->Send("Local\x01TestMessage@");
    EXPECT_TRUE(WaitForState(TransferState::LocalLoopbackSuccess));
}

TEST_F(LoopbackTest, ExtraLeadingCharacterFailsAndTheStateStays) {
    StartAndTakeMessage();
    line->Send("xLocalTestMessage@");
    ASSERT_TRUE(PumpUntil([&] { return engine.ReceiveCount() == 0; }));
    Pump(150);
    EXPECT_EQ(engine.State(), TransferState::LocalLoopbackWaiting);
    EXPECT_TRUE(engine.IsStatusRefreshPaused());
    line->Send("XYZ\r"); // a controller request brings the refresh back
    ASSERT_TRUE(WaitForState(TransferState::LoopBackTest));
    EXPECT_TRUE(PumpUntil([&] { return !engine.IsStatusRefreshPaused(); }));
}

} // namespace
} // namespace testsupport
