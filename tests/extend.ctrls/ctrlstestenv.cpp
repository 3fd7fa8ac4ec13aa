#include "ctrlstestenv.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include "extend.ctrls/sbuttonex.h"
#include "extend.ctrls/scolormask.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "pluginloader.h"

namespace ctrlstest {

namespace {
const char kUidef[] = R"(<UIDEF>
  <font face="微软雅黑" size="14"/>
  <color src="values:color"/>
  <skin src="values:skin"/>
</UIDEF>)";
const char kColors[] = R"(<color><gray value="#808080"/><border value="#EBEBEB"/></color>)";
const char kSkins[] = R"(<skin>
  <button name="skin.flat" colorBorder="#000000" colorUp="#102030" colorHover="#405060"
          colorDown="#708090" colorDisable="#A0A0A0"/>
</skin>)";

SOUI::SResProviderMem* g_mem = nullptr;
SOUI::SEngine* g_engine = nullptr;

class CtrlsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_loader = std::make_unique<CPluginLoader>();
        ASSERT_TRUE(m_loader->CreateRenderFactory(m_render.Out()));
        ASSERT_TRUE(m_loader->CreateImgDecoderFactory(m_decoder.Out()));
        m_render->SetImgDecoderFactory(m_decoder);
        m_engine = std::make_unique<SOUI::SEngine>(m_render, GetModuleHandleW(nullptr), L"SOUIHOST");
        m_engine->Factories().Register<SSearchDropdownList>();
        m_engine->Factories().Register<SButtonEx>();
        m_engine->Factories().Register<SColorMask>();
        auto* mem = new SOUI::SResProviderMem;
        mem->AddResource(L"uidef", L"xml_init", kUidef);
        mem->AddResource(L"values", L"color", kColors);
        mem->AddResource(L"values", L"skin", kSkins);
        g_mem = mem;
        m_engine->Resources().AddResProvider(mem, L"uidef:xml_init");
        mem->Release();
        g_engine = m_engine.get();
    }
    void TearDown() override
    {
        g_engine = nullptr;
        g_mem = nullptr;
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
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new CtrlsEnvironment);

bool g_tick = false;
void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    g_tick = true;
}

void PutLE(std::string& s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(char((v >> (8 * i)) & 0xFF));
}
}  // namespace

SOUI::SEngine& Engine()
{
    return *g_engine;
}
SOUI::SResProviderMem* Mem()
{
    return g_mem;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    DWORD end = GetTickCount() + DWORD(timeoutMs);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, OnTick);
    while (!done() && int(end - GetTickCount()) > 0) {
        g_tick = false;
        g_engine->App().RunLoop(g_tick);
    }
    KillTimer(nullptr, timer);
    return done();
}

void PumpFor(int ms)
{
    DWORD end = GetTickCount() + DWORD(ms);
    PumpUntil([end] { return int(end - GetTickCount()) <= 0; }, ms + 1000);
}

std::string SolidBmp(int w, int h, BYTE b, BYTE g, BYTE r)
{
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t pixels = uint32_t(stride * h);
    std::string s = "BM";
    PutLE(s, 14 + 40 + pixels, 4);
    PutLE(s, 0, 4);
    PutLE(s, 14 + 40, 4);
    PutLE(s, 40, 4);
    PutLE(s, uint32_t(w), 4);
    PutLE(s, uint32_t(h), 4);
    PutLE(s, 1, 2);
    PutLE(s, 24, 2);
    PutLE(s, 0, 4);  // BI_RGB
    PutLE(s, pixels, 4);
    PutLE(s, 2835, 4);
    PutLE(s, 2835, 4);
    PutLE(s, 0, 4);
    PutLE(s, 0, 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            s.push_back(char(b));
            s.push_back(char(g));
            s.push_back(char(r));
        }
        s.append(size_t(stride - w * 3), '\0');
    }
    return s;
}

std::string SourceFile(const std::wstring& relative)
{
    // Wine shows the Linux root as drive Z:.
    std::wstring path = L"Z:" MORAVEL_SOURCE_DIR_W L"/" + relative;
    for (auto& c : path)
        if (c == L'/')
            c = L'\\';
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return {};
    std::string data;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        data.append(buf, n);
    fclose(f);
    return data;
}

}  // namespace ctrlstest
