#pragma once
#include "engine/SSkinImgList.h"

namespace SOUI {

// An image list whose states are drawn as nine-grids: corners kept, edges and centre stretched.
class SSkinImgFrame : public SSkinImgList {
public:
    using Base = SSkinImgList;
    SOUI_CLASS_NAME(SSkinImgFrame, L"imgframe")
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    const RECT& GetMargin() const { return m_margin; }

protected:
    void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
    RECT m_margin = {0, 0, 0, 0};
};

} // namespace SOUI
