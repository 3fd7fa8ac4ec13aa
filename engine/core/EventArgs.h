#pragma once
#include <string>
#include "engine/core/SObjRef.h"

namespace SOUI {

class SObject;

enum {
    EVT_KILLFOCUS = 8,  // a widget lost the keyboard; raised on its own event set only
    EVT_CMD = 10000,    // click on a button (and any widget that raises a command)
    EVT_TAB_SELCHANGED = 10020,
    EVT_RE_NOTIFY = 16000,  // edit notification; iNotify carries EN_CHANGE
};

// An event raised by a widget (or a window object). Reference-counted so that it can travel
// to the UI thread; one on the stack must not be given to FireEventAsync.
class EventArgs : public TObjRefImpl<IObjRef> {
public:
    explicit EventArgs(SObject* pSender);
    ~EventArgs() override = default;
    virtual int GetID() const = 0;
    virtual const wchar_t* GetName() const = 0;

    SObject* sender;
    int idFrom;
    std::wstring nameFrom;
    bool bubbleUp = true;  // cleared by a handler that wants to stop the event
    int handled = 0;       // number of handlers that reported it handled
};

// Event classes derive from TplEventArgs<Self> and declare
//   enum { EventID = N }; static const wchar_t* EventName() { return L"on_..."; }
template <class T> class TplEventArgs : public EventArgs {
public:
    explicit TplEventArgs(SObject* pSender) : EventArgs(pSender) {}
    int GetID() const override { return T::EventID; }
    const wchar_t* GetName() const override { return T::EventName(); }
};

class EventCmd : public TplEventArgs<EventCmd> {
public:
    enum { EventID = EVT_CMD };
    static const wchar_t* EventName() { return L"on_command"; }
    explicit EventCmd(SObject* pSender) : TplEventArgs(pSender) {}
};

class EventRENotify : public TplEventArgs<EventRENotify> {
public:
    enum { EventID = EVT_RE_NOTIFY };
    static const wchar_t* EventName() { return L"on_richedit_notify"; }
    EventRENotify(SObject* pSender, unsigned code) : TplEventArgs(pSender), iNotify(code) {}
    unsigned iNotify;
};

class EventKillFocus : public TplEventArgs<EventKillFocus> {
public:
    enum { EventID = EVT_KILLFOCUS };
    static const wchar_t* EventName() { return L"on_kill_focus"; }
    explicit EventKillFocus(SObject* pSender) : TplEventArgs(pSender) { bubbleUp = false; }
};

class EventTabSelChanged : public TplEventArgs<EventTabSelChanged> {
public:
    enum { EventID = EVT_TAB_SELCHANGED };
    static const wchar_t* EventName() { return L"on_tab_sel_changed"; }
    EventTabSelChanged(SObject* pSender, int oldSel, int newSel)
        : TplEventArgs(pSender), uOldSel(oldSel), uNewSel(newSel)
    {}
    int uOldSel, uNewSel;
};

// Something that takes events as a window's event map does (host windows, the notify centre's
// listeners). True: handled.
struct IEventHandler {
    virtual bool OnEvent(EventArgs* pEvt) = 0;

protected:
    ~IEventHandler() = default;
};

}  // namespace SOUI
