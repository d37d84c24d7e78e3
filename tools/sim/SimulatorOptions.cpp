#include "tools/sim/SimulatorOptions.h"

#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace simulator {

namespace {

bool ParseNumber(const std::string& text, unsigned long long& value) {
    if (text.empty())
        return false;
    auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failure == std::errc() && end == text.data() + text.size();
}

// "8N1", "7E2", "8N1.5": data bits 5 to 8, parity N, O, E, M or S, stop bits 1, 1.5 or 2.
bool ParseFraming(const std::string& text, SimulatorOptions& options) {
    if (text.size() < 3 || text[0] < '5' || text[0] > '8')
        return false;
    char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
    if (std::string("NOEMS").find(parity) == std::string::npos)
        return false;
    std::string stop = text.substr(2);
    if (stop != "1" && stop != "1.5" && stop != "2")
        return false;
    options.dataBits = static_cast<unsigned>(text[0] - '0');
    options.parity = parity;
    options.stopBits = stop == "1.5" ? 15 : static_cast<unsigned>(stop[0] - '0');
    return true;
}

bool IsReadable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file.good();
}

// A single character, or 0xNN for any byte.
bool ParseByte(const std::string& text, char& byte) {
    if (text.size() == 1) {
        byte = text[0];
        return true;
    }
    unsigned long long value = 0;
    if (text.size() != 4 || text.compare(0, 2, "0x") != 0)
        return false;
    auto [end, failure] = std::from_chars(text.data() + 2, text.data() + 4, value, 16);
    if (failure != std::errc() || end != text.data() + 4)
        return false;
    byte = static_cast<char>(value);
    return true;
}

class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& arguments) : arguments(arguments) {}

    bool HasMore() const { return index < arguments.size(); }
    const std::string& Next() { return arguments[index++]; }
    bool TakeValue(const std::string& option, std::string& value, std::string& error) {
        if (!HasMore()) {
            error = option + " needs a value";
            return false;
        }
        value = Next();
        return true;
    }
    bool TakeNumber(const std::string& option, unsigned long long lowest, unsigned long long& value,
                    std::string& error) {
        std::string text;
        if (!TakeValue(option, text, error))
            return false;
        if (!ParseNumber(text, value) || value < lowest || value > 0xFFFFFFFFULL) {
            error = option + " needs a whole number of at least " + std::to_string(lowest) + ", not \"" +
                    text + "\"";
            return false;
        }
        return true;
    }

private:
    const std::vector<std::string>& arguments;
    std::size_t index = 0;
};

bool ParseStep(const std::string& option, ArgumentReader& reader, SimulatorOptions& options,
               std::string& error) {
    ScriptStep step;
    step.label = option;
    unsigned long long number = 0;
    if (option == "--send" || option == "--expect") {
        step.kind = option == "--send" ? StepKind::Send : StepKind::Expect;
        if (!reader.TakeValue(option, step.text, error))
            return false;
        step.label += " \"" + step.text + "\"";
    } else if (option == "--download") {
        step.kind = StepKind::Download;
        if (!reader.TakeValue(option, step.text, error))
            return false;
        step.label += " " + step.text;
    } else if (option == "--upload") {
        step.kind = StepKind::Upload;
        if (!reader.TakeValue(option, step.text, error) || !reader.TakeValue(option, step.file, error))
            return false;
        if (step.text.size() > 1 && step.text.back() == '+') {
            unsigned long long first = 0;
            if (!ParseNumber(step.text.substr(0, step.text.size() - 1), first)) {
                error = "--upload: a counted program number is digits and '+', not \"" + step.text + "\"";
                return false;
            }
            step.isNumberCounted = true;
        }
        if (!IsReadable(step.file)) {
            error = "--upload: cannot read " + step.file;
            return false;
        }
        step.label += " " + step.text + " " + step.file;
    } else if (option == "--wait") {
        step.kind = StepKind::Wait;
        if (!reader.TakeNumber(option, 0, number, error))
            return false;
        step.milliseconds = static_cast<unsigned>(number);
        step.label += " " + std::to_string(number);
    } else if (option == "--test-line") {
        step.kind = StepKind::TestLine;
    } else if (option == "--echo") {
        step.kind = StepKind::Echo;
    } else {
        return false;
    }
    options.steps.push_back(step);
    return true;
}

bool ParseSetting(const std::string& option, ArgumentReader& reader, SimulatorOptions& options,
                  std::string& error, bool& isKnown) {
    isKnown = true;
    std::string text;
    unsigned long long number = 0;
    if (option == "--pty") {
        options.source = PortSource::PseudoTerminal;
    } else if (option == "--device") {
        options.source = PortSource::Device;
        return reader.TakeValue(option, options.devicePath, error);
    } else if (option == "--baud") {
        if (!reader.TakeNumber(option, 50, number, error))
            return false;
        options.baudRate = static_cast<std::uint32_t>(number);
    } else if (option == "--framing") {
        if (!reader.TakeValue(option, text, error))
            return false;
        if (!ParseFraming(text, options)) {
            error =
                "--framing needs data bits, parity and stop bits such as 8N1 or 7E2, not \"" + text + "\"";
            return false;
        }
    } else if (option == "--buffer") {
        if (!reader.TakeNumber(option, 4, number, error))
            return false;
        options.bufferSize = static_cast<unsigned>(number);
    } else if (option == "--xonxoff") {
        options.usesXonXoff = true;
    } else if (option == "--hold") {
        options.holdsLine = true;
    } else if (option == "--start-when-open") {
        options.startsWhenOpen = true;
    } else if (option == "--timeout" || option == "--idle" || option == "--upload-delay" ||
               option == "--linger") {
        bool mayBeZero = option == "--upload-delay" || option == "--linger";
        if (!reader.TakeNumber(option, mayBeZero ? 0 : 1, number, error))
            return false;
        unsigned& target = option == "--timeout"        ? options.timeoutMs
                           : option == "--idle"         ? options.idleMs
                           : option == "--upload-delay" ? options.uploadDelayMs
                                                        : options.lingerMs;
        target = static_cast<unsigned>(number);
    } else if (option == "--expect-file") {
        if (!reader.TakeValue(option, options.expectFile, error))
            return false;
        if (!IsReadable(options.expectFile)) {
            error = "--expect-file: cannot read " + options.expectFile;
            return false;
        }
    } else if (option == "--expect-folder") {
        if (!reader.TakeValue(option, options.expectFolder, error))
            return false;
        if (!std::filesystem::is_directory(options.expectFolder)) {
            error = "--expect-folder: no folder " + options.expectFolder;
            return false;
        }
    } else if (option == "--xoff-storms") {
        if (!reader.TakeNumber(option, 1, options.stormSeed, error))
            return false;
        options.usesXonXoff = true;
    } else if (option == "--storm-gap") {
        if (!reader.TakeNumber(option, 1, number, error))
            return false;
        options.stormGapMs = static_cast<unsigned>(number);
    } else if (option == "--repeat" || option == "--for-seconds" || option == "--start-wait") {
        if (!reader.TakeNumber(option, 0, number, error))
            return false;
        (option == "--repeat"        ? options.repeatCount
         : option == "--for-seconds" ? options.forSeconds
                                     : options.startWaitMs) = static_cast<unsigned>(number);
    } else if (option == "--summary") {
        options.printsSummary = true;
    } else if (option == "--expect-refusal") {
        options.expectsRefusal = true;
    } else if (option == "--verdict") {
        options.sendsVerdict = true;
    } else if (option == "--echo-end") {
        if (!reader.TakeValue(option, text, error))
            return false;
        if (!ParseByte(text, options.echoEnd)) {
            error = "--echo-end needs one character or a byte written 0xNN, not \"" + text + "\"";
            return false;
        }
    } else if (option == "--record") {
        return reader.TakeValue(option, options.recordFile, error);
    } else {
        isKnown = false;
    }
    return true;
}

} // namespace

ParseOutcome ParseOptions(const std::vector<std::string>& arguments, SimulatorOptions& options,
                          std::string& error) {
    ArgumentReader reader(arguments);
    while (reader.HasMore()) {
        const std::string option = reader.Next();
        if (option == "--help" || option == "-h")
            return ParseOutcome::Help;
        bool isKnown = false;
        if (!ParseSetting(option, reader, options, error, isKnown))
            return ParseOutcome::Invalid;
        if (isKnown)
            continue;
        if (!ParseStep(option, reader, options, error)) {
            if (error.empty())
                error = "unknown option \"" + option + "\" (see --help)";
            return ParseOutcome::Invalid;
        }
    }
    // The DNC link cannot open the device the simulator has open; the lock to wait for would be
    // on the far end of a cable the simulator cannot see.
    if (options.startsWhenOpen && options.source == PortSource::Device) {
        error = "--start-when-open needs the simulator's own pseudo-terminal, not --device";
        return ParseOutcome::Invalid;
    }
    return ParseOutcome::Run;
}

std::string UsageText() {
    return R"(Usage: tolva-sim [options] [steps]

Plays the controller at the far end of the serial cable: it sends the controller's request
lines, receives and checks what the DNC link sends, uploads programs, and paces its reading at
the line speed.

The cable:
  --pty                 create a pseudo-terminal pair (the default) and print the path for the
                        DNC link to open as one line "PORT /dev/pts/N" on standard output
  --device PATH         use a real serial port instead (its path is printed the same way)
  --baud N              line speed in baud (default 9600)
  --framing DPS         data bits 5-8, parity N/O/E/M/S, stop bits 1/1.5/2 (default 8N1)
  --buffer N            size of the controller's input buffer in bytes (default 1024); the
                        controller takes one character from it per character time, and bytes
                        that find it full are lost, which fails the run
  --xonxoff             send XOFF (0x13) when the buffer is more than three quarters full and
                        XON (0x11) when it is less than one quarter full, and stop sending while
                        the DNC link has sent XOFF
  --record FILE         write every byte sent and received to FILE, one line per event: seconds
                        since start (with microseconds), TX or RX, then the bytes, 0x20-0x7E as
                        themselves and every other byte as [hh] in upper-case hexadecimal; a TX
                        is stamped when its last byte has been handed to the line, an RX when
                        it was read

Values for the steps (the last one given holds for all steps):
  --timeout MS          how long a step waits for what it expects (default 5000)
  --idle MS             a download has ended when nothing arrived for this long (default 1000)
  --upload-delay MS     pause between the upload request and the first line (default 500)
  --expect-file FILE    the program a download must deliver, compared line by line ignoring
                        line ends and empty lines
  --expect-folder DIR   a download of program N must deliver the file of DIR named N with any
                        extension (N.T3, say); takes the place of --expect-file
  --expect-refusal      downloads must be refused with the byte 0x04 instead
  --verdict             after each download send "EOF 000" when it was right, "EOF 001" when not
  --echo-end C          the byte that ends --echo: one character or 0xNN (default @)
  --linger MS           stay on the line this long after the last step, so that the DNC link
                        can read the last bytes before the cable goes (default 200)
  --xoff-storms SEED    (implies --xonxoff) during downloads the controller turns busy at random
                        moments, --storm-gap apart on average: it sends a burst of one to five
                        XOFFs with XONs between them, stops taking bytes from its buffer for 1 ms
                        to 2 s (spread evenly on a log scale), then takes them again and sends
                        XON; SEED makes the moments and lengths repeatable
  --storm-gap MS        the mean time between two XOFF storms (default 500)
  --repeat N            play the steps N times over (default 1; 0 for no limit); in an --upload
                        the program number N+ counts up from N with each round
  --for-seconds S       begin no new round after S seconds (0: no limit)
  --start-wait MS       keep receiving for MS milliseconds before the first round only
  --start-when-open     before the first round (and before --start-wait), wait until the DNC
                        link holds its end of the cable open, seen by its exclusive lock in
                        /proc/locks; fail after --timeout if it never does (not with --device)
  --summary             before the linger, print one line on standard output: "SUMMARY" and the
                        counts of the run as NAME=VALUE (rounds, downloads, uploads, lines,
                        bytes, storms, xoffs, after-xoff: the most bytes that came between an
                        XOFF and the next XON, lost)
  --hold                after the linger, print "DONE" on standard output and keep the cable
                        up, still serving it, until SIGTERM or SIGINT; then exit with the
                        status the steps earned. Whoever runs the DNC link can close it first,
                        so that it never sees the cable go

Steps, run in the order given:
  --send TEXT           send TEXT as a request line ended by CR
  --download N          send "DOWNLOAD PROGRAM:N", receive until the refusal byte 0x04 or until
                        the line stays idle, and check what arrived (see --expect-file)
  --upload N FILE       send "UPLOAD PROGRAM:N", wait --upload-delay, send the lines of FILE each
                        ended by CR LF, then the end-of-file line "EOF 000" (see --repeat for N+)
  --test-line           send "XYZ" and expect the test line of digits and letters back
  --echo                send back every byte received until the --echo-end byte or --timeout
  --wait MS             keep receiving for MS milliseconds
  --expect TEXT         wait up to --timeout for TEXT to arrive

  --help                show this text

Exit status: 0 when every expectation held, 1 when one failed (named on standard error),
2 for bad arguments.
)";
}

} // namespace simulator
