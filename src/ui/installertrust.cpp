#include "ui/installertrust.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cwctype>

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
    bool Complete() const { return verify && providerData && signer && hash; }
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

// SHA-256 of the signer's own certificate (the first of its chain), as the provider
// data of a finished verification holds it; empty when it cannot be read.
std::wstring SignerSha256(const Trust& trust, HANDLE stateData)
{
    CRYPT_PROVIDER_DATA* provider = trust.providerData(stateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? trust.signer(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert)
        return {};
    PCCERT_CONTEXT cert = signer->pasCertChain[0].pCert;
    BYTE hash[32] = {};
    DWORD size = sizeof hash;
    // Crypt32's CNG hashing (Vista and later); the legacy default provider has no SHA-256.
    if (!trust.hash(L"SHA256", 0, nullptr, cert->pbCertEncoded, cert->cbCertEncoded, hash, &size) ||
        size != sizeof hash)
        return {};
    return Hex(hash, size);
}

}  // namespace

bool IsSignerPin(const std::wstring& sha256Hex)
{
    if (sha256Hex.size() != 64)
        return false;
    for (wchar_t c : sha256Hex)
        if (!iswxdigit(c))
            return false;
    return true;
}

bool HoldTrustedInstaller(const std::wstring& path, const std::wstring& pinnedSha256Hex, KernelHandle& held,
                          std::wstring& why)
{
    held.reset();
    if (!IsSignerPin(pinnedSha256Hex)) {
        why = L"this build pins no publisher certificate";
        return false;
    }
    const Trust& functions = TrustFunctions();
    if (!functions.Complete()) {
        why = L"the system's signature check cannot be loaded";
        return false;
    }
    // Read sharing only, from before the check until the shell has started the file.
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        why = Code(L"cannot be opened alone for reading, error", GetLastError());
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
    const std::wstring signer = trust == 0 ? SignerSha256(functions, data.hWVTStateData) : std::wstring();
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
    if (signer != Lower(pinnedSha256Hex)) {
        why = L"signed by another certificate, SHA-256 " + signer;
        return false;
    }
    held = std::move(file);
    return true;
}
