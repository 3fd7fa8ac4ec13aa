#pragma once
#include <windows.h>

#include <string>

// Serves MerchantPrompts::askCompany with the company input window, run modally over
// `owner`: true, with the two values, only when the merchant confirmed them.
bool AskCompanyWithInputDlg(HWND owner, std::wstring& name, std::wstring& taxCode);
