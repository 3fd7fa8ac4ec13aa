#pragma once
#include <cstdint>
#include <string>

#include <windows.h>

// Row text of a search hit: the name whole up to 20 characters, else its first
// 19 followed by "..." (the full name goes into the row's tooltip).
std::wstring SearchRowText(const std::wstring& name);

// Row text of a history record: whole up to 14 characters, else 13 and "...".
std::wstring HistoryRowText(const std::wstring& companyName);

// "HH:MM:SS" of seconds since 1970 in the given zone (the local one when null);
// empty when the seconds name no representable time.
std::wstring HistoryRowTime(std::int64_t seconds, const TIME_ZONE_INFORMATION* zone = nullptr);

// Background of a history row: "#FFF8DC" for records from "wx" exactly, else white.
std::wstring HistoryRowBackground(const std::wstring& applyFrom);
