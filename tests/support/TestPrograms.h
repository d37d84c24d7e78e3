#pragma once

// NC programs made up for the end-to-end tests, the form the link stores them in, and a count of
// what a log or a program's standard error says.

#include <sstream>
#include <string>

namespace testsupport {

// The lines of a program as the link stores them: each ended by CR LF.
inline std::string Stored(const std::string& program) {
    std::string stored;
    std::istringstream lines(program);
    for (std::string line; std::getline(lines, line);) {
        stored += line + "\r\n";
    }
    return stored;
}

// A program of numbered moves, about 35 bytes a line.
inline std::string NumberedProgram(int lines) {
    std::string program;
    for (int number = 1; number <= lines; ++number) {
        program +=
            "N" + std::to_string(number * 10) + " G01 X" + std::to_string(number) + ".250 Y-12.5 F1200\n";
    }
    return program;
}

// How often what occurs in text.
inline std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace testsupport
