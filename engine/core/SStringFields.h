#pragma once
// String helpers that need nothing from Windows, in a file of their own so that the
// native fuzz build compiles the very code the engine runs.
#include <string>
#include <vector>

namespace SOUI {

std::wstring ToLower(std::wstring s);
std::wstring Trim(const std::wstring& s);
// Splits at sep; empty fields are kept.
std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep);

}  // namespace SOUI
