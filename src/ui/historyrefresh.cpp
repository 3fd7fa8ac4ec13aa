#include "ui/historyrefresh.h"

#include "net/endpointanswers.h"
#include "net/invoiceendpoints.h"

namespace {

// Clears the busy flag and restarts the timer however the refresh ends.
class BusyScope {
public:
    BusyScope(bool& busy, const HistoryHooks& hooks) : m_busy(busy), m_hooks(hooks)
    {
        m_busy = true;
        if (m_hooks.stopTimer)
            m_hooks.stopTimer();
    }
    ~BusyScope()
    {
        m_busy = false;
        if (m_hooks.startTimer)
            m_hooks.startTimer();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_busy;
    const HistoryHooks& m_hooks;
};

}  // namespace

const std::vector<InvoiceRecord>& RowsOf(const HistoryRows& rows)
{
    static const std::vector<InvoiceRecord> none;
    return rows ? *rows : none;
}

RefreshOutcome CHistoryRefresh::Run(CHttpTransport& transport, MerchantCompany& merchant,
                                    const MerchantPrompts& prompts, const HistoryHooks& hooks)
{
    if (m_busy)
        return RefreshOutcome::Busy;
    BusyScope scope(m_busy, hooks);

    EnsureMerchantCompany(transport, merchant, prompts, false);

    const CompanyRecord& record = merchant.record;
    if (record.KeyNo.empty())
        return RefreshOutcome::Kept;
    std::string answer = RequestInvoiceRecordList(transport, record.KeyNo, record.UserId);
    // The poll asks all day and the answer seldom changes: the same bytes as the rows
    // on screen change nothing, so nothing is read, rebuilt or painted.
    if (!answer.empty() && answer == m_shownAnswer)
        return RefreshOutcome::Unchanged;
    std::vector<InvoiceRecord> records;
    ReadInvoiceRecordList(answer, records);
    if (records.empty())
        return RefreshOutcome::Kept;

    m_rows = std::make_shared<const std::vector<InvoiceRecord>>(std::move(records));
    m_shownAnswer = std::move(answer);
    if (hooks.rowsReplaced)
        hooks.rowsReplaced(m_rows);
    return RefreshOutcome::Replaced;
}
