#include "ui/installertrust.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <string>
#include <cstring>
#include <cwctype>
#include <vector>

#include "base/systemfunction.h"

namespace {

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

// Only for a signer whose certificate has expired: reading its timestamp.
struct TimestampFunctions {
    decltype(&CryptMsgGetParam) msgParam = SystemFunction<decltype(msgParam)>(L"crypt32.dll", "CryptMsgGetParam");
    decltype(&CryptMsgOpenToDecode) msgOpen = SystemFunction<decltype(msgOpen)>(L"crypt32.dll", "CryptMsgOpenToDecode");
    decltype(&CryptMsgUpdate) msgUpdate = SystemFunction<decltype(msgUpdate)>(L"crypt32.dll", "CryptMsgUpdate");
    decltype(&CryptMsgControl) msgControl = SystemFunction<decltype(msgControl)>(L"crypt32.dll", "CryptMsgControl");
    decltype(&CryptMsgClose) msgClose = SystemFunction<decltype(msgClose)>(L"crypt32.dll", "CryptMsgClose");
    decltype(&CertOpenStore) openStore = SystemFunction<decltype(openStore)>(L"crypt32.dll", "CertOpenStore");
    decltype(&CertCloseStore) closeStore = SystemFunction<decltype(closeStore)>(L"crypt32.dll", "CertCloseStore");
    decltype(&CertGetSubjectCertificateFromStore) subject =
        SystemFunction<decltype(subject)>(L"crypt32.dll", "CertGetSubjectCertificateFromStore");
    decltype(&CertFreeCertificateContext) freeCert =
        SystemFunction<decltype(freeCert)>(L"crypt32.dll", "CertFreeCertificateContext");
    decltype(&CertGetCertificateChain) chain =
        SystemFunction<decltype(chain)>(L"crypt32.dll", "CertGetCertificateChain");
    decltype(&CertVerifyCertificateChainPolicy) policy =
        SystemFunction<decltype(policy)>(L"crypt32.dll", "CertVerifyCertificateChainPolicy");
    decltype(&CertFreeCertificateChain) freeChain =
        SystemFunction<decltype(freeChain)>(L"crypt32.dll", "CertFreeCertificateChain");
    bool Complete() const
    {
        return msgParam && msgOpen && msgUpdate && msgControl && msgClose && openStore && closeStore && subject &&
               freeCert && chain && policy && freeChain;
    }
};

const Trust& TrustFunctions()
{
    static const Trust trust;
    return trust;
}

const TimestampFunctions& Timestamping()
{
    static const TimestampFunctions ts;
    return ts;
}

// The timestamp's objects, freed through the functions found at run time.
bool CloseMessage(HCRYPTMSG msg)
{
    return Timestamping().msgClose(msg) != FALSE;
}
bool CloseStore(HCERTSTORE store)
{
    return Timestamping().closeStore(store, 0) != FALSE;
}
bool FreeCertificate(PCCERT_CONTEXT cert)
{
    return Timestamping().freeCert(cert) != FALSE;
}
bool FreeChain(PCCERT_CHAIN_CONTEXT chain)
{
    Timestamping().freeChain(chain);
    return true;
}
using MessageHandle = UniqueHandle<handle_closers::NullIsNone<HCRYPTMSG, CloseMessage>>;
using StoreHandle = UniqueHandle<handle_closers::NullIsNone<HCERTSTORE, CloseStore>>;
using CertificateHandle = UniqueHandle<handle_closers::NullIsNone<PCCERT_CONTEXT, FreeCertificate>>;
using ChainHandle = UniqueHandle<handle_closers::NullIsNone<PCCERT_CHAIN_CONTEXT, FreeChain>>;

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
PCCERT_CONTEXT SignerCertificate(const CRYPT_PROVIDER_SGNR* signer)
{
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain)
        return nullptr;
    return signer->pasCertChain[0].pCert;
}

// Whether the chain the verification built for the signer ends at a root this system
// trusts, with every signature in it valid. Wine's WinVerifyTrust accepts a chain to an
// unknown root (measured), its chain engine still reports it. Time validity is judged
// apart (see HoldTrustedInstaller), revocation is not asked for.
bool ChainsToTrustedRoot(const CRYPT_PROVIDER_SGNR* signer)
{
    const DWORD judgedApart = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED |
                              CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    return signer && signer->pChainContext && (signer->pChainContext->TrustStatus.dwErrorStatus & ~judgedApart) == 0;
}

// SHA-256 of the certificate's SubjectPublicKeyInfo (DER), as `openssl pkey -pubin
// -outform DER | sha256sum` gives it; empty when it cannot be made. The key, not the
// certificate: a renewed certificate on the same key keeps its digest.
std::wstring PublicKeySha256(const Trust& trust, PCCERT_CONTEXT cert)
{
    LocalMemory encoded;
    DWORD encodedSize = 0;
    if (!trust.encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &cert->pCertInfo->SubjectPublicKeyInfo,
                      CRYPT_ENCODE_ALLOC_FLAG, nullptr, encoded.Out(), &encodedSize))
        return {};
    BYTE hash[32] = {};
    DWORD size = sizeof hash;
    // Crypt32's CNG hashing (Vista and later); the legacy default provider has no SHA-256.
    const BOOL hashed =
        trust.hash(L"SHA256", 0, nullptr, static_cast<const BYTE*>(encoded.Get()), encodedSize, hash, &size);
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

// A parameter of a message (or of its first signer) as bytes; empty when missing.
std::vector<BYTE> MessageParam(const TimestampFunctions& ts, HCRYPTMSG msg, DWORD type)
{
    DWORD size = 0;
    if (!ts.msgParam(msg, type, 0, nullptr, &size) || size == 0)
        return {};
    std::vector<BYTE> bytes(size);
    if (!ts.msgParam(msg, type, 0, bytes.data(), &size))
        return {};
    bytes.resize(size);
    return bytes;
}

// One DER element: its tag and contents; false when it does not fit in [at, end).
bool ReadDer(const BYTE*& at, const BYTE* end, BYTE& tag, const BYTE*& contents, size_t& length)
{
    if (end - at < 2)
        return false;
    tag = at[0];
    size_t size = at[1];
    at += 2;
    if (size & 0x80) {
        const size_t bytes = size & 0x7F;
        if (bytes == 0 || bytes > 4 || static_cast<size_t>(end - at) < bytes)
            return false;
        size = 0;
        for (size_t i = 0; i < bytes; ++i)
            size = size << 8 | *at++;
    }
    if (static_cast<size_t>(end - at) < size)
        return false;
    contents = at;
    length = size;
    at += size;
    return true;
}

// From a TSTInfo (RFC 3161): the digest algorithm's OID (DER contents), the digest the
// timestamp covers and its time.
bool ReadTstInfo(const std::vector<BYTE>& info, std::vector<BYTE>& algorithm, std::vector<BYTE>& digest, FILETIME& when)
{
    const BYTE* at = info.data();
    const BYTE* contents = nullptr;
    size_t length = 0;
    BYTE tag = 0;
    if (!ReadDer(at, info.data() + info.size(), tag, contents, length))
        return false;
    // Wine hands over the content still wrapped in its OCTET STRING (measured).
    if (tag == 0x04) {
        at = contents;
        if (!ReadDer(at, contents + length, tag, contents, length))
            return false;
    }
    if (tag != 0x30)
        return false;
    const BYTE* end = contents + length;
    at = contents;
    // version, policy, messageImprint, serialNumber, genTime
    if (!ReadDer(at, end, tag, contents, length) || tag != 0x02 || !ReadDer(at, end, tag, contents, length) ||
        tag != 0x06 || !ReadDer(at, end, tag, contents, length) || tag != 0x30)
        return false;
    const BYTE* imprint = contents;
    const BYTE* imprintEnd = contents + length;
    const BYTE* algorithmContents = nullptr;
    size_t algorithmLength = 0;
    if (!ReadDer(imprint, imprintEnd, tag, algorithmContents, algorithmLength) || tag != 0x30)
        return false;
    const BYTE* oid = algorithmContents;
    const BYTE* oidContents = nullptr;
    size_t oidLength = 0;
    if (!ReadDer(oid, algorithmContents + algorithmLength, tag, oidContents, oidLength) || tag != 0x06)
        return false;
    algorithm.assign(oidContents, oidContents + oidLength);
    if (!ReadDer(imprint, imprintEnd, tag, contents, length) || tag != 0x04)
        return false;
    digest.assign(contents, contents + length);
    if (!ReadDer(at, end, tag, contents, length) || tag != 0x02 || !ReadDer(at, end, tag, contents, length) ||
        tag != 0x18 || length < 15)
        return false;
    // YYYYMMDDHHMMSS[.f...]Z
    const std::string text(reinterpret_cast<const char*>(contents), length);
    if (text.back() != 'Z' || text.find_first_not_of("0123456789") < 14)
        return false;
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(std::stoi(text.substr(0, 4)));
    time.wMonth = static_cast<WORD>(std::stoi(text.substr(4, 2)));
    time.wDay = static_cast<WORD>(std::stoi(text.substr(6, 2)));
    time.wHour = static_cast<WORD>(std::stoi(text.substr(8, 2)));
    time.wMinute = static_cast<WORD>(std::stoi(text.substr(10, 2)));
    time.wSecond = static_cast<WORD>(std::stoi(text.substr(12, 2)));
    return SystemTimeToFileTime(&time, &when) != FALSE;
}

// When the signature of `signed` was made, as its RFC 3161 timestamp proves it: the
// timestamp must cover the signature, be signed by a certificate meant for time
// stamping, and that certificate must chain to a trusted root. False (and `why`)
// without such a timestamp.
bool TimestampedAt(const Trust& trust, HCRYPTMSG signedMsg, FILETIME& when, std::wstring& why)
{
    const TimestampFunctions& ts = Timestamping();
    if (!signedMsg || !ts.Complete()) {
        why = L"its timestamp cannot be read";
        return false;
    }
    // The signer's whole record: under Wine 8 the narrower questions (its unauthenticated
    // attributes, its encrypted digest) did not both answer (measured).
    const std::vector<BYTE> signerBytes = MessageParam(ts, signedMsg, CMSG_SIGNER_INFO_PARAM);
    const CRYPT_DATA_BLOB* token = nullptr;
    std::vector<BYTE> signature;
    if (!signerBytes.empty()) {
        const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerBytes.data());
        signature.assign(signer->EncryptedHash.pbData, signer->EncryptedHash.pbData + signer->EncryptedHash.cbData);
        for (DWORD i = 0; i < signer->UnauthAttrs.cAttr; ++i) {
            const CRYPT_ATTRIBUTE& attribute = signer->UnauthAttrs.rgAttr[i];
            if (attribute.pszObjId && strcmp(attribute.pszObjId, szOID_RFC3161_counterSign) == 0 &&
                attribute.cValue > 0)
                token = &attribute.rgValue[0];
        }
    }
    if (!token || signature.empty()) {
        why = L"it carries no timestamp";
        return false;
    }
    const DWORD encoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
    const MessageHandle msg(ts.msgOpen(encoding, 0, 0, 0, nullptr, nullptr));
    if (!msg)
        return false;
    bool ok = false;
    // Freed in the reverse order: the chain, the certificate, the store, the message.
    StoreHandle store;
    CertificateHandle tsa;
    ChainHandle chain;
    std::vector<BYTE> info, algorithm, digest;
    why = L"its timestamp is not valid";
    if (ts.msgUpdate(msg.Get(), token->pbData, token->cbData, TRUE) &&
        !(info = MessageParam(ts, msg.Get(), CMSG_CONTENT_PARAM)).empty() &&
        ReadTstInfo(info, algorithm, digest, when)) {
        const std::vector<BYTE> signerInfo = MessageParam(ts, msg.Get(), CMSG_SIGNER_CERT_INFO_PARAM);
        store.Reset(ts.openStore(CERT_STORE_PROV_MSG, encoding, 0, 0, msg.Get()));
        if (store && !signerInfo.empty())
            tsa.Reset(
                ts.subject(store.Get(), encoding, reinterpret_cast<CERT_INFO*>(const_cast<BYTE*>(signerInfo.data()))));
    }
    static const BYTE kSha256[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
    static const BYTE kSha1[] = {0x2B, 0x0E, 0x03, 0x02, 0x1A};
    const wchar_t* hashName = algorithm == std::vector<BYTE>(kSha256, kSha256 + sizeof kSha256) ? L"SHA256"
                              : algorithm == std::vector<BYTE>(kSha1, kSha1 + sizeof kSha1)     ? L"SHA1"
                                                                                                : nullptr;
    BYTE covered[32] = {};
    DWORD coveredSize = sizeof covered;
    CERT_ENHKEY_USAGE timeStamping = {};
    LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_TIMESTAMP_SIGNING)};
    timeStamping.cUsageIdentifier = 1;
    timeStamping.rgpszUsageIdentifier = usage;
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage = timeStamping;
    CERT_CHAIN_POLICY_PARA policyPara = {};
    policyPara.cbSize = sizeof policyPara;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    if (tsa && hashName && ts.msgControl(msg.Get(), 0, CMSG_CTRL_VERIFY_SIGNATURE, tsa.Get()->pCertInfo) &&
        trust.hash(hashName, 0, nullptr, signature.data(), static_cast<DWORD>(signature.size()), covered,
                   &coveredSize) &&
        digest == std::vector<BYTE>(covered, covered + coveredSize) &&
        ts.chain(nullptr, tsa.Get(), &when, store.Get(), &para, 0, nullptr, chain.Out()) && chain &&
        ts.policy(CERT_CHAIN_POLICY_BASE, chain.Get(), &policyPara, &status) && status.dwError == 0 &&
        chain.Get()->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR)
        ok = true;
    return ok;
}

// The digests of a key set, lower case; empty when the set is malformed.
std::vector<std::wstring> KeyDigests(const std::wstring& keys)
{
    std::vector<std::wstring> digests;
    size_t start = 0;
    for (;;) {
        const size_t comma = keys.find(L',', start);
        const std::wstring one =
            Lower(keys.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
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
    held.Reset();
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
    if (!file) {
        why = Code(L"cannot be opened alone for reading, error", GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file.Get(), &information)) {
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
    info.hFile = file.Get();  // the very file we hold, not whatever the name points at later
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
    CRYPT_PROVIDER_DATA* provider = trust == 0 ? functions.providerData(data.hWVTStateData) : nullptr;
    CRYPT_PROVIDER_SGNR* signerData = provider ? functions.signer(provider, 0, FALSE, 0) : nullptr;
    PCCERT_CONTEXT cert = SignerCertificate(signerData);
    const bool trustedRoot = ChainsToTrustedRoot(signerData);
    const std::wstring signer = cert ? PublicKeySha256(functions, cert) : std::wstring();
    const bool codeSigning = cert && MeantForCodeSigning(functions, cert);
    // A certificate that is not valid now counts only with a timestamp of a time it was.
    // Windows' own check knows this rule; Wine's lets an expired signer pass (measured).
    std::wstring stampWhy;
    bool validWhenSigned = true;
    if (cert) {
        FILETIME now = {};
        GetSystemTimeAsFileTime(&now);
        if (CompareFileTime(&now, &cert->pCertInfo->NotBefore) < 0 ||
            CompareFileTime(&now, &cert->pCertInfo->NotAfter) > 0) {
            FILETIME stamped = {};
            validWhenSigned = TimestampedAt(functions, provider ? provider->hMsg : nullptr, stamped, stampWhy) &&
                              CompareFileTime(&stamped, &cert->pCertInfo->NotBefore) >= 0 &&
                              CompareFileTime(&stamped, &cert->pCertInfo->NotAfter) <= 0;
            if (!validWhenSigned && stampWhy.empty())
                stampWhy = L"it was timestamped outside its certificate's validity";
        }
    }
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
    if (!trustedRoot) {
        why = L"signature not accepted: the signer's certificate does not chain to a trusted root";
        return false;
    }
    if (!codeSigning) {
        why = L"the signer's certificate is not meant for code signing";
        return false;
    }
    if (!validWhenSigned) {
        why = L"signature not accepted: the signer's certificate is not valid now and " + stampWhy;
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
    if (!held)
        return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetFinalPathNameByHandleW(held.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(held.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
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
