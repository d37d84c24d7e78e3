#pragma once

// Conversions between 8-bit text and UTF-16. The ANSI code page (CP_ACP) is Windows-1252 whatever
// the Linux locale says, so that text and files the program writes read the same on a Western
// European Win32 system; CP_UTF8 is the other code page supported. Both calls are thread-safe.
//
// Approximation: Win32 replaces some characters that 1252 lacks by look-alikes ("best fit", as
// U+0100 to 'A') unless WC_NO_BEST_FIT_CHARS is given; here every such character becomes the
// default character.

#include "platform/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_COMPOSITE = 0x00000002;
constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;

constexpr DWORD WC_DISCARDNS = 0x00000010;
constexpr DWORD WC_SEPCHARS = 0x00000020;
constexpr DWORD WC_DEFAULTCHAR = 0x00000040;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

// 1252.
UINT GetACP();

// Bytes that are not valid UTF-8 become U+FFFD, or fail with ERROR_NO_UNICODE_TRANSLATION under
// MB_ERR_INVALID_CHARS. Every byte is defined in 1252: the five that Windows leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same value.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);

// For 1252 each UTF-16 unit that has no byte becomes the default character ('?' or the first
// byte of lpDefaultChar) and sets *lpUsedDefaultChar. For UTF-8 both must be null; a lone
// surrogate becomes U+FFFD, or fails under WC_ERR_INVALID_CHARS.
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

// Compares two strings with letters folded to one case: below zero, zero or above zero as the first
// sorts before, with or after the second. The stand-in folds A to Z only; Windows folds by the
// user's locale, which gives the same order for the plain ASCII names the program compares.
int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
