// Reads arbitrary bytes as an NC program, line by line and as joined lines, and checks the line
// rules that no input may break.
#include "FuzzInput.h"

#include "framework/File.h"

#include <cstdlib>
#include <cstring>

using namespace framework;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const int terminator = data[0];
    const int low = data[1] & 0x7F;
    const std::string path = fuzzing::WriteInputFile("lines", data + 2, size - 2);
    {
        File file(String(path.c_str()), File::ModeRead);
        String line;
        uint32_t consumed = 0;
        while (!file.AtEnd()) {
            file.ReadLine(line, terminator, low, 255);
            for (int32_t i = 1; i <= line.Length(); ++i) {
                const unsigned char byte = static_cast<unsigned char>(line.At(i));
                if (byte == static_cast<unsigned char>(terminator) || (byte < low && byte != '\t')) {
                    std::abort(); // a terminator or a filtered byte in the line
                }
            }
            if (file.Position() <= consumed) {
                std::abort(); // no progress
            }
            consumed = file.Position();
        }
        if (consumed != size - 2) {
            std::abort();
        }
    }
    File file(String(path.c_str()), File::ModeRead);
    String lines;
    file.ReadLines(lines, 1 + data[0] % 50, (data[1] & 0x80) != 0);
    if (std::memchr(lines.CStr(), '\r', lines.Length()) != nullptr) {
        std::abort(); // carriage returns never survive
    }
    return 0;
}
