#include "ui/sinvoicehistoryadapter.h"

#include "engine/widgets/SWindow.h"
#include "ui/importflow.h"
#include "ui/rowtexts.h"

using namespace SOUI;

void SInvoiceHistoryAdapter::getView(int position, SWindow* pItem, pugi::xml_node xmlTemplate)
{
    if (pItem->GetChildren().empty())
        pItem->InitFromXml(xmlTemplate);
    const InvoiceRecord& record = Records()[static_cast<size_t>(position)];
    if (SWindow* wrapper = pItem->FindChildByName(L"line_wrapper")) {
        wrapper->SetAttribute(L"tip", record.company_name, FALSE);
        wrapper->SetAttribute(L"colorBkgnd", HistoryRowBackground(record.apply_from), FALSE);
    }
    if (SWindow* key = pItem->FindChildByID(65545))
        key->SetWindowTextW(HistoryRowText(record.company_name));
    if (SWindow* time = pItem->FindChildByID(65565))
        time->SetWindowTextW(HistoryRowTime(record.update_time));
    pItem->SetUserData(static_cast<ULONG_PTR>(position));
    if (SWindow* button = pItem->FindChildByName(L"btn_import")) {
        button->GetEventSet()->unsubscribeEvent(EVT_CMD, this);
        button->GetEventSet()->subscribeEvent(
            EVT_CMD, [this, pItem](EventArgs*) { return OnImport(pItem); }, this);
    }
}

bool SInvoiceHistoryAdapter::OnImport(SWindow* item)
{
    const int row = static_cast<int>(item->GetUserData());
    // The main window runs the import off the UI thread, on the rows shown now.
    SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_BEGIN, 0);
    SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_HISTORY_ROW, row);
    return false;
}
