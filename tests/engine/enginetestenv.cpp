#include "enginetestenv.h"
#include <gtest/gtest.h>
#include <memory>
#include "pluginloader.h"

namespace enginetest {

namespace {
const char kUidef[] = R"(<UIDEF>
  <font face="微软雅黑" size="16"/>
  <string src="values:string"/>
  <color src="values:color"/>
  <skin src="values:skin"/>
  <style>
    <class name="normalbtn" colorText="#385e8b" colorTextDisable="#91a7c0" cursor="hand"/>
  </style>
</UIDEF>)";
const char kStrings[] = R"(<string><title value="Lumora开票助手"/><ver value="1.1"/></string>)";
const char kColors[] = R"(<color><gray value="#808080"/><border value="#EBEBEB"/></color>)";
const char kSkins[] = R"(<skin>
  <button name="skin.btn.common" colorBorder="#128BED" colorUp="#FFFFFF" colorHover="#FFFFFF"
          colorDown="#FFFFFF" colorDisable="#F1F1F1" colorTextHover="#4F94F1"/>
  <button name="skin.flat" colorBorder="#000000" colorUp="#102030" colorHover="#405060"
          colorDown="#708090" colorDisable="#A0A0A0"/>
  <imgframe name="skin.states3" src="img:btn3" states="3"/>
</skin>)";

const SOUI::SNamedID kNamedIds[] = {
    {L"_name_start", 65535}, {L"btnSwitch", 65569}, {L"btn_close", 65539},   {L"button1st", 65570},
    {L"button2nd", 65571},   {L"button3rd", 65572}, {L"edit_search", 65541}, {L"msgicon", 65567},
    {L"msgtext", 65568},     {L"msgtitle", 65566},  {L"txt_title", 65537},
};

SOUI::SResProviderMem* g_mem = nullptr;

class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_loader = std::make_unique<CPluginLoader>();
        ASSERT_TRUE(m_loader->CreateRenderFactory(m_render.Out()));
        ASSERT_TRUE(m_loader->CreateImgDecoderFactory(m_decoder.Out()));
        m_render->SetImgDecoderFactory(m_decoder);
        m_engine = std::make_unique<SOUI::SEngine>(m_render, GetModuleHandleW(nullptr), L"SOUIHOST");
        SOUI::SResProviderMgr& res = m_engine->Resources();
        SOUI::SAutoRefPtr<SOUI::IResProvider> pe;
        SOUI::CreateResProvider(SOUI::RES_PE, pe.Out());
        pe->Init(WPARAM(GetModuleHandleW(nullptr)), 0);
        res.AddResProvider(pe, nullptr);
        auto* mem = new SOUI::SResProviderMem;
        mem->AddResource(L"uidef", L"xml_init", kUidef);
        mem->AddResource(L"values", L"string", kStrings);
        mem->AddResource(L"values", L"color", kColors);
        mem->AddResource(L"values", L"skin", kSkins);
        g_mem = mem;
        res.InitXmlNamedID(kNamedIds, int(sizeof(kNamedIds) / sizeof(kNamedIds[0])), TRUE);
        res.AddResProvider(mem, L"uidef:xml_init");
        mem->Release();
        m_notify = std::make_unique<SOUI::SNotifyCenter>();
    }
    void TearDown() override
    {
        m_notify.reset();
        m_engine.reset();
        m_render = nullptr;
        m_decoder = nullptr;
        m_loader.reset();
    }

private:
    std::unique_ptr<CPluginLoader> m_loader;
    SOUI::SAutoRefPtr<SOUI::IRenderFactory> m_render;
    SOUI::SAutoRefPtr<SOUI::IImgDecoderFactory> m_decoder;
    std::unique_ptr<SOUI::SEngine> m_engine;
    std::unique_ptr<SOUI::SNotifyCenter> m_notify;
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);
}  // namespace

SOUI::SResProviderMem* Mem()
{
    return g_mem;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    DWORD end = GetTickCount() + DWORD(timeoutMs);
    while (!done()) {
        if (int(end - GetTickCount()) <= 0)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!done())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void Click(SOUI::SHostWnd& host, SOUI::SWindow* w)
{
    RECT rc = w->GetWindowRect();
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    host.SendMessageW(WM_MOUSEMOVE, 0, at);
    host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, at);
    host.SendMessageW(WM_LBUTTONUP, 0, at);
}

void PressKey(UINT vk, bool shift)
{
    std::vector<INPUT> in;
    auto key = [&](UINT v, DWORD flags) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = WORD(v);
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    if (shift)
        key(VK_SHIFT, 0);
    key(vk, 0);
    key(vk, KEYEVENTF_KEYUP);
    if (shift)
        key(VK_SHIFT, KEYEVENTF_KEYUP);
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

}  // namespace enginetest
