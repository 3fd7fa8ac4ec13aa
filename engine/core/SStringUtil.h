#pragma once
#include <string>

#include "engine/core/SStringFields.h"

#include "base/textconv.h"

namespace SOUI {

using ::Utf8ToWide;
using ::WideToUtf8;
bool EqualNoCase(const std::wstring& a, const std::wstring& b);

}  // namespace SOUI
