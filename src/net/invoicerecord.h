#pragma once
#include <cstdint>
#include <string>

// One invoice-information record of the merchant's history; members carry the
// answer's JSON keys. Times are seconds since 1970-01-01 00:00 UTC.
struct InvoiceRecord {
    std::wstring apply_id;
    std::wstring business_keyno;
    std::wstring fapiao_code;
    std::wstring user_id;
    std::wstring company_keyno;
    std::wstring company_name;
    std::wstring company_taxid;
    std::wstring company_address;
    std::wstring bank_name;
    std::wstring bank_accounts;
    std::wstring apply_mark;
    std::wstring apply_from;
    std::int64_t create_time = 0;
    std::int64_t update_time = 0;
};
