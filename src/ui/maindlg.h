#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/host/SHostWnd.h"
#include "engine/core/SObjRef.h"
#include "extend.ctrls/searchevents.h"
#include "shell/uidispatcher.h"
#include "ui/threadevents.h"
#include "ui/historyrefresh.h"
#include "ui/importflow.h"
#include "ui/merchantcompany.h"
#include "ui/serviceworker.h"
#include "ui/sshellnotifyicon.h"

class SCompanySearchAdapter;
class CUpgradeFlow;

// The main window: the narrow always-on-top panel built from "LAYOUT:XML_MAINWND",
// with the search box, the history page, the tray icon and the bottom buttons.
// Its layout's window type ends the UI loop when the window is destroyed.
// The window never waits on the service: searches, the poll with the merchant's company,
// imports and the version check each run on a worker of their own and come back through
// one dispatcher (see docs/ARCHITECTURE.md).
class CMainDlg : public SOUI::SHostWnd {
public:
    using Base = SOUI::SHostWnd;
    static constexpr int kObjectId = 30000;
    static constexpr UINT_PTR kRefreshTimer = 1500;
    // A closed pop-up opens with its search's answer, or after this long with a row that
    // says a search runs (a quick answer is drawn once; a slow one is seen waiting).
    static constexpr UINT_PTR kSearchCueTimer = 1501;
    static constexpr UINT kSearchCueMs = 150;
    static constexpr UINT kTrayMessage = 2125;
    static constexpr int kHotkeyId = 1;
    // The registered message a second copy of the program posts to show this window.
    static constexpr wchar_t kShowRequestName[] = L"Moravel.ShowMainWindow";

    CMainDlg();
    ~CMainDlg() override;

    // Whatever the layout says: the worker's events are matched by this sender id.
    int GetID() const override { return kObjectId; }

    // Completes the merchant (without messages) and reloads the history rows, on the poll's
    // worker; while a poll runs, once more after it. The 1.5 s start when it has ended.
    void Refresh();

    // As the last poll or company resolution left it.
    const MerchantCompany& Merchant() const { return m_merchant; }
    // The records of the last answer with any: the history list shows these very ones.
    const std::vector<InvoiceRecord>& HistoryRecords() const { return RowsOf(m_historyRows); }
    // Whether a search, poll, import, card or version check is waiting on its worker.
    bool Busy() const;

    // To the tray, as the close button does, without the start notice's window over the desktop.
    // For a start with Windows: call before the window is first shown.
    void StartHidden();
    // The global hotkey in use and whether it is registered (another program may hold it).
    const wchar_t* HotkeyName() const;
    bool HotkeyRegistered() const { return m_hotkeyRegistered; }

protected:
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnHide)
    EVENT_NAME_COMMAND(L"btn_min", OnHide)
    EVENT_NAME_COMMAND(L"btn_max", OnMaximize)
    EVENT_NAME_COMMAND(L"btn_restore", OnRestore)
    EVENT_ID_HANDLER(65541, EventFillSearchDropdownList::EventID, OnFillSearch)
    EVENT_ID_HANDLER(65541, EventDropdownListSelected::EventID, OnSearchSelected)
    EVENT_NAME_COMMAND(L"btn_bizcard", OnBizcard)
    EVENT_NAME_COMMAND(L"btn_bizcenter", OnBizcenter)
    EVENT_NAME_COMMAND(L"btn_help", OnHelp)
    EVENT_ID_HANDLER(kObjectId, kEventThreadStartId, OnThreadStart)
    EVENT_ID_HANDLER(kObjectId, kEventThreadStopId, OnThreadStop)
    EVENT_ID_HANDLER(kObjectId, kEventThreadId, OnThread)
    EVENT_MAP_END()

private:
    void OnInit();
    void OnHide();
    void OnMaximize();
    void OnRestore();
    void OnFillSearch(SOUI::EventArgs* evt);
    void OnSearchSelected(SOUI::EventArgs* evt);
    void OnBizcard();
    void OnBizcenter();
    void OnHelp();
    void OnThreadStart(SOUI::EventArgs* evt);
    void OnThreadStop(SOUI::EventArgs* evt);
    void OnThread(SOUI::EventArgs* evt);
    void OnTrayNotify(LPARAM lp);
    void OnMenuCommand(UINT id);
    // Restored from the tray or its icon, on top, the keyboard in the search box with its
    // text selected.
    void ShowOnTop();
    // The hotkey pressed: the window that had the keyboard gets it back when the job is done.
    void OnHotkey();
    // To the window the hotkey took the keyboard from, if it is still there.
    void GiveKeyboardBack();
    // The chosen hotkey registered, a held one released first; says once when it is taken.
    void UseHotkey(size_t choice);
    void OnImportNotify(WPARAM code, LPARAM row);
    void OnClose();
    void StopDownload();
    void StopWorkers();
    void StartRefreshTimer();
    void ShowNotice(const std::wstring& text, UINT style);
    // The prompts of a flow that runs on a worker: each opens its window on the UI thread.
    MerchantPrompts WorkerPrompts();
    void ApplyHistoryRows(const HistoryRows& rows);
    void OnPollDone(const MerchantCompany& merchant);
    void StartSearch(const std::wstring& text);
    void OnSearchDone(const std::wstring& text, bool ok, std::vector<CompanyRecord> hits);
    void ShowSearchState();
    using ImportJob = std::function<ImportNext(CHttpTransport& transport, const StillWanted& wanted)>;
    void StartImport(ImportJob job);
    void OnImportDone(ImportNext next);
    void StartVersionCheck();

    // What the poll's worker keeps between its jobs: touched on that worker only.
    struct PollLane {
        MerchantCompany merchant;
        CHistoryRefresh history;
    };

    CUiDispatcher m_ui;
    CServiceWorker m_searchWorker;
    CServiceWorker m_pollWorker;
    CServiceWorker m_importWorker;
    CServiceWorker m_versionWorker;
    std::shared_ptr<PollLane> m_lane = std::make_shared<PollLane>();
    MerchantCompany m_merchant;
    HistoryRows m_historyRows;
    bool m_pollRunning = false;
    bool m_pollAgain = false;
    bool m_importing = false;
    bool m_cardRunning = false;
    bool m_versionRunning = false;
    // The box's text the hits must belong to; empty below two characters.
    std::wstring m_searchWanted;
    bool m_searchRunning = false;
    // The pop-up was closed at the keystroke: it opens with the answer or with the busy row.
    bool m_searchCuePending = false;
    SOUI::SAutoRefPtr<SCompanySearchAdapter> m_searchAdapter;
    SShellNotifyIcon m_tray;
    std::unique_ptr<CUpgradeFlow> m_upgrade;
    UINT m_taskbarCreated = 0;
    // Set once the merchant agreed to the upgrade: the window is closing.
    bool m_ending = false;
    UINT m_showRequest = 0;
    size_t m_hotkey = 0;
    bool m_hotkeyRegistered = false;
    HWND m_giveBackTo = nullptr;
    bool m_startHidden = false;
};
