#include "engine/widgets/SCheckBox.h"
#include <oleacc.h>

namespace SOUI {

namespace {
constexpr int kBox = 14;
}

SCheckBox::SCheckBox()
{
    m_textFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
}

HRESULT SCheckBox::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SCheckBox> kAttrs[] = {
        {L"checked",
         [](SCheckBox& w, const std::wstring& v) -> HRESULT {
             bool b;
             if (!ParseBool(v, b))
                 return E_FAIL;
             w.SetCheck(b);
             return S_FALSE;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

void SCheckBox::OnLButtonUp(POINT pt)
{
    bool wasPushed = (m_state & WndState_PushDown) != 0;
    ModifyState(0, WndState_PushDown, TRUE);
    if (!wasPushed || !PtInRect(&m_rc, pt) || IsDisabled(TRUE))
        return;
    SetCheck(!IsChecked());
    FireCommand();
}

void SCheckBox::OnPaint(IRenderTarget* rt)
{
    RECT cl = GetClientRect();
    int boxSize = Scaled(kBox);
    int top = cl.top + (cl.bottom - cl.top - boxSize) / 2;
    RECT box = {cl.left, top, cl.left + boxSize, top + boxSize};
    if (m_skin) {
        m_skin->DrawByState(rt, box, m_state);
    } else {
        rt->FillSolidRect(box, RGBA(255, 255, 255, 255));
        rt->DrawRectangle(box, IsDisabled() ? RGBA(0xC0, 0xC0, 0xC0, 255) : RGBA(0x12, 0x8B, 0xED, 255), 1);
        if (IsChecked())
            rt->FillSolidRect(
                RECT{box.left + Scaled(3), box.top + Scaled(3), box.right - Scaled(3), box.bottom - Scaled(3)},
                RGBA(0x12, 0x8B, 0xED, 255));
    }
    std::wstring text = GetWindowTextW();
    RECT rc = {box.right + Scaled(4), cl.top, cl.right, cl.bottom};
    if (!text.empty())
        DrawTextW(rt, text.c_str(), int(text.size()), &rc, m_textFormat);
}

LONG SCheckBox::DefaultAccRole() const
{
    return ROLE_SYSTEM_CHECKBUTTON;
}

std::wstring SCheckBox::GetAccDefaultAction() const
{
    return IsChecked() ? L"清除" : L"选中";
}

void SCheckBox::DoAccDefaultAction()
{
    SetCheck(!IsChecked());
    FireCommand();
}

}  // namespace SOUI
