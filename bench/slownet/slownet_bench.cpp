// The real Moravel.exe on a slow network, measured from outside: its service URL is the latency
// proxy's, whose round-trip time this benchmark sets. Prints, beside the floor measured through
// the same proxy in the same run (a bare WinINet client on a kept-alive connection, the request
// line the program sends):
//   keystroke to hits on screen at 0, 50 and 150 ms: the second character typed, until the
//     pop-up's pixels are those of its hits (learnt once); floor one search round trip;
//   click to the four fields written at 150 ms: the first row's import button, until the
//     issuing window's four buyer fields hold the hit's texts; floor the company read and the
//     bare fill (bench/support/bare.h, the windows walked anew);
//   the main window's longest unanswered message (WM_NULL sent every 10 ms from a thread of
//     ours) while typing, importing, polling, and with the proxy silent.
// Asserts nothing. Usage: slownet_bench.exe MORAVEL_EXE PROXY_URL CONTROL_URL
//   (an HT stand-in with its issuing window open runs already; the program's profile holds a
//   merchant, so it opens its main window at once).
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "answerprobe.h"
#include "bare.h"
#include "benchclock.h"
#include "bridge/buyerfill.h"
#include "topwindows.h"

namespace {

const SIZE kMain = {462, 730};
const SIZE kMessageBox = {380, 210};
const char kSearchKey[] = "%E8%AA%A0%E9%81%8B";  // 誠運 as the search box sends it
const char kUser[] = "10000001";
const int kRuns = 12;

std::string g_control;

bool Get(const std::string& url, std::string* body = nullptr)
{
    HINTERNET internet = InternetOpenW(L"slownet-bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = internet ? InternetOpenUrlA(internet, url.c_str(), nullptr, 0,
                                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                 : nullptr;
    bool ok = false;
    if (request) {
        DWORD status = 0, size = sizeof status;
        ok = HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
             status == 200;
        char chunk[8192];
        DWORD got = 0;
        while (InternetReadFile(request, chunk, sizeof chunk, &got) && got > 0)
            if (body)
                body->append(chunk, got);
        InternetCloseHandle(request);
    }
    if (internet)
        InternetCloseHandle(internet);
    return ok;
}

bool Proxy(const std::string& command, std::string* answer = nullptr)
{
    return Get(g_control + command, answer);
}

// A client of its own that keeps its connection, as the program's reads do (no
// "Connection: close"): the floor of one read through the proxy.
class KeptAlive {
public:
    explicit KeptAlive(const std::string& base)
    {
        const size_t hostAt = base.find("://") + 3;
        const size_t colon = base.find(':', hostAt);
        const std::string host = base.substr(hostAt, colon - hostAt);
        const INTERNET_PORT port = static_cast<INTERNET_PORT>(std::atoi(base.c_str() + colon + 1));
        m_internet = InternetOpenW(L"Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        m_connection = InternetConnectA(m_internet, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    }
    ~KeptAlive()
    {
        InternetCloseHandle(m_connection);
        InternetCloseHandle(m_internet);
    }
    KeptAlive(const KeptAlive&) = delete;
    KeptAlive& operator=(const KeptAlive&) = delete;

    std::string Read(const std::string& page)
    {
        std::string answer;
        HINTERNET request =
            HttpOpenRequestA(m_connection, "GET", page.c_str(), "HTTP/1.1", nullptr, nullptr,
                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION, 0);
        if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
            char chunk[4096];
            DWORD got = 0;
            while (InternetReadFile(request, chunk, sizeof chunk, &got) && got > 0)
                answer.append(chunk, got);
        }
        if (request)
            InternetCloseHandle(request);
        return answer;
    }

private:
    HINTERNET m_internet = nullptr;
    HINTERNET m_connection = nullptr;
};

void PrintProbe(const char* what, AnswerProbe& probe)
{
    const double longest = probe.Stop();
    std::fprintf(stderr, "  longest unanswered message, %-34s %8.1f ms (%d probes; goal <= 50)\n", what, longest,
                 probe.Probes());
}

std::wstring Text(HWND wnd)
{
    wchar_t text[512] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
    return text;
}

void SetText(HWND wnd, const wchar_t* text)
{
    DWORD_PTR got = 0;
    SendMessageTimeoutW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
}

void Click(HWND wnd, POINT at)
{
    const LPARAM lp = MAKELPARAM(at.x, at.y);
    PostMessageW(wnd, WM_MOUSEMOVE, 0, lp);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    PostMessageW(wnd, WM_LBUTTONUP, 0, lp);
}

struct Program {
    DWORD pid = 0;
    HANDLE process = nullptr;
    HWND main = nullptr;
    HWND search = nullptr;

    HWND Popup() const
    {
        for (HWND wnd : TopWindows(pid, L"SOUIHOST"))
            if (wnd != main && WindowSize(wnd).cy != kMessageBox.cy)
                return wnd;
        return nullptr;
    }
};

// The visible edit inside the main window's rectangle, highest first: the search box.
HWND SearchEdit(const Program& app)
{
    struct Args {
        RECT area;
        HWND found = nullptr;
        int top = 1 << 30;
    } args;
    args.area = ScreenRect(app.main);
    auto collect = [](HWND wnd, LPARAM lp) -> BOOL {
        auto* a = reinterpret_cast<Args*>(lp);
        const RECT rc = ScreenRect(wnd);
        const POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        if (ClassIs(wnd, L"Edit") && IsWindowVisible(wnd) && PtInRect(&a->area, centre) && centre.y < a->top) {
            a->top = centre.y;
            a->found = wnd;
        }
        return TRUE;
    };
    for (HWND top : TopWindows(app.pid, L"")) {
        collect(top, reinterpret_cast<LPARAM>(&args));
        EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&args));
    }
    return args.found;
}

bool StartProgram(const std::wstring& exe, Program& app)
{
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    app.pid = pi.dwProcessId;
    app.process = pi.hProcess;
    app.main = WaitHost(app.pid, kMain, 30000);
    if (!app.main)
        return false;
    WaitUntil([&] { return (app.search = SearchEdit(app)) != nullptr; }, 5000);
    return app.search != nullptr;
}

void EndProgram(Program& app)
{
    if (!app.process)
        return;
    PostMessageW(app.main, WM_COMMAND, 6, 0);  // the tray menu's "退出"
    if (WaitForSingleObject(app.process, 5000) != WAIT_OBJECT_0)
        TerminateProcess(app.process, 1);
    CloseHandle(app.process);
    app.process = nullptr;
}

// One character typed into the search box: no search yet, the pop-up hidden.
void FirstCharacter(const Program& app)
{
    SetText(app.search, L"");
    SendMessageW(app.search, WM_CHAR, L'誠', 1);
    Sleep(400);
}

struct Shown {
    RECT rect = {};
    uint64_t digest = 0;
};

// The pop-up with the hits of 誠運, once it has settled.
bool LearnHits(const Program& app, Shown& shown)
{
    FirstCharacter(app);
    SendMessageW(app.search, WM_CHAR, L'運', 1);
    Sleep(3000);
    HWND popup = app.Popup();
    if (!popup)
        return false;
    shown.rect = ScreenRect(popup);
    shown.digest = bare::ScreenDigest(shown.rect);
    return true;
}

// Until the pop-up shows the hits; the time from `start`, or -1 after 5 s.
double UntilHitsShown(const Program& app, const Shown& shown, double start)
{
    while (NowMs() - start < 5000) {
        HWND popup = app.Popup();
        if (popup && IsWindowVisible(popup) && bare::ScreenDigest(shown.rect) == shown.digest)
            return NowMs() - start;
        Sleep(1);
    }
    return -1;
}

void KeystrokeRow(const Program& app, const Shown& shown, int rtt, KeptAlive& bareClient)
{
    Proxy("rtt?ms=" + std::to_string(rtt));
    const std::string page = "/Invoice_getCompanyList?key=" + std::string(kSearchKey) + "&user_id=" + kUser;
    std::vector<double> ours, floor;
    int missed = 0;
    for (int i = 0; i < kRuns + 2; ++i) {
        double start = NowMs();
        bareClient.Read(page);
        const double bareTook = NowMs() - start;
        FirstCharacter(app);
        start = NowMs();
        SendMessageW(app.search, WM_CHAR, L'運', 1);
        const double took = UntilHitsShown(app, shown, start);
        if (i < 2)
            continue;
        floor.push_back(bareTook);
        if (took < 0)
            ++missed;
        else
            ours.push_back(took);
    }
    const double f = Median(floor), o = Median(ours);
    std::fprintf(stderr,
                 "  keystroke to hits on screen, rtt %3d ms          floor %8.1f ms   window %8.1f ms   "
                 "ratio %5.2f (goal <= 1.20 at 150 ms; %d of %d never shown)\n",
                 rtt, f, o, f > 0 ? o / f : 0.0, missed, kRuns);
}

// The first row's import button, right of the row, left of any scroll bar.
POINT ImportButton(HWND popup)
{
    return POINT{WindowSize(popup).cx - 47, 24};
}

bool FieldsHold(const BuyerFields& fields, const std::wstring* texts)
{
    return Text(fields.name) == texts[0] && Text(fields.taxNumber) == texts[1] &&
           Text(fields.addressPhone) == texts[2] && Text(fields.bankAccount) == texts[3];
}

// The proxy's stats list "connection N ..." and "request N LINE" rows.
unsigned long long HighestConnection(const std::string& stats)
{
    unsigned long long highest = 0;
    std::istringstream rows(stats);
    std::string word;
    unsigned long long id = 0;
    for (std::string row; std::getline(rows, row);) {
        std::istringstream fields(row);
        if (fields >> word >> id && (word == "connection" || word == "request") && id > highest)
            highest = id;
    }
    return highest;
}

// The connection that carried the first request starting with `line`; 0 when none did.
unsigned long long ConnectionOf(const std::string& stats, const std::string& line)
{
    std::istringstream rows(stats);
    for (std::string row; std::getline(rows, row);) {
        std::istringstream fields(row);
        std::string word;
        unsigned long long id = 0;
        if (fields >> word >> id && word == "request") {
            std::string rest;
            std::getline(fields >> std::ws, rest);
            if (rest.compare(0, line.size(), line) == 0)
                return id;
        }
    }
    return 0;
}

void EmptyFields(const BuyerFields& fields)
{
    for (HWND field : {fields.name, fields.taxNumber, fields.addressPhone, fields.bankAccount})
        SetText(field, L"");
}

void ClickRow(const Program& app, const Shown& shown, KeptAlive& bareClient)
{
    Proxy("rtt?ms=150");
    const std::optional<BuyerFields> fields = FindBuyerFields();
    if (!fields) {
        std::fprintf(stderr, "  click to the four fields: no buyer fields found; not measured\n");
        return;
    }
    // The click leaves the pointer's hover on the pop-up's pixels: hits are taken as shown
    // once the pop-up is up and an answer has had time to come back.
    (void)shown;
    auto showHits = [&] {
        FirstCharacter(app);
        SendMessageW(app.search, WM_CHAR, L'運', 1);
        const bool up = WaitUntil([&] { return app.Popup() != nullptr; }, 5000);
        Sleep(800);
        return up;
    };
    // One untimed import teaches the texts and the company read it makes.
    Proxy("reset");
    Proxy("rtt?ms=150");
    if (!showHits()) {
        std::fprintf(stderr, "  click to the four fields: no hits shown; not measured\n");
        return;
    }
    EmptyFields(*fields);
    if (HWND popup = app.Popup())
        Click(popup, ImportButton(popup));
    std::wstring texts[4];
    WaitUntil(
        [&] {
            texts[0] = Text(fields->name);
            texts[1] = Text(fields->taxNumber);
            texts[2] = Text(fields->addressPhone);
            texts[3] = Text(fields->bankAccount);
            return !texts[0].empty() && !texts[1].empty() && !texts[2].empty() && !texts[3].empty();
        },
        10000);
    Sleep(1500);
    std::string stats;
    Proxy("stats", &stats);
    // The import's read is the last one (the merchant's own company was read at start).
    const size_t at = stats.rfind("GET /Invoice_getCompanyInfo");
    if (at == std::string::npos || texts[1].empty()) {
        std::fprintf(stderr, "  click to the four fields: the first import wrote nothing; not measured\n");
        return;
    }
    const std::string infoPage = stats.substr(at + 4, stats.find(' ', at + 4) - at - 4);

    Proxy("reset");
    Proxy("rtt?ms=150");
    AnswerProbe probe(app.main);
    std::vector<double> ours, floor;
    int missed = 0, opened = 0;
    bool bareFilled = true;
    for (int i = 0; i < kRuns + 2; ++i) {
        double start = NowMs();
        bareClient.Read(infoPage);
        bareFilled = bare::HtFill(texts) && bareFilled;
        const double bareTook = NowMs() - start;
        if (!showHits()) {
            ++missed;
            continue;
        }
        EmptyFields(*fields);
        Sleep(200);
        HWND popup = app.Popup();
        if (!popup) {
            ++missed;
            continue;
        }
        // Connections are numbered in the order they came: one above every number known
        // before the click is new.
        std::string before;
        Proxy("stats", &before);
        const unsigned long long known = HighestConnection(before);
        Proxy("reset");
        Proxy("rtt?ms=150");
        start = NowMs();
        Click(popup, ImportButton(popup));
        double took = -1;
        while (NowMs() - start < 5000) {
            if (FieldsHold(*fields, texts)) {
                took = NowMs() - start;
                break;
            }
            Sleep(1);
        }
        // Whether the company read went on a connection opened for it (its POST that follows
        // always opens one, so counting all new connections would say nothing).
        std::string during;
        Proxy("stats", &during);
        if (i >= 2 && ConnectionOf(during, "GET /Invoice_getCompanyInfo") > known)
            ++opened;
        // The record and the reload that follow, before the next click.
        Sleep(1500);
        if (i < 2)
            continue;
        floor.push_back(bareTook);
        if (took < 0)
            ++missed;
        else
            ours.push_back(took);
    }
    std::fprintf(stderr, "    clicks whose company read opened a new connection: %d of %d\n", opened, kRuns);
    const double f = Median(floor), o = Median(ours);
    std::fprintf(stderr,
                 "  click to the four fields written, rtt 150 ms     floor %8.1f ms   window %8.1f ms   "
                 "ratio %5.2f (goal <= 1.20; %d of %d not written%s)\n",
                 f, o, f > 0 ? o / f : 0.0, missed, kRuns, bareFilled ? "" : "; a bare fill failed!");
    PrintProbe("importing at 150 ms:", probe);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: slownet_bench.exe MORAVEL_EXE PROXY_URL CONTROL_URL\n");
        return 2;
    }
    wchar_t exe[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, exe, MAX_PATH);
    const std::string proxyUrl = argv[2];
    g_control = argv[3];
    if (!Proxy("reset")) {
        std::fprintf(stderr, "no latency proxy at %s\n", g_control.c_str());
        return 1;
    }
    std::fprintf(stderr, "slow network: the program through the latency proxy %s; medians of %d\n", proxyUrl.c_str(),
                 kRuns);
    Program app;
    if (!StartProgram(exe, app)) {
        std::fprintf(stderr, "the program did not open its main window\n");
        EndProgram(app);
        return 1;
    }
    Sleep(2000);
    Shown shown;
    if (!LearnHits(app, shown)) {
        std::fprintf(stderr, "no hits shown for the learning search\n");
        EndProgram(app);
        return 1;
    }
    KeptAlive bareClient(proxyUrl);
    for (int rtt : {0, 50, 150}) {
        std::unique_ptr<AnswerProbe> probe = rtt == 150 ? std::make_unique<AnswerProbe>(app.main) : nullptr;
        KeystrokeRow(app, shown, rtt, bareClient);
        if (probe)
            PrintProbe("typing at 150 ms:", *probe);
    }
    ClickRow(app, shown, bareClient);
    {
        SetText(app.search, L"");
        AnswerProbe probe(app.main);
        Sleep(10000);
        PrintProbe("polling at 150 ms (10 s):", probe);
    }
    {
        // Hits on screen, then the service silent: an import started, a key every 400 ms.
        FirstCharacter(app);
        SendMessageW(app.search, WM_CHAR, L'運', 1);
        UntilHitsShown(app, shown, NowMs());
        Proxy("mode?m=silent");
        AnswerProbe probe(app.main);
        if (HWND popup = app.Popup())
            Click(popup, ImportButton(popup));
        Sleep(500);
        SetText(app.search, L"");
        const double start = NowMs();
        for (int i = 0; NowMs() - start < 15000; ++i) {
            SendMessageW(app.search, WM_CHAR, static_cast<wchar_t>(L'a' + i % 26), 1);
            Sleep(400);
        }
        PrintProbe("silent service (15 s, typing):", probe);
        Proxy("reset");
    }
    EndProgram(app);
    return 0;
}
