#include "engine/skins/SSkinObjBase.h"
#include "engine/core/SAttrParse.h"

namespace SOUI {

HRESULT SSkinObjBase::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SSkinObjBase> kAttrs[] = {
        {L"alpha",
         [](SSkinObjBase& s, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n) || n < 0 || n > 255)
                 return E_FAIL;
             s.m_alpha = BYTE(n);
             return S_OK;
         }},
        {L"scale",
         [](SSkinObjBase& s, const std::wstring& v) -> HRESULT {
             int n;
             if (!ParseInt(v, n) || n <= 0)
                 return E_FAIL;
             s.m_scale = n;
             return S_OK;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

}  // namespace SOUI
