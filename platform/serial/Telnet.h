#pragma once

// The client's half of a Telnet session with a serial device server, with the Com Port Control
// option of RFC 2217 that carries line speed, framing, flow control, modem lines and purges.
// Bytes only: the network device (serial/Network.h) moves them over its socket.
//
// What the codec does:
//  - Data. 0xFF (IAC) in line data goes doubled both ways. Until the server has agreed to BINARY
//    in a direction, that direction follows the Telnet network virtual terminal: a CR on its own
//    goes as CR NUL, and a CR NUL received is a CR.
//  - Negotiation, after RFC 1143 ("the Q method", without queues): the client offers WILL
//    COM-PORT-OPTION, WILL and DO BINARY and WILL and DO SUPPRESS-GO-AHEAD, answers a request only
//    when it changes an option's state (so two peers never loop), accepts those options when the
//    server asks for them and refuses every other (ECHO, terminal type and the rest) with WONT or
//    DONT.
//  - Com Port Control. Commands from the client are IAC SB 44 <command> <value> IAC SE, with IAC
//    in the value doubled; the server answers each with its command number plus 100 and the value
//    it now has in force. The codec keeps the latest answer of each kind, which answers came since
//    the caller last looked, the modem-line state of the last NOTIFY-MODEMSTATE, running counts of
//    the line errors NOTIFY-LINESTATE reported, and whether the server asked for a
//    FLOWCONTROL-SUSPEND that no RESUME has ended.
//  - Split input. Any sequence can end in one read and go on in the next; the codec keeps where it
//    was. A subnegotiation longer than any the option defines is dropped, not kept.

#include "platform/WinTypes.h"
#include "platform/serial/Device.h"

#include <array>
#include <cstddef>
#include <string>

namespace platform {

namespace telnet {

constexpr BYTE Iac = 255;
constexpr BYTE Dont = 254;
constexpr BYTE Do = 253;
constexpr BYTE Wont = 252;
constexpr BYTE Will = 251;
constexpr BYTE Sb = 250;
constexpr BYTE Se = 240;

constexpr BYTE Binary = 0;
constexpr BYTE SuppressGoAhead = 3;
constexpr BYTE ComPortOption = 44;

// Client-to-server command numbers of the Com Port Control option; the server answers with the
// same number plus ServerOffset.
enum class ComPortCommand : BYTE {
    Signature = 0,
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
};
constexpr BYTE ServerOffset = 100;

// Values of SET-PARITY and SET-STOPSIZE.
constexpr BYTE ParityNone = 1, ParityOdd = 2, ParityEven = 3, ParityMark = 4, ParitySpace = 5;
constexpr BYTE StopOne = 1, StopTwo = 2, StopOneAndHalf = 3;

// Values of SET-CONTROL.
constexpr BYTE OutboundNone = 1, OutboundXonXoff = 2, OutboundHardware = 3;
constexpr BYTE BreakOn = 5, BreakOff = 6;
constexpr BYTE DtrOn = 8, DtrOff = 9;
constexpr BYTE RtsOn = 11, RtsOff = 12;
constexpr BYTE InboundNone = 14, InboundXonXoff = 15, InboundHardware = 16;

// Values of PURGE-DATA: the server's buffer of what came from the device, of what goes to it.
constexpr BYTE PurgeReceived = 1, PurgeTransmit = 2, PurgeBoth = 3;

// Bits of NOTIFY-MODEMSTATE and NOTIFY-LINESTATE.
constexpr BYTE ModemCarrier = 0x80, ModemRing = 0x40, ModemDsr = 0x20, ModemCts = 0x10;
constexpr BYTE LineBreak = 0x10, LineFraming = 0x08, LineParity = 0x04, LineOverrun = 0x02;

} // namespace telnet

// The server's answers to the settings commands, one bit each in TelnetComPortCodec::Answered.
enum class ComPortAnswer : unsigned {
    BaudRate = 1,
    DataSize = 2,
    Parity = 4,
    StopSize = 8,
    OutboundFlow = 16,
    InboundFlow = 32,
    LineStateMask = 64,
    ModemStateMask = 128,
};

// The latest values the server said it has in force.
struct ComPortSettings {
    DWORD baudRate = 0;
    BYTE dataSize = 0;
    BYTE parity = 0;
    BYTE stopSize = 0;
    BYTE outboundFlow = 0;
    BYTE inboundFlow = 0;
};

class TelnetComPortCodec {
public:
    // The opening offers, to send as soon as the connection is up.
    std::string Greeting();

    // Takes bytes from the server: line data is appended to data, answers the negotiation calls
    // for to replies (to send as they are).
    void Receive(const BYTE* bytes, std::size_t count, std::string& data, std::string& replies);

    // Line data for the server, with IAC doubled (and CR NUL until BINARY is agreed), appended to
    // out.
    void EncodeData(const BYTE* bytes, std::size_t count, std::string& out) const;
    // A Com Port Control command with its value, appended to out.
    static void EncodeCommand(telnet::ComPortCommand command, const BYTE* value, std::size_t size,
                              std::string& out);
    static void EncodeCommand(telnet::ComPortCommand command, BYTE value, std::string& out) {
        EncodeCommand(command, &value, 1, out);
    }
    static void EncodeBaudRate(DWORD baudRate, std::string& out);

    // Whether the server agreed to (DO) or refused (DONT) the Com Port Control option.
    bool IsComPortAccepted() const { return comPort.us == State::Yes; }
    bool IsComPortRefused() const { return isComPortRefused; }

    const ComPortSettings& Settings() const { return settings; }
    // The answers that came since the last ForgetAnswers, as ComPortAnswer bits.
    unsigned Answered() const { return answered; }
    void ForgetAnswers() { answered = 0; }

    // MS_CTS_ON, MS_DSR_ON, MS_RING_ON and MS_RLSD_ON of the last NOTIFY-MODEMSTATE; until the
    // first one, CTS, DSR and RLSD on, as for a device without modem lines.
    DWORD ModemLines() const { return modemLines; }
    // Line errors and breaks NOTIFY-LINESTATE has reported so far.
    const SerialErrorCounts& LineErrors() const { return lineErrors; }
    // True between the server's FLOWCONTROL-SUSPEND and its FLOWCONTROL-RESUME.
    bool IsSuspended() const { return isSuspended; }

private:
    enum class State : BYTE { No, WantYes, Yes };
    struct OptionState {
        State us = State::No;  // what this end does (WILL)
        State him = State::No; // what the server does (DO)
    };
    enum class Parse : BYTE { Data, Command, Option, Subnegotiation, SubnegotiationCommand, AfterCr };

    static constexpr std::size_t longestSubnegotiation = 16;

    OptionState* Known(BYTE option);
    void Negotiate(BYTE verb, BYTE option, std::string& replies);
    void EndSubnegotiation();
    void ComPortReport(BYTE command, const BYTE* value, std::size_t size);

    OptionState binary;
    OptionState suppressGoAhead;
    OptionState comPort;
    bool isComPortRefused = false;

    Parse parse = Parse::Data;
    BYTE verb = 0;
    std::array<BYTE, longestSubnegotiation> subnegotiation{};
    std::size_t subnegotiationSize = 0;
    bool isSubnegotiationTooLong = false;

    ComPortSettings settings;
    unsigned answered = 0;
    DWORD modemLines = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
    SerialErrorCounts lineErrors;
    bool isSuspended = false;
};

} // namespace platform
