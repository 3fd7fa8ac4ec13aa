#pragma once
#include <string>

// A crash leaves a minidump for support: Moravel-<version>-<date>-<time>.dmp in `folder`,
// written by a thread kept waiting for it (so a stack overflow still has a stack to write
// with), through dbghelp.dll from System32, under a temporary name renamed when complete.
// At most five dumps are kept. The support log gets a line naming the file.
// Call once, early; false when the writer could not be set up (the program runs on).
bool InstallCrashDumps(const std::wstring& folder, const std::wstring& version);

// The newest dump not yet reported at a start; empty when none. Reported once: the next
// call returns empty for the same file.
std::wstring TakeUnreportedDump(const std::wstring& folder);
