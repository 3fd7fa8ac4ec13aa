#include "bridge/titlesearch.h"

#include <vector>

#include "base/log.h"
#include "base/textconv.h"

namespace {

struct Search {
    std::string preferred;
    std::string fallback;
    HWND found = nullptr;
    std::wstring title;
    HWND fallbackFound = nullptr;
    std::wstring fallbackTitle;
};

std::wstring TitleOf(HWND window)
{
    // One read for the usual title. GetWindowTextLengthW would send the owner a message,
    // a round trip to another program for every window on the desktop.
    wchar_t small[256];
    int length = GetWindowTextW(window, small, 256);
    if (length < 255)
        return std::wstring(small, static_cast<size_t>(length > 0 ? length : 0));
    length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

BOOL CALLBACK VisitTopWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    std::wstring title = TitleOf(window);
    if (title.empty())
        return TRUE;
    // Bytes, not characters: the title must hold the fragment's exact GBK run.
    std::string bytes = WideToGbk(title);
    if (bytes.find(search->preferred) != std::string::npos) {
        search->found = window;
        search->title = std::move(title);
        return FALSE;
    }
    if (!search->fallbackFound && !search->fallback.empty() && bytes.find(search->fallback) != std::string::npos) {
        search->fallbackFound = window;
        search->fallbackTitle = std::move(title);
    }
    return TRUE;
}

}  // namespace

HWND FindTopWindowByTitleParts(const std::wstring& preferred, const std::wstring& fallback)
{
    Search search;
    search.preferred = WideToGbk(preferred);
    search.fallback = WideToGbk(fallback);
    // An empty needle is found in every title; that would pick an arbitrary window.
    if (search.preferred.empty() && search.fallback.empty())
        return nullptr;
    if (search.preferred.empty())
        std::swap(search.preferred, search.fallback);
    EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        search.found = search.fallbackFound;
        search.title = std::move(search.fallbackTitle);
    }
    if (search.found)
        DebugLine(L"Find win title = " + search.title);
    return search.found;
}

HWND FindTopWindowByTitlePart(const std::wstring& fragment)
{
    return FindTopWindowByTitleParts(fragment, std::wstring());
}
