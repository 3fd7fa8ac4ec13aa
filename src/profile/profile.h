#pragma once
#include <string>

// The ops.dat profile in the working directory. Narrow values are in the ANSI
// code page; the company identity is wide. Every call finds the file anew.

// The stored user ("User"/"Id"); empty when missing.
std::string ReadStoredUser();
bool WriteStoredUser(const std::string& user);

// The identity last seen in the invoicing program ("Com"/"Id"); empty when missing.
std::wstring ReadCompanyId();
bool WriteCompanyId(const std::wstring& identity);

// Reads KN, TC and CN of the section "Com" + identity; each output becomes "" when missing.
void ReadCompanyProfile(const std::wstring& identity, std::string& keyNo, std::string& taxCode, std::string& name);

// Writes CN, then TC of the identity's section.
bool WriteCompanyNameAndTaxCode(const std::wstring& identity, const std::string& name, const std::string& taxCode);

// Writes KN of the identity's section.
bool WriteCompanyKeyNo(const std::wstring& identity, const std::string& keyNo);

// The global hotkey's name as the tray menu offers it ("Hotkey"/"Key"); empty when missing.
std::wstring ReadHotkeyName();
bool WriteHotkeyName(const std::wstring& name);
