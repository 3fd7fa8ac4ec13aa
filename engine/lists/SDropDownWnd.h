#pragma once
#include "engine/core/SApplication.h"
#include "engine/host/SHostWnd.h"

namespace SOUI {

class SDropDownWnd;

// Whoever opens a drop-down window and is told when a showing of it ends.
struct ISDropDownOwner {
    virtual SWindow* GetDropDownOwner() = 0;
    virtual void OnCreateDropDown(SDropDownWnd* pDropDown) = 0;
    // A showing ended (GetExitCode tells why): the window is hidden, or being destroyed.
    virtual void OnDestroyDropDown(SDropDownWnd* pDropDown) = 0;

protected:
    ~ISDropDownOwner() = default;
};

// A top-level pop-up with its own widget tree that never takes activation, so the keyboard
// stays where it was. An object like any window's: whoever makes it deletes it, and its window,
// made once, may be shown any number of times. From construction to destruction it filters the
// UI thread's messages, in the loop it was last shown in.
// A showing starts when the window is shown and ends with a code: IDOK on Enter; IDCANCEL on
// Escape, a click outside it, the application losing activation, WM_CANCELMODE, the mouse
// capture taken by another window, a modal loop starting in the thread, the window hidden or
// destroyed by someone else. Ending hides the window and tells the owner once.
class SDropDownWnd : public SHostWnd, public IMessageFilter {
public:
    using Base = SHostWnd;
    SOUI_CLASS_NAME(SDropDownWnd, L"dropdownwnd")
    explicit SDropDownWnd(ISDropDownOwner* owner);
    // Tells the owner nothing: whoever deletes it is its owner.
    ~SDropDownWnd() override;

    // The hidden native pop-up, owned by parent (WS_POPUP, tool window, topmost, empty);
    // nullptr when the window cannot be made. The owner's OnCreateDropDown runs on success.
    HWND CreateDropDown(HWND parent);
    // Ends the showing: the first code given sticks, later calls do nothing until it is shown again.
    void EndDropDown(UINT code = IDCANCEL);
    UINT GetExitCode() const { return m_exitCode; }
    // Shown, and the showing not ended yet.
    bool IsDroppedDown() const { return m_dropped; }
    ISDropDownOwner* GetOwnerInterface() const { return m_owner; }

    // The widget that gets the arrow keys and, without a widget under the mouse, the wheel.
    void SetFocusWidget(SWindow* w) { m_focus = w; }
    SWindow* GetFocusWidget() const { return m_focus; }

    BOOL InitFromXml(pugi::xml_node soui) override;
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnModalLoopStart() override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL RouteWheel(WPARAM wp, LPARAM lp);
    BOOL RouteKey(UINT vk);

private:
    ISDropDownOwner* m_owner;
    SWindow* m_focus = nullptr;
    UINT m_exitCode = IDCANCEL;
    bool m_dropped = false;
    bool m_sendWheelToHover = true;
};

}  // namespace SOUI
