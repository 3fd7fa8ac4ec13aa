#pragma once
#include "engine/skins/ISkinObj.h"
#include "engine/core/SObject.h"

namespace SOUI {

class SSkinObjBase : public TObjRefImpl<ISkinObj>, public SObject {
public:
    using Base = SObject;
    static const wchar_t* GetClassName() { return L"skinobj"; }
    static int GetClassType() { return Skin; }
    const wchar_t* GetObjectClass() const override { return L"skinobj"; }
    BOOL IsClass(const wchar_t* cn) const override { return wcscmp(cn, L"skinobj") == 0 || Base::IsClass(cn); }
    int GetObjectType() const override { return Skin; }

    BYTE GetAlpha() const override { return m_alpha; }
    void SetAlpha(BYTE alpha) override { m_alpha = alpha; }
    int GetScale() const { return m_scale; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;

protected:
    BYTE m_alpha = 255;
    int m_scale = 100;
};

}  // namespace SOUI
