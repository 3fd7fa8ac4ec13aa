// The key number looked up by company name; a refused answer leaves it alone.
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring keyNo = L"unchanged";
    if (!ReadCompanyKeyNo(Bytes(data, size), keyNo))
        FUZZ_CHECK(keyNo == L"unchanged");
    return 0;
}
