#pragma once
// Apart from handle.h: wininet.h and winhttp.h cannot be included in one file.
#include <windows.h>
#include <wininet.h>

#include "base/handle.h"

namespace handle_closers {
// A parent closed first would leave its children dangling, so holders are declared
// parent-first and destroyed child-first.
inline bool CloseInternet(HINTERNET h)
{
    return InternetCloseHandle(h) != FALSE;
}
}  // namespace handle_closers

using InternetHandle = UniqueHandle<handle_closers::NullIsNone<HINTERNET, handle_closers::CloseInternet>>;
