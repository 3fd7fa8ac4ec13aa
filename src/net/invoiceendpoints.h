#pragma once
#include <string>
#include <vector>

#include "net/companyrecord.h"
#include "net/invoicerecord.h"

class CHttpTransport;

// Appends the merchant's invoice-information records; an unreadable element is
// skipped with "Something was wrong 1". False, with `records` untouched, when
// the answer is unusable or the list is empty.
bool GetInvoiceRecordList(CHttpTransport& transport, const std::wstring& businessKeyNo, const std::wstring& userId,
                          std::vector<InvoiceRecord>& records);

// The answer of the same request as it came (already on the debug output), for a
// caller that reads it only when it differs from the last one; empty on failure.
std::string RequestInvoiceRecordList(CHttpTransport& transport, const std::wstring& businessKeyNo,
                                     const std::wstring& userId);

// Reports that `buyer` was filled into the invoicing program. The callers ignore
// the result; it is true only when the service confirmed with code 200.
bool AddInvoiceRecord(CHttpTransport& transport, const std::wstring& businessKeyNo, const std::wstring& userId,
                      CompanyRecord buyer);

// Reports that a history record was used again; result as for AddInvoiceRecord.
bool UpdateInvoiceRecordDate(CHttpTransport& transport, const std::wstring& businessKeyNo, const std::wstring& applyId);
