#pragma once
#include <cstdint>
#include <string>

struct UrlParts {
    std::string host;
    std::string page;  // from the first '/' on, query included; empty when there is none
    std::uint16_t port = 80;
};

// Host, page path and port of a URL: whatever follows the first "http://" (the
// whole URL without one), the host up to the first '/', a port after a ':' in the
// host read like atoi and kept in 16 bits, 80 without one.
UrlParts SplitUrl(const std::string& url);
