#include "support/EngineSupport.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace testsupport {

std::string SampleProgram() {
    std::ifstream file(TOLVA_SAMPLE_PROGRAM, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string LongProgram(int copies) {
    const std::string sample = SampleProgram();
    std::string program;
    for (int copy = 0; copy < copies; ++copy) {
        std::istringstream lines(sample);
        std::string text;
        int number = 0;
        while (std::getline(lines, text)) {
            const bool isCrLf = copy % 2 == 1;
            if (number % 7 == 3) {
                text = "\t" + text; // a tab is kept
            }
            if (number % 11 == 5) {
                text += "\x01"; // a stray control byte is dropped
            }
            program += text + (isCrLf ? "\r\n" : "\n");
            ++number;
        }
        program += copy % 3 == 0 ? "\n" : "\x1a\r\n"; // a blank line, or one of control bytes only
    }
    program += "M30"; // no line end after the last line
    return program;
}

std::string WireForm(const std::string& program) {
    std::string wire;
    std::string current;
    auto finish = [&] {
        if (!current.empty()) {
            wire += current + "\r\n";
        }
        current.clear();
    };
    for (char character : program) {
        const unsigned char byte = static_cast<unsigned char>(character);
        if (character == '\n') {
            finish();
        } else if (byte >= 0x20 || character == '\t') {
            current += character;
        }
    }
    finish();
    return wire;
}

std::string StoredForm(const std::string& program) {
    std::string stored;
    std::istringstream lines(program);
    std::string text;
    while (std::getline(lines, text)) {
        stored += text + "\r\n";
    }
    return stored;
}

framework::String FixedTime() {
    return "12:34:56";
}
framework::String FixedDate() {
    return "05/12/2024";
}

} // namespace testsupport
