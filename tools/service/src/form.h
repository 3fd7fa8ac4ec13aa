#pragma once
#include <string>
#include <utility>
#include <vector>

// Name/value pairs of a query string or form body, values still percent-encoded
// exactly as received: whether '+' means a space depends on the parameter.
using FormFields = std::vector<std::pair<std::string, std::string>>;

// Splits "a=1&b=2" at '&' and at the first '='; names are decoded, values are not.
FormFields ParseFormFields(const std::string &text);

// The undecoded value of the first field called `name`; false when absent.
bool FindField(const FormFields &fields, const std::string &name, std::string &value);

// A raw value: "%XX" becomes the byte, everything else (including '+') stays as sent.
std::string DecodeRawValue(const std::string &value);

// An encoded value: '+' is a space and "%XX" the byte (UTF-8 percent-encoding).
std::string DecodeEncodedValue(const std::string &value);

// Text of a raw parameter: GBK bytes after percent-decoding, returned as UTF-8.
std::string RawParamToUtf8(const std::string &value);

// Text of an encoded parameter as UTF-8; bytes that are not UTF-8 are read as GBK
// so a client that skipped the UTF-8 step still finds what it meant.
std::string EncodedParamToUtf8(const std::string &value);
