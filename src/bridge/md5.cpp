#include "bridge/md5.h"

#include <windows.h>
#include <bcrypt.h>

#include "base/handle.h"
#include "base/systemfunction.h"

namespace {
bool Succeeded(NTSTATUS status)
{
    return status >= 0;
}

template <class Fn> Fn Bcrypt(const char* name)
{
    return SystemFunction<Fn>(L"bcrypt.dll", name);
}

// CNG's hashing, found on first use: an MD5 is needed only when a BW seller is read.
struct Cng {
    decltype(&BCryptOpenAlgorithmProvider) open = Bcrypt<decltype(open)>("BCryptOpenAlgorithmProvider");
    decltype(&BCryptCloseAlgorithmProvider) close = Bcrypt<decltype(close)>("BCryptCloseAlgorithmProvider");
    decltype(&BCryptCreateHash) create = Bcrypt<decltype(create)>("BCryptCreateHash");
    decltype(&BCryptHashData) data = Bcrypt<decltype(data)>("BCryptHashData");
    decltype(&BCryptFinishHash) finish = Bcrypt<decltype(finish)>("BCryptFinishHash");
    decltype(&BCryptDestroyHash) destroy = Bcrypt<decltype(destroy)>("BCryptDestroyHash");
    bool Complete() const { return open && close && create && data && finish && destroy; }
};

const Cng& Functions()
{
    static const Cng cng;
    return cng;
}

// CNG's closers, found at run time like the rest of it.
bool CloseAlgorithm(BCRYPT_ALG_HANDLE h)
{
    return Succeeded(Functions().close(h, 0));
}
bool CloseHash(BCRYPT_HASH_HANDLE h)
{
    return Succeeded(Functions().destroy(h));
}
}  // namespace

std::string Md5Hex(const std::string& bytes)
{
    const Cng& cng = Functions();
    if (!cng.Complete())
        return {};
    UniqueHandle<handle_closers::NullIsNone<BCRYPT_ALG_HANDLE, CloseAlgorithm>> algorithm;
    if (!Succeeded(cng.open(algorithm.Out(), BCRYPT_MD5_ALGORITHM, nullptr, 0)))
        return {};
    UniqueHandle<handle_closers::NullIsNone<BCRYPT_HASH_HANDLE, CloseHash>> hash;
    if (!Succeeded(cng.create(algorithm.Get(), hash.Out(), nullptr, 0, nullptr, 0, 0)))
        return {};
    // CNG takes a non-const pointer but does not write through it.
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!Succeeded(cng.data(hash.Get(), data, static_cast<ULONG>(bytes.size()), 0)))
        return {};
    UCHAR digest[16] = {};
    if (!Succeeded(cng.finish(hash.Get(), digest, sizeof digest, 0)))
        return {};
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (UCHAR byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}
