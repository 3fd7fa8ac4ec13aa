// The main window on the program's real engine and resources, against the fixture's
// service and the HT stand-in. Every modal window it opens is answered here.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <utility>

#include "engine/core/SApplication.h"
#include "engine/widgets/SEdit.h"
#include "engine/host/SMessageBoxWnd.h"
#include "engine/lists/SItemPanel.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "flowtest.h"
#include "net/companyendpoints.h"
#include "net/invoiceendpoints.h"
#include "base/textconv.h"
#include "net/wireencoding.h"
#include "profile/profile.h"
#include "ui/bizcarddlg.h"
#include "ui/inputdlg.h"
#include "ui/maindlg.h"
#include "ui/scompanysearchadapter.h"
#include "ui/sinvoicehistoryadapter.h"
#include "appinstance.h"
#include "modalanswers.h"
#include "windowtestenv.h"

using namespace SOUI;

namespace {

using Paths = std::vector<std::string>;

const wchar_t kNoIssuingWindow[] = L"请打开开具增值税普通或专用开票界面！";
const std::wstring kHtIdentity = std::wstring(L"_HT") + kMerchantTax;
const char kUser[] = "10000001";
const wchar_t kUserId[] = L"10000001";
constexpr int kListId = 65543;

// A modal window that came up, and how it was ended.
struct ModalSeen {
    std::string kind;  // "box", "card" or "dialog"
    std::wstring caption;
    std::wstring text;
};

// Answers the engine's modal windows of this thread from inside their loops: a
// message box gets its first button, any other dialog is cancelled. Once the main
// window has installed its template, message boxes are engine windows, not "#32770".
class EngineModals {
public:
    EngineModals()
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 30, &EngineModals::OnTimer);
    }
    ~EngineModals()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    EngineModals(const EngineModals&) = delete;
    EngineModals& operator=(const EngineModals&) = delete;

    std::vector<ModalSeen> Take() { return std::exchange(m_seen, {}); }
    // While paused, the modal windows are the test's own to answer.
    void Pause(bool paused) { m_paused = paused; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_current)
            s_current->Tick();
    }
    void Tick()
    {
        if (m_paused)
            return;
        for (auto it = m_answered.begin(); it != m_answered.end();)
            it = IsWindow(*it) ? std::next(it) : m_answered.erase(it);
        std::vector<HWND> windows;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hwnd, LPARAM lp) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&windows));
        for (HWND hwnd : windows) {
            if (m_answered.count(hwnd) || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd))
                continue;
            auto* dialog = dynamic_cast<SHostDialog*>(CSimpleWnd::FromHwnd(hwnd));
            if (!dialog)
                continue;
            m_answered.insert(hwnd);
            ModalSeen seen;
            wchar_t caption[256] = {};
            GetWindowTextW(hwnd, caption, 256);
            seen.caption = caption;
            if (dynamic_cast<SMessageBoxWnd*>(dialog)) {
                seen.kind = "box";
                if (SWindow* text = dialog->FindChildByName(L"msgtext"))
                    seen.text = text->GetWindowTextW();
                dialog->EndDialog(IDOK);
            } else {
                seen.kind = dynamic_cast<CBizcardDlg*>(dialog) ? "card" : "dialog";
                dialog->EndDialog(IDCANCEL);
            }
            m_seen.push_back(seen);
            return;
        }
    }

    static EngineModals* s_current;
    UINT_PTR m_timer = 0;
    std::set<HWND> m_answered;
    std::vector<ModalSeen> m_seen;
    bool m_paused = false;
};
EngineModals* EngineModals::s_current = nullptr;

bool Saw(const std::string& path)
{
    for (const std::string& p : TakeRequestPaths())
        if (p == path)
            return true;
    return false;
}

// Whether timer 1500 runs: a refresh asks for the list by itself within two periods.
bool RefreshTimerRuns()
{
    TakeRequestPaths();
    bool seen = false;
    RunLoopUntil([&] { return seen || (seen = Saw("GET /Invoice_getFaiaoList")); }, 3500);
    return seen;
}

// A main window as start-up makes it, in a working folder whose profile holds the
// seeded user and, for a known merchant, the merchant's complete company section.
class maindlg : public FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        ASSERT_TRUE(WindowTestEnvReady());
        // The stand-in runs, so start-up does not warn that the invoicing program is missing.
        ASSERT_TRUE(StandIns::Require(true, false));
    }
    void TearDown() override
    {
        if (StandIns::Ht())
            StandIns::Ht()->CloseAll();
        CloseWindow();
        FlowTest::TearDown();
    }

    void CloseWindow()
    {
        m_dlg.reset();
        // The window is the application's: its end posted WM_QUIT, which must not
        // end the next case's loops.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }

    void Open(bool knownMerchant)
    {
        ASSERT_TRUE(WriteStoredUser(kUser));
        if (knownMerchant) {
            ASSERT_TRUE(WriteCompanyId(kHtIdentity));
            ASSERT_TRUE(WriteCompanyNameAndTaxCode(kHtIdentity, WideToGbk(kMerchantName), WideToGbk(kMerchantTax)));
            ASSERT_TRUE(WriteCompanyKeyNo(kHtIdentity, WideToGbk(kMerchantKey)));
        }
        m_dlg = std::make_unique<CMainDlg>();
        ASSERT_NE(m_dlg->Create(nullptr), nullptr);
        m_dlg->SendMessageW(WM_INITDIALOG, 0, 0);
        m_dlg->ShowWindow(SW_SHOWNORMAL);
        Settle();
        EXPECT_TRUE(m_modals.Take().empty());
        TakeRequestLines();
    }

    // The profile of a known merchant, without a window.
    void WriteKnownMerchant()
    {
        ASSERT_TRUE(WriteStoredUser(kUser));
        ASSERT_TRUE(WriteCompanyId(kHtIdentity));
        ASSERT_TRUE(WriteCompanyNameAndTaxCode(kHtIdentity, WideToGbk(kMerchantName), WideToGbk(kMerchantTax)));
        ASSERT_TRUE(WriteCompanyKeyNo(kHtIdentity, WideToGbk(kMerchantKey)));
    }

    HWND SearchEdit() const
    {
        auto* edit = m_dlg->FindChildByName2<SEdit>(L"edit_input");
        return edit ? edit->GetNativeWnd() : nullptr;
    }
    SSearchDropdownList* Search() const { return m_dlg->FindChildByName2<SSearchDropdownList>(L"edit_search"); }
    SListView* PopupList() const
    {
        SDropdownList* popup = Search() ? Search()->GetDropdownList() : nullptr;
        return popup ? popup->GetListView() : nullptr;
    }
    SListView* HistoryList() const { return m_dlg->FindChildByID2<SListView>(kListId); }
    int HistoryRows() const
    {
        SListView* list = HistoryList();
        return list && list->GetAdapter() ? list->GetAdapter()->getCount() : 0;
    }

    void Type(wchar_t c) { SendMessageW(SearchEdit(), WM_CHAR, c, 1); }
    // The window's service calls run on its workers: pumps until every answer is in.
    void Settle()
    {
        EXPECT_TRUE(RunLoopUntil([&] { return !m_dlg || !IsWindow(m_dlg->m_hWnd) || !m_dlg->Busy(); }, 15000));
    }
    // Types two characters: the pop-up opens with the hits of "誠運".
    void OpenHits()
    {
        Type(L'誠');
        Type(L'運');
        Settle();
        ASSERT_NE(PopupList(), nullptr);
        ASSERT_GE(PopupList()->GetAdapter()->getCount(), 2);
        // The pop-up lays its rows out when it is shown.
        RunLoopUntil([&] { return PopupList() && PopupList()->GetItemPanel(1); }, 2000);
        TakeRequestLines();
    }
    static void ClickImport(SListView* list, int row)
    {
        ASSERT_NE(list, nullptr);
        SItemPanel* panel = list->GetItemPanel(row);
        ASSERT_NE(panel, nullptr) << "row " << row << " is not on screen";
        SWindow* button = panel->FindChildByName(L"btn_import");
        ASSERT_NE(button, nullptr);
        button->FireCommand();
    }

    EngineModals m_modals;
    std::unique_ptr<CMainDlg> m_dlg;
};

FieldLog AllFour(const CompanyRecord& buyer)
{
    return {{"buyer.name", buyer.Name},
            {"buyer.tax", buyer.CreditCode},
            {"buyer.address", buyer.Address + L" " + buyer.PhoneNumber},
            {"buyer.bank", buyer.Bank + L" " + buyer.Bankaccount}};
}

}  // namespace

// The first character asks nothing; the second asks once, with both characters
// as the key, and the pop-up shows the hits.
TEST_F(maindlg, search_asks_from_the_second_character)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    Type(L'誠');
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    Type(L'運');
    Settle();
    const std::vector<std::string> lines = TakeRequestLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(0u, lines[0].find("GET /Invoice_getCompanyList?key=%E8%AA%A0%E9%81%8B&user_id=10000001 ")) << lines[0];

    ASSERT_NE(PopupList(), nullptr);
    std::vector<CompanyRecord> hits;
    ASSERT_TRUE(GetCompanyList(m_transport, L"誠運", kUserId, hits));
    EXPECT_EQ(static_cast<int>(hits.size()), PopupList()->GetAdapter()->getCount());
    EXPECT_TRUE(IsWindowVisible(Search()->GetDropdownList()->m_hWnd));
}

// A hit's import button writes the company's four fields, then records the buyer,
// reloads the history, and the poll goes on.
TEST_F(maindlg, search_row_import_fills_records_and_reloads)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    ASSERT_NO_FATAL_FAILURE(OpenHits());
    std::vector<CompanyRecord> hits;
    ASSERT_TRUE(GetCompanyList(m_transport, L"誠運", kUserId, hits));
    CompanyRecord expected = hits[1];
    ASSERT_TRUE(GetCompanyInfo(m_transport, expected.KeyNo, expected));
    TakeRequestLines();

    ASSERT_NO_FATAL_FAILURE(ClickImport(PopupList(), 1));
    Settle();
    EXPECT_EQ(AllFour(expected), StandIns::Ht()->TakeLog());
    const Paths paths = TakeRequestPaths();
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ((Paths{"GET /Invoice_getCompanyInfo", "POST /Invoice_addFaiao", "GET /Invoice_getFaiaoList"}),
              Paths(paths.begin(), paths.begin() + 3));
    EXPECT_TRUE(RefreshTimerRuns());
    EXPECT_TRUE(m_modals.Take().empty());
}

// Enter in the search box with no row chosen: the pop-up closes and nothing is
// fetched, written or said.
TEST_F(maindlg, enter_without_a_selection_imports_nothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    ASSERT_NO_FATAL_FAILURE(OpenHits());
    ASSERT_EQ(-1, PopupList()->GetSel());
    PostMessageW(SearchEdit(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(RunLoopUntil([&] { return !Search()->IsDroppedDown(); }, 2000));
    for (const std::string& path : TakeRequestPaths())
        EXPECT_EQ("GET /Invoice_getFaiaoList", path) << "only the poll may ask";
    EXPECT_TRUE(StandIns::Ht()->TakeLog().empty());
    EXPECT_TRUE(m_modals.Take().empty());
}

// With no issuing window a search row says nothing and a history row asks for the
// window; neither asks the service, and the poll goes on after both.
TEST_F(maindlg, import_without_issuing_window)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_GE(HistoryRows(), 1);
    struct Case {
        const char* what;
        bool history;
        std::vector<std::wstring> messages;
    } cases[] = {
        {"search row: silent", false, {}},
        {"history row: asks for the window", true, {kNoIssuingWindow}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.history) {
            ASSERT_NO_FATAL_FAILURE(OpenHits());
        }
        TakeRequestLines();
        ASSERT_NO_FATAL_FAILURE(ClickImport(c.history ? HistoryList() : PopupList(), 0));
        Settle();
        std::vector<std::wstring> messages;
        for (const ModalSeen& seen : m_modals.Take())
            messages.push_back(seen.text);
        EXPECT_EQ(c.messages, messages);
        EXPECT_EQ(Paths{}, TakeRequestPaths());
        EXPECT_TRUE(StandIns::Ht()->TakeLog().empty());
        EXPECT_TRUE(RefreshTimerRuns());
        if (Search()->GetDropdownList())
            Search()->GetDropdownList()->EndDropDown(IDCANCEL);
    }
}

// A history row goes in as recorded (no telephone: the address and one space),
// the record is marked as used, and the list is reloaded.
TEST_F(maindlg, history_row_import_fills_and_updates_the_date)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    auto* adapter = dynamic_cast<SInvoiceHistoryAdapter*>(HistoryList()->GetAdapter());
    ASSERT_NE(adapter, nullptr);
    const InvoiceRecord chosen = adapter->Records().at(1);
    TakeRequestLines();

    ASSERT_NO_FATAL_FAILURE(ClickImport(HistoryList(), 1));
    Settle();
    const FieldLog written = StandIns::Ht()->TakeLog();
    ASSERT_EQ(4u, written.size());
    EXPECT_EQ(chosen.company_name, written[0].second);
    EXPECT_EQ(chosen.company_address + L" ", written[2].second);
    const Paths paths = TakeRequestPaths();
    ASSERT_GE(paths.size(), 2u);
    EXPECT_EQ((Paths{"POST /Invoice_updateFaiaoDate", "GET /Invoice_getFaiaoList"}),
              Paths(paths.begin(), paths.begin() + 2));
    // The service lists the used record first now, and so does the window.
    EXPECT_EQ(chosen.apply_id, adapter->Records().front().apply_id);
    EXPECT_TRUE(m_modals.Take().empty());
}

// Failed or empty answers leave the rows of the last good one on screen.
TEST_F(maindlg, refresh_keeps_rows_unless_the_answer_has_some)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    const int shown = HistoryRows();
    ASSERT_GE(shown, 2);
    auto* adapter = dynamic_cast<SInvoiceHistoryAdapter*>(HistoryList()->GetAdapter());
    ASSERT_NE(adapter, nullptr);
    const std::wstring first = adapter->Records().front().apply_id;
    for (const char* mode : {"emptydata", "500", "nonjson", "drop"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + mode));
        TakeRequestPaths();
        m_dlg->Refresh();
        Settle();
        // The company information may be asked again (its last answer failed too);
        // the list must have been asked, or the rows were kept for no reason.
        const Paths paths = TakeRequestPaths();
        EXPECT_GE(std::count(paths.begin(), paths.end(), "GET /Invoice_getFaiaoList"), 1);
        EXPECT_EQ(shown, HistoryRows());
        EXPECT_EQ(first, adapter->Records().front().apply_id);
        ASSERT_NE(HistoryList()->GetItemPanel(0), nullptr);
        EXPECT_FALSE(HistoryList()->GetItemPanel(0)->FindChildByID(65545)->GetWindowTextW().empty());
    }
    EXPECT_TRUE(m_modals.Take().empty());
}

// The poll asks every 1.5 s and the answer seldom changes: the same answer leaves the
// rows and the screen alone, a changed one is shown.
TEST_F(maindlg, unchanged_history_answer_paints_nothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_GE(HistoryRows(), 2);
    const auto dirty = [&] {
        RECT rc = m_dlg->GetDirtyRect();
        return !IsRectEmpty(&rc);
    };
    ASSERT_TRUE(RunLoopUntil([&] { return !dirty(); }, 2000));
    SItemPanel* firstRow = HistoryList()->GetItemPanel(0);
    const std::wstring firstText = firstRow->FindChildByID(65545)->GetWindowTextW();

    TakeRequestPaths();
    m_dlg->Refresh();
    Settle();
    EXPECT_EQ(Paths{"GET /Invoice_getFaiaoList"}, TakeRequestPaths());
    EXPECT_FALSE(dirty()) << "an unchanged answer repainted the window";
    EXPECT_EQ(firstRow, HistoryList()->GetItemPanel(0));

    CompanyRecord buyer;
    buyer.Name = L"轮询测试新增买方有限公司";
    buyer.KeyNo = L"0123456789abcdef0123456789abcdef";
    buyer.CreditCode = L"91330100MA2KCXYZ1A";
    ASSERT_TRUE(AddInvoiceRecord(m_transport, kMerchantKey, kUserId, buyer));
    m_dlg->Refresh();
    Settle();
    ASSERT_TRUE(RunLoopUntil([&] { return !dirty(); }, 2000));
    std::set<std::wstring> names;
    auto* adapter = dynamic_cast<SInvoiceHistoryAdapter*>(HistoryList()->GetAdapter());
    ASSERT_NE(adapter, nullptr);
    for (const InvoiceRecord& r : adapter->Records())
        names.insert(r.company_name);
    EXPECT_EQ(1u, names.count(buyer.Name));
    // Held once: the list shows the refresh's records, not a copy of the whole history
    // made on every change.
    EXPECT_EQ(&m_dlg->HistoryRecords(), &adapter->Records()) << "the list holds a copy of the records";
}

// Closing only hides the window; the tray icon's left click brings it back, and
// the tray menu's "退出" ends it.
TEST_F(maindlg, close_hides_tray_restores_and_exit_destroys)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    const HWND hwnd = m_dlg->m_hWnd;
    // Shown, the window hands the keyboard to the search box; so it does back from the tray.
    EXPECT_TRUE(RunLoopUntil([&] { return GetFocus() == SearchEdit(); }, 1000)) << "not in the search box at start";
    ASSERT_NO_FATAL_FAILURE(Click(*m_dlg, L"btn_close"));
    RunLoopUntil([] { return false; }, 200);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsIconic(hwnd));

    SendMessageW(hwnd, CMainDlg::kTrayMessage, 100, WM_LBUTTONDOWN);
    RunLoopUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, 1000);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_TRUE(RunLoopUntil([&] { return GetFocus() == SearchEdit(); }, 1000)) << "not back in the search box";

    // "btn_min" is the same action.
    ASSERT_NO_FATAL_FAILURE(Click(*m_dlg, L"btn_min"));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    SendMessageW(hwnd, CMainDlg::kTrayMessage, 100, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    SendMessageW(hwnd, WM_COMMAND, 6, 0);
    EXPECT_TRUE(RunLoopUntil([&] { return !IsWindow(hwnd); }, 2000));
    EXPECT_TRUE(m_modals.Take().empty());
}

// The business card needs the merchant's company: with no issuing window and an
// incomplete record the merchant is told to open one, and no card opens.
TEST_F(maindlg, bizcard_without_issuing_window_tells_and_opens_nothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(false));
    ASSERT_NO_FATAL_FAILURE(Click(*m_dlg, L"btn_bizcard"));
    Settle();
    const std::vector<ModalSeen> seen = m_modals.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("box", seen[0].kind);
    EXPECT_EQ(L"提示", seen[0].caption);
    EXPECT_EQ(kNoIssuingWindow, seen[0].text);
    EXPECT_TRUE(IsWindow(m_dlg->m_hWnd));
}

// Agreeing to the installer offered during initialisation ends it there: no
// merchant loaded, no history asked, no timer, and the window closes once its
// loop runs. (The installer, signed as the build pins, only leaves a marker.)
TEST_F(maindlg, accepted_upgrade_during_initialisation_ends_it)
{
    ASSERT_NO_FATAL_FAILURE(WriteKnownMerchant());
    ASSERT_TRUE(ServiceControl("version?no=9.9"));
    ASSERT_TRUE(CopyFileW(FromHostPath(L"MAINDLG_SIGNED_INSTALLER").c_str(), L"MoravelUpgrade_9.9.exe", FALSE));
    TakeRequestPaths();

    m_dlg = std::make_unique<CMainDlg>();
    ASSERT_NE(m_dlg->Create(nullptr), nullptr);
    const HWND hwnd = m_dlg->m_hWnd;
    m_dlg->SendMessageW(WM_INITDIALOG, 0, 0);
    // The answer comes on the check's worker; the window is usable meanwhile.
    std::vector<ModalSeen> seen;
    EXPECT_TRUE(RunLoopUntil([&] { return !(seen = m_modals.Take()).empty(); }, 10000));
    ServiceControl("version?no=1.1");
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"检测有新的版本，需要更新吗？", seen[0].text);
    const Paths asked = TakeRequestPaths();
    EXPECT_EQ(1, std::count(asked.begin(), asked.end(), "GET /invoice_getLastestVersion"));

    EXPECT_TRUE(RunLoopUntil([&] { return !IsWindow(hwnd); }, 3000));
    // Nothing is asked once the window has gone its way.
    RunLoopUntil([] { return false; }, 500);
    EXPECT_EQ(Paths{}, TakeRequestPaths());
    EXPECT_TRUE(m_modals.Take().empty());
}

namespace {
// Types Enter into the company input window once it has the keyboard, then closes it
// after the box that Enter brings up has been answered.
struct InputWindowDriver {
    int step = 0;
    HWND dialog = nullptr;
    BoxSeen box;
    DWORD enterSent = 0;
    bool gaveUp = false;

    static InputWindowDriver* s_current;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_current)
            s_current->Tick();
    }
    void Tick()
    {
        HWND focus = GetFocus();
        if (step == 0) {
            EnumThreadWindows(
                GetCurrentThreadId(),
                [](HWND hwnd, LPARAM lp) -> BOOL {
                    if (IsWindowVisible(hwnd) && dynamic_cast<CInputDlg*>(CSimpleWnd::FromHwnd(hwnd)))
                        *reinterpret_cast<HWND*>(lp) = hwnd;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&dialog));
            // The keyboard is the dialog's once one of its windows (its pop-up edits) has it.
            if (!dialog || !focus || (focus != dialog && GetWindow(focus, GW_OWNER) != dialog))
                return;
            PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(focus, WM_KEYUP, VK_RETURN, 0xC0000001);
            enterSent = GetTickCount();
            step = 1;
        } else if (step == 1 && !box.text.empty() && IsWindowEnabled(dialog)) {
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            step = 2;
        } else if (step == 1 && GetTickCount() - enterSent > 3000 && IsWindowEnabled(dialog)) {
            // Enter went elsewhere: closed anyway, so that the case fails instead of hanging.
            gaveUp = true;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            step = 2;
        }
    }
};
InputWindowDriver* InputWindowDriver::s_current = nullptr;
}  // namespace

// The poll opens the company input window while the merchant has a hit selected in the
// open pop-up. Enter typed into that window is the window's: the pop-up ends unchosen,
// nothing is fetched or recorded for the hit, and nothing is written into the stand-in.
TEST_F(maindlg, enter_in_a_window_the_poll_opened_over_the_popup_imports_nothing)
{
    // A known user whose merchant is not known yet, and no issuing window at first.
    ASSERT_NO_FATAL_FAILURE(Open(false));
    ASSERT_NO_FATAL_FAILURE(OpenHits());
    std::vector<CompanyRecord> hits;
    ASSERT_TRUE(GetCompanyList(m_transport, L"誠運", kUserId, hits));
    PostMessageW(SearchEdit(), WM_KEYDOWN, VK_DOWN, 1);
    ASSERT_TRUE(RunLoopUntil([&] { return PopupList() && PopupList()->GetSel() == 0; }, 2000));
    TakeRequestLines();

    // The issuing window comes up with a seller the profile does not know: the next tick asks.
    m_modals.Pause(true);
    ModalAnswers answers;
    InputWindowDriver driver;
    answers.Add(PressButton(IDOK, &driver.box));
    InputWindowDriver::s_current = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &InputWindowDriver::OnTimer);
    ASSERT_TRUE(StandIns::Ht()->Open(std::wstring(L"--hidden --seller-name ") + kMerchantName + L" --seller-tax " +
                                     kMerchantTax));
    RunLoopUntil([&] { return driver.step == 2 && !IsWindow(driver.dialog); }, 10000);
    KillTimer(nullptr, timer);
    InputWindowDriver::s_current = nullptr;
    m_modals.Pause(false);

    EXPECT_EQ(driver.step, 2) << "the input window never had the keyboard";
    EXPECT_FALSE(driver.gaveUp) << "Enter typed into the input window did nothing there";
    EXPECT_EQ(driver.box.text, L"请输入正确的公司名！") << "Enter did not reach the input window";
    EXPECT_FALSE(Search()->IsDroppedDown()) << "the pop-up outlived the modal window";
    for (const std::string& line : TakeRequestLines()) {
        EXPECT_EQ(line.find("POST /Invoice_addFaiao"), std::string::npos) << line;
        EXPECT_EQ(line.find(Utf8PercentEncode(hits[0].KeyNo)), std::string::npos) << "the hit was fetched: " << line;
    }
    EXPECT_TRUE(StandIns::Ht()->TakeLog().empty()) << "the hit was written into the stand-in";
}

// The service answers a search slowly: the keystroke returns at once with a row that says
// a search runs, keys typed meanwhile make one more search for the newest text, and the
// hits shown are that text's, never the older one's.
TEST_F(maindlg, search_never_holds_the_window_and_the_newest_text_wins)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_TRUE(ServiceControl("fault?mode=slow&seconds=2&only=Invoice_getCompanyList"));
    Type(L'誠');
    Type(L'運');
    ASSERT_NE(PopupList(), nullptr) << "the pop-up waits for the answer";
    auto* adapter = dynamic_cast<SCompanySearchAdapter*>(PopupList()->GetAdapter());
    ASSERT_NE(adapter, nullptr);
    EXPECT_TRUE(adapter->ShowsBusyRow()) << "the keystroke waited for the service";
    ASSERT_TRUE(RunLoopUntil([&] { return PopupList() && PopupList()->GetItemPanel(0); }, 2000));
    EXPECT_EQ(L"搜索中…", PopupList()->GetItemPanel(0)->FindChildByID(65545)->GetWindowTextW());
    Type(L'物');
    Type(L'流');
    ASSERT_TRUE(ServiceControl("reset"));
    Settle();

    std::vector<std::string> searches;
    for (const std::string& line : TakeRequestLines())
        if (line.find("GET /Invoice_getCompanyList") == 0)
            searches.push_back(line.substr(0, line.find(' ', 4)));
    EXPECT_EQ((std::vector<std::string>{
                  "GET /Invoice_getCompanyList?key=" + Utf8PercentEncode(L"誠運") + "&user_id=10000001",
                  "GET /Invoice_getCompanyList?key=" + Utf8PercentEncode(L"誠運物流") + "&user_id=10000001"}),
              searches);
    std::vector<CompanyRecord> newest;
    ASSERT_TRUE(GetCompanyList(m_transport, L"誠運物流", kUserId, newest));
    ASSERT_NE(PopupList(), nullptr);
    ASSERT_EQ(static_cast<int>(newest.size()), PopupList()->GetAdapter()->getCount());
    EXPECT_FALSE(adapter->ShowsBusyRow());
    for (size_t i = 0; i < newest.size(); ++i)
        EXPECT_EQ(newest[i].Name, adapter->Hits()[i].Name);
}

// "退出" while an import waits for the company's data: the window ends at once, and
// nothing is written into the invoicing program or recorded after the merchant left.
TEST_F(maindlg, exit_during_an_import_in_flight_writes_nothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden"));
    ASSERT_NO_FATAL_FAILURE(OpenHits());
    ASSERT_TRUE(ServiceControl("fault?mode=slow&seconds=2&only=Invoice_getCompanyInfo"));
    ASSERT_NO_FATAL_FAILURE(ClickImport(PopupList(), 0));
    const HWND hwnd = m_dlg->m_hWnd;
    SendMessageW(hwnd, WM_COMMAND, 6, 0);
    EXPECT_TRUE(RunLoopUntil([&] { return !IsWindow(hwnd); }, 1000)) << "the window waited for the import";
    // Past the slow answer: whatever the worker does with it stays unseen.
    RunLoopUntil([] { return false; }, 3000);
    ASSERT_TRUE(ServiceControl("reset"));
    EXPECT_TRUE(StandIns::Ht()->TakeLog().empty()) << "written after the merchant left";
    for (const std::string& path : TakeRequestPaths())
        EXPECT_NE("POST /Invoice_addFaiao", path);
}

// The hotkey comes from the profile's section of its own; a name the menu does not offer
// falls back to the default. A menu choice is kept there; a key another program holds is
// left to it and nothing is kept.
TEST_F(maindlg, hotkey_from_the_profile_and_the_tray_menu)
{
    struct Case {
        const wchar_t* stored;
        const wchar_t* used;
    } cases[] = {
        {L"", L"Ctrl+Alt+F"},
        {L"Ctrl+Shift+F", L"Ctrl+Shift+F"},
        {L"Ctrl+Alt+Delete", L"Ctrl+Alt+F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.stored)));
        ASSERT_TRUE(WriteHotkeyName(c.stored));
        ASSERT_NO_FATAL_FAILURE(Open(true));
        EXPECT_EQ(std::wstring(m_dlg->HotkeyName()), c.used);
        EXPECT_TRUE(m_dlg->HotkeyRegistered());
        // "Ctrl+Alt+G" from the tray menu.
        SendMessageW(m_dlg->m_hWnd, WM_COMMAND, 22, 0);
        EXPECT_EQ(std::wstring(m_dlg->HotkeyName()), L"Ctrl+Alt+G");
        EXPECT_TRUE(m_dlg->HotkeyRegistered());
        EXPECT_EQ(ReadHotkeyName(), L"Ctrl+Alt+G");
        CloseWindow();
    }

    // Held by this test as another program would hold it.
    ASSERT_TRUE(WriteHotkeyName(L"Ctrl+Alt+F"));
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'F'));
    ASSERT_NO_FATAL_FAILURE(Open(true));
    EXPECT_FALSE(m_dlg->HotkeyRegistered());
    SendMessageW(m_dlg->m_hWnd, WM_COMMAND, 21, 0);  // chosen again: still taken
    EXPECT_FALSE(m_dlg->HotkeyRegistered());
    SendMessageW(m_dlg->m_hWnd, WM_COMMAND, 24, 0);
    EXPECT_TRUE(m_dlg->HotkeyRegistered());
    EXPECT_EQ(ReadHotkeyName(), L"Ctrl+Shift+F");
    // Another taken key chosen now: the working one stays in use and in the profile.
    ASSERT_TRUE(RegisterHotKey(nullptr, 8, MOD_CONTROL | MOD_ALT, 'G'));
    SendMessageW(m_dlg->m_hWnd, WM_COMMAND, 22, 0);
    EXPECT_EQ(std::wstring(m_dlg->HotkeyName()), L"Ctrl+Shift+F");
    EXPECT_TRUE(m_dlg->HotkeyRegistered());
    EXPECT_EQ(ReadHotkeyName(), L"Ctrl+Shift+F");
    CloseWindow();
    EXPECT_TRUE(UnregisterHotKey(nullptr, 7)) << "the other program's key was let go";
    EXPECT_TRUE(UnregisterHotKey(nullptr, 8)) << "the other program's key was let go";
    EXPECT_TRUE(m_modals.Take().empty());
}

// Escape in the search box with no pop-up open hides the window as the close button does;
// the hotkey brings it back with the keyboard in the search box and its text selected.
// With the pop-up open, Escape closes only the pop-up.
TEST_F(maindlg, escape_hides_and_hotkey_shows_with_the_text_selected)
{
    ASSERT_NO_FATAL_FAILURE(Open(true));
    const HWND hwnd = m_dlg->m_hWnd;
    ASSERT_TRUE(RunLoopUntil([&] { return GetFocus() == SearchEdit(); }, 1000));
    ASSERT_NO_FATAL_FAILURE(OpenHits());
    // Posted, as a key press arrives: through the loop, where the pop-up takes its keys.
    PostMessageW(SearchEdit(), WM_KEYDOWN, VK_ESCAPE, 1);
    RunLoopUntil([] { return false; }, 200);
    EXPECT_FALSE(Search()->IsDroppedDown()) << "the pop-up is still open";
    EXPECT_TRUE(IsWindowVisible(hwnd)) << "the first Escape belongs to the pop-up";

    PostMessageW(SearchEdit(), WM_KEYDOWN, VK_ESCAPE, 1);
    RunLoopUntil([] { return false; }, 200);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsIconic(hwnd)) << "the tray click restores only an iconic window";

    SendMessageW(hwnd, WM_HOTKEY, CMainDlg::kHotkeyId, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_TRUE(RunLoopUntil([&] { return GetFocus() == SearchEdit(); }, 1000)) << "not in the search box";
    DWORD from = 1, to = 0;
    SendMessageW(SearchEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 2u) << "the text is not selected";
    EXPECT_EQ(m_dlg->Busy(), false);
}
