#pragma once
#include <functional>
#include <string>
#include <vector>
#include "engine/SEngine.h"
#include "logcapture.h"

// The engine set up once per test program, as start-up does: plug-ins, application object with
// the exe's resources plus in-memory fixtures, named ids, notify centre.
namespace enginetest {

SOUI::SResProviderMem* Mem();
// Pumps the thread's messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);
// Moves onto, presses and releases the mouse over the widget's centre.
void Click(SOUI::SHostWnd& host, SOUI::SWindow* w);
// A key pressed and released on the keyboard (SendInput), Shift held around it when asked;
// it goes to whatever window has the keyboard.
void PressKey(UINT vk, bool shift = false);

}  // namespace enginetest
