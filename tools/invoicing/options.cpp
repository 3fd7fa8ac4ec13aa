#include "options.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

bool ReadInt(const std::wstring& text, int& value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    long parsed = std::wcstol(text.c_str(), &end, 10);
    if (*end != L'\0' || parsed < 0 || parsed > 1000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line)
{
    std::vector<std::wstring> args;
    if (line.empty())
        return args;
    // CommandLineToArgvW treats the first token as a program path; give it one.
    std::wstring full = L"x " + line;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(full.c_str(), &count);
    if (!argv)
        return args;
    for (int i = 1; i < count; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

Variant VariantFromProgramName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    return _wcsicmp(name.c_str(), L"kp.exe") == 0 ? Variant::Bw : Variant::Ht;
}

bool ParseStartOptions(const std::vector<std::wstring>& args, StartOptions& options, std::wstring& error)
{
    IssuingOptions& w = options.window;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& flag = args[i];
        auto value = [&](std::wstring& out) {
            if (i + 1 >= args.size()) {
                error = L"missing value after " + flag;
                return false;
            }
            out = args[++i];
            return true;
        };
        std::wstring text;
        if (flag == L"--variant") {
            if (!value(text))
                return false;
            if (text == L"ht")
                w.variant = Variant::Ht;
            else if (text == L"bw")
                w.variant = Variant::Bw;
            else {
                error = L"--variant takes ht or bw";
                return false;
            }
        } else if (flag == L"--special") {
            w.special = true;
        } else if (flag == L"--title") {
            if (!value(w.title))
                return false;
            w.hasTitle = true;
        } else if (flag == L"--target-children") {
            if (!value(text))
                return false;
            if (!ReadInt(text, w.targetChildren)) {
                error = L"bad --target-children";
                return false;
            }
        } else if (flag == L"--single-child-fields") {
            w.singleChildFields = true;
        } else if (flag == L"--no-anchor") {
            w.noAnchor = true;
        } else if (flag == L"--empty-anchor") {
            w.emptyAnchor = true;
        } else if (flag == L"--short-tree") {
            w.shortTree = true;
        } else if (flag == L"--hidden") {
            w.hidden = true;
        } else if (flag == L"--seller-name") {
            if (!value(w.sellerName))
                return false;
        } else if (flag == L"--seller-tax") {
            if (!value(w.sellerTaxCode))
                return false;
        } else if (flag == L"--seller-bank-line") {
            if (!value(w.sellerBankLine))
                return false;
        } else if (flag == L"--no-window") {
            options.noWindow = true;
        } else if (flag == L"--log") {
            if (!value(options.logPath))
                return false;
        } else {
            error = L"unknown flag " + flag;
            return false;
        }
    }
    return true;
}
