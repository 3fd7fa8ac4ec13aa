#pragma once
// A small driver for the real program, over the shared installation, process and
// window helpers: edits found by area, clicks and keystrokes posted as the mouse and
// the keyboard would deliver them.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "appinstance.h"
#include "topwindows.h"

// Visible EDIT windows of the process (top-level pop-ups and children) whose centre
// lies inside `area` (screen), top to bottom.
std::vector<HWND> EditsWithin(DWORD pid, const RECT& area);

// A left click at client point `at` of the window, as the mouse delivers it.
void Click(HWND wnd, POINT at);
// Types `text` into an edit key by key (WM_CHAR), after emptying it.
void Type(HWND edit, const std::wstring& text);

// Real input on the desktop (SendInput): it goes to whichever window has the keyboard.
// A key pressed and released, Shift held around it when asked.
void PressKey(UINT vk, bool shift = false);
// A key pressed while `held` keys (VK_CONTROL, VK_MENU, ...) are down, all released after.
void PressChord(std::initializer_list<UINT> held, UINT vk);
// A left click of the mouse at screen point `at`, on whatever window is there.
void ClickScreen(POINT at);
// Characters typed one by one.
void TypeKeys(const std::wstring& text);
// The window that has the keyboard in the thread that owns `wnd`; null when none.
HWND KeyboardFocusOf(HWND wnd);

// The layouts' message box (380 × 210): its buttons sit on the bottom row, right-aligned.
extern const SIZE kMessageBox;
extern const POINT kBoxOkOfTwo;  // "确定" when it asks OK or cancel
extern const POINT kBoxOkOfOne;  // "确定" of a notice

// Runs a program beside the test executable and returns its standard output (up to
// the pipe's buffer); empty when it did not start. Ended by its handle after `ms`.
std::string RunAndRead(const std::wstring& exe, DWORD ms);

// The string value of "key" inside the JSON object "object" of a one-line document;
// empty when missing. Only what invoicing_dump prints is understood.
std::wstring JsonValue(const std::string& json, const std::string& object, const std::string& key);
