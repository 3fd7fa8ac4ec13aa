// Input routing of the host window: Tab order and dialog keys, hover and tooltips, mouse, wheel and keys.
#include "engine/host/SHostWnd.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>
#include "engine/core/SDebug.h"
#include "engine/core/SStringUtil.h"
#include "engine/widgets/SButton.h"
#include "engine/widgets/SEdit.h"

namespace SOUI {

namespace {
// Every widget of the tree, depth first, children in layout order.
std::vector<SWindow*> InLayoutOrder(SWindow* root)
{
    std::vector<SWindow*> all;
    std::vector<SWindow*> stack = {root};
    while (!stack.empty()) {
        SWindow* w = stack.back();
        stack.pop_back();
        all.push_back(w);
        const auto& kids = w->GetChildren();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            stack.push_back(*it);
    }
    return all;
}

bool IsTabStop(const SWindow* w)
{
    return w->IsFocusable() && w->IsVisible(TRUE) && !w->IsDisabled(TRUE);
}
}  // namespace

std::vector<SWindow*> SHostWnd::GetTabOrder() const
{
    std::vector<SWindow*> order;
    if (!m_root)
        return order;
    for (SWindow* w : InLayoutOrder(m_root))
        if (IsTabStop(w))
            order.push_back(w);
    return order;
}

BOOL SHostWnd::MoveFocus(bool backwards)
{
    if (!m_root)
        return FALSE;
    // From where the focus is, even when that widget is no stop any more (a button
    // disabled by its own press).
    std::vector<SWindow*> all = InLayoutOrder(m_root);
    size_t n = all.size();
    size_t at = size_t(std::find(all.begin(), all.end(), m_focus) - all.begin());
    if (at == n)
        at = backwards ? 0 : n - 1;
    for (size_t step = 1; step <= n; ++step) {
        SWindow* w = all[(at + (backwards ? n - step : step)) % n];
        if (IsTabStop(w)) {
            w->SetFocus();
            return TRUE;
        }
    }
    return FALSE;
}

void SHostWnd::RestoreFocus()
{
    SWindow* w = m_focus;
    if (w && (!w->IsVisible(TRUE) || w->IsDisabled(TRUE)))
        w = nullptr;
    if (!w) {
        std::vector<SWindow*> order = GetTabOrder();
        if (!order.empty())
            w = order.front();
    }
    if (w)
        w->SetFocus();
    else if (m_hWnd)
        ::SetFocus(m_hWnd);
}

namespace {
// A button that may be pressed now; the command may end the window, so nothing of it is
// touched afterwards.
BOOL Press(SWindow* w)
{
    if (!w || !w->IsVisible(TRUE) || w->IsDisabled(TRUE))
        return FALSE;
    w->FireCommand();
    return TRUE;
}
}  // namespace

BOOL SHostWnd::OnDialogKey(UINT vk, bool repeat)
{
    bool ctrlOrAlt = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    SButton* focusedButton = dynamic_cast<SButton*>(m_focus);
    if (focusedButton && !focusedButton->HasKeyboardFocus())
        focusedButton = nullptr;
    switch (vk) {
    case VK_TAB:
        if (ctrlOrAlt)
            return FALSE;
        MoveFocus(GetKeyState(VK_SHIFT) < 0);
        return TRUE;
    case VK_RETURN:
        if (ctrlOrAlt)
            return FALSE;
        return Press(focusedButton ? focusedButton : GetDefaultButton());
    case VK_ESCAPE:
        return Press(GetCancelButton());
    case VK_SPACE:
        // Held down, it presses once.
        if (!focusedButton)
            return FALSE;
        if (!repeat)
            Press(focusedButton);
        return TRUE;
    default:
        return FALSE;
    }
}

void SHostWnd::AddNativeEdit(SEdit* e)
{
    if (std::find(m_edits.begin(), m_edits.end(), e) == m_edits.end())
        m_edits.push_back(e);
}

void SHostWnd::RemoveNativeEdit(SEdit* e)
{
    m_edits.erase(std::remove(m_edits.begin(), m_edits.end(), e), m_edits.end());
}

void SHostWnd::SetHover(SWindow* w)
{
    if (w == m_hover)
        return;
    SWindow* old = m_hover;
    m_hover = w;
    if (old && !old->IsDisabled(TRUE))
        old->OnMouseLeave();
    if (w && !w->IsDisabled(TRUE))
        w->OnMouseHover();
    UpdateTooltip();
}

void SHostWnd::UpdateTooltip()
{
    SWindow* tipOwner = nullptr;
    for (SWindow* p = m_hover; p; p = p->GetParent())
        if (!p->GetToolTipText().empty()) {
            tipOwner = p;
            break;
        }
    if (tipOwner == m_tipOwner)
        return;
    m_tipOwner = tipOwner;
    if (!tipOwner && !m_tooltip)
        return;
    if (!m_tooltip) {
        m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        if (!m_tooltip)
            return;
        TOOLINFOW ti = {};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = m_hWnd;
        ti.uId = 1;
        ti.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, LPARAM(&ti));
    }
    TOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = m_hWnd;
    ti.uId = 1;
    std::wstring text = tipOwner ? tipOwner->GetToolTipText() : L"";
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    ti.rect = tipOwner ? tipOwner->GetWindowRect() : RECT{0, 0, 0, 0};
    ::SendMessageW(m_tooltip, TTM_NEWTOOLRECTW, 0, LPARAM(&ti));
    ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, LPARAM(&ti));
    ::SendMessageW(m_tooltip, TTM_ACTIVATE, tipOwner ? TRUE : FALSE, 0);
}

void SHostWnd::OnMouseMessage(UINT msg, POINT pt)
{
    if (!m_root)
        return;
    switch (msg) {
    case WM_MOUSEMOVE: {
        if (!m_trackingLeave) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
            m_trackingLeave = TrackMouseEvent(&tme) != FALSE;
        }
        if (m_capture) {
            // While pressed, only the pressed widget shows hover (and pushed) state.
            RECT rc = m_capture->GetWindowRect();
            bool inside = PtInRect(&rc, pt) != FALSE;
            SetHover(inside ? m_capture : nullptr);
            if (inside)
                m_capture->ModifyState(WndState_PushDown, 0, TRUE);
            m_capture->OnMouseMove(pt);
        } else {
            SetHover(m_root->SwndFromPoint(pt));
            if (m_hover)
                m_hover->OnMouseMove(pt);
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SWindow* hit = m_root->SwndFromPoint(pt);
        SetHover(hit);
        if (!hit || hit->IsDisabled(TRUE))
            break;
        m_capture = hit;
        ::SetCapture(m_hWnd);
        hit->OnLButtonDown(pt);
        break;
    }
    case WM_LBUTTONUP: {
        SWindow* cap = m_capture;
        m_capture = nullptr;
        if (GetCapture() == m_hWnd)
            ReleaseCapture();
        if (cap)
            cap->OnLButtonUp(pt);
        // The handler may have rebuilt or hidden things; hover is recomputed from scratch.
        if (m_root && m_hWnd)
            SetHover(m_root->SwndFromPoint(pt));
        break;
    }
    default:
        break;
    }
}

BOOL SHostWnd::RouteWheel(int delta, POINT screenPt)
{
    if (!m_root)
        return FALSE;
    POINT pt = screenPt;
    ::ScreenToClient(m_hWnd, &pt);
    // A widget that holds the mouse (a dragged thumb) keeps the wheel too.
    SWindow* w = m_capture ? m_capture : m_root->SwndFromPoint(pt);
    for (; w; w = w->GetParent())
        if (!w->IsDisabled() && w->OnMouseWheel(delta))
            return TRUE;
    return FALSE;
}

BOOL SHostWnd::RouteKey(UINT vk)
{
    if (!m_focus || !m_focus->IsVisible(TRUE) || m_focus->IsDisabled(TRUE))
        return FALSE;
    return m_focus->OnKeyDown(vk);
}

}  // namespace SOUI
