#pragma once
#include <string>
#include <vector>
#include <pugixml.hpp>
#include "engine/core/IRender.h"
#include "engine/skins/ISkinObj.h"
#include "engine/core/SAttrParse.h"
#include "engine/core/SEventSet.h"
#include "engine/core/SObject.h"

struct IAccessible;

namespace SOUI {

class SHostWnd;
class SAccessible;

// A windowless widget: a node of the host window's tree with its own rectangle, look and events.
class SWindow : public SObject {
public:
    using Base = SObject;
    SOUI_CLASS_NAME(SWindow, L"window")
    static int GetClassType() { return Window; }
    int GetObjectType() const override { return Window; }

    SWindow();
    ~SWindow() override;
    SWindow(const SWindow&) = delete;
    SWindow& operator=(const SWindow&) = delete;

    // Tree. Children are owned by their parent.
    SWindow* GetParent() const { return m_parent; }
    const std::vector<SWindow*>& GetChildren() const { return m_children; }
    void InsertChild(SWindow* child);
    // Deletes the child and its subtree; false when it is not a child.
    bool DestroyChild(SWindow* child);
    // Events that nobody handles here go to the owner; without one, to the parent.
    SWindow* GetOwner() const { return m_owner; }
    void SetOwner(SWindow* owner) { m_owner = owner; }
    SHostWnd* GetHostWnd() const { return m_host; }
    void SetHostWnd(SHostWnd* host);  // the whole subtree

    // Depth -1: the whole subtree. nullptr when absent (an empty name is never found).
    SWindow* FindChildByName(const std::wstring& name, int depth = -1) const;
    // Widgets named in the named-id table carry that number; 0 is never found.
    SWindow* FindChildByID(int id, int depth = -1) const;
    template <class T> T* FindChildByName2(const std::wstring& name, int depth = -1) const
    {
        return dynamic_cast<T*>(FindChildByName(name, depth));
    }
    template <class T> T* FindChildByID2(int id, int depth = -1) const
    {
        return dynamic_cast<T*>(FindChildByID(id, depth));
    }

    // Layout. Unknown elements and attributes are reported and skipped.
    BOOL InitFromXml(pugi::xml_node node) override;
    virtual BOOL CreateChildren(pugi::xml_node node);
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;

    virtual std::wstring GetWindowTextW() const { return m_text; }
    virtual void SetWindowTextW(const std::wstring& text);

    DWORD GetState() const { return m_state; }
    DWORD ModifyState(DWORD add, DWORD remove, BOOL update = FALSE);
    BOOL IsVisible(BOOL checkParent = FALSE) const;
    virtual void SetVisible(BOOL visible, BOOL update = TRUE);
    BOOL IsDisabled(BOOL checkParent = FALSE) const;
    virtual void EnableWindow(BOOL enable, BOOL update = TRUE);
    BOOL IsChecked() const { return (m_state & WndState_Check) != 0; }
    void SetCheck(BOOL check);

    // Rectangles are in the host window's client coordinates.
    void GetWindowRect(RECT* rc) const { *rc = m_rc; }
    RECT GetWindowRect() const { return m_rc; }
    void GetClientRect(RECT* rc) const;  // inside the margin
    RECT GetClientRect() const;
    void Move(const RECT& rc);
    virtual SIZE GetDesiredSize();
    // Places every child from its "pos" inside the client rectangle.
    virtual void UpdateChildrenPosition();
    // Recomputes this widget's place from its parent, then its children.
    void RequestRelayout();

    ULONG_PTR GetUserData() const { return m_userData; }
    ULONG_PTR SetUserData(ULONG_PTR data);
    std::wstring GetToolTipText() const { return m_tip; }

    SEventSet* GetEventSet() { return &m_evtSet; }
    // Runs this widget's handlers; unhandled, the event goes to the owner (or parent) and at
    // the top to the host window's event map. True when someone handled it.
    virtual BOOL FireEvent(EventArgs* evt);
    BOOL FireCommand();

    void Invalidate();
    void InvalidateRect(const RECT& rc);
    void PaintTree(IRenderTarget* rt, const RECT& dirty);
    virtual void OnPaint(IRenderTarget* rt);
    void DrawBackground(IRenderTarget* rt);
    virtual void DrawTextW(IRenderTarget* rt, const wchar_t* text, int len, RECT* rc, UINT format);
    IFont* GetFont();
    COLORREF GetTextColor() const;
    UINT GetTextFormat() const { return m_textFormat; }
    ISkinObj* GetSkin() const { return m_skin; }
    void SetSkin(ISkinObj* skin);
    COLORREF GetBkgndColor() const { return m_crBkgnd; }

    // The deepest visible widget under pt (host client coordinates), or nullptr.
    virtual SWindow* SwndFromPoint(POINT pt);
    virtual void OnMouseHover();
    // Also when the mouse moved onto a child: the host's GetHoverWidget() says where it went.
    virtual void OnMouseLeave();
    virtual void OnLButtonDown(POINT pt);
    virtual void OnLButtonUp(POINT pt);
    virtual void OnMouseMove(POINT) {}
    // delta as in WM_MOUSEWHEEL (positive: away from the user). FALSE passes the wheel on to
    // the parent; the host starts at the widget under the mouse.
    virtual BOOL OnMouseWheel(int delta);
    // A key pressed while this widget is its host's focus widget; FALSE: not used.
    virtual BOOL OnKeyDown(UINT vk);
    // nullptr: the host's arrow.
    virtual HCURSOR GetCursor() const;
    virtual LRESULT SSendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
    // Makes this the host's focus widget (it gets OnKeyDown) and gives the host the native focus.
    virtual void SetFocus();
    // A stop of Tab and Shift+Tab ("focusable"); buttons and edits are by default.
    bool IsFocusable() const { return m_focusable; }
    void SetFocusable(bool focusable) { m_focusable = focusable; }
    // True while this is its host's focus widget and the host holds the keyboard.
    bool HasKeyboardFocus() const;

    // Hooks for widgets with native parts (the edit).
    virtual void OnHostCreated() {}
    virtual void OnPlacementChanged() {}
    // The host's DPI changed; the new places follow. Widgets holding scaled things redo them.
    virtual void OnScaleChanged() {}

    // The host window's DPI (96 without a host) and a 96-dpi length of the layout at it.
    int GetDpi() const;
    int Scaled(int value) const;

    // Where "pos", "width" and "height" put this widget inside a parent's client rectangle.
    RECT CalcPosition(const RECT& parentClient);

    // Accessibility (engine/widgets/SWindowAccess.cpp). The role of this widget's own object;
    // 0: it has none and its children stand in its place (a plain container). The layout's
    // "accRole" overrides the class's role, "accName" the name the widget would show.
    LONG GetAccRole() const;
    std::wstring GetAccName() const;
    // False when the widget has no value; an edit's value is its text.
    virtual bool GetAccValue(std::wstring&) const { return false; }
    virtual DWORD GetAccState() const;
    // Where its object is, in screen pixels.
    virtual RECT GetAccScreenRect() const;
    // Empty when there is none.
    virtual std::wstring GetAccDefaultAction() const { return L""; }
    // Does it now; the host runs it after the client's call has returned.
    virtual void DoAccDefaultAction() {}
    // SELFLAG_TAKESELECTION; false when the widget cannot be selected.
    virtual bool AccTakeSelection() { return false; }
    virtual SWindow* GetAccSelection() const { return nullptr; }
    // The widgets whose objects are this one's children, in layout order (hidden ones left out).
    virtual void GetAccChildren(std::vector<SWindow*>& out) const;
    // The nearest ancestor with an object of its own; nullptr for the host's root.
    SWindow* GetAccParent() const;
    // This widget when it has an object of its own, else the nearest ancestor that has.
    SWindow* GetAccObjectWidget();
    // Unique in the process and positive; events name the widget by its negation.
    LONG GetAccId() const { return m_accId; }
    // The descendant with that id among the accessible children, at any depth; nullptr if none.
    SWindow* FindAccDescendant(LONG id) const;
    // Made on first use and kept until the widget goes; the caller gets a reference of its own.
    IAccessible* GetAccessible();
    // A WinEvent for this widget's object (or the nearest ancestor that has one), when its host
    // window exists and shows.
    void NotifyAccEvent(DWORD event);

protected:
    void NotifyPlacement();  // the subtree, after a move or a visibility change
    // The class's role and name, where the layout gives none.
    virtual LONG DefaultAccRole() const;
    virtual std::wstring DefaultAccName() const;
    static LONG NextAccId();
    static bool ParseAccRole(const std::wstring& v, LONG& role);
    void ReleaseAccessible();
    void DrawFocusCue(IRenderTarget* rt);
    bool IsAnchoredLayout() const { return !m_pos.empty(); }

    SWindow* m_parent = nullptr;
    SWindow* m_owner = nullptr;
    SHostWnd* m_host = nullptr;
    std::vector<SWindow*> m_children;
    std::wstring m_text;
    std::wstring m_tip;
    DWORD m_state = 0;
    bool m_visible = true;
    bool m_msgTransparent = false;
    bool m_handCursor = false;
    bool m_focusable = false;
    bool m_drawFocusRect = true;  // "drawFocusRect": the dotted frame of the focus cue
    RECT m_rc = {0, 0, 0, 0};
    RECT m_margin = {0, 0, 0, 0};
    std::vector<SPosItem> m_pos;
    int m_width = -1, m_height = -1;  // -1: from the content
    COLORREF m_crBkgnd = CR_INVALID;
    COLORREF m_crBorder = CR_INVALID;
    COLORREF m_crText[4] = {RGBA(0, 0, 0, 255), CR_INVALID, CR_INVALID, CR_INVALID};
    UINT m_textFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    SFontSpec m_font;
    SFontSpec m_fontHover;  // applied over m_font while hovered
    bool m_hasFontHover = false;
    SAutoRefPtr<ISkinObj> m_skin;
    ULONG_PTR m_userData = 0;
    SEventSet m_evtSet;
    std::wstring m_accName;
    LONG m_accRole = -1;  // -1: the class's
    LONG m_accId;
    SAccessible* m_acc = nullptr;
};

}  // namespace SOUI
