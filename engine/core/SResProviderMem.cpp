#include "engine/core/SResProviderMem.h"
#include "engine/core/SResProviderPE.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
std::wstring Key(const std::wstring& type, const std::wstring& name)
{
    return ToLower(type) + L":" + ToLower(name);
}
}  // namespace

void SResProviderMem::AddResource(const std::wstring& type, const std::wstring& name, std::string data)
{
    m_items[Key(type, name)] = std::move(data);
}

BOOL SResProviderMem::HasResource(const wchar_t* type, const wchar_t* name)
{
    return m_items.count(Key(type, name)) > 0;
}

BOOL SResProviderMem::GetRawBuffer(const wchar_t* type, const wchar_t* name, std::string& out)
{
    auto it = m_items.find(Key(type, name));
    if (it == m_items.end())
        return FALSE;
    out = it->second;
    return TRUE;
}

BOOL CreateResProvider(int type, IResProvider** out)
{
    if (!out)
        return FALSE;
    if (type == RES_PE)
        *out = new SResProviderPE;
    else if (type == RES_MEM)
        *out = new SResProviderMem;
    else
        return FALSE;
    return TRUE;
}

}  // namespace SOUI
