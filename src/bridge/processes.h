#pragma once
#include <string>

// True when a process with exactly this executable file name (case-sensitive,
// no path) exists and can be opened with full access.
bool IsProcessRunning(const std::wstring& exeName);

// True when the HT main program or the BW program ("kp.exe") runs.
bool IsInvoicingSoftwareRunning();
