#pragma once
#include <string>
#include <vector>

#include "base/textconv.h"

namespace SOUI {

using ::Utf8ToWide;
using ::WideToUtf8;
std::wstring ToLower(std::wstring s);
bool EqualNoCase(const std::wstring& a, const std::wstring& b);
std::wstring Trim(const std::wstring& s);
// Splits at sep; empty fields are kept.
std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep);

} // namespace SOUI
