#pragma once
#include <string>

// One company's invoice header data, copied by value.
struct CompanyRecord {
    std::wstring Name;
    std::wstring Address;
    std::wstring KeyNo;
    std::wstring CreditCode;
    std::wstring Bank;
    std::wstring Bankaccount;
    std::wstring PhoneNumber;
    std::wstring ApplyId;
    std::wstring UserId;
    std::wstring Identity;
};
