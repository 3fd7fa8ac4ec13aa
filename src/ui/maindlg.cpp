#include "ui/maindlg.h"

#include <shellapi.h>

#include "app/buildsigner.h"
#include "app/buildurls.h"
#include "bridge/processes.h"
#include "engine/core/SApplication.h"
#include "engine/host/SMenu.h"
#include "engine/host/SMessageBox.h"
#include "engine/core/SNotifyCenter.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/sdropdownlist.h"
#include "extend.ctrls/searchevents.h"
#include "net/companyendpoints.h"
#include "net/diag.h"
#include "net/serviceaccess.h"
#include "net/textconv.h"
#include "ui/bizcarddlg.h"
#include "ui/companyprompt.h"
#include "ui/companysearchadapter.h"
#include "ui/importflow.h"
#include "ui/invoicehistoryadapter.h"
#include "ui/threadevents.h"
#include "ui/upgradeflow.h"

using namespace SOUI;

namespace {
constexpr UINT kMenuExit = 6;
constexpr int kListId = 65543;
constexpr UINT kNoticeStyle = MB_SYSTEMMODAL | MB_ICONINFORMATION;  // 0x1040
constexpr UINT kStopStyle = MB_SYSTEMMODAL | MB_ICONHAND;           // 0x1010
}  // namespace

CMainDlg::CMainDlg() : SHostWnd(L"LAYOUT:XML_MAINWND")
{
    if (SNotifyCenter* center = SNotifyCenter::getSingletonPtr())
        center->RegisterEventMap(this);

    UpgradeHooks hooks;
    hooks.downloadStarting = [this] {
        if (SNotifyCenter* center = SNotifyCenter::getSingletonPtr()) {
            SAutoRefPtr<EventThreadStart> start;
            start.Attach(new EventThreadStart(this));
            center->FireEventSync(start);
        }
    };
    hooks.report = NotifyCenterReporter(this);
    hooks.ask = [this](const std::wstring& text, UINT style) {
        return SMessageBox(m_hWnd, text.c_str(), L"\u63D0\u793A", style);
    };
    hooks.runInstaller = [this](const std::wstring& installer) {
        OpenInstaller(installer);
        // The window ends once its loop gets to the close; until then nothing more may start.
        m_ending = true;
        KillTimer(kRefreshTimer);
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    };
    m_upgrade = std::make_unique<CUpgradeFlow>(std::move(hooks), kSignerSha256);
}

CMainDlg::~CMainDlg()
{
    StopDownload();
    m_tray.Hide();
    if (SNotifyCenter* center = SNotifyCenter::getSingletonPtr())
        center->UnregisterEventMap(this);
}

BOOL CMainDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInit();
        result = 0;
        return TRUE;
    case WM_CLOSE:
        OnClose();
        result = 0;
        return TRUE;
    case WM_TIMER:
        if (wp == kRefreshTimer && !m_ending)
            Refresh();
        break;  // every timer message goes on to the engine too
    case kTrayMessage:
        OnTrayNotify(lp);
        result = 0;
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && LOWORD(wp) == kMenuExit)
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        result = 0;
        return TRUE;
    case WM_IMPORT_NOTIFY:
        OnImportNotify(wp, lp);
        result = 0;
        return TRUE;
    default:
        // Explorer restarted: the tray has forgotten our icon.
        if (m_taskbarCreated && msg == m_taskbarCreated)
            m_tray.Show();
        break;
    }
    return Base::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

void CMainDlg::OnInit()
{
    SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE);

    pugi::xml_document msgBox;
    if (SApplication::getSingletonPtr() &&
        SApplication::getSingleton().LoadXmlDocument(msgBox, L"LAYOUT:XML_MSGBOX"))
        SetMsgTemplate(msgBox.child("SOUI"));

    // Before the tray icon: an installer already on disk is offered right away.
    if (SApplication::getSingletonPtr())
        m_upgrade->Check(MainTransport(), SApplication::getSingleton().GetString(L"@string/ver"));
    // The merchant took the installer: no tray icon, notice or refresh for a window on its way out.
    if (m_ending)
        return;

    HICON icon = SApplication::getSingletonPtr() ? SApplication::getSingleton().LoadIconW(L"ICON_LOGO", 16) : nullptr;
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    m_tray.Create(m_hWnd, icon, NIF_MESSAGE | NIF_ICON | NIF_TIP, kTrayMessage, 100, L"Lumora\u5F00\u7968\u52A9\u624B");
    m_tray.Show();

    m_merchant = LoadMerchantCompany();
    if (!IsInvoicingSoftwareRunning())
        ShowNotice(L"\u8BF7\u6253\u5F00\u5F00\u7968\u8F6F\u4EF6\uFF01", kNoticeStyle);  // 请打开开票软件！

    Refresh();
    StartRefreshTimer();
}

void CMainDlg::StartRefreshTimer()
{
    SetTimer(kRefreshTimer, 1500);
}

void CMainDlg::ShowNotice(const std::wstring& text, UINT style)
{
    SMessageBox(m_hWnd, text.c_str(), L"\u63D0\u793A", style);  // 提示
}

MerchantPrompts CMainDlg::Prompts()
{
    MerchantPrompts prompts;
    prompts.askCompany = [this](std::wstring& name, std::wstring& taxCode) {
        return AskCompanyWithInputDlg(m_hWnd, name, taxCode);
    };
    prompts.showMessage = [this](const std::wstring& text) { ShowNotice(text, kStopStyle); };
    return prompts;
}

void CMainDlg::Refresh()
{
    HistoryHooks hooks;
    hooks.stopTimer = [this] { KillTimer(kRefreshTimer); };
    hooks.startTimer = [this] { StartRefreshTimer(); };
    hooks.rowsReplaced = [this](const HistoryRows& rows) {
        auto* list = dynamic_cast<SListView*>(FindChildByID(kListId));
        if (!list)
            return;
        if (auto* adapter = dynamic_cast<SInvoiceHistoryAdapter*>(list->GetAdapter())) {
            adapter->SetRecords(rows);
            adapter->SetOwner(m_hWnd);
            adapter->notifyDataSetChanged();
            return;
        }
        SAutoRefPtr<SInvoiceHistoryAdapter> adapter;
        adapter.Attach(new SInvoiceHistoryAdapter);
        adapter->SetRecords(rows);
        adapter->SetOwner(m_hWnd);
        list->SetAdapter(adapter);
    };
    m_history.Run(MainTransport(), m_merchant, Prompts(), hooks);
}

void CMainDlg::OnHide()
{
    // Minimised first: minimising shows a hidden window again (as an iconic one),
    // and the tray click restores only an iconic window.
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ShowWindow(SW_HIDE);
}

void CMainDlg::OnMaximize()
{
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

void CMainDlg::OnRestore()
{
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void CMainDlg::OnTrayNotify(LPARAM lp)
{
    if (lp == WM_LBUTTONDOWN) {
        if (::IsIconic(m_hWnd))
            ShowWindow(SW_SHOWNORMAL);
    } else if (lp == WM_RBUTTONDOWN) {
        SMenu menu;
        if (!menu.LoadMenuW(L"menu_tray", L"smenu"))
            return;
        POINT pt;
        GetCursorPos(&pt);
        // Without this the menu stays open when the merchant clicks elsewhere.
        SetForegroundWindow(m_hWnd);
        menu.TrackPopupMenu(0, pt.x, pt.y, m_hWnd);
    }
}

void CMainDlg::OnFillSearch(EventArgs* evt)
{
    auto* fill = static_cast<EventFillSearchDropdownList*>(evt);
    if (fill->strKey.size() < 2)
        return;
    SListView* list = fill->pDropdownList ? fill->pDropdownList->GetListView() : nullptr;
    if (!list)
        return;
    m_searchAdapter = dynamic_cast<SCompanySearchAdapter*>(list->GetAdapter());
    const std::string key = WideToGbk(fill->strKey);
    const std::string user = WideToGbk(m_merchant.record.UserId);
    if (!m_searchAdapter) {
        SAutoRefPtr<SCompanySearchAdapter> adapter;
        adapter.Attach(new SCompanySearchAdapter);
        if (GetCompanyList(MainTransport(), key, user, adapter->Hits())) {
            adapter->SetOwner(m_hWnd);
            list->SetAdapter(adapter);
            m_searchAdapter = adapter;
        }
        // The first keystroke shows the pop-up even when the request failed.
        fill->bPopup = true;
        return;
    }
    m_searchAdapter->Hits().clear();
    if (GetCompanyList(MainTransport(), key, user, m_searchAdapter->Hits())) {
        m_searchAdapter->SetOwner(m_hWnd);
        m_searchAdapter->notifyDataSetChanged();
        fill->bPopup = true;
    }
}

void CMainDlg::OnSearchSelected(EventArgs* evt)
{
    auto* selected = static_cast<EventDropdownListSelected*>(evt);
    ::SendMessageW(m_hWnd, WM_IMPORT_NOTIFY, IMPORT_SEARCH_HIT, selected->nSelIndex);
}

void CMainDlg::OnImportNotify(WPARAM code, LPARAM row)
{
    switch (code) {
    case IMPORT_BEGIN:
        KillTimer(kRefreshTimer);
        return;
    case IMPORT_NO_WINDOW:
        ShowNotice(kOpenIssuingWindowMessage, kStopStyle);
        StartRefreshTimer();
        return;
    case IMPORT_RESUME:
        StartRefreshTimer();
        return;
    case IMPORT_SEARCH_HIT: {
        // A copy: the pop-up and its adapter may go away while the import runs.
        const std::vector<CompanyRecord> hits =
            m_searchAdapter ? m_searchAdapter->Hits() : std::vector<CompanyRecord>();
        switch (ImportSearchHit(MainTransport(), hits, static_cast<int>(row), m_merchant.record)) {
        case ImportNext::IncompleteFill:
            ShowNotice(kIncompleteFillMessage, kStopStyle);
            Refresh();
            return;
        case ImportNext::Refresh:
            Refresh();
            return;
        default:
            StartRefreshTimer();
            return;
        }
    }
    case IMPORT_INCOMPLETE:
        ShowNotice(kIncompleteFillMessage, kStopStyle);
        Refresh();
        return;
    default:
        Refresh();
        return;
    }
}

void CMainDlg::OnBizcard()
{
    // Pressed inside the company input window's loop: that resolution is not done.
    if (m_merchant.resolving)
        return;
    if (!EnsureMerchantCompany(MainTransport(), m_merchant, Prompts(), true))
        return;
    CBizcardDlg card(m_merchant.record);
    card.DoModal(m_hWnd);
}

void CMainDlg::OnBizcenter()
{
    ShellExecuteW(nullptr, L"open", kSiteUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainDlg::OnHelp()
{
    const std::wstring page = std::wstring(kSiteUrl) + L"help.html";
    ShellExecuteW(nullptr, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainDlg::OnThreadStart(EventArgs*)
{
    DebugLine(L"Download thread just started.");
}

void CMainDlg::OnThreadStop(EventArgs*) {}

void CMainDlg::OnThread(EventArgs* evt)
{
    auto* progress = static_cast<EventThread*>(evt);
    DownloadReport report;
    report.progress = progress->nProgress;
    report.message = progress->pszMessage;
    report.succeeded = progress->succeeded;
    m_upgrade->OnDownloadReport(report);
}

void CMainDlg::StopDownload()
{
    // The download has bounded waits of its own, so this wait ends.
    if (m_upgrade && m_upgrade->Download().IsRunning())
        m_upgrade->Download().Stop(INFINITE);
}

void CMainDlg::OnClose()
{
    StopDownload();
    ::DestroyWindow(m_hWnd);
}
