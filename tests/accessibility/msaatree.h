#pragma once
// A window's MSAA tree read the way an assistive tool reads it (oleacc's
// AccessibleObjectFromWindow and AccessibleChildren, from this process or another), written
// out as text, checked with rules, and searched for the object to act on.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

// IID_IAccessible: the import library's symbol is a thunk under static mingw linking.
extern const IID kIidAccessibleTest;

// One object of the tree, with what it reads as and how to reach it again.
struct AccNode {
    std::wstring name;
    std::wstring action;  // the default action's name
    LONG role = 0;
    DWORD state = 0;
    RECT rc = {0, 0, 0, 0};  // screen pixels
    std::vector<AccNode> kids;
    // The object (held) and the child id of this node in it (CHILDID_SELF for a full object).
    IAccessible* acc = nullptr;
    LONG childId = CHILDID_SELF;

    AccNode() = default;
    AccNode(const AccNode& o);
    AccNode& operator=(AccNode o);
    ~AccNode();
    bool Visible() const { return !(state & STATE_SYSTEM_INVISIBLE); }
};

// The client object of `hwnd` and everything under it (bounded in depth and breadth, so a
// broken server cannot hold the reader); false when the window gives no object.
bool ReadAccTree(HWND hwnd, AccNode& root);

// One line per object, indented by depth: role, "name", [states], (x,y w×h) relative to
// `origin` (the window's top-left). The mouse's "hot" state is left out: it is where the
// pointer happens to be, not what the window shows.
std::wstring FormatAccTree(const AccNode& root, POINT origin);
std::wstring RoleName(LONG role);

// The rules every shown tree keeps; each broken one is a line naming the object.
//   every visible object has a name; no two visible siblings share name and role (items of
//   a list may: equal entries are told apart by place); an object lies inside its parent
//   (objects marked offscreen are exempt) and on the screen; a push button has a default action.
std::vector<std::wstring> CheckAccRules(const AccNode& root);

// The first visible object (depth first) with that role and name; nullptr when none.
const AccNode* FindAcc(const AccNode& root, LONG role, const std::wstring& name);
// Every visible object whose state has `flags` (all of them), depth first.
std::vector<const AccNode*> FindAccWithState(const AccNode& root, DWORD flags);

// The node's default action and SELFLAG_TAKEFOCUS, through its object.
HRESULT DoDefaultAction(const AccNode& node);
HRESULT TakeFocus(const AccNode& node);

// The file's bytes as UTF-8 text compared with `text`; written instead when `rewrite`.
// Returns "" when equal (or written), else a unified-looking description of the first change.
std::string CompareWithExpected(const std::wstring& path, const std::wstring& text, bool rewrite);
std::string ToUtf8(const std::wstring& text);
