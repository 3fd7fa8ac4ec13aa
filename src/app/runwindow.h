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
// `created` runs once the window is initialised, before it is shown; with `show` false
// the window is left as `created` put it.
template <class Wnd>
int RunWindow(SOUI::SApplication& app, Wnd& wnd, const std::function<void()>& tellNoWindow,
              const std::function<void(HWND)>& created = {}, bool show = true)
{
    if (!wnd.Create(GetActiveWindow(), 0, 0, 0, 0)) {
        if (tellNoWindow)
            tellNoWindow();
        return kNoWindowExitCode;
    }
    wnd.SendMessageW(WM_INITDIALOG, 0, 0);
    wnd.CenterWindow(wnd.m_hWnd);
    if (created)
        created(wnd.m_hWnd);
    if (show)
        wnd.ShowWindow(SW_SHOWNORMAL);
    return app.Run(wnd.m_hWnd);
}
