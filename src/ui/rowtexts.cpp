#include "ui/rowtexts.h"

#include <cwchar>

namespace {

std::wstring Shortened(const std::wstring& text, std::size_t longest)
{
    if (text.size() <= longest)
        return text;
    return text.substr(0, longest - 1) + L"...";
}

}  // namespace

std::wstring SearchRowText(const std::wstring& name)
{
    return Shortened(name, 20);
}

std::wstring HistoryRowText(const std::wstring& companyName)
{
    return Shortened(companyName, 14);
}

std::wstring HistoryRowTime(std::int64_t seconds, const TIME_ZONE_INFORMATION* zone)
{
    // FILETIME counts 100 ns steps from 1601; FileTimeToSystemTime takes values below 2^63.
    constexpr std::int64_t kEpochOffset = 11644473600;
    constexpr std::int64_t kTicks = 10000000;
    if (seconds < -kEpochOffset || seconds > INT64_MAX / kTicks - kEpochOffset)
        return {};
    const std::uint64_t ticks = static_cast<std::uint64_t>((seconds + kEpochOffset) * kTicks);
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(zone, &universal, &local))
        return {};
    wchar_t text[16] = {};
    swprintf(text, 16, L"%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
    return text;
}

std::wstring HistoryRowBackground(const std::wstring& applyFrom)
{
    return applyFrom == L"wx" ? L"#FFF8DC" : L"#FFFFFF";
}
