#pragma once
#include <string>

#include "engine/core/SStringFields.h"

namespace SOUI {

std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
bool EqualNoCase(const std::wstring& a, const std::wstring& b);

} // namespace SOUI
