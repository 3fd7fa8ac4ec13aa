#include <gtest/gtest.h>

#include "bridge/buyerfill.h"
#include "bridge/windowtext.h"
#include "standins.h"

namespace {

CompanyRecord Buyer()
{
    CompanyRecord buyer;
    buyer.Name = L"上海示例贸易有限公司";
    buyer.CreditCode = L"91310115MA1K3YJ77Q";
    buyer.Address = L"上海市浦东新区世纪大道100号";
    buyer.PhoneNumber = L"021-58880000";
    buyer.Bank = L"中国建设银行上海浦东分行";
    buyer.Bankaccount = L"31050161393600001234";
    return buyer;
}

FieldLog AllFour(const CompanyRecord& buyer)
{
    return {{"buyer.name", buyer.Name},
            {"buyer.tax", buyer.CreditCode},
            {"buyer.address", buyer.Address + L" " + buyer.PhoneNumber},
            {"buyer.bank", buyer.Bank + L" " + buyer.Bankaccount}};
}

struct RecordCase {
    const char* why;
    CompanyRecord buyer;
};

std::vector<RecordCase> RecordCases()
{
    CompanyRecord noPhone = Buyer();
    noPhone.PhoneNumber.clear();
    CompanyRecord quoted = Buyer();
    quoted.Name = L"\"引号\" & <尖括号> \\ 反斜杠";
    return {
        {"every field set", Buyer()},
        // The space goes in even when a part is missing.
        {"history record without phone", noPhone},
        {"all empty: name and tax cleared, combined fields a single space", CompanyRecord()},
        {"text passes unchanged", quoted},
    };
}

}  // namespace

// Exactly four writes reach the program, in the order name, tax number, address
// and phone, bank and account, each to its field and nowhere else.
TEST(buyer_fill, ht_writes_four_fields_in_order)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L""));
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(FillResult::Complete, FillBuyerBlock(c.buyer));
        EXPECT_EQ(AllFour(c.buyer), StandIns::Ht()->TakeLog());
    }
}

TEST(buyer_fill, bw_writes_four_fields_in_order)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    ASSERT_TRUE(StandIns::Bw()->Open(L""));
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(FillResult::Complete, FillBuyerBlock(c.buyer));
        EXPECT_EQ(AllFour(c.buyer), StandIns::Bw()->TakeLog());
    }
}

// Missing HT field containers are skipped; what exists is still written.
TEST(buyer_fill, ht_target_with_20_children_writes_tax_number_and_bank_only)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--target-children 20"));
    EXPECT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
    FieldLog expected = {{"buyer.tax", Buyer().CreditCode}, {"buyer.bank", Buyer().Bank + L" " + Buyer().Bankaccount}};
    EXPECT_EQ(expected, StandIns::Ht()->TakeLog());
}

// A container holding only the field gets the text in that field.
TEST(buyer_fill, ht_container_with_one_child_writes_that_child)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--single-child-fields"));
    EXPECT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
    EXPECT_EQ(AllFour(Buyer()), StandIns::Ht()->TakeLog());
}

TEST(buyer_fill, both_variants_open_writes_only_ht)
{
    ASSERT_TRUE(StandIns::Require(true, true));
    ASSERT_TRUE(StandIns::Bw()->Open(L""));
    ASSERT_TRUE(StandIns::Ht()->Open(L""));
    EXPECT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
    EXPECT_EQ(AllFour(Buyer()), StandIns::Ht()->TakeLog());
    EXPECT_EQ(FieldLog(), StandIns::Bw()->TakeLog());
}

// The HT program without an issuing window does not stop a BW window from being filled.
TEST(buyer_fill, bw_filled_while_ht_program_has_no_issuing_window)
{
    ASSERT_TRUE(StandIns::Require(true, true));
    ASSERT_TRUE(StandIns::Bw()->Open(L""));
    EXPECT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
    EXPECT_EQ(AllFour(Buyer()), StandIns::Bw()->TakeLog());
}

TEST(buyer_fill, no_fill_target_sends_nothing_and_fails)
{
    ASSERT_TRUE(StandIns::Require(true, true));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--no-anchor"));
    ASSERT_TRUE(StandIns::Bw()->Open(L"--short-tree"));
    EXPECT_EQ(FillResult::NoTarget, FillBuyerBlock(Buyer()));
    EXPECT_EQ(FieldLog(), StandIns::Ht()->TakeLog());
    EXPECT_EQ(FieldLog(), StandIns::Bw()->TakeLog());
}

// A program that stops answering costs one bounded wait, not a hang, and the
// fill is reported as cut short so no use of it gets recorded and the merchant
// can be told. Were any call to wait for the program, the writes would go
// through and the fill be complete.
TEST(buyer_fill, hung_program_cuts_the_fill_short_after_one_bounded_wait)
{
    for (bool ht : {true, false}) {
        SCOPED_TRACE(ht ? "HT" : "BW");
        ASSERT_TRUE(StandIns::Require(ht, !ht));
        StandInProcess* program = ht ? StandIns::Ht() : StandIns::Bw();
        ASSERT_TRUE(program->Open(L""));
        ASSERT_TRUE(program->Hang(kFillWriteTimeoutMs + 3000));
        const DWORD start = GetTickCount();
        EXPECT_EQ(FillResult::CutShort, FillBuyerBlock(Buyer()));
        EXPECT_LT(GetTickCount() - start, kFillWriteTimeoutMs + 1500) << "more than one write waited";
        ASSERT_TRUE(program->WaitResponsive(20000));
        // Only the one write that timed out may arrive late; the rest were never sent.
        EXPECT_LE(program->TakeLog().size(), 1u);
    }
}

// A program busy for a few seconds when the buyer name changes is slow, not
// gone: the fill waits for it and completes.
TEST(buyer_fill, busy_program_is_waited_for)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L""));
    ASSERT_TRUE(StandIns::Ht()->Hang(3000));
    EXPECT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
    EXPECT_EQ(AllFour(Buyer()), StandIns::Ht()->TakeLog());
}

// The fill keeps the fields it found; an issuing window closed and opened again, or
// opened with its fields made another way, or a restarted program, has new windows,
// and the next fill writes to those.
TEST(buyer_fill, fields_found_again_after_the_window_or_program_changes)
{
    struct Case {
        const char* why;
        bool ht;
        const wchar_t* flags;
        bool restart;
    } cases[] = {
        {"HT window reopened", true, L"", false},
        {"HT fields made without labels", true, L"--single-child-fields", false},
        {"HT program restarted", true, L"", true},
        {"BW window reopened", false, L"", false},
        {"BW program restarted", false, L"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(StandIns::Require(c.ht, !c.ht));
        StandInProcess* program = c.ht ? StandIns::Ht() : StandIns::Bw();
        ASSERT_TRUE(program->Open(L""));
        ASSERT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
        ASSERT_EQ(AllFour(Buyer()), program->TakeLog());
        if (c.restart) {
            ASSERT_TRUE(StandIns::Require(false, false));
            ASSERT_TRUE(StandIns::Require(c.ht, !c.ht));
            program = c.ht ? StandIns::Ht() : StandIns::Bw();
        } else {
            ASSERT_TRUE(program->CloseAll());
        }
        ASSERT_TRUE(program->Open(c.flags));
        CompanyRecord other = Buyer();
        other.Name = L"杭州另一家有限公司";
        EXPECT_EQ(FillResult::Complete, FillBuyerBlock(other));
        EXPECT_EQ(AllFour(other), program->TakeLog());
    }
}

namespace {

// Whether a field under the window holds exactly that text.
bool Holds(HWND root, const std::wstring& text)
{
    struct Search {
        const std::wstring& text;
        bool found;
    } search{text, false};
    EnumChildWindows(
        root,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t buffer[512] = {};
            DWORD_PTR got = 0;
            if (SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                                    &got) &&
                s->text == buffer)
                s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// Between two imports the merchant opens, closes and raises issuing windows: each fill goes
// into the window the title search picks at that moment (the special-invoice phrase before
// the ordinary one; among equals the first the platform lists), never the one filled last.
TEST(buyer_fill, each_fill_goes_to_the_window_the_search_picks_now)
{
    struct Case {
        const char* why;
        const wchar_t* firstFlags;
        const wchar_t* secondFlags;
        bool raiseFirst;  // the first window raised above the second after it opened
        bool secondPicked;
    } cases[] = {
        {"ordinary filled, then a special one opened", L"", L"--special", false, true},
        {"special filled, then an ordinary one opened", L"--special", L"", false, false},
        {"ordinary filled, then a second ordinary one opened on top", L"", L"", false, true},
        {"the first ordinary one raised again", L"", L"", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(StandIns::Require(false, true));
        StandInProcess* bw = StandIns::Bw();
        HWND first = bw->Open(c.firstFlags);
        ASSERT_TRUE(first);
        ASSERT_EQ(FillResult::Complete, FillBuyerBlock(Buyer()));
        ASSERT_TRUE(Holds(first, Buyer().Name));
        HWND second = bw->Open(c.secondFlags);
        ASSERT_TRUE(second);
        if (c.raiseFirst) {
            ASSERT_TRUE(bw->Raise(first));
        }
        CompanyRecord other = Buyer();
        other.Name = L"杭州另一家有限公司";
        EXPECT_EQ(FillResult::Complete, FillBuyerBlock(other));
        EXPECT_TRUE(Holds(c.secondPicked ? second : first, other.Name)) << "not in the window the search picks";
        EXPECT_FALSE(Holds(c.secondPicked ? first : second, other.Name)) << "written into the other window";
        bw->TakeLog();
    }
}
