#include <gtest/gtest.h>
#include "ctrlstestenv.h"
#include "extend.ctrls/scolormask.h"

using namespace SOUI;
using ctrlstest::Mem;

namespace {

struct Px {
    int b, g, r, a;
    bool operator==(const Px& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};
std::ostream& operator<<(std::ostream& os, const Px& p)
{
    return os << "(r " << p.r << ", g " << p.g << ", b " << p.b << ", a " << p.a << ")";
}

Px PixelOf(IBitmap* bmp, int x, int y)
{
    const BYTE* p = bmp->GetPixelBits() + (size_t(y) * bmp->Width() + x) * 4;
    return Px{p[0], p[1], p[2], p[3]};
}

// A colour after the mask multiplies it: each byte * m >> 8, alpha m.
Px Masked(int r, int g, int b, int m)
{
    return Px{(b * m) >> 8, (g * m) >> 8, (r * m) >> 8, m};
}

// Applies attributes in the given order, as the skin table does; the last result is returned.
HRESULT Apply(SColorMask& s, std::initializer_list<std::pair<const wchar_t*, std::wstring>> attrs)
{
    HRESULT hr = S_OK;
    for (const auto& a : attrs)
        hr = s.SetAttribute(a.first, a.second, TRUE);
    return hr;
}

class colormask : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string png = ctrlstest::SourceFile(L"src/res/images/btn_fetchvcode.png");
        ASSERT_FALSE(png.empty());
        Mem()->AddResource(L"img", L"BTN_FETCHVCODE", png);
        // Distinct bytes per channel show which one a suffix picks.
        Mem()->AddResource(L"img", L"chan", ctrlstest::SolidBmp(8, 4, 0x10, 0x20, 0x30));
        Mem()->AddResource(L"img", L"chan.A", ctrlstest::SolidBmp(8, 4, 0x55, 0x66, 0x77));
        Mem()->AddResource(L"img", L"half", ctrlstest::SolidBmp(2, 2, 0x80, 0x80, 0x80));
    }
    SAutoRefPtr<SColorMask> Make()
    {
        SAutoRefPtr<SColorMask> s;
        s.Attach(new SColorMask);
        return s;
    }
};

TEST_F(colormask, login_skin_frames_are_solid_opaque_colours)
{
    auto s = Make();
    ASSERT_EQ(S_OK, Apply(*s, {{L"colorNormal", L"#2C7CE8"},
                               {L"colorHover", L"#4F94F1"},
                               {L"colorDown", L"#2C7CE8"},
                               {L"colorDisable", L"#808080"},
                               {L"width", L"116"},
                               {L"height", L"50"},
                               {L"mask", L"img:BTN_FETCHVCODE.a"}}));
    EXPECT_EQ(116, s->GetSkinSize().cx);
    EXPECT_EQ(50, s->GetSkinSize().cy);
    EXPECT_EQ(4, s->GetStates());
    IBitmap* img = s->GetStateImage();
    ASSERT_TRUE(img);
    const Px frames[4] = {
        {231, 123, 43, 255}, Masked(0x4F, 0x94, 0xF1, 255), {231, 123, 43, 255}, Masked(0x80, 0x80, 0x80, 255)};
    for (int i = 0; i < 4; ++i)
        for (int y : {0, 25, 49})
            for (int x : {0, 14, 28})
                EXPECT_EQ(frames[i], PixelOf(img, i * 29 + x, y)) << "frame " << i;

    // Drawn: the 29 x 50 frame stretched over the 100 x 50 button.
    SAutoRefPtr<IRenderTarget> rt;
    ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateRenderTarget(rt.Out(), 100, 50));
    s->DrawByIndex(rt, RECT{0, 0, 100, 50}, 0);
    for (POINT p : {POINT{0, 0}, POINT{50, 25}, POINT{99, 49}})
        EXPECT_EQ((Px{231, 123, 43, 255}), PixelOf(rt->GetCurrentBitmap(), p.x, p.y));
}

TEST_F(colormask, mask_suffix_picks_the_byte)
{
    // The mask pixel is blue 0x10, green 0x20, red 0x30, alpha 0xFF; the colour is white.
    struct Case {
        const wchar_t* mask;
        int expectByte;
    } cases[] = {
        {L"img:chan", 0x10},
        {L"img:chan.b", 0x10},
        {L"img:chan.g", 0x20},
        {L"img:chan.r", 0x30},
        {L"img:chan.a", 0xFF},
        // Capitals are no suffix: "chan.A" is another picture, read at byte 0.
        {L"img:chan.A", 0x55},
    };
    for (const auto& c : cases) {
        auto s = Make();
        ASSERT_EQ(S_OK,
                  Apply(*s, {{L"colorNormal", L"#FFFFFF"}, {L"width", L"32"}, {L"height", L"4"}, {L"mask", c.mask}}))
            << c.mask;
        EXPECT_EQ(Masked(255, 255, 255, c.expectByte), PixelOf(s->GetStateImage(), 3, 2)) << c.mask;
    }
}

TEST_F(colormask, attribute_order_and_bad_values)
{
    // "mask" builds from what stands before it: a later colour changes nothing.
    auto late = Make();
    ASSERT_EQ(S_OK, Apply(*late, {{L"width", L"32"}, {L"height", L"4"}, {L"mask", L"img:chan.a"}}));
    ASSERT_EQ(S_OK, late->SetAttribute(L"colorNormal", L"#2C7CE8", TRUE));
    EXPECT_EQ(Masked(0xEE, 0xEE, 0xEE, 255), PixelOf(late->GetStateImage(), 0, 0));
    EXPECT_EQ(Masked(0xD6, 0xD6, 0xD6, 255), PixelOf(late->GetStateImage(), 8, 0));

    // An empty or unreadable colour is refused and the old one stays.
    auto s = Make();
    ASSERT_EQ(S_OK, s->SetAttribute(L"colorHover", L"#102030", TRUE));
    EXPECT_EQ(E_FAIL, s->SetAttribute(L"colorHover", L"", TRUE));
    EXPECT_EQ(E_FAIL, s->SetAttribute(L"colorHover", L"blue-ish", TRUE));
    EXPECT_EQ(RGBA(0x10, 0x20, 0x30, 255), s->GetStateColor(1));

    // "mask" before the size, or naming a picture that is not there, is refused and builds nothing.
    ctrlstest::LogCapture log;
    auto noSize = Make();
    EXPECT_EQ(E_FAIL, noSize->SetAttribute(L"mask", L"img:chan.a", TRUE));
    EXPECT_EQ(nullptr, noSize->GetStateImage());
    auto missing = Make();
    EXPECT_EQ(E_FAIL, Apply(*missing, {{L"width", L"32"}, {L"height", L"4"}, {L"mask", L"img:no_such_mask.a"}}));
    EXPECT_EQ(nullptr, missing->GetStateImage());
    EXPECT_TRUE(log.Contains(L"no_such_mask"));
    SAutoRefPtr<IRenderTarget> rt;
    ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateRenderTarget(rt.Out(), 8, 8));
    rt->ClearRect(RECT{0, 0, 8, 8}, RGBA(1, 2, 3, 255));
    missing->DrawByIndex(rt, RECT{0, 0, 8, 8}, 0);
    EXPECT_EQ((Px{3, 2, 1, 255}), PixelOf(rt->GetCurrentBitmap(), 4, 4));
}

TEST_F(colormask, partial_frames_and_states_out_of_range)
{
    // Width 10: frames of 2 columns; columns 8 and 9 keep plain colour 3, outside every frame.
    // The 2 x 2 mask (0x80 at byte 0) shapes only 2 x 2 of each frame; row 2 keeps the plain colour.
    auto s = Make();
    ASSERT_EQ(S_OK, Apply(*s, {{L"colorNormal", L"#FF0000"},
                               {L"colorHover", L"#00FF00"},
                               {L"colorDown", L"#0000FF"},
                               {L"colorDisable", L"#FFFFFF"},
                               {L"width", L"10"},
                               {L"height", L"3"},
                               {L"mask", L"img:half"}}));
    IBitmap* img = s->GetStateImage();
    EXPECT_EQ(Masked(255, 0, 0, 0x80), PixelOf(img, 1, 1));
    EXPECT_EQ(Masked(0, 255, 0, 0x80), PixelOf(img, 2, 0));
    EXPECT_EQ(Masked(255, 255, 255, 0x80), PixelOf(img, 7, 1));
    EXPECT_EQ((Px{0, 0, 255, 255}), PixelOf(img, 0, 2));
    EXPECT_EQ((Px{255, 255, 255, 255}), PixelOf(img, 8, 0));
    EXPECT_EQ((Px{255, 255, 255, 255}), PixelOf(img, 9, 1));

    // Drawing state 3 shows columns 6-7 only: masked white, never the plain columns 8-9.
    SAutoRefPtr<IRenderTarget> rt;
    ASSERT_TRUE(ctrlstest::Engine().Resources().GetRenderFactory()->CreateRenderTarget(rt.Out(), 4, 3));
    rt->ClearRect(RECT{0, 0, 4, 3}, RGBA(0, 0, 0, 0));
    s->DrawByIndex(rt, RECT{0, 0, 4, 2}, 3);
    EXPECT_EQ(Masked(255, 255, 255, 0x80), PixelOf(rt->GetCurrentBitmap(), 3, 0));

    for (int state : {4, 7, -1}) {
        rt->ClearRect(RECT{0, 0, 4, 3}, RGBA(0, 0, 0, 0));
        s->DrawByIndex(rt, RECT{0, 0, 4, 3}, state);
        EXPECT_EQ((Px{0, 0, 0, 0}), PixelOf(rt->GetCurrentBitmap(), 1, 1)) << "state " << state;
    }
}

}  // namespace
