// Parses arbitrary text as a device-control string ("9600,n,8,1", "baud=9600 parity=N ..."): the
// parser must never crash, and a string it accepts must give a state the port accepts or refuses
// cleanly.
#include "platform/Windows.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data),
                           strnlen(reinterpret_cast<const char*>(data), size));
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 2400;
    dcb.ByteSize = 8;
    const DCB before = dcb;
    if (!BuildCommDCBA(text.c_str(), &dcb)) {
        if (dcb.DCBlength != before.DCBlength) {
            std::abort(); // the length field is never touched
        }
        return 0;
    }
    if (dcb.ByteSize < 4 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS) {
        std::abort(); // an accepted string gives a framing the port knows
    }
    return 0;
}
