#include "flowtest.h"
#include "net/companyendpoints.h"
#include "net/invoiceendpoints.h"
#include "base/textconv.h"
#include "bridge/windowtext.h"
#include "ui/importflow.h"

namespace {

using Paths = std::vector<std::string>;

FieldLog AllFour(const CompanyRecord& buyer)
{
    return {{"buyer.name", buyer.Name},
            {"buyer.tax", buyer.CreditCode},
            {"buyer.address", buyer.Address + L" " + buyer.PhoneNumber},
            {"buyer.bank", buyer.Bank + L" " + buyer.Bankaccount}};
}

CompanyRecord Merchant()
{
    CompanyRecord merchant;
    merchant.KeyNo = kMerchantKey;
    merchant.UserId = L"10000001";
    return merchant;
}

class import_flow : public FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        ASSERT_TRUE(StandIns::Require(true, false));
        ASSERT_TRUE(GetCompanyList(m_transport, L"誠運", L"10000001", m_hits));
        ASSERT_TRUE(GetInvoiceRecordList(m_transport, kMerchantKey, L"10000001", m_history));
        ASSERT_GE(m_history.size(), 2u);
        TakeRequestPaths();
    }
    void TearDown() override
    {
        StandIns::Ht()->CloseAll();
        FlowTest::TearDown();
    }

    std::vector<CompanyRecord> m_hits;
    std::vector<InvoiceRecord> m_history;
};

}  // namespace

// The buyer's full data is fetched, written as four fields, and only then
// recorded under the merchant; the history is reloaded afterwards.
TEST_F(import_flow, search_hit_fills_then_records)
{
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    CompanyRecord expected = m_hits[1];
    ASSERT_TRUE(GetCompanyInfo(m_transport, expected.KeyNo, expected));
    ASSERT_FALSE(expected.Bank.empty());
    TakeRequestPaths();

    EXPECT_EQ(ImportNext::Refresh, ImportSearchRow(m_transport, m_hits, 1, Merchant()));
    EXPECT_EQ(AllFour(expected), StandIns::Ht()->TakeLog());
    const std::vector<std::string> lines = TakeRequestLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find("GET /Invoice_getCompanyInfo?KeyNo=" + WideToGbk(expected.KeyNo)));
    EXPECT_EQ(0u, lines[1].find("POST /Invoice_addFaiao"));
    EXPECT_NE(std::string::npos, lines[1].find("business_keyno=" + WideToGbk(kMerchantKey)));
}

// No issuing window: a search row says nothing and asks nothing, a history row
// asks for the window; the selection path, which does not look first, fetches
// but records nothing when the fill finds no target.
TEST_F(import_flow, no_issuing_window)
{
    EXPECT_EQ(ImportNext::RestartTimer, ImportSearchRow(m_transport, m_hits, 0, Merchant()));
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    EXPECT_EQ(ImportNext::NoWindowMessage, ImportHistoryRecord(m_transport, m_history, 0));
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    EXPECT_EQ(ImportNext::Refresh, ImportSearchHit(m_transport, m_hits, 0, Merchant()));
    EXPECT_EQ(Paths{"GET /Invoice_getCompanyInfo"}, TakeRequestPaths());
    EXPECT_TRUE(StandIns::Ht()->TakeLog().empty());
}

// A row that is not in the list (Enter with no selection gives -1) imports nothing.
TEST_F(import_flow, rows_outside_the_list_import_nothing)
{
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    const int searchSize = static_cast<int>(m_hits.size());
    const int historySize = static_cast<int>(m_history.size());
    for (int row : {-1, searchSize, INT_MAX})
        EXPECT_EQ(ImportNext::RestartTimer, ImportSearchHit(m_transport, m_hits, row, Merchant())) << row;
    EXPECT_EQ(ImportNext::RestartTimer, ImportSearchHit(m_transport, {}, 0, Merchant()));
    for (int row : {-1, historySize, INT_MAX})
        EXPECT_EQ(ImportNext::RestartTimer, ImportHistoryRecord(m_transport, m_history, row)) << row;
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    EXPECT_TRUE(StandIns::Ht()->TakeLog().empty());
}

// A history row goes in as it was recorded, with no telephone (so the address
// is followed by one space), and the record is then marked as used again.
TEST_F(import_flow, history_row_fills_and_updates_the_date)
{
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    const InvoiceRecord chosen = m_history.back();
    EXPECT_EQ(ImportNext::Refresh, ImportHistoryRecord(m_transport, m_history, static_cast<int>(m_history.size()) - 1));

    const FieldLog written = StandIns::Ht()->TakeLog();
    ASSERT_EQ(4u, written.size());
    EXPECT_EQ(chosen.company_name, written[0].second);
    EXPECT_EQ(chosen.company_taxid, written[1].second);
    EXPECT_EQ(chosen.company_address + L" ", written[2].second);
    EXPECT_EQ(chosen.bank_name + L" " + chosen.bank_accounts, written[3].second);

    const std::vector<std::string> lines = TakeRequestLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(0u, lines[0].find("POST /Invoice_updateFaiaoDate body=business_keyno=" + WideToGbk(kMerchantKey) +
                                "&apply_id=" + WideToGbk(chosen.apply_id) + " "));

    // The service now lists the record first, as the most recently used.
    std::vector<InvoiceRecord> after;
    ASSERT_TRUE(GetInvoiceRecordList(m_transport, kMerchantKey, L"10000001", after));
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(chosen.apply_id, after.front().apply_id);
    EXPECT_GE(after.front().update_time, chosen.update_time);
}

// An invoicing program that stops answering in the middle of the fill leaves a
// buyer block the merchant must be told about, and whose use must not be
// recorded: neither the search hit nor the history row reports it to the service.
TEST_F(import_flow, fill_cut_short_is_told_and_not_recorded)
{
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    TakeRequestPaths();
    ASSERT_TRUE(StandIns::Ht()->Hang(kFillWriteTimeoutMs + 2000));
    EXPECT_EQ(ImportNext::IncompleteFill, ImportSearchRow(m_transport, m_hits, 1, Merchant()));
    EXPECT_EQ(Paths{"GET /Invoice_getCompanyInfo"}, TakeRequestPaths());
    ASSERT_TRUE(StandIns::Ht()->WaitResponsive(20000));

    ASSERT_TRUE(StandIns::Ht()->Hang(kFillWriteTimeoutMs + 2000));
    EXPECT_EQ(ImportNext::IncompleteFill, ImportHistoryRecord(m_transport, m_history, 0));
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    ASSERT_TRUE(StandIns::Ht()->WaitResponsive(20000));
    StandIns::Ht()->TakeLog();
}
