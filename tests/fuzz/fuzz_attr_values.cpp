// Attribute values of layouts: colours, numbers, lists, margins, fonts, positions.
// A refused value leaves the output as it was.
#include "engine/core/SAttrParse.h"
#include "engine/core/SStringUtil.h"
#include "fuzzing.h"

using namespace SOUI;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const std::wstring& value : {Utf8ToWide(Bytes(data, size)), Utf16Units(data, size)}) {
        COLORREF colour = 0x12345678;
        if (!ParseColor(value, colour))
            FUZZ_CHECK(colour == 0x12345678);
        int number = -7;
        if (!ParseInt(value, number))
            FUZZ_CHECK(number == -7);
        bool flag = true;
        if (!ParseBool(value, flag))
            FUZZ_CHECK(flag);
        std::vector<int> list{9};
        if (!ParseIntList(value, list))
            FUZZ_CHECK(list.size() == 1 && list[0] == 9);
        RECT margin{1, 2, 3, 4};
        if (!ParseMargin(value, margin))
            FUZZ_CHECK(margin.left == 1 && margin.top == 2 && margin.right == 3 && margin.bottom == 4);
        SFontSpec font;
        font.face = L"kept";
        if (!ParseFontSpec(value, font))
            FUZZ_CHECK(font.face == L"kept");
        else
            font.Key();
        std::vector<SPosItem> pos;
        if (ParsePos(value, pos))
            FUZZ_CHECK(pos.size() == 2 || pos.size() == 4);
        else
            FUZZ_CHECK(pos.empty());
    }
    return 0;
}
