#include "engine/core/SDebug.h"

#include "base/log.h"

namespace SOUI {

void SLog(const std::wstring& line)
{
    DebugLine(line);
}

}  // namespace SOUI
