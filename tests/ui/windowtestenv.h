#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The program's engine (plug-ins, resources of this executable, custom classes) and a
// notify centre, set up once for the whole test executable; the fixture's service is
// the one the windows talk to.
bool WindowTestEnvReady();

// The widget's text and enabled state, by name; empty and false when it is missing.
namespace SOUI {
class SHostWnd;
}
std::wstring WidgetText(const SOUI::SHostWnd& wnd, const wchar_t* name);
bool WidgetEnabled(const SOUI::SHostWnd& wnd, const wchar_t* name);
void SetWidgetText(SOUI::SHostWnd& wnd, const wchar_t* name, const std::wstring& text);
// Raises the widget's command event, as a click does.
void Click(SOUI::SHostWnd& wnd, const wchar_t* name);
// Gives the edit the keyboard, empties it (all selected, Backspace), then types `text`
// character by character (WM_CHAR), as the keyboard delivers it.
void TypeInto(SOUI::SHostWnd& wnd, const wchar_t* name, const std::wstring& text);
// A key pressed (WM_KEYDOWN, WM_KEYUP) in whatever window of this thread has the focus.
void PressKey(UINT vk);

// Runs the engine's own message loop (its filters see every message, as in the
// program) until `done` holds or `ms` have passed; returns `done()`.
bool RunLoopUntil(const std::function<bool()>& done, DWORD ms);
