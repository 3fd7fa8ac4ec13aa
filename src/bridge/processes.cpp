#include "bridge/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include "base/handle.h"
#include "bridge/invoicingnames.h"

bool IsProcessRunning(const std::wstring& exeName)
{
    if (exeName.empty())
        return false;
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (exeName != entry.szExeFile)
            continue;
        // A process we may not open (higher rights) is one we could not drive either.
        KernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        return static_cast<bool>(process);
    }
    return false;
}

bool IsInvoicingSoftwareRunning()
{
    return IsProcessRunning(kHtProcessName) || IsProcessRunning(kBwProcessName);
}
