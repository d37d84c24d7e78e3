#pragma once

// NC programs made up for the end-to-end tests, and the form the link stores them in.

#include <sstream>
#include <string>

namespace apptest {

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
        program += "N" + std::to_string(number * 10) + " G01 X" + std::to_string(number) + ".250 Y-12.5 F1200\n";
    }
    return program;
}

} // namespace apptest
