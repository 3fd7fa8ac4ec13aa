#pragma once
#include <cstddef>
#include <string>

// Wide text to code page 936 (GBK). Empty when the text holds a character that
// 936 cannot represent: a replaced character would send or match the wrong text.
std::string WideToGbk(const std::wstring& text);

// Text in the ANSI code page (936 on a Chinese Windows) to wide text.
std::wstring GbkToWide(const std::string& text);
// The same for `size` bytes at `data` (a string inside a parsed answer, not copied first).
std::wstring GbkToWide(const char* data, size_t size);

// A service answer as wide text for the debug output.
std::wstring ResponseToDebugText(const std::string& response);
