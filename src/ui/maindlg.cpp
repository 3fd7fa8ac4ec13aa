#include "ui/maindlg.h"

#include <shellapi.h>

#include "config/buildsigner.h"
#include "config/buildurls.h"
#include "bridge/processes.h"
#include "engine/core/SResProviderMgr.h"
#include "engine/host/SMenu.h"
#include "engine/host/SMessageBox.h"
#include "engine/host/SNotifyCenter.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/sdropdownlist.h"
#include "extend.ctrls/searchevents.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "net/companyendpoints.h"
#include "base/log.h"
#include "net/httptransport.h"
#include "net/versionendpoint.h"
#include "profile/profile.h"
#include "ui/autostart.h"
#include "ui/bizcarddlg.h"
#include "ui/companyprompt.h"
#include "ui/importflow.h"
#include "ui/scompanysearchadapter.h"
#include "ui/sinvoicehistoryadapter.h"
#include "ui/threadevents.h"
#include "ui/upgradeflow.h"

using namespace SOUI;

namespace {
constexpr UINT kMenuExit = 6;
constexpr UINT kMenuAutostart = 30;
constexpr int kListId = 65543;
constexpr UINT kNoticeStyle = MB_SYSTEMMODAL | MB_ICONINFORMATION;  // 0x1040
constexpr UINT kStopStyle = MB_SYSTEMMODAL | MB_ICONHAND;           // 0x1010
#ifndef MOD_NOREPEAT
#define MOD_NOREPEAT 0x4000
#endif

// The keys the tray menu offers; the first is the default. Menu ids follow one another.
struct HotkeyChoice {
    const wchar_t* name;
    UINT modifiers;
    UINT vk;
    UINT menuId;
};
constexpr HotkeyChoice kHotkeys[] = {
    {L"Ctrl+Alt+F", MOD_CONTROL | MOD_ALT, 'F', 21},
    {L"Ctrl+Alt+G", MOD_CONTROL | MOD_ALT, 'G', 22},
    {L"Ctrl+Alt+S", MOD_CONTROL | MOD_ALT, 'S', 23},
    {L"Ctrl+Shift+F", MOD_CONTROL | MOD_SHIFT, 'F', 24},
};

size_t StoredHotkey()
{
    const std::wstring name = ReadHotkeyName();
    for (size_t i = 0; i < ARRAYSIZE(kHotkeys); ++i)
        if (name == kHotkeys[i].name)
            return i;
    if (!name.empty())
        DebugLine(L"Hotkey: unknown key '" + name + L"' in the profile, the default used");
    return 0;
}

bool OfThisProcess(HWND wnd)
{
    DWORD pid = 0;
    return wnd && GetWindowThreadProcessId(wnd, &pid) && pid == GetCurrentProcessId();
}
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
    StopWorkers();
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
    case WM_DESTROY:
        // Destroyed without a close (the tests, a failed start): the key is let go all the same.
        if (m_hotkeyRegistered) {
            ::UnregisterHotKey(m_hWnd, kHotkeyId);
            m_hotkeyRegistered = false;
        }
        break;
    case WM_TIMER:
        if (wp == kRefreshTimer && !m_ending)
            Refresh();
        if (wp == kSearchCueTimer) {
            KillTimer(kSearchCueTimer);
            if (m_searchCuePending) {
                m_searchCuePending = false;
                if (auto* box = FindChildByName2<SSearchDropdownList>(L"edit_search"))
                    box->OpenDropDown();
            }
        }
        break;  // every timer message goes on to the engine too
    case kTrayMessage:
        OnTrayNotify(lp);
        result = 0;
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) == 0)
            OnMenuCommand(LOWORD(wp));
        result = 0;
        return TRUE;
    case WM_HOTKEY:
        if (wp == static_cast<WPARAM>(kHotkeyId))
            OnHotkey();
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
        if (m_showRequest && msg == m_showRequest && !m_ending) {
            m_giveBackTo = nullptr;
            ShowOnTop();
            result = 0;
            return TRUE;
        }
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
    if (SResProviderMgr::getSingleton().LoadXml(msgBox, L"LAYOUT:XML_MSGBOX"))
        SetMsgTemplate(msgBox.child("SOUI"));

    StartVersionCheck();

    // Escape with no pop-up open is the close button: to the tray, the keyboard given back.
    SetCancelButton(FindChildByName(L"btn_close"));
    m_showRequest = RegisterWindowMessageW(kShowRequestName);

    HICON icon = SResProviderMgr::getSingleton().LoadIconW(L"ICON_LOGO", 16);
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    m_tray.Create(m_hWnd, icon, NIF_MESSAGE | NIF_ICON | NIF_TIP, kTrayMessage, 100, L"Lumora\u5F00\u7968\u52A9\u624B");
    m_tray.Show();
    UseHotkey(StoredHotkey());

    m_merchant = LoadMerchantCompany();
    // Handed over before the first job: from here on the poll's worker owns it.
    m_lane->merchant = m_merchant;
    // Started with Windows the invoicing program is rarely up yet; the tray is quiet then.
    if (!m_startHidden && !IsInvoicingSoftwareRunning())
        ShowNotice(L"\u8BF7\u6253\u5F00\u5F00\u7968\u8F6F\u4EF6\uFF01", kNoticeStyle);  // 请打开开票软件！

    // Timer 1500 starts when this first poll ends.
    Refresh();
}

void CMainDlg::StartRefreshTimer()
{
    SetTimer(kRefreshTimer, 1500);
}

void CMainDlg::ShowNotice(const std::wstring& text, UINT style)
{
    SMessageBox(m_hWnd, text.c_str(), L"\u63D0\u793A", style);  // 提示
}

MerchantPrompts CMainDlg::WorkerPrompts()
{
    MerchantPrompts prompts;
    const CUiDispatcher ui = m_ui;
    const HWND owner = m_hWnd;
    // The worker waits while the merchant answers; a window already gone answers "cancel".
    prompts.askCompany = [ui, owner](std::wstring& name, std::wstring& taxCode) {
        bool confirmed = false;
        ui.Call([&] { confirmed = AskCompanyWithInputDlg(owner, name, taxCode); });
        return confirmed;
    };
    prompts.showMessage = [ui, this](const std::wstring& text) { ui.Call([&] { ShowNotice(text, kStopStyle); }); };
    return prompts;
}

void CMainDlg::Refresh()
{
    if (m_ending)
        return;
    // One poll at a time: asked for meanwhile, it runs once more when this one ends.
    if (m_pollRunning) {
        m_pollAgain = true;
        return;
    }
    KillTimer(kRefreshTimer);
    m_pollRunning = true;
    const std::shared_ptr<PollLane> lane = m_lane;
    const CUiDispatcher ui = m_ui;
    const MerchantPrompts prompts = WorkerPrompts();
    const bool submitted = m_pollWorker.Submit([lane, ui, prompts, this](CHttpTransport& transport) {
        HistoryHooks hooks;
        hooks.rowsReplaced = [ui, this](const HistoryRows& rows) { ui.Post([rows, this] { ApplyHistoryRows(rows); }); };
        lane->history.Run(transport, lane->merchant, prompts, hooks);
        ui.Post([merchant = lane->merchant, this] { OnPollDone(merchant); });
    });
    if (!submitted)
        m_pollRunning = false;
}

void CMainDlg::ApplyHistoryRows(const HistoryRows& rows)
{
    m_historyRows = rows;
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
}

void CMainDlg::OnPollDone(const MerchantCompany& merchant)
{
    m_merchant = merchant;
    m_pollRunning = false;
    if (m_pollAgain) {
        m_pollAgain = false;
        Refresh();
        return;
    }
    // Counted from the end of this poll: a slow service makes the poll wait, never pile up.
    if (!m_importing && !m_ending)
        StartRefreshTimer();
}

bool CMainDlg::Busy() const
{
    return m_pollRunning || m_importing || m_searchRunning || m_cardRunning || m_versionRunning;
}

void CMainDlg::OnHide()
{
    // Minimised first: minimising shows a hidden window again (as an iconic one),
    // and the tray click restores only an iconic window.
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ShowWindow(SW_HIDE);
    GiveKeyboardBack();
}

void CMainDlg::StartHidden()
{
    m_startHidden = true;
}

void CMainDlg::ShowOnTop()
{
    if (!::IsWindowVisible(m_hWnd) || ::IsIconic(m_hWnd))
        ShowWindow(SW_SHOWNORMAL);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(m_hWnd);
    auto* edit = FindChildByName2<SEdit>(L"edit_input");
    if (!edit)
        return;
    edit->SetFocus();
    if (HWND native = edit->GetNativeWnd()) {
        ::SetFocus(native);
        ::SendMessageW(native, EM_SETSEL, 0, -1);
    }
}

void CMainDlg::OnHotkey()
{
    if (m_ending)
        return;
    const HWND before = ::GetForegroundWindow();
    // Pressed again from inside this program: the window to return to stays the first one.
    if (before && !OfThisProcess(before))
        m_giveBackTo = before;
    ShowOnTop();
}

void CMainDlg::GiveKeyboardBack()
{
    const HWND target = m_giveBackTo;
    m_giveBackTo = nullptr;
    if (target && ::IsWindow(target) && ::IsWindowVisible(target))
        ::SetForegroundWindow(target);
}

const wchar_t* CMainDlg::HotkeyName() const
{
    return kHotkeys[m_hotkey].name;
}

void CMainDlg::UseHotkey(size_t choice)
{
    if (choice >= ARRAYSIZE(kHotkeys))
        return;
    // Only a key this window registered is ever released.
    if (m_hotkeyRegistered)
        ::UnregisterHotKey(m_hWnd, kHotkeyId);
    m_hotkey = choice;
    const HotkeyChoice& key = kHotkeys[choice];
    m_hotkeyRegistered = ::RegisterHotKey(m_hWnd, kHotkeyId, key.modifiers | MOD_NOREPEAT, key.vk) != FALSE;
    if (m_hotkeyRegistered)
        return;
    const DWORD error = GetLastError();
    SupportLine(std::wstring(L"Hotkey: ") + key.name + L" not registered, error " + std::to_wstring(error));
    // 热键 X 已被其他程序占用，请在托盘菜单中另选一个。
    m_tray.ShowBalloon(
        L"Lumora\u5F00\u7968\u52A9\u624B",
        std::wstring(L"\u70ED\u952E ") + key.name +
            L" \u5DF2\u88AB\u5176\u4ED6\u7A0B\u5E8F\u5360\u7528\uFF0C\u8BF7\u5728\u6258\u76D8\u83DC\u5355\u4E2D\u53E6\u9009\u4E00\u4E2A\u3002");
}

void CMainDlg::OnMenuCommand(UINT id)
{
    if (id == kMenuExit) {
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return;
    }
    if (id == kMenuAutostart) {
        SetAutostart(!AutostartEnabled());
        return;
    }
    for (size_t i = 0; i < ARRAYSIZE(kHotkeys); ++i) {
        if (kHotkeys[i].menuId != id)
            continue;
        // Chosen again while taken: tried once more, the other program may have let it go.
        const size_t previous = m_hotkey;
        const bool hadOne = m_hotkeyRegistered;
        UseHotkey(i);
        if (m_hotkeyRegistered)
            WriteHotkeyName(kHotkeys[i].name);
        else if (hadOne)
            UseHotkey(previous);  // taken: the key that worked stays in use
        return;
    }
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
        m_giveBackTo = nullptr;
        // Hidden by the close button (iconic) or started with Windows (never shown).
        if (::IsIconic(m_hWnd) || !::IsWindowVisible(m_hWnd))
            ShowOnTop();
    } else if (lp == WM_RBUTTONDOWN) {
        SMenu menu;
        if (!menu.LoadMenuW(L"menu_tray", L"smenu"))
            return;
        const HotkeyChoice& key = kHotkeys[m_hotkey];
        ::CheckMenuItem(menu.GetHMenu(), key.menuId, MF_BYCOMMAND | MF_CHECKED);
        // Read anew each time: Task Manager may have disabled it meanwhile.
        if (AutostartEnabled())
            ::CheckMenuItem(menu.GetHMenu(), kMenuAutostart, MF_BYCOMMAND | MF_CHECKED);
        if (!m_hotkeyRegistered) {
            // 已被占用: taken by another program.
            const std::wstring taken = std::wstring(key.name) + L"\uFF08\u5DF2\u88AB\u5360\u7528\uFF09";
            ::ModifyMenuW(menu.GetHMenu(), key.menuId, MF_BYCOMMAND | MF_STRING | MF_CHECKED, key.menuId,
                          taken.c_str());
        }
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
    if (fill->strKey.size() < 2) {
        // An answer for a longer text that comes now belongs to nothing on screen.
        m_searchWanted.clear();
        m_searchCuePending = false;
        KillTimer(kSearchCueTimer);
        return;
    }
    SListView* list = fill->pDropdownList ? fill->pDropdownList->GetListView() : nullptr;
    if (!list)
        return;
    m_searchAdapter = dynamic_cast<SCompanySearchAdapter*>(list->GetAdapter());
    if (!m_searchAdapter) {
        // A new search: the pop-up opens at once, with a row that says it is searching.
        SAutoRefPtr<SCompanySearchAdapter> adapter;
        adapter.Attach(new SCompanySearchAdapter);
        adapter->SetOwner(m_hWnd);
        list->SetAdapter(adapter);
        m_searchAdapter = adapter;
    }
    m_searchWanted = fill->strKey;
    // The hits shown stay until the newest text's answer replaces them.
    m_searchAdapter->SetBusy(true);
    m_searchAdapter->notifyDataSetChanged();
    // An open pop-up stays open; a closed one opens with the answer, or with the busy row once
    // the answer is slow to come.
    auto* box = dynamic_cast<SSearchDropdownList*>(fill->sender);
    fill->bPopup = box && box->IsDroppedDown();
    if (!fill->bPopup && !m_searchCuePending) {
        m_searchCuePending = true;
        SetTimer(kSearchCueTimer, kSearchCueMs);
    }
    // At most one search in flight; the keys typed meanwhile make one search for the newest text.
    if (!m_searchRunning)
        StartSearch(m_searchWanted);
}

void CMainDlg::StartSearch(const std::wstring& text)
{
    const CUiDispatcher ui = m_ui;
    const std::wstring user = m_merchant.record.UserId;
    m_searchRunning = m_searchWorker.Submit([ui, text, user, this](CHttpTransport& transport) {
        std::vector<CompanyRecord> hits;
        const bool ok = GetCompanyList(transport, text, user, hits);
        ui.Post([text, ok, hits = std::move(hits), this]() mutable { OnSearchDone(text, ok, std::move(hits)); });
    });
}

void CMainDlg::OnSearchDone(const std::wstring& text, bool ok, std::vector<CompanyRecord> hits)
{
    m_searchRunning = false;
    if (m_searchWanted.empty() || !m_searchAdapter)
        return;
    if (text != m_searchWanted) {
        // Superseded: its hits belong to an older text; the newest text is asked now.
        StartSearch(m_searchWanted);
        return;
    }
    // A failed search keeps what is shown: no false "nothing found".
    if (ok)
        m_searchAdapter->Hits() = std::move(hits);
    m_searchAdapter->SetBusy(false);
    m_searchAdapter->notifyDataSetChanged();
    if (m_searchCuePending) {
        m_searchCuePending = false;
        KillTimer(kSearchCueTimer);
        // A failed first search has nothing to show: no pop-up rather than an empty one.
        auto* box = FindChildByName2<SSearchDropdownList>(L"edit_search");
        if (box && (ok || !m_searchAdapter->Hits().empty()))
            box->OpenDropDown();
        return;
    }
    ShowSearchState();
}

void CMainDlg::ShowSearchState()
{
    // Resized to the rows it holds now, if the merchant has not closed it meanwhile.
    if (auto* box = FindChildByName2<SSearchDropdownList>(L"edit_search"))
        box->RefreshDropDown();
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
        if (!m_importing)
            StartRefreshTimer();
        return;
    case IMPORT_SEARCH_HIT: {
        // A copy of the rows shown: the pop-up and its adapter may go while the import runs.
        std::vector<CompanyRecord> hits = m_searchAdapter ? m_searchAdapter->Hits() : std::vector<CompanyRecord>();
        const CompanyRecord merchant = m_merchant.record;
        const int index = static_cast<int>(row);
        StartImport([hits = std::move(hits), merchant, index](CHttpTransport& transport, const StillWanted& wanted) {
            return ImportSearchHit(transport, hits, index, merchant, wanted);
        });
        return;
    }
    case IMPORT_HISTORY_ROW: {
        const HistoryRows rows = m_historyRows;
        const int index = static_cast<int>(row);
        StartImport([rows, index](CHttpTransport& transport, const StillWanted& wanted) {
            return ImportHistoryRecord(transport, RowsOf(rows), index, wanted);
        });
        return;
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

void CMainDlg::StartImport(ImportJob job)
{
    // A second import while one runs is ignored; the first one's end restarts the poll.
    if (m_importing || m_ending)
        return;
    m_importing = true;
    KillTimer(kRefreshTimer);
    const CUiDispatcher ui = m_ui;
    const bool submitted = m_importWorker.Submit([job, ui, this](CHttpTransport& transport) {
        // Nothing more goes into the invoicing program once the merchant has left: the
        // dispatcher is closed first thing at the window's end.
        const StillWanted wanted = [ui] { return ui.Valid(); };
        const ImportNext next = job(transport, wanted);
        ui.Post([next, this] { OnImportDone(next); });
    });
    if (!submitted) {
        m_importing = false;
        StartRefreshTimer();
    }
}

void CMainDlg::OnImportDone(ImportNext next)
{
    m_importing = false;
    static const wchar_t* const kOutcome[] = {L"finished (the fields written, or no issuing window found)",
                                              L"nothing imported", L"no issuing window", L"the buyer block incomplete"};
    SupportLine(std::wstring(L"Import: ") + kOutcome[static_cast<int>(next)]);
    switch (next) {
    case ImportNext::NoWindowMessage:
        ShowNotice(kOpenIssuingWindowMessage, kStopStyle);
        StartRefreshTimer();
        return;
    case ImportNext::IncompleteFill:
        ShowNotice(kIncompleteFillMessage, kStopStyle);
        Refresh();
        return;
    case ImportNext::Refresh:
        // The fields are written: the keyboard goes back to the issuing window it came from.
        GiveKeyboardBack();
        Refresh();
        return;
    case ImportNext::RestartTimer:
        if (!m_pollRunning)
            StartRefreshTimer();
        return;
    }
}

void CMainDlg::OnBizcard()
{
    // Pressed again while the company is being resolved: that resolution is not done.
    if (m_cardRunning || m_ending)
        return;
    m_cardRunning = true;
    // On the poll's worker, behind a poll that runs: one resolution of the company at a time.
    const std::shared_ptr<PollLane> lane = m_lane;
    const CUiDispatcher ui = m_ui;
    const MerchantPrompts prompts = WorkerPrompts();
    const bool submitted = m_pollWorker.Submit([lane, ui, prompts, this](CHttpTransport& transport) {
        const bool ready = EnsureMerchantCompany(transport, lane->merchant, prompts, true);
        ui.Post([ready, merchant = lane->merchant, this] {
            m_cardRunning = false;
            m_merchant = merchant;
            if (!ready || m_ending)
                return;
            CBizcardDlg card(m_merchant.record);
            card.DoModal(m_hWnd);
        });
    });
    if (!submitted)
        m_cardRunning = false;
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

void CMainDlg::StopWorkers()
{
    // The dispatcher first: nothing a worker still finishes reaches the windows, and a worker
    // waiting for the merchant's answer is let go.
    m_ui.Close();
    for (CServiceWorker* worker : {&m_searchWorker, &m_pollWorker, &m_importWorker, &m_versionWorker})
        worker->Shutdown(0);
    // A short wait for them together; one held up by a silent service ends with the process.
    for (CServiceWorker* worker : {&m_searchWorker, &m_pollWorker, &m_importWorker, &m_versionWorker})
        worker->Shutdown(100);
}

void CMainDlg::OnClose()
{
    m_ending = true;
    if (m_hotkeyRegistered) {
        ::UnregisterHotKey(m_hWnd, kHotkeyId);
        m_hotkeyRegistered = false;
    }
    KillTimer(kRefreshTimer);
    StopWorkers();
    StopDownload();
    ::DestroyWindow(m_hWnd);
}

void CMainDlg::StartVersionCheck()
{
    const std::wstring own = SResProviderMgr::getSingleton().GetString(L"@string/ver");
    const CUiDispatcher ui = m_ui;
    m_versionRunning = m_versionWorker.Submit([ui, own, this](CHttpTransport& transport) {
        VersionRecord latest;
        const bool answered = GetLatestVersion(transport, latest);
        ui.Post([answered, latest, own, this] {
            m_versionRunning = false;
            // The offer of an installer already on disk comes with the answer.
            if (answered && !m_ending)
                m_upgrade->Consider(latest, own);
        });
    });
}
