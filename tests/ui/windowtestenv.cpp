#include "windowtestenv.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/uiengine.h"
#include "engine/widgets/SEdit.h"
#include "engine/host/SHostWnd.h"
#include "engine/core/SApplication.h"
#include "engine/host/SNotifyCenter.h"
#include "servicefixture.h"

namespace {

bool g_ready = false;

class WindowTestEnv : public ::testing::Environment {
public:
    void SetUp() override
    {
        UseFixtureService();
        m_engine = std::make_unique<CUiEngine>();
        g_ready = m_engine->Init(GetModuleHandleW(nullptr));
        if (g_ready)
            m_centre = std::make_unique<SOUI::SNotifyCenter>();
    }
    void TearDown() override
    {
        m_centre.reset();
        m_engine.reset();
        g_ready = false;
    }

private:
    std::unique_ptr<CUiEngine> m_engine;
    std::unique_ptr<SOUI::SNotifyCenter> m_centre;
};

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new WindowTestEnv);

}  // namespace

bool WindowTestEnvReady()
{
    return g_ready;
}

std::wstring WidgetText(const SOUI::SHostWnd& wnd, const wchar_t* name)
{
    SOUI::SWindow* w = wnd.FindChildByName(name);
    return w ? w->GetWindowTextW() : std::wstring();
}

bool WidgetEnabled(const SOUI::SHostWnd& wnd, const wchar_t* name)
{
    SOUI::SWindow* w = wnd.FindChildByName(name);
    return w && !w->IsDisabled();
}

void SetWidgetText(SOUI::SHostWnd& wnd, const wchar_t* name, const std::wstring& text)
{
    SOUI::SWindow* w = wnd.FindChildByName(name);
    ASSERT_NE(w, nullptr) << "no widget";
    w->SetWindowTextW(text);
}

void Click(SOUI::SHostWnd& wnd, const wchar_t* name)
{
    SOUI::SWindow* w = wnd.FindChildByName(name);
    ASSERT_NE(w, nullptr) << "no widget";
    w->FireCommand();
}

void TypeInto(SOUI::SHostWnd& wnd, const wchar_t* name, const std::wstring& text)
{
    auto* edit = dynamic_cast<SOUI::SEdit*>(wnd.FindChildByName(name));
    ASSERT_NE(edit, nullptr) << "no edit";
    HWND native = edit->GetNativeWnd();
    ASSERT_NE(native, nullptr) << "no native edit";
    edit->SetFocus();
    ::SendMessageW(native, EM_SETSEL, 0, -1);
    ::SendMessageW(native, WM_CHAR, VK_BACK, 1);
    for (wchar_t c : text)
        ::SendMessageW(native, WM_CHAR, c, 1);
}

void PressKey(UINT vk)
{
    HWND to = GetFocus();
    ::SendMessageW(to, WM_KEYDOWN, vk, 1);
    if (::IsWindow(to))
        ::SendMessageW(to, WM_KEYUP, vk, 0xC0000001);
}

// Runs the engine's own message loop (its filters see every message, as in the
// program) until `done` holds or `ms` have passed; returns `done()`.
bool RunLoopUntil(const std::function<bool()>& done, DWORD ms)
{
    static bool stop;
    static std::function<bool()> check;
    static DWORD deadline;
    if (done())
        return true;
    stop = false;
    check = done;
    deadline = GetTickCount() + ms;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        if (check() || static_cast<LONG>(GetTickCount() - deadline) >= 0)
            stop = true;
    });
    SOUI::SApplication::getSingleton().RunLoop(stop);
    KillTimer(nullptr, timer);
    check = nullptr;
    return done();
}
