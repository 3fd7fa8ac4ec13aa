#include "ui/scompanysearchadapter.h"

#include "bridge/targets.h"
#include "engine/widgets/SWindow.h"
#include "ui/importflow.h"
#include "ui/rowtexts.h"

using namespace SOUI;

void SCompanySearchAdapter::getView(int position, SWindow* pItem, pugi::xml_node xmlTemplate)
{
    if (pItem->GetChildren().empty())
        pItem->InitFromXml(xmlTemplate);
    SWindow* button = pItem->FindChildByName(L"btn_import");
    if (ShowsBusyRow()) {
        if (SWindow* wrapper = pItem->FindChildByName(L"line_wrapper"))
            wrapper->SetAttribute(L"tip", L"", FALSE);
        if (SWindow* key = pItem->FindChildByID(65545))
            key->SetWindowTextW(L"\u641C\u7D22\u4E2D\u2026");  // 搜索中…
        if (button)
            button->SetVisible(FALSE);
        pItem->SetUserData(static_cast<ULONG_PTR>(-1));
        return;
    }
    if (button)
        button->SetVisible(TRUE);
    const CompanyRecord& hit = m_hits[static_cast<size_t>(position)];
    if (SWindow* wrapper = pItem->FindChildByName(L"line_wrapper"))
        wrapper->SetAttribute(L"tip", hit.Name, FALSE);
    if (SWindow* key = pItem->FindChildByID(65545))
        key->SetWindowTextW(SearchRowText(hit.Name));
    pItem->SetUserData(static_cast<ULONG_PTR>(position));
    if (button) {
        // Panels are reused as rows scroll: one subscription per button, not one per fill.
        button->GetEventSet()->unsubscribeEvent(EVT_CMD, this);
        button->GetEventSet()->subscribeEvent(
            EVT_CMD, [this, pItem](EventArgs*) { return OnImport(pItem); }, this);
    }
}

bool SCompanySearchAdapter::OnImport(SWindow* item)
{
    SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_BEGIN, 0);
    if (IsIssuingWindowOpen())
        SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_SEARCH_HIT, static_cast<LPARAM>(item->GetUserData()));
    else
        SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_RESUME, 0);
    return false;
}
