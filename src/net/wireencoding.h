#pragma once
#include <string>

// An *encoded* parameter value: the text as UTF-8, percent-encoded with letters,
// digits and "-_.~" kept and a space as '+'. Straight from wide text: a detour
// through GBK would lose the characters it cannot hold.
std::string Utf8PercentEncode(const std::wstring& text);

// A *raw* parameter value: bytes go out as they are, except those that would
// change the structure of a query or form ("&", "=", "#", "%", "+", control
// bytes), which are percent-encoded so one value cannot add or alter parameters.
std::string EscapeRawValue(const std::string& raw);

// The same for wide text, which goes out as its GBK bytes; empty when GBK cannot
// hold the text (see WideToGbk).
std::string EscapeRawValue(const std::wstring& text);
