#pragma once
#include <cstddef>
#include <string>

// Conversions between wide text (UTF-16 on Windows) and the narrow forms the program
// meets: GBK (code page 936) on the wire and in the invoicing program's titles, the
// ANSI code page in the profile, UTF-8 in layouts, logs and the service's encoded values.
// Each is named after the encoding it converts; none depends on the PC's locale but
// the ANSI pair. Code pages go through the platform (textconv_win32.cpp), or through
// iconv where there is no Windows (textconv_iconv.cpp, the native fuzz build).

// Wide text to code page 936 (GBK). Empty when the text holds a character that
// 936 cannot represent: a replaced character would send or match the wrong text.
std::string WideToGbk(const std::wstring& text);

// Code page 936 (GBK) to wide text; a byte that starts no character becomes U+FFFD.
std::wstring GbkToWide(const std::string& text);
// The same for `size` bytes at `data` (a string inside a parsed answer, not copied first).
std::wstring GbkToWide(const char* data, size_t size);

// Wide text to the ANSI code page (936 on a Chinese Windows); empty, as WideToGbk,
// when the page cannot represent a character of it.
std::string WideToAnsi(const std::wstring& text);
// The ANSI code page to wide text.
std::wstring AnsiToWide(const std::string& text);

// Wide text to UTF-8. What is no character (a lone surrogate) becomes U+FFFD.
std::string WideToUtf8(const std::wstring& text);
// UTF-8 to wide text. A byte that starts no well-formed sequence (overlong forms and
// surrogates included) becomes U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
