// Prints the buyer and seller fields of the open issuing window as one UTF-8
// JSON line, found the way the assistant finds them. Exit code 1 when no
// issuing window of either variant is open, 2 when its program does not answer.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

#include "bridge/buyerfill.h"
#include "base/handle.h"
#include "base/textconv.h"
#include "bridge/targets.h"
#include "bridge/windowtext.h"
#include "bridge/windowtree.h"

namespace {

constexpr size_t kCapacity = 4096;

std::string JsonString(const std::wstring& text)
{
    std::string out = "\"";
    for (char c : WideToUtf8(text)) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            wsprintfA(escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct Entry {
    const char* name;
    HWND window;
};

// A field that is not there prints as null; one that does not answer spoils the object.
std::optional<std::string> JsonObject(std::initializer_list<Entry> entries)
{
    std::string json = "{";
    for (const Entry& entry : entries) {
        if (json.size() > 1)
            json += ",";
        json += std::string("\"") + entry.name + "\":";
        if (!entry.window) {
            json += "null";
            continue;
        }
        std::optional<std::wstring> text = ReadTextBounded(entry.window, kCapacity);
        if (!text)
            return std::nullopt;
        json += JsonString(*text);
    }
    return json + "}";
}

KernelHandle g_out;

// The text conversion traces to the standard output; the JSON keeps it to itself.
void KeepStdoutForJson()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE copy = nullptr;
    if (out && out != INVALID_HANDLE_VALUE &&
        DuplicateHandle(GetCurrentProcess(), out, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        g_out = KernelHandle(copy);
    std::freopen("NUL", "w", stdout);
}

void Print(const std::string& json)
{
    DWORD written = 0;
    std::string line = json + "\n";
    WriteFile(g_out.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

int wmain()
{
    KeepStdoutForJson();
    std::optional<BuyerFields> buyer = FindBuyerFields();
    if (!buyer) {
        Print("{\"variant\":null}");
        return 1;
    }
    HWND htTarget = FindHtFillTarget();
    HWND bwSeller = htTarget ? nullptr : FindBwSellerTarget();
    std::optional<std::string> buyerJson = JsonObject({{"name", buyer->name},
                                                       {"taxNumber", buyer->taxNumber},
                                                       {"addressPhone", buyer->addressPhone},
                                                       {"bankAccount", buyer->bankAccount}});
    std::optional<std::string> sellerJson = htTarget ? JsonObject({{"name", ChildAt(ChildAt(htTarget, 18), 1)},
                                                                   {"taxNumber", ChildAt(ChildAt(htTarget, 17), 1)}})
                                                     : JsonObject({{"name", ChildAt(bwSeller, 1)},
                                                                   {"taxNumber", ChildAt(bwSeller, 2)},
                                                                   {"bankLine", ChildAt(bwSeller, 5)}});
    if (!buyerJson || !sellerJson) {
        Print("{\"error\":\"the invoicing program did not answer\"}");
        return 2;
    }
    Print(std::string("{\"variant\":\"") + (htTarget ? "HT" : "BW") + "\",\"buyer\":" + *buyerJson +
          ",\"seller\":" + *sellerJson + "}");
    return 0;
}
