#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/customclasses.h"
#include "app/namedid.h"
#include "app/olesession.h"
#include "app/pluginloader.h"
#include "app/singleinstance.h"
#include "app/workfolder.h"
#include "engine/IResProvider.h"
#include "engine/SApplication.h"
#include "engine/SNotifyCenter.h"
#include "net/diag.h"
#include "profile/profile.h"
#include "ui/logindlg.h"
#include "ui/maindlg.h"

using namespace SOUI;

namespace {

const wchar_t kAlreadyRunning[] = L"已经有一个程序在运行,您不能同时运行两个及以上本程序!！";

// The host window at its layout's own size: initialised, centred, shown, and its
// UI loop run until the window ends it. Returns the loop's exit code.
template <class Wnd>
int RunWindow(SApplication& app, Wnd& wnd)
{
    wnd.Create(GetActiveWindow(), 0, 0, 0, 0);
    wnd.SendMessageW(WM_INITDIALOG, 0, 0);
    wnd.CenterWindow(wnd.m_hWnd);
    wnd.ShowWindow(SW_SHOWNORMAL);
    return app.Run(wnd.m_hWnd);
}

SAutoRefPtr<IResProvider> CreateExeResources(HINSTANCE instance)
{
    SAutoRefPtr<IResProvider> provider;
    if (CreateResProvider(RES_PE, provider.Out()))
        provider->Init(reinterpret_cast<WPARAM>(instance), 0);
    return provider;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    SingleInstance single(L"Moravel");
    if (!single.IsFirst()) {
        MessageBoxW(nullptr, kAlreadyRunning, L"提示", MB_ICONERROR);
        return 0;
    }

    // Declared in reverse order of their release at shutdown.
    OleSession ole;
    if (!ole.Ok())
        DebugLine(L"OleInitialize failed");
    CPluginLoader plugins;
    // The profile lives in the working folder, so this comes before any profile access.
    EnterWorkingFolder();

    SAutoRefPtr<IImgDecoderFactory> decoder;
    SAutoRefPtr<IRenderFactory> render;
    if (!plugins.CreateRenderFactory(render.Out())) {
        DebugLine(L"load interface [render] failed!");
        // Nothing can be drawn without it; say why instead of vanishing.
        MessageBoxW(nullptr, L"无法加载界面组件 render-gdid.dll，请重新安装本程序。", L"错误", MB_ICONERROR);
        return 1;
    }
    if (!plugins.CreateImgDecoderFactory(decoder.Out()))
        DebugLine(L"load interface [imgdecoder] failed!");
    render->SetImgDecoderFactory(decoder);

    SAutoRefPtr<IResProvider> appResources;
    std::wstring version;
    auto app = std::make_unique<SApplication>(render, instance, L"SOUIHOST");
    // Layouts name the custom classes, so they are known before the first layout loads.
    RegisterCustomClasses(*app);

    if (SAutoRefPtr<IResProvider> system = CreateExeResources(instance))
        app->LoadSystemNamedResource(system);

    appResources = CreateExeResources(instance);
    std::vector<SNamedID> namedIds;
    for (size_t i = 0; i < kNamedWidgetIdCount; ++i)
        namedIds.push_back(SNamedID{kNamedWidgetIds[i].name, kNamedWidgetIds[i].id});
    app->InitXmlNamedID(namedIds.data(), static_cast<int>(namedIds.size()), TRUE);
    app->AddResProvider(appResources, L"uidef:xml_init");

    version = app->GetString(L"@string/ver");
    DebugLine(L"Version=" + version);

    // Worker threads reach the UI thread through it; it goes before the application.
    auto notifyCenter = std::make_unique<SNotifyCenter>();

    int exitCode = 0;
    std::string storedUser = ReadStoredUser();
    if (storedUser.empty()) {
        CLoginDlg login;
        exitCode = RunWindow(*app, login);
        if (login.LoginResult() == 0) {
            CMainDlg mainWnd;
            exitCode = RunWindow(*app, mainWnd);
        }
    } else {
        CMainDlg mainWnd;
        exitCode = RunWindow(*app, mainWnd);
    }

    storedUser.clear();
    notifyCenter.reset();
    app.reset();
    return exitCode;
}
