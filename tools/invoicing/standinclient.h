#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/handle.h"

// One running stand-in invoicing program, started from the folder of the calling
// executable and ended by its process handle when the holder goes.
class StandInProcess {
public:
    // Starts exeName with the given flags and waits (bounded) until it takes
    // commands; null when it did not start or answer, with the reason in *why.
    // The field log goes to logPath.
    static std::unique_ptr<StandInProcess> Start(const std::wstring& exeName, const std::wstring& flags,
                                                 const std::wstring& logPath, std::wstring* why = nullptr);
    ~StandInProcess();
    StandInProcess(const StandInProcess&) = delete;
    StandInProcess& operator=(const StandInProcess&) = delete;

    // Opens one more issuing window shaped by flags; null on failure.
    HWND Open(const std::wstring& flags);
    bool CloseAll();
    bool Raise(HWND window);
    // The stand-in's UI thread stops answering for that long, from the moment this returns.
    bool Hang(DWORD milliseconds);
    // Waits until the stand-in answers again; false when it did not within the limit.
    bool WaitResponsive(DWORD milliseconds);

    // Every WM_SETTEXT the stand-in's trees received since the last call: key and text.
    std::vector<std::pair<std::string, std::wstring>> TakeLog();

    DWORD ProcessId() const { return processId_; }

private:
    StandInProcess() = default;
    LRESULT Command(const std::wstring& text, DWORD timeoutMs = 10000);

    KernelHandle process_;
    DWORD processId_ = 0;
    HWND control_ = nullptr;
    std::wstring logPath_;
};

// The folder that holds the calling executable, with a trailing backslash.
std::wstring ExecutableFolder();
