#pragma once
#include <string>

#include "engine/core/EventArgs.h"
#include "ui/downloadfilethread.h"

namespace SOUI {
class SObject;
}

// What the download worker tells the UI thread. Each event class has an id of its own,
// apart from the search control's (10030000 and 10030001).
constexpr int kEventThreadId = 10030010;
constexpr int kEventThreadStartId = 10030011;
constexpr int kEventThreadStopId = 10030012;

class EventThread : public SOUI::TplEventArgs<EventThread> {
public:
    enum { EventID = kEventThreadId };
    static const wchar_t* EventName() { return L"on_event_thread"; }
    explicit EventThread(SOUI::SObject* sender) : TplEventArgs(sender) {}

    int nProgress = 0;        // 0 when the download begins, 100 when it has ended
    std::wstring pszMessage;  // "下载开始" or "下载完成"
    // Whether the installer arrived whole; only a successful download may be offered.
    bool succeeded = false;
};

class EventThreadStart : public SOUI::TplEventArgs<EventThreadStart> {
public:
    enum { EventID = kEventThreadStartId };
    static const wchar_t* EventName() { return L"on_event_thread_start"; }
    explicit EventThreadStart(SOUI::SObject* sender) : TplEventArgs(sender) {}
};

// kEventThreadStopId is raised by nothing; the main window accepts it without action.

// A reporter for DownloadFileThread that hands every report to the UI thread as an
// EventThread from `sender`, through the notify centre (which must outlive the worker).
// A report the centre cannot queue is dropped.
DownloadReporter NotifyCenterReporter(SOUI::SObject* sender);
