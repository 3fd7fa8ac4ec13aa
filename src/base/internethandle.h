#pragma once
// Apart from handle.h: wininet.h and winhttp.h cannot be included in one file.
#include <windows.h>
#include <wininet.h>

#include "base/handle.h"

namespace handle_closers {

// A parent closed first would leave its children dangling, so holders are declared
// parent-first and destroyed child-first.
struct Internet {
    using Type = HINTERNET;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static bool Close(Type h) { return InternetCloseHandle(h) != FALSE; }
};

}  // namespace handle_closers

using InternetHandle = UniqueHandle<handle_closers::Internet>;
