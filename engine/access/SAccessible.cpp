#include "engine/access/SAccessible.h"
#include <algorithm>
#include <vector>
#include "engine/host/SHostWnd.h"
#include "engine/widgets/SWindow.h"

namespace SOUI {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {
HRESULT Text(const std::wstring& s, BSTR* out)
{
    *out = nullptr;
    if (s.empty())
        return S_FALSE;
    *out = SysAllocStringLen(s.data(), UINT(s.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// A page's tab shows while its page is hidden: the object's state says, not the widget's.
bool Usable(const SWindow* w)
{
    return !(w->GetAccState() & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE));
}
}  // namespace

HRESULT SAccessible::QueryInterface(REFIID riid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG SAccessible::AddRef()
{
    return ULONG(InterlockedIncrement(&m_ref));
}

ULONG SAccessible::Release()
{
    LONG n = InterlockedDecrement(&m_ref);
    if (n == 0)
        delete this;
    return ULONG(n);
}

HRESULT SAccessible::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT SAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}
HRESULT SAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}
HRESULT SAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

SWindow* SAccessible::Target(const VARIANT& child) const
{
    if (!m_w || child.vt != VT_I4)
        return nullptr;
    if (child.lVal == CHILDID_SELF)
        return m_w;
    // 1..n: the children in order, as AccessibleChildren asks for them without an enumerator;
    // negative: any descendant by its id, as events name them.
    if (child.lVal < 0)
        return m_w->FindAccDescendant(-child.lVal);
    std::vector<SWindow*> kids;
    m_w->GetAccChildren(kids);
    return size_t(child.lVal) <= kids.size() ? kids[size_t(child.lVal) - 1] : nullptr;
}

void SAccessible::ToVariant(SWindow* w, VARIANT* out) const
{
    VariantInit(out);
    if (!w)
        return;
    if (w == m_w) {
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return;
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = w->GetAccessible();
}

#define SACC_TARGET(child)           \
    if (!m_w)                        \
        return CO_E_OBJNOTCONNECTED; \
    SWindow* w = Target(child);      \
    if (!w)                          \
    return E_INVALIDARG

HRESULT SAccessible::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    if (!m_w)
        return CO_E_OBJNOTCONNECTED;
    if (SWindow* p = m_w->GetAccParent()) {
        *parent = p->GetAccessible();
        return S_OK;
    }
    // The host's client object: its parent is the system's object of the window itself.
    SHostWnd* host = m_w->GetHostWnd();
    if (!host || !host->m_hWnd)
        return S_FALSE;
    return CreateStdAccessibleObject(host->m_hWnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT SAccessible::get_accChildCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    if (!m_w)
        return CO_E_OBJNOTCONNECTED;
    std::vector<SWindow*> kids;
    m_w->GetAccChildren(kids);
    *count = long(kids.size());
    return S_OK;
}

HRESULT SAccessible::get_accChild(VARIANT child, IDispatch** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    SACC_TARGET(child);
    *out = w->GetAccessible();
    return S_OK;
}

HRESULT SAccessible::get_accName(VARIANT child, BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    SACC_TARGET(child);
    return Text(w->GetAccName(), name);
}

HRESULT SAccessible::get_accValue(VARIANT child, BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    SACC_TARGET(child);
    std::wstring v;
    if (!w->GetAccValue(v))
        return DISP_E_MEMBERNOTFOUND;
    *value = SysAllocStringLen(v.data(), UINT(v.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT SAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    if (!description)
        return E_POINTER;
    *description = nullptr;
    SACC_TARGET(child);
    // The tooltip, where the name is something else.
    std::wstring tip = w->GetToolTipText();
    return tip == w->GetAccName() ? S_FALSE : Text(tip, description);
}

HRESULT SAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role)
        return E_POINTER;
    VariantInit(role);
    SACC_TARGET(child);
    role->vt = VT_I4;
    role->lVal = w->GetAccRole();
    return S_OK;
}

HRESULT SAccessible::get_accState(VARIANT child, VARIANT* state)
{
    if (!state)
        return E_POINTER;
    VariantInit(state);
    SACC_TARGET(child);
    state->vt = VT_I4;
    state->lVal = LONG(w->GetAccState());
    return S_OK;
}

HRESULT SAccessible::get_accHelp(VARIANT, BSTR* help)
{
    if (!help)
        return E_POINTER;
    *help = nullptr;
    return m_w ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT SAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    if (file)
        *file = nullptr;
    if (topic)
        *topic = 0;
    return m_w ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT SAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut)
{
    if (!shortcut)
        return E_POINTER;
    *shortcut = nullptr;
    return m_w ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT SAccessible::get_accFocus(VARIANT* focus)
{
    if (!focus)
        return E_POINTER;
    VariantInit(focus);
    if (!m_w)
        return CO_E_OBJNOTCONNECTED;
    SHostWnd* host = m_w->GetHostWnd();
    SWindow* f = host ? host->GetFocusedWidget() : nullptr;
    if (!f || !(f->GetAccState() & STATE_SYSTEM_FOCUSED))
        return S_FALSE;
    f = f->GetAccObjectWidget();
    for (SWindow* p = f; p; p = p->GetParent())
        if (p == m_w) {
            ToVariant(f, focus);
            return S_OK;
        }
    return S_FALSE;
}

HRESULT SAccessible::get_accSelection(VARIANT* selection)
{
    if (!selection)
        return E_POINTER;
    VariantInit(selection);
    if (!m_w)
        return CO_E_OBJNOTCONNECTED;
    SWindow* sel = m_w->GetAccSelection();
    if (!sel)
        return S_FALSE;
    ToVariant(sel, selection);
    return S_OK;
}

HRESULT SAccessible::get_accDefaultAction(VARIANT child, BSTR* action)
{
    if (!action)
        return E_POINTER;
    *action = nullptr;
    SACC_TARGET(child);
    return Text(w->GetAccDefaultAction(), action);
}

HRESULT SAccessible::accSelect(long flags, VARIANT child)
{
    SACC_TARGET(child);
    if (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION))
        return E_INVALIDARG;
    if (!Usable(w))
        return S_FALSE;
    if ((flags & SELFLAG_TAKEFOCUS) && !w->IsFocusable())
        return S_FALSE;
    if ((flags & SELFLAG_TAKESELECTION) && !w->AccTakeSelection())
        return S_FALSE;
    if (flags & SELFLAG_TAKEFOCUS)
        w->SetFocus();
    return S_OK;
}

HRESULT SAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    SACC_TARGET(child);
    RECT rc = w->GetAccScreenRect();
    *left = rc.left;
    *top = rc.top;
    *width = rc.right - rc.left;
    *height = rc.bottom - rc.top;
    return S_OK;
}

HRESULT SAccessible::accNavigate(long dir, VARIANT start, VARIANT* end)
{
    if (!end)
        return E_POINTER;
    VariantInit(end);
    if (!m_w)
        return CO_E_OBJNOTCONNECTED;
    SWindow* from = Target(start);
    if (!from)
        return E_INVALIDARG;
    std::vector<SWindow*> list;
    SWindow* found = nullptr;
    switch (dir) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD:
        if (from != m_w)
            return E_INVALIDARG;
        m_w->GetAccChildren(list);
        if (!list.empty())
            found = dir == NAVDIR_FIRSTCHILD ? list.front() : list.back();
        break;
    case NAVDIR_NEXT:
    case NAVDIR_PREVIOUS: {
        SWindow* parent = from->GetAccParent();
        if (!parent)
            return S_FALSE;
        parent->GetAccChildren(list);
        auto it = std::find(list.begin(), list.end(), from);
        if (it == list.end())
            return S_FALSE;
        if (dir == NAVDIR_NEXT && it + 1 != list.end())
            found = *(it + 1);
        if (dir == NAVDIR_PREVIOUS && it != list.begin())
            found = *(it - 1);
        break;
    }
    default:
        return S_FALSE;  // spatial directions: not kept
    }
    if (!found)
        return S_FALSE;
    // Siblings are objects of their own, never ids relative to this one.
    end->vt = VT_DISPATCH;
    end->pdispVal = found->GetAccessible();
    return S_OK;
}

HRESULT SAccessible::accHitTest(long x, long y, VARIANT* child)
{
    if (!child)
        return E_POINTER;
    VariantInit(child);
    if (!m_w)
        return CO_E_OBJNOTCONNECTED;
    POINT pt = {x, y};
    RECT rc = m_w->GetAccScreenRect();
    if (!PtInRect(&rc, pt))
        return S_FALSE;
    // Deepest first; later children are drawn over earlier ones.
    SWindow* hit = m_w;
    for (bool deeper = true; deeper;) {
        deeper = false;
        std::vector<SWindow*> kids;
        hit->GetAccChildren(kids);
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
            RECT r = (*it)->GetAccScreenRect();
            if (PtInRect(&r, pt)) {
                hit = *it;
                deeper = true;
                break;
            }
        }
    }
    ToVariant(hit, child);
    return S_OK;
}

HRESULT SAccessible::accDoDefaultAction(VARIANT child)
{
    SACC_TARGET(child);
    if (w->GetAccDefaultAction().empty())
        return DISP_E_MEMBERNOTFOUND;
    SHostWnd* host = w->GetHostWnd();
    if (!Usable(w) || !host)
        return E_FAIL;
    // Later, from the host's own queue: the action may open a modal loop or end the window,
    // and the client's call must not wait for that.
    return host->PostAccAction(w->GetAccId()) ? S_OK : E_FAIL;
}

HRESULT SAccessible::put_accName(VARIANT, BSTR)
{
    return m_w ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}
HRESULT SAccessible::put_accValue(VARIANT, BSTR)
{
    return m_w ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

}  // namespace SOUI
