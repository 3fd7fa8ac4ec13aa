#pragma once
#include <string>

// Starting the program with Windows: a value of the current user's Run key. Task Manager
// can disable it without removing it (StartupApproved\Run); that counts as off.

// What the Run value adds after the quoted program path; the program then starts in the tray.
constexpr wchar_t kAutostartArgument[] = L"/autostart";
// The value's name, also removed by the uninstaller.
constexpr wchar_t kAutostartValueName[] = L"Moravel";

// True when the Run value names this program and Task Manager has not disabled it.
bool AutostartEnabled();
// Writes the value ("<full path>" /autostart, re-enabled in Task Manager's list) or removes it.
// False when the registry refused.
bool SetAutostart(bool enabled);
