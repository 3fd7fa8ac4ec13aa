#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ctrlstestenv.h"
#include "extend.ctrls/sbuttonex.h"

using namespace SOUI;

namespace {

// Everything painted, in order, as text lines.
std::vector<std::string> g_drawn;

class RecordingTarget : public TObjRefImpl<IRenderTarget> {
public:
    BOOL Resize(int, int) override { return TRUE; }
    SIZE GetSize() override { return SIZE{200, 100}; }
    HDC GetDC() override { return nullptr; }
    IBitmap* GetCurrentBitmap() override { return nullptr; }
    void SelectBitmap(IBitmap*) override {}
    void PushClipRect(const RECT&) override {}
    void PopClip() override {}
    void ClearRect(const RECT&, COLORREF) override { g_drawn.push_back("clear"); }
    void FillSolidRect(const RECT&, COLORREF) override { g_drawn.push_back("fill"); }
    void DrawRectangle(const RECT&, COLORREF, int) override { g_drawn.push_back("rect"); }
    void DrawLine(POINT, POINT, COLORREF, int) override { g_drawn.push_back("line"); }
    void DrawText(const wchar_t*, int, const RECT& rc, UINT, IFont*, COLORREF) override
    {
        textRects.push_back(rc);
        g_drawn.push_back("text");
    }
    SIZE MeasureText(const wchar_t*, int, IFont*, int) override { return SIZE{10, 10}; }
    void DrawBitmap(const RECT&, IBitmap*, const RECT&, BYTE) override { g_drawn.push_back("bitmap"); }
    void SetDpi(int) override {}
    int GetDpi() const override { return 96; }
    std::vector<RECT> textRects;
};

class RecordingSkin : public TObjRefImpl<ISkinObj> {
public:
    explicit RecordingSkin(std::string name) : m_name(std::move(name)) {}
    SIZE GetSkinSize() override { return SIZE{10, 10}; }
    int GetStates() override { return 4; }
    BYTE GetAlpha() const override { return 200; }
    void SetAlpha(BYTE) override {}

protected:
    void _DrawByIndex(IRenderTarget*, const RECT&, int index, BYTE alpha) override
    {
        g_drawn.push_back(m_name + ":" + std::to_string(index) + "@" + std::to_string(alpha));
    }

private:
    std::string m_name;
};

class buttonex : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        auto& pool = ctrlstest::Engine().Skins();
        for (const char* n : {"rec.back", "rec.face"}) {
            SAutoRefPtr<ISkinObj> s;
            s.Attach(new RecordingSkin(n));
            pool.AddSkin(std::wstring(n, n + strlen(n)), s);
        }
    }
    void SetUp() override { g_drawn.clear(); }

    // A button laid out at 0,0-100,40 from an inline element.
    std::unique_ptr<SButtonEx> Make(const char* xml)
    {
        pugi::xml_document doc;
        doc.load_string(xml);
        auto b = std::make_unique<SButtonEx>();
        b->InitFromXml(doc.first_child());
        b->Move(RECT{0, 0, 100, 40});
        return b;
    }
    void Paint(SButtonEx& b, DWORD state, RecordingTarget& rt)
    {
        b.ModifyState(state, ~state);
        g_drawn.clear();
        b.OnPaint(&rt);
    }
};

TEST_F(buttonex, background_skin_under_skin_then_text)
{
    auto b = Make(R"(<buttonex bkgndSkin="rec.back" skin="rec.face">Go</buttonex>)");
    RecordingTarget rt;
    Paint(*b, WndState_Hover, rt);
    EXPECT_EQ((std::vector<std::string>{"rec.back:1@200", "rec.face:1@200", "text"}), g_drawn);
    Paint(*b, WndState_Disable | WndState_PushDown, rt);
    EXPECT_EQ((std::vector<std::string>{"rec.back:3@200", "rec.face:3@200", "text"}), g_drawn);

    // Neither skin (and no default one): only the text.
    auto bare = Make(R"(<buttonex>Go</buttonex>)");
    Paint(*bare, 0, rt);
    EXPECT_EQ((std::vector<std::string>{"text"}), g_drawn);

    // A skin name the pool does not hold leaves none, with a line saying so.
    ctrlstest::LogCapture log;
    EXPECT_EQ(S_OK, bare->SetAttribute(L"bkgndSkin", L"no.such.skin", TRUE));
    EXPECT_EQ(nullptr, bare->GetBkgndSkin());
    EXPECT_TRUE(log.Contains(L"no.such.skin"));
}

TEST_F(buttonex, fade_draws_normal_then_hover_share)
{
    RecordingSkin skin("s");
    RecordingTarget rt;
    // a = 128 * 200 >> 8 = 100: hovered shows the hover frame at a, leaving at 200 - a.
    SButtonEx::DrawSkinState(&skin, &rt, RECT{0, 0, 10, 10}, WndState_Hover, 128);
    SButtonEx::DrawSkinState(&skin, &rt, RECT{0, 0, 10, 10}, 0, 128);
    EXPECT_EQ((std::vector<std::string>{"s:0@200", "s:1@100", "s:0@200", "s:1@100"}), g_drawn);
    g_drawn.clear();
    SButtonEx::DrawSkinState(&skin, &rt, RECT{0, 0, 10, 10}, WndState_Hover, 64);
    SButtonEx::DrawSkinState(&skin, &rt, RECT{0, 0, 10, 10}, 0, 64);
    EXPECT_EQ((std::vector<std::string>{"s:0@200", "s:1@50", "s:0@200", "s:1@150"}), g_drawn);
}

TEST_F(buttonex, text_shifts_only_while_pushed)
{
    struct Case {
        const char* shift;
        DWORD state;
        RECT expect;
    } cases[] = {
        {"2,2", WndState_PushDown, {2, 2, 100, 40}},
        {"2,2", WndState_PushDown | WndState_Hover, {2, 2, 100, 40}},
        {"2,2", WndState_Hover, {0, 0, 100, 40}},
        {"2,2", 0, {0, 0, 100, 40}},
        // One number moves only x; negative values move the other way.
        {"5", WndState_PushDown, {5, 0, 100, 40}},
        {"-1,3", WndState_PushDown, {-1, 3, 100, 40}},
        {"0,0", WndState_PushDown, {0, 0, 100, 40}},
    };
    for (const auto& c : cases) {
        std::string xml = std::string("<buttonex textShift=\"") + c.shift + "\">Go</buttonex>";
        auto b = Make(xml.c_str());
        RecordingTarget rt;
        Paint(*b, c.state, rt);
        ASSERT_EQ(1u, rt.textRects.size()) << c.shift;
        const RECT& r = rt.textRects[0];
        EXPECT_TRUE(EqualRect(&r, &c.expect))
            << c.shift << " state " << c.state << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

}  // namespace
