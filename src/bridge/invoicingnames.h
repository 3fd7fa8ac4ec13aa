#pragma once
// Names the invoicing program shows to the outside; they must match it character for character.

constexpr wchar_t kHtProcessName[] = L"Aisino.Framework.Startup.exe";
constexpr wchar_t kBwProcessName[] = L"kp.exe";

// HT titles are whole titles, ordinary invoice first.
constexpr wchar_t kHtOrdinaryTitle[] = L"开具增值税普通发票";
constexpr wchar_t kHtSpecialTitle[] = L"开具增值税专用发票";

// BW phrases are found inside titles, special invoice first.
constexpr wchar_t kBwSpecialPhrase[] = L"增值税专用发票开具";
constexpr wchar_t kBwOrdinaryPhrase[] = L"增值税普通发票开具";

// Window text (not class) of the HT issuing window's child above the fields.
constexpr wchar_t kHtAnchorName[] = L"FPtiankai_new";
