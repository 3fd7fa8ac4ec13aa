// One company: a refused answer changes nothing; a partial one changes the fields in
// their order (name and address, then tax code, then bank, phone, account).
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CompanyRecord before;
    before.Name = L"n";
    before.Address = L"a";
    before.CreditCode = L"c";
    before.Bank = L"b";
    before.PhoneNumber = L"p";
    before.Bankaccount = L"k";
    before.KeyNo = L"key";
    CompanyRecord company = before;
    const bool ok = ReadCompanyInfo(Bytes(data, size), company);
    FUZZ_CHECK(company.KeyNo == L"key");
    if (!ok) {
        FUZZ_CHECK(company.Name == L"n" && company.Address == L"a" && company.CreditCode == L"c" &&
                   company.Bank == L"b" && company.PhoneNumber == L"p" && company.Bankaccount == L"k");
    }
    // The bank is stored only after the tax code was read.
    if (company.Bank != L"b" && company.CreditCode == L"c")
        FUZZ_CHECK(false);
    return 0;
}
