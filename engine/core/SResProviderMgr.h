#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include <pugixml.hpp>
#include "engine/core/IRender.h"
#include "engine/core/IResProvider.h"
#include "engine/core/SAttrParse.h"
#include "engine/core/SFontPool.h"

namespace SOUI {

struct SNamedID {
    const wchar_t* name;
    int id;
};

// What layouts and painting draw from: resources ("TYPE:NAME"), the value tables (string,
// color), style classes, the named ids, the default font, and the images and fonts made through
// the render factory. The last one made is the one widgets read.
class SResProviderMgr {
public:
    explicit SResProviderMgr(IRenderFactory* render = nullptr);
    ~SResProviderMgr();
    SResProviderMgr(const SResProviderMgr&) = delete;
    SResProviderMgr& operator=(const SResProviderMgr&) = delete;
    // nullptr only before start-up and after the end.
    static SResProviderMgr* getSingletonPtr();
    static SResProviderMgr& getSingleton() { return *getSingletonPtr(); }

    // nullptr when made without one (nothing is drawn then).
    IRenderFactory* GetRenderFactory() const { return m_render; }
    SFontPool& GetFontPool() { return m_fonts; }
    // A small target for measuring text outside painting; nullptr without a render factory. Made
    // when first asked, so after start-up has declared how the process follows the display scale.
    IRenderTarget* GetMeasureTarget();

    // Where a definition's skin table goes: the skin pool sits above the resources, so whoever
    // makes both connects them (SEngine). Without a reader the table is skipped with a line.
    void SetSkinTableReader(std::function<void(pugi::xml_node)> reader) { m_readSkins = std::move(reader); }

    // The table need not be sorted when sorted is FALSE; it is copied either way.
    void InitXmlNamedID(const SNamedID* table, int count, BOOL sorted);
    // 0 when the name is not in the table.
    int Name2ID(const std::wstring& name) const;
    // Empty when the number is not in the table.
    std::wstring ID2Name(int id) const;

    // Puts p before the providers added earlier; with uidef (e.g. "uidef:xml_init") applies that
    // definition: default font, value tables, skins and style classes.
    BOOL AddResProvider(IResProvider* p, const wchar_t* uidef = L"uidef:xml_init");
    void RemoveResProvider(IResProvider* p);

    // "TYPE:NAME"; a reference without a colon is taken as a name of defaultType.
    static void SplitResId(const std::wstring& id, std::wstring& type, std::wstring& name,
                           const wchar_t* defaultType = L"LAYOUT");
    BOOL HasResource(const std::wstring& type, const std::wstring& name);
    BOOL GetRawBuffer(const std::wstring& type, const std::wstring& name, std::string& out);
    // False (with a diagnostic line) when the resource is missing or is not well-formed XML.
    BOOL LoadXml(pugi::xml_document& doc, const std::wstring& resId);
    BOOL LoadUIDef(const std::wstring& resId);

    // "@string/NAME" gives the table's value (the reference itself when missing); other text as is.
    std::wstring GetString(const std::wstring& v);
    bool GetColorByName(const std::wstring& name, COLORREF& out) const;
    // A colour in any accepted form; CR_INVALID when it does not parse.
    COLORREF GetColor(const std::wstring& v);
    // "img:NAME" decoded through the render factory and cached; nullptr when missing or undecodable.
    IBitmap* LoadImage2(const std::wstring& resId);
    // nullptr when missing; the caller destroys the icon.
    HICON LoadIconW(const std::wstring& name, int size);
    pugi::xml_node GetStyle(const std::wstring& name) const;
    const SFontSpec& GetDefaultFontSpec() const { return m_defFont; }

private:
    void LoadTable(pugi::xml_node node, const char* kind);
    std::vector<SAutoRefPtr<IResProvider>> m_providers;
    std::map<std::wstring, std::wstring> m_strings;
    std::map<std::wstring, COLORREF> m_colors;
    std::map<std::wstring, SAutoRefPtr<IBitmap>> m_images;
    pugi::xml_document m_styles;
    SFontSpec m_defFont;
    SAutoRefPtr<IRenderFactory> m_render;
    SFontPool m_fonts;
    SAutoRefPtr<IRenderTarget> m_measure;
    std::function<void(pugi::xml_node)> m_readSkins;
    std::vector<std::pair<std::wstring, int>> m_namedIds;  // sorted by name, code unit order
};

}  // namespace SOUI
