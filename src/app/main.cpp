#include <windows.h>

#include <memory>
#include <string>

#include "app/olesession.h"
#include "app/runwindow.h"
#include "app/singleinstance.h"
#include "app/uiengine.h"
#include "app/workfolder.h"
#include "engine/core/SApplication.h"
#include "engine/core/SNotifyCenter.h"
#include "net/diag.h"
#include "profile/profile.h"
#include "ui/logindlg.h"
#include "ui/maindlg.h"

using namespace SOUI;

namespace {

const wchar_t kAlreadyRunning[] = L"已经有一个程序在运行,您不能同时运行两个及以上本程序!！";
const wchar_t kNoWorkingFolder[] =
    L"找不到程序的工作文件夹 Moravel（应与程序所在的 app 文件夹并列），程序无法启动。请重新安装本程序。";
constexpr int kNoWorkingFolderExitCode = 3;

// Without its window the program could do nothing but hold the single-instance mutex.
void TellNoWindow()
{
    MessageBoxW(nullptr, L"无法创建程序窗口，请重新启动电脑后再试。", L"错误", MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    SingleInstance single(L"Moravel");
    if (!single.IsFirst()) {
        MessageBoxW(nullptr, kAlreadyRunning, L"提示", MB_ICONERROR);
        return 0;
    }

    // The profile, the card pictures and the upgrades live in the working folder; without
    // it they would be read and written wherever the program happened to be started.
    if (!EnterWorkingFolder()) {
        MessageBoxW(nullptr, kNoWorkingFolder, L"错误", MB_ICONERROR);
        return kNoWorkingFolderExitCode;
    }

    // Declared in reverse order of their release at shutdown.
    OleSession ole;
    if (!ole.Ok())
        DebugLine(L"OleInitialize failed");
    UiEngine engine;
    if (!engine.Init(instance)) {
        // Nothing can be drawn without it; say why instead of vanishing.
        MessageBoxW(nullptr, L"无法加载界面组件 render-gdid.dll，请重新安装本程序。", L"错误", MB_ICONERROR);
        return 1;
    }
    SApplication& app = engine.App();

    const std::wstring version = app.GetString(L"@string/ver");
    DebugLine(L"Version=" + version);

    // Worker threads reach the UI thread through it; it goes before the application.
    auto notifyCenter = std::make_unique<SNotifyCenter>();

    int exitCode = 0;
    std::string storedUser = ReadStoredUser();
    if (storedUser.empty()) {
        CLoginDlg login;
        exitCode = RunWindow(app, login, TellNoWindow);
        if (exitCode != kNoWindowExitCode && login.LoginResult() == 0) {
            CMainDlg mainWnd;
            exitCode = RunWindow(app, mainWnd, TellNoWindow);
        }
    } else {
        CMainDlg mainWnd;
        exitCode = RunWindow(app, mainWnd, TellNoWindow);
    }

    storedUser.clear();
    notifyCenter.reset();
    return exitCode;
}
