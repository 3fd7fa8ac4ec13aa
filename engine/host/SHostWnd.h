#pragma once
#include <string>
#include <vector>
#include <pugixml.hpp>
#include "engine/host/CSimpleWnd.h"
#include "engine/core/EventArgs.h"
#include "engine/core/IRender.h"
#include "engine/core/SEventSet.h"
#include "engine/core/SObject.h"
#include "engine/widgets/SWindow.h"

namespace SOUI {

class SEdit;

// A native top-level window showing a widget tree built from a layout, painted through one
// 32-bit back buffer. Layered (per-pixel alpha) when the layout says translucent="1".
class SHostWnd : public CSimpleWnd, public SObject, public IEventHandler {
public:
    using Base = SObject;
    SOUI_CLASS_NAME(SHostWnd, L"hostwnd")

    // layoutResId: "LAYOUT:NAME"; may be empty when SetLayoutXml gives the layout instead.
    explicit SHostWnd(const wchar_t* layoutResId = L"");
    ~SHostWnd() override;

    // Takes the layout from XML text (UTF-8) or a node instead of the resource; false when not XML.
    BOOL SetLayoutXml(const char* utf8);
    BOOL SetLayoutXml(pugi::xml_node soui);
    // cx/cy 0: the layout's width and height. nullptr (with a diagnostic line) when the layout
    // does not load or the window cannot be made.
    HWND Create(HWND owner, DWORD style = 0, DWORD exStyle = 0, int x = 0, int y = 0, int cx = 0, int cy = 0);
    // Rebuilds the tree of an existing window from a layout node.
    BOOL InitFromXml(pugi::xml_node soui) override;
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;

    SWindow* GetRoot() const { return m_root; }
    SWindow* FindChildByName(const std::wstring& name, int depth = -1) const;
    SWindow* FindChildByID(int id, int depth = -1) const;
    template <class T> T* FindChildByName2(const std::wstring& name, int depth = -1) const
    {
        return dynamic_cast<T*>(FindChildByName(name, depth));
    }
    template <class T> T* FindChildByID2(int id, int depth = -1) const
    {
        return dynamic_cast<T*>(FindChildByID(id, depth));
    }

    // The event map: handlers added here are tried in order; the first that returns true
    // handles the event. Derived windows override OnEvent (or use EVENT_MAP_BEGIN).
    bool OnEvent(EventArgs* evt) override;
    void AddEventHandler(int evtId, const std::wstring& senderName, EventHandler handler);
    void AddEventHandler(int evtId, int senderId, EventHandler handler);
    // Where unhandled widget events end up.
    BOOL OnFireEvent(EventArgs* evt);

    // WM_TIMER with the id reaches ProcessWindowMessage.
    BOOL SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);

    BOOL IsTranslucent() const { return m_translucent; }
    bool EndsMessageLoop() const { return m_appWnd; }
    void InvalidateRect(const RECT& rc);
    // Paints what is dirty now instead of at the next paint message.
    void UpdateNow();
    // What waits to be painted; empty when the window shows what it holds.
    RECT GetDirtyRect() const { return m_dirty; }
    IRenderTarget* GetRenderTarget() const { return m_rt; }

    // The DPI this window lays itself out and draws at (96 = 100 %): the window's own, taken
    // when it is made and when it moves to a monitor of another scale.
    int GetDpi() const { return m_dpi; }
    // Lays the tree out again at dpi (fonts, native edits and the render target follow) and
    // keeps the window's size; a pop-up placed for another window's monitor takes that DPI.
    void SetDpi(int dpi);
    // A 96-dpi length at this window's DPI.
    int Scaled(int value) const;

    // The widget under the mouse. While a widget's OnMouseLeave runs it is already the one the
    // mouse moved onto (nullptr: none), so a row can tell "onto my button" from "out of me".
    SWindow* GetHoverWidget() const { return m_hover; }

    // The widget that gets the keys while this window has the native focus; nullptr: none.
    // Only records it: SWindow::SetFocus also moves the native focus. It is also the widget
    // the keyboard goes back to when the window is activated again.
    void SetFocusedWidget(SWindow* w);
    SWindow* GetFocusedWidget() const { return m_focus; }

    // Dialog keys. Enter presses the focused button, else the default button; Escape presses
    // the cancel button; Space presses the focused button; Tab and Shift+Tab move the focus.
    // Without one set, the default button is the widget numbered IDOK and the cancel button
    // the one numbered IDCANCEL. nullptr given here means none.
    void SetDefaultButton(SWindow* w);
    void SetCancelButton(SWindow* w);
    SWindow* GetDefaultButton() const;
    SWindow* GetCancelButton() const;
    // TRUE when the key was one of these and is used up; also called by the native edits.
    BOOL OnDialogKey(UINT vk, bool repeat = false);
    // The Tab stops in layout order: focusable, visible and enabled widgets.
    std::vector<SWindow*> GetTabOrder() const;
    // Next (or previous) Tab stop after the focus widget, wrapping around; FALSE: none.
    BOOL MoveFocus(bool backwards);
    // The keyboard back to the widget that had it, else to the first Tab stop.
    void RestoreFocus();

    // Runs the default action of the widget with that accessibility id once the current
    // message is over (a client's call must not wait for it); false when it cannot be posted.
    BOOL PostAccAction(LONG accId);

    // Bookkeeping for widgets.
    void OnWidgetDestroyed(SWindow* w);
    void OnWidgetHidden(SWindow* w);
    void AddNativeEdit(SEdit* e);
    // Pop-up edits of a translucent host back on top, once the current message is over.
    void RaiseNativeEditsLater();
    void RemoveNativeEdit(SEdit* e);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void BuildTree(pugi::xml_node soui);
    void Render(const RECT& rc);
    void UpdateLayered();
    void SetHover(SWindow* w);
    void UpdateTooltip();
    void OnMouseMessage(UINT msg, POINT pt);
    BOOL RouteWheel(int delta, POINT screenPt);
    BOOL RouteKey(UINT vk);
    LRESULT HitTestFrame(POINT screenPt);
    void OnDpiChanged(int dpi, const RECT* suggested);

    std::wstring m_layoutId;
    pugi::xml_document m_layout;
    SWindow* m_root = nullptr;
    SAutoRefPtr<IRenderTarget> m_rt;
    RECT m_dirty = {0, 0, 0, 0};
    int m_dpi = 96;
    bool m_updatePosted = false;
    SWindow* m_hover = nullptr;
    SWindow* m_capture = nullptr;
    SWindow* m_focus = nullptr;
    SWindow* m_defaultButton = nullptr;
    SWindow* m_cancelButton = nullptr;
    bool m_defaultSet = false, m_cancelSet = false;
    bool m_restoreFocusOnSize = false;
    bool m_trackingLeave = false;
    HWND m_tooltip = nullptr;
    SWindow* m_tipOwner = nullptr;
    std::vector<SEdit*> m_edits;
    HICON m_bigIcon = nullptr, m_smallIcon = nullptr;

    // From the layout's root element.
    std::wstring m_title;
    int m_width = 0, m_height = 0;
    bool m_appWnd = false;
    bool m_resizable = false;
    bool m_toolWindow = false;
    bool m_translucent = false;
    // The shadow band along the window's edges: where a resizable window is grabbed. It does
    // not move the root's children; the layouts place their panel inside it themselves.
    RECT m_margin = {0, 0, 0, 0};
    std::wstring m_bigIconName, m_smallIconName;

    struct Handler {
        int evtId;
        bool byName;
        std::wstring name;
        int id;
        EventHandler fn;
    };
    std::vector<Handler> m_handlers;
};

}  // namespace SOUI

// Event maps for host windows; the class declares `using Base = SHostWnd;` (or its base window).
#define EVENT_MAP_BEGIN()                        \
public:                                          \
    bool OnEvent(SOUI::EventArgs* pEvt) override \
    {
#define EVENT_NAME_COMMAND(name, func)                                \
    if (pEvt->GetID() == SOUI::EVT_CMD && pEvt->nameFrom == (name)) { \
        func();                                                       \
        return true;                                                  \
    }
#define EVENT_ID_COMMAND(id, func)                                \
    if (pEvt->GetID() == SOUI::EVT_CMD && pEvt->idFrom == (id)) { \
        func();                                                   \
        return true;                                              \
    }
#define EVENT_NAME_HANDLER(name, evtId, func)                      \
    if (pEvt->GetID() == int(evtId) && pEvt->nameFrom == (name)) { \
        func(pEvt);                                                \
        return true;                                               \
    }
#define EVENT_ID_HANDLER(id, evtId, func)                      \
    if (pEvt->GetID() == int(evtId) && pEvt->idFrom == (id)) { \
        func(pEvt);                                            \
        return true;                                           \
    }
#define EVENT_MAP_END()         \
    return Base::OnEvent(pEvt); \
    }
