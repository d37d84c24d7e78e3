// The Telnet and Com Port Control codec on byte strings: what a server sends, whole and cut at
// every point, and what the client answers.

#include "platform/serial/Telnet.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using platform::ComPortAnswer;
using platform::TelnetComPortCodec;
using namespace platform::telnet;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

struct Received {
    std::string data;
    std::string replies;
};

Received Receive(TelnetComPortCodec& codec, const std::string& bytes) {
    Received received;
    codec.Receive(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), received.data, received.replies);
    return received;
}

// What ser2net sends a client that opened with the greeting: it accepts BINARY, SUPPRESS-GO-AHEAD
// and Com Port Control, offers ECHO and reports its modem lines.
const std::string ser2netWelcome =
    Bytes({Iac,  Will, 3,   Iac, Do, 3,   Iac, Will, 1,   Iac, Dont, 1,  Iac, Do, 0, Iac,
           Will, 0,    Iac, Do,  44, Iac, Sb,  44,   107, 0,   Iac,  Se, Iac, Do, 3});

TelnetComPortCodec Welcomed() {
    TelnetComPortCodec codec;
    codec.Greeting();
    Receive(codec, ser2netWelcome);
    return codec;
}

TEST(KernelSerialTelnetTest, GreetingAndServerAnswersSettleWithoutLoops) {
    TelnetComPortCodec codec;
    EXPECT_EQ(codec.Greeting(), Bytes({Iac, Will, 44, Iac, Will, 0, Iac, Do, 0, Iac, Will, 3, Iac, Do, 3}));
    EXPECT_FALSE(codec.IsComPortAccepted());

    Received welcome = Receive(codec, ser2netWelcome);
    EXPECT_TRUE(codec.IsComPortAccepted());
    EXPECT_EQ(welcome.data, "");
    EXPECT_EQ(welcome.replies, Bytes({Iac, Dont, 1}))
        << "ECHO refused; the answers to our offers need no reply";
    EXPECT_EQ(codec.ModemLines(), 0u) << "the welcome's modem state: all lines off";

    // Requests that confirm what is in force are not answered again, or two peers would loop.
    EXPECT_EQ(Receive(codec, Bytes({Iac, Do, 0, Iac, Will, 0, Iac, Do, 44})).replies, "");
    // The server turning BINARY off is acknowledged once.
    EXPECT_EQ(Receive(codec, Bytes({Iac, Wont, 0})).replies, Bytes({Iac, Dont, 0}));
    EXPECT_EQ(Receive(codec, Bytes({Iac, Wont, 0})).replies, "");
    // And on again: accepted, since it was off.
    EXPECT_EQ(Receive(codec, Bytes({Iac, Will, 0})).replies, Bytes({Iac, Do, 0}));
}

TEST(KernelSerialTelnetTest, UnknownOptionsAndServerComPortAreRefused) {
    TelnetComPortCodec codec = Welcomed();
    EXPECT_EQ(Receive(codec, Bytes({Iac, Do, 24})).replies, Bytes({Iac, Wont, 24})) << "terminal type";
    EXPECT_EQ(Receive(codec, Bytes({Iac, Will, 31})).replies, Bytes({Iac, Dont, 31})) << "window size";
    EXPECT_EQ(Receive(codec, Bytes({Iac, Will, 44})).replies, Bytes({Iac, Dont, 44}))
        << "the server does not do Com Port Control of ours";
    EXPECT_EQ(Receive(codec, Bytes({Iac, Dont, 24, Iac, Wont, 31})).replies, "") << "already off";
    EXPECT_TRUE(codec.IsComPortAccepted());
}

TEST(KernelSerialTelnetTest, ARefusedComPortOptionIsReported) {
    TelnetComPortCodec codec;
    codec.Greeting();
    EXPECT_EQ(Receive(codec, Bytes({Iac, Dont, 44})).replies, "") << "a refusal of our offer is not answered";
    EXPECT_TRUE(codec.IsComPortRefused());
    EXPECT_FALSE(codec.IsComPortAccepted());
}

TEST(KernelSerialTelnetTest, IacInDataIsDoubledBothWays) {
    TelnetComPortCodec codec = Welcomed();
    EXPECT_EQ(Receive(codec, Bytes({'a', Iac, Iac, 'b', Iac, Iac, Iac, Iac})).data,
              Bytes({'a', Iac, 'b', Iac, Iac}));
    std::string out;
    const BYTE data[] = {'x', Iac, Iac, 0, 'y'};
    codec.EncodeData(data, sizeof data, out);
    EXPECT_EQ(out, Bytes({'x', Iac, Iac, Iac, Iac, 0, 'y'}));
    // NOP, go-ahead and are-you-there carry nothing.
    EXPECT_EQ(Receive(codec, Bytes({'c', Iac, 241, Iac, 249, Iac, 246, 'd'})).data, "cd");
}

TEST(KernelSerialTelnetTest, SettingsAnswersAreReadWhateverTheSplit) {
    // The answers to a whole Configure, with a baud rate whose bytes include IAC (0xFF doubled).
    const std::string answers =
        Bytes({'L', '1', Iac, Sb,  44,  101, 0,   0,  Iac, Iac, Iac, Iac, Iac, Se,  Iac, Sb,  44, 102,
               7,   Iac, Se,  Iac, Sb,  44,  103, 3,  Iac, Se,  Iac, Sb,  44,  104, 2,   Iac, Se, Iac,
               Sb,  44,  105, 3,   Iac, Se,  Iac, Sb, 44,  105, 14,  Iac, Se,  'L', '2', Iac, Iac});
    for (std::size_t split = 0; split <= answers.size(); ++split) {
        TelnetComPortCodec codec = Welcomed();
        codec.ForgetAnswers();
        std::string data = Receive(codec, answers.substr(0, split)).data;
        data += Receive(codec, answers.substr(split)).data;
        EXPECT_EQ(data, Bytes({'L', '1', 'L', '2', Iac})) << "split at " << split;
        EXPECT_EQ(codec.Settings().baudRate, 0xFFFFu) << "split at " << split;
        EXPECT_EQ(codec.Settings().dataSize, 7u);
        EXPECT_EQ(codec.Settings().parity, ParityEven);
        EXPECT_EQ(codec.Settings().stopSize, StopTwo);
        EXPECT_EQ(codec.Settings().outboundFlow, OutboundHardware);
        EXPECT_EQ(codec.Settings().inboundFlow, InboundNone);
        EXPECT_EQ(codec.Answered(), 63u) << "all six answers, split at " << split;
    }
}

TEST(KernelSerialTelnetTest, CommandsDoubleIacInTheirValues) {
    std::string out;
    TelnetComPortCodec::EncodeBaudRate(115200, out);
    EXPECT_EQ(out, Bytes({Iac, Sb, 44, 1, 0, 1, 0xC2, 0, Iac, Se}));
    out.clear();
    TelnetComPortCodec::EncodeBaudRate(0x00FF00FF, out);
    EXPECT_EQ(out, Bytes({Iac, Sb, 44, 1, 0, Iac, Iac, 0, Iac, Iac, Iac, Se}));
    out.clear();
    TelnetComPortCodec::EncodeCommand(ComPortCommand::PurgeData, PurgeBoth, out);
    EXPECT_EQ(out, Bytes({Iac, Sb, 44, 12, 3, Iac, Se}));
}

TEST(KernelSerialTelnetTest, ModemAndLineStateReportsAndFlowSuspension) {
    TelnetComPortCodec codec;
    EXPECT_EQ(codec.ModemLines(), DWORD(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON)) << "before any report";
    Receive(codec, Bytes({Iac, Sb, 44, 107, 0x80 | 0x20 | 0x01, Iac, Se}));
    EXPECT_EQ(codec.ModemLines(), DWORD(MS_RLSD_ON | MS_DSR_ON)) << "delta bits are no lines";
    Receive(codec, Bytes({Iac, Sb, 44, 107, 0x10 | 0x40, Iac, Se}));
    EXPECT_EQ(codec.ModemLines(), DWORD(MS_CTS_ON | MS_RING_ON));

    Receive(codec,
            Bytes({Iac, Sb, 44, 106, 0x02 | 0x08, Iac, Se, Iac, Sb, 44, 106, 0x02 | 0x10 | 0x04, Iac, Se}));
    EXPECT_EQ(codec.LineErrors().overrun, 2u);
    EXPECT_EQ(codec.LineErrors().frame, 1u);
    EXPECT_EQ(codec.LineErrors().parity, 1u);
    EXPECT_EQ(codec.LineErrors().breaks, 1u);

    Receive(codec, Bytes({Iac, Sb, 44, 108, Iac, Se}));
    EXPECT_TRUE(codec.IsSuspended());
    Receive(codec, Bytes({Iac, Sb, 44, 109, Iac, Se}));
    EXPECT_FALSE(codec.IsSuspended());
}

TEST(KernelSerialTelnetTest, BrokenAndOverlongSubnegotiationsAreDropped) {
    TelnetComPortCodec codec = Welcomed();
    codec.ForgetAnswers();
    // Far longer than any Com Port Control value: dropped whole, and the data after it is kept.
    std::string overlong = Bytes({Iac, Sb, 44, 101});
    overlong += std::string(5000, '\x01');
    overlong += Bytes({Iac, Se, 'o', 'k'});
    EXPECT_EQ(Receive(codec, overlong).data, "ok");
    EXPECT_EQ(codec.Answered(), 0u);
    // A baud rate answer of the wrong length means nothing.
    Receive(codec, Bytes({Iac, Sb, 44, 101, 0, 1, Iac, Se}));
    EXPECT_EQ(codec.Answered(), 0u);
    // A subnegotiation cut by another command ends there; the command is obeyed.
    Received cut = Receive(codec, Bytes({Iac, Sb, 44, 107, 0x10, Iac, Will, 1, 'z'}));
    EXPECT_EQ(cut.replies, Bytes({Iac, Dont, 1}));
    EXPECT_EQ(cut.data, "z");
    EXPECT_EQ(codec.ModemLines(), 0u) << "the cut report is not taken";
    // Another option's subnegotiation is not ours.
    Receive(codec, Bytes({Iac, Sb, 24, 1, Iac, Se, Iac, Sb, 44, Iac, Se}));
    EXPECT_EQ(codec.Answered(), 0u);
}

TEST(KernelSerialTelnetTest, CarriageReturnFollowsTheVirtualTerminalUntilBinaryIsAgreed) {
    TelnetComPortCodec codec;
    codec.Greeting();
    std::string out;
    const BYTE line[] = {'G', '1', '\r', '\n', 'M', '\r'};
    codec.EncodeData(line, sizeof line, out);
    EXPECT_EQ(out, Bytes({'G', '1', '\r', '\n', 'M', '\r', 0})) << "a lone CR goes as CR NUL";
    EXPECT_EQ(Receive(codec, Bytes({'a', '\r', 0, 'b', '\r', '\n'})).data, "a\rb\r\n");
    std::string split = Receive(codec, Bytes({'\r'})).data;
    split += Receive(codec, Bytes({0, 'c'})).data;
    EXPECT_EQ(split, "\rc") << "CR NUL split between reads";

    Receive(codec, Bytes({Iac, Do, 0, Iac, Will, 0}));
    out.clear();
    codec.EncodeData(line, sizeof line, out);
    EXPECT_EQ(out, std::string(reinterpret_cast<const char*>(line), sizeof line)) << "binary: as it stands";
    EXPECT_EQ(Receive(codec, Bytes({'\r', 0})).data, Bytes({'\r', 0}));
}

} // namespace
