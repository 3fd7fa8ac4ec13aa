#pragma once
#include <windows.h>

#include <optional>
#include <string>

// How long one message to the invoicing program may take before it counts as hung.
constexpr UINT kCrossProcessTimeoutMs = 2000;

// One buyer-field write. An invoicing program that recomputes its window when the
// buyer name changes can take seconds to answer and must not be cut off; one that
// is hung costs this once, as the writes after it are abandoned.
constexpr UINT kFillWriteTimeoutMs = 6000;

// Sends WM_SETTEXT with a bounded wait. False when the window is gone, hung or
// slower than the limit: the text counts as not sent.
bool SendTextBounded(HWND window, const std::wstring& text, UINT timeoutMs = kCrossProcessTimeoutMs);

// Reads up to capacity - 1 characters with WM_GETTEXT and a bounded wait. A null
// window reads as empty text; nothing (nullopt) when the window did not answer.
std::optional<std::wstring> ReadTextBounded(HWND window, size_t capacity);
