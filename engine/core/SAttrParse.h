#pragma once
#ifdef _WIN32
#include <windows.h>
#else
// The native build of the parsers (fuzzing) has no windows.h: the types they use.
#include <cstdint>
using BYTE = unsigned char;
using COLORREF = std::uint32_t;
struct RECT {
    long left, top, right, bottom;
};
#endif
#include <string>
#include <vector>

// Parsers for attribute values. Each returns false and leaves the output alone on bad input;
// the caller names the widget in its diagnostic line.
namespace SOUI {

// "#RRGGBB", "#RRGGBBAA", "#RGB", "rgb(r,g,b)", "rgba(r,g,b,a)", "@color/NAME".
bool ParseColor(const std::wstring& v, COLORREF& out);
// Decimal, or hexadecimal with "0x".
bool ParseInt(const std::wstring& v, int& out);
bool ParseBool(const std::wstring& v, bool& out);
bool ParseIntList(const std::wstring& v, std::vector<int>& out);
// "l,t,r,b", or one value for all four sides, or "x,y" for left/right and top/bottom.
bool ParseMargin(const std::wstring& v, RECT& out);

struct SFontSpec {
    std::wstring face;
    int size = 0;
    int bold = -1, italic = -1, underline = -1;  // -1: not given
    // Applies the fields given in o onto this.
    void Merge(const SFontSpec& o);
    std::wstring Key() const;
};
// "face:微软雅黑,size:16,bold:1,italic:1,underline:1"; fields not given stay -1/empty.
bool ParseFontSpec(const std::wstring& v, SFontSpec& out);

// One position value of "pos": N from the near edge, -N from the far edge, @N a size.
struct SPosItem {
    enum Type { Near, Far, Size };
    Type type = Near;
    int value = 0;
};
bool ParsePos(const std::wstring& v, std::vector<SPosItem>& out);

}  // namespace SOUI
