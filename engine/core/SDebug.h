#pragma once
#include <string>

namespace SOUI {

// Writes one diagnostic line through the program's log front (DebugLine, base/log.h):
// the engine's lines reach the debugger output and a test's capture as the program's do.
void SLog(const std::wstring& line);

}  // namespace SOUI
