#include <gtest/gtest.h>
#include <ctime>
#include "enginetestenv.h"
#include "pluginloader.h"

using namespace SOUI;
using enginetest::LogCapture;

// Colours: every accepted form, and forms that must be refused rather than read as black.
TEST(attr_parse, colour_forms)
{
    struct Case {
        const wchar_t* text;
        bool ok;
        COLORREF want;
    } cases[] = {
        {L"#128BED", true, RGBA(0x12, 0x8B, 0xED, 255)},
        {L"#128BED80", true, RGBA(0x12, 0x8B, 0xED, 0x80)},
        {L"#fff", true, RGBA(255, 255, 255, 255)},
        {L"rgb(255,0,0)", true, RGBA(255, 0, 0, 255)},
        {L"rgba(1,2,3,4)", true, RGBA(1, 2, 3, 4)},
        {L"@color/gray", true, RGBA(0x80, 0x80, 0x80, 255)},
        {L"@color/nosuch", false, 0},
        {L"#12345", false, 0},
        {L"#GG0000", false, 0},
        {L"rgb(256,0,0)", false, 0},
        {L"rgb(1,2)", false, 0},
        {L"red", false, 0},
        {L"", false, 0},
    };
    for (const auto& c : cases) {
        COLORREF out = 0xDEADBEEF;
        EXPECT_EQ(ParseColor(c.text, out), c.ok) << c.text;
        EXPECT_EQ(out, c.ok ? c.want : 0xDEADBEEF) << c.text;
    }
}

// Positions: near edge, far edge ("-0" is the edge itself), sizes only in the second pair.
TEST(attr_parse, position_forms)
{
    std::vector<SPosItem> p;
    ASSERT_TRUE(ParsePos(L"-40,5,@30,@30", p));
    EXPECT_EQ(p[0].type, SPosItem::Far);
    EXPECT_EQ(p[0].value, 40);
    EXPECT_EQ(p[2].type, SPosItem::Size);
    ASSERT_TRUE(ParsePos(L"0,0,-0,-0", p));
    EXPECT_EQ(p[3].type, SPosItem::Far);
    EXPECT_EQ(p[3].value, 0);
    for (const wchar_t* bad : {L"@1,2", L"1,2,3", L"a,b", L"", L"1,2,3,4,5"}) {
        std::vector<SPosItem> untouched(1);
        EXPECT_FALSE(ParsePos(bad, untouched)) << bad;
        EXPECT_EQ(untouched.size(), 1u) << bad;
    }
}

TEST(attr_parse, font_spec_keeps_unset_fields)
{
    SFontSpec base;
    base.face = L"微软雅黑";
    base.size = 16;
    SFontSpec f;
    ASSERT_TRUE(ParseFontSpec(L"size:14,bold:1", f));
    base.Merge(f);
    EXPECT_EQ(base.face, L"微软雅黑");
    EXPECT_EQ(base.size, 14);
    EXPECT_EQ(base.bold, 1);
    EXPECT_FALSE(ParseFontSpec(L"weight:700", f));
}

TEST(resources, exe_resources_match_without_case)
{
    auto& res = SResProviderMgr::getSingleton();
    pugi::xml_document doc;
    EXPECT_TRUE(res.LoadXml(doc, L"layout:test_LAYOUT"));
    EXPECT_STREQ(doc.first_child().attribute("name").value(), "rcWindow");
    EXPECT_NE(res.LoadImage2(L"IMG:BTN3"), nullptr);
    EXPECT_EQ(res.LoadImage2(L"img:btn3")->Width(), 48);
}

TEST(resources, missing_or_broken_resources_report_and_fail)
{
    auto& res = SResProviderMgr::getSingleton();
    enginetest::Mem()->AddResource(L"layout", L"broken", "<SOUI><root></SOUI>");
    enginetest::Mem()->AddResource(L"img", L"notapicture", "hello");
    LogCapture log;
    pugi::xml_document doc;
    EXPECT_FALSE(res.LoadXml(doc, L"LAYOUT:nosuch"));
    EXPECT_FALSE(res.LoadXml(doc, L"LAYOUT:broken"));
    EXPECT_EQ(res.LoadImage2(L"img:notapicture"), nullptr);
    EXPECT_EQ(res.LoadImage2(L"img:nosuch"), nullptr);
    EXPECT_TRUE(log.Contains(L"'LAYOUT:nosuch' not found"));
    EXPECT_TRUE(log.Contains(L"'LAYOUT:broken' is not valid XML"));
    EXPECT_TRUE(log.Contains(L"'img:notapicture' could not be decoded"));
}

TEST(resources, string_table_references)
{
    auto& res = SResProviderMgr::getSingleton();
    EXPECT_EQ(res.GetString(L"@string/ver"), L"1.1");
    EXPECT_EQ(res.GetString(L"@string/title"), L"Lumora开票助手");
    EXPECT_EQ(res.GetString(L"plain text"), L"plain text");
    LogCapture log;
    EXPECT_EQ(res.GetString(L"@string/nosuch"), L"@string/nosuch");
    EXPECT_TRUE(log.Contains(L"@string/nosuch"));
}

TEST(named_ids, lookup_by_name_and_number)
{
    auto& res = SResProviderMgr::getSingleton();
    EXPECT_EQ(res.Name2ID(L"edit_search"), 65541);
    EXPECT_EQ(res.Name2ID(L"btnSwitch"), 65569);
    EXPECT_EQ(res.Name2ID(L"btn_done"), 0);
    EXPECT_EQ(res.ID2Name(65539), L"btn_close");
}

namespace {
class SProbeWnd : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SProbeWnd, L"probe")
};
class SProbeButton : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SProbeButton, L"button")
};
}  // namespace

TEST(factories, registered_class_is_made_for_its_element_and_never_replaces)
{
    auto& factories = SObjectFactoryMgr::getSingleton();
    EXPECT_TRUE(factories.RegisterFactory(TplSObjectFactory<SProbeWnd>(), false));
    EXPECT_FALSE(factories.RegisterFactory(TplSObjectFactory<SProbeWnd>(), false));
    // "button" is taken by the engine's own button: the probe must not replace it.
    EXPECT_FALSE(factories.RegisterFactory(TplSObjectFactory<SProbeButton>(), false));

    SHostWnd host;
    host.SetLayoutXml(R"(<SOUI width="100" height="50"><root>
        <probe name="p1"/><button name="b1"/><window><PROBE name="p2"/></window></root></SOUI>)");
    ASSERT_NE(host.Create(nullptr), nullptr);
    EXPECT_NE(host.FindChildByName2<SProbeWnd>(L"p1"), nullptr);
    EXPECT_NE(host.FindChildByName2<SProbeWnd>(L"p2"), nullptr);
    EXPECT_NE(host.FindChildByName2<SButton>(L"b1"), nullptr);
    factories.UnregisterFactory(L"probe", Window);
}

TEST(plugin_loader, loads_each_library_once_and_refuses_missing_ones)
{
    CPluginLoader loader(L"nosuch-decoder");
    SAutoRefPtr<IRenderFactory> a, b;
    ASSERT_TRUE(loader.CreateRenderFactory(a.Out()));
    ASSERT_TRUE(loader.CreateRenderFactory(b.Out()));
    EXPECT_NE(a.get(), b.get());
    SAutoRefPtr<IImgDecoderFactory> d;
    EXPECT_FALSE(loader.CreateImgDecoderFactory(d.Out()));
    EXPECT_EQ(d.get(), nullptr);
    a = nullptr;
    b = nullptr;
}

// A round trip through local time: the fields come back as they were put in.
TEST(ctime, format_is_local_time)
{
    struct tm t = {};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    CTime when(mktime(&t));
    EXPECT_EQ(when.Format("%H:%M:%S"), L"07:08:09");
    EXPECT_EQ(when.Format(L"%Y-%m-%d"), L"2024-03-05");
    EXPECT_EQ(when.Format(""), L"");
}
