#include "companyendpoints.h"

#include "net/answer.h"
#include "net/diag.h"
#include "net/serviceaccess.h"
#include "net/wireencoding.h"

bool GetCompanyList(CHttpTransport& transport, const std::string& key, const std::string& userId,
                    std::vector<CompanyRecord>& hits)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getCompanyList?key=" + Utf8PercentEncode(key) +
                            "&user_id=" + EscapeRawValue(userId);
    Json::Value root;
    if (!ParseAnswer(CallService(transport, url, false, ""), root) || !AnswerCodeOk(root))
        return false;
    const Json::Value* data = Member(root, "data");
    if (!data || !data->isArray() || data->empty())
        return false;

    for (const Json::Value& element : *data) {
        CompanyRecord hit;
        std::wstring name;
        if (!ReadString(element, "KeyNo", hit.KeyNo) || !ReadText(element, "Name", name)) {
            DebugLine(L"Something was wrong 4");
            continue;
        }
        hit.Name = RemoveEmTags(name);
        hits.push_back(hit);
    }
    return true;
}

bool GetCompanyInfo(CHttpTransport& transport, const std::string& keyNo, CompanyRecord& company)
{
    const std::string url = ServiceBaseUrl() + "Invoice_getCompanyInfo?KeyNo=" + EscapeRawValue(keyNo);
    Json::Value root;
    if (!ParseAnswer(CallService(transport, url, false, ""), root) || !AnswerCodeOk(root))
        return false;
    const Json::Value* data = Member(root, "data");
    if (!data || data->isNull())
        return false;

    // The order of the stores is what a caller sees after a partial answer.
    std::wstring name, address, bank;
    bool complete = ReadText(*data, "Name", name) && ReadText(*data, "Address", address) &&
                    ReadText(*data, "Bank", bank);
    if (complete) {
        company.Name = name;
        company.Address = address;
        complete = ReadString(*data, "CreditCode", company.CreditCode);
    }
    if (complete) {
        company.Bank = bank;
        complete = ReadString(*data, "PhoneNumber", company.PhoneNumber) &&
                   ReadString(*data, "Bankaccount", company.Bankaccount);
    }
    if (!complete)
        DebugLine(L"Something was wrong 3");
    return true;
}

bool GetCompanyKeyNo(CHttpTransport& transport, const std::string& companyName, std::wstring& keyNo)
{
    const std::string url =
        ServiceBaseUrl() + "Invoice_getCompanyKeyno?company_name=" + Utf8PercentEncode(companyName);
    Json::Value root;
    if (!ParseAnswer(CallService(transport, url, false, ""), root) || !AnswerCodeOk(root))
        return false;
    const Json::Value* data = Member(root, "data");
    if (!data || data->isNull())
        return false;
    return ReadString(*data, "keyno", keyNo);
}
