#include "urlparts.h"

#include <cstdlib>

bool StartsWithNoCase(const std::string& text, const std::string& lowerPrefix)
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPrefix[i])
            return false;
    }
    return true;
}

UrlParts SplitUrl(const std::string& url)
{
    UrlParts parts;
    std::string rest = url;
    const std::string secureScheme = "https://";
    const std::string scheme = "http://";
    // Schemes are case-insensitive (RFC 3986): "HTTPS://" is TLS too, never plain.
    if (StartsWithNoCase(rest, secureScheme)) {
        parts.secure = true;
        parts.port = 443;
        rest.erase(0, secureScheme.size());
    } else if (StartsWithNoCase(rest, scheme)) {
        rest.erase(0, scheme.size());
    } else {
        size_t at = rest.find(scheme);
        if (at != std::string::npos)
            rest.erase(0, at + scheme.size());
    }

    size_t slash = rest.find('/');
    parts.host = slash == std::string::npos ? rest : rest.substr(0, slash);
    size_t colon = parts.host.find(':');
    if (colon != std::string::npos) {
        // atoi's reading, without its undefined overflow.
        long port = std::strtol(parts.host.c_str() + colon + 1, nullptr, 10);
        parts.port = static_cast<std::uint16_t>(static_cast<unsigned long>(port));
        parts.host.erase(colon);
    }
    if (slash != std::string::npos)
        parts.page = rest.substr(slash);
    return parts;
}
