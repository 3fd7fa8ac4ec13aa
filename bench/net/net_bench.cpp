// Prints what the service client costs beside a bare baseline run in the same process:
//   1. one request through CHttpTransport against the same request through a bare
//      WinINet loop written inline here (target ratio <= 1.1);
//   2. fetching and reading a history list of 10, 1,000 and 10,000 records with
//      GetInvoiceRecordList, beside the bare fetch and jsoncpp alone on the same bytes.
// Usage: net_bench.exe [BASE_URL] >trace.txt   (BASE_URL: the substitute service,
// measured in part 1 beside the in-process loopback server).
#include <windows.h>
#include <wininet.h>

#include <json/json.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/log.h"
#include "net/serviceaccess.h"
#include "net/httptransport.h"
#include "net/invoiceendpoints.h"
#include "benchclock.h"
#include "historyanswer.h"
#include "profilectl.h"
#include "rawserver.h"

namespace {
// Median of `runs` timed calls after `warmup` untimed ones.
double MedianMs(int warmup, int runs, const std::function<void()>& call)
{
    for (int i = 0; i < warmup; ++i)
        call();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        call();
        times.push_back(NowMs() - start);
    }
    return Median(times);
}

// The same exchange as the transport, with nothing around it.
std::string BareGet(const std::string& host, INTERNET_PORT port, const std::string& page)
{
    std::string body;
    HINTERNET internet = InternetOpenW(L"Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnectA(internet, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, "GET", page.c_str(), "HTTP/1.1", nullptr, nullptr,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        char status[64] = {};
        DWORD size = sizeof status - 1;
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, status, &size, nullptr);
        char chunk[4096];
        DWORD got = 0;
        while (InternetReadFile(request, chunk, sizeof chunk, &got) && got > 0)
            body.append(chunk, got);
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return body;
}

}  // namespace

int main(int argc, char** argv)
{
    // Figures go to stderr: stdout carries the transport's trace lines, best sent to a
    // file or pipe (run.sh does). The C runtime writes to a character device such as
    // NUL unbuffered, which under Wine adds ~0.7 ms to every request.
    SetDebugSink(nullptr);

    RawHttpServer local;
    if (!local.Listening()) {
        std::fprintf(stderr, "cannot open a loopback server\n");
        return 1;
    }
    // The endpoints find the in-process server through the base URL.
    const std::string localBase = local.Url("/");
    OverrideServiceBaseUrl(localBase);
    const std::string small = "{\"code\":200,\"data\":{\"version_no\":\"1.1\"}}";

    // 1. One request, to the service when one is named, and to the in-process server.
    CHttpTransport transport;
    auto oneRequest = [&](const std::string& base, bool staged) {
        const std::string url = base + "invoice_getLastestVersion";
        const UrlParts parts = CHttpTransport::SplitUrl(url);
        auto stage = [&] {
            if (staged)
                local.Push({RawHttpServer::Answer("HTTP/1.1 200 OK", small)});
        };
        size_t bytes = 0;
        const int runs = 300;
        // Interleaved rounds so that drift in the machine's load hits both alike.
        std::vector<double> bareRounds, throughRounds;
        for (int round = 0; round < 3; ++round) {
            bareRounds.push_back(MedianMs(10, runs / 3, [&] {
                stage();
                bytes = BareGet(parts.host, parts.port, parts.page).size();
            }));
            throughRounds.push_back(MedianMs(10, runs / 3, [&] {
                stage();
                bytes = transport.Request(url, false, "", "").size();
            }));
        }
        const double bare = Median(bareRounds), through = Median(throughRounds);
        std::fprintf(stderr, "one request to %s (%zu-byte answer), median of %d:\n", url.c_str(), bytes, runs);
        std::fprintf(stderr, "  bare WinINet loop      %8.3f ms\n", bare);
        std::fprintf(stderr, "  CHttpTransport         %8.3f ms   ratio %.2f (target <= 1.10)\n", through,
                     through / bare);
    };
    const bool profiling = !profilectl::Row().empty();
    if (argc > 1 && !profiling)
        oneRequest(argv[1], false);
    if (!profiling)
        oneRequest(localBase, true);

    // For bench/profile.sh: records-N runs only GetInvoiceRecordList on N records,
    // bare-records-N only the bare fetch and jsoncpp on the same answer.
    const std::string profiled = profilectl::Row();
    if (!profiled.empty()) {
        const bool bare = profiled.rfind("bare-", 0) == 0;
        const std::string row = profiled.substr(bare ? 5 : 0);
        const int count = row.rfind("records-", 0) == 0 ? std::atoi(row.c_str() + 8) : 0;
        if (count <= 0) {
            std::fprintf(stderr, "no row %s here (records-N, bare-records-N)\n", profiled.c_str());
            return 2;
        }
        profilectl::PrintModuleBase(nullptr, "net_bench.exe");
        const std::string reply = RawHttpServer::Answer("HTTP/1.1 200 OK", HistoryAnswer(count));
        const UrlParts listParts = CHttpTransport::SplitUrl(localBase + "Invoice_getFaiaoList");
        auto call = [&] {
            local.Push({reply});
            if (bare) {
                const std::string body = BareGet(listParts.host, listParts.port, listParts.page);
                Json::CharReaderBuilder builder;
                std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
                Json::Value root;
                reader->parse(body.data(), body.data() + body.size(), &root, nullptr);
                return;
            }
            std::vector<InvoiceRecord> records;
            GetInvoiceRecordList(transport, L"6c756d6f72612d6d65726368616e7431", L"10000001", records);
        };
        call();
        call();
        const int runs = profilectl::Runs();
        profilectl::Send("enable\n");
        const double start = NowMs();
        for (int i = 0; i < runs; ++i)
            call();
        const double took = NowMs() - start;
        profilectl::Send("disable\n");
        std::fprintf(stderr, "profiled %s: %d runs in %.0f ms\n", profiled.c_str(), runs, took);
        return 0;
    }

    // 2. History lists, from the in-process server.
    std::fprintf(stderr, "history list (in-process loopback server), medians:\n");
    std::fprintf(stderr, "  %7s %10s %12s %12s %14s %14s %8s\n", "records", "bytes", "bare fetch", "jsoncpp only",
                 "GetInvoiceRec", "per record", "ratio");
    const std::string listBase = localBase;
    for (int count : {10, 1000, 10000}) {
        const std::string answer = HistoryAnswer(count);
        const std::string reply = RawHttpServer::Answer("HTTP/1.1 200 OK", answer);
        const int n = count >= 10000 ? 7 : count >= 1000 ? 21 : 51;
        const UrlParts listParts = CHttpTransport::SplitUrl(listBase + "Invoice_getFaiaoList");
        const double fetch = MedianMs(2, n, [&] {
            local.Push({reply});
            BareGet(listParts.host, listParts.port, listParts.page);
        });
        const double parse = MedianMs(1, n, [&] {
            Json::CharReaderBuilder builder;
            std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
            Json::Value root;
            reader->parse(answer.data(), answer.data() + answer.size(), &root, nullptr);
        });
        size_t got = 0;
        const double full = MedianMs(2, n, [&] {
            local.Push({reply});
            std::vector<InvoiceRecord> records;
            GetInvoiceRecordList(transport, L"6c756d6f72612d6d65726368616e7431", L"10000001", records);
            got = records.size();
        });
        std::fprintf(stderr, "  %7d %10zu %9.3f ms %9.3f ms %11.3f ms %11.2f us %8.2f%s\n", count, answer.size(), fetch,
                     parse, full, 1000.0 * full / count, full / (fetch + parse),
                     got == static_cast<size_t>(count) ? "" : "  (records lost!)");
    }
    std::fprintf(stderr, "ratio = GetInvoiceRecordList / (bare fetch + jsoncpp only)\n");
    return 0;
}
