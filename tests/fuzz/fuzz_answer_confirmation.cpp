// The answer of the request-code call and of the two record calls: only "code" 200 counts.
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string answer = Bytes(data, size);
    const bool confirmed = ReadConfirmation(answer);
    FUZZ_CHECK(confirmed == ReadConfirmation(answer));
    return 0;
}
