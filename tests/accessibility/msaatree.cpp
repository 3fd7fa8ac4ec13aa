#include "msaatree.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

const IID kIidAccessibleTest = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

// Far more than any window of the program shows; a server that loops stops here.
constexpr int kMaxDepth = 16;
constexpr long kMaxChildren = 500;

VARIANT Child(LONG id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring TakeBstr(BSTR b)
{
    std::wstring s = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    SysFreeString(b);
    return s;
}

void Describe(IAccessible* acc, LONG id, AccNode& node)
{
    node.acc = acc;
    node.acc->AddRef();
    node.childId = id;
    VARIANT self = Child(id), out;
    BSTR b = nullptr;
    if (SUCCEEDED(acc->get_accName(self, &b)))
        node.name = TakeBstr(b);
    b = nullptr;
    if (SUCCEEDED(acc->get_accDefaultAction(self, &b)))
        node.action = TakeBstr(b);
    VariantInit(&out);
    if (SUCCEEDED(acc->get_accRole(self, &out)) && out.vt == VT_I4)
        node.role = out.lVal;
    VariantClear(&out);
    if (SUCCEEDED(acc->get_accState(self, &out)) && out.vt == VT_I4)
        node.state = DWORD(out.lVal);
    VariantClear(&out);
    long x = 0, y = 0, w = 0, h = 0;
    if (SUCCEEDED(acc->accLocation(&x, &y, &w, &h, self)))
        node.rc = RECT{x, y, x + w, y + h};
}

void ReadChildren(IAccessible* acc, AccNode& node, int depth)
{
    if (depth >= kMaxDepth)
        return;
    long count = 0;
    if (FAILED(acc->get_accChildCount(&count)) || count <= 0)
        return;
    count = std::min(count, kMaxChildren);
    std::vector<VARIANT> vars(static_cast<size_t>(count));
    long got = 0;
    if (FAILED(AccessibleChildren(acc, 0, count, vars.data(), &got)))
        return;
    for (long i = 0; i < got; ++i) {
        VARIANT& v = vars[size_t(i)];
        AccNode kid;
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            IAccessible* sub = nullptr;
            if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessibleTest, reinterpret_cast<void**>(&sub))) && sub) {
                Describe(sub, CHILDID_SELF, kid);
                ReadChildren(sub, kid, depth + 1);
                sub->Release();
                node.kids.push_back(std::move(kid));
            }
        } else if (v.vt == VT_I4) {
            Describe(acc, v.lVal, kid);
            node.kids.push_back(std::move(kid));
        }
        VariantClear(&v);
    }
}

struct Flag {
    DWORD bit;
    const wchar_t* name;
};
const Flag kStates[] = {
    {STATE_SYSTEM_UNAVAILABLE, L"unavailable"}, {STATE_SYSTEM_SELECTED, L"selected"},
    {STATE_SYSTEM_FOCUSED, L"focused"},         {STATE_SYSTEM_PRESSED, L"pressed"},
    {STATE_SYSTEM_CHECKED, L"checked"},         {STATE_SYSTEM_READONLY, L"readonly"},
    {STATE_SYSTEM_INVISIBLE, L"invisible"},     {STATE_SYSTEM_OFFSCREEN, L"offscreen"},
    {STATE_SYSTEM_FOCUSABLE, L"focusable"},     {STATE_SYSTEM_SELECTABLE, L"selectable"},
    {STATE_SYSTEM_PROTECTED, L"protected"},
};

std::wstring StateText(DWORD state)
{
    std::wstring s;
    for (const auto& f : kStates)
        if (state & f.bit)
            s += (s.empty() ? L"" : L" ") + std::wstring(f.name);
    return s;
}

void Format(const AccNode& n, POINT origin, int depth, std::wostringstream& out)
{
    out << std::wstring(size_t(depth) * 2, L' ') << RoleName(n.role) << L" \"" << n.name << L"\" ["
        << StateText(n.state) << L"] (" << n.rc.left - origin.x << L"," << n.rc.top - origin.y << L" "
        << n.rc.right - n.rc.left << L"x" << n.rc.bottom - n.rc.top << L")";
    if (!n.action.empty())
        out << L" do:" << n.action;
    out << L"\n";
    for (const auto& k : n.kids)
        Format(k, origin, depth + 1, out);
}

bool Inside(const RECT& in, const RECT& out)
{
    return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}

std::wstring Who(const AccNode& n)
{
    return RoleName(n.role) + L" \"" + n.name + L"\"";
}

void Check(const AccNode& n, const AccNode* parent, bool offscreen, const RECT& screen, std::vector<std::wstring>& out)
{
    if (!n.Visible())
        return;
    offscreen = offscreen || (n.state & STATE_SYSTEM_OFFSCREEN);
    if (n.name.empty())
        out.push_back(Who(n) + L" has no name");
    if (n.role == 0)
        out.push_back(Who(n) + L" has no role");
    if (n.role == ROLE_SYSTEM_PUSHBUTTON && n.action.empty())
        out.push_back(Who(n) + L" has no default action");
    if (!offscreen && parent && !Inside(n.rc, parent->rc))
        out.push_back(Who(n) + L" lies outside " + Who(*parent));
    if (!offscreen && !Inside(n.rc, screen))
        out.push_back(Who(n) + L" lies off the screen");
    for (size_t i = 0; i < n.kids.size(); ++i) {
        const AccNode& a = n.kids[i];
        if (!a.Visible() || a.role == ROLE_SYSTEM_LISTITEM)
            continue;
        for (size_t j = i + 1; j < n.kids.size(); ++j) {
            const AccNode& b = n.kids[j];
            if (b.Visible() && a.role == b.role && a.name == b.name)
                out.push_back(L"two of " + Who(a) + L" under " + Who(n));
        }
    }
    for (const auto& k : n.kids)
        Check(k, &n, offscreen, screen, out);
}

void Collect(const AccNode& n, DWORD flags, std::vector<const AccNode*>& out)
{
    if (!n.Visible())
        return;
    if ((n.state & flags) == flags)
        out.push_back(&n);
    for (const auto& k : n.kids)
        Collect(k, flags, out);
}
}  // namespace

AccNode::AccNode(const AccNode& o)
    : name(o.name), action(o.action), role(o.role), state(o.state), rc(o.rc), kids(o.kids), acc(o.acc),
      childId(o.childId)
{
    if (acc)
        acc->AddRef();
}

AccNode& AccNode::operator=(AccNode o)
{
    std::swap(name, o.name);
    std::swap(action, o.action);
    std::swap(role, o.role);
    std::swap(state, o.state);
    std::swap(rc, o.rc);
    std::swap(kids, o.kids);
    std::swap(acc, o.acc);
    std::swap(childId, o.childId);
    return *this;
}

AccNode::~AccNode()
{
    if (acc)
        acc->Release();
}

bool ReadAccTree(HWND hwnd, AccNode& root)
{
    root = AccNode();
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, DWORD(OBJID_CLIENT), kIidAccessibleTest,
                                          reinterpret_cast<void**>(&acc))) ||
        !acc)
        return false;
    Describe(acc, CHILDID_SELF, root);
    ReadChildren(acc, root, 0);
    acc->Release();
    return true;
}

std::wstring RoleName(LONG role)
{
    switch (role) {
    case 0:
        return L"(none)";
    case ROLE_SYSTEM_CLIENT:
        return L"client";
    case ROLE_SYSTEM_WINDOW:
        return L"window";
    case ROLE_SYSTEM_PUSHBUTTON:
        return L"push button";
    case ROLE_SYSTEM_CHECKBUTTON:
        return L"check box";
    case ROLE_SYSTEM_STATICTEXT:
        return L"static text";
    case ROLE_SYSTEM_GRAPHIC:
        return L"graphic";
    case ROLE_SYSTEM_LIST:
        return L"list";
    case ROLE_SYSTEM_LISTITEM:
        return L"list item";
    case ROLE_SYSTEM_PAGETAB:
        return L"page tab";
    case ROLE_SYSTEM_PAGETABLIST:
        return L"page tab list";
    case ROLE_SYSTEM_TEXT:
        return L"editable text";
    case ROLE_SYSTEM_GROUPING:
        return L"grouping";
    case ROLE_SYSTEM_PANE:
        return L"pane";
    default:
        return L"role " + std::to_wstring(role);
    }
}

std::wstring FormatAccTree(const AccNode& root, POINT origin)
{
    std::wostringstream out;
    AccNode shown = root;
    // The pointer's place is no part of what the window shows.
    struct Strip {
        static void Hot(AccNode& n)
        {
            n.state &= ~DWORD(STATE_SYSTEM_HOTTRACKED);
            for (auto& k : n.kids)
                Hot(k);
        }
    };
    Strip::Hot(shown);
    Format(shown, origin, 0, out);
    return out.str();
}

std::vector<std::wstring> CheckAccRules(const AccNode& root)
{
    std::vector<std::wstring> out;
    RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    Check(root, nullptr, false, screen, out);
    return out;
}

const AccNode* FindAcc(const AccNode& root, LONG role, const std::wstring& name)
{
    if (!root.Visible())
        return nullptr;
    if (root.role == role && root.name == name)
        return &root;
    for (const auto& k : root.kids)
        if (const AccNode* f = FindAcc(k, role, name))
            return f;
    return nullptr;
}

std::vector<const AccNode*> FindAccWithState(const AccNode& root, DWORD flags)
{
    std::vector<const AccNode*> out;
    Collect(root, flags, out);
    return out;
}

HRESULT DoDefaultAction(const AccNode& node)
{
    return node.acc ? node.acc->accDoDefaultAction(Child(node.childId)) : E_POINTER;
}

HRESULT TakeFocus(const AccNode& node)
{
    return node.acc ? node.acc->accSelect(SELFLAG_TAKEFOCUS, Child(node.childId)) : E_POINTER;
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::string CompareWithExpected(const std::wstring& path, const std::wstring& text, bool rewrite)
{
    const std::string now = ToUtf8(text);
    if (rewrite) {
        FILE* out = _wfopen(path.c_str(), L"wb");
        bool ok = out && fwrite(now.data(), 1, now.size(), out) == now.size();
        if (out)
            fclose(out);
        return ok ? std::string() : "could not write " + ToUtf8(path);
    }
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in)
        return "no expected file " + ToUtf8(path) + " (run with ACCESS_REWRITE=1 to make it); the tree is:\n" + now;
    std::string was;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof(buf), in)) > 0;)
        was.append(buf, n);
    fclose(in);
    if (was == now)
        return std::string();
    // The first line that differs, then both trees whole: the reviewer reads the change.
    std::istringstream a(was), b(now);
    std::string la, lb;
    int line = 1;
    while (true) {
        bool ga = bool(std::getline(a, la)), gb = bool(std::getline(b, lb));
        if (!ga && !gb)
            break;
        if (!ga || !gb || la != lb)
            break;
        ++line;
    }
    return "the tree differs from " + ToUtf8(path) + " at line " + std::to_string(line) + ":\n  expected: " + la +
           "\n  now:      " + lb + "\nnow:\n" + now;
}
