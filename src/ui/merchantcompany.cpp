#include "ui/merchantcompany.h"

#include <windows.h>

#include "bridge/selleridentity.h"
#include "bridge/targets.h"
#include "net/companyendpoints.h"
#include "base/textconv.h"
#include "profile/profile.h"

const wchar_t kOpenIssuingWindowMessage[] = L"请打开开具增值税普通或专用开票界面！";
const wchar_t kNoDigestMessage[] = L"无法识别本公司的开票信息：本机系统的加密组件(bcrypt.dll)不可用。";

namespace {

bool SameIdentity(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    if (a.empty())
        return true;
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// False when the invoicing program did not answer: the resolution stops there.
bool CompleteFromIssuingWindow(CHttpTransport& transport, MerchantCompany& merchant, const MerchantPrompts& prompts)
{
    CompanyRecord& record = merchant.record;
    // An unanswered or unhashable read says nothing about the seller: going on would take the
    // record's empty identity for a new one, clear the last identity and could
    // file a key number under no identity. The next call reads again.
    const SellerRead read = ReadSellerIdentity(record);
    if (read == SellerRead::NoDigest && !merchant.toldNoDigest) {
        merchant.toldNoDigest = true;
        if (prompts.showMessage)
            prompts.showMessage(kNoDigestMessage);
    }
    if (read == SellerRead::Unanswered || read == SellerRead::NoDigest)
        return false;

    if (!record.Identity.empty() && !SameIdentity(record.Identity, merchant.lastIdentity)) {
        WriteCompanyId(record.Identity);
        std::string keyNo, taxCode, name;
        ReadCompanyProfile(record.Identity, keyNo, taxCode, name);
        // The profile wins over what the seller fields just showed, even when empty.
        record.Name = AnsiToWide(name);
        record.KeyNo = AnsiToWide(keyNo);
        record.CreditCode = AnsiToWide(taxCode);
        // Creates the section and its keys for an identity met the first time.
        WriteCompanyNameAndTaxCode(record.Identity, name, taxCode);
    }
    merchant.lastIdentity = record.Identity;

    if (!merchant.lastIdentity.empty() && record.Name.empty() && prompts.askCompany) {
        std::wstring name, taxCode;
        if (prompts.askCompany(name, taxCode)) {
            record.Name = name;
            record.CreditCode = taxCode;
            WriteCompanyNameAndTaxCode(merchant.lastIdentity, WideToAnsi(name), WideToAnsi(taxCode));
        }
    }

    if (record.KeyNo.empty()) {
        std::wstring keyNo;
        if (GetCompanyKeyNo(transport, record.Name, keyNo) && !keyNo.empty()) {
            record.KeyNo = keyNo;
            WriteCompanyKeyNo(merchant.lastIdentity, WideToAnsi(keyNo));
        }
    }
    return true;
}

}  // namespace

MerchantCompany LoadMerchantCompany()
{
    MerchantCompany merchant;
    merchant.lastIdentity = ReadCompanyId();
    std::string keyNo, taxCode, name;
    ReadCompanyProfile(merchant.lastIdentity, keyNo, taxCode, name);
    merchant.record.KeyNo = AnsiToWide(keyNo);
    merchant.record.CreditCode = AnsiToWide(taxCode);
    merchant.record.Name = AnsiToWide(name);
    merchant.record.UserId = AnsiToWide(ReadStoredUser());
    return merchant;
}

bool EnsureMerchantCompany(CHttpTransport& transport, MerchantCompany& merchant, const MerchantPrompts& prompts,
                           bool showMessage)
{
    // The input window's modal loop runs the refresh timer and the buttons: a
    // resolution started there would open a second input window over the first.
    // The one running finishes the job.
    if (merchant.resolving)
        return true;
    struct Resolving {
        bool& flag;
        explicit Resolving(bool& f) : flag(f) { flag = true; }
        ~Resolving() { flag = false; }
    } resolving(merchant.resolving);

    CompanyRecord& record = merchant.record;
    if (record.Name.empty() || record.CreditCode.empty() || record.KeyNo.empty()) {
        if (IsIssuingWindowOpen()) {
            if (!CompleteFromIssuingWindow(transport, merchant, prompts))
                return true;
        } else if (showMessage) {
            if (prompts.showMessage)
                prompts.showMessage(kOpenIssuingWindowMessage);
            return false;
        }
    }
    // The bank tells whether the service's company information was fetched yet.
    if (record.Bank.empty())
        GetCompanyInfo(transport, record.KeyNo, record);
    return true;
}
