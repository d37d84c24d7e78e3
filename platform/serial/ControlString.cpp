// BuildCommDCBA: the device-control strings of the MODE command. The rules are listed where the
// call is declared (serial/Comm.h).

#include "platform/kernel/Errors.h"
#include "platform/serial/Comm.h"

#include <cctype>
#include <cstring>

namespace {

bool IsBlank(char character) {
    return character == ' ';
}

void SkipBlanks(const char*& cursor) {
    while (IsBlank(*cursor))
        ++cursor;
}

// A word at the cursor in either case; the cursor moves past it only when it matches.
bool TakeWord(const char*& cursor, const char* word) {
    std::size_t length = std::strlen(word);
    for (std::size_t index = 0; index < length; ++index) {
        if (std::tolower(static_cast<unsigned char>(cursor[index])) != word[index])
            return false;
    }
    cursor += length;
    return true;
}

// Decimal digits, at least one; a value past 32 bits stays at the largest DWORD.
bool TakeNumber(const char*& cursor, DWORD& number) {
    if (!std::isdigit(static_cast<unsigned char>(*cursor)))
        return false;
    unsigned long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*cursor))) {
        value = value * 10 + static_cast<unsigned>(*cursor++ - '0');
        if (value > MAXDWORD)
            value = MAXDWORD;
    }
    number = static_cast<DWORD>(value);
    return true;
}

bool TakeParity(const char*& cursor, BYTE& parity) {
    switch (std::tolower(static_cast<unsigned char>(*cursor))) {
    case 'n':
        parity = NOPARITY;
        break;
    case 'o':
        parity = ODDPARITY;
        break;
    case 'e':
        parity = EVENPARITY;
        break;
    case 'm':
        parity = MARKPARITY;
        break;
    case 's':
        parity = SPACEPARITY;
        break;
    default:
        return false;
    }
    ++cursor;
    return true;
}

bool TakeByteSize(const char*& cursor, BYTE& byteSize) {
    DWORD size = 0;
    if (!TakeNumber(cursor, size) || size < 5 || size > 8)
        return false;
    byteSize = static_cast<BYTE>(size);
    return true;
}

bool TakeStopBits(const char*& cursor, BYTE& stopBits) {
    if (TakeWord(cursor, "1.5")) {
        stopBits = ONE5STOPBITS;
        return true;
    }
    DWORD bits = 0;
    if (!TakeNumber(cursor, bits) || (bits != 1 && bits != 2))
        return false;
    stopBits = bits == 1 ? ONESTOPBIT : TWOSTOPBITS;
    return true;
}

bool TakeSwitch(const char*& cursor, bool& isOn) {
    if (TakeWord(cursor, "on"))
        isOn = true;
    else if (TakeWord(cursor, "off"))
        isOn = false;
    else
        return false;
    return true;
}

// An optional "COMn" with a number from 1, then ':' or blanks, as MODE COM1: takes it.
const char* SkipPortPrefix(const char* text) {
    const char* cursor = text;
    if (!TakeWord(cursor, "com"))
        return IsBlank(*text) ? nullptr : text;
    if (*cursor < '1' || *cursor > '9')
        return nullptr;
    while (std::isdigit(static_cast<unsigned char>(*cursor)))
        ++cursor;
    if (*cursor != ':' && !IsBlank(*cursor))
        return nullptr;
    SkipBlanks(cursor);
    if (*cursor == ':') {
        ++cursor;
        SkipBlanks(cursor);
    }
    return cursor;
}

bool TakeComma(const char*& cursor) {
    SkipBlanks(cursor);
    if (*cursor != ',')
        return false;
    ++cursor;
    SkipBlanks(cursor);
    return true;
}

// MODE's two-digit speeds: 11 is 110 baud, 96 is 9600, 19 is 19200.
DWORD ExpandedSpeed(DWORD speed) {
    switch (speed) {
    case 11:
    case 30:
    case 60:
        return speed * 10;
    case 12:
    case 24:
    case 48:
    case 96:
        return speed * 100;
    case 19:
        return 19200;
    default:
        return speed;
    }
}

// The fifth field of the MODE form, or its absence, always sets the flow control.
bool ApplyFlowSuffix(char suffix, DCB& block) {
    char flow = static_cast<char>(std::tolower(static_cast<unsigned char>(suffix)));
    if (flow != '\0' && flow != 'x' && flow != 'p')
        return false;
    bool isHardware = flow == 'p';
    block.fInX = flow == 'x';
    block.fOutX = flow == 'x';
    block.fOutxCtsFlow = isHardware;
    block.fOutxDsrFlow = isHardware;
    block.fDtrControl = isHardware ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
    block.fRtsControl = isHardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    return true;
}

bool ParseModeForm(const char* cursor, DCB& block) {
    DWORD speed = 0;
    if (!TakeNumber(cursor, speed))
        return false;
    block.BaudRate = ExpandedSpeed(speed);
    BYTE parity = 0;
    BYTE byteSize = 0;
    BYTE stopBits = 0;
    if (!TakeComma(cursor) || !TakeParity(cursor, parity) || !TakeComma(cursor) ||
        !TakeByteSize(cursor, byteSize) || !TakeComma(cursor) || !TakeStopBits(cursor, stopBits))
        return false;
    block.Parity = parity;
    block.ByteSize = byteSize;
    block.StopBits = stopBits;
    char suffix = '\0';
    SkipBlanks(cursor);
    if (*cursor == ',') {
        ++cursor;
        SkipBlanks(cursor);
        if (*cursor != '\0')
            suffix = *cursor++;
        SkipBlanks(cursor);
    }
    return ApplyFlowSuffix(suffix, block) && *cursor == '\0';
}

bool TakeDtrControl(const char*& cursor, DCB& block) {
    if (TakeWord(cursor, "on"))
        block.fDtrControl = DTR_CONTROL_ENABLE;
    else if (TakeWord(cursor, "off"))
        block.fDtrControl = DTR_CONTROL_DISABLE;
    else if (TakeWord(cursor, "hs"))
        block.fDtrControl = DTR_CONTROL_HANDSHAKE;
    else
        return false;
    return true;
}

bool TakeRtsControl(const char*& cursor, DCB& block) {
    if (TakeWord(cursor, "on"))
        block.fRtsControl = RTS_CONTROL_ENABLE;
    else if (TakeWord(cursor, "off"))
        block.fRtsControl = RTS_CONTROL_DISABLE;
    else if (TakeWord(cursor, "hs"))
        block.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (TakeWord(cursor, "tg"))
        block.fRtsControl = RTS_CONTROL_TOGGLE;
    else
        return false;
    return true;
}

struct KeywordSeen {
    bool baud = false;
    bool stop = false;
};

// One "name=value" of the keyword form. The parsers write into the caller's copy of the block,
// which is thrown away when any part of the string fails.
struct Keyword {
    const char* name;
    bool (*take)(const char*& cursor, DCB& block, KeywordSeen& seen);
};

template <typename Assign> bool TakeSwitchInto(const char*& cursor, Assign assign) {
    bool isOn = false;
    if (!TakeSwitch(cursor, isOn))
        return false;
    assign(isOn);
    return true;
}

constexpr Keyword keywords[] = {
    {"baud=", [](const char*& cursor, DCB& block,
                 KeywordSeen& seen) { return seen.baud = TakeNumber(cursor, block.BaudRate); }},
    {"parity=",
     [](const char*& cursor, DCB& block, KeywordSeen&) { return TakeParity(cursor, block.Parity); }},
    {"data=",
     [](const char*& cursor, DCB& block, KeywordSeen&) { return TakeByteSize(cursor, block.ByteSize); }},
    {"stop=", [](const char*& cursor, DCB& block,
                 KeywordSeen& seen) { return seen.stop = TakeStopBits(cursor, block.StopBits); }},
    // Valid, but only BuildCommDCBAndTimeouts has somewhere to put the time-outs.
    {"to=", [](const char*& cursor, DCB&, KeywordSeen&) { return TakeSwitchInto(cursor, [](bool) {}); }},
    {"xon=",
     [](const char*& cursor, DCB& block, KeywordSeen&) {
         return TakeSwitchInto(cursor, [&](bool isOn) { block.fOutX = block.fInX = isOn; });
     }},
    {"odsr=",
     [](const char*& cursor, DCB& block, KeywordSeen&) {
         return TakeSwitchInto(cursor, [&](bool isOn) { block.fOutxDsrFlow = isOn; });
     }},
    {"octs=",
     [](const char*& cursor, DCB& block, KeywordSeen&) {
         return TakeSwitchInto(cursor, [&](bool isOn) { block.fOutxCtsFlow = isOn; });
     }},
    {"dtr=", [](const char*& cursor, DCB& block, KeywordSeen&) { return TakeDtrControl(cursor, block); }},
    {"rts=", [](const char*& cursor, DCB& block, KeywordSeen&) { return TakeRtsControl(cursor, block); }},
    {"idsr=",
     [](const char*& cursor, DCB& block, KeywordSeen&) {
         return TakeSwitchInto(cursor, [&](bool isOn) { block.fDsrSensitivity = isOn; });
     }},
};

bool TakeKeyword(const char*& cursor, DCB& block, KeywordSeen& seen) {
    for (const Keyword& keyword : keywords) {
        if (TakeWord(cursor, keyword.name))
            return keyword.take(cursor, block, seen);
    }
    return false;
}

bool ParseKeywordForm(const char* cursor, DCB& block) {
    KeywordSeen seen;
    SkipBlanks(cursor);
    while (*cursor != '\0') {
        if (!TakeKeyword(cursor, block, seen) || (*cursor != '\0' && !IsBlank(*cursor)))
            return false;
        SkipBlanks(cursor);
    }
    // MODE's default: two stop bits at 110 baud, one otherwise.
    if (!seen.stop)
        block.StopBits = seen.baud && block.BaudRate == CBR_110 ? TWOSTOPBITS : ONESTOPBIT;
    return true;
}

} // namespace

BOOL BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB) {
    if (lpDef == nullptr || lpDCB == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DCB block = *lpDCB;
    const char* text = SkipPortPrefix(lpDef);
    bool isParsed = text != nullptr && (std::strchr(text, ',') != nullptr ? ParseModeForm(text, block)
                                                                          : ParseKeywordForm(text, block));
    if (!isParsed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpDCB = block;
    return TRUE;
}
