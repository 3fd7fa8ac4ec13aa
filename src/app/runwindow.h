#pragma once
#include <windows.h>

#include <functional>

#include "engine/core/SApplication.h"

// Exit code of a start-up whose window could not be created.
constexpr int kNoWindowExitCode = 2;

// The host window at its layout's own size: created, initialised, centred, shown,
// and its UI loop run until the window ends it. Returns the loop's exit code. A
// window that cannot be created has no loop to end: `tellNoWindow` runs and the
// result is kNoWindowExitCode, so start-up ends instead of idling windowless.
template <class Wnd>
int RunWindow(SOUI::SApplication& app, Wnd& wnd, const std::function<void()>& tellNoWindow)
{
    if (!wnd.Create(GetActiveWindow(), 0, 0, 0, 0)) {
        if (tellNoWindow)
            tellNoWindow();
        return kNoWindowExitCode;
    }
    wnd.SendMessageW(WM_INITDIALOG, 0, 0);
    wnd.CenterWindow(wnd.m_hWnd);
    wnd.ShowWindow(SW_SHOWNORMAL);
    return app.Run(wnd.m_hWnd);
}
