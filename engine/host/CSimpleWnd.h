#pragma once
#include <windows.h>
#include <string>

namespace SOUI {

// A native window whose messages reach a C++ object (kept in GWLP_USERDATA).
class CSimpleWnd {
public:
    CSimpleWnd() = default;
    virtual ~CSimpleWnd();
    CSimpleWnd(const CSimpleWnd&) = delete;
    CSimpleWnd& operator=(const CSimpleWnd&) = delete;

    // A window class whose windows reach their CSimpleWnd; true when registered already.
    static bool RegisterHostClass(HINSTANCE hInst, const wchar_t* className);
    // Registers the class every host window of the process is made with, and keeps its name.
    static bool SetHostClass(HINSTANCE hInst, const wchar_t* className);
    // "SOUIHOST" until SetHostClass names another.
    static const std::wstring& GetHostClassName();
    static CSimpleWnd* FromHwnd(HWND hwnd);

    HWND CreateNative(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int cx,
                      int cy, HWND parent);
    BOOL DestroyWindow();
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    LRESULT SendMessageW(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessageW(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    BOOL GetWindowRect(RECT* rc) const { return ::GetWindowRect(m_hWnd, rc); }
    BOOL GetClientRect(RECT* rc) const { return ::GetClientRect(m_hWnd, rc); }
    BOOL SetWindowTextW(const wchar_t* text) { return ::SetWindowTextW(m_hWnd, text); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    // Centres on hWndCenter; with none (or this window itself), on the owner, else on the work area.
    BOOL CenterWindow(HWND hWndCenter = nullptr);

    // Inside a message handler: FALSE lets the message go on to the engine's own handling.
    void SetMsgHandled(BOOL handled) { m_msgHandled = handled; }
    BOOL IsMsgHandled() const { return m_msgHandled; }

    // The message map of derived windows; TRUE when handled, with the result in lResult.
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& lResult);

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // After WM_NCDESTROY, once every message of this object on the stack has returned; the
    // window handle is gone. The object may delete itself here.
    virtual void OnFinalMessage(HWND) {}
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    BOOL m_msgHandled = FALSE;

private:
    // One per WndProc call running for this object, innermost first; the destructor clears
    // `alive` in each so that the outer calls leave a deleted object alone.
    struct Frame {
        Frame* outer;
        bool alive;
    };
    Frame* m_frames = nullptr;
    HWND m_finalHwnd = nullptr;  // set by WM_NCDESTROY until OnFinalMessage runs
};

}  // namespace SOUI

// Message maps in the style of ATL, for ProcessWindowMessage.
#define BEGIN_MSG_MAP_EX(cls)                                                                                \
public:                                                                                                      \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override \
    {                                                                                                        \
        (void)hWnd;                                                                                          \
        (void)wParam;                                                                                        \
        (void)lParam;                                                                                        \
        (void)lResult;
#define MESSAGE_HANDLER_EX(msg, func)         \
    if (uMsg == (msg)) {                      \
        SetMsgHandled(TRUE);                  \
        lResult = func(uMsg, wParam, lParam); \
        if (IsMsgHandled())                   \
            return TRUE;                      \
    }
#define MSG_WM_TIMER(func)   \
    if (uMsg == WM_TIMER) {  \
        SetMsgHandled(TRUE); \
        func(wParam);        \
        lResult = 0;         \
        if (IsMsgHandled())  \
            return TRUE;     \
    }
#define MSG_WM_INITDIALOG(func)                                          \
    if (uMsg == WM_INITDIALOG) {                                         \
        SetMsgHandled(TRUE);                                             \
        lResult = LRESULT(func(reinterpret_cast<HWND>(wParam), lParam)); \
        if (IsMsgHandled())                                              \
            return TRUE;                                                 \
    }
#define MSG_WM_CLOSE(func)   \
    if (uMsg == WM_CLOSE) {  \
        SetMsgHandled(TRUE); \
        func();              \
        lResult = 0;         \
        if (IsMsgHandled())  \
            return TRUE;     \
    }
#define MSG_WM_COMMAND(func)                                                             \
    if (uMsg == WM_COMMAND) {                                                            \
        SetMsgHandled(TRUE);                                                             \
        func(UINT(HIWORD(wParam)), int(LOWORD(wParam)), reinterpret_cast<HWND>(lParam)); \
        lResult = 0;                                                                     \
        if (IsMsgHandled())                                                              \
            return TRUE;                                                                 \
    }
#define CHAIN_MSG_MAP(base)                                              \
    if (base::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) \
        return TRUE;
#define END_MSG_MAP() \
    return FALSE;     \
    }
