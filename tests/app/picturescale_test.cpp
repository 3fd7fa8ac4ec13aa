// The program's pictures on displays of 100 %, 150 % and 200 %: the skins draw the version made
// for the target's scale pixel for pixel, nine-grid borders stay crisp, stretches are smoothed
// without reaching into a neighbouring state, and the QR code keeps hard edges.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/uiengine.h"
#include "engine/SEngine.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/skins/SScaledImage.h"
#include "engine/skins/SSkinImgFrame.h"
#include "engine/skins/SSkinPoolMgr.h"

using namespace SOUI;

namespace {

CUiEngine* Engine()
{
    static std::unique_ptr<CUiEngine> engine = [] {
        auto e = std::make_unique<CUiEngine>();
        if (!e->Init(GetModuleHandleW(nullptr)))
            e.reset();
        return e;
    }();
    return engine.get();
}

IRenderFactory* Render()
{
    return Engine() ? Engine()->Engine().Resources().GetRenderFactory() : nullptr;
}

// A cleared target of w x h drawing for dpi.
SAutoRefPtr<IRenderTarget> Target(int w, int h, int dpi)
{
    SAutoRefPtr<IRenderTarget> rt;
    if (!Render() || !Render()->CreateRenderTarget(rt.Out(), w, h))
        return nullptr;
    rt->SetDpi(dpi);
    rt->ClearRect(RECT{0, 0, w, h}, 0);
    return rt;
}

DWORD At(IBitmap* b, int x, int y)
{
    return reinterpret_cast<const DWORD*>(b->GetPixelBits())[y * b->Width() + x];
}
DWORD At(IRenderTarget* rt, int x, int y)
{
    return At(rt->GetCurrentBitmap(), x, y);
}

// The picture "img:NAME" or its version for scale percent, as the engine decodes it.
IBitmap* Picture(const std::wstring& name, int scale)
{
    auto* mgr = SResProviderMgr::getSingletonPtr();
    return mgr ? mgr->LoadImage2(L"img:" + name + (scale == 100 ? L"" : L"_" + std::to_wstring(scale))) : nullptr;
}

// A bitmap from pixels (premultiplied 0xAARRGGBB), rows top down.
SAutoRefPtr<IBitmap> Bitmap(int w, int h, const std::vector<DWORD>& px)
{
    SAutoRefPtr<IBitmap> b;
    if (!Render() || !Render()->CreateBitmap(b.Out(), w, h))
        return nullptr;
    memcpy(b->GetPixelBits(), px.data(), px.size() * sizeof(DWORD));
    return b;
}

std::string Hex(DWORD v)
{
    char s[16];
    snprintf(s, sizeof s, "%08lX", static_cast<unsigned long>(v));
    return s;
}

}  // namespace

TEST(picture_scale, version_nearest_the_display_is_picked)
{
    ASSERT_NE(Engine(), nullptr);
    SScaledImage pic;
    ASSERT_TRUE(pic.Load(L"img:btn_login"));
    // 125 % lies as near 100 % as 150 %: the larger scales down with less loss.
    const struct {
        int dpi, scale;
    } cases[] = {{72, 100}, {96, 100}, {110, 100}, {120, 150}, {144, 150}, {168, 200}, {192, 200}, {288, 200}};
    for (const auto& c : cases) {
        int scale = 0;
        IBitmap* b = pic.Pick(c.dpi, 100, scale);
        ASSERT_NE(b, nullptr) << c.dpi;
        EXPECT_EQ(scale, c.scale) << "dpi " << c.dpi;
        EXPECT_EQ(b, Picture(L"btn_login", c.scale)) << "dpi " << c.dpi;
    }
    // A picture without versions is what every scale gets.
    SScaledImage single;
    ASSERT_TRUE(single.Load(L"img:img_bizcardframe"));
    int scale = 0;
    EXPECT_EQ(single.Pick(192, 100, scale), Picture(L"img_bizcardframe", 100));
    EXPECT_EQ(scale, 100);
}

// Each state skin at its own size on 100 %, 150 % and 200 %: a copy of that state of the
// version for the scale, pixel for pixel, while the size it reports stays the 100 % one.
TEST(picture_scale, skins_draw_the_version_for_the_scale_pixel_for_pixel)
{
    ASSERT_NE(Engine(), nullptr);
    const struct {
        const wchar_t* skin;
        const wchar_t* picture;
        int states, state;
    } skins[] = {
        {L"skin_btn_login", L"btn_login", 3, 1},
        {L"skin.msgicons", L"msgbox_icons", 4, 2},
        {L"_skin.sys.btn.close", L"sys_btn_close", 3, 2},
        {L"skin.tabbtn_help_normal", L"btn_tab_help", 3, 0},
    };
    for (const auto& s : skins) {
        ISkinObj* skin = SSkinPoolMgr::getSingletonPtr()->GetSkin(s.skin);
        ASSERT_NE(skin, nullptr);
        const SIZE logical = skin->GetSkinSize();
        EXPECT_EQ(logical.cx, Picture(s.picture, 100)->Width() / s.states);
        for (int scale : {100, 150, 200}) {
            IBitmap* want = Picture(s.picture, scale);
            ASSERT_NE(want, nullptr) << "no version for " << scale;
            const int w = want->Width() / s.states, h = want->Height();
            auto rt = Target(w, h, 96 * scale / 100);
            ASSERT_TRUE(rt);
            skin->DrawByIndex(rt, RECT{0, 0, w, h}, s.state, 255);
            int wrong = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    wrong += At(rt, x, y) != At(want, s.state * w + x, y);
            EXPECT_EQ(wrong, 0) << std::string(s.skin, s.skin + wcslen(s.skin)) << " at " << scale << " %";
        }
    }
}

// The shadow frame (margin 10) over a whole window: corners are the version's own pixels,
// and along the edges each line across the band keeps the version's values, so nothing
// blurs across the border.
TEST(picture_scale, nine_grid_borders_stay_crisp)
{
    ASSERT_NE(Engine(), nullptr);
    auto* skin = dynamic_cast<SSkinImgFrame*>(SSkinPoolMgr::getSingletonPtr()->GetSkin(L"skin.shadow"));
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->GetMargin().left, 10);
    for (int scale : {100, 150, 200}) {
        IBitmap* src = Picture(L"ID_SHADOW", scale);
        ASSERT_NE(src, nullptr);
        const int m = 10 * scale / 100, n = src->Width();
        const int W = 462 * scale / 100, H = 330 * scale / 100;
        auto rt = Target(W, H, 96 * scale / 100);
        ASSERT_TRUE(rt);
        skin->DrawByIndex(rt, RECT{0, 0, W, H}, 0, 255);
        int wrong = 0;
        for (int y = 0; y < m; ++y)
            for (int x = 0; x < m; ++x) {
                wrong += At(rt, x, y) != At(src, x, y);
                wrong += At(rt, W - m + x, y) != At(src, n - m + x, y);
                wrong += At(rt, x, H - m + y) != At(src, x, n - m + y);
                wrong += At(rt, W - m + x, H - m + y) != At(src, n - m + x, n - m + y);
            }
        EXPECT_EQ(wrong, 0) << "corners at " << scale << " %";
        // Across the top band, row y holds only values between the extremes of the
        // version's row y between the corners (a blur across the band would mix rows).
        int outside = 0;
        for (int y = 0; y < m; ++y) {
            DWORD lo = 0xFFFFFFFF, hi = 0;
            for (int x = m; x < n - m; ++x) {
                lo = std::min(lo, At(src, x, y) >> 24);
                hi = std::max(hi, At(src, x, y) >> 24);
            }
            for (int x = m; x < W - m; ++x) {
                DWORD a = At(rt, x, y) >> 24;
                outside += a < lo || a > hi;
            }
        }
        EXPECT_EQ(outside, 0) << "top band at " << scale << " %";
        // The body starts where the version's body starts: 6 px at 100 % scaled.
        EXPECT_EQ(At(rt, W / 2, 6 * scale / 100), 0xFFFFFFFFu) << scale;
        EXPECT_NE(At(rt, W / 2, 6 * scale / 100 - 1), 0xFFFFFFFFu) << scale;
    }
}

// A stretch is smoothed: a 2 x 1 black-white picture made 4 times as wide has greys between,
// keeps the ends, and never takes anything from the state beside it.
TEST(picture_scale, stretching_filters_within_the_source)
{
    ASSERT_NE(Engine(), nullptr);
    const DWORD black = 0xFF000000, white = 0xFFFFFFFF, red = 0xFFFF0000;
    auto strip = Bitmap(4, 1, {black, white, red, red});  // two states of 2 x 1
    ASSERT_TRUE(strip);
    auto rt = Target(8, 1, 96);
    rt->DrawBitmap(RECT{0, 0, 8, 1}, strip, RECT{0, 0, 2, 1}, 255);
    EXPECT_EQ(At(rt, 0, 0), black);
    EXPECT_EQ(At(rt, 7, 0), white);
    int greys = 0, reds = 0;
    for (int x = 0; x < 8; ++x) {
        DWORD p = At(rt, x, 0);
        greys += p != black && p != white;
        reds += (p & 0xFF) != ((p >> 8) & 0xFF) || ((p >> 8) & 0xFF) != ((p >> 16) & 0xFF);
    }
    EXPECT_GE(greys, 2) << "up-scaling is not smoothed";
    EXPECT_EQ(reds, 0) << "the neighbouring state bled in";
    // Down to one pixel: the average of both.
    auto one = Target(1, 1, 96);
    one->DrawBitmap(RECT{0, 0, 1, 1}, strip, RECT{0, 0, 2, 1}, 255);
    EXPECT_NEAR(int(At(one, 0, 0) & 0xFF), 128, 1) << Hex(At(one, 0, 0));
    EXPECT_EQ(At(one, 0, 0) >> 24, 0xFFu);
}

// The QR code on the card window: drawn with nearest samples at every scale, so every pixel
// is black or white and every module a solid block; smoothed, it would grey at the edges.
TEST(picture_scale, qr_code_stays_black_and_white_at_every_scale)
{
    ASSERT_NE(Engine(), nullptr);
    pugi::xml_document layout;
    ASSERT_TRUE(SResProviderMgr::getSingletonPtr()->LoadXml(layout, L"LAYOUT:BIZCARD_FRAME"));
    pugi::xml_node node =
        layout.find_node([](pugi::xml_node n) { return std::string(n.attribute("name").value()) == "imgQRCode"; });
    ASSERT_TRUE(node);
    // 29 modules of 8 pixels, as the program writes a short link's code: a checkerboard.
    const int modules = 29, cell = 8, side = modules * cell;
    std::vector<DWORD> px(size_t(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            px[size_t(y) * side + x] = ((x / cell + y / cell) % 2) ? 0xFFFFFFFF : 0xFF000000;
    auto qr = Bitmap(side, side, px);
    ASSERT_TRUE(qr);
    for (int dpi : {96, 144, 192}) {
        SImageWnd img;
        img.InitFromXml(node);
        img.SetImage(qr);
        const int size = 160 * dpi / 96;
        img.Move(RECT{0, 0, size, size});
        auto rt = Target(size, size, dpi);
        img.OnPaint(rt);
        int grey = 0, runs = 1;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                DWORD p = At(rt, x, y);
                grey += p != 0xFF000000 && p != 0xFFFFFFFF;
            }
        for (int x = 1; x < size; ++x)
            runs += At(rt, x, size / 2) != At(rt, x - 1, size / 2);
        EXPECT_EQ(grey, 0) << "dpi " << dpi;
        EXPECT_EQ(runs, modules) << "dpi " << dpi;
    }
}

// The flat button face keeps a border of whole pixels: one up to 150 %, two at 200 %.
TEST(picture_scale, flat_button_border_is_whole_pixels)
{
    ASSERT_NE(Engine(), nullptr);
    ISkinObj* skin = SSkinPoolMgr::getSingletonPtr()->GetSkin(L"skin.btn.common");
    ASSERT_NE(skin, nullptr);
    const DWORD border = 0xFF128BED, face = 0xFFFFFFFF;
    const struct {
        int dpi, width;
    } cases[] = {{96, 1}, {144, 1}, {192, 2}};
    for (const auto& c : cases) {
        auto rt = Target(60, 30, c.dpi);
        skin->DrawByIndex(rt, RECT{0, 0, 60, 30}, 0, 255);
        for (int i = 0; i < c.width; ++i) {
            EXPECT_EQ(At(rt, 30, i), border) << "dpi " << c.dpi << " row " << i;
            EXPECT_EQ(At(rt, i, 15), border) << "dpi " << c.dpi << " column " << i;
        }
        EXPECT_EQ(At(rt, 30, c.width), face) << "dpi " << c.dpi;
        EXPECT_EQ(At(rt, 59 - c.width, 15), face) << "dpi " << c.dpi;
    }
}

namespace {
// Source-over of premultiplied pixels, channel by channel, with the overall alpha applied to the
// source first: the result every fill and picture must give, however the target gets there.
DWORD Over(DWORD dst, DWORD src, unsigned alpha)
{
    auto ch = [](DWORD p, int i) { return (p >> (8 * i)) & 0xFF; };
    DWORD s[4], out = 0;
    for (int i = 0; i < 4; ++i)
        s[i] = alpha == 255 ? ch(src, i) : ch(src, i) * alpha >> 8;
    if (s[3] == 0)
        return dst;
    for (int i = 0; i < 4; ++i)
        out |= (s[3] == 255 ? s[i] : s[i] + (ch(dst, i) * (255 - s[3]) >> 8)) << (8 * i);
    return out;
}

// Premultiplied pixels of every kind: clear, opaque, half and faint, in colours that differ.
DWORD Mixed(int i)
{
    static const DWORD kinds[] = {0x00000000, 0xFF2040C0, 0x80402010, 0x10080402, 0xFFFFFFFF, 0x40100020, 0xC0C00060};
    return kinds[(i * 7 + i / 5) % 7];
}
}  // namespace

TEST(picture_scale, fills_and_pictures_blend_every_pixel_as_source_over)
{
    constexpr int W = 23, H = 9;
    std::vector<DWORD> back(W * H), pattern(W * H), flat(16 * 4, 0x80402010);
    for (int i = 0; i < W * H; ++i)
        back[i] = Mixed(i), pattern[i] = Mixed(i * 3 + 1);
    auto picture = Bitmap(W, H, pattern), plain = Bitmap(16, 4, flat);
    ASSERT_TRUE(picture && plain);
    const RECT part = {3, 2, 20, 8};
    struct Case {
        const char* what;
        COLORREF fill;  // RGBA, or 0 with a picture
        IBitmap* bmp;
        RECT src;
        BYTE alpha;
    };
    const Case cases[] = {
        {"opaque fill", RGBA(10, 200, 30, 255), nullptr, {}, 255},
        {"half fill", RGBA(10, 200, 30, 128), nullptr, {}, 255},
        {"faint fill", RGBA(255, 255, 255, 3), nullptr, {}, 255},
        {"picture 1:1", 0, picture, RECT{0, 0, W, H}, 255},
        {"picture 1:1 at alpha 100", 0, picture, RECT{0, 0, W, H}, 100},
        {"flat picture stretched", 0, plain, RECT{0, 0, 16, 4}, 255},
        {"flat picture stretched at alpha 200", 0, plain, RECT{0, 0, 16, 4}, 200},
        {"flat picture stretched at alpha 1", 0, plain, RECT{0, 0, 16, 4}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto rt = Target(W, H, 96);
        ASSERT_TRUE(rt);
        auto* bits = reinterpret_cast<DWORD*>(rt->GetCurrentBitmap()->GetPixelBits());
        memcpy(bits, back.data(), back.size() * sizeof(DWORD));
        rt->PushClipRect(part);
        if (c.bmp)
            rt->DrawBitmap(RECT{0, 0, W, H}, c.bmp, c.src, c.alpha);
        else
            rt->FillSolidRect(RECT{0, 0, W, H}, c.fill);
        rt->PopClip();
        int wrong = 0;
        std::string first;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                DWORD want = back[y * W + x];
                if (x >= part.left && x < part.right && y >= part.top && y < part.bottom) {
                    DWORD src = c.bmp == picture.get() ? pattern[y * W + x] : c.bmp ? flat[0] : 0;
                    if (!c.bmp) {
                        DWORD a = GetAValue(c.fill);
                        src = a << 24 | (GetRValue(c.fill) * a / 255) << 16 | (GetGValue(c.fill) * a / 255) << 8 |
                              GetBValue(c.fill) * a / 255;
                    }
                    want = Over(want, src, c.alpha);
                }
                if (bits[y * W + x] != want && !wrong++)
                    first =
                        std::to_string(x) + "," + std::to_string(y) + ": " + Hex(bits[y * W + x]) + " not " + Hex(want);
            }
        EXPECT_EQ(wrong, 0) << first;
    }
}
