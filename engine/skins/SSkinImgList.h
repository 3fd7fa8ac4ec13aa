#pragma once
#include "engine/skins/SScaledImage.h"
#include "engine/skins/SSkinObjBase.h"

namespace SOUI {

// A picture holding N states side by side (or stacked when vertical); each state is stretched.
// The picture drawn is the version nearest the target's display scale; `scale` says which
// scale `src` itself is drawn for (default 100), and sizes are reported at 100 %.
class SSkinImgList : public SSkinObjBase {
public:
    using Base = SSkinObjBase;
    SOUI_CLASS_NAME(SSkinImgList, L"imglist")
    SIZE GetSkinSize() override;
    int GetStates() override { return m_states; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    IBitmap* GetImage() const { return m_picture.Base(); }
    void SetImage(IBitmap* bmp) { m_picture.Set(bmp); }

protected:
    void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
    // The picture for rt's display scale and the scale it is drawn for.
    IBitmap* PictureFor(IRenderTarget* rt, int& scale) { return m_picture.Pick(rt->GetDpi(), m_scale, scale); }
    RECT StateRect(IBitmap* bmp, int index) const;

    SScaledImage m_picture;
    int m_states = 1;
    bool m_vertical = false;
    bool m_tile = false;
};

}  // namespace SOUI
