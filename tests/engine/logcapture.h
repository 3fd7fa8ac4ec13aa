#pragma once
#include <string>
#include <vector>

#include "base/log.h"

// The engine's diagnostic lines seen by a test; the extend.ctrls tests use it too.
namespace enginetest {

// Collects diagnostic lines while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    bool Contains(const std::wstring& part) const;
    std::vector<std::wstring> lines;

private:
    DebugSink m_previous;
};

}  // namespace enginetest
