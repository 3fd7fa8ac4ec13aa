#include "bridge/titlesearch.h"

#include <vector>

#include "net/diag.h"
#include "net/textconv.h"

namespace {

struct Search {
    std::string fragment;
    HWND found = nullptr;
    std::wstring title;
};

BOOL CALLBACK VisitTopWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return TRUE;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, buffer.data(), length + 1);
    std::wstring title(buffer.data());
    // Bytes, not characters: the title must hold the fragment's exact GBK run.
    std::string bytes = WideToGbk(title);
    if (bytes.find(search->fragment) == std::string::npos) return TRUE;
    search->found = window;
    search->title = title;
    return FALSE;
}

}  // namespace

HWND FindTopWindowByTitlePart(const std::wstring& fragment) {
    Search search;
    search.fragment = WideToGbk(fragment);
    // An empty needle is found in every title; that would pick an arbitrary window.
    if (search.fragment.empty()) return nullptr;
    EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) DebugLine(L"Find win title = " + search.title);
    return search.found;
}
