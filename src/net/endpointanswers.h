#pragma once
// The service's answers read into records, apart from sending: this is the code
// that meets bytes from outside, and it builds without the platform.
#include <string>
#include <vector>

#include "net/companyrecord.h"
#include "net/invoicerecord.h"
#include "net/versionrecord.h"

// An answer whose "code" is 200 (the request-code and the two record calls).
bool ReadConfirmation(const std::string& answer);

// Login: "code" 200 or 1 and "data" a string, the user id.
bool ReadLoginAnswer(const std::string& answer, std::wstring& userId);

// Search: appends a record per readable element of a non-empty "data" array;
// an unreadable element is logged and skipped. False leaves `hits` untouched.
bool ReadCompanyList(const std::string& answer, std::vector<CompanyRecord>& hits);

// One company into `company`; after a field that cannot be read the fields stored
// before it keep their new values and the rest their old ones (still true).
bool ReadCompanyInfo(const std::string& answer, CompanyRecord& company);

// "data"."keyno"; false leaves `keyNo` untouched.
bool ReadCompanyKeyNo(const std::string& answer, std::wstring& keyNo);

// History: appends a record per readable element of a non-empty "data" array.
bool ReadInvoiceRecordList(const std::string& answer, std::vector<InvoiceRecord>& records);

// The newest release; false leaves `version` untouched.
bool ReadLatestVersion(const std::string& answer, VersionRecord& version);
