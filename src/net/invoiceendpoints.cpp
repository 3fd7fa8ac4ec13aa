#include "invoiceendpoints.h"

#include "net/answer.h"
#include "net/diag.h"
#include "net/serviceaccess.h"
#include "net/textconv.h"
#include "net/wireencoding.h"

namespace {
bool SetTimes(InvoiceRecord& record, const std::string& created, const std::string& updated)
{
    record.create_time = SecondsFromText(created);
    record.update_time = SecondsFromText(updated);
    return true;
}

bool ReadInvoiceRecord(const Json::Value& element, InvoiceRecord& record)
{
    std::string created, updated;
    return ReadString(element, "apply_id", record.apply_id) &&
           ReadString(element, "business_keyno", record.business_keyno) &&
           ReadString(element, "fapiao_code", record.fapiao_code) && ReadString(element, "user_id", record.user_id) &&
           ReadString(element, "company_keyno", record.company_keyno) &&
           ReadText(element, "company_name", record.company_name) &&
           ReadString(element, "company_taxid", record.company_taxid) &&
           ReadText(element, "company_address", record.company_address) &&
           ReadText(element, "bank_name", record.bank_name) &&
           ReadString(element, "bank_accounts", record.bank_accounts) &&
           ReadText(element, "apply_mark", record.apply_mark) &&
           ReadString(element, "apply_from", record.apply_from) && ReadStringBytes(element, "create_time", created) &&
           ReadStringBytes(element, "update_time", updated) && SetTimes(record, created, updated);
}

bool ConfirmedByService(const std::string& answer)
{
    Json::Value root;
    return ParseAnswer(answer, root) && AnswerCodeOk(root);
}
}  // namespace

bool GetInvoiceRecordList(CHttpTransport& transport, const std::string& businessKeyNo, const std::string& userId,
                          std::vector<InvoiceRecord>& records)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getFaiaoList?business_keyno=" +
                            EscapeRawValue(businessKeyNo) + "&business_userid=" + EscapeRawValue(userId);
    Json::Value root;
    if (!ParseAnswer(CallService(transport, url, false, ""), root) || !AnswerCodeOk(root))
        return false;
    const Json::Value* data = Member(root, "data");
    if (!data || !data->isArray() || data->empty())
        return false;

    for (const Json::Value& element : *data) {
        InvoiceRecord record;
        if (!ReadInvoiceRecord(element, record)) {
            DebugLine(L"Something was wrong 1");
            continue;
        }
        records.push_back(std::move(record));
    }
    return true;
}

bool AddInvoiceRecord(CHttpTransport& transport, const std::string& businessKeyNo, const std::string& userId,
                      CompanyRecord buyer)
{
    // Encoded values go straight from wide text to UTF-8: a character GBK lacks
    // would otherwise blank the whole value.
    const std::string body = "business_keyno=" + EscapeRawValue(businessKeyNo) +
                             "&business_userid=" + EscapeRawValue(userId) +
                             "&company_name=" + Utf8PercentEncode(buyer.Name) +
                             "&company_keyno=" + EscapeRawValue(WideToGbk(buyer.KeyNo)) +
                             "&company_taxid=" + EscapeRawValue(WideToGbk(buyer.CreditCode)) +
                             "&company_address=" + Utf8PercentEncode(buyer.Address) +
                             "&company_phone=" + EscapeRawValue(WideToGbk(buyer.PhoneNumber)) +
                             "&bank_name=" + Utf8PercentEncode(buyer.Bank) +
                             "&bank_accounts=" + EscapeRawValue(WideToGbk(buyer.Bankaccount));
    return ConfirmedByService(CallService(transport, ServiceBaseUrl() + "Invoice_addFaiao", true, body));
}

bool UpdateInvoiceRecordDate(CHttpTransport& transport, const std::string& businessKeyNo,
                             const std::string& applyId)
{
    const std::string body =
        "business_keyno=" + EscapeRawValue(businessKeyNo) + "&apply_id=" + EscapeRawValue(applyId);
    return ConfirmedByService(CallService(transport, ServiceBaseUrl() + "Invoice_updateFaiaoDate", true, body));
}
