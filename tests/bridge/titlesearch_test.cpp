#include <gtest/gtest.h>

#include <windows.h>

#include "bridge/titlesearch.h"
#include "base/log.h"

namespace {

// A hidden top-level window of this process, on top of the z-order while it lives.
class TopWindow {
public:
    explicit TopWindow(const std::wstring& title)
        : m_window(CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr))
    {
        SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ~TopWindow() { DestroyWindow(m_window); }
    TopWindow(const TopWindow&) = delete;
    TopWindow& operator=(const TopWindow&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

struct TitleCase {
    const wchar_t* title;
    bool matches;
};

}  // namespace

// The phrase must lie in the title as one run of GBK bytes; anything around it is fine.
TEST(title_search, phrase_anywhere_in_title_matches_and_parts_do_not)
{
    const TitleCase cases[] = {
        {L"增值税专用发票开具", true},
        {L"开票软件 - 增值税专用发票开具 [NO.1]", true},
        {L"增值税专用发票开具开具", true},
        {L"增值税专用发票", false},
        {L"专用发票开具", false},
        {L"增值税专用发票 开具", false},
        {L"增值税普通发票开具", false},
        // Thai has no GBK form: the whole title converts to nothing and cannot match.
        {L"增值税专用发票开具 ก", false},
    };
    for (const TitleCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.title)));
        TopWindow window(c.title);
        ASSERT_TRUE(window.Get());
        HWND found = FindTopWindowByTitlePart(L"增值税专用发票开具");
        if (c.matches)
            EXPECT_EQ(window.Get(), found);
        else
            EXPECT_NE(window.Get(), found);
    }
}

// A fragment that converts to no bytes would be found in every title.
TEST(title_search, empty_or_unrepresentable_fragment_matches_nothing)
{
    TopWindow window(L"任意标题");
    EXPECT_EQ(nullptr, FindTopWindowByTitlePart(L""));
    EXPECT_EQ(nullptr, FindTopWindowByTitlePart(L"ก"));
}

TEST(title_search, match_is_reported_on_the_debug_output)
{
    std::vector<std::wstring> lines;
    DebugSink previous = SetDebugSink([&](const std::wstring& line) { lines.push_back(line); });
    TopWindow window(L"开票软件 增值税普通发票开具");
    EXPECT_EQ(window.Get(), FindTopWindowByTitlePart(L"增值税普通发票开具"));
    SetDebugSink(previous);
    EXPECT_EQ(std::vector<std::wstring>{L"Find win title = 开票软件 增值税普通发票开具"}, lines);
}

// One pass serves both phrases: the preferred one wins wherever it lies in the z-order,
// the other is taken only without it; titles longer than the usual read are read whole.
TEST(title_search, preferred_phrase_before_fallback_in_one_pass)
{
    const std::wstring special = L"增值税专用发票开具", ordinary = L"增值税普通发票开具";
    {
        TopWindow below(L"甲 " + special);
        TopWindow top(L"乙 " + ordinary);
        EXPECT_EQ(below.Get(), FindTopWindowByTitleParts(special, ordinary));
        EXPECT_EQ(top.Get(), FindTopWindowByTitleParts(ordinary, special));
    }
    {
        TopWindow only(L"丙 " + ordinary);
        EXPECT_EQ(only.Get(), FindTopWindowByTitleParts(special, ordinary));
        EXPECT_EQ(only.Get(), FindTopWindowByTitleParts(L"ก", ordinary)) << "an unrepresentable first phrase";
        EXPECT_EQ(nullptr, FindTopWindowByTitleParts(special, L""));
    }
    TopWindow longTitle(std::wstring(300, L'长') + special);
    EXPECT_EQ(longTitle.Get(), FindTopWindowByTitleParts(special, ordinary));
}
