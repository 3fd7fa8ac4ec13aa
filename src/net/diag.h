#pragma once
#include <functional>
#include <string>

// Writes one line to the debugger output (OutputDebugStringW), and to the
// capture sink when one is installed.
void DebugLine(const std::wstring& line);

// Installs a sink that sees every DebugLine (tests); an empty function removes it.
// Returns the previous sink.
using DebugSink = std::function<void(const std::wstring&)>;
DebugSink SetDebugSink(DebugSink sink);
