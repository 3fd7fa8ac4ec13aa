#pragma once
#include <string>
#include "engine/SEngine.h"
#include "engine/lists/SAdapterBase.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/ssearchdropdownlist.h"

// Rows "<prefix><n>" from the template: text "txt_key" and a button "btn_import" whose
// clicks are counted. Counts how often a row is filled.
class RowsAdapter : public SOUI::SAdapterBase {
public:
    explicit RowsAdapter(int count, std::wstring prefix = L"row ") : m_count(count), m_prefix(std::move(prefix)) {}
    static SOUI::SAutoRefPtr<RowsAdapter> Make(int count)
    {
        SOUI::SAutoRefPtr<RowsAdapter> a;
        a.Attach(new RowsAdapter(count));
        return a;
    }
    void SetRows(int count, std::wstring prefix)
    {
        m_count = count;
        m_prefix = std::move(prefix);
    }

    int getCount() override { return m_count; }
    void getView(int position, SOUI::SWindow* pItem, pugi::xml_node xmlTemplate) override
    {
        ++views;
        if (pItem->GetChildren().empty())
            pItem->InitFromXml(xmlTemplate);
        pItem->SetUserData(ULONG_PTR(position));
        if (SOUI::SWindow* t = pItem->FindChildByName(L"txt_key"))
            t->SetWindowTextW(m_prefix + std::to_wstring(position));
        if (SOUI::SWindow* b = pItem->FindChildByName(L"btn_import")) {
            // The panel is reused: one subscription per button, not one per fill.
            b->GetEventSet()->unsubscribeEvent(SOUI::EVT_CMD, this);
            b->GetEventSet()->subscribeEvent(
                SOUI::EVT_CMD,
                [this](SOUI::EventArgs*) {
                    ++importClicks;
                    return false;
                },
                this);
        }
    }

    int views = 0;
    int importClicks = 0;

private:
    int m_count;
    std::wstring m_prefix;
};

// Answers a fill of the search box with `rows` rows "hit <n>", refilling the pop-up's
// adapter when it has one, and has the pop-up shown; rows < 0 declines (the pop-up ends).
inline bool FillWithRows(EventFillSearchDropdownList* fill, int rows)
{
    if (rows < 0 || !fill->pDropdownList)
        return true;
    auto* lv = fill->pDropdownList->FindChildByName2<SOUI::SListView>(L"lv_dropdown");
    if (!lv)
        return true;
    if (auto* a = static_cast<RowsAdapter*>(lv->GetAdapter())) {
        a->SetRows(rows, L"hit ");
        a->notifyDataSetChanged();
    } else {
        lv->SetAdapter(RowsAdapter::Make(rows));
    }
    fill->bPopup = true;
    return true;
}
