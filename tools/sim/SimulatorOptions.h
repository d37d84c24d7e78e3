#pragma once

// The simulator's command line: how to reach the cable, how the line runs, and the script of
// steps to play on it. Steps run in the order given; the value options (--baud, --timeout,
// --expect-file and the rest) hold for the whole run, the last one given winning.

#include <cstdint>
#include <string>
#include <vector>

namespace simulator {

enum class StepKind { Send, Download, Upload, TestLine, Echo, Wait, Expect };

struct ScriptStep {
    StepKind kind = StepKind::Wait;
    std::string text;             // request text, program number or expected text
    bool isNumberCounted = false; // "--upload 100+": the number plus the round, from 0
    std::string file;             // the program to upload
    unsigned milliseconds = 0;
    std::string label; // the step as the user gave it, for messages
};

enum class PortSource { PseudoTerminal, Device };

struct SimulatorOptions {
    PortSource source = PortSource::PseudoTerminal;
    std::string devicePath;
    std::uint32_t baudRate = 9600;
    unsigned dataBits = 8;
    char parity = 'N';
    unsigned stopBits = 1; // 1, 2, or 15 for one and a half
    unsigned bufferSize = 1024;
    bool usesXonXoff = false;
    unsigned timeoutMs = 5000;
    unsigned idleMs = 1000;
    unsigned uploadDelayMs = 500;
    unsigned lingerMs = 200;
    bool holdsLine = false; // --hold
    std::string expectFile;
    std::string expectFolder;
    // XOFF storms: a seed for the random moments and lengths, 0 for none.
    unsigned long long stormSeed = 0;
    unsigned stormGapMs = 500; // the mean time between two storms
    // Rounds of the steps: at most repeatCount (0: no limit), none begun after forSeconds (0: no
    // limit).
    unsigned repeatCount = 1;
    unsigned forSeconds = 0;
    // Before the first round only: with startsWhenOpen, served until the DNC link holds its end
    // of the cable; then, so that it can open and set up its end, received for startWaitMs.
    bool startsWhenOpen = false;
    unsigned startWaitMs = 0;
    bool printsSummary = false;
    bool expectsRefusal = false;
    bool sendsVerdict = false;
    char echoEnd = '@';
    std::string recordFile;
    std::vector<ScriptStep> steps;
};

enum class ParseOutcome { Run, Help, Invalid };

// Fills options from the arguments; on Invalid, error says what was wrong.
ParseOutcome ParseOptions(const std::vector<std::string>& arguments, SimulatorOptions& options,
                          std::string& error);

// The --help text.
std::string UsageText();

} // namespace simulator
