// Prints what the main window costs beside the bare cost of the same requests, writes and
// paints, measured in the same run (interleaved rounds, medians after two warm-up rounds).
// A span named "shown" or "repaint" ends when the layered update of that window is done
// (counted per window through the import table, and for the pop-up also read back from
// the screen); the bare side draws the same rows into a layered window of the same size.
// The bare fill finds the fields on every call, as the program does, and the bare keystroke
// types into a native edit too (bench/support/bare.h):
//   service mode (ui_bench.exe service): against the substitute service named by
//     MORAVEL_SERVICE_URL and the HT stand-in with an issuing window open:
//     keystroke to pop-up shown, import click to fields written (and to done),
//     one refresh of the history as the service returns it;
//   growth mode (ui_bench.exe growth): the resident set over 2,000 calls of a bare
//     request, GetInvoiceRecordList, IsIssuingWindowOpen and a refresh tick;
//   lists mode (ui_bench.exe lists): one refresh with 10, 1,000 and 10,000 records,
//     served byte for byte in the service's format by an in-process loopback server
//     (the substitute service returns at most 100 records).
// Figures go to stderr; stdout carries the transport's trace lines (run.sh sends
// them to a file).
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <psapi.h>

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/uiengine.h"
#include "bridge/buyerfill.h"
#include "bridge/targets.h"
#include "engine/widgets/SEdit.h"
#include "engine/host/SNotifyCenter.h"
#include "engine/lists/SItemPanel.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/ssearchdropdownlist.h"
#include "net/companyendpoints.h"
#include "base/log.h"
#include "net/httptransport.h"
#include "net/invoiceendpoints.h"
#include "net/serviceaccess.h"
#include "base/textconv.h"
#include "net/wireencoding.h"
#include "profile/profile.h"
#include "bare.h"
#include "benchclock.h"
#include "historyanswer.h"
#include "layeredcount.h"
#include "profilectl.h"
#include "rawserver.h"
#include "standinclient.h"
#include "ui/maindlg.h"

using namespace SOUI;

namespace {

const char kMerchantKey[] = "6c756d6f72612d6d65726368616e7431";
const char kUser[] = "10000001";
const wchar_t kMerchantKeyWide[] = L"6c756d6f72612d6d65726368616e7431";
const wchar_t kUserWide[] = L"10000001";
const wchar_t kIdentity[] = L"_HT91350100M000100Y43";
const char kSearchKey[] = "%E8%AA%A0%E9%81%8B";  // 誠運 as the search box sends it

// Bare and measured runs alternate, so drift in the machine's load hits both alike.
// `prepare` runs untimed before each call, `check(which)` untimed after it (0 bare, 1 ours).
struct Pair {
    double bare;
    double ours;
};
// For a profiler: MORAVEL_BENCH_PROFILE=<row> runs only that row's measured side (and its
// preparation), MORAVEL_BENCH_PROFILE_RUNS times, and nothing else.
std::string g_profile, g_row;
int g_profileRuns = 300;

Pair Interleaved(int runs, const std::function<void()>& prepare, const std::function<void()>& bare,
                 const std::function<void()>& ours, const std::function<void(int)>& check = nullptr)
{
    if (!g_profile.empty()) {
        // bare-ROW: the bare side of that row instead.
        const bool bareSide = g_profile == "bare-" + g_row;
        if (g_row != g_profile && !bareSide)
            return {1, 1};
        const std::function<void()>& measured = bareSide ? bare : ours;
        for (int i = 0; i < 2; ++i) {  // warm-up, not sampled
            if (prepare)
                prepare();
            measured();
        }
        profilectl::Send("enable\n");
        const double start = NowMs();
        for (int i = 0; i < g_profileRuns; ++i) {
            if (prepare)
                prepare();
            measured();
        }
        const double took = NowMs() - start;
        profilectl::Send("disable\n");
        std::fprintf(stderr, "profiled %s: %d runs in %.0f ms\n", g_profile.c_str(), g_profileRuns, took);
        return {1, 1};
    }
    std::vector<double> b, o;
    for (int i = 0; i < runs + 2; ++i) {
        for (int which = 0; which < 2; ++which) {
            if (prepare)
                prepare();
            const double start = NowMs();
            (which ? ours : bare)();
            const double took = NowMs() - start;
            if (check)
                check(which);
            if (i >= 2)  // the first two rounds warm up
                (which ? o : b).push_back(took);
        }
    }
    return {Median(b), Median(o)};
}

// Names of a company list or a history answer, as a list would hold them (GBK to UTF-16).
std::vector<std::wstring> Names(const Json::Value& root, const char* field)
{
    std::vector<std::wstring> names;
    for (const Json::Value& row : root["data"]) {
        const std::string gbk = row[field].asString();
        std::wstring wide(gbk.size(), L'\0');
        wide.resize(static_cast<size_t>(MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()),
                                                            wide.data(), static_cast<int>(wide.size()))));
        names.push_back(std::move(wide));
    }
    return names;
}

// Pixels on screen for the spans that say so: a layered update of `wnd` inside the span.
struct PaintCheck {
    // The counts start from zero before every span (layered::Counts().clear()).
    int rounds = 0, painted = 0;
    void End(HWND wnd)
    {
        ++rounds;
        painted += wnd && layered::Count(wnd) > 0;
    }
    const char* Verdict(char* buf, size_t size) const
    {
        std::snprintf(buf, size, "painted %d/%d", painted, rounds);
        return buf;
    }
};

struct Url {
    std::string host;
    INTERNET_PORT port = 0;
};

Url Split(const std::string& base)
{
    const UrlParts parts = CHttpTransport::SplitUrl(base);
    return {parts.host, parts.port};
}

// One exchange with nothing around it.
std::string BareRequest(const Url& url, const std::string& page, const std::string& body = std::string(),
                        bool post = false)
{
    std::string answer;
    HINTERNET internet = InternetOpenW(L"Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectA(internet, url.host.c_str(), url.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, post ? "POST" : "GET", page.c_str(), "HTTP/1.1", nullptr, nullptr,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    const char* headers = "Content-Type: application/x-www-form-urlencoded\r\n";
    if (request &&
        HttpSendRequestA(request, post ? headers : nullptr, post ? DWORD(-1) : 0,
                         post ? const_cast<char*>(body.data()) : nullptr, post ? static_cast<DWORD>(body.size()) : 0)) {
        char chunk[4096];
        DWORD got = 0;
        while (InternetReadFile(request, chunk, sizeof chunk, &got) && got > 0)
            answer.append(chunk, got);
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return answer;
}

Json::Value Parse(const std::string& bytes)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, nullptr);
    return root;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Print(const char* what, const Pair& p, const char* target = "target <= 1.50")
{
    std::fprintf(stderr, "  %-44s bare %8.3f ms   window %8.3f ms   ratio %5.2f (%s)\n", what, p.bare, p.ours,
                 p.ours / p.bare, target);
}

void PrintChecks(const char* what, const PaintCheck& bareSide, const PaintCheck& ours, const char* extra = "")
{
    char a[48], b[48];
    std::fprintf(stderr, "    %s: layered update inside the span: bare %s, window %s%s\n", what,
                 bareSide.Verdict(a, sizeof a), ours.Verdict(b, sizeof b), extra);
}

// A working folder of its own whose profile holds the seeded user and merchant.
bool EnterBenchFolder()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"ui_bench_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    DeleteFileW((dir + L"\\ops.dat").c_str());
    return SetCurrentDirectoryW(dir.c_str()) && WriteStoredUser(kUser) && WriteCompanyId(kIdentity) &&
           WriteCompanyNameAndTaxCode(kIdentity, WideToGbk(L"福州路明信息技术有限公司"), "91350100M000100Y43") &&
           WriteCompanyKeyNo(kIdentity, kMerchantKey);
}

// The window's service work runs on its workers: pumped, as the message loop would, until
// none is waiting (at most 10 s); then the poll's timer, which each poll starts again, is
// stopped, so that no measured call is interrupted by a poll.
void Settle(CMainDlg& dlg)
{
    const ULONGLONG until = GetTickCount64() + 10000;
    Pump();
    while (dlg.Busy() && GetTickCount64() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    dlg.KillTimer(CMainDlg::kRefreshTimer);
}

// The main window as start-up makes it.
std::unique_ptr<CMainDlg> OpenMainWindow()
{
    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create(nullptr))
        return nullptr;
    dlg->SendMessageW(WM_INITDIALOG, 0, 0);
    dlg->ShowWindow(SW_SHOWNORMAL);
    Settle(*dlg);
    return dlg;
}

int HistoryRows(CMainDlg& dlg)
{
    auto* list = dlg.FindChildByID2<SListView>(65543);
    return list && list->GetAdapter() ? list->GetAdapter()->getCount() : 0;
}

int ServiceMode(const std::string& base)
{
    const Url url = Split(base);
    auto standIn = StandInProcess::Start(L"Aisino.Framework.Startup.exe", L"--hidden", L"");
    if (!standIn || !standIn->Open(L"--hidden")) {
        std::fprintf(stderr, "the HT stand-in did not start\n");
        return 1;
    }
    std::unique_ptr<CMainDlg> dlg = OpenMainWindow();
    if (!dlg)
        return 1;
    auto* search = dlg->FindChildByName2<SSearchDropdownList>(L"edit_search");
    auto* edit = dlg->FindChildByName2<SEdit>(L"edit_input");
    if (!search || !edit)
        return 1;
    const HWND editWnd = edit->GetNativeWnd();
    // The first character as typing leaves it: the caret after it, so that the second
    // one typed makes "誠運" (a set text leaves the caret in front: "運誠", no hits).
    auto firstCharacter = [&] {
        ::SetWindowTextW(editWnd, L"誠");
        ::SendMessageW(editWnd, EM_SETSEL, 1, 1);
    };
    auto closePopup = [&] {
        if (search->GetDropdownList())
            search->GetDropdownList()->EndDropDown(IDCANCEL);
        Pump();
    };
    const int runs = 30;
    std::fprintf(stderr, "service mode: %s, HT stand-in with an issuing window; medians of %d\n", base.c_str(), runs);

    // 1. The second character: one search request, the rows attached, the pop-up shown and
    // painted. The bare side: the same request, the names converted, the same rows drawn into
    // a layered window of the pop-up's size at the pop-up's place, shown.
    const std::string searchPage = "/Invoice_getCompanyList?key=" + std::string(kSearchKey) + "&user_id=" + kUser;
    auto popupWnd = [&]() -> HWND {
        SDropdownList* popup = search->GetDropdownList();
        return popup && ::IsWindowVisible(popup->m_hWnd) ? popup->m_hWnd : nullptr;
    };
    // Where the pop-up goes: learnt from one untimed showing.
    firstCharacter();
    ::SendMessageW(editWnd, WM_CHAR, L'運', 1);
    Pump();
    RECT popupRect = {0, 0, 0, 0};
    if (HWND wnd = popupWnd())
        ::GetWindowRect(wnd, &popupRect);
    closePopup();
    bare::LayeredWindow barePopup(std::max<int>(1, popupRect.right - popupRect.left),
                                  std::max<int>(1, popupRect.bottom - popupRect.top), popupRect.left, popupRect.top);
    // The bare keystroke types into an edit of our edit's size and font, away from both pop-ups.
    RECT editRect = {0, 0, 0, 0};
    ::GetWindowRect(editWnd, &editRect);
    bare::EditWindow bareEdit(popupRect.right + 40, editRect.top, editRect.right - editRect.left,
                              editRect.bottom - editRect.top,
                              reinterpret_cast<HFONT>(::SendMessageW(editWnd, WM_GETFONT, 0, 0)));
    PaintCheck keyBare, keyOurs;
    int keyOnScreenBare = 0, keyOnScreenOurs = 0;
    uint64_t closedDigest = 0;
    g_row = "keystroke";
    const Pair key = Interleaved(
        runs,
        [&] {
            closePopup();
            barePopup.Show(false);
            firstCharacter();  // one character: no request
            bareEdit.SetText(L"誠");
            Pump();
            closedDigest = bare::ScreenDigest(popupRect);
            layered::Counts().clear();
        },
        [&] {
            ::SendMessageW(bareEdit.Edit(), WM_CHAR, L'運', 1);
            const std::vector<std::wstring> names = Names(Parse(BareRequest(url, searchPage)), "Name");
            barePopup.Show(true);
            barePopup.Paint(names);
            // The edit redraws the character from the loop, as ours does.
            Pump();
        },
        [&] {
            ::SendMessageW(editWnd, WM_CHAR, L'運', 1);
            // Until the search's answer is in, as the message loop would: the posted update
            // of the layered pop-up, then anything still waiting to be drawn.
            Settle(*dlg);
            if (search->IsDroppedDown())
                search->GetDropdownList()->UpdateNow();
        },
        [&](int which) {
            const bool onScreen = bare::ScreenDigest(popupRect) != closedDigest;
            if (which) {
                HWND wnd = popupWnd();
                keyOurs.End(wnd);
                keyOnScreenOurs += wnd && onScreen;
            } else {
                keyBare.End(barePopup.Wnd());
                keyOnScreenBare += onScreen;
            }
        });
    Print("keystroke to pop-up shown", key);
    char seen[96];
    std::snprintf(seen, sizeof seen, "; screen changed where it shows: bare %d/%d, window %d/%d", keyOnScreenBare,
                  keyBare.rounds, keyOnScreenOurs, keyOurs.rounds);
    PrintChecks("keystroke to pop-up shown", keyBare, keyOurs, seen);
    barePopup.Show(false);

    // 2. A hit's import button. The bare side does the same exchanges and writes.
    std::vector<CompanyRecord> hits;
    CHttpTransport transport;
    GetCompanyList(transport, L"誠運", kUserWide, hits);
    const std::optional<BuyerFields> fields = FindBuyerFields();
    if (hits.size() < 2 || !fields) {
        std::fprintf(stderr, "no hits or no buyer fields\n");
        return 1;
    }
    CompanyRecord buyer = hits[1];
    GetCompanyInfo(transport, buyer.KeyNo, buyer);
    const std::string infoPage = "/Invoice_getCompanyInfo?KeyNo=" + WideToGbk(buyer.KeyNo);
    const std::string listPage =
        "/Invoice_getFaiaoList?business_keyno=" + std::string(kMerchantKey) + "&business_userid=" + kUser;
    const std::string addBody =
        "business_keyno=" + std::string(kMerchantKey) + "&business_userid=" + kUser +
        "&company_name=" + Utf8PercentEncode(buyer.Name) + "&company_keyno=" + WideToGbk(buyer.KeyNo) +
        "&company_taxid=" + WideToGbk(buyer.CreditCode) + "&company_address=" + Utf8PercentEncode(buyer.Address) +
        "&company_phone=" + WideToGbk(buyer.PhoneNumber) + "&bank_name=" + Utf8PercentEncode(buyer.Bank) +
        "&bank_accounts=" + WideToGbk(buyer.Bankaccount);
    const std::wstring texts[4] = {buyer.Name, buyer.CreditCode, buyer.Address + L" " + buyer.PhoneNumber,
                                   buyer.Bank + L" " + buyer.Bankaccount};
    // Discovery on every call, as FillBuyerBlock does (the same loop bench/bridge times).
    bool bareFilled = true;
    auto bareWrites = [&] { bareFilled = bare::HtFill(texts) && bareFilled; };
    SWindow* button = nullptr;
    auto RowButton = [&]() -> SWindow* {
        SDropdownList* popup = search->GetDropdownList();
        SItemPanel* panel = popup && popup->GetListView() ? popup->GetListView()->GetItemPanel(1) : nullptr;
        return panel ? panel->FindChildByName(L"btn_import") : nullptr;
    };
    auto findButton = [&] { button = RowButton(); };
    auto openHits = [&] {
        closePopup();
        firstCharacter();
        ::SendMessageW(editWnd, WM_CHAR, L'運', 1);
        Settle(*dlg);
        // The pop-up lays its rows out once shown.
        for (int i = 0; i < 100 && !RowButton(); ++i) {
            Pump();
            Sleep(5);
        }
        standIn->TakeLog();
    };
    // The fields are emptied before each click and read back after it, outside the span:
    // the click counts once all four hold the hit's texts.
    auto fieldText = [](HWND field) {
        wchar_t text[512] = {};
        DWORD_PTR got = 0;
        SendMessageTimeoutW(field, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
        return std::wstring(text);
    };
    const HWND fieldWnds[4] = {fields->name, fields->taxNumber, fields->addressPhone, fields->bankAccount};
    auto emptyFields = [&] {
        for (HWND field : fieldWnds) {
            DWORD_PTR reply = 0;
            SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, 2000, &reply);
        }
    };
    int clicks = 0, filled = 0;
    g_row = "import";
    const Pair click = Interleaved(
        runs,
        [&] {
            openHits();
            findButton();
            emptyFields();
        },
        [&] {
            Parse(BareRequest(url, infoPage));
            bareWrites();
            Parse(BareRequest(url, "/Invoice_addFaiao", addBody, true));
            Parse(BareRequest(url, listPage));
        },
        [&] {
            if (button)
                button->FireCommand();
            Settle(*dlg);
        },
        [&](int which) {
            if (!which)
                return;
            ++clicks;
            bool all = true;
            for (int k = 0; k < 4; ++k)
                all = all && fieldText(fieldWnds[k]) == texts[k];
            filled += all;
        });
    closePopup();
    if (button && clicks > 0 && filled == clicks)
        Print("import click to done (fetch, 4 fields, record, reload)", click);
    else
        std::fprintf(stderr, "  import click to done: the four fields written after %d of %d clicks; not measured\n",
                     filled, clicks);
    g_row = "fill";
    const Pair fill = Interleaved(runs, nullptr, bareWrites, [&] { FillBuyerBlock(buyer); });
    Print("the fill step alone: 4 fields written", fill);
    g_row = "fetchfill";
    const Pair toFields = Interleaved(
        runs, nullptr,
        [&] {
            Parse(BareRequest(url, infoPage));
            bareWrites();
        },
        [&] {
            CompanyRecord copy = hits[1];
            GetCompanyInfo(transport, copy.KeyNo, copy);
            FillBuyerBlock(copy);
        });
    Print("click to the 4 fields written (fetch + fill)", toFields);
    if (!bareFilled)
        std::fprintf(stderr, "  (a bare fill did not reach the fields!)\n");

    // 3. One refresh as the service answers it (it returns at most 100 records).
    g_row = "refresh";
    const Pair refresh = Interleaved(
        runs, nullptr, [&] { Parse(BareRequest(url, listPage)); },
        [&] {
            dlg->Refresh();
            Settle(*dlg);
        });
    char what[96];
    std::snprintf(what, sizeof what, "refresh, %d rows from the service", HistoryRows(*dlg));
    Print(what, refresh);
    return 0;
}

size_t WorkingSetKb()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.WorkingSetSize / 1024 : 0;
}

// The same records with the newest one's time moved on: an answer that has news.
std::string WithNews(std::string reply)
{
    const std::string was = "\"update_time\":\"1700003600\"";
    const size_t at = reply.find(was);
    if (at != std::string::npos)
        reply.replace(at, was.size(), "\"update_time\":\"1700003601\"");
    return reply;
}

// Bytes in blocks handed out by every heap of the process: grows with a leak, stays put
// when only the working set grows (pages touched, fragmentation, Wine's own caches).
long long HeapBusyBytes()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    long long busy = 0;
    for (DWORD h = 0; h < count && h < 64; ++h) {
        if (!HeapLock(heaps[h]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[h], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        HeapUnlock(heaps[h]);
    }
    return busy;
}

// DCs, bitmaps and fonts the render plug-in holds now (Wine does not count a process's
// GDI objects for GetGuiResources).
long RenderGdiObjects()
{
    for (const wchar_t* name : {L"render-gdid.dll", L"render-gdi.dll"}) {
        HMODULE render = GetModuleHandleW(name);
        auto live = render ? reinterpret_cast<FunSGetGdiObjectCount>(
                                 reinterpret_cast<void*>(GetProcAddress(render, "SGetGdiObjectCount")))
                           : nullptr;
        if (live)
            return live(GdiKind_DC) + live(GdiKind_Bitmap) + live(GdiKind_Font);
    }
    return 0;
}

// Whether memory grows with calls, and from which layer: the resident set before and after
// the same number of calls of each, after a warm-up. A heap that settles stops growing; a
// leak keeps its pace. The bytes in heap blocks tell a leak from a heap that only spreads:
// under Wine an answer body grown chunk by chunk and records grown by doubling spread the
// resident set by 8-13 KB per changed tick while the blocks in use stayed put.
void Growth(RawHttpServer& local, const Url& url, const std::string& listPage, CMainDlg& dlg)
{
    const std::string reply = RawHttpServer::Answer("HTTP/1.1 200 OK", HistoryAnswer(40));
    // Every other tick has news.
    const std::string newer = WithNews(reply);
    int round = 0;
    const int warm = 200, calls = 2000;
    RECT mainRect = {};
    ::GetWindowRect(dlg.m_hWnd, &mainRect);
    bare::LayeredWindow bareMain(mainRect.right - mainRect.left, mainRect.bottom - mainRect.top, mainRect.right + 8,
                                 mainRect.top);
    const std::vector<std::wstring> bareRows = Names(Parse(HistoryAnswer(40)), "company_name");
    bareMain.Show(true);  // on screen beside the main window, as that one is
    CHttpTransport transport;
    struct Case {
        const char* what;
        bool server;
        std::function<void()> call;
        bool alternate = false;  // answers alternate between two that differ
    };
    const Case cases[] = {
        {"bare request + jsoncpp", true, [&] { Parse(BareRequest(url, listPage)); }},
        {"GetInvoiceRecordList", true,
         [&] {
             std::vector<InvoiceRecord> records;
             GetInvoiceRecordList(transport, kMerchantKeyWide, kUserWide, records);
         }},
        {"IsIssuingWindowOpen", false, [&] { IsIssuingWindowOpen(); }},
        // The bare sides of the paint cases: whatever these grow by is Wine's, not ours.
        {"bare layered update, main window's size", false, [&] { bareMain.Paint(bareRows); }},
        {"bare request + jsoncpp + layered update", true,
         [&] { bareMain.Paint(Names(Parse(BareRequest(url, listPage)), "company_name")); }, true},
        {"refresh tick, not painted (same answer)", true,
         [&] {
             dlg.Refresh();
             Settle(dlg);
         }},
        // What a tick adds to its request: the timer stopped and started again.
        {"refresh timer stopped and started", false,
         [&] {
             ::KillTimer(dlg.m_hWnd, CMainDlg::kRefreshTimer);
             ::SetTimer(dlg.m_hWnd, CMainDlg::kRefreshTimer, 1500, nullptr);
         }},
        {"repaint of the main window alone", false,
         [&] {
             RECT rc;
             ::GetClientRect(dlg.m_hWnd, &rc);
             dlg.InvalidateRect(rc);
             Pump();
             dlg.UpdateNow();
         }},
        {"refresh tick + repaint (same answer)", true,
         [&] {
             dlg.Refresh();
             Settle(dlg);
             dlg.UpdateNow();
         }},
        {"refresh tick + repaint (answer changed)", true,
         [&] {
             dlg.Refresh();
             Settle(dlg);
             dlg.UpdateNow();
         },
         true},
    };
    std::fprintf(
        stderr,
        "growth: resident set and bytes in heap blocks over %d calls after %d warm-up calls, 40-record answers\n",
        calls, warm);
    for (const Case& c : cases) {
        size_t before = 0;
        long gdiBefore = 0;
        long long heapBefore = 0;
        for (int i = 0; i < warm + calls; ++i) {
            if (i == warm) {
                before = WorkingSetKb();
                gdiBefore = RenderGdiObjects();
                heapBefore = HeapBusyBytes();
            }
            if (c.server)
                local.Push({c.alternate && round++ % 2 ? newer : reply});
            c.call();
            if (i + 1 == warm + calls / 2)
                std::fprintf(stderr, "  %-40s half-way %+6ld KB\n", c.what,
                             static_cast<long>(WorkingSetKb()) - static_cast<long>(before));
        }
        const long grown = static_cast<long>(WorkingSetKb()) - static_cast<long>(before);
        const long long heapGrown = HeapBusyBytes() - heapBefore;
        std::fprintf(
            stderr,
            "  %-40s %+6ld KB   %6.0f bytes a call   heap blocks %+6.0f bytes a call   render GDI objects %+ld\n",
            c.what, grown, 1024.0 * grown / calls, static_cast<double>(heapGrown) / calls,
            RenderGdiObjects() - gdiBefore);
    }
}

int ListsMode(RawHttpServer& local, bool growth)
{
    const std::string ok = "HTTP/1.1 200 OK";
    // Start-up asks for the version, the merchant's company information, then the list.
    local.Push({RawHttpServer::Answer(ok, "{\"code\":404,\"data\":null,\"msg\":\"none\"}")});
    local.Push({RawHttpServer::Answer(
        ok, std::string("{\"code\":200,\"data\":{\"KeyNo\":\"") + kMerchantKey +
                "\",\"Name\":\"M\",\"CreditCode\":\"91350100M000100Y43\",\"Address\":\"A\",\"PhoneNumber\":\"1\","
                "\"Bank\":\"B\",\"Bankaccount\":\"2\"},\"msg\":\"ok\"}")});
    local.Push({RawHttpServer::Answer(ok, HistoryAnswer(10))});
    // Found by FindProcess only; no issuing window is needed.
    auto standIn = StandInProcess::Start(L"Aisino.Framework.Startup.exe", L"--hidden", L"");
    std::unique_ptr<CMainDlg> dlg = OpenMainWindow();
    if (!dlg || !standIn)
        return 1;
    const Url url = Split(local.Url("/"));
    const std::string listPage =
        "/Invoice_getFaiaoList?business_keyno=" + std::string(kMerchantKey) + "&business_userid=" + kUser;
    if (growth) {
        Growth(local, url, listPage, *dlg);
        return 0;
    }
    std::fprintf(stderr, "lists mode: in-process loopback server, answers in the service's format; medians\n");
    // The bare main window: the same size, the rows a person sees drawn, a layered update;
    // shown beside ours, both on screen, neither covering the other.
    RECT mainRect = {};
    ::GetWindowRect(dlg->m_hWnd, &mainRect);
    bare::LayeredWindow bareMain(mainRect.right - mainRect.left, mainRect.bottom - mainRect.top, mainRect.right + 8,
                                 mainRect.top);
    bareMain.Show(true);
    auto repaint = [&] {
        // As the message loop would: the posted layered update, then anything left.
        Pump();
        dlg->UpdateNow();
    };
    for (int count : {10, 1000, 10000}) {
        const std::string reply = RawHttpServer::Answer(ok, HistoryAnswer(count));
        const std::string newer = WithNews(reply);
        const int runs = count >= 10000 ? 9 : count >= 1000 ? 21 : 41;
        bool allRows = true;
        int round = 0;
        // Each pair of calls gets an answer that differs from the one before, so there is
        // always something new to read and paint (a profile runs only our side: each call
        // alone). The same answer again is the tick row. In the refresh row the repaint
        // a change posts is pumped outside the span.
        const int period = g_profile.empty() ? 4 : 2;
        g_row = "refresh-" + std::to_string(count);
        const Pair refresh = Interleaved(
            runs,
            [&] {
                local.Push({round++ % period < period / 2 ? newer : reply});
                repaint();
            },
            [&] { Parse(BareRequest(url, listPage)); },
            [&] {
                dlg->Refresh();
                Settle(*dlg);
                allRows = allRows && HistoryRows(*dlg) == count;
            });
        PaintCheck paintBare, paintOurs;
        g_row = "repaint-" + std::to_string(count);
        const Pair paint = Interleaved(
            runs,
            [&] {
                local.Push({round++ % period < period / 2 ? newer : reply});
                repaint();
                layered::Counts().clear();
            },
            [&] { bareMain.Paint(Names(Parse(BareRequest(url, listPage)), "company_name")); },
            [&] {
                dlg->Refresh();
                Settle(*dlg);
                repaint();
            },
            [&](int which) {
                if (which)
                    paintOurs.End(dlg->m_hWnd);
                else
                    paintBare.End(bareMain.Wnd());
            });
        // An answer byte for byte the one before: the poll's usual tick. The bare side asks and
        // looks for the issuing window, which is all such a tick needs: the program does not
        // parse an answer it has already read, so neither does the bare side.
        g_row = "tick-" + std::to_string(count);
        const Pair same = Interleaved(
            runs,
            [&] {
                local.Push({reply});
                repaint();
            },
            [&] {
                BareRequest(url, listPage);
                bare::IssuingWindowCheck();
            },
            [&] {
                dlg->Refresh();
                Settle(*dlg);
                repaint();
            });
        char what[96];
        std::snprintf(what, sizeof what, "refresh, %5d records%s", count, allRows ? "" : " (rows lost!)");
        Print(what, refresh, "");
        std::snprintf(what, sizeof what, "refresh + repaint, %5d records, changed", count);
        Print(what, paint, count == 1000 ? "target <= 1.20" : "");
        PrintChecks(what, paintBare, paintOurs);
        std::snprintf(what, sizeof what, "tick, %5d records, unchanged answer", count);
        Print(what, same, "");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    SetDebugSink(nullptr);
    if (!layered::Install()) {
        std::fprintf(stderr, "cannot count layered updates\n");
        return 1;
    }
    g_profile = profilectl::Row();
    g_profileRuns = profilectl::Runs();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "service" && mode != "lists" && mode != "growth") {
        std::fprintf(stderr, "usage: ui_bench.exe service|lists|growth   (service: MORAVEL_SERVICE_URL names it)\n");
        return 2;
    }
    // Before anything reads the base URL.
    std::unique_ptr<RawHttpServer> local;
    if (mode == "lists" || mode == "growth") {
        local = std::make_unique<RawHttpServer>();
        const std::string base = local->Url("/");
        OverrideServiceBaseUrl(base);
    } else {
        // The bench, not the program, takes the service from its environment.
        char url[512] = {};
        const DWORD n = GetEnvironmentVariableA("MORAVEL_SERVICE_URL", url, sizeof url);
        if (n > 0 && n < sizeof url)
            OverrideServiceBaseUrl(url);
    }
    if (!EnterBenchFolder()) {
        std::fprintf(stderr, "cannot prepare the working folder\n");
        return 1;
    }
    CUiEngine engine;
    if (!engine.Init(GetModuleHandleW(nullptr))) {
        std::fprintf(stderr, "the engine did not start (plug-ins beside the exe?)\n");
        return 1;
    }
    SNotifyCenter centre;
    if (!g_profile.empty())
        profilectl::PrintEngineModuleBases("ui_bench.exe");
    const int rc = mode == "service" ? ServiceMode(ServiceBaseUrl()) : ListsMode(*local, mode == "growth");
    Pump();
    return rc;
}
