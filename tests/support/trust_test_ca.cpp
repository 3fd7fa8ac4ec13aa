// Makes this Wine prefix trust a test CA for TLS: the PEM file named on the command
// line goes into the LocalMachine "Root" store, which WinINet checks server
// certificates against. Earlier CAs of the same subject go first, so a prefix that
// meets many test runs holds only the newest one.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
bool ReadAll(const wchar_t* path, std::string& bytes)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return !bytes.empty();
}

std::wstring SubjectOf(PCCERT_CONTEXT cert)
{
    wchar_t name[256] = {};
    CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, ARRAYSIZE(name));
    return name;
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_test_ca CA.pem\n");
        return 2;
    }
    std::string pem;
    if (!ReadAll(argv[1], pem)) {
        std::fprintf(stderr, "cannot read the CA file\n");
        return 1;
    }
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                              nullptr, nullptr)) {
        std::fprintf(stderr, "not a PEM certificate\n");
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(), &size,
                         nullptr, nullptr);
    PCCERT_CONTEXT ca = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size);
    if (!ca) {
        std::fprintf(stderr, "not a certificate\n");
        return 1;
    }
    const std::wstring subject = SubjectOf(ca);

    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!root) {
        std::fprintf(stderr, "cannot open the LocalMachine Root store (%lu)\n", GetLastError());
        return 1;
    }
    std::vector<PCCERT_CONTEXT> stale;
    for (PCCERT_CONTEXT it = nullptr; (it = CertEnumCertificatesInStore(root, it)) != nullptr;)
        if (SubjectOf(it) == subject && !CertCompareCertificate(X509_ASN_ENCODING, it->pCertInfo, ca->pCertInfo))
            stale.push_back(CertDuplicateCertificateContext(it));
    for (PCCERT_CONTEXT old : stale)
        CertDeleteCertificateFromStore(old);  // frees `old` as well
    const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = GetLastError();
    CertFreeCertificateContext(ca);
    CertCloseStore(root, 0);
    if (!added) {
        std::fprintf(stderr, "adding the CA failed (%lu)\n", error);
        return 1;
    }
    std::printf("trusted (%zu earlier copies removed)\n", stale.size());
    return 0;
}
