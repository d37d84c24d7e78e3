#include "tools/sim/ProgramText.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace simulator {

namespace {

bool IsKept(unsigned char byte) {
    return byte == '\t' || (byte >= 0x20 && byte != 0x7F);
}

std::string Quoted(const std::string& line) {
    return "\"" + line + "\"";
}

} // namespace

std::vector<std::string> ProgramLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char character : text) {
        if (character == '\r' || character == '\n') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else if (IsKept(static_cast<unsigned char>(character))) {
            line += character;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string CompareProgram(const std::vector<std::string>& expected,
                           const std::vector<std::string>& received) {
    std::size_t common = std::min(expected.size(), received.size());
    for (std::size_t index = 0; index < common; ++index) {
        if (expected[index] != received[index])
            return "line " + std::to_string(index + 1) + " differs: expected " + Quoted(expected[index]) +
                   ", received " + Quoted(received[index]);
    }
    if (received.size() < expected.size())
        return "only " + std::to_string(received.size()) + " of " + std::to_string(expected.size()) +
               " lines arrived; the first missing is " + Quoted(expected[received.size()]);
    if (received.size() > expected.size())
        return std::to_string(received.size() - expected.size()) +
               " lines more than expected arrived, from " + Quoted(received[expected.size()]);
    return {};
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace simulator
