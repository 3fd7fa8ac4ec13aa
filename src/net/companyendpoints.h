#pragma once
#include <string>
#include <vector>

#include "net/companyrecord.h"

class CHttpTransport;

// Searches companies by a fragment of their name and appends one record
// (Name without the <em> marks, KeyNo) per readable hit; an unreadable hit is
// skipped with "Something was wrong 4". False, with `hits` untouched, when the
// answer is unusable or holds no hit at all.
bool GetCompanyList(CHttpTransport& transport, const std::wstring& key, const std::wstring& userId,
                    std::vector<CompanyRecord>& hits);

// Fills Name, Address, CreditCode, Bank, PhoneNumber and Bankaccount of
// `company` from the service. A field that cannot be read stops the filling
// with "Something was wrong 3" (the fields stored before it keep their values)
// and still counts as success; false leaves `company` unchanged.
bool GetCompanyInfo(CHttpTransport& transport, const std::wstring& keyNo, CompanyRecord& company);

// The key number of the company with exactly this name; `keyNo` is unchanged on
// failure.
bool GetCompanyKeyNo(CHttpTransport& transport, const std::wstring& companyName, std::wstring& keyNo);
