#include <gtest/gtest.h>

#include "bridge/processes.h"
#include "bridge/targets.h"
#include "bridge/titlesearch.h"
#include "standins.h"

// Processes are told apart by their exact file names, as the invoicing program ships them.
TEST(detection_process, only_bw_program_running_without_issuing_window)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    EXPECT_TRUE(IsInvoicingSoftwareRunning());
    EXPECT_FALSE(IsIssuingWindowOpen());
    EXPECT_TRUE(IsProcessRunning(L"kp.exe"));
    EXPECT_FALSE(IsProcessRunning(L"Aisino.Framework.Startup.exe"));
    EXPECT_EQ(nullptr, FindBwFillTarget());
}

TEST(detection_process, names_differing_in_letter_case_are_not_recognised)
{
    ASSERT_TRUE(StandIns::Require(true, true));
    EXPECT_TRUE(IsProcessRunning(L"Aisino.Framework.Startup.exe"));
    EXPECT_TRUE(IsProcessRunning(L"kp.exe"));
    for (const wchar_t* name : {L"KP.EXE", L"Kp.exe", L"aisino.framework.startup.exe", L"Aisino.Framework.Startup.EXE",
                                L"kp", L"kp.exe ", L""})
        EXPECT_FALSE(IsProcessRunning(name)) << "name: " << testing::PrintToString(std::wstring(name));
}

TEST(detection_process, nothing_running)
{
    ASSERT_TRUE(StandIns::Require(false, false));
    EXPECT_FALSE(IsInvoicingSoftwareRunning());
    EXPECT_FALSE(IsIssuingWindowOpen());
}

// While the HT program runs, only its exact titles count: a BW window is not
// "open" for it, but the BW target can still be found and filled.
TEST(detection_variant, ht_program_running_with_bw_window_open)
{
    ASSERT_TRUE(StandIns::Require(true, true));
    ASSERT_TRUE(StandIns::Bw()->Open(L""));
    EXPECT_FALSE(IsIssuingWindowOpen());
    EXPECT_EQ(nullptr, FindHtFillTarget());
    EXPECT_NE(nullptr, FindBwFillTarget());
    EXPECT_NE(nullptr, FindBwSellerTarget());
}

TEST(detection_variant, ht_issuing_window_of_either_title_is_open)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    for (const wchar_t* flags : {L"", L"--special"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(flags)));
        ASSERT_TRUE(StandIns::Ht()->Open(flags));
        EXPECT_TRUE(IsIssuingWindowOpen());
        EXPECT_NE(nullptr, FindHtFillTarget());
        ASSERT_TRUE(StandIns::Ht()->CloseAll());
    }
}

// HT titles are whole titles: a title with more around it is no HT window.
TEST(detection_variant, ht_title_with_extra_text_is_not_an_issuing_window)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--title \"开具增值税普通发票 - 1\""));
    EXPECT_FALSE(IsIssuingWindowOpen());
    EXPECT_EQ(nullptr, FindHtFillTarget());
}

// Broken HT trees: the target needs the named anchor and two levels below it.
TEST(detection_tree, ht_target_missing_when_anchor_is_missing_or_empty)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    for (const wchar_t* flags : {L"--no-anchor", L"--empty-anchor"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(flags)));
        ASSERT_TRUE(StandIns::Ht()->Open(flags));
        EXPECT_TRUE(IsIssuingWindowOpen());
        EXPECT_EQ(nullptr, FindHtFillTarget());
        ASSERT_TRUE(StandIns::Ht()->CloseAll());
    }
}

TEST(detection_tree, bw_node_with_three_children_gives_no_targets)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    ASSERT_TRUE(StandIns::Bw()->Open(L"--short-tree"));
    EXPECT_TRUE(IsIssuingWindowOpen());
    EXPECT_EQ(nullptr, FindBwFillTarget());
    EXPECT_EQ(nullptr, FindBwSellerTarget());
}

TEST(detection_tree, bw_special_phrase_is_searched_before_ordinary)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    HWND ordinary = StandIns::Bw()->Open(L"");
    HWND special = StandIns::Bw()->Open(L"--special");
    ASSERT_TRUE(ordinary && special);
    // Even with the ordinary window on top, the special one is taken.
    ASSERT_TRUE(StandIns::Bw()->Raise(ordinary));
    EXPECT_EQ(special, FindTopWindowByTitlePart(L"增值税专用发票开具"));
    EXPECT_EQ(special, GetAncestor(FindBwFillTarget(), GA_ROOT));
}

// Of two windows with the phrase, the one the platform lists first (topmost) is taken.
TEST(detection_tree, first_of_two_matching_bw_windows_is_taken)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    HWND first = StandIns::Bw()->Open(L"--special --title \"甲 增值税专用发票开具 1\"");
    HWND second = StandIns::Bw()->Open(L"--special --title \"乙 增值税专用发票开具 2\"");
    ASSERT_TRUE(first && second);
    for (HWND top : {first, second, first}) {
        ASSERT_TRUE(StandIns::Bw()->Raise(top));
        EXPECT_EQ(top, FindTopWindowByTitlePart(L"增值税专用发票开具"));
        EXPECT_EQ(top, GetAncestor(FindBwFillTarget(), GA_ROOT));
    }
}
