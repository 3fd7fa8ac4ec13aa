// One company: a refused answer changes nothing; a partial one changes the fields in
// their order (name and address, then tax code, then bank, phone, account).
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // U+FFFF never comes out of decoding an answer, so these old values cannot come back as new ones.
    const std::wstring old = L"\uFFFF";
    CompanyRecord company;
    company.Name = company.Address = company.CreditCode = company.Bank = company.PhoneNumber = company.Bankaccount =
        company.KeyNo = old;
    const bool ok = ReadCompanyInfo(Bytes(data, size), company);
    FUZZ_CHECK(company.KeyNo == old);
    if (!ok) {
        FUZZ_CHECK(company.Name == old && company.Address == old && company.CreditCode == old && company.Bank == old &&
                   company.PhoneNumber == old && company.Bankaccount == old);
    }
    // Stored in order: name and address together, then the tax code, then the bank, then phone and account.
    FUZZ_CHECK((company.Name == old) == (company.Address == old));
    if (company.CreditCode != old)
        FUZZ_CHECK(company.Name != old);
    if (company.Bank != old)
        FUZZ_CHECK(company.CreditCode != old);
    if (company.PhoneNumber != old)
        FUZZ_CHECK(company.Bank != old);
    if (company.Bankaccount != old)
        FUZZ_CHECK(company.PhoneNumber != old);
    return 0;
}
