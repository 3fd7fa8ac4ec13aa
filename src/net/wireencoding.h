#pragma once
#include <string>

// An *encoded* parameter value: ANSI (GBK) text to UTF-8, then percent-encoded
// with letters, digits and "-_.~" kept and a space as '+'.
std::string Utf8PercentEncode(const std::string& ansi);

// The same encoding for text that is wide already (no detour through GBK, which
// would lose characters it cannot hold).
std::string Utf8PercentEncode(const std::wstring& text);

// A *raw* parameter value: bytes go out as they are, except those that would
// change the structure of a query or form ("&", "=", "#", "%", "+", control
// bytes), which are percent-encoded so one value cannot add or alter parameters.
std::string EscapeRawValue(const std::string& raw);
