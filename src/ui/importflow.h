#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "net/companyrecord.h"
#include "net/invoicerecord.h"

class CHttpTransport;

// Private message by which the list adapters hand import requests to the main
// window: wParam one of the codes below, lParam the row where the code needs one.
constexpr UINT WM_IMPORT_NOTIFY = WM_USER + 100;
constexpr WPARAM IMPORT_BEGIN = 130;
constexpr WPARAM IMPORT_SEARCH_HIT = 110;
constexpr WPARAM IMPORT_NO_WINDOW = 111;
constexpr WPARAM IMPORT_HISTORY_DONE = 120;
// An import click that ended without importing: only timer 1500 starts again.
constexpr WPARAM IMPORT_RESUME = 131;
// A history import whose fill was cut short: tell the merchant, then refresh.
constexpr WPARAM IMPORT_INCOMPLETE = 132;
// A history row's import button: lParam the row; the main window runs the import.
constexpr WPARAM IMPORT_HISTORY_ROW = 133;

// Asked before each step that cannot be taken back (a write into the invoicing program,
// a request that records something): false once the merchant closed the assistant.
using StillWanted = std::function<bool()>;

// Told when the invoicing program stopped answering in the middle of a fill.
extern const wchar_t kIncompleteFillMessage[];

// What the main window does once an import has run. Every import click stops
// timer 1500 first; every outcome starts it again, so the history keeps polling.
enum class ImportNext {
    Refresh,          // run the history refresh (which restarts the timer)
    RestartTimer,     // nothing imported; only start timer 1500 again
    NoWindowMessage,  // tell the merchant to open an issuing window, then restart the timer
    IncompleteFill,   // tell the merchant the buyer block is incomplete, then refresh;
                      // nothing was recorded
};

// A search hit chosen from the pop-up (the selection path asks no window first):
// fetches the company's data, fills the buyer block, and records the buyer under
// the merchant only when the fill completed. A row outside `hits` imports nothing.
ImportNext ImportSearchHit(CHttpTransport& transport, const std::vector<CompanyRecord>& hits, int row,
                           const CompanyRecord& merchant, const StillWanted& wanted = {});

// A search row's import button: with no issuing window nothing happens and
// nothing is said; otherwise as ImportSearchHit.
ImportNext ImportSearchRow(CHttpTransport& transport, const std::vector<CompanyRecord>& hits, int row,
                           const CompanyRecord& merchant);

// The buyer a history record describes; it carries no telephone.
CompanyRecord BuyerFromHistory(const InvoiceRecord& record);

// A history row's import button: asks for an issuing window, fills the record's
// buyer, and after a complete fill reports the record as used again.
ImportNext ImportHistoryRecord(CHttpTransport& transport, const std::vector<InvoiceRecord>& records, int row,
                               const StillWanted& wanted = {});
