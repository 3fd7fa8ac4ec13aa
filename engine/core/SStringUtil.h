#pragma once
#include <string>
#include <vector>

namespace SOUI {

std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
std::wstring ToLower(std::wstring s);
bool EqualNoCase(const std::wstring& a, const std::wstring& b);
std::wstring Trim(const std::wstring& s);
// Splits at sep; empty fields are kept.
std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep);

} // namespace SOUI
