#pragma once
// The real Moravel.exe as the merchant has it: copied with its plug-ins into a fresh
// folder tree, and started there as a process of its own.
#include <windows.h>

#include <string>
#include <thread>

#include "base/handle.h"
#include "tempdir.h"

// A host path handed over by ctest (`/...`) as Wine sees it (`Z:\...`); "" when unset.
std::wstring FromHostPath(const wchar_t* variable);
// The path up to its last backslash.
std::wstring FolderOf(const std::wstring& path);

std::string Utf8(const std::wstring& text);

// A started process, ended by its handle when the holder goes.
class AppProcess {
public:
    // `startDir` "" keeps ours; `args` follow the quoted executable. With
    // `debugLog` it runs under a debugger of ours that appends every line of its
    // debugger output (OutputDebugString) to that file, as UTF-8 ended by "\r\n".
    AppProcess(const std::wstring& exe, const std::wstring& startDir, const std::wstring& args = L"",
               const std::wstring& debugLog = L"");
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Pid() const { return m_pid; }
    bool Running() const;
    // The exit code, or STILL_ACTIVE when it has not ended within `ms`.
    DWORD WaitExit(DWORD ms) const;

private:
    KernelHandle m_process;
    DWORD m_pid = 0;
    std::thread m_debugger;
};

// bin\Moravel.exe (from MORAVEL_EXE) with render-gdid.dll and imgdecoder-gdipd.dll, an
// empty start folder, and the working folder Moravel\ beside bin\ unless left out.
class AppInstallation {
public:
    explicit AppInstallation(bool withWorkingFolder = true);
    AppInstallation(const AppInstallation&) = delete;
    AppInstallation& operator=(const AppInstallation&) = delete;

    // False when a folder or a copy failed.
    bool Ok() const { return m_ok; }
    std::wstring Exe() const { return m_bin + L"\\Moravel.exe"; }
    const std::wstring& Bin() const { return m_bin; }
    std::wstring StartDir() const { return m_root.File(L"start"); }
    std::wstring WorkingDir() const { return m_root.File(L"Moravel"); }
    std::wstring Profile() const { return WorkingDir() + L"\\ops.dat"; }
    std::wstring File(const std::wstring& name) const { return m_root.File(name); }

    std::wstring ProfileValue(const std::wstring& section, const std::wstring& key) const;
    bool SetProfileValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;

    // Where AppProcess keeps the debugger output of a program started from here.
    std::wstring DebugLogPath() const { return m_root.File(L"debug.log"); }
    // What the program wrote to the debugger output, as AppProcess kept it.
    std::string DebugLog() const;

private:
    ScopedWorkDir m_root;
    std::wstring m_bin;
    bool m_ok = false;
};
