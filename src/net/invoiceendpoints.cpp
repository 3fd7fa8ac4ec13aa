#include "invoiceendpoints.h"

#include "net/endpointanswers.h"
#include "net/serviceaccess.h"
#include "net/servicecall.h"
#include "net/wireencoding.h"

std::string RequestInvoiceRecordList(CHttpTransport& transport, const std::wstring& businessKeyNo,
                                     const std::wstring& userId)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getFaiaoList?business_keyno=" + EscapeRawValue(businessKeyNo) +
                            "&business_userid=" + EscapeRawValue(userId);
    return CallService(transport, url, false, "");
}

bool GetInvoiceRecordList(CHttpTransport& transport, const std::wstring& businessKeyNo, const std::wstring& userId,
                          std::vector<InvoiceRecord>& records)
{
    return ReadInvoiceRecordList(RequestInvoiceRecordList(transport, businessKeyNo, userId), records);
}

bool AddInvoiceRecord(CHttpTransport& transport, const std::wstring& businessKeyNo, const std::wstring& userId,
                      CompanyRecord buyer)
{
    const std::string body =
        "business_keyno=" + EscapeRawValue(businessKeyNo) + "&business_userid=" + EscapeRawValue(userId) +
        "&company_name=" + Utf8PercentEncode(buyer.Name) + "&company_keyno=" + EscapeRawValue(buyer.KeyNo) +
        "&company_taxid=" + EscapeRawValue(buyer.CreditCode) + "&company_address=" + Utf8PercentEncode(buyer.Address) +
        "&company_phone=" + EscapeRawValue(buyer.PhoneNumber) + "&bank_name=" + Utf8PercentEncode(buyer.Bank) +
        "&bank_accounts=" + EscapeRawValue(buyer.Bankaccount);
    return ReadConfirmation(CallService(transport, ServiceBaseUrl() + "Invoice_addFaiao", true, body));
}

bool UpdateInvoiceRecordDate(CHttpTransport& transport, const std::wstring& businessKeyNo, const std::wstring& applyId)
{
    const std::string body = "business_keyno=" + EscapeRawValue(businessKeyNo) + "&apply_id=" + EscapeRawValue(applyId);
    return ReadConfirmation(CallService(transport, ServiceBaseUrl() + "Invoice_updateFaiaoDate", true, body));
}
