// Create-and-first-paint and full-repaint times of a main-window-sized layout (462 x 730,
// about 30 widgets) in a translucent window like the program's, against a bare layered
// window of that size that draws the layout's ten rows of text into a buffer it keeps and
// hands it to UpdateLayeredWindow. Both windows are shown; a span ends when the layered
// update is done (counted through the import table). Medians after two warm-up rounds.
// Usage: engine_bench [rounds] [--show ms] [--opaque]
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <memory>
#include <vector>
#include "engine/SEngine.h"
#include "bare.h"
#include "benchclock.h"
#include "layeredcount.h"
#include "pluginloader.h"

using namespace SOUI;

namespace {
const char kUidef[] = R"(<UIDEF><font face="微软雅黑" size="16"/><skin>
  <button name="skin.btn.common" colorBorder="#128BED" colorUp="#FFFFFF" colorHover="#E8F2FD"
          colorDown="#D0E4FA" colorDisable="#F1F1F1" colorTextHover="#4F94F1"/>
  <button name="skin.caption_btn" colorBorder="#2C7CE8" colorUp="#2C7CE8" colorHover="#4F94F1"
          colorDown="#1F5FB8" colorDisable="#808080"/>
</skin></UIDEF>)";

std::string Layout(bool translucent)
{
    std::string rows;
    for (int i = 0; i < 10; ++i) {
        int y = 10 + i * 47;
        rows += "<text pos=\"12," + std::to_string(y) + ",-110,@36\" colorText=\"#333333\">北京某某科技有限公司 第" +
                std::to_string(i + 1) + "家</text>";
        rows += "<button pos=\"-100," + std::to_string(y + 4) + ",@84,@28\">导入</button>";
    }
    return std::string("<SOUI name=\"mainWindow\" title=\"Lumora开票助手\" width=\"462\" height=\"730\" "
                       "toolWindow=\"1\" translucent=\"") +
           (translucent ? "1" : "0") + R"(">
  <root colorBkgnd="#FFFFFF" colorBorder="#2C7CE8" margin="1,1,1,1">
    <caption name="cap" pos="0,0,-0,@90" colorBkgnd="#2C7CE8">
      <text name="txt_title" pos="14,10" colorText="#FFFFFF" font="size:18,bold:1">Lumora开票助手</text>
      <text name="txt_ver" pos="170,14" colorText="#D6E6FA" font="size:13">v1.1</text>
      <button name="btn_min" pos="-70,6,@28,@24" skin="skin.caption_btn" colorText="#FFFFFF" tip="最小化">_</button>
      <button name="btn_close" pos="-38,6,@28,@24" skin="skin.caption_btn" colorText="#FFFFFF" tip="关闭">×</button>
      <window pos="14,44,-14,@36" colorBkgnd="#FFFFFF" colorBorder="#EBEBEB" margin="1,1,1,1">
        <edit name="edit_search" pos="0,0,-0,-0" cueText="请输入购方企业名称"/>
      </window>
    </caption>
    <tabctrl name="tab_main" pos="0,90,-0,-60" tabHeight="0">
      <page>)" +
           rows + R"(</page>
    </tabctrl>
    <window pos="0,-60,-0,-0" colorBkgnd="#F5F7FA">
      <button name="btn_bizcard" pos="20,14,@120,@32" tip="企业名片">企业名片</button>
      <button name="btn_bizcenter" pos="170,14,@120,@32" tip="商户中心">商户中心</button>
      <button name="btn_help" pos="320,14,@120,@32" tip="帮助" enable="0">帮助</button>
    </window>
  </root>
</SOUI>)";
}

class BenchHost : public SHostWnd {
public:
    using SHostWnd::Render;
};

std::vector<std::wstring> RowTexts()
{
    std::vector<std::wstring> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back(L"北京某某科技有限公司 第" + std::to_wstring(i + 1) + L"家");
    return rows;
}
}  // namespace

int main(int argc, char** argv)
{
    int rounds = 20, showMs = 0;
    bool translucent = true;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--show") && i + 1 < argc)
            showMs = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--opaque"))
            translucent = false;
        else
            rounds = atoi(argv[i]);
    }
    if (!layered::Install()) {
        printf("cannot count layered updates\n");
        return 1;
    }
    CPluginLoader loader;
    SAutoRefPtr<IRenderFactory> render;
    SAutoRefPtr<IImgDecoderFactory> decoder;
    if (!loader.CreateRenderFactory(render.Out()) || !loader.CreateImgDecoderFactory(decoder.Out())) {
        printf("plug-ins missing\n");
        return 1;
    }
    render->SetImgDecoderFactory(decoder);
    int code = 0;
    {
        SEngine engine(render, GetModuleHandleW(nullptr));
        auto* mem = new SResProviderMem;
        mem->AddResource(L"uidef", L"xml_init", kUidef);
        engine.Resources().AddResProvider(mem, L"uidef:xml_init");
        mem->Release();
        std::string layout = Layout(translucent);

        if (showMs > 0) {
            SHostWnd host;
            host.SetLayoutXml(layout.c_str());
            host.Create(nullptr);
            host.CenterWindow();
            host.ShowWindow(SW_SHOWNORMAL);
            host.SetTimer(1, UINT(showMs));
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_TIMER && msg.hwnd == host.m_hWnd)
                    break;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            return 0;
        }

        const std::vector<std::wstring> rows = RowTexts();
        std::vector<double> engCreate, engFull, bareCreate, bareFull;
        int engPainted = 0, barePainted = 0, spans = 0;
        RECT all = {0, 0, 462, 730};
        auto pump = [] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        };
        for (int r = 0; r < rounds + 2; ++r) {
            const bool kept = r >= 2;  // two warm-up rounds
            layered::Counts().clear();
            double t0 = NowMs();
            auto host = std::make_unique<BenchHost>();
            host->SetLayoutXml(layout.c_str());
            host->Create(nullptr);
            host->ShowWindow(SW_SHOWNOACTIVATE);
            if (translucent)
                host->UpdateNow();
            else
                ::UpdateWindow(host->m_hWnd);
            double t1 = NowMs();
            const bool engShown = !translucent || layered::Count(host->m_hWnd) > 0;
            std::vector<double> full;
            int fullPainted = 0;
            for (int k = 0; k < 5; ++k) {
                layered::Counts().clear();
                double f0 = NowMs();
                host->InvalidateRect(all);
                if (translucent)
                    host->UpdateNow();
                else
                    ::UpdateWindow(host->m_hWnd);
                full.push_back(NowMs() - f0);
                fullPainted += !translucent || layered::Count(host->m_hWnd) > 0;
            }
            host.reset();
            pump();

            layered::Counts().clear();
            double b0 = NowMs();
            auto window = std::make_unique<bare::LayeredWindow>(462, 730);
            window->Show(true);
            window->Paint(rows);
            double b1 = NowMs();
            const bool bareShown = layered::Count(window->Wnd()) > 0;
            std::vector<double> bareRepaint;
            int bareFullPainted = 0;
            for (int k = 0; k < 5; ++k) {
                layered::Counts().clear();
                double f0 = NowMs();
                window->Paint(rows);
                bareRepaint.push_back(NowMs() - f0);
                bareFullPainted += layered::Count(window->Wnd()) > 0;
            }
            window.reset();
            pump();
            if (!kept)
                continue;
            engCreate.push_back(t1 - t0);
            engFull.push_back(Median(full));
            bareCreate.push_back(b1 - b0);
            bareFull.push_back(Median(bareRepaint));
            spans += 6;
            engPainted += engShown + fullPainted;
            barePainted += bareShown + bareFullPainted;
        }
        const double ec = Median(engCreate), ef = Median(engFull), bc = Median(bareCreate), bf = Median(bareFull);
        printf("layout 462x730, %s, %d rounds after 2 warm-up, medians\n", translucent ? "translucent" : "opaque",
               rounds);
        printf("create + first paint: engine %.2f ms, bare window %.2f ms, ratio %.2f\n", ec, bc, ec / bc);
        printf("full repaint:         engine %.2f ms, bare window %.2f ms, ratio %.2f\n", ef, bf, ef / bf);
        printf("layered update inside the span: engine %d/%d, bare %d/%d\n", engPainted, spans, barePainted, spans);
    }
    return code;
}
