#pragma once
#include "engine/SSkinObjBase.h"

namespace SOUI {

// A picture holding N states side by side (or stacked when vertical); each state is stretched.
class SSkinImgList : public SSkinObjBase {
public:
    using Base = SSkinObjBase;
    SOUI_CLASS_NAME(SSkinImgList, L"imglist")
    SIZE GetSkinSize() override;
    int GetStates() override { return m_states; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    IBitmap* GetImage() const { return m_image; }
    void SetImage(IBitmap* bmp) { m_image = bmp; }

protected:
    void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
    RECT StateRect(int index) const;

    SAutoRefPtr<IBitmap> m_image;
    int m_states = 1;
    bool m_vertical = false;
    bool m_tile = false;
};

} // namespace SOUI
