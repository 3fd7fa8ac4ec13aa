#pragma once
#include <map>
#include <string>
#include <vector>
#include <pugixml.hpp>
#include "engine/core/IRender.h"
#include "engine/core/IResProvider.h"
#include "engine/core/SAttrParse.h"

namespace SOUI {

// Resources ("TYPE:NAME"), the value tables (string, color), style classes and the default font.
class SResProviderMgr {
public:
    SResProviderMgr();
    virtual ~SResProviderMgr();
    static SResProviderMgr* getSingletonPtr();

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

protected:
    void SetRenderFactoryForImages(IRenderFactory* f) { m_renderForImages = f; }

private:
    void LoadTable(pugi::xml_node node, const char* kind);
    std::vector<SAutoRefPtr<IResProvider>> m_providers;
    std::map<std::wstring, std::wstring> m_strings;
    std::map<std::wstring, COLORREF> m_colors;
    std::map<std::wstring, SAutoRefPtr<IBitmap>> m_images;
    pugi::xml_document m_styles;
    SFontSpec m_defFont;
    IRenderFactory* m_renderForImages = nullptr;
};

} // namespace SOUI
