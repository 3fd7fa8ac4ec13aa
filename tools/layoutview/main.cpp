// Opens one of the program's layouts as a real window, for screenshots and for
// looking at a layout without walking through the program: layoutview LAYOUT:NAME
#include <windows.h>

#include <string>

#include "app/uiengine.h"
#include "engine/host/SHostWnd.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int)
{
    std::wstring layout = cmdLine ? cmdLine : L"";
    if (layout.empty())
        layout = L"LAYOUT:XML_MAINWND";
    CUiEngine engine;
    if (!engine.Init(instance))
        return 1;
    SOUI::SHostWnd wnd(layout.c_str());
    if (!wnd.Create(nullptr, 0, 0, 0, 0))
        return 2;
    wnd.CenterWindow(wnd.m_hWnd);
    wnd.ShowWindow(SW_SHOWNORMAL);
    // Ends when the window is closed, whatever the layout says about the UI loop.
    MSG msg;
    while (IsWindow(wnd.m_hWnd) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
