// Search hits: a refused answer leaves the caller's array as it was; an accepted
// one only appends, never more records than the answer has elements.
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string answer = Bytes(data, size);
    std::vector<CompanyRecord> hits(1);
    hits[0].Name = L"kept";
    const bool ok = ReadCompanyList(answer, hits);
    FUZZ_CHECK(!hits.empty() && hits[0].Name == L"kept");
    if (!ok)
        FUZZ_CHECK(hits.size() == 1);
    // Every element is at least two bytes ("{}" or a scalar and its comma).
    FUZZ_CHECK(hits.size() - 1 <= size / 2 + 1);
    for (const CompanyRecord& hit : hits)
        FUZZ_CHECK(hit.Address.empty() && hit.CreditCode.empty());
    return 0;
}
