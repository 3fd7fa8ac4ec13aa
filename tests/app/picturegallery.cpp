// Not a test: a window of the program's pictures and skins laid out by hand for one display
// scale, its render target told that scale, for looking at them side by side:
//   picture_gallery PERCENT X Y     (e.g. 100 and 150)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/uiengine.h"
#include "engine/host/SHostWnd.h"

namespace {
int g_percent = 100;
// A 100 % length at the gallery's scale, halves away from zero as the layout rounds.
std::string S(int v)
{
    return std::to_string((v * g_percent + 50) / 100);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int)
{
    int x = 0, y = 0;
    if (!cmdLine || swscanf(cmdLine, L"%d %d %d", &g_percent, &x, &y) < 1)
        g_percent = 100;
    if (g_percent < 50 || g_percent > 400)
        return 1;
    CUiEngine engine;
    if (!engine.Init(instance))
        return 1;
    std::string xml = "<SOUI width=\"" + S(420) + "\" height=\"" + S(290) + "\" margin=\"" + S(6) + "," + S(6) + "," +
                      S(6) + "," + S(6) + "\"><root skin=\"skin.shadow\"><window pos=\"" + S(6) + "," + S(6) + ",-" +
                      S(6) + ",-" + S(6) + "\" colorBkgnd=\"#FFFFFF\">";
    xml += "<caption pos=\"0,0,-0,@" + S(48) + "\" colorBkgnd=\"#2C7CE8\">";
    xml += "<img skin=\"skin.mwin_logo\" pos=\"" + S(12) + "," + S(12) + ",@" + S(24) + ",@" + S(24) + "\"/>";
    xml += "<text pos=\"" + S(44) + "," + S(10) + ",@" + S(200) + ",@" + S(28) +
           "\" colorText=\"#FFFFFF\" font=\"size:" + S(16) + "\">" + std::to_string(g_percent) + " %</text>";
    xml +=
        "<imgbtn skin=\"_skin.sys.btn.minimize\" pos=\"-" + S(72) + "," + S(10) + ",@" + S(28) + ",@" + S(28) + "\"/>";
    xml += "<imgbtn skin=\"_skin.sys.btn.close\" pos=\"-" + S(40) + "," + S(10) + ",@" + S(28) + ",@" + S(28) +
           "\"/></caption>";
    for (int i = 0; i < 4; ++i)
        xml += "<img skin=\"skin.msgicons\" iconIndex=\"" + std::to_string(i) + "\" pos=\"" + S(20 + 44 * i) + "," +
               S(64) + ",@" + S(32) + ",@" + S(32) + "\"/>";
    xml += "<imgbtn skin=\"skin_btn_import\" pos=\"" + S(200) + "," + S(66) + ",@" + S(64) + ",@" + S(28) + "\"/>";
    xml +=
        "<imgbtn skin=\"skin_btn_import_small\" pos=\"" + S(280) + "," + S(68) + ",@" + S(52) + ",@" + S(24) + "\"/>";
    xml += "<imgbtn skin=\"skin_btn_login\" pos=\"" + S(20) + "," + S(114) + ",@" + S(330) + ",@" + S(50) + "\"/>";
    xml += "<window pos=\"" + S(370) + "," + S(64) + ",@" + S(16) + ",@" + S(110) + "\" skin=\"skin.vscrollbar\"/>";
    xml += "<imgbtn skin=\"skin.tabbtn_bizcard_normal\" pos=\"" + S(10) + "," + S(184) + ",@" + S(148) + ",@" + S(50) +
           "\"/>";
    xml += "<img skin=\"skin.tab_splitter\" pos=\"" + S(158) + "," + S(197) + ",@" + S(1) + ",@" + S(24) + "\"/>";
    xml += "<imgbtn skin=\"skin.tabbtn_help_normal\" pos=\"" + S(159) + "," + S(184) + ",@" + S(148) + ",@" + S(50) +
           "\"/>";
    xml += "<img skin=\"skin_traymenu_icons\" iconIndex=\"3\" pos=\"" + S(330) + "," + S(200) + ",@" + S(16) + ",@" +
           S(16) + "\"/>";
    xml += "<img skin=\"skin_traymenu_icons\" iconIndex=\"8\" pos=\"" + S(354) + "," + S(200) + ",@" + S(16) + ",@" +
           S(16) + "\"/>";
    xml += "</window></root></SOUI>";

    SOUI::SHostWnd wnd;
    if (!wnd.SetLayoutXml(xml.c_str()) || !wnd.Create(nullptr, 0, 0, x, y, 0, 0))
        return 2;
    if (SOUI::IRenderTarget* rt = wnd.GetRenderTarget())
        rt->SetDpi(96 * g_percent / 100);
    wnd.ShowWindow(SW_SHOWNORMAL);
    RECT rc;
    GetClientRect(wnd.m_hWnd, &rc);
    wnd.InvalidateRect(rc);
    wnd.UpdateNow();
    MSG msg;
    while (IsWindow(wnd.m_hWnd) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
