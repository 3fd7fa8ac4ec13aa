#include "ui/downloadfilethread.h"

DownloadFileThread::~DownloadFileThread()
{
    // Ending the thread forcibly could leave the heap or WinINet locked; the
    // download's own deadline ends it instead.
    Stop(INFINITE);
}

void DownloadFileThread::SetParams(const std::wstring& url, const std::wstring& targetPath)
{
    m_url = url;
    m_targetPath = targetPath;
}

void DownloadFileThread::Report(int progress, const wchar_t* message, bool succeeded)
{
    if (m_reporter)
        m_reporter(DownloadReport{progress, message, succeeded});
}

DWORD DownloadFileThread::Run()
{
    Report(0, L"下载开始", true);
    CHttpTransport transport(m_limits);
    const bool succeeded = transport.DownloadToFile(m_url, m_targetPath, false);
    Report(100, L"下载完成", succeeded);
    return 0;
}
