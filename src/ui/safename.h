#pragma once
#include <string>

// True when a value from the service can stand inside a file name of ours
// ("qr_%s.bmp", "MoravelUpgrade_%s.exe") without leaving the working directory
// or naming something else: no separators, drive colons, "..", characters
// Windows forbids in names, or control characters. The empty value is allowed.
bool IsSafeFileNamePart(const std::wstring& value);
