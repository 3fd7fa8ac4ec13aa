#pragma once
#include <string>

// Conversions between UTF-8 (storage) and code page 936 (the client's ANSI code page).
// Bytes that cannot be converted become '?' in GBK and U+FFFD in UTF-8, so bad input
// degrades visibly instead of failing the whole answer.
std::string Utf8ToGbk(const std::string &utf8);
std::string GbkToUtf8(const std::string &gbk);

// True when the bytes form well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(const std::string &bytes);
