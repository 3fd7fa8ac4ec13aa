// URL splitting: host, port and path always put back together to what followed the scheme.
#include "fuzzing.h"
#include "net/urlparts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string url = Bytes(data, size);
    const UrlParts parts = SplitUrl(url);
    // A leading scheme in any case; otherwise the first lower-case "http://" anywhere.
    const bool secure = StartsWithNoCase(url, "https://");
    const size_t scheme = StartsWithNoCase(url, "http://") ? 0 : url.find("http://");
    const std::string rest = secure ? url.substr(8) : scheme == std::string::npos ? url : url.substr(scheme + 7);

    FUZZ_CHECK(parts.host.find('/') == std::string::npos && parts.host.find(':') == std::string::npos);
    FUZZ_CHECK(parts.page.empty() || parts.page[0] == '/');
    const size_t slash = rest.find('/');
    FUZZ_CHECK(parts.page == (slash == std::string::npos ? "" : rest.substr(slash)));
    FUZZ_CHECK(rest.compare(0, parts.host.size(), parts.host) == 0);
    const std::string between = rest.substr(parts.host.size(), rest.size() - parts.host.size() - parts.page.size());
    FUZZ_CHECK(parts.secure == secure);
    FUZZ_CHECK(between.empty() ? parts.port == (secure ? 443 : 80) : between[0] == ':');
    return 0;
}
