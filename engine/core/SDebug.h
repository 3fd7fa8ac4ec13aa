#pragma once
#include <functional>
#include <string>

namespace SOUI {

// Writes one diagnostic line (OutputDebugStringW, and the sink when one is set).
void SLog(const std::wstring& line);

// The program or a test may see every line; returns the previous sink. An empty one removes it.
using SLogSink = std::function<void(const std::wstring&)>;
SLogSink SetLogSink(SLogSink sink);

} // namespace SOUI
