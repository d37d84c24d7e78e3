#pragma once

// Part programs as the controller compares them: lines, whatever ended them. The DNC link sends
// each non-empty line followed by CR LF and drops the control characters of the file except tab,
// so a file and what arrived for it agree when their non-empty lines, without control characters
// other than tab, agree.

#include <string>
#include <vector>

namespace simulator {

// The non-empty lines of text, split at CR and LF, with control characters other than tab and
// the byte 0x7F removed.
std::vector<std::string> ProgramLines(const std::string& text);

// Empty when the two agree; otherwise a sentence naming the first difference.
std::string CompareProgram(const std::vector<std::string>& expected,
                           const std::vector<std::string>& received);

// The whole contents of a file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);

} // namespace simulator
