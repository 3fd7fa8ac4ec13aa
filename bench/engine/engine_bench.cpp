// Create-and-first-paint and full-repaint times of a main-window-sized layout (462 x 730,
// about 30 widgets), against a bare Win32 window that fills and blits a buffer of that size.
// Usage: engine_bench [rounds] [--show ms] [--translucent]
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "engine/SEngine.h"
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
      <page>)" + rows + R"(</page>
    </tabctrl>
    <window pos="0,-60,-0,-0" colorBkgnd="#F5F7FA">
      <button name="btn_bizcard" pos="20,14,@120,@32" tip="企业名片">企业名片</button>
      <button name="btn_bizcenter" pos="170,14,@120,@32" tip="商户中心">商户中心</button>
      <button name="btn_help" pos="320,14,@120,@32" tip="帮助" enable="0">帮助</button>
    </window>
  </root>
</SOUI>)";
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

// The bare baseline: a plain window that fills a 32-bit DIB and blits it on WM_PAINT.
LRESULT CALLBACK BareProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(h, &ps);
        HDC mem = CreateCompatibleDC(hdc);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 462, -730, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, bmp);
        std::fill(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 462 * 730, 0xFFFFFFFFu);
        BitBlt(hdc, 0, 0, 462, 730, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

class BenchHost : public SHostWnd {
public:
    using SHostWnd::Render;
};
} // namespace

int main(int argc, char** argv)
{
    int rounds = 20, showMs = 0;
    bool translucent = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--show") && i + 1 < argc) showMs = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--translucent")) translucent = true;
        else rounds = atoi(argv[i]);
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
        SApplication app(render, GetModuleHandleW(nullptr));
        auto* mem = new SResProviderMem;
        mem->AddResource(L"uidef", L"xml_init", kUidef);
        app.AddResProvider(mem, L"uidef:xml_init");
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
                if (msg.message == WM_TIMER && msg.hwnd == host.m_hWnd) break;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            return 0;
        }

        WNDCLASSW wc = {};
        wc.lpfnWndProc = BareProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BareBench";
        RegisterClassW(&wc);

        // Windows stay hidden: painting is driven directly, as WM_PAINT would.
        double engCreate = 0, engFull = 0, bareCreate = 0, bareFull = 0;
        RECT all = {0, 0, 462, 730};
        for (int r = 0; r < rounds; ++r) {
            LARGE_INTEGER t0 = Now();
            BenchHost host;
            host.SetLayoutXml(layout.c_str());
            host.Create(nullptr);
            host.Render(all);
            LARGE_INTEGER t1 = Now();
            for (int k = 0; k < 5; ++k) host.Render(all);
            LARGE_INTEGER t2 = Now();
            engCreate += Ms(t0, t1);
            engFull += Ms(t1, t2) / 5;

            LARGE_INTEGER b0 = Now();
            HWND bare = CreateWindowExW(0, L"BareBench", L"", WS_POPUP, 0, 0, 462, 730, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
            SendMessageW(bare, WM_PAINT, 0, 0);
            LARGE_INTEGER b1 = Now();
            for (int k = 0; k < 5; ++k) SendMessageW(bare, WM_PAINT, 0, 0);
            LARGE_INTEGER b2 = Now();
            DestroyWindow(bare);
            bareCreate += Ms(b0, b1);
            bareFull += Ms(b1, b2) / 5;
        }
        engCreate /= rounds, engFull /= rounds, bareCreate /= rounds, bareFull /= rounds;
        printf("layout 462x730, %d rounds%s\n", rounds, translucent ? ", translucent" : "");
        printf("create + first paint: engine %.2f ms, bare window %.2f ms, ratio %.1f\n", engCreate, bareCreate,
               engCreate / bareCreate);
        printf("full repaint:         engine %.2f ms, bare window %.2f ms, ratio %.1f\n", engFull, bareFull,
               engFull / bareFull);
    }
    return code;
}
