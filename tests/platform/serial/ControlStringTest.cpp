#include "platform/Windows.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// A block full of values that no device-control string sets, so that every field the parser
// should leave alone can be seen untouched.
DCB Patterned() {
    DCB block;
    std::memset(&block, 0xA5, sizeof block);
    block.fDtrControl = DTR_CONTROL_DISABLE;
    block.fRtsControl = RTS_CONTROL_DISABLE;
    return block;
}

DCB Built(const char* text) {
    DCB block = Patterned();
    EXPECT_TRUE(BuildCommDCBA(text, &block)) << text;
    return block;
}

struct FramingCase {
    const char* text;
    DWORD baudRate;
    BYTE parity;
    BYTE byteSize;
    BYTE stopBits;
};

constexpr FramingCase framingCases[] = {
    {"9600,n,8,1", 9600, NOPARITY, 8, ONESTOPBIT},
    {"9600,N,8,1", 9600, NOPARITY, 8, ONESTOPBIT},
    {"4800,o,7,2", 4800, ODDPARITY, 7, TWOSTOPBITS},
    {"4800,O,7,2", 4800, ODDPARITY, 7, TWOSTOPBITS},
    {"2400,e,7,1", 2400, EVENPARITY, 7, ONESTOPBIT},
    {"2400,E,6,1", 2400, EVENPARITY, 6, ONESTOPBIT},
    {"1200,m,8,1", 1200, MARKPARITY, 8, ONESTOPBIT},
    {"1200,M,8,2", 1200, MARKPARITY, 8, TWOSTOPBITS},
    {"300,s,7,1", 300, SPACEPARITY, 7, ONESTOPBIT},
    {"300,S,5,1.5", 300, SPACEPARITY, 5, ONE5STOPBITS},
    {"19200 , e , 8 , 1.5", 19200, EVENPARITY, 8, ONE5STOPBITS},
    {"COM1:9600,n,8,1", 9600, NOPARITY, 8, ONESTOPBIT},
    {"com12 : 38400,e,7,2", 38400, EVENPARITY, 7, TWOSTOPBITS},
    {"baud=9600 parity=N data=8 stop=1", 9600, NOPARITY, 8, ONESTOPBIT},
    {"baud=9600 parity=n data=8 stop=1", 9600, NOPARITY, 8, ONESTOPBIT},
    {"baud=4800 parity=O data=7 stop=2", 4800, ODDPARITY, 7, TWOSTOPBITS},
    {"baud=2400 parity=E data=7 stop=1", 2400, EVENPARITY, 7, ONESTOPBIT},
    {"baud=1200 parity=M data=8 stop=1.5", 1200, MARKPARITY, 8, ONE5STOPBITS},
    {"baud=300 parity=S data=5 stop=1.5", 300, SPACEPARITY, 5, ONE5STOPBITS},
    {"BAUD=115200 PARITY=e DATA=6 STOP=2", 115200, EVENPARITY, 6, TWOSTOPBITS},
    {"stop=2   data=8  parity=o   baud=57600", 57600, ODDPARITY, 8, TWOSTOPBITS},
    {"COM3: baud=19200 parity=s data=7 stop=1", 19200, SPACEPARITY, 7, ONESTOPBIT},
};

TEST(KernelSerialControlStringTest, BothFormsSetSpeedParityDataAndStopBits) {
    for (const FramingCase& framing : framingCases) {
        DCB block = Built(framing.text);
        EXPECT_EQ(block.BaudRate, framing.baudRate) << framing.text;
        EXPECT_EQ(block.Parity, framing.parity) << framing.text;
        EXPECT_EQ(block.ByteSize, framing.byteSize) << framing.text;
        EXPECT_EQ(block.StopBits, framing.stopBits) << framing.text;
    }
}

TEST(KernelSerialControlStringTest, ModeFormExpandsTwoDigitSpeeds) {
    const std::pair<const char*, DWORD> speeds[] = {
        {"11,n,8,2", 110},  {"30,n,8,1", 300},    {"60,n,8,1", 600},  {"12,n,8,1", 1200},
        {"24,n,8,1", 2400}, {"48,n,8,1", 4800},   {"96,n,8,1", 9600}, {"19,n,8,1", 19200},
        {"15,n,8,1", 15},   {"9600,n,8,1", 9600}, {"110,n,8,1", 110},
    };
    for (const auto& [text, speed] : speeds)
        EXPECT_EQ(Built(text).BaudRate, speed) << text;
    EXPECT_EQ(Built("baud=96").BaudRate, 96u) << "the keyword form takes the number as it stands";
}

TEST(KernelSerialControlStringTest, ModeFormFlowSuffixSetsFlowControlAndItsAbsenceClearsIt) {
    struct FlowCase {
        const char* text;
        bool isXon;
        bool isHardware;
    };
    const FlowCase cases[] = {
        {"9600,n,8,1", false, false},  {"9600,n,8,1,", false, false},   {"9600,n,8,1,x", true, false},
        {"9600,n,8,1,X", true, false}, {"9600,n,8,1, x ", true, false}, {"9600,n,8,1,p", false, true},
        {"9600,n,8,1,P", false, true},
    };
    for (const FlowCase& flow : cases) {
        DCB block = Built(flow.text);
        EXPECT_EQ(block.fOutX, flow.isXon ? 1u : 0u) << flow.text;
        EXPECT_EQ(block.fInX, flow.isXon ? 1u : 0u) << flow.text;
        EXPECT_EQ(block.fOutxCtsFlow, flow.isHardware ? 1u : 0u) << flow.text;
        EXPECT_EQ(block.fOutxDsrFlow, flow.isHardware ? 1u : 0u) << flow.text;
        EXPECT_EQ(block.fDtrControl, flow.isHardware ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE)
            << flow.text;
        EXPECT_EQ(block.fRtsControl, flow.isHardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE)
            << flow.text;
        EXPECT_EQ(block.fDsrSensitivity, Patterned().fDsrSensitivity) << flow.text;
    }
}

TEST(KernelSerialControlStringTest, KeywordFormSetsFlowFields) {
    DCB on = Built("xon=on odsr=on octs=on dtr=hs rts=hs idsr=on to=on");
    EXPECT_EQ(on.fOutX, 1u);
    EXPECT_EQ(on.fInX, 1u);
    EXPECT_EQ(on.fOutxDsrFlow, 1u);
    EXPECT_EQ(on.fOutxCtsFlow, 1u);
    EXPECT_EQ(on.fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(on.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(on.fDsrSensitivity, 1u);

    DCB off = Built("XON=OFF odsr=off octs=off dtr=off rts=off idsr=off to=off");
    EXPECT_EQ(off.fOutX, 0u);
    EXPECT_EQ(off.fInX, 0u);
    EXPECT_EQ(off.fOutxDsrFlow, 0u);
    EXPECT_EQ(off.fOutxCtsFlow, 0u);
    EXPECT_EQ(off.fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(off.fRtsControl, RTS_CONTROL_DISABLE);
    EXPECT_EQ(off.fDsrSensitivity, 0u);

    EXPECT_EQ(Built("dtr=on").fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(Built("rts=on").fRtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(Built("rts=tg").fRtsControl, RTS_CONTROL_TOGGLE);
}

TEST(KernelSerialControlStringTest, KeywordFormWithoutStopGivesOneStopBitOrTwoAt110Baud) {
    EXPECT_EQ(Built("baud=9600").StopBits, ONESTOPBIT);
    EXPECT_EQ(Built("baud=110").StopBits, TWOSTOPBITS);
    EXPECT_EQ(Built("baud=110 stop=1").StopBits, ONESTOPBIT);
    EXPECT_EQ(Built("parity=e").StopBits, ONESTOPBIT);
}

TEST(KernelSerialControlStringTest, FieldsTheStringDoesNotNameStayAsTheyWere) {
    DCB before = Patterned();
    DCB keyword = Built("baud=9600 parity=N data=8 stop=1");
    DCB mode = Built("9600,n,8,1");
    for (const DCB& after : {keyword, mode}) {
        EXPECT_EQ(after.DCBlength, before.DCBlength);
        EXPECT_EQ(after.fBinary, before.fBinary);
        EXPECT_EQ(after.fParity, before.fParity) << "parity letters set Parity only";
        EXPECT_EQ(after.fDsrSensitivity, before.fDsrSensitivity);
        EXPECT_EQ(after.fTXContinueOnXoff, before.fTXContinueOnXoff);
        EXPECT_EQ(after.fErrorChar, before.fErrorChar);
        EXPECT_EQ(after.fNull, before.fNull);
        EXPECT_EQ(after.fAbortOnError, before.fAbortOnError);
        EXPECT_EQ(after.XonLim, before.XonLim);
        EXPECT_EQ(after.XoffLim, before.XoffLim);
        EXPECT_EQ(after.XonChar, before.XonChar);
        EXPECT_EQ(after.XoffChar, before.XoffChar);
        EXPECT_EQ(after.ErrorChar, before.ErrorChar);
        EXPECT_EQ(after.EofChar, before.EofChar);
        EXPECT_EQ(after.EvtChar, before.EvtChar);
    }
    EXPECT_EQ(keyword.fOutX, before.fOutX) << "the keyword form sets flow only when told";
    EXPECT_EQ(keyword.fDtrControl, before.fDtrControl);
}

TEST(KernelSerialControlStringTest, RejectedStringsFailWithInvalidParameterAndChangeNothing) {
    const char* rejected[] = {
        " 9600,n,8,1",
        "9600,x,8,1",
        "9600,n,9,1",
        "9600,n,4,1",
        "9600,n,8,3",
        "9600,n,8,0",
        "9600,n,8,1,q",
        "9600,n,8,1,x,",
        "9600,n,8",
        "9600,n",
        ",n,8,1",
        "9600;n;8;1",
        "9600,no,8,1",
        "9600,n,8,1.6",
        "baud=",
        "baud=fast",
        "parity=none",
        "parity=",
        "data=9",
        "data=4",
        "stop=3",
        "stop=1.6",
        "stop=15",
        "xon=maybe",
        "dtr=tg",
        "rts=yes",
        "speed=9600",
        " baud=9600",
        "baud=9600,",
        "baud=9600x",
        "baud=9600\tparity=n",
        "COM0:9600,n,8,1",
        "COMX:9600,n,8,1",
        "COM1-9600,n,8,1",
        "idsr=",
    };
    for (const char* text : rejected) {
        DCB block = Patterned();
        SetLastError(0);
        EXPECT_FALSE(BuildCommDCBA(text, &block)) << text;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << text;
        DCB untouched = Patterned();
        EXPECT_EQ(std::memcmp(&block, &untouched, sizeof block), 0) << text;
    }
}

TEST(KernelSerialControlStringTest, NullArgumentsAreInvalidParameters) {
    DCB block = Patterned();
    EXPECT_FALSE(BuildCommDCBA(nullptr, &block));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(BuildCommDCBA("9600,n,8,1", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(KernelSerialControlStringTest, OversizedSpeedStopsAtTheLargestDword) {
    EXPECT_EQ(Built("baud=99999999999999").BaudRate, MAXDWORD);
}

} // namespace
