#pragma once
#include <windows.h>

#include <string>

// The first top-level window, in the platform's order (topmost first), whose
// title contains the fragment as GBK bytes; null when none does. A fragment or
// title that GBK cannot represent, or an empty fragment, matches nothing.
HWND FindTopWindowByTitlePart(const std::wstring& fragment);

// FindTopWindowByTitlePart(preferred), or when that finds nothing
// FindTopWindowByTitlePart(fallback), in one pass over the windows.
HWND FindTopWindowByTitleParts(const std::wstring& preferred, const std::wstring& fallback);
