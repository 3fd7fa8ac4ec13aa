#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/olesession.h"
#include "app/runwindow.h"
#include "app/singleinstance.h"
#include "ui/autostart.h"
#include "app/uiengine.h"
#include "app/workfolder.h"
#include "engine/core/SApplication.h"
#include "engine/core/SNotifyCenter.h"
#include "net/diag.h"
#include "net/supportlog.h"
#include "profile/profile.h"
#include "ui/logindlg.h"
#include "ui/maindlg.h"

using namespace SOUI;

namespace {

const wchar_t kAlreadyRunning[] = L"已经有一个程序在运行,您不能同时运行两个及以上本程序!！";

// Without its window the program could do nothing but hold the single-instance mutex.
void TellNoWindow()
{
    MessageBoxW(nullptr, L"无法创建程序窗口，请重新启动电脑后再试。", L"错误", MB_ICONERROR);
}

std::wstring CurrentFolder()
{
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(need, L'\0');
    const DWORD got = need ? GetCurrentDirectoryW(need, dir.data()) : 0;
    dir.resize(got < need ? got : 0);
    return dir;
}

// The argument the Run value starts the program with: the window waits in the tray.
bool StartedWithWindows(const wchar_t* commandLine)
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(commandLine, &count);
    if (!args)
        return false;
    bool found = false;
    for (int i = 1; i < count; ++i)
        found = found || lstrcmpiW(args[i], kAutostartArgument) == 0;
    LocalFree(args);
    return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    SingleInstance single(L"Moravel");
    if (!single.IsFirst()) {
        // The merchant wants the program: the running copy shows its window. Only when it
        // cannot be reached (still starting) is the merchant told instead.
        if (!single.AskFirstToShow(RegisterWindowMessageW(CMainDlg::kShowRequestName)))
            MessageBoxW(nullptr, kAlreadyRunning, L"提示", MB_ICONERROR);
        return 0;
    }
    const bool hidden = StartedWithWindows(GetCommandLineW());
    const auto publish = [&single](HWND window) { single.Publish(window); };

    // Declared in reverse order of their release at shutdown.
    OleSession ole;
    if (!ole.Ok())
        DebugLine(L"OleInitialize failed");
    UiEngine engine;
    // The profile lives in the working folder, so this comes before any profile access.
    if (EnterWorkingFolder() && !CurrentFolder().empty())
        OpenSupportLog(CurrentFolder() + L"\\logs");
    if (!engine.Init(instance)) {
        // Nothing can be drawn without it; say why instead of vanishing.
        MessageBoxW(nullptr, L"无法加载界面组件 render-gdid.dll，请重新安装本程序。", L"错误", MB_ICONERROR);
        return 1;
    }
    SApplication& app = engine.App();

    const std::wstring version = app.GetString(L"@string/ver");
    DebugLine(L"Version=" + version);
    SupportLine(L"Start, version " + version + (hidden ? L", with Windows" : L""));

    // Worker threads reach the UI thread through it; it goes before the application.
    auto notifyCenter = std::make_unique<SNotifyCenter>();

    int exitCode = 0;
    std::string storedUser = ReadStoredUser();
    if (storedUser.empty()) {
        // Nobody is logged in: the login window shows even when started with Windows.
        CLoginDlg login;
        exitCode = RunWindow(app, login, TellNoWindow, publish);
        if (exitCode != kNoWindowExitCode && login.LoginResult() == 0) {
            CMainDlg mainWnd;
            exitCode = RunWindow(app, mainWnd, TellNoWindow, publish);
        }
    } else {
        CMainDlg mainWnd;
        if (hidden)
            mainWnd.StartHidden();
        exitCode = RunWindow(app, mainWnd, TellNoWindow, publish, !hidden);
    }

    storedUser.clear();
    notifyCenter.reset();
    SupportLine(L"End, exit code " + std::to_wstring(exitCode));
    CloseSupportLog();
    return exitCode;
}
