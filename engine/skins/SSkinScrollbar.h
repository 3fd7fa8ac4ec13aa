#pragma once
#include "engine/skins/SSkinImgFrame.h"

namespace SOUI {

// Scroll bar parts laid out in one picture: rows of up arrow, down arrow, track, thumb
// (and gripper), each with states normal, hover, pushed, disabled across.
class SSkinScrollbar : public SSkinImgFrame {
public:
    using Base = SSkinImgFrame;
    SOUI_CLASS_NAME(SSkinScrollbar, L"scrollbar")
    enum Part { PartUp = 0, PartDown = 1, PartTrack = 2, PartThumb = 3, PartGripper = 4 };
    SSkinScrollbar() { m_states = 4; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    int GetStates() override { return 4; }
    SIZE GetSkinSize() override;
    bool HasGripper() const { return m_hasGripper; }
    void DrawPart(IRenderTarget* rt, const RECT& rc, int part, int state, BYTE alpha = 255);

protected:
    void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;

private:
    int Rows() const { return m_hasGripper ? 5 : 4; }
    bool m_hasGripper = false;
};

}  // namespace SOUI
