// Accessibility of the widget tree: roles, names, states and places of the widgets' objects.
#include <oleacc.h>
#include "engine/access/SAccessible.h"
#include "engine/host/SHostWnd.h"
#include "engine/widgets/SWindow.h"

namespace SOUI {

namespace {
struct RoleName {
    const wchar_t* name;
    LONG role;
};
// What "accRole" accepts; "none" takes a widget out (a decorative picture, a plain frame).
const RoleName kRoles[] = {
    {L"none", 0},
    {L"grouping", ROLE_SYSTEM_GROUPING},
    {L"text", ROLE_SYSTEM_STATICTEXT},
    {L"graphic", ROLE_SYSTEM_GRAPHIC},
    {L"button", ROLE_SYSTEM_PUSHBUTTON},
    {L"list", ROLE_SYSTEM_LIST},
    {L"listitem", ROLE_SYSTEM_LISTITEM},
    {L"pagetab", ROLE_SYSTEM_PAGETAB},
    {L"pane", ROLE_SYSTEM_PANE},
};
}  // namespace

LONG SWindow::NextAccId()
{
    // Unique in the process, so that an id in an event never names a widget that replaced it.
    static LONG next = 0;
    LONG id = InterlockedIncrement(&next);
    if (id <= 0) {
        InterlockedExchange(&next, 1);
        id = 1;
    }
    return id;
}

bool SWindow::ParseAccRole(const std::wstring& v, LONG& role)
{
    for (const auto& r : kRoles)
        if (_wcsicmp(r.name, v.c_str()) == 0) {
            role = r.role;
            return true;
        }
    return false;
}

void SWindow::ReleaseAccessible()
{
    if (!m_acc)
        return;
    m_acc->Detach();
    m_acc->Release();
    m_acc = nullptr;
}

IAccessible* SWindow::GetAccessible()
{
    if (!m_acc)
        m_acc = new SAccessible(this);
    m_acc->AddRef();
    return m_acc;
}

LONG SWindow::GetAccRole() const
{
    if (m_accRole >= 0)
        return m_accRole;
    if (m_host && m_host->GetRoot() == this)
        return ROLE_SYSTEM_CLIENT;
    return DefaultAccRole();
}

LONG SWindow::DefaultAccRole() const
{
    // A plain container stands for something only when the layout names it.
    return m_accName.empty() ? 0 : ROLE_SYSTEM_GROUPING;
}

std::wstring SWindow::GetAccName() const
{
    if (!m_accName.empty())
        return m_accName;
    if (m_host && m_host->GetRoot() == this && m_host->m_hWnd) {
        wchar_t title[256] = {};
        ::GetWindowTextW(m_host->m_hWnd, title, 256);
        return title;
    }
    return DefaultAccName();
}

std::wstring SWindow::DefaultAccName() const
{
    // An image button has only its tooltip.
    std::wstring text = GetWindowTextW();
    return text.empty() ? m_tip : text;
}

DWORD SWindow::GetAccState() const
{
    DWORD s = 0;
    if (!IsVisible(TRUE) || !m_host || !m_host->m_hWnd || !::IsWindowVisible(m_host->m_hWnd))
        s |= STATE_SYSTEM_INVISIBLE;
    if (IsDisabled(TRUE))
        s |= STATE_SYSTEM_UNAVAILABLE;
    // A list's rows are no Tab stops: the widgets on them are reached with the mouse only.
    bool onRow = false;
    for (const SWindow* p = m_parent; p && !onRow; p = p->m_parent)
        onRow = p->IsClass(L"itempanel") != FALSE;
    if (m_focusable && !onRow)
        s |= STATE_SYSTEM_FOCUSABLE;
    if (HasKeyboardFocus())
        s |= STATE_SYSTEM_FOCUSED;
    // Not wholly on the desktop (a window taller than the screen at a large scale).
    RECT rc = GetAccScreenRect(),
         screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (rc.left < screen.left || rc.top < screen.top || rc.right > screen.right || rc.bottom > screen.bottom)
        s |= STATE_SYSTEM_OFFSCREEN;
    if (m_state & WndState_Hover)
        s |= STATE_SYSTEM_HOTTRACKED;
    if (m_state & WndState_PushDown)
        s |= STATE_SYSTEM_PRESSED;
    if (m_state & WndState_Check)
        s |= STATE_SYSTEM_CHECKED;
    return s;
}

RECT SWindow::GetAccScreenRect() const
{
    RECT rc = m_rc;
    if (m_host && m_host->m_hWnd)
        ::MapWindowPoints(m_host->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void SWindow::GetAccChildren(std::vector<SWindow*>& out) const
{
    for (SWindow* c : m_children) {
        if (!c->IsVisible())
            continue;
        if (c->GetAccRole() != 0)
            out.push_back(c);
        else
            c->GetAccChildren(out);
    }
}

SWindow* SWindow::GetAccParent() const
{
    for (SWindow* p = m_parent; p; p = p->m_parent)
        if (p->GetAccRole() != 0)
            return p;
    return nullptr;
}

SWindow* SWindow::GetAccObjectWidget()
{
    for (SWindow* w = this; w; w = w->m_parent)
        if (w->GetAccRole() != 0)
            return w;
    return nullptr;
}

SWindow* SWindow::FindAccDescendant(LONG id) const
{
    std::vector<SWindow*> kids;
    GetAccChildren(kids);
    for (SWindow* c : kids)
        if (c->m_accId == id)
            return c;
    for (SWindow* c : kids)
        if (SWindow* r = c->FindAccDescendant(id))
            return r;
    return nullptr;
}

void SWindow::NotifyAccEvent(DWORD event)
{
    if (!m_host || !m_host->m_hWnd || !::IsWindowVisible(m_host->m_hWnd) || !IsVisible(TRUE))
        return;
    SWindow* w = GetAccObjectWidget();
    if (!w)
        return;
    bool root = m_host->GetRoot() == w;
    ::NotifyWinEvent(event, m_host->m_hWnd, OBJID_CLIENT, root ? CHILDID_SELF : -w->m_accId);
}

}  // namespace SOUI
