#include "appinstance.h"

#include <algorithm>
#include <cstdio>
#include <vector>

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

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

namespace {

// One OutputDebugString of the debuggee, as UTF-8 without its line end.
std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info)
{
    const size_t unit = info.fUnicode ? 2 : 1;
    std::string bytes(static_cast<size_t>(info.nDebugStringLength) * unit, '\0');
    SIZE_T got = 0;
    if (bytes.empty() || !ReadProcessMemory(process, info.lpDebugStringData, &bytes[0], bytes.size(), &got))
        return {};
    bytes.resize(got);
    std::wstring text;
    if (info.fUnicode) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    } else {
        text.resize(bytes.size());
        text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                        static_cast<int>(text.size())));
    }
    while (!text.empty() && (text.back() == L'\0' || text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return Utf8(text);
}

}  // namespace

AppProcess::AppProcess(const std::wstring& exe, const std::wstring& startDir, const std::wstring& args,
                       const std::wstring& debugLog)
{
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    auto start = [=](DWORD flags, PROCESS_INFORMATION& pi) {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring line = cmd;
        return CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                              startDir.empty() ? nullptr : startDir.c_str(), &si, &pi) != FALSE;
    };
    PROCESS_INFORMATION pi = {};
    if (debugLog.empty()) {
        if (start(0, pi)) {
            KernelHandle thread(pi.hThread);
            m_process = KernelHandle(pi.hProcess);
            m_pid = pi.dwProcessId;
        }
        return;
    }
    // Its debugger: the debug events go to the thread that started the process.
    KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE readyEvent = ready.Get();
    m_debugger = std::thread([=, &pi] {
        PROCESS_INFORMATION started = {};
        const bool ok = start(DEBUG_ONLY_THIS_PROCESS, started);
        pi = started;
        SetEvent(readyEvent);
        if (!ok)
            return;
        DEBUG_EVENT event = {};
        while (WaitForDebugEvent(&event, INFINITE)) {
            DWORD status = DBG_CONTINUE;
            switch (event.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT: {
                const std::string line = ReadDebugString(started.hProcess, event.u.DebugString) + "\r\n";
                FILE* file = _wfopen(debugLog.c_str(), L"ab");
                if (file) {
                    fwrite(line.data(), 1, line.size(), file);
                    fclose(file);
                }
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                // Its own exceptions stay its own; only the loader's breakpoint is ours.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    status = DBG_EXCEPTION_NOT_HANDLED;
                break;
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile)
                    CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile)
                    CloseHandle(event.u.LoadDll.hFile);
                break;
            default:
                break;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
            if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
                break;
        }
    });
    WaitForSingleObject(readyEvent, 30000);
    if (pi.hProcess) {
        KernelHandle thread(pi.hThread);
        m_process = KernelHandle(pi.hProcess);
        m_pid = pi.dwProcessId;
    }
}

AppProcess::~AppProcess()
{
    if (static_cast<bool>(m_process)) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 10000);
    }
    if (m_debugger.joinable())
        m_debugger.join();
}

bool AppProcess::Running() const
{
    return static_cast<bool>(m_process) && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

DWORD AppProcess::WaitExit(DWORD ms) const
{
    DWORD code = STILL_ACTIVE;
    if (static_cast<bool>(m_process) && WaitForSingleObject(m_process.Get(), ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_process.Get(), &code);
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

std::string AppInstallation::DebugLog() const
{
    return ReadFileBytes(DebugLogPath());
}
