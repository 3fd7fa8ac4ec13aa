#pragma once
#include <richedit.h>
#include "engine/core/SHandles.h"
#include "engine/widgets/SWindow.h"

namespace SOUI {

// Text input through a native Unicode EDIT window kept over the widget's rectangle (real caret,
// selection, clipboard and IME). In a layered host it is an owned pop-up, since a layered
// window does not show child windows. Every change raises EventRENotify with EN_CHANGE.
class SEdit : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SEdit, L"edit")
    SEdit();
    ~SEdit() override;

    std::wstring GetWindowTextW() const override;
    void SetWindowTextW(const std::wstring& text) override;
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    // EM_SETEVENTMASK / EM_GETEVENTMASK are kept here (ENM_CHANGE gates the change event);
    // everything else goes to the native window.
    LRESULT SSendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) override;
    void SetFocus() override;
    // The native window lies over the widget and takes its own clicks; one that reaches the
    // host means the window was covered (raised above the host only after an activation):
    // it comes up and takes the keyboard all the same.
    void OnLButtonDown(POINT pt) override;
    void OnPaint(IRenderTarget* rt) override;

    HWND GetNativeWnd() const { return m_hEdit; }
    void OnHostCreated() override;
    void OnPlacementChanged() override;
    void OnScaleChanged() override;
    void OnNativeCommand(UINT code);
    HBRUSH OnCtlColor(HDC hdc);
    void OnNativeDestroyed();
    // Puts a pop-up edit back above its host; Wine raises a host over its own pop-ups
    // when a click activates it, and the edit then vanishes behind.
    void RaiseAboveHost();

    // Read through the native window: its text, its keyboard focus, its place. The native
    // window answers for this object too, named by the cue text.
    bool GetAccValue(std::wstring& out) const override;
    DWORD GetAccState() const override;
    RECT GetAccScreenRect() const override;

protected:
    LONG DefaultAccRole() const override;
    std::wstring DefaultAccName() const override { return m_cue; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    RECT NativeRect() const;
    void PaintCue(HWND hwnd);

    HWND m_hEdit = nullptr;
    bool m_popup = false;
    bool m_paintCue = false;
    std::wstring m_cue;
    bool m_password = false;
    bool m_readOnly = false;
    bool m_number = false;
    bool m_multiLine = false;
    int m_maxLength = 0;
    RECT m_inset = {4, 0, 4, 0};
    DWORD m_eventMask = ENM_CHANGE;
    COLORREF m_crCue = RGBA(0xA0, 0xA0, 0xA0, 255);
    SGdiObject<HBRUSH> m_brush;
};

}  // namespace SOUI
