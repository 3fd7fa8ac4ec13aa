#include "endpointanswers.h"

#include "net/answer.h"
#include "base/log.h"

namespace {
bool ReadInvoiceRecord(const Json::Value& element, InvoiceRecord& record)
{
    std::string created, updated;
    if (!(ReadString(element, "apply_id", record.apply_id) &&
          ReadString(element, "business_keyno", record.business_keyno) &&
          ReadString(element, "fapiao_code", record.fapiao_code) && ReadString(element, "user_id", record.user_id) &&
          ReadString(element, "company_keyno", record.company_keyno) &&
          ReadText(element, "company_name", record.company_name) &&
          ReadString(element, "company_taxid", record.company_taxid) &&
          ReadText(element, "company_address", record.company_address) &&
          ReadText(element, "bank_name", record.bank_name) &&
          ReadString(element, "bank_accounts", record.bank_accounts) &&
          ReadText(element, "apply_mark", record.apply_mark) && ReadString(element, "apply_from", record.apply_from) &&
          ReadStringBytes(element, "create_time", created) && ReadStringBytes(element, "update_time", updated)))
        return false;
    record.create_time = SecondsFromText(created);
    record.update_time = SecondsFromText(updated);
    return true;
}

// The envelope with "code" 200 and a "data" member that is there and not null.
const Json::Value* Data(const std::string& answer, Json::Value& root)
{
    if (!ParseAnswer(answer, root) || !AnswerCodeOk(root))
        return nullptr;
    const Json::Value* data = Member(root, "data");
    return data && !data->isNull() ? data : nullptr;
}
}  // namespace

bool ReadConfirmation(const std::string& answer)
{
    Json::Value root;
    return ParseAnswer(answer, root) && AnswerCodeOk(root);
}

bool ReadLoginAnswer(const std::string& answer, std::wstring& userId)
{
    Json::Value root;
    if (!ParseAnswer(answer, root) || !AnswerCodeOk(root, true))
        return false;
    return ReadString(root, "data", userId);
}

bool ReadCompanyList(const std::string& answer, std::vector<CompanyRecord>& hits)
{
    Json::Value root;
    const Json::Value* data = Data(answer, root);
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

bool ReadCompanyInfo(const std::string& answer, CompanyRecord& company)
{
    Json::Value root;
    const Json::Value* data = Data(answer, root);
    if (!data)
        return false;

    // The order of the stores is what a caller sees after a partial answer.
    std::wstring name, address, bank;
    bool complete =
        ReadText(*data, "Name", name) && ReadText(*data, "Address", address) && ReadText(*data, "Bank", bank);
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

bool ReadCompanyKeyNo(const std::string& answer, std::wstring& keyNo)
{
    Json::Value root;
    const Json::Value* data = Data(answer, root);
    return data && ReadString(*data, "keyno", keyNo);
}

bool ReadInvoiceRecordList(const std::string& answer, std::vector<InvoiceRecord>& records)
{
    Json::Value root;
    const Json::Value* data = Data(answer, root);
    if (!data || !data->isArray() || data->empty())
        return false;

    // Read in place: a long history would otherwise be moved record by record as it grows.
    records.reserve(records.size() + data->size());
    for (const Json::Value& element : *data) {
        records.emplace_back();
        if (!ReadInvoiceRecord(element, records.back())) {
            records.pop_back();
            DebugLine(L"Something was wrong 1");
        }
    }
    return true;
}

bool ReadLatestVersion(const std::string& answer, VersionRecord& version)
{
    Json::Value root;
    const Json::Value* data = Data(answer, root);
    if (!data)
        return false;

    VersionRecord read;
    std::string released;
    if (!ReadString(*data, "version_id", read.version_id) || !ReadText(*data, "description", read.description) ||
        !ReadString(*data, "force_update", read.force_update) ||
        !ReadString(*data, "is_lastest_version", read.is_lastest_version) || !ReadString(*data, "url", read.url) ||
        !ReadString(*data, "version_no", read.version_no) || !ReadStringBytes(*data, "release_date", released))
        return false;
    read.release_date = SecondsFromText(released);
    version = read;
    return true;
}
