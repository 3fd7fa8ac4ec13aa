#include "bridge/buyerfill.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "bridge/targets.h"
#include "bridge/windowtext.h"
#include "bridge/windowtree.h"

namespace {

// HT containers hold a label before the field; one without it holds just the field.
HWND HtFieldIn(HWND container)
{
    HWND first = ChildAt(container, 1);
    if (!first)
        return nullptr;
    HWND second = GetWindow(first, GW_HWNDNEXT);
    return second ? second : first;
}

}  // namespace

std::optional<BuyerFields> FindBuyerFields()
{
    if (HWND target = FindHtFillTarget()) {
        std::vector<HWND> children = FirstChildren(target, 22);
        return BuyerFields{HtFieldIn(children[21]), HtFieldIn(children[19]), HtFieldIn(children[20]),
                           HtFieldIn(children[18])};
    }
    if (HWND target = FindBwFillTarget()) {
        std::vector<HWND> children = FirstChildren(target, 4);
        return BuyerFields{children[1], children[0], ChildAt(children[2], 1), ChildAt(children[3], 1)};
    }
    return std::nullopt;
}

FillResult FillBuyerBlock(const CompanyRecord& buyer)
{
    // Walked anew every time: which issuing window the title search picks changes as the
    // merchant opens, closes and raises windows, and nothing cheap tells that it did.
    std::optional<BuyerFields> fields = FindBuyerFields();
    if (!fields)
        return FillResult::NoTarget;
    // Name, tax number, address, bank: the order the invoicing program sees them typed.
    const std::pair<HWND, std::wstring> writes[] = {
        {fields->name, buyer.Name},
        {fields->taxNumber, buyer.CreditCode},
        {fields->addressPhone, buyer.Address + L" " + buyer.PhoneNumber},
        {fields->bankAccount, buyer.Bank + L" " + buyer.Bankaccount},
    };
    for (const auto& [window, text] : writes) {
        if (!window)
            continue;
        // A program that does not answer one write will not answer the next either.
        if (!SendTextBounded(window, text, kFillWriteTimeoutMs))
            return FillResult::CutShort;
    }
    return FillResult::Complete;
}
