#include "engine/widgets/SButton.h"
#include <oleacc.h>
#include "engine/skins/SSkinPoolMgr.h"

namespace SOUI {

SButton::SButton()
{
    m_textFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    m_handCursor = true;
    m_focusable = true;
}

void SButton::OnInitFinished(pugi::xml_node node)
{
    if (!node.attribute("skin") && !m_skin && DefaultSkinName()) {
        if (auto* pool = SSkinPoolMgr::getSingletonPtr())
            m_skin = pool->GetSkin(DefaultSkinName());
    }
}

void SButton::OnLButtonUp(POINT pt)
{
    bool wasPushed = (m_state & WndState_PushDown) != 0;
    ModifyState(0, WndState_PushDown, TRUE);
    if (wasPushed && PtInRect(&m_rc, pt) && !IsDisabled(TRUE))
        FireCommand();
}

void SButton::OnPaint(IRenderTarget* rt)
{
    if (!m_skin && m_crBkgnd == CR_INVALID && DefaultSkinName()) {
        // No skin table entry: a plain face in the program's blue.
        static const COLORREF faces[4] = {RGBA(255, 255, 255, 255), RGBA(0xE8, 0xF2, 0xFD, 255),
                                          RGBA(0xD0, 0xE4, 0xFA, 255), RGBA(0xF1, 0xF1, 0xF1, 255)};
        rt->FillSolidRect(m_rc, faces[StateToIndex(m_state)]);
        rt->DrawRectangle(m_rc, RGBA(0x12, 0x8B, 0xED, 255), 1);
    }
    Base::OnPaint(rt);
}

LONG SButton::DefaultAccRole() const
{
    return ROLE_SYSTEM_PUSHBUTTON;
}

std::wstring SButton::GetAccDefaultAction() const
{
    return L"按下";
}

}  // namespace SOUI
