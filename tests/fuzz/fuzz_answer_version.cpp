// The newest release: all seven fields or none.
#include "fuzzing.h"
#include "net/endpointanswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VersionRecord version;
    version.url = L"unchanged";
    version.release_date = 7;
    if (!ReadLatestVersion(Bytes(data, size), version))
        FUZZ_CHECK(version.url == L"unchanged" && version.release_date == 7 && version.version_no.empty());
    FUZZ_CHECK(version.release_date >= INT32_MIN && version.release_date <= INT32_MAX);
    return 0;
}
