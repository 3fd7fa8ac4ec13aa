#pragma once
// Stands in for the engine's resource manager in the native build of the attribute
// parsers: no value tables, so "@color/NAME" finds nothing.
#include <string>

#include "engine/core/SAttrParse.h"

namespace SOUI {

inline constexpr COLORREF RGBA(BYTE r, BYTE g, BYTE b, BYTE a)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16) | (COLORREF(a) << 24);
}

class SResProviderMgr {
public:
    static SResProviderMgr* getSingletonPtr() { return nullptr; }
    bool GetColorByName(const std::wstring&, COLORREF&) const { return false; }
};

}  // namespace SOUI
