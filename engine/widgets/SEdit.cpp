#include "engine/widgets/SEdit.h"
#include <commctrl.h>
#include <oleacc.h>
#include <algorithm>
#include "engine/access/SAccessible.h"
#include "engine/core/SDebug.h"
#include "engine/host/SHostWnd.h"
#include "engine/core/SResProviderMgr.h"

namespace SOUI {

namespace {
constexpr UINT_PTR kSubclassId = 0x5345;

HRESULT Flag(bool& out, const std::wstring& v)
{
    return ParseBool(v, out) ? S_OK : E_FAIL;
}
}  // namespace

SEdit::SEdit()
{
    m_crBkgnd = RGBA(255, 255, 255, 255);
    m_handCursor = false;
    m_focusable = true;
}

SEdit::~SEdit()
{
    if (m_host)
        m_host->RemoveNativeEdit(this);
    if (m_hEdit) {
        RemoveWindowSubclass(m_hEdit, &SEdit::SubclassProc, kSubclassId);
        ::DestroyWindow(m_hEdit);
    }
}

HRESULT SEdit::SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading)
{
    static const SAttrEntry<SEdit> kAttrs[] = {
        {L"cueText",
         [](SEdit& e, const std::wstring& v) -> HRESULT {
             auto* mgr = SResProviderMgr::getSingletonPtr();
             e.m_cue = mgr ? mgr->GetString(v) : v;
             if (e.m_hEdit)
                 ::SendMessageW(e.m_hEdit, EM_SETCUEBANNER, TRUE, LPARAM(e.m_cue.c_str()));
             return S_FALSE;
         }},
        {L"colorCue",
         [](SEdit& e, const std::wstring& v) -> HRESULT { return ParseColor(v, e.m_crCue) ? S_FALSE : E_FAIL; }},
        {L"password", [](SEdit& e, const std::wstring& v) { return Flag(e.m_password, v); }},
        {L"readOnly", [](SEdit& e, const std::wstring& v) { return Flag(e.m_readOnly, v); }},
        {L"number", [](SEdit& e, const std::wstring& v) { return Flag(e.m_number, v); }},
        {L"multiLines", [](SEdit& e, const std::wstring& v) { return Flag(e.m_multiLine, v); }},
        {L"maxLength",
         [](SEdit& e, const std::wstring& v) -> HRESULT {
             if (!ParseInt(v, e.m_maxLength) || e.m_maxLength < 0)
                 return E_FAIL;
             if (e.m_hEdit)
                 ::SendMessageW(e.m_hEdit, EM_SETLIMITTEXT, WPARAM(e.m_maxLength), 0);
             return S_FALSE;
         }},
        {L"inset",
         [](SEdit& e, const std::wstring& v) -> HRESULT { return ParseMargin(v, e.m_inset) ? S_OK : E_FAIL; }},
        // Single-line text is always centred vertically.
        {L"vcenter",
         [](SEdit&, const std::wstring& v) -> HRESULT {
             bool b;
             return ParseBool(v, b) ? S_FALSE : E_FAIL;
         }},
    };
    HRESULT hr = ApplyAttr(kAttrs, *this, name, value);
    return hr != E_NOTIMPL ? hr : Base::SetAttribute(name, value, loading);
}

void SEdit::OnHostCreated()
{
    if (m_hEdit || !m_host || !m_host->m_hWnd)
        return;
    m_popup = m_host->IsTranslucent() != FALSE;
    DWORD style = (m_popup ? WS_POPUP : WS_CHILD) | WS_CLIPSIBLINGS;
    style |= m_multiLine ? (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN) : ES_AUTOHSCROLL;
    if (m_password)
        style |= ES_PASSWORD;
    if (m_readOnly)
        style |= ES_READONLY;
    if (m_number)
        style |= ES_NUMBER;
    DWORD exStyle = m_popup ? WS_EX_TOOLWINDOW : 0;
    m_hEdit = CreateWindowExW(exStyle, L"EDIT", m_text.c_str(), style, 0, 0, 0, 0, m_host->m_hWnd, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!m_hEdit) {
        SLog(L"native edit of " + Describe() + L" could not be created, error " + std::to_wstring(GetLastError()));
        return;
    }
    SetWindowSubclass(m_hEdit, &SEdit::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (IFont* f = GetFont())
        ::SendMessageW(m_hEdit, WM_SETFONT, WPARAM(f->GetHFont()), FALSE);
    ::SendMessageW(m_hEdit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    if (m_maxLength > 0)
        ::SendMessageW(m_hEdit, EM_SETLIMITTEXT, WPARAM(m_maxLength), 0);
    if (m_password)
        ::SendMessageW(m_hEdit, EM_SETPASSWORDCHAR, WPARAM(L'\x25CF'), 0);
    // The cue banner needs the version-6 edit; without it the cue is painted here.
    if (!m_cue.empty())
        m_paintCue = !::SendMessageW(m_hEdit, EM_SETCUEBANNER, TRUE, LPARAM(m_cue.c_str()));
    m_host->AddNativeEdit(this);
    OnPlacementChanged();
}

RECT SEdit::NativeRect() const
{
    RECT cl = GetClientRect();
    RECT rc = {cl.left + Scaled(m_inset.left), cl.top + Scaled(m_inset.top), cl.right - Scaled(m_inset.right),
               cl.bottom - Scaled(m_inset.bottom)};
    if (!m_multiLine && m_hEdit) {
        // Only the horizontal inset counts: the line is centred in the whole height.
        rc.top = cl.top;
        rc.bottom = cl.bottom;
        // A single-line edit draws at its top: centre a line-high window instead.
        TEXTMETRICW tm = {};
        SWindowDC dc(m_hEdit);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hEdit, WM_GETFONT, 0, 0));
        SSelectObject sel(dc.get(), font);
        GetTextMetricsW(dc.get(), &tm);
        int h = std::min<int>(tm.tmHeight + Scaled(2), rc.bottom - rc.top);
        rc.top += (rc.bottom - rc.top - h) / 2;
        rc.bottom = rc.top + h;
    }
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

void SEdit::OnPlacementChanged()
{
    if (!m_hEdit || !m_host || !m_host->m_hWnd)
        return;
    RECT rc = NativeRect();
    bool show = IsVisible(TRUE) != FALSE;
    if (m_popup) {
        MapWindowPoints(m_host->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        show = show && ::IsWindowVisible(m_host->m_hWnd) && !::IsIconic(m_host->m_hWnd);
    }
    ::EnableWindow(m_hEdit, !IsDisabled(TRUE));
    ::SetWindowPos(m_hEdit, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void SEdit::OnScaleChanged()
{
    // The native window keeps the font it was given: it gets the one of the new size.
    if (!m_hEdit)
        return;
    if (IFont* f = GetFont())
        ::SendMessageW(m_hEdit, WM_SETFONT, WPARAM(f->GetHFont()), TRUE);
    ::SendMessageW(m_hEdit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

void SEdit::RaiseAboveHost()
{
    if (!m_popup || !m_hEdit || !m_host || !m_host->m_hWnd)
        return;
    HWND after = (GetWindowLongW(m_host->m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP;
    ::SetWindowPos(m_hEdit, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

std::wstring SEdit::GetWindowTextW() const
{
    if (!m_hEdit)
        return m_text;
    int n = GetWindowTextLengthW(m_hEdit);
    std::wstring s(size_t(n) + 1, L'\0');
    n = ::GetWindowTextW(m_hEdit, &s[0], n + 1);
    s.resize(size_t(std::max(n, 0)));
    return s;
}

void SEdit::SetWindowTextW(const std::wstring& text)
{
    m_text = text;
    if (m_hEdit)
        ::SetWindowTextW(m_hEdit, text.c_str());
}

LRESULT SEdit::SSendMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == EM_SETEVENTMASK) {
        DWORD old = m_eventMask;
        m_eventMask = DWORD(lp);
        return old;
    }
    if (msg == EM_GETEVENTMASK)
        return m_eventMask;
    return m_hEdit ? ::SendMessageW(m_hEdit, msg, wp, lp) : 0;
}

void SEdit::OnLButtonDown(POINT)
{
    if (!m_hEdit || IsDisabled(TRUE))
        return;
    if (m_popup)
        RaiseAboveHost();
    SetFocus();
}

void SEdit::SetFocus()
{
    if (m_hEdit)
        ::SetFocus(m_hEdit);
}

void SEdit::OnPaint(IRenderTarget* rt)
{
    // The text is the native window's; the widget paints the frame around it.
    DrawBackground(rt);
}

void SEdit::OnNativeCommand(UINT code)
{
    if (code != EN_CHANGE)
        return;
    m_text = GetWindowTextW();
    if (m_paintCue && m_hEdit)
        ::InvalidateRect(m_hEdit, nullptr, TRUE);
    if (!(m_eventMask & ENM_CHANGE))
        return;
    EventRENotify evt(this, EN_CHANGE);
    FireEvent(&evt);
}

HBRUSH SEdit::OnCtlColor(HDC hdc)
{
    COLORREF bk = m_crBkgnd != CR_INVALID ? m_crBkgnd : RGBA(255, 255, 255, 255);
    COLORREF tx = IsDisabled(TRUE) && m_crText[3] != CR_INVALID ? m_crText[3] : m_crText[0];
    SetTextColor(hdc, tx & 0x00FFFFFF);
    SetBkColor(hdc, bk & 0x00FFFFFF);
    if (!m_brush.get())
        m_brush.reset(CreateSolidBrush(bk & 0x00FFFFFF));
    return m_brush.get();
}

void SEdit::OnNativeDestroyed()
{
    if (!m_hEdit)
        return;
    m_text = GetWindowTextW();
    RemoveWindowSubclass(m_hEdit, &SEdit::SubclassProc, kSubclassId);
    m_hEdit = nullptr;
}

void SEdit::PaintCue(HWND hwnd)
{
    if (m_cue.empty() || GetWindowTextLengthW(hwnd) > 0)
        return;
    SWindowDC dc(hwnd);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    SSelectObject sel(dc.get(), font);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    rc.left += 1;
    SetTextColor(dc.get(), m_crCue & 0x00FFFFFF);
    SetBkMode(dc.get(), TRANSPARENT);
    ::DrawTextW(dc.get(), m_cue.c_str(), int(m_cue.size()), &rc,
                DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | (m_multiLine ? DT_TOP : DT_VCENTER));
}

LRESULT CALLBACK SEdit::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data)
{
    auto* self = reinterpret_cast<SEdit*>(data);
    if (msg == WM_NCDESTROY) {
        self->m_hEdit = nullptr;
        RemoveWindowSubclass(hwnd, &SEdit::SubclassProc, kSubclassId);
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    // Wine's own object for an edit is empty: the window answers with the widget's.
    if (msg == WM_GETOBJECT && LONG(lp) == OBJID_CLIENT) {
        IAccessible* acc = self->GetAccessible();
        LRESULT res = LresultFromObject(kIidAccessible, wp, acc);
        acc->Release();
        return res;
    }
    // A one-line edit has nothing to scroll: the wheel belongs to whatever is under the mouse.
    if (msg == WM_MOUSEWHEEL && !self->m_multiLine && self->m_host && self->m_host->m_hWnd)
        return ::SendMessageW(self->m_host->m_hWnd, msg, wp, lp);
    // Clicked into or tabbed to: the host's focus widget follows the native focus.
    if (msg == WM_SETFOCUS && self->m_host)
        self->m_host->SetFocusedWidget(self);
    if (msg == WM_KILLFOCUS) {
        EventKillFocus evt(self);
        self->FireEvent(&evt);
    }
    // Tab, Enter and Escape are the window's, as in a dialog; a one-line edit would only beep.
    if (!self->m_multiLine && self->m_host) {
        if (msg == WM_KEYDOWN && (wp == VK_TAB || wp == VK_RETURN || wp == VK_ESCAPE) &&
            self->m_host->OnDialogKey(UINT(wp)))
            return 0;
        if (msg == WM_CHAR && (wp == L'\t' || wp == L'\r' || wp == L'\n' || wp == 0x1B))
            return 0;
    }
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    // Activating a pop-up edit can restack its host over it.
    if ((msg == WM_SETFOCUS || msg == WM_ACTIVATE) && self->m_popup && self->m_host)
        self->m_host->RaiseNativeEditsLater();
    if (msg == WM_PAINT && self->m_paintCue)
        self->PaintCue(hwnd);
    if ((msg == WM_SETFOCUS || msg == WM_KILLFOCUS) && self->m_paintCue)
        ::InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

LONG SEdit::DefaultAccRole() const
{
    return ROLE_SYSTEM_TEXT;
}

bool SEdit::GetAccValue(std::wstring& out) const
{
    // A password is never read out.
    if (m_password)
        return false;
    out = GetWindowTextW();
    return true;
}

DWORD SEdit::GetAccState() const
{
    DWORD s = Base::GetAccState() & ~STATE_SYSTEM_FOCUSED;
    if (m_hEdit && ::GetFocus() == m_hEdit)
        s |= STATE_SYSTEM_FOCUSED;
    if (m_hEdit && !::IsWindowVisible(m_hEdit))
        s |= STATE_SYSTEM_INVISIBLE;
    if (m_password)
        s |= STATE_SYSTEM_PROTECTED;
    if (m_readOnly)
        s |= STATE_SYSTEM_READONLY;
    return s;
}

RECT SEdit::GetAccScreenRect() const
{
    if (!m_hEdit)
        return Base::GetAccScreenRect();
    RECT rc;
    ::GetWindowRect(m_hEdit, &rc);
    return rc;
}

}  // namespace SOUI
