#pragma once
#include <cstdint>
#include <string>

struct UrlParts {
    std::string host;
    std::string page;  // from the first '/' on, query included; empty when there is none
    std::uint16_t port = 80;
    bool secure = false;  // "https://": TLS, port 443 unless the host names one
};

// Host, page path and port of a URL. A URL that begins with "https://" (any case) is secure,
// its rest follows that prefix and its port is 443 by default. Otherwise the rest is
// whatever follows the first "http://" (the whole URL without one). The host runs up
// to the first '/', a port after a ':' in the host is read like atoi and kept in
// 16 bits, 80 without one.
UrlParts SplitUrl(const std::string& url);

// Whether `text` begins with `lowerPrefix`, ASCII letters compared without regard to case.
bool StartsWithNoCase(const std::string& text, const std::string& lowerPrefix);
