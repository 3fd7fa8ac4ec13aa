#include "engine/core/SResProviderMgr.h"
#include <algorithm>
#include "engine/core/SDebug.h"
#include "engine/core/SStringUtil.h"

namespace SOUI {

namespace {
SResProviderMgr* g_resMgr = nullptr;
}

SResProviderMgr::SResProviderMgr(IRenderFactory* render) : m_render(render), m_fonts(render)
{
    g_resMgr = this;
    m_defFont.face = L"微软雅黑";
    m_defFont.size = 16;
    m_defFont.bold = m_defFont.italic = m_defFont.underline = 0;
    m_styles.append_child("style");
}

SResProviderMgr::~SResProviderMgr()
{
    m_images.clear();
    m_measure = nullptr;
    if (g_resMgr == this)
        g_resMgr = nullptr;
}

SResProviderMgr* SResProviderMgr::getSingletonPtr()
{
    return g_resMgr;
}

IRenderTarget* SResProviderMgr::GetMeasureTarget()
{
    if (!m_measure && m_render)
        m_render->CreateRenderTarget(m_measure.Out(), 1, 1);
    return m_measure;
}

void SResProviderMgr::InitXmlNamedID(const SNamedID* table, int count, BOOL sorted)
{
    m_namedIds.clear();
    for (int i = 0; table && i < count; ++i)
        if (table[i].name)
            m_namedIds.emplace_back(table[i].name, table[i].id);
    if (!sorted || !std::is_sorted(m_namedIds.begin(), m_namedIds.end()))
        std::sort(m_namedIds.begin(), m_namedIds.end());
}

int SResProviderMgr::Name2ID(const std::wstring& name) const
{
    auto it =
        std::lower_bound(m_namedIds.begin(), m_namedIds.end(), name,
                         [](const std::pair<std::wstring, int>& e, const std::wstring& n) { return e.first < n; });
    return it != m_namedIds.end() && it->first == name ? it->second : 0;
}

std::wstring SResProviderMgr::ID2Name(int id) const
{
    for (const auto& e : m_namedIds)
        if (e.second == id)
            return e.first;
    return {};
}

BOOL SResProviderMgr::AddResProvider(IResProvider* p, const wchar_t* uidef)
{
    if (!p)
        return FALSE;
    m_providers.insert(m_providers.begin(), SAutoRefPtr<IResProvider>(p));
    if (uidef && *uidef)
        return LoadUIDef(uidef);
    return TRUE;
}

void SResProviderMgr::RemoveResProvider(IResProvider* p)
{
    for (auto it = m_providers.begin(); it != m_providers.end(); ++it)
        if (it->get() == p) {
            m_providers.erase(it);
            return;
        }
}

void SResProviderMgr::SplitResId(const std::wstring& id, std::wstring& type, std::wstring& name,
                                 const wchar_t* defaultType)
{
    size_t colon = id.find(L':');
    if (colon == std::wstring::npos) {
        type = defaultType;
        name = id;
    } else {
        type = id.substr(0, colon);
        name = id.substr(colon + 1);
    }
}

BOOL SResProviderMgr::HasResource(const std::wstring& type, const std::wstring& name)
{
    for (auto& p : m_providers)
        if (p->HasResource(type.c_str(), name.c_str()))
            return TRUE;
    return FALSE;
}

BOOL SResProviderMgr::GetRawBuffer(const std::wstring& type, const std::wstring& name, std::string& out)
{
    for (auto& p : m_providers)
        if (p->GetRawBuffer(type.c_str(), name.c_str(), out))
            return TRUE;
    return FALSE;
}

BOOL SResProviderMgr::LoadXml(pugi::xml_document& doc, const std::wstring& resId)
{
    std::wstring type, name;
    SplitResId(resId, type, name);
    std::string data;
    if (!GetRawBuffer(type, name, data)) {
        SLog(L"resource '" + resId + L"' not found");
        return FALSE;
    }
    pugi::xml_parse_result r = doc.load_buffer(data.data(), data.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!r) {
        SLog(L"resource '" + resId + L"' is not valid XML: " + Utf8ToWide(r.description()) + L" at offset " +
             std::to_wstring(r.offset));
        return FALSE;
    }
    return TRUE;
}

void SResProviderMgr::LoadTable(pugi::xml_node node, const char* kind)
{
    pugi::xml_document srcDoc;
    if (auto src = node.attribute("src")) {
        if (!LoadXml(srcDoc, Utf8ToWide(src.value())))
            return;
        node = srcDoc.first_child();
    }
    if (strcmp(kind, "string") == 0) {
        for (auto e : node.children())
            if (e.type() == pugi::node_element)
                m_strings[Utf8ToWide(e.name())] = Utf8ToWide(e.attribute("value").value());
    } else if (strcmp(kind, "color") == 0) {
        for (auto e : node.children()) {
            if (e.type() != pugi::node_element)
                continue;
            COLORREF cr;
            std::wstring v = Utf8ToWide(e.attribute("value").value());
            if (ParseColor(v, cr))
                m_colors[Utf8ToWide(e.name())] = cr;
            else
                SLog(L"bad colour '" + v + L"' for '" + Utf8ToWide(e.name()) + L"' in the colour table");
        }
    } else if (strcmp(kind, "skin") == 0) {
        if (m_readSkins)
            m_readSkins(node);
        else
            SLog(L"a skin table with no skin pool to read it");
    } else if (strcmp(kind, "style") == 0) {
        auto root = m_styles.first_child();
        for (auto e : node.children())
            if (e.type() == pugi::node_element)
                root.append_copy(e);
    }
}

BOOL SResProviderMgr::LoadUIDef(const std::wstring& resId)
{
    pugi::xml_document doc;
    if (!LoadXml(doc, resId))
        return FALSE;
    pugi::xml_node root = doc.first_child();
    for (auto e : root.children()) {
        if (e.type() != pugi::node_element)
            continue;
        std::string n = e.name();
        if (n == "font") {
            if (auto a = e.attribute("face"))
                m_defFont.face = Utf8ToWide(a.value());
            if (auto a = e.attribute("size"))
                m_defFont.size = a.as_int(m_defFont.size);
        } else if (n == "string" || n == "color" || n == "skin" || n == "style") {
            LoadTable(e, n.c_str());
        } else {
            SLog(L"unknown element '" + Utf8ToWide(n) + L"' in " + resId);
        }
    }
    return TRUE;
}

std::wstring SResProviderMgr::GetString(const std::wstring& v)
{
    const std::wstring prefix = L"@string/";
    if (v.compare(0, prefix.size(), prefix) != 0)
        return v;
    auto it = m_strings.find(v.substr(prefix.size()));
    if (it == m_strings.end()) {
        SLog(L"string '" + v + L"' not in the string table");
        return v;
    }
    return it->second;
}

bool SResProviderMgr::GetColorByName(const std::wstring& name, COLORREF& out) const
{
    auto it = m_colors.find(name);
    if (it == m_colors.end())
        return false;
    out = it->second;
    return true;
}

COLORREF SResProviderMgr::GetColor(const std::wstring& v)
{
    COLORREF cr;
    return ParseColor(v, cr) ? cr : CR_INVALID;
}

IBitmap* SResProviderMgr::LoadImage2(const std::wstring& resId)
{
    std::wstring key = ToLower(resId);
    auto it = m_images.find(key);
    if (it != m_images.end())
        return it->second;
    std::wstring type, name;
    SplitResId(resId, type, name, L"IMG");
    std::string data;
    if (!GetRawBuffer(type, name, data)) {
        SLog(L"image '" + resId + L"' not found");
        return nullptr;
    }
    SAutoRefPtr<IBitmap> bmp;
    if (!m_render || !m_render->CreateBitmapFromMemory(bmp.Out(), data.data(), UINT(data.size()))) {
        SLog(L"image '" + resId + L"' could not be decoded");
        return nullptr;
    }
    m_images[key] = bmp;
    return bmp;
}

HICON SResProviderMgr::LoadIconW(const std::wstring& name, int size)
{
    for (auto& p : m_providers)
        if (HICON h = p->LoadIconW(name.c_str(), size))
            return h;
    return nullptr;
}

pugi::xml_node SResProviderMgr::GetStyle(const std::wstring& name) const
{
    std::string n = WideToUtf8(name);
    return m_styles.first_child().find_child_by_attribute("class", "name", n.c_str());
}

}  // namespace SOUI
