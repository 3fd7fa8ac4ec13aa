#pragma once
#include <functional>
#include <string>

#include "net/httptransport.h"
#include "shell/threadobject.h"

// One report of the download worker: progress 0 ("下载开始") when it begins,
// 100 ("下载完成") when it ends, successfully or not.
struct DownloadReport {
    int progress = 0;
    std::wstring message;
    // Whether the installer arrived whole; meaningful in the report of 100.
    bool succeeded = false;
};

// Called on the worker thread; the main window hands the report to its UI thread.
using DownloadReporter = std::function<void(const DownloadReport&)>;

// Downloads one URL into one file on a worker thread with a transport of its own.
class DownloadFileThread : public CThreadObject {
public:
    DownloadFileThread() = default;
    // Waits for a running download; the transport's deadlines bound the wait.
    ~DownloadFileThread() override;

    // The setters may only be called while the worker is not running.
    void SetReporter(DownloadReporter reporter) { m_reporter = std::move(reporter); }
    void SetParams(const std::wstring& url, const std::wstring& targetPath);
    void SetLimits(const HttpLimits& limits) { m_limits = limits; }

protected:
    DWORD Run() override;

private:
    void Report(int progress, const wchar_t* message, bool succeeded);

    DownloadReporter m_reporter;
    std::wstring m_url;
    std::wstring m_targetPath;
    HttpLimits m_limits;
};
