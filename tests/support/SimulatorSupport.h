#pragma once

// What the simulator tests share: a scratch folder, the simulator process, and the DNC link's
// side of the cable opened through the platform's serial calls.

#include "platform/Windows.h"
#include "support/SerialSupport.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class SimulatorTest : public ::testing::Test {
protected:
    // Starts the simulator and opens the port it printed; a test that fails here stops.
    void StartAndConnect(const std::vector<std::string>& arguments) {
        ASSERT_TRUE(simulator.Start(arguments));
        std::string path = simulator.ReadPortPath();
        ASSERT_FALSE(path.empty()) << "no PORT line; standard error: " << simulator.StandardError();
        port = std::make_unique<testsupport::PortHandle>(path);
        ASSERT_TRUE(port->IsValid()) << "cannot open " << path << ": " << port->OpenError();
        testsupport::SetTimeouts(Port(), MAXDWORD, MAXDWORD, 50);
    }
    HANDLE Port() const { return port->Get(); }

    // Reads until text has arrived or the time is up, and returns everything read.
    std::string ReceiveUntil(const std::string& text,
                             std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::string received;
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (received.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline)
            received += testsupport::ReadPort(Port(), 4096);
        return received;
    }
    void Send(const std::string& bytes) {
        EXPECT_TRUE(testsupport::WritePort(Port(), bytes)) << GetLastError();
    }
    int ExitStatus() { return simulator.WaitForExit(); }

    testsupport::Watchdog watchdog{std::chrono::seconds(30)};
    testsupport::TempFolder folder;
    SimulatorProcess simulator{folder.Path()};
    std::unique_ptr<testsupport::PortHandle> port;
};

} // namespace testsupport
