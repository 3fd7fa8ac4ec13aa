#include "engine/core/SResProviderPE.h"

namespace SOUI {

BOOL SResProviderPE::Init(WPARAM wp, LPARAM)
{
    m_hInst = reinterpret_cast<HINSTANCE>(wp);
    if (!m_hInst)
        m_hInst = GetModuleHandleW(nullptr);
    return TRUE;
}

// FindResourceW upper-cases string names and types itself, so the match ignores case.
BOOL SResProviderPE::HasResource(const wchar_t* type, const wchar_t* name)
{
    return FindResourceW(m_hInst, name, type) != nullptr;
}

BOOL SResProviderPE::GetRawBuffer(const wchar_t* type, const wchar_t* name, std::string& out)
{
    HRSRC res = FindResourceW(m_hInst, name, type);
    if (!res)
        return FALSE;
    DWORD size = SizeofResource(m_hInst, res);
    HGLOBAL h = LoadResource(m_hInst, res);
    const void* p = h ? LockResource(h) : nullptr;
    if (!p)
        return FALSE;
    out.assign(static_cast<const char*>(p), size);
    return TRUE;
}

HICON SResProviderPE::LoadIconW(const wchar_t* name, int size)
{
    return static_cast<HICON>(LoadImageW(m_hInst, name, IMAGE_ICON, size, size, 0));
}

}  // namespace SOUI
