#include "flowtest.h"
#include "ui/historyrefresh.h"

namespace {

using Paths = std::vector<std::string>;
using Events = std::vector<std::string>;

// A merchant complete enough that a refresh only asks for the list.
MerchantCompany KnownMerchant()
{
    MerchantCompany merchant;
    merchant.record.Name = kMerchantName;
    merchant.record.CreditCode = kMerchantTax;
    merchant.record.KeyNo = kMerchantKey;
    merchant.record.Bank = L"已知";
    merchant.record.UserId = L"10000001";
    return merchant;
}

class history_refresh : public FlowTest {
protected:
    HistoryHooks Hooks()
    {
        HistoryHooks hooks;
        hooks.stopTimer = [this] { m_events.push_back("stop"); };
        hooks.startTimer = [this] { m_events.push_back("start"); };
        hooks.rowsReplaced = [this](const HistoryRows& rows) {
            m_events.push_back("rows " + std::to_string(rows->size()));
        };
        return hooks;
    }

    Events m_events;
};

}  // namespace

// Whatever goes wrong, the rows of the last good answer stay and the timer runs again.
TEST_F(history_refresh, only_a_non_empty_answer_replaces_the_rows)
{
    CHistoryRefresh refresh;
    MerchantCompany merchant = KnownMerchant();
    ASSERT_EQ(RefreshOutcome::Replaced, refresh.Run(m_transport, merchant, {}, Hooks()));
    const std::size_t shown = refresh.Rows().size();
    ASSERT_GE(shown, 8u);
    EXPECT_EQ((Events{"stop", "rows " + std::to_string(shown), "start"}), m_events);
    EXPECT_EQ(Paths{"GET /Invoice_getFaiaoList"}, TakeRequestPaths());
    const std::wstring first = refresh.Rows().front().apply_id;

    for (const char* mode : {"emptydata", "500", "nonjson", "drop", "wrongtypes"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + mode));
        m_events.clear();
        EXPECT_EQ(RefreshOutcome::Kept, refresh.Run(m_transport, merchant, {}, Hooks()));
        EXPECT_EQ((Events{"stop", "start"}), m_events);
        EXPECT_EQ(shown, refresh.Rows().size());
        EXPECT_EQ(first, refresh.Rows().front().apply_id);
        EXPECT_FALSE(refresh.IsBusy());
    }

    // Without a key number there is nothing to ask for.
    ASSERT_TRUE(ServiceControl("reset"));
    TakeRequestPaths();
    merchant.record.KeyNo.clear();
    EXPECT_EQ(RefreshOutcome::Kept, refresh.Run(m_transport, merchant, {}, Hooks()));
    for (const std::string& path : TakeRequestPaths())
        EXPECT_NE("GET /Invoice_getFaiaoList", path);
    EXPECT_EQ(shown, refresh.Rows().size());
}

// The same answer again is not read again: the rows stay as they are and nobody is told.
TEST_F(history_refresh, answer_identical_to_the_shown_one_changes_nothing)
{
    CHistoryRefresh refresh;
    MerchantCompany merchant = KnownMerchant();
    ASSERT_EQ(RefreshOutcome::Replaced, refresh.Run(m_transport, merchant, {}, Hooks()));
    const std::size_t shown = refresh.Rows().size();
    m_events.clear();
    EXPECT_EQ(RefreshOutcome::Unchanged, refresh.Run(m_transport, merchant, {}, Hooks()));
    EXPECT_EQ((Events{"stop", "start"}), m_events);
    EXPECT_EQ(shown, refresh.Rows().size());

    // A failed answer in between does not make the next good one look new.
    ASSERT_TRUE(ServiceControl("fault?mode=500"));
    EXPECT_EQ(RefreshOutcome::Kept, refresh.Run(m_transport, merchant, {}, Hooks()));
    ASSERT_TRUE(ServiceControl("reset"));
    m_events.clear();
    EXPECT_EQ(RefreshOutcome::Unchanged, refresh.Run(m_transport, merchant, {}, Hooks()));
    EXPECT_EQ((Events{"stop", "start"}), m_events);
}

// The input window of the merchant resolution runs inside a refresh; a refresh
// asked for meanwhile returns at once and leaves the timer to the outer one.
TEST_F(history_refresh, refresh_inside_a_refresh_returns_at_once)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(std::wstring(L"--hidden --seller-tax ") + kMerchantTax));
    CHistoryRefresh refresh;
    MerchantCompany merchant;
    merchant.record.UserId = L"10000001";
    MerchantPrompts prompts;
    prompts.askCompany = [&](std::wstring& name, std::wstring& taxCode) {
        m_events.push_back("ask");
        EXPECT_TRUE(refresh.IsBusy());
        EXPECT_EQ(RefreshOutcome::Busy, refresh.Run(m_transport, merchant, prompts, Hooks()));
        name = kMerchantName;
        taxCode = kMerchantTax;
        return true;
    };
    EXPECT_EQ(RefreshOutcome::Replaced, refresh.Run(m_transport, merchant, prompts, Hooks()));
    EXPECT_EQ((Events{"stop", "ask", "rows " + std::to_string(refresh.Rows().size()), "start"}), m_events);
    EXPECT_FALSE(refresh.IsBusy());
    ASSERT_TRUE(StandIns::Ht()->CloseAll());
}
