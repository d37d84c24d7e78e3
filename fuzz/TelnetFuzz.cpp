// Feeds arbitrary bytes from a device server to the Telnet and Com Port Control reader, whole and
// cut in two at a point the input chooses: the reader must never crash, must give the same line
// data and the same reports either way, and never more data than it was given. Line data encoded
// for the server must read back as it was.
#include "platform/serial/Telnet.h"

#include <cstdlib>
#include <string>

namespace {

struct Outcome {
    std::string data;
    std::string replies;
    platform::ComPortSettings settings;
    DWORD modemLines = 0;
    bool isSuspended = false;
};

Outcome Read(const uint8_t* bytes, size_t size, size_t split) {
    platform::TelnetComPortCodec codec;
    codec.Greeting();
    Outcome outcome;
    codec.Receive(bytes, split, outcome.data, outcome.replies);
    codec.Receive(bytes + split, size - split, outcome.data, outcome.replies);
    outcome.settings = codec.Settings();
    outcome.modemLines = codec.ModemLines();
    outcome.isSuspended = codec.IsSuspended();
    return outcome;
}

bool Same(const Outcome& left, const Outcome& right) {
    return left.data == right.data && left.replies == right.replies &&
           left.settings.baudRate == right.settings.baudRate &&
           left.settings.dataSize == right.settings.dataSize &&
           left.settings.parity == right.settings.parity &&
           left.settings.stopSize == right.settings.stopSize &&
           left.settings.outboundFlow == right.settings.outboundFlow && left.modemLines == right.modemLines &&
           left.isSuspended == right.isSuspended;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t split = size == 0 ? 0 : data[0] % (size + 1);
    const Outcome whole = Read(data, size, size);
    const Outcome cut = Read(data, size, split);
    if (!Same(whole, cut) || whole.data.size() > size) {
        std::abort();
    }
    // A session with BINARY agreed both ways carries every byte as it stands.
    platform::TelnetComPortCodec sender;
    sender.Greeting();
    std::string ignored;
    const std::string agreed("\xFF\xFD\x00\xFF\xFB\x00", 6); // DO BINARY, WILL BINARY
    sender.Receive(reinterpret_cast<const BYTE*>(agreed.data()), agreed.size(), ignored, ignored);
    std::string encoded;
    sender.EncodeData(data, size, encoded);
    std::string decoded;
    sender.Receive(reinterpret_cast<const BYTE*>(encoded.data()), encoded.size(), decoded, ignored);
    if (decoded != std::string(reinterpret_cast<const char*>(data), size)) {
        std::abort();
    }
    return 0;
}
