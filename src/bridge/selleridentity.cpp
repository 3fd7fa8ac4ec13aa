#include "bridge/selleridentity.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "bridge/bankline.h"
#include "bridge/md5.h"
#include "bridge/targets.h"
#include "bridge/windowtext.h"
#include "bridge/windowtree.h"
#include "base/textconv.h"

namespace {

// The invoicing program's seller fields are read through a 100-character buffer.
constexpr size_t kReadCapacity = 100;

std::optional<std::wstring> ReadFirstChildText(HWND container)
{
    return ReadTextBounded(ChildAt(container, 1), kReadCapacity);
}

bool ReadHt(HWND target, CompanyRecord& merchant)
{
    std::vector<HWND> children = FirstChildren(target, 18);
    HWND taxBox = children[16];
    HWND nameBox = children[17];
    // Read both before writing either: a half-read seller must not become an identity.
    std::optional<std::wstring> name = nameBox ? ReadFirstChildText(nameBox) : std::wstring();
    std::optional<std::wstring> tax = taxBox ? ReadFirstChildText(taxBox) : std::wstring();
    if (!name || !tax)
        return false;
    if (nameBox)
        merchant.Name = *name;
    if (taxBox) {
        merchant.CreditCode = *tax;
        merchant.Identity = L"_HT" + *tax;
    }
    return true;
}

SellerRead ReadBw(HWND target, CompanyRecord& merchant)
{
    if (HWND lineWindow = ChildAt(target, 5)) {
        std::optional<std::wstring> line = ReadTextBounded(lineWindow, kReadCapacity);
        if (!line)
            return SellerRead::Unanswered;
        std::string bytes = WideToGbk(*line);
        if (std::optional<BankLineSplit> split = SplitSellerBankLine(bytes)) {
            std::string digest = Md5Hex(bytes);
            // Without the digest this seller would be filed under the default identity
            // that every such PC shares.
            if (digest.empty())
                return SellerRead::NoDigest;
            merchant.Bank = GbkToWide(split->bank);
            merchant.Bankaccount = GbkToWide(split->account);
            merchant.Identity = L"_BW" + std::wstring(digest.begin(), digest.end());
        }
    }
    if (merchant.Identity.empty())
        merchant.Identity = kDefaultBwIdentity;
    return SellerRead::Read;
}

}  // namespace

SellerRead ReadSellerIdentity(CompanyRecord& merchant)
{
    if (HWND target = FindHtFillTarget())
        return ReadHt(target, merchant) ? SellerRead::Read : SellerRead::Unanswered;
    if (HWND target = FindBwSellerTarget())
        return ReadBw(target, merchant);
    return SellerRead::NoTarget;
}
