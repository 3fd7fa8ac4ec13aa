#pragma once
#include <windows.h>
#include <string>
#include <pugixml.hpp>

namespace SOUI {

enum SObjectType { Undef = 0, Window = 1, Skin = 2 };

// Declares the layout element name of a class. The class must declare `using Base = ...;`
// before it, so that class tests walk the bases.
#define SOUI_CLASS_NAME(cls, name)                         \
public:                                                    \
    static const wchar_t* GetClassName()                   \
    {                                                      \
        return name;                                       \
    }                                                      \
    const wchar_t* GetObjectClass() const override         \
    {                                                      \
        return name;                                       \
    }                                                      \
    BOOL IsClass(const wchar_t* cn) const override         \
    {                                                      \
        return wcscmp(cn, name) == 0 || Base::IsClass(cn); \
    }

// Base of widgets and skins: a name, a number, and attributes applied from a layout element.
class SObject {
public:
    virtual ~SObject() = default;
    static const wchar_t* GetClassName() { return L"object"; }
    static int GetClassType() { return Undef; }
    virtual const wchar_t* GetObjectClass() const { return L"object"; }
    virtual BOOL IsClass(const wchar_t* cn) const { return wcscmp(cn, L"object") == 0; }
    virtual int GetObjectType() const { return Undef; }

    virtual int GetID() const { return m_id; }
    virtual void SetID(int id) { m_id = id; }
    virtual std::wstring GetName() const { return m_name; }
    virtual void SetName(const std::wstring& name) { m_name = name; }

    // S_OK: applied (relayout/repaint follows), S_FALSE: applied, nothing to redo,
    // E_FAIL: bad value (a diagnostic line was written), E_NOTIMPL: unknown name (line written).
    virtual HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading);
    // Applies the style class (attribute "class"), then the element's own attributes, name first.
    virtual BOOL InitFromXml(pugi::xml_node node);
    virtual void OnInitFinished(pugi::xml_node) {}

    // "button 'btn_login'" for diagnostic lines.
    std::wstring Describe() const;
    void LogBadValue(const std::wstring& attr, const std::wstring& value) const;

protected:
    std::wstring m_name;
    int m_id = 0;
};

// One row of a class's attribute table. The function returns an HRESULT as SetAttribute does.
template <class T> struct SAttrEntry {
    const wchar_t* name;
    HRESULT (*apply)(T& obj, const std::wstring& value);
};

// Looks name up in table; E_NOTIMPL when the class does not know it (the base is asked next).
template <class T, size_t N>
HRESULT ApplyAttr(const SAttrEntry<T> (&table)[N], T& obj, const std::wstring& name, const std::wstring& value)
{
    for (const auto& e : table)
        if (_wcsicmp(e.name, name.c_str()) == 0) {
            HRESULT hr = e.apply(obj, value);
            if (hr == E_FAIL)
                obj.LogBadValue(name, value);
            return hr;
        }
    return E_NOTIMPL;
}

}  // namespace SOUI
