#pragma once
#include <memory>

#include "engine/host/SHostWnd.h"
#include "engine/core/SObjRef.h"
#include "ui/historyrefresh.h"
#include "ui/merchantcompany.h"
#include "ui/shellnotifyicon.h"

class SCompanySearchAdapter;
class CUpgradeFlow;

// The main window: the narrow always-on-top panel built from "LAYOUT:XML_MAINWND",
// with the search box, the history page, the tray icon and the bottom buttons.
// Its layout's window type ends the UI loop when the window is destroyed.
class CMainDlg : public SOUI::SHostWnd {
public:
    using Base = SOUI::SHostWnd;
    static constexpr int kObjectId = 30000;
    static constexpr UINT_PTR kRefreshTimer = 1500;
    static constexpr UINT kTrayMessage = 2125;

    CMainDlg();
    ~CMainDlg() override;

    // Whatever the layout says: the worker's events are matched by this sender id.
    int GetID() const override { return kObjectId; }

    // Completes the merchant (without messages) and reloads the history rows.
    void Refresh();

    const MerchantCompany& Merchant() const { return m_merchant; }
    // The records of the last answer with any: the history list shows these very ones.
    const std::vector<InvoiceRecord>& HistoryRecords() const { return m_history.Rows(); }

protected:
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    EVENT_MAP_BEGIN()
    EVENT_NAME_COMMAND(L"btn_close", OnHide)
    EVENT_NAME_COMMAND(L"btn_min", OnHide)
    EVENT_NAME_COMMAND(L"btn_max", OnMaximize)
    EVENT_NAME_COMMAND(L"btn_restore", OnRestore)
    EVENT_ID_HANDLER(65541, 10030000, OnFillSearch)
    EVENT_ID_HANDLER(65541, 10030001, OnSearchSelected)
    EVENT_NAME_COMMAND(L"btn_bizcard", OnBizcard)
    EVENT_NAME_COMMAND(L"btn_bizcenter", OnBizcenter)
    EVENT_NAME_COMMAND(L"btn_help", OnHelp)
    EVENT_ID_HANDLER(kObjectId, 10030001, OnThreadStart)
    EVENT_ID_HANDLER(kObjectId, 10030002, OnThreadStop)
    EVENT_ID_HANDLER(kObjectId, 10030000, OnThread)
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
    void OnImportNotify(WPARAM code, LPARAM row);
    void OnClose();
    void StopDownload();
    void StartRefreshTimer();
    void ShowNotice(const std::wstring& text, UINT style);
    MerchantPrompts Prompts();

    MerchantCompany m_merchant;
    CHistoryRefresh m_history;
    SOUI::SAutoRefPtr<SCompanySearchAdapter> m_searchAdapter;
    SShellNotifyIcon m_tray;
    std::unique_ptr<CUpgradeFlow> m_upgrade;
    UINT m_taskbarCreated = 0;
    // Set once the merchant agreed to the upgrade: the window is closing.
    bool m_ending = false;
};
