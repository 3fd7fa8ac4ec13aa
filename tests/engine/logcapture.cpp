#include "logcapture.h"
#include "engine/core/SDebug.h"

namespace enginetest {

LogCapture::LogCapture()
{
    SOUI::SetLogSink([this](const std::wstring& l) { lines.push_back(l); });
}

LogCapture::~LogCapture() { SOUI::SetLogSink(nullptr); }

bool LogCapture::Contains(const std::wstring& part) const
{
    for (const auto& l : lines)
        if (l.find(part) != std::wstring::npos) return true;
    return false;
}

} // namespace enginetest
