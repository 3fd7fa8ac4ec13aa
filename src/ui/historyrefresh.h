#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/invoicerecord.h"
#include "ui/merchantcompany.h"

class CHttpTransport;

// The records of one answer, read only, shared by the refresh and the list showing them:
// a long history is held once, not copied into the list on every change.
using HistoryRows = std::shared_ptr<const std::vector<InvoiceRecord>>;

// The records `rows` holds; none before the first answer with records.
const std::vector<InvoiceRecord>& RowsOf(const HistoryRows& rows);

// What the main window lends the refresh: timer 1500 and the list on screen.
struct HistoryHooks {
    std::function<void()> stopTimer;
    std::function<void()> startTimer;
    // The rows changed; the list shows `rows` from now on.
    std::function<void(const HistoryRows& rows)> rowsReplaced;
};

enum class RefreshOutcome {
    Busy,       // a refresh further up the call chain is running; nothing done
    Kept,       // no key number, a failed request or an empty answer: rows unchanged
    Unchanged,  // the answer is byte for byte the one the rows came from: nothing done
    Replaced,   // the rows now hold the service's answer
};

// The data side of the history page: the rows of the last non-empty answer and
// the guard that keeps a refresh from running inside another one (for example
// while the company input window of the merchant resolution is open).
class CHistoryRefresh {
public:
    // Completes the merchant (without messages), then reloads the rows by the
    // merchant's key number. The timer is stopped while it runs and started again
    // at the end, except by a refresh that found another one running.
    RefreshOutcome Run(CHttpTransport& transport, MerchantCompany& merchant, const MerchantPrompts& prompts,
                       const HistoryHooks& hooks);

    const std::vector<InvoiceRecord>& Rows() const { return RowsOf(m_rows); }
    bool IsBusy() const { return m_busy; }

private:
    bool m_busy = false;
    HistoryRows m_rows;
    std::string m_shownAnswer;  // the answer m_rows were read from
};
