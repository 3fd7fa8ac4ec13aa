#include "appinstance.h"

#include <algorithm>

std::wstring FromHostPath(const wchar_t* variable)
{
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(variable, buf, MAX_PATH);
    std::wstring path(buf, n < MAX_PATH ? n : 0);
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.rfind(L'\\'));
}

AppProcess::AppProcess(const std::wstring& exe, const std::wstring& startDir, const std::wstring& args)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       startDir.empty() ? nullptr : startDir.c_str(), &si, &pi)) {
        KernelHandle thread(pi.hThread);
        m_process = KernelHandle(pi.hProcess);
        m_pid = pi.dwProcessId;
    }
}

AppProcess::~AppProcess()
{
    if (m_process.valid()) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 10000);
    }
}

bool AppProcess::Running() const
{
    return m_process.valid() && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

DWORD AppProcess::WaitExit(DWORD ms) const
{
    DWORD code = STILL_ACTIVE;
    if (m_process.valid() && WaitForSingleObject(m_process.get(), ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_process.get(), &code);
    return code;
}

AppInstallation::AppInstallation(bool withWorkingFolder)
{
    const std::wstring exe = FromHostPath(L"MORAVEL_EXE");
    m_bin = m_root.File(L"bin");
    m_ok = !exe.empty() && CreateDirectoryW(m_bin.c_str(), nullptr) && CreateDirectoryW(StartDir().c_str(), nullptr);
    if (withWorkingFolder)
        m_ok = m_ok && CreateDirectoryW(WorkingDir().c_str(), nullptr);
    for (const wchar_t* file : {L"Moravel.exe", L"render-gdid.dll", L"imgdecoder-gdipd.dll"})
        m_ok = m_ok && CopyFileW((FolderOf(exe) + L"\\" + file).c_str(), (m_bin + L"\\" + file).c_str(), FALSE);
}

AppInstallation::~AppInstallation()
{
    if (m_debugLog)
        SetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", nullptr);
}

std::wstring AppInstallation::ProfileValue(const std::wstring& section, const std::wstring& key) const
{
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buf, 512, Profile().c_str());
    return buf;
}

bool AppInstallation::SetProfileValue(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value) const
{
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), Profile().c_str()) != FALSE;
}

void AppInstallation::KeepDebugLog()
{
    m_debugLog = SetEnvironmentVariableW(L"MORAVEL_DEBUG_LOG", m_root.File(L"debug.log").c_str()) != FALSE;
}
