#include "tools/sim/ScriptRunner.h"

#include "tools/sim/PortHolder.h"
#include "tools/sim/ProgramText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace simulator {

namespace {

constexpr char refusal = 0x04;
const std::string testLine = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
// Controller lines end with CR; lines of an uploaded program with CR LF, as the controller
// punches them.
const std::string requestEnd = "\r";
const std::string programLineEnd = "\r\n";
const std::string endOfFileLine = "EOF 000";
const std::string badEndOfFileLine = "EOF 001";

} // namespace

ScriptRunner::ScriptRunner(const SimulatorOptions& options, ControllerLine& line)
    : options(options), line(line) {}

std::string ScriptRunner::Run(const std::function<bool()>& isReleased) {
    std::string failure = RunRounds();
    if (options.printsSummary) {
        std::printf("%s\n", SummaryLine().c_str());
        std::fflush(stdout);
    }
    // A closed pseudo-terminal loses what its other side has not read yet, so the line stays up
    // a little after the last step, also after a failure.
    std::string lingerFailure = Wait(options.lingerMs);
    if (failure.empty())
        failure = lingerFailure;
    if (options.holdsLine) {
        std::printf("DONE\n");
        std::fflush(stdout);
        std::string error;
        while (!(isReleased && isReleased()) && error.empty()) {
            line.ServeUntil(
                Deadline(100), [&] { return isReleased && isReleased(); }, error);
        }
    }
    if (failure.empty() && line.LostCount() > 0)
        failure = "the input buffer of " + std::to_string(options.bufferSize) +
                  " bytes overflowed: " + std::to_string(line.LostCount()) + " bytes lost";
    return failure;
}

std::string ScriptRunner::RunRounds() {
    if (options.startsWhenOpen) {
        if (std::string failure = WaitUntilOpen(); !failure.empty())
            return failure;
    }
    // Without --start-wait the first step reads from the very first byte.
    if (options.startWaitMs > 0) {
        if (std::string failure = Wait(options.startWaitMs); !failure.empty())
            return failure;
    }
    const Clock::time_point start = Clock::now();
    for (round = 0; options.repeatCount == 0 || round < options.repeatCount; ++round) {
        if (options.forSeconds != 0 && Clock::now() - start >= std::chrono::seconds(options.forSeconds))
            break;
        if (std::string failure = RunSteps(); !failure.empty())
            return options.repeatCount == 1 ? failure : "round " + std::to_string(round + 1) + ", " + failure;
    }
    return {};
}

std::string ScriptRunner::RunSteps() {
    for (std::size_t index = 0; index < options.steps.size(); ++index) {
        const ScriptStep& step = options.steps[index];
        if (std::string failure = RunStep(step); !failure.empty())
            return "step " + std::to_string(index + 1) + " (" + step.label + ") failed: " + failure;
    }
    return {};
}

std::string ScriptRunner::SummaryLine() const {
    return "SUMMARY rounds=" + std::to_string(round) + " downloads=" + std::to_string(downloads) +
           " uploads=" + std::to_string(uploads) + " lines=" + std::to_string(lines) +
           " bytes=" + std::to_string(bytes) + " storms=" + std::to_string(line.StormCount()) +
           " xoffs=" + std::to_string(line.XoffCount()) +
           " after-xoff=" + std::to_string(line.MostAfterXoff()) +
           " lost=" + std::to_string(line.LostCount());
}

std::string ScriptRunner::RunStep(const ScriptStep& step) {
    switch (step.kind) {
    case StepKind::Send:
        return SendLine(step.text);
    case StepKind::Download:
        return Download(step);
    case StepKind::Upload:
        return Upload(step);
    case StepKind::TestLine:
        return TestLine();
    case StepKind::Echo:
        return Echo();
    case StepKind::Wait:
        return Wait(step.milliseconds);
    case StepKind::Expect:
        return Expect(step.text);
    }
    return "unknown step";
}

ScriptRunner::Clock::time_point ScriptRunner::Deadline(unsigned milliseconds) const {
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

std::string ScriptRunner::NotYetRead() const {
    return line.Received().substr(std::min(cursor, line.Received().size()));
}

std::string ScriptRunner::SendLine(const std::string& text) {
    std::string error;
    return line.Send(text + requestEnd, error) ? std::string() : error;
}

// The program's end is not marked on the line: the transfer is over when the refusal byte came
// or when the line has been quiet for --idle after the first byte.
std::string ScriptRunner::Download(const ScriptStep& step) {
    cursor = line.Received().size();
    if (std::string failure = SendLine("DOWNLOAD PROGRAM:" + step.text); !failure.empty())
        return failure;
    std::string error;
    bool hasStarted = line.ServeUntil(
        Deadline(options.timeoutMs), [&] { return !NotYetRead().empty(); }, error);
    if (!error.empty())
        return error;
    if (!hasStarted)
        return "nothing arrived within " + std::to_string(options.timeoutMs) + " ms";
    auto isOver = [&] {
        return NotYetRead().find(refusal) != std::string::npos ||
               (!line.IsBusy() &&
                Clock::now() - line.LastTaken() >= std::chrono::milliseconds(options.idleMs));
    };
    line.AllowStorms(true);
    line.ServeUntil(Clock::time_point::max(), isOver, error);
    line.AllowStorms(false);
    if (!error.empty())
        return error;
    std::string arrived = NotYetRead();
    cursor = line.Received().size();
    ++downloads;
    bytes += arrived.size();
    lines += static_cast<unsigned long long>(std::count(arrived.begin(), arrived.end(), '\n'));
    std::string failure = CheckDownload(step.text, arrived);
    if (options.sendsVerdict && arrived.find(refusal) == std::string::npos) {
        if (std::string sent = SendLine(failure.empty() ? endOfFileLine : badEndOfFileLine); !sent.empty())
            return sent;
    }
    return failure;
}

std::string ScriptRunner::ExpectedFile(const std::string& number) const {
    if (options.expectFolder.empty())
        return options.expectFile;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(options.expectFolder, ignored)) {
        if (entry.path().stem() == number)
            return entry.path().string();
    }
    return options.expectFolder + "/" + number;
}

std::string ScriptRunner::CheckDownload(const std::string& number, const std::string& arrived) {
    bool isRefused = arrived.find(refusal) != std::string::npos;
    if (options.expectsRefusal)
        return isRefused ? std::string() : "the download was not refused with 0x04";
    if (isRefused)
        return "the download was refused with 0x04";
    const std::string expectedFile = ExpectedFile(number);
    if (expectedFile.empty())
        return {};
    std::string expected;
    if (!ReadWholeFile(expectedFile, expected))
        return "cannot read " + expectedFile;
    std::string difference = CompareProgram(ProgramLines(expected), ProgramLines(arrived));
    return difference.empty() ? std::string() : difference + " (compared with " + expectedFile + ")";
}

std::string ScriptRunner::Upload(const ScriptStep& step) {
    std::string program;
    if (!ReadWholeFile(step.file, program))
        return "cannot read " + step.file;
    cursor = line.Received().size();
    const std::string number =
        step.isNumberCounted ? std::to_string(std::stoull(step.text.substr(0, step.text.size() - 1)) + round)
                             : step.text;
    if (std::string failure = SendLine("UPLOAD PROGRAM:" + number); !failure.empty())
        return failure;
    if (std::string failure = Wait(options.uploadDelayMs); !failure.empty())
        return failure;
    if (NotYetRead().find(refusal) != std::string::npos)
        return "the upload was refused with 0x04";
    std::string error;
    for (const std::string& programLine : ProgramLines(program)) {
        if (!line.Send(programLine + programLineEnd, error) || !line.Serve(error))
            return error;
        ++lines;
        bytes += programLine.size() + programLineEnd.size();
    }
    ++uploads;
    return line.Send(endOfFileLine + programLineEnd, error) ? std::string() : error;
}

std::string ScriptRunner::TestLine() {
    cursor = line.Received().size();
    if (std::string failure = SendLine("XYZ"); !failure.empty())
        return failure;
    return Expect(testLine);
}

// Sends every byte back as the controller takes it, which is what a loopback plug does with the
// link's test message.
std::string ScriptRunner::Echo() {
    cursor = line.Received().size();
    std::string error;
    bool hasEnded = false;
    auto echoSome = [&] {
        std::string fresh = NotYetRead();
        std::size_t end = fresh.find(options.echoEnd);
        if (end != std::string::npos) {
            fresh.resize(end + 1);
            hasEnded = true;
        }
        cursor += fresh.size();
        if (!fresh.empty() && !line.Send(fresh, error))
            return true;
        return hasEnded;
    };
    line.ServeUntil(Deadline(options.timeoutMs), echoSome, error);
    return error;
}

// The line is served meanwhile, as in any wait; /proc/locks is read every 10 ms only.
std::string ScriptRunner::WaitUntilOpen() {
    Clock::time_point nextLook = Clock::now();
    auto isOpen = [&] {
        if (Clock::now() < nextLook)
            return false;
        nextLook = Clock::now() + std::chrono::milliseconds(10);
        return IsPortHeld(line.Path());
    };
    std::string error;
    if (line.ServeUntil(Deadline(options.timeoutMs), isOpen, error))
        return {};
    if (!error.empty())
        return error;
    return "before the first round: the DNC link did not open " + line.Path() + " within " +
           std::to_string(options.timeoutMs) + " ms";
}

std::string ScriptRunner::Wait(unsigned milliseconds) {
    std::string error;
    line.ServeUntil(
        Deadline(milliseconds), [] { return false; }, error);
    return error;
}

std::string ScriptRunner::Expect(const std::string& text) {
    std::string error;
    std::size_t found = std::string::npos;
    auto isFound = [&] {
        found = line.Received().find(text, cursor);
        return found != std::string::npos;
    };
    if (line.ServeUntil(Deadline(options.timeoutMs), isFound, error)) {
        cursor = found + text.size();
        return {};
    }
    if (!error.empty())
        return error;
    return "\"" + EventRecorder::Printable(text) + "\" did not arrive within " +
           std::to_string(options.timeoutMs) + " ms; received instead \"" +
           EventRecorder::Printable(NotYetRead()) + "\"";
}

} // namespace simulator
