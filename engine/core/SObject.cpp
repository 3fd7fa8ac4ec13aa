#include "engine/core/SObject.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/core/SAttrParse.h"
#include "engine/core/SDebug.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

HRESULT SObject::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL)
{
    if (_wcsicmp(name.c_str(), L"name") == 0) {
        m_name = value;
        return S_FALSE;
    }
    if (_wcsicmp(name.c_str(), L"id") == 0) {
        int id;
        if (!ParseInt(value, id)) {
            LogBadValue(name, value);
            return E_FAIL;
        }
        m_id = id;
        return S_FALSE;
    }
    SLog(L"unknown attribute '" + name + L"' on " + Describe());
    return E_NOTIMPL;
}

BOOL SObject::InitFromXml(pugi::xml_node node)
{
    if (!node)
        return FALSE;
    // Name and number first, so that later diagnostics can name the object.
    if (auto a = node.attribute("name"))
        SetAttribute(L"name", Utf8ToWide(a.value()), TRUE);
    if (auto a = node.attribute("id"))
        SetAttribute(L"id", Utf8ToWide(a.value()), TRUE);
    if (!node.attribute("id") && !m_name.empty()) {
        if (auto* res = SResProviderMgr::getSingletonPtr())
            m_id = res->Name2ID(m_name);
    }
    if (auto a = node.attribute("class")) {
        auto* mgr = SResProviderMgr::getSingletonPtr();
        pugi::xml_node style = mgr ? mgr->GetStyle(Utf8ToWide(a.value())) : pugi::xml_node();
        if (!style)
            SLog(L"unknown style class '" + Utf8ToWide(a.value()) + L"' on " + Describe());
        for (auto sa : style.attributes()) {
            if (strcmp(sa.name(), "name") == 0)
                continue;
            SetAttribute(Utf8ToWide(sa.name()), Utf8ToWide(sa.value()), TRUE);
        }
    }
    for (auto a : node.attributes()) {
        const char* n = a.name();
        if (strcmp(n, "name") == 0 || strcmp(n, "id") == 0 || strcmp(n, "class") == 0)
            continue;
        SetAttribute(Utf8ToWide(n), Utf8ToWide(a.value()), TRUE);
    }
    return TRUE;
}

std::wstring SObject::Describe() const
{
    return std::wstring(GetObjectClass()) + L" '" + m_name + L"'";
}

void SObject::LogBadValue(const std::wstring& attr, const std::wstring& value) const
{
    SLog(L"bad value '" + value + L"' for attribute '" + attr + L"' on " + Describe());
}

}  // namespace SOUI
