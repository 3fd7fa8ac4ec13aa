#include "logcapture.h"

namespace enginetest {

LogCapture::LogCapture()
{
    m_previous = SetDebugSink([this](const std::wstring& l) { lines.push_back(l); });
}

LogCapture::~LogCapture()
{
    SetDebugSink(m_previous);
}

bool LogCapture::Contains(const std::wstring& part) const
{
    for (const auto& l : lines)
        if (l.find(part) != std::wstring::npos)
            return true;
    return false;
}

}  // namespace enginetest
