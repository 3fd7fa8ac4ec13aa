// Stand-in for the invoicing program: the issuing windows with the titles,
// anchor and child positions the assistant walks, every field a real EDIT.
//
// A hidden message-only window named "LumoraInvoicingStandIn:<pid>" takes
// commands, so one process can serve many test cases:
//   WM_COPYDATA (dwData kCommandData, UTF-16 text):
//     "open <flags>"   another issuing window; returns its handle
//     "close-all"      destroys every issuing window; returns 1
//     "raise <handle>" puts that window on top of the z-order; returns 1
//     "quit"           ends the process; returns 1
//   sent kHangMessage, wParam milliseconds: answers at once, then the UI thread
//     stops answering that long.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>

#include "fieldlog.h"
#include "issuingwindow.h"
#include "options.h"
#include "standinprotocol.h"

namespace {

HINSTANCE g_instance = nullptr;
IssuingOptions g_defaults;

LRESULT RunCommand(const std::wstring& command)
{
    std::vector<std::wstring> words = SplitCommandLine(command);
    if (words.empty())
        return 0;
    const std::wstring verb = words.front();
    words.erase(words.begin());
    if (verb == L"open") {
        StartOptions options;
        options.window = g_defaults;
        std::wstring error;
        if (!ParseStartOptions(words, options, error))
            return 0;
        return reinterpret_cast<LRESULT>(CreateIssuingWindow(g_instance, options.window));
    }
    if (verb == L"close-all") {
        DestroyAllIssuingWindows();
        return 1;
    }
    if (verb == L"raise" && words.size() == 1) {
        HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(words[0].c_str(), nullptr, 10)));
        return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) ? 1 : 0;
    }
    if (verb == L"quit") {
        PostQuitMessage(0);
        return 1;
    }
    return 0;
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kCommandData || !data->lpData)
            return 0;
        std::wstring command(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        return RunCommand(command);
    }
    if (message == kHangMessage) {
        // Free the sender first: when its call returns, this thread is surely asleep.
        ReplyMessage(0);
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateControlWindow()
{
    WNDCLASSEXW control = {};
    control.cbSize = sizeof control;
    control.lpfnWndProc = ControlProc;
    control.hInstance = g_instance;
    control.lpszClassName = kControlClass;
    if (!RegisterClassExW(&control))
        return nullptr;
    std::wstring name = ControlWindowName(GetCurrentProcessId());
    return CreateWindowExW(0, kControlClass, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    g_instance = instance;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    StartOptions options;
    options.window.variant = VariantFromProgramName(path);
    std::wstring error;
    if (!ParseStartOptions(SplitCommandLine(commandLine), options, error)) {
        OutputDebugStringW((L"invoicing stand-in: " + error).c_str());
        return 2;
    }
    g_defaults = options.window;
    SetFieldLogPath(options.logPath);
    if (!RegisterIssuingClasses(instance) || !CreateControlWindow())
        return 3;
    if (!options.noWindow) {
        if (!CreateIssuingWindow(instance, options.window))
            return 4;
        // Someone watching closes the form to end the program; tests end it by its handle.
        SetQuitWhenLastClosed(!options.window.hidden);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyAllIssuingWindows();
    return 0;
}
