#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/olesession.h"
#include "app/runwindow.h"
#include "app/crashdump.h"
#include "app/singleinstance.h"
#include "ui/autostart.h"
#include "app/uiengine.h"
#include "app/workfolder.h"
#include "engine/core/SApplication.h"
#include "engine/host/SNotifyCenter.h"
#include "base/handle.h"
#include "base/log.h"
#include "base/supportlog.h"
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

std::wstring CurrentFolder()
{
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(need, L'\0');
    const DWORD got = need ? GetCurrentDirectoryW(need, dir.data()) : 0;
    dir.resize(got < need ? got : 0);
    return dir;
}

#ifdef MORAVEL_CRASH_KEY
// Test builds only: Ctrl+Alt+Shift+F12 crashes with an access violation, +F11 overflows the stack.
volatile bool g_deeper = true;

int Down(int depth)
{
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    return g_deeper ? Down(depth + 1) + pad[0] : 0;
}

// On a thread of its own: the system may swallow an exception raised inside a hook.
DWORD WINAPI Crash(void* overflow)
{
    if (overflow)
        return static_cast<DWORD>(Down(0));
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}

LRESULT CALLBACK CrashKeyHook(int code, WPARAM wp, LPARAM lp)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code >= 0 && wp == PM_REMOVE && msg->message == WM_HOTKEY && msg->hwnd == nullptr &&
        (msg->wParam == 0xC0D1 || msg->wParam == 0xC0D2)) {
        // The thread runs on; its handle is not needed.
        const KernelHandle thread(
            CreateThread(nullptr, 0, Crash, reinterpret_cast<void*>(msg->wParam == 0xC0D2), 0, nullptr));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

void ArmCrashKeys()
{
    RegisterHotKey(nullptr, 0xC0D1, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F12);
    RegisterHotKey(nullptr, 0xC0D2, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11);
    SetWindowsHookExW(WH_GETMESSAGE, CrashKeyHook, nullptr, GetCurrentThreadId());
}
#endif

// The argument the Run value starts the program with: the window waits in the tray.
bool StartedWithWindows(const wchar_t* commandLine)
{
    int count = 0;
    const LocalMemory held(CommandLineToArgvW(commandLine, &count));
    if (!held)
        return false;
    const auto* args = static_cast<LPWSTR*>(held.Get());
    bool found = false;
    for (int i = 1; i < count; ++i)
        found = found || lstrcmpiW(args[i], kAutostartArgument) == 0;
    return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CSingleInstance single(L"Moravel");
    if (!single.IsFirst()) {
        // The merchant wants the program: the running copy shows its window. Only when it
        // cannot be reached (still starting) is the merchant told instead.
        if (!single.AskFirstToShow(RegisterWindowMessageW(CMainDlg::kShowRequestName)))
            MessageBoxW(nullptr, kAlreadyRunning, L"提示", MB_ICONERROR);
        return 0;
    }
    const bool hidden = StartedWithWindows(GetCommandLineW());
    const auto publish = [&single](HWND window) { single.Publish(window); };

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
    CUiEngine engine;
    // The support log, in the working folder entered above.
    if (!CurrentFolder().empty())
        OpenSupportLog(CurrentFolder() + L"\\logs");
    if (!engine.Init(instance)) {
        // Nothing can be drawn without it; say why instead of vanishing.
        MessageBoxW(nullptr, L"无法加载界面组件 render-gdid.dll，请重新安装本程序。", L"错误", MB_ICONERROR);
        return 1;
    }
    SApplication& app = engine.Engine().App();

    const std::wstring version = engine.Engine().Resources().GetString(L"@string/ver");
    DebugLine(L"Version=" + version);
    const std::wstring crashFolder = CurrentFolder() + L"\\crash";
    if (!CurrentFolder().empty() && !InstallCrashDumps(crashFolder, version))
        SupportLine(L"Crash dumps: dbghelp.dll not usable");
    SupportLine(L"Start, version " + version + (hidden ? L", with Windows" : L""));

    // Worker threads reach the UI thread through it; it goes before the application.
    auto notifyCenter = std::make_unique<SNotifyCenter>();

    // Said once, at a start the merchant sees; a start with Windows leaves it for the next one.
    const std::wstring dump = hidden ? std::wstring() : TakeUnreportedDump(crashFolder);
    if (!dump.empty()) {
        // 程序上次意外停止。诊断文件已保存在： … 如需帮助，请把它发给客服。
        const std::wstring text = L"\u7A0B\u5E8F\u4E0A\u6B21\u610F\u5916\u505C\u6B62\u3002\u8BCA\u65AD\u6587\u4EF6"
                                  L"\u5DF2\u4FDD\u5B58\u5728\uFF1A\n" +
                                  dump +
                                  L"\n\u5982\u9700\u5E2E\u52A9\uFF0C\u8BF7\u628A\u5B83\u53D1\u7ED9\u5BA2\u670D\u3002";
        MessageBoxW(nullptr, text.c_str(), L"\u63D0\u793A", MB_ICONINFORMATION);
    }
#ifdef MORAVEL_CRASH_KEY
    ArmCrashKeys();
#endif

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
