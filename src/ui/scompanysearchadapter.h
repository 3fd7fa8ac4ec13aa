#pragma once
#include <windows.h>

#include <vector>

#include "engine/lists/SAdapterBase.h"
#include "net/companyrecord.h"

// Rows of the search pop-up: one per hit, with the name (cut past 20 characters,
// whole in the tooltip) and an import button that hands the row to the owner window.
class SCompanySearchAdapter : public SOUI::SAdapterBase {
public:
    std::vector<CompanyRecord>& Hits() { return m_hits; }
    void SetOwner(HWND owner) { m_owner = owner; }
    // While a search waits and there is nothing to show yet, one row says so.
    void SetBusy(bool busy) { m_busy = busy; }
    bool ShowsBusyRow() const { return m_busy && m_hits.empty(); }

    int getCount() override { return ShowsBusyRow() ? 1 : static_cast<int>(m_hits.size()); }
    void getView(int position, SOUI::SWindow* pItem, pugi::xml_node xmlTemplate) override;

private:
    bool OnImport(SOUI::SWindow* item);

    std::vector<CompanyRecord> m_hits;
    HWND m_owner = nullptr;
    bool m_busy = false;
};
