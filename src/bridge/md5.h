#pragma once
#include <string>

// MD5 (RFC 1321) of the bytes as 32 lowercase hexadecimal digits, computed by
// Windows CNG; empty when CNG cannot compute it.
std::string Md5Hex(const std::string& bytes);
