#include "ui/invoicehistoryadapter.h"

#include "engine/widgets/SWindow.h"
#include "net/serviceaccess.h"
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
    SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_BEGIN, 0);
    // Held: the refresh that follows a successful import replaces the records.
    const HistoryRows held = m_records;
    switch (ImportHistoryRecord(MainTransport(), RowsOf(held), row)) {
    case ImportNext::NoWindowMessage:
        SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_NO_WINDOW, 0);
        break;
    case ImportNext::Refresh:
        SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_HISTORY_DONE, row);
        break;
    case ImportNext::RestartTimer:
        SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_RESUME, 0);
        break;
    case ImportNext::IncompleteFill:
        SendMessageW(m_owner, WM_IMPORT_NOTIFY, IMPORT_INCOMPLETE, 0);
        break;
    }
    return false;
}
