#include "platform/serial/Telnet.h"

namespace {

using namespace platform::telnet;

constexpr BYTE carriageReturn = '\r';

void AppendVerb(std::string& out, BYTE verb, BYTE option) {
    out += static_cast<char>(Iac);
    out += static_cast<char>(verb);
    out += static_cast<char>(option);
}

void AppendEscaped(std::string& out, BYTE byte) {
    out += static_cast<char>(byte);
    if (byte == Iac)
        out += static_cast<char>(Iac);
}

unsigned Bit(platform::ComPortAnswer answer) {
    return static_cast<unsigned>(answer);
}

} // namespace

namespace platform {

std::string TelnetComPortCodec::Greeting() {
    std::string out;
    for (auto [option, state] : {std::pair{ComPortOption, &comPort}, std::pair{Binary, &binary},
                                 std::pair{SuppressGoAhead, &suppressGoAhead}}) {
        state->us = State::WantYes;
        AppendVerb(out, Will, option);
        if (option != ComPortOption) {
            state->him = State::WantYes;
            AppendVerb(out, Do, option);
        }
    }
    return out;
}

TelnetComPortCodec::OptionState* TelnetComPortCodec::Known(BYTE option) {
    switch (option) {
    case Binary:
        return &binary;
    case SuppressGoAhead:
        return &suppressGoAhead;
    case ComPortOption:
        return &comPort;
    default:
        return nullptr;
    }
}

// DO and DONT are about what this end does, WILL and WONT about the server. A request that only
// confirms the state in force, or answers this end's own request, gets no reply.
void TelnetComPortCodec::Negotiate(BYTE request, BYTE option, std::string& replies) {
    OptionState* known = Known(option);
    const bool isAboutUs = request == Do || request == Dont;
    const bool isEnable = request == Do || request == Will;
    // The server doing Com Port Control itself means nothing to a client.
    State* state = known == nullptr || (!isAboutUs && option == ComPortOption)
                       ? nullptr
                       : (isAboutUs ? &known->us : &known->him);
    const BYTE accept = isAboutUs ? (isEnable ? Will : Wont) : (isEnable ? Do : Dont);
    const BYTE refuse = isAboutUs ? Wont : Dont;
    if (state == nullptr) {
        if (isEnable)
            AppendVerb(replies, refuse, option);
        return;
    }
    if (isEnable) {
        if (*state == State::No)
            AppendVerb(replies, accept, option);
        *state = State::Yes;
    } else {
        if (*state == State::Yes)
            AppendVerb(replies, accept, option);
        if (option == ComPortOption)
            isComPortRefused = true;
        *state = State::No;
    }
    if (option == ComPortOption && isEnable)
        isComPortRefused = false;
}

void TelnetComPortCodec::Receive(const BYTE* bytes, std::size_t count, std::string& data,
                                 std::string& replies) {
    for (std::size_t index = 0; index < count; ++index) {
        const BYTE byte = bytes[index];
        switch (parse) {
        case Parse::AfterCr:
            parse = Parse::Data;
            if (byte == 0)
                break;
            [[fallthrough]];
        case Parse::Data:
            if (byte == Iac) {
                parse = Parse::Command;
            } else {
                data += static_cast<char>(byte);
                if (byte == carriageReturn && binary.him != State::Yes)
                    parse = Parse::AfterCr;
            }
            break;
        case Parse::Command:
            if (byte == Iac) {
                data += static_cast<char>(Iac);
                parse = Parse::Data;
            } else if (byte == Will || byte == Wont || byte == Do || byte == Dont) {
                verb = byte;
                parse = Parse::Option;
            } else if (byte == Sb) {
                subnegotiationSize = 0;
                isSubnegotiationTooLong = false;
                parse = Parse::Subnegotiation;
            } else {
                // NOP, GA, AYT and the rest carry nothing for a serial line.
                parse = Parse::Data;
            }
            break;
        case Parse::Option:
            Negotiate(verb, byte, replies);
            parse = Parse::Data;
            break;
        case Parse::Subnegotiation:
            if (byte == Iac) {
                parse = Parse::SubnegotiationCommand;
            } else if (subnegotiationSize < subnegotiation.size()) {
                subnegotiation[subnegotiationSize++] = byte;
            } else {
                isSubnegotiationTooLong = true;
            }
            break;
        case Parse::SubnegotiationCommand:
            if (byte == Se) {
                EndSubnegotiation();
                parse = Parse::Data;
            } else if (byte == Iac) {
                if (subnegotiationSize < subnegotiation.size())
                    subnegotiation[subnegotiationSize++] = Iac;
                else
                    isSubnegotiationTooLong = true;
                parse = Parse::Subnegotiation;
            } else {
                // IAC and anything but SE or IAC ends a broken subnegotiation; the byte is a
                // command of its own.
                parse = Parse::Command;
                --index;
            }
            break;
        }
    }
}

void TelnetComPortCodec::EndSubnegotiation() {
    if (isSubnegotiationTooLong || subnegotiationSize < 2 || subnegotiation[0] != ComPortOption)
        return;
    ComPortReport(subnegotiation[1], subnegotiation.data() + 2, subnegotiationSize - 2);
}

void TelnetComPortCodec::ComPortReport(BYTE command, const BYTE* value, std::size_t size) {
    if (command < ServerOffset)
        return;
    switch (static_cast<ComPortCommand>(command - ServerOffset)) {
    case ComPortCommand::SetBaudRate:
        if (size == 4) {
            settings.baudRate =
                (DWORD(value[0]) << 24) | (DWORD(value[1]) << 16) | (DWORD(value[2]) << 8) | value[3];
            answered |= Bit(ComPortAnswer::BaudRate);
        }
        break;
    case ComPortCommand::SetDataSize:
        if (size == 1) {
            settings.dataSize = value[0];
            answered |= Bit(ComPortAnswer::DataSize);
        }
        break;
    case ComPortCommand::SetParity:
        if (size == 1) {
            settings.parity = value[0];
            answered |= Bit(ComPortAnswer::Parity);
        }
        break;
    case ComPortCommand::SetStopSize:
        if (size == 1) {
            settings.stopSize = value[0];
            answered |= Bit(ComPortAnswer::StopSize);
        }
        break;
    case ComPortCommand::SetControl:
        // One command sets several things; the value says which one the answer is about.
        if (size == 1 && value[0] >= OutboundNone && value[0] <= OutboundHardware) {
            settings.outboundFlow = value[0];
            answered |= Bit(ComPortAnswer::OutboundFlow);
        } else if (size == 1 && value[0] >= InboundNone && value[0] <= InboundHardware) {
            settings.inboundFlow = value[0];
            answered |= Bit(ComPortAnswer::InboundFlow);
        }
        break;
    case ComPortCommand::NotifyLineState:
        if (size == 1) {
            lineErrors.breaks += (value[0] & LineBreak) != 0;
            lineErrors.frame += (value[0] & LineFraming) != 0;
            lineErrors.parity += (value[0] & LineParity) != 0;
            lineErrors.overrun += (value[0] & LineOverrun) != 0;
        }
        break;
    case ComPortCommand::NotifyModemState:
        if (size == 1) {
            modemLines = ((value[0] & ModemCts) ? MS_CTS_ON : 0) | ((value[0] & ModemDsr) ? MS_DSR_ON : 0) |
                         ((value[0] & ModemRing) ? MS_RING_ON : 0) |
                         ((value[0] & ModemCarrier) ? MS_RLSD_ON : 0);
        }
        break;
    case ComPortCommand::FlowControlSuspend:
        isSuspended = true;
        break;
    case ComPortCommand::FlowControlResume:
        isSuspended = false;
        break;
    case ComPortCommand::SetLineStateMask:
        answered |= Bit(ComPortAnswer::LineStateMask);
        break;
    case ComPortCommand::SetModemStateMask:
        answered |= Bit(ComPortAnswer::ModemStateMask);
        break;
    default:
        // Signatures and purges are only confirmed.
        break;
    }
}

void TelnetComPortCodec::EncodeData(const BYTE* bytes, std::size_t count, std::string& out) const {
    const bool isBinary = binary.us == State::Yes;
    for (std::size_t index = 0; index < count; ++index) {
        AppendEscaped(out, bytes[index]);
        if (!isBinary && bytes[index] == carriageReturn && (index + 1 == count || bytes[index + 1] != '\n'))
            out += '\0';
    }
}

void TelnetComPortCodec::EncodeCommand(ComPortCommand command, const BYTE* value, std::size_t size,
                                       std::string& out) {
    out += static_cast<char>(Iac);
    out += static_cast<char>(Sb);
    out += static_cast<char>(ComPortOption);
    out += static_cast<char>(command);
    for (std::size_t index = 0; index < size; ++index)
        AppendEscaped(out, value[index]);
    out += static_cast<char>(Iac);
    out += static_cast<char>(Se);
}

void TelnetComPortCodec::EncodeBaudRate(DWORD baudRate, std::string& out) {
    const BYTE value[] = {static_cast<BYTE>(baudRate >> 24), static_cast<BYTE>(baudRate >> 16),
                          static_cast<BYTE>(baudRate >> 8), static_cast<BYTE>(baudRate)};
    EncodeCommand(ComPortCommand::SetBaudRate, value, sizeof value, out);
}

} // namespace platform
