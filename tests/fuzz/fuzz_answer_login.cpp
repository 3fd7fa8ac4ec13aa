// The login answer into the user id; a refused answer leaves the id alone.
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring user = L"unchanged";
    if (!ReadLoginAnswer(Bytes(data, size), user))
        FUZZ_CHECK(user == L"unchanged");
    return 0;
}
