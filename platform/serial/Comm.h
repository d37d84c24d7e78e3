#pragma once

// Serial ports through handles: the Win32 communications calls on a handle that CreateFileA gave
// for a port name ("COM3", "\\.\COM12") or a terminal device path. Which device a name opens is
// the port map's business (serial/PortMap.h); how the port keeps Win32's behaviour on Linux
// drivers is told in serial/Port.h.
//
// Where Win32 leaves a choice to the driver, the stand-in behaves as the standard UART driver:
//  - SetCommState validates the whole block before anything changes, so a refused block leaves
//    the port as it was; it refuses ByteSize outside 5..8, Parity above SPACEPARITY, StopBits
//    above TWOSTOPBITS, five data bits with TWOSTOPBITS, fDtrControl 3, XonChar equal to
//    XoffChar, XonLim or XoffLim above the input queue size, and a BaudRate of 0 or one the
//    device cannot run at (ERROR_INVALID_PARAMETER). ONE5STOPBITS is accepted with any byte
//    size and sent as two stop bits (exactly 1.5 with five data bits on a 16550).
//  - SetupComm keeps both sizes; an input size of 0 keeps the current one. It sets XonLim and
//    XoffLim to a quarter of the input size, so the XOFF mark of fInX sits at three quarters of
//    the queue and the XON mark at one quarter until SetCommState moves them.
//  - BuildCommDCBA works on a copy and changes the block only when the whole string parsed;
//    DCBlength is not touched.
//  - EofChar and EvtChar are kept for GetCommState only: binary mode is the only mode, and
//    WaitCommEvent is not part of the subset.
//  - Calls with a null structure pointer fail with ERROR_INVALID_PARAMETER.

#include "platform/Extras.h"
#include "platform/WinTypes.h"

constexpr DWORD MAXDWORD = 0xFFFFFFFF;

constexpr DWORD CBR_110 = 110;
constexpr DWORD CBR_300 = 300;
constexpr DWORD CBR_600 = 600;
constexpr DWORD CBR_1200 = 1200;
constexpr DWORD CBR_2400 = 2400;
constexpr DWORD CBR_4800 = 4800;
constexpr DWORD CBR_9600 = 9600;
constexpr DWORD CBR_14400 = 14400;
constexpr DWORD CBR_19200 = 19200;
constexpr DWORD CBR_38400 = 38400;
constexpr DWORD CBR_56000 = 56000;
constexpr DWORD CBR_57600 = 57600;
constexpr DWORD CBR_115200 = 115200;
constexpr DWORD CBR_128000 = 128000;
constexpr DWORD CBR_256000 = 256000;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;

constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;

constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;

constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_TOGGLE = 3;

// Error bits of ClearCommError.
constexpr DWORD CE_RXOVER = 0x0001;
constexpr DWORD CE_OVERRUN = 0x0002;
constexpr DWORD CE_RXPARITY = 0x0004;
constexpr DWORD CE_FRAME = 0x0008;
constexpr DWORD CE_BREAK = 0x0010;
constexpr DWORD CE_TXFULL = 0x0100;
constexpr DWORD CE_MODE = 0x8000;

constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

// Functions of EscapeCommFunction.
constexpr DWORD SETXOFF = 1;
constexpr DWORD SETXON = 2;
constexpr DWORD SETRTS = 3;
constexpr DWORD CLRRTS = 4;
constexpr DWORD SETDTR = 5;
constexpr DWORD CLRDTR = 6;
constexpr DWORD SETBREAK = 8;
constexpr DWORD CLRBREAK = 9;

// Bits of GetCommModemStatus.
constexpr DWORD MS_CTS_ON = 0x0010;
constexpr DWORD MS_DSR_ON = 0x0020;
constexpr DWORD MS_RING_ON = 0x0040;
constexpr DWORD MS_RLSD_ON = 0x0080;

// The device control block, bit for bit as Win32 lays it out.
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};
using LPDCB = DCB*;

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

// The hold flags are bits 0 to 4 of the first word, as programs that copy the word rely on.
struct COMSTAT {
    DWORD fCtsHold : 1;
    DWORD fDsrHold : 1;
    DWORD fRlsdHold : 1;
    DWORD fXoffHold : 1;
    DWORD fXoffSent : 1;
    DWORD fEof : 1;
    DWORD fTxim : 1;
    DWORD fReserved : 25;
    DWORD cbInQue;
    DWORD cbOutQue;
};
using LPCOMSTAT = COMSTAT*;

static_assert(sizeof(DCB) == 28 && sizeof(COMMTIMEOUTS) == 20 && sizeof(COMSTAT) == 12);

BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue);
BOOL GetCommState(HANDLE hFile, LPDCB lpDCB);
BOOL SetCommState(HANDLE hFile, LPDCB lpDCB);

// Both forms of the device-control string: the MODE form "9600,n,8,1" (baud abbreviations 11, 30,
// 60, 12, 24, 48, 96 and 19; an optional fifth field x or p; without it flow control is switched
// off) and the keyword form "baud=9600 parity=N data=8 stop=1 xon=on odsr=off octs=off dtr=on
// rts=on idsr=off to=off" (keywords in any order and case, one or more blanks between them; a
// missing stop= gives one stop bit, or two at 110 baud). Either may start with "COMn:". Parity is
// one of the letters N, O, E, M, S and sets Parity only, not fParity; "1.5" stop bits is
// ONE5STOPBITS. Anything else fails with ERROR_INVALID_PARAMETER and leaves the block untouched.
BOOL BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB);

// ReadIntervalTimeout MAXDWORD with both read totals 0 makes a read return at once with what has
// arrived; with ReadTotalTimeoutMultiplier MAXDWORD and a constant between 0 and MAXDWORD a read
// returns as soon as anything arrives, or empty after the constant. All three read values MAXDWORD
// are refused. A time-out ends a read or write with TRUE and the count done so far.
BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);

// PURGE_TXABORT and PURGE_RXABORT end a WriteFile or ReadFile in progress on another thread with
// ERROR_OPERATION_ABORTED; the CLEAR flags empty the queues.
BOOL PurgeComm(HANDLE hFile, DWORD dwFlags);
BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat);
BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat);
