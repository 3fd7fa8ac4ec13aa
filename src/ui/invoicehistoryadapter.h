#pragma once
#include <windows.h>

#include <vector>

#include "engine/lists/SAdapterBase.h"
#include "net/invoicerecord.h"

// Rows of the history page: buyer name (cut past 14 characters), the time of the
// last update, a background for records from "wx", and an import button.
class SInvoiceHistoryAdapter : public SOUI::SAdapterBase {
public:
    std::vector<InvoiceRecord>& Records() { return m_records; }
    void SetOwner(HWND owner) { m_owner = owner; }

    int getCount() override { return static_cast<int>(m_records.size()); }
    void getView(int position, SOUI::SWindow* pItem, pugi::xml_node xmlTemplate) override;

private:
    bool OnImport(SOUI::SWindow* item);

    std::vector<InvoiceRecord> m_records;
    HWND m_owner = nullptr;
};
