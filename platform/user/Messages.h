#pragma once

// Message queues, one per thread. A posted message waits in the queue of the window's thread; a
// message sent from another thread is handed to that thread, which handles it the next time it
// waits in GetMessageA or PeekMessageA or sends a message itself, while the sender waits (and
// handles messages sent to it meanwhile, so two threads sending to each other do not deadlock).
// Retrieval follows Win32's order: sent messages, posted messages, the quit message, WM_PAINT for
// windows with an invalid area, then WM_TIMER for timers that are due.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
LRESULT DispatchMessageA(const MSG* lpMsg);
void PostQuitMessage(int nExitCode);
BOOL WaitMessage();
BOOL InSendMessage();
UINT RegisterWindowMessageA(LPCSTR lpString);
DWORD GetMessageTime();

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

SHORT GetKeyState(int nVirtKey);
// The key that types a character on the stand-in's US keyboard: the virtual key in the low byte,
// the shift state (1 Shift, 2 Ctrl, 4 Alt) in the high byte; -1 when no key types it.
SHORT VkKeyScanA(CHAR ch);
SHORT GetAsyncKeyState(int vKey);
// MAPVK_VK_TO_VSC only: the scan code (set 1) of a key on the stand-in's US keyboard; 0 for none.
constexpr UINT MAPVK_VK_TO_VSC = 0;
UINT MapVirtualKeyA(UINT uCode, UINT uMapType);

namespace platform {

// Input devices (the display backend, the test hooks) report key changes here, so that
// GetKeyState and TranslateMessage see the keyboard as the user holds it.
void SetKeyDown(int virtualKey, bool isDown);

// Removes every timer and posted message of a window that is being destroyed.
void ForgetWindowMessages(HWND hwnd);

} // namespace platform
