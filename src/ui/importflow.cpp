#include "ui/importflow.h"

#include "bridge/buyerfill.h"
#include "bridge/targets.h"
#include "net/companyendpoints.h"
#include "net/invoiceendpoints.h"
#include "net/textconv.h"

namespace {

template <typename T>
bool InRange(const std::vector<T>& rows, int row)
{
    return row >= 0 && static_cast<std::size_t>(row) < rows.size();
}

}  // namespace

ImportNext ImportSearchHit(CHttpTransport& transport, const std::vector<CompanyRecord>& hits, int row,
                           const CompanyRecord& merchant)
{
    if (!InRange(hits, row))
        return ImportNext::RestartTimer;
    CompanyRecord buyer = hits[row];
    // On failure the hit's name still goes in, with the other fields empty.
    GetCompanyInfo(transport, WideToGbk(buyer.KeyNo), buyer);
    if (FillBuyerBlock(buyer))
        AddInvoiceRecord(transport, WideToGbk(merchant.KeyNo), WideToGbk(merchant.UserId), buyer);
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

ImportNext ImportHistoryRecord(CHttpTransport& transport, const std::vector<InvoiceRecord>& records, int row)
{
    if (!IsIssuingWindowOpen())
        return ImportNext::NoWindowMessage;
    if (!InRange(records, row))
        return ImportNext::RestartTimer;
    const CompanyRecord buyer = BuyerFromHistory(records[row]);
    if (!FillBuyerBlock(buyer))
        return ImportNext::RestartTimer;
    UpdateInvoiceRecordDate(transport, WideToGbk(buyer.KeyNo), WideToGbk(buyer.ApplyId));
    return ImportNext::Refresh;
}
