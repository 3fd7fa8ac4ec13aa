#include "ui/importflow.h"

#include "bridge/buyerfill.h"
#include "bridge/targets.h"
#include "net/companyendpoints.h"
#include "net/invoiceendpoints.h"

const wchar_t kIncompleteFillMessage[] =
    L"\u5F00\u7968\u8F6F\u4EF6\u6CA1\u6709\u54CD\u5E94\uFF0C\u8D2D\u4E70\u65B9\u4FE1\u606F\u672A\u5B8C\u6574\u5199\u5165\uFF0C"
    L"\u8BF7\u6838\u5BF9\u540E\u91CD\u65B0\u5BFC\u5165\uFF01";  // 开票软件没有响应，购买方信息未完整写入，请核对后重新导入！

namespace {

bool Wanted(const StillWanted& wanted)
{
    return !wanted || wanted();
}

template <typename T> bool InRange(const std::vector<T>& rows, int row)
{
    return row >= 0 && static_cast<std::size_t>(row) < rows.size();
}

}  // namespace

ImportNext ImportSearchHit(CHttpTransport& transport, const std::vector<CompanyRecord>& hits, int row,
                           const CompanyRecord& merchant, const StillWanted& wanted)
{
    if (!InRange(hits, row))
        return ImportNext::RestartTimer;
    CompanyRecord buyer = hits[row];
    // On failure the hit's name still goes in, with the other fields empty.
    GetCompanyInfo(transport, buyer.KeyNo, buyer);
    if (!Wanted(wanted))
        return ImportNext::RestartTimer;
    switch (FillBuyerBlock(buyer)) {
    case FillResult::Complete:
        if (!Wanted(wanted))
            return ImportNext::RestartTimer;
        AddInvoiceRecord(transport, merchant.KeyNo, merchant.UserId, buyer);
        return ImportNext::Refresh;
    case FillResult::CutShort:
        return ImportNext::IncompleteFill;
    case FillResult::NoTarget:
        break;
    }
    return ImportNext::Refresh;
}

ImportNext ImportSearchRow(CHttpTransport& transport, const std::vector<CompanyRecord>& hits, int row,
                           const CompanyRecord& merchant)
{
    if (!IsIssuingWindowOpen())
        return ImportNext::RestartTimer;
    return ImportSearchHit(transport, hits, row, merchant);
}

CompanyRecord BuyerFromHistory(const InvoiceRecord& record)
{
    CompanyRecord buyer;
    buyer.Name = record.company_name;
    buyer.Address = record.company_address;
    buyer.KeyNo = record.business_keyno;
    buyer.CreditCode = record.company_taxid;
    buyer.Bank = record.bank_name;
    buyer.Bankaccount = record.bank_accounts;
    buyer.ApplyId = record.apply_id;
    return buyer;
}

ImportNext ImportHistoryRecord(CHttpTransport& transport, const std::vector<InvoiceRecord>& records, int row,
                               const StillWanted& wanted)
{
    if (!IsIssuingWindowOpen())
        return ImportNext::NoWindowMessage;
    if (!InRange(records, row) || !Wanted(wanted))
        return ImportNext::RestartTimer;
    const CompanyRecord buyer = BuyerFromHistory(records[row]);
    switch (FillBuyerBlock(buyer)) {
    case FillResult::Complete:
        break;
    case FillResult::CutShort:
        return ImportNext::IncompleteFill;
    case FillResult::NoTarget:
        return ImportNext::RestartTimer;
    }
    if (!Wanted(wanted))
        return ImportNext::RestartTimer;
    UpdateInvoiceRecordDate(transport, buyer.KeyNo, buyer.ApplyId);
    return ImportNext::Refresh;
}
