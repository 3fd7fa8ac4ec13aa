// Makes this Wine prefix trust a test CA for TLS: the PEM file named on the command
// line goes into the LocalMachine "Root" store, which WinINet checks server
// certificates against. Wine 8 neither deletes a certificate from that store nor adds
// a second one of a subject already there (both report success), so every new test CA
// has a subject of its own (tools/service/tls-certs.sh).
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
    const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = GetLastError();
    CertCloseStore(root, 0);
    if (!added) {
        CertFreeCertificateContext(ca);
        std::fprintf(stderr, "adding the CA failed (%lu)\n", error);
        return 1;
    }
    // Success is not enough (see above): the store, opened afresh, has to hold it.
    root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    PCCERT_CONTEXT found =
        root ? CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, ca, nullptr) : nullptr;
    if (found)
        CertFreeCertificateContext(found);
    if (root)
        CertCloseStore(root, 0);
    CertFreeCertificateContext(ca);
    if (!found) {
        std::fprintf(stderr,
                     "the Root store does not hold the CA after adding it; another CA named %ls is "
                     "probably there already\n",
                     subject.c_str());
        return 1;
    }
    std::printf("trusted: %ls\n", subject.c_str());
    return 0;
}
