#pragma once
#include "engine/core/SApplication.h"
#include "engine/host/SHostWnd.h"

namespace SOUI {

class SDropDownWnd;

// Whoever opens a drop-down window and is told when it goes.
struct ISDropDownOwner {
    virtual SWindow* GetDropDownOwner() = 0;
    virtual void OnCreateDropDown(SDropDownWnd* pDropDown) = 0;
    // Runs while the pop-up's window is being destroyed; GetExitCode tells why.
    virtual void OnDestroyDropDown(SDropDownWnd* pDropDown) = 0;

protected:
    ~ISDropDownOwner() = default;
};

// A top-level pop-up with its own widget tree that never takes activation, so the keyboard
// stays where it was. From construction to destruction it filters the UI thread's messages,
// in the loop it was last shown in.
// Enter ends it with IDOK; Escape, a click outside it, the application losing activation,
// WM_CANCELMODE, the mouse capture taken by another window and a modal loop starting in the
// thread end it with IDCANCEL. It frees itself after its window is gone: create it with new, and
// after EndDropDown (or the owner's OnDestroyDropDown) never touch it again, unless it is kept.
class SDropDownWnd : public SHostWnd, public IMessageFilter {
public:
    using Base = SHostWnd;
    SOUI_CLASS_NAME(SDropDownWnd, L"dropdownwnd")
    explicit SDropDownWnd(ISDropDownOwner* owner);
    ~SDropDownWnd() override;

    // The hidden native pop-up, owned by parent (WS_POPUP, tool window, topmost, empty);
    // nullptr when the window cannot be made. The owner's OnCreateDropDown runs on success.
    HWND CreateDropDown(HWND parent);
    // The first code given sticks and later calls do nothing. Destroys the window (or, when
    // there never was one, tells the owner at once) and the object frees itself.
    void EndDropDown(UINT code = IDCANCEL);
    UINT GetExitCode() const { return m_exitCode; }

    // Kept, ending hides the window instead of destroying it: the owner is told as usual
    // (IsKept() true while it is), and the object stays the owner's, to show again after
    // Reopen() or to free with Discard(). A pop-up that comes back at every search is then
    // not made anew, native window and all.
    void KeepWhenEnded(bool keep) { m_keep = keep; }
    bool IsKept() const { return m_keep && m_hWnd; }
    bool IsEnded() const { return m_ended; }
    // Takes clicks and keys again; the exit code back to IDCANCEL. Nothing if not ended.
    void Reopen();
    // Destroyed for good, kept or not. Not ended yet, it ends as cancelled (the owner is told);
    // ended, the owner is not told again. Never touch it after this.
    void Discard();
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
    void OnFinalMessage(HWND) override;
    void NotifyOwnerDestroyed();
    // The window destroyed (the owner told from WM_DESTROY), or without one the owner told
    // now; the object freed after its last message.
    void Destroy();
    BOOL RouteWheel(WPARAM wp, LPARAM lp);
    BOOL RouteKey(UINT vk);

private:
    ISDropDownOwner* m_owner;
    SWindow* m_focus = nullptr;
    UINT m_exitCode = IDCANCEL;
    bool m_ended = false;
    bool m_keep = false;
    bool m_sendWheelToHover = true;
    int m_depth = 0; // frames of this window's own messages on the stack
};

} // namespace SOUI
