#include "bridge/md5.h"

#include <windows.h>
#include <bcrypt.h>

#include "bridge/handles.h"

namespace {
bool Succeeded(NTSTATUS status) { return status >= 0; }
}  // namespace

std::string Md5Hex(const std::string& bytes) {
    AlgorithmHandle algorithm;
    if (!Succeeded(BCryptOpenAlgorithmProvider(algorithm.out(), BCRYPT_MD5_ALGORITHM, nullptr, 0))) return {};
    HashHandle hash;
    if (!Succeeded(BCryptCreateHash(algorithm.get(), hash.out(), nullptr, 0, nullptr, 0, 0))) return {};
    // CNG takes a non-const pointer but does not write through it.
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!Succeeded(BCryptHashData(hash.get(), data, static_cast<ULONG>(bytes.size()), 0))) return {};
    UCHAR digest[16] = {};
    if (!Succeeded(BCryptFinishHash(hash.get(), digest, sizeof digest, 0))) return {};
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (UCHAR byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}
