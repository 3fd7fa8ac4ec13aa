#pragma once
#include <windows.h>

#include <vector>

#include "engine/lists/SAdapterBase.h"
#include "net/invoicerecord.h"
#include "ui/historyrefresh.h"

// Rows of the history page: buyer name (cut past 14 characters), the time of the
// last update, a background for records from "wx", and an import button.
class SInvoiceHistoryAdapter : public SOUI::SAdapterBase {
public:
    const std::vector<InvoiceRecord>& Records() const { return RowsOf(m_records); }
    void SetRecords(HistoryRows records) { m_records = std::move(records); }
    void SetOwner(HWND owner) { m_owner = owner; }

    int getCount() override { return static_cast<int>(Records().size()); }
    void getView(int position, SOUI::SWindow* pItem, pugi::xml_node xmlTemplate) override;

private:
    bool OnImport(SOUI::SWindow* item);

    HistoryRows m_records;
    HWND m_owner = nullptr;
};
