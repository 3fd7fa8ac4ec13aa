#include "engine/core/SFontPool.h"

namespace SOUI {

IFont* SFontPool::GetFont(const SFontSpec& spec)
{
    std::wstring key = spec.Key();
    auto it = m_fonts.find(key);
    if (it != m_fonts.end())
        return it->second;
    SAutoRefPtr<IFont> font;
    if (!m_render || !m_render->CreateFont(font.Out(), spec.face.c_str(), spec.size, spec.bold > 0, spec.italic > 0,
                                           spec.underline > 0))
        return nullptr;
    m_fonts[key] = font;
    return font;
}

}  // namespace SOUI
