#include "ui/installertrust.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

#include "engine/core/SSystemFunction.h"

namespace {

using SOUI::SystemFunction;

// Found when an upgrade is checked, the only time they are needed: crypt32 and wintrust
// bring a TLS library and its dependencies into the process.
struct Trust {
    decltype(&WinVerifyTrust) verify = SystemFunction<decltype(verify)>(L"wintrust.dll", "WinVerifyTrust");
    decltype(&WTHelperProvDataFromStateData) providerData =
        SystemFunction<decltype(providerData)>(L"wintrust.dll", "WTHelperProvDataFromStateData");
    decltype(&WTHelperGetProvSignerFromChain) signer =
        SystemFunction<decltype(signer)>(L"wintrust.dll", "WTHelperGetProvSignerFromChain");
    decltype(&CryptHashCertificate2) hash = SystemFunction<decltype(hash)>(L"crypt32.dll", "CryptHashCertificate2");
    decltype(&CryptEncodeObjectEx) encode = SystemFunction<decltype(encode)>(L"crypt32.dll", "CryptEncodeObjectEx");
    decltype(&CertGetEnhancedKeyUsage) usage =
        SystemFunction<decltype(usage)>(L"crypt32.dll", "CertGetEnhancedKeyUsage");
    bool Complete() const { return verify && providerData && signer && hash && encode && usage; }
};

const Trust& TrustFunctions()
{
    static const Trust trust;
    return trust;
}

std::wstring Hex(const BYTE* bytes, DWORD count)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring out;
    for (DWORD i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

std::wstring Code(const wchar_t* what, DWORD code)
{
    wchar_t buf[64] = {};
    swprintf(buf, 64, L"%ls 0x%08lX", what, static_cast<unsigned long>(code));
    return buf;
}

// The signer's own certificate (the first of its chain), as the provider data of a
// finished verification holds it.
PCCERT_CONTEXT SignerCertificate(const Trust& trust, HANDLE stateData)
{
    CRYPT_PROVIDER_DATA* provider = trust.providerData(stateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? trust.signer(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain)
        return nullptr;
    return signer->pasCertChain[0].pCert;
}

// SHA-256 of the certificate's SubjectPublicKeyInfo (DER), as `openssl pkey -pubin
// -outform DER | sha256sum` gives it; empty when it cannot be made. The key, not the
// certificate: a renewed certificate on the same key keeps its digest.
std::wstring PublicKeySha256(const Trust& trust, PCCERT_CONTEXT cert)
{
    BYTE* encoded = nullptr;
    DWORD encodedSize = 0;
    if (!trust.encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &cert->pCertInfo->SubjectPublicKeyInfo,
                      CRYPT_ENCODE_ALLOC_FLAG, nullptr, &encoded, &encodedSize))
        return {};
    BYTE hash[32] = {};
    DWORD size = sizeof hash;
    // Crypt32's CNG hashing (Vista and later); the legacy default provider has no SHA-256.
    const BOOL hashed = trust.hash(L"SHA256", 0, nullptr, encoded, encodedSize, hash, &size);
    LocalFree(encoded);
    if (!hashed || size != sizeof hash)
        return {};
    return Hex(hash, size);
}

// Whether the certificate names code signing among its extended key usages. One without
// the extension counts as not meant for it: a publisher's certificate always has it.
bool MeantForCodeSigning(const Trust& trust, PCCERT_CONTEXT cert)
{
    DWORD size = 0;
    if (!trust.usage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size) || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
    if (!trust.usage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usage, &size))
        return false;
    for (DWORD i = 0; i < usage->cUsageIdentifier; ++i)
        if (usage->rgpszUsageIdentifier[i] && strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_CODE_SIGNING) == 0)
            return true;
    return false;
}

// The digests of a key set, lower case; empty when the set is malformed.
std::vector<std::wstring> KeyDigests(const std::wstring& keys)
{
    std::vector<std::wstring> digests;
    size_t start = 0;
    for (;;) {
        const size_t comma = keys.find(L',', start);
        const std::wstring one = Lower(keys.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (one.size() != 64 || one.find_first_not_of(L"0123456789abcdef") != std::wstring::npos)
            return {};
        digests.push_back(one);
        if (comma == std::wstring::npos)
            return digests;
        start = comma + 1;
    }
}

}  // namespace

bool HasPublisherKeys(const std::wstring& keys)
{
    return !KeyDigests(keys).empty();
}

bool HoldTrustedInstaller(const std::wstring& path, const std::wstring& publisherKeys, KernelHandle& held,
                          std::wstring& why)
{
    held.reset();
    const std::vector<std::wstring> digests = KeyDigests(publisherKeys);
    if (digests.empty()) {
        why = L"this build pins no publisher key";
        return false;
    }
    const Trust& functions = TrustFunctions();
    if (!functions.Complete()) {
        why = L"the system's signature check cannot be loaded";
        return false;
    }
    // Read sharing only, from before the check until the file has been started. A link
    // is opened as itself, never followed: what is checked is what the name holds.
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        why = Code(L"cannot be opened alone for reading, error", GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file.get(), &information)) {
        why = Code(L"its attributes cannot be read, error", GetLastError());
        return false;
    }
    if (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
        why = Code(L"not a plain file, attributes", information.dwFileAttributes);
        return false;
    }

    WINTRUST_FILE_INFO info = {};
    info.cbStruct = sizeof info;
    info.pcwszFilePath = path.c_str();
    info.hFile = file.get();  // the very file we hold, not whatever the name points at later
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    // Offline: no revocation lists, nothing fetched to build the chain.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG trust = functions.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    PCCERT_CONTEXT cert = trust == 0 ? SignerCertificate(functions, data.hWVTStateData) : nullptr;
    const std::wstring signer = cert ? PublicKeySha256(functions, cert) : std::wstring();
    const bool codeSigning = cert && MeantForCodeSigning(functions, cert);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    functions.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

    if (trust != 0) {
        why = Code(L"signature not accepted, WinVerifyTrust", static_cast<DWORD>(trust));
        return false;
    }
    if (signer.empty()) {
        why = L"the signer's certificate cannot be read";
        return false;
    }
    if (!codeSigning) {
        why = L"the signer's certificate is not meant for code signing";
        return false;
    }
    if (std::find(digests.begin(), digests.end(), signer) == digests.end()) {
        why = L"signed with another key, SHA-256 " + signer;
        return false;
    }
    held = std::move(file);
    return true;
}

std::wstring HeldFilePath(const KernelHandle& held)
{
    if (!held.valid())
        return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetFinalPathNameByHandleW(held.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(held.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= buffer.size())
        return {};
    std::wstring path(buffer.data(), length);
    // The "\\?\" form is kept only where a path needs it: beyond MAX_PATH.
    if (path.size() - 4 < MAX_PATH) {
        if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
            path = L"\\" + path.substr(7);
        else if (path.compare(0, 4, L"\\\\?\\") == 0)
            path = path.substr(4);
    }
    return path;
}
