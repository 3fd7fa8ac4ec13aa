// The login window from the program's own resources: the fetch-code button is a "buttonex"
// over the "colormask" skin built from the mask picture. Set MORAVEL_HOLD_MS to keep the
// window on screen (pressed) for that long, for a screenshot.
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include "engine/SEngine.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/sbuttonex.h"
#include "extend.ctrls/scolormask.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "pluginloader.h"

using namespace SOUI;

namespace {

struct Px {
    int r, g, b, a;
};

Px At(SHostWnd& host, POINT pt)
{
    IBitmap* bmp = host.GetRenderTarget()->GetCurrentBitmap();
    const BYTE* p = bmp->GetPixelBits() + (size_t(pt.y) * bmp->Width() + pt.x) * 4;
    return Px{p[2], p[1], p[0], p[3]};
}

// Bounding box of the white text drawn inside rc.
RECT WhiteBox(SHostWnd& host, const RECT& rc)
{
    RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (LONG y = rc.top; y < rc.bottom; ++y)
        for (LONG x = rc.left; x < rc.right; ++x) {
            Px p = At(host, POINT{x, y});
            if (p.r > 200 && p.g > 200 && p.b > 200) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    return box;
}

TEST(login_button, fetch_code_button_is_blue_with_white_text_that_shifts_when_pressed)
{
    CPluginLoader loader;
    SAutoRefPtr<IRenderFactory> render;
    SAutoRefPtr<IImgDecoderFactory> decoder;
    ASSERT_TRUE(loader.CreateRenderFactory(render.Out()));
    ASSERT_TRUE(loader.CreateImgDecoderFactory(decoder.Out()));
    render->SetImgDecoderFactory(decoder);
    auto engine = std::make_unique<SEngine>(render, GetModuleHandleW(nullptr));
    // Custom skins must be known before the skin table is read.
    engine->Factories().Register<SSearchDropdownList>();
    engine->Factories().Register<SButtonEx>();
    engine->Factories().Register<SColorMask>();
    SAutoRefPtr<IResProvider> pe;
    ASSERT_TRUE(CreateResProvider(RES_PE, pe.Out()));
    pe->Init(WPARAM(GetModuleHandleW(nullptr)), 0);
    engine->Resources().AddResProvider(pe, L"uidef:xml_init");

    auto* mask = dynamic_cast<SColorMask*>(engine->Skins().GetSkin(L"skin.btn_fetchvcode"));
    ASSERT_TRUE(mask);
    EXPECT_EQ(3, mask->GetMaskChannel());

    {
        SHostWnd host(L"LAYOUT:login_frame");
        ASSERT_TRUE(host.Create(nullptr, 0, 0, 200, 200));
        host.ShowWindow(SW_SHOW);
        host.UpdateNow();
        auto* btn = host.FindChildByName2<SButtonEx>(L"btn_fetchvcode");
        ASSERT_TRUE(btn);
        RECT rc = btn->GetWindowRect();
        ASSERT_EQ(100, rc.right - rc.left);
        ASSERT_EQ(50, rc.bottom - rc.top);

        // Corners and edges, away from the text: the normal state's blue.
        for (POINT p : {POINT{rc.left, rc.top}, POINT{rc.right - 1, rc.bottom - 1}, POINT{rc.left + 3, rc.top + 25}}) {
            Px px = At(host, p);
            EXPECT_EQ(43, px.r);
            EXPECT_EQ(123, px.g);
            EXPECT_EQ(231, px.b);
            EXPECT_EQ(255, px.a);
        }
        RECT normal = WhiteBox(host, rc);
        ASSERT_LT(normal.left, normal.right) << "white text on the button";

        // Pressed: "textShift"="1,1" moves the text rectangle's left and top edges.
        POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        host.SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
        host.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
        host.UpdateNow();
        EXPECT_TRUE(btn->GetState() & WndState_PushDown);
        RECT pressed = WhiteBox(host, rc);
        EXPECT_GE(pressed.left, normal.left);
        EXPECT_GE(pressed.top, normal.top);
        EXPECT_TRUE(pressed.left > normal.left || pressed.top > normal.top || pressed.right > normal.right ||
                    pressed.bottom > normal.bottom)
            << "the text moved right or down";

        if (const char* hold = getenv("MORAVEL_HOLD_MS")) {
            DWORD end = GetTickCount() + DWORD(atoi(hold));
            MSG msg;
            while (int(end - GetTickCount()) > 0) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&msg);
                Sleep(10);
            }
        }
        host.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    }
    engine.reset();
}

}  // namespace
