// Layout XML as the engine reads it (pugixml, UTF-8, default flags), every attribute
// value handed to the attribute parsers. The engine's own tree building and widget
// attribute tables need windows.h; this is the part of that path that builds natively.
#include <pugixml.hpp>

#include <vector>

#include "engine/core/SAttrParse.h"
#include "engine/core/SStringUtil.h"
#include "fuzzing.h"

using namespace SOUI;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size, pugi::parse_default, pugi::encoding_utf8))
        return 0;
    // Walked without recursion: a deep document must not need a deep stack here.
    std::vector<pugi::xml_node> pending{doc.document_element()};
    while (!pending.empty()) {
        pugi::xml_node node = pending.back();
        pending.pop_back();
        if (!node)
            continue;
        for (pugi::xml_attribute a : node.attributes()) {
            const std::wstring name = Utf8ToWide(a.name());
            const std::wstring value = Utf8ToWide(a.value());
            COLORREF colour;
            int number;
            bool flag;
            std::vector<int> list;
            RECT margin;
            SFontSpec font;
            std::vector<SPosItem> pos;
            ParseColor(value, colour);
            ParseInt(value, number);
            ParseBool(value, flag);
            ParseIntList(value, list);
            ParseMargin(value, margin);
            ParseFontSpec(value, font);
            ParsePos(value, pos);
            FUZZ_CHECK(!name.empty());
        }
        Trim(Utf8ToWide(node.text().get()));
        for (pugi::xml_node child : node.children())
            pending.push_back(child);
    }
    return 0;
}
