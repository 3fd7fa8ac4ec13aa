// The resource set as the engine will meet it: every name the code and the layouts
// refer to is present, pictures have the sizes their skins assume, and every
// reference inside the XML resources points at something that exists.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "app/namedid.h"

namespace {

// The resource's bytes in this executable (the resource object is linked in), or "".
std::string Resource(const wchar_t* type, const wchar_t* name)
{
    HRSRC found = FindResourceW(nullptr, name, type);
    if (!found)
        return std::string();
    HGLOBAL loaded = LoadResource(nullptr, found);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(nullptr, found)) : std::string();
}

std::wstring Widen(const std::string& s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

struct PngHeader {
    bool ok = false;
    unsigned width = 0, height = 0;
    int colourType = -1;  // 2 = RGB, 6 = RGBA
};

PngHeader ReadPngHeader(const std::string& png)
{
    PngHeader h;
    if (png.size() < 26 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.compare(12, 4, "IHDR") != 0)
        return h;
    auto be32 = [&](size_t at) {
        return (unsigned(static_cast<unsigned char>(png[at])) << 24) |
               (unsigned(static_cast<unsigned char>(png[at + 1])) << 16) |
               (unsigned(static_cast<unsigned char>(png[at + 2])) << 8) |
               unsigned(static_cast<unsigned char>(png[at + 3]));
    };
    h.ok = true;
    h.width = be32(16);
    h.height = be32(20);
    h.colourType = static_cast<unsigned char>(png[25]);
    return h;
}

// "TYPE:NAME" split into a resource lookup.
std::string ByReference(const std::string& ref)
{
    size_t colon = ref.find(':');
    if (colon == std::string::npos)
        return std::string();
    return Resource(Widen(ref.substr(0, colon)).c_str(), Widen(ref.substr(colon + 1)).c_str());
}

bool LoadXml(pugi::xml_document& doc, const wchar_t* type, const wchar_t* name)
{
    std::string bytes = Resource(type, name);
    return !bytes.empty() && doc.load_buffer(bytes.data(), bytes.size());
}

const wchar_t* const kLayouts[] = {L"XML_MAINWND",  L"LOGIN_FRAME",    L"BIZCARD_FRAME", L"INPUT_FRAME",
                                   L"page_history", L"page_bizcenter", L"page_help",     L"XML_MSGBOX"};

// Every element of every layout, with the layout's name.
template <class F> void ForEachLayoutNode(F&& visit)
{
    for (const wchar_t* layout : kLayouts) {
        pugi::xml_document doc;
        ASSERT_TRUE(LoadXml(doc, L"LAYOUT", layout)) << "layout does not parse";
        for (pugi::xpath_node n : doc.select_nodes("//*"))
            visit(layout, n.node());
    }
}

std::set<std::string> NamesBelow(const wchar_t* type, const wchar_t* name, const char* attr)
{
    pugi::xml_document doc;
    std::set<std::string> names;
    if (!LoadXml(doc, type, name))
        return names;
    for (pugi::xml_node n : doc.document_element().children())
        names.insert(attr ? n.attribute(attr).value() : n.name());
    return names;
}

}  // namespace

TEST(resources_set, every_named_resource_is_present)
{
    const std::pair<const wchar_t*, const wchar_t*> set[] = {
        {L"LAYOUT", L"XML_MAINWND"},
        {L"LAYOUT", L"LOGIN_FRAME"},
        {L"LAYOUT", L"BIZCARD_FRAME"},
        // the input window asks with a different case; the lookup ignores case
        {L"LAYOUT", L"Input_FRAME"},
        {L"LAYOUT", L"page_history"},
        {L"LAYOUT", L"page_bizcenter"},
        {L"LAYOUT", L"page_help"},
        {L"LAYOUT", L"XML_MSGBOX"},
        {L"SMENU", L"menu_tray"},
        {L"UIDEF", L"XML_INIT"},
        {L"values", L"string"},
        {L"values", L"color"},
        {L"values", L"skin"},
        {L"IMG", L"traymenu_icons"},
        {L"IMG", L"btn_import"},
        {L"IMG", L"btn_import_small"},
        {L"IMG", L"btn_tab_bizcard"},
        {L"IMG", L"btn_tab_bizcenter"},
        {L"IMG", L"btn_tab_help"},
        {L"IMG", L"tab_splitter"},
        {L"IMG", L"png_vscroll"},
        {L"IMG", L"btn_login"},
        {L"IMG", L"BTN_FETCHVCODE"},
        {L"IMG", L"btn_download"},
        {L"IMG", L"img_bizcardframe"},
        {L"IMG", L"ID_SHADOW"},
        {L"IMG", L"img_logo24"}};
    for (const auto& [type, name] : set)
        EXPECT_FALSE(Resource(type, name).empty())
            << "missing " << std::string(type, type + wcslen(type)) << ":" << std::string(name, name + wcslen(name));
}

// The square image sizes an icon group resource lists (0 in its directory means 256).
std::vector<int> IconGroupSizes(const wchar_t* name)
{
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
    };
#pragma pack(pop)
    std::vector<int> sizes;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    const auto* header = found ? static_cast<const GroupHeader*>(LockResource(LoadResource(module, found))) : nullptr;
    if (!header || SizeofResource(module, found) < sizeof(GroupHeader) + header->count * sizeof(GroupEntry))
        return sizes;
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 1);
    for (WORD i = 0; i < header->count; ++i)
        if (entries[i].width == entries[i].height)
            sizes.push_back(entries[i].width ? entries[i].width : 256);
    return sizes;
}

TEST(resources_set, program_icon_has_every_size)
{
    for (const wchar_t* name : {L"ICON_LOGO", L"ICON_LOGO16", L"ICON_LOGO24", L"ICON_LOGO32", L"ICON_LOGO48"}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        EXPECT_NE(icon, nullptr);
        if (icon)
            DestroyIcon(icon);
    }
    // LoadImageW stretches the nearest image to any size asked, so the sizes are read
    // from the icon group's own directory: the tray asks for the 16-pixel image.
    struct Case {
        const wchar_t* name;
        std::vector<int> sizes;
    } cases[] = {
        {L"ICON_LOGO", {16, 24, 32, 48, 256}},
        {L"ICON_LOGO16", {16}},
        {L"ICON_LOGO24", {24}},
        {L"ICON_LOGO32", {32}},
        {L"ICON_LOGO48", {48}},
    };
    for (const Case& c : cases) {
        const std::vector<int> have = IconGroupSizes(c.name);
        for (int size : c.sizes)
            EXPECT_NE(std::find(have.begin(), have.end(), size), have.end())
                << std::string(c.name, c.name + wcslen(c.name)) << " lacks an image of " << size << " pixels";
    }
}

TEST(resources_images, sizes_other_parts_rely_on)
{
    struct Case {
        const wchar_t* name;
        unsigned width, height;
        int colourType;
        const char* why;
    } cases[] = {
        // the colour-mask skin reads the ".a" byte of a picture without alpha: every value 255
        {L"BTN_FETCHVCODE", 118, 52, 2, "mask without alpha channel"},
        {L"img_bizcardframe", 683, 1024, 6, "card background with alpha; the QR code goes to 160..519 x 325..684"},
        {L"img_logo24", 24, 24, 6, "caption logo"},
    };
    for (const Case& c : cases) {
        PngHeader h = ReadPngHeader(Resource(L"IMG", c.name));
        ASSERT_TRUE(h.ok) << c.why;
        EXPECT_EQ(h.width, c.width) << c.why;
        EXPECT_EQ(h.height, c.height) << c.why;
        EXPECT_EQ(h.colourType, c.colourType) << c.why;
    }
}

TEST(resources_skins, pictures_divide_into_their_states)
{
    pugi::xml_document skins;
    ASSERT_TRUE(LoadXml(skins, L"values", L"skin"));
    int checked = 0;
    for (pugi::xml_node skin : skins.document_element().children()) {
        std::string src = skin.attribute("src").value();
        if (src.empty())
            continue;
        PngHeader h = ReadPngHeader(ByReference(src));
        ASSERT_TRUE(h.ok) << skin.attribute("name").value() << " names a missing picture " << src;
        unsigned states = skin.attribute("states").as_uint(1);
        EXPECT_EQ(h.width % states, 0u) << skin.attribute("name").value();
        if (std::string(skin.name()) == "scrollbar") {
            EXPECT_EQ(h.height % 5, 0u) << "scroll-bar sheet: arrows, track, thumb and gripper down";
        }
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

// Every picture a skin shows is also carried drawn for 150 % and 200 % ("NAME_150",
// "NAME_200"): each state 1.5 and 2 times as large (halves rounded up), so the state
// strips divide the same way at every scale. The mask is flat and has none.
TEST(resources_skins, pictures_come_at_150_and_200_percent)
{
    pugi::xml_document skins;
    ASSERT_TRUE(LoadXml(skins, L"values", L"skin"));
    int checked = 0;
    for (pugi::xml_node skin : skins.document_element().children()) {
        std::string src = skin.attribute("src").value();
        if (src.empty())
            continue;
        PngHeader base = ReadPngHeader(ByReference(src));
        ASSERT_TRUE(base.ok) << src;
        unsigned states = skin.attribute("states").as_uint(1);
        bool vertical = skin.attribute("vertical").as_bool();
        unsigned cols = std::string(skin.name()) == "scrollbar" ? 4 : (vertical ? 1 : states);
        unsigned rows = std::string(skin.name()) == "scrollbar" ? 5 : (vertical ? states : 1);
        for (unsigned scale : {150u, 200u}) {
            PngHeader h = ReadPngHeader(ByReference(src + "_" + std::to_string(scale)));
            ASSERT_TRUE(h.ok) << src << " has no version for " << scale << " %";
            EXPECT_EQ(h.width, cols * ((base.width / cols * scale + 50) / 100)) << src << " at " << scale;
            EXPECT_EQ(h.height, rows * ((base.height / rows * scale + 50) / 100)) << src << " at " << scale;
            EXPECT_EQ(h.colourType, base.colourType) << src << " at " << scale;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
    // The card background is a file of fixed size, never swapped for a larger drawing.
    EXPECT_TRUE(Resource(L"IMG", L"img_bizcardframe_150").empty());
    EXPECT_TRUE(Resource(L"IMG", L"img_bizcardframe_200").empty());
}

TEST(resources_skins, colour_mask_builds_from_everything_before_it)
{
    pugi::xml_document skins;
    ASSERT_TRUE(LoadXml(skins, L"values", L"skin"));
    pugi::xml_node mask = skins.document_element().find_child_by_attribute("colormask", "name", "skin.btn_fetchvcode");
    ASSERT_TRUE(mask);
    // the state image is built when "mask" is read, so it must be the last attribute
    EXPECT_STREQ(mask.last_attribute().name(), "mask");
    EXPECT_STREQ(mask.attribute("mask").value(), "img:BTN_FETCHVCODE.a");
    EXPECT_EQ(mask.attribute("width").as_int(), 116);
    EXPECT_EQ(mask.attribute("height").as_int(), 50);
}

TEST(resources_layouts, windows_have_their_sizes_and_loop_flags)
{
    struct Case {
        const wchar_t* layout;
        int width, height;
        const char* flag;
        const char* value;
    } cases[] = {
        {L"XML_MAINWND", 462, 730, "wndType", "appMain"},
        {L"LOGIN_FRAME", 500, 338, "appWnd", "1"},
        {L"BIZCARD_FRAME", 750, 320, nullptr, nullptr},
        {L"INPUT_FRAME", 550, 320, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        pugi::xml_document doc;
        ASSERT_TRUE(LoadXml(doc, L"LAYOUT", c.layout));
        pugi::xml_node host = doc.child("SOUI");
        ASSERT_TRUE(host);
        EXPECT_EQ(host.attribute("width").as_int(), c.width);
        EXPECT_EQ(host.attribute("height").as_int(), c.height);
        if (c.flag) {
            EXPECT_STREQ(host.attribute(c.flag).value(), c.value);
        }
    }
}

TEST(resources_layouts, references_resolve)
{
    std::set<std::string> skins = NamesBelow(L"values", L"skin", "name");
    std::set<std::string> strings = NamesBelow(L"values", L"string", nullptr);
    std::set<std::string> colours = NamesBelow(L"values", L"color", nullptr);
    pugi::xml_document uidef;
    ASSERT_TRUE(LoadXml(uidef, L"UIDEF", L"XML_INIT"));
    std::set<std::string> classes;
    for (pugi::xml_node c : uidef.document_element().child("style").children("class"))
        classes.insert(c.attribute("name").value());

    ForEachLayoutNode([&](const wchar_t*, pugi::xml_node n) {
        for (pugi::xml_attribute a : n.attributes()) {
            std::string name = a.name(), value = a.value();
            if (name == "skin" || name == "sbSkin") {
                EXPECT_EQ(skins.count(value), 1u) << "unknown skin " << value;
            }
            if (name == "class") {
                EXPECT_EQ(classes.count(value), 1u) << "unknown style class " << value;
            }
            if (value.rfind("@color/", 0) == 0) {
                EXPECT_EQ(colours.count(value.substr(7)), 1u) << value;
            }
            if (value.rfind("@string/", 0) == 0) {
                EXPECT_EQ(strings.count(value.substr(8)), 1u) << value;
            }
            if (std::string(n.name()) == "include" && name == "src") {
                EXPECT_FALSE(ByReference(value).empty()) << "include of a missing layout " << value;
            }
        }
        std::string text = n.text().get();
        if (text.rfind("@string/", 0) == 0) {
            EXPECT_EQ(strings.count(text.substr(8)), 1u) << text;
        }
    });
}

TEST(resources_named_ids, table_is_sorted_and_matches_the_layouts)
{
    ASSERT_EQ(kNamedWidgetIdCount, 38u);
    std::set<int> ids;
    for (size_t i = 0; i < kNamedWidgetIdCount; ++i) {
        // the engine looks names up by binary search over code units
        if (i > 0) {
            EXPECT_LT(std::wcscmp(kNamedWidgetIds[i - 1].name, kNamedWidgetIds[i].name), 0) << i;
        }
        ids.insert(kNamedWidgetIds[i].id);
        EXPECT_EQ(FindNamedWidgetId(kNamedWidgetIds[i].name), kNamedWidgetIds[i].id);
    }
    EXPECT_EQ(ids.size(), 38u);
    EXPECT_EQ(*ids.begin(), 65535);
    EXPECT_EQ(*ids.rbegin(), 65572);
    EXPECT_EQ(FindNamedWidgetId(L"btn_done"), 0) << "matched by name only";
    EXPECT_EQ(FindNamedWidgetId(L"BTN_CLOSE"), 0) << "names compare with case";

    std::set<std::wstring> used;
    ForEachLayoutNode([&](const wchar_t*, pugi::xml_node n) {
        if (!n.attribute("name") || std::string(n.name()) == "SOUI")
            return;
        std::wstring name = Widen(n.attribute("name").value());
        used.insert(name);
        if (name != L"btn_done") {
            EXPECT_NE(FindNamedWidgetId(name.c_str()), 0) << "widget name without id: " << n.attribute("name").value();
        }
    });
    for (size_t i = 1; i < kNamedWidgetIdCount; ++i)
        EXPECT_EQ(used.count(kNamedWidgetIds[i].name), 1u) << "no layout uses id " << kNamedWidgetIds[i].id;
}

TEST(resources_values, tables_hold_the_product_values)
{
    pugi::xml_document strings;
    ASSERT_TRUE(LoadXml(strings, L"values", L"string"));
    pugi::xml_node table = strings.document_element();
    EXPECT_STREQ(table.child("title").attribute("value").value(), u8"Lumora开票助手");
    EXPECT_STREQ(table.child("ver").attribute("value").value(), "1.1");

    pugi::xml_document uidef;
    ASSERT_TRUE(LoadXml(uidef, L"UIDEF", L"XML_INIT"));
    pugi::xml_node font = uidef.document_element().child("font");
    EXPECT_STREQ(font.attribute("face").value(), u8"微软雅黑");
    EXPECT_EQ(font.attribute("size").as_int(), 16);
    for (const char* src : {"values:string", "values:color", "values:skin"})
        EXPECT_TRUE(uidef.document_element().find_child_by_attribute("src", src)) << src;

    pugi::xml_document menu;
    ASSERT_TRUE(LoadXml(menu, L"SMENU", L"menu_tray"));
    std::vector<pugi::xml_node> items;
    for (pugi::xml_node item : menu.document_element().children("item"))
        items.push_back(item);
    // The main window matches commands by these ids; "退出" stays last (Up, Enter reaches it).
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(std::distance(items[0].children("item").begin(), items[0].children("item").end()), 4);
    EXPECT_EQ(items[0].child("item").attribute("id").as_int(), 21);
    EXPECT_EQ(items[1].attribute("id").as_int(), 30);
    EXPECT_STREQ(items[1].text().get(), u8"开机启动");
    EXPECT_EQ(items[2].attribute("id").as_int(), 6);
    EXPECT_STREQ(items[2].text().get(), u8"退出");
}
