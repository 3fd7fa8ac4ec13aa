#pragma once
#include <map>
#include <string>
#include "engine/core/IRender.h"
#include "engine/core/SAttrParse.h"

namespace SOUI {

// One font object per face, size and style.
class SFontPool {
public:
    explicit SFontPool(IRenderFactory* rf) : m_render(rf) {}
    // nullptr only when the render factory fails.
    IFont* GetFont(const SFontSpec& spec);

private:
    IRenderFactory* m_render;
    std::map<std::wstring, SAutoRefPtr<IFont>> m_fonts;
};

}  // namespace SOUI
