// A host window moved to a monitor of another scale: it takes the rectangle the system
// suggests and lays its 96-dpi layout out again at the new scale, fonts and native edits
// included; back at 96 dpi everything is where it started.
#include <gtest/gtest.h>
#include <map>
#include "enginetestenv.h"

using namespace SOUI;

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {
const char kPanel[] = R"(<SOUI name="panel" width="400" height="300" margin="6,6,6,6">
  <root colorBkgnd="#FFFFFF">
    <window name="band" pos="6,6,-6,-6" margin="5,5,5,5" colorBorder="#808080">
      <text name="txt_auto" pos="10,10" font="size:14">自动大小的标题</text>
      <button name="btn_far" pos="-90,-40,@80,@30">完成</button>
      <edit name="edit_box" pos="10,50,-10,@40" inset="7"/>
      <window name="fixed" pos="10,100" width="33" height="17"/>
    </window>
  </root>
</SOUI>)";

class Host : public SHostWnd {
public:
    Host()
    {
        SetLayoutXml(kPanel);
        Create(nullptr, 0, 0, 50, 50);
    }
};

std::map<std::wstring, RECT> Places(SWindow* w, std::map<std::wstring, RECT> out = {})
{
    if (!w->GetName().empty())
        out[w->GetName()] = w->GetWindowRect();
    for (SWindow* c : w->GetChildren())
        out = Places(c, out);
    return out;
}

RECT WindowRect(HWND h)
{
    RECT rc;
    ::GetWindowRect(h, &rc);
    return rc;
}

int FontHeight(HWND edit)
{
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return std::abs(lf.lfHeight);
}

void DpiChanged(Host& host, int dpi, RECT suggested)
{
    ::SendMessageW(host.m_hWnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}
}  // namespace

TEST(dpi, a_new_scale_takes_the_suggested_rectangle_and_scales_every_place)
{
    Host host;
    ASSERT_NE(host.m_hWnd, nullptr);
    const int start = host.GetDpi();
    ASSERT_EQ(start, 96) << "the test prefix is expected at 100 %";
    const RECT before = WindowRect(host.m_hWnd);
    EXPECT_EQ(before.right - before.left, 400);
    const std::map<std::wstring, RECT> at96 = Places(host.GetRoot());
    auto* edit = host.FindChildByName2<SEdit>(L"edit_box");
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(edit->GetNativeWnd(), nullptr);
    const int font96 = FontHeight(edit->GetNativeWnd());
    const RECT nativeAt96 = WindowRect(edit->GetNativeWnd());
    SWindow* autoText = host.FindChildByName(L"txt_auto");
    const LONG autoWidth96 = autoText->GetWindowRect().right - autoText->GetWindowRect().left;

    const RECT suggested = {120, 80, 120 + 600, 80 + 450};
    DpiChanged(host, 144, suggested);
    EXPECT_EQ(host.GetDpi(), 144);
    EXPECT_EQ(host.GetRenderTarget()->GetDpi(), 144);
    const RECT after = WindowRect(host.m_hWnd);
    EXPECT_TRUE(EqualRect(&after, &suggested))
        << after.left << "," << after.top << "," << after.right << "," << after.bottom;
    // Every place is its 96-dpi place times 1.5, within a pixel per edge.
    for (const auto& [name, rc] : Places(host.GetRoot())) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const RECT& old = at96.at(name);
        if (name == L"txt_auto") {
            // Measured from its text, whose font grew with the scale.
            EXPECT_NEAR(rc.right - rc.left, autoWidth96 * 3 / 2, 3);
            EXPECT_NEAR(rc.left, old.left * 3 / 2, 1);
            continue;
        }
        EXPECT_NEAR(rc.left, old.left * 3 / 2, 1);
        EXPECT_NEAR(rc.top, old.top * 3 / 2, 1);
        EXPECT_NEAR(rc.right, old.right * 3 / 2, 1);
        EXPECT_NEAR(rc.bottom, old.bottom * 3 / 2, 1);
    }
    // The native edit got a font of the new size and sits over its widget again.
    EXPECT_NEAR(FontHeight(edit->GetNativeWnd()), font96 * 3 / 2, 1);
    const RECT native = WindowRect(edit->GetNativeWnd());
    EXPECT_NEAR(native.right - native.left, (nativeAt96.right - nativeAt96.left) * 3 / 2, 2);
    // The mouse finds the button where it is drawn now.
    SWindow* button = host.FindChildByName(L"btn_far");
    RECT b = button->GetWindowRect();
    EXPECT_EQ(host.GetRoot()->SwndFromPoint(POINT{b.right - 2, b.bottom - 2}), button);
    EXPECT_NE(host.GetRoot()->SwndFromPoint(POINT{at96.at(L"btn_far").left + 2, at96.at(L"btn_far").top + 2}), button);

    // Back to 100 %: exactly where it started.
    DpiChanged(host, 96, before);
    EXPECT_EQ(host.GetDpi(), 96);
    for (const auto& [name, rc] : Places(host.GetRoot())) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_TRUE(EqualRect(&rc, &at96.at(name)));
    }
    EXPECT_EQ(FontHeight(edit->GetNativeWnd()), font96);

    // Told the scale it already has (a pop-up sized for the monitor it was put on), it keeps
    // its size instead of taking the suggestion, its old size scaled once more.
    DpiChanged(host, 96, RECT{before.left, before.top, before.left + 800, before.top + 600});
    const RECT same = WindowRect(host.m_hWnd);
    EXPECT_TRUE(EqualRect(&same, &before));
}
