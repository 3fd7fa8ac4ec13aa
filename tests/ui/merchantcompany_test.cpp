#include "flowtest.h"
#include "base/textconv.h"
#include "profile/profile.h"
#include "ui/merchantcompany.h"

namespace {

using Paths = std::vector<std::string>;

// Answers the input window with the seeded merchant and counts the questions.
struct ScriptedPrompts {
    int asked = 0;
    std::vector<std::wstring> messages;
    std::function<void()> onAsk;

    MerchantPrompts Get()
    {
        MerchantPrompts prompts;
        prompts.askCompany = [this](std::wstring& name, std::wstring& taxCode) {
            ++asked;
            if (onAsk)
                onAsk();
            name = kMerchantName;
            taxCode = kMerchantTax;
            return true;
        };
        prompts.showMessage = [this](const std::wstring& text) { messages.push_back(text); };
        return prompts;
    }
};

const std::wstring kHtIdentity = std::wstring(L"_HT") + kMerchantTax;
const std::wstring kMerchantSeller = std::wstring(L"--seller-name ") + kMerchantName + L" --seller-tax " + kMerchantTax;

using merchant_company = FlowTest;

}  // namespace

// First use: the identity is stored, its section created empty before the input
// window asks, then name, tax code and key number land in it; the company
// information follows by that key number.
TEST_F(merchant_company, first_use_asks_and_stores_each_value)
{
    struct Case {
        const char* why;
        bool ht;
        std::wstring flags;
        std::wstring identity;
        Paths requests;
    } cases[] = {
        {"HT: identity from the seller tax code",
         true,
         kMerchantSeller,
         kHtIdentity,
         {"GET /Invoice_getCompanyKeyno", "GET /Invoice_getCompanyInfo"}},
        // The seller bank line already gives a bank, which marks the information as known.
        {"BW: identity from the seller bank line",
         false,
         L"--seller-bank-line \"中国工商银行北京海淀支行0200004509200123456\"",
         L"_BW351eb1065a5d8a6f6d7f331e049d6175",
         {"GET /Invoice_getCompanyKeyno"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ScopedWorkDir dir;
        ASSERT_TRUE(StandIns::Require(c.ht, !c.ht));
        StandInProcess* program = c.ht ? StandIns::Ht() : StandIns::Bw();
        ASSERT_TRUE(program->Open(L"--hidden " + c.flags));
        TakeRequestPaths();

        ScriptedPrompts prompts;
        const std::wstring section = L"Com" + c.identity;
        prompts.onAsk = [&] {
            EXPECT_EQ(c.identity, ReadCompanyId());
            EXPECT_EQ(std::optional<std::wstring>(L""), ProfileValue(section, L"CN"));
            EXPECT_EQ(std::optional<std::wstring>(L""), ProfileValue(section, L"TC"));
            EXPECT_EQ(std::nullopt, ProfileValue(section, L"KN"));
        };
        MerchantCompany merchant;
        EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));

        EXPECT_EQ(1, prompts.asked);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(c.identity, merchant.lastIdentity);
        EXPECT_EQ(std::optional<std::wstring>(kMerchantName), ProfileValue(section, L"CN"));
        EXPECT_EQ(std::optional<std::wstring>(kMerchantTax), ProfileValue(section, L"TC"));
        EXPECT_EQ(std::optional<std::wstring>(kMerchantKey), ProfileValue(section, L"KN"));
        EXPECT_EQ(kMerchantKey, merchant.record.KeyNo);
        EXPECT_FALSE(merchant.record.Bank.empty());
        EXPECT_EQ(c.requests, TakeRequestPaths());

        // Complete now: the next tick asks nothing and sends nothing.
        EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));
        EXPECT_EQ(1, prompts.asked);
        EXPECT_EQ(Paths{}, TakeRequestPaths());
        ASSERT_TRUE(program->CloseAll());
    }
}

// A complete profile is enough: the open issuing window of another company is
// not read, and only the company information is fetched, once.
TEST_F(merchant_company, restart_with_complete_profile_reads_no_window)
{
    ASSERT_TRUE(WriteCompanyId(kHtIdentity));
    ASSERT_TRUE(WriteCompanyNameAndTaxCode(kHtIdentity, WideToGbk(kMerchantName), WideToGbk(kMerchantTax)));
    ASSERT_TRUE(WriteCompanyKeyNo(kHtIdentity, WideToGbk(kMerchantKey)));
    ASSERT_TRUE(WriteStoredUser("10000001"));
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden --seller-name 别家公司 --seller-tax 91110108MA01C8XK5W"));

    MerchantCompany merchant = LoadMerchantCompany();
    EXPECT_EQ(kHtIdentity, merchant.lastIdentity);
    EXPECT_EQ(L"10000001", merchant.record.UserId);
    ScriptedPrompts prompts;
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), true));
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), true));

    EXPECT_EQ(0, prompts.asked);
    EXPECT_TRUE(merchant.record.Identity.empty());
    EXPECT_EQ(kHtIdentity, ReadCompanyId());
    EXPECT_EQ(kMerchantName, merchant.record.Name);
    EXPECT_FALSE(merchant.record.Bank.empty());
    EXPECT_EQ(Paths{"GET /Invoice_getCompanyInfo"}, TakeRequestPaths());
    ASSERT_TRUE(StandIns::Ht()->CloseAll());
}

// The stored identity in lower case is the window's identity: the profile is
// neither rewritten nor read again, so the seller name from the window stays
// (a re-read would have brought back the stale name) and no input is asked.
TEST_F(merchant_company, identity_in_other_case_is_the_same)
{
    std::wstring lower = kHtIdentity;
    for (wchar_t& ch : lower)
        ch = static_cast<wchar_t>(towlower(ch));
    ASSERT_TRUE(WriteCompanyId(lower));
    ASSERT_TRUE(WriteCompanyNameAndTaxCode(lower, WideToGbk(L"旧名称公司"), WideToGbk(kMerchantTax)));
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden " + kMerchantSeller));

    MerchantCompany merchant = LoadMerchantCompany();
    ASSERT_EQ(L"旧名称公司", merchant.record.Name);
    ScriptedPrompts prompts;
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));

    EXPECT_EQ(0, prompts.asked);
    EXPECT_EQ(lower, ReadCompanyId());
    EXPECT_EQ(kHtIdentity, merchant.lastIdentity);
    EXPECT_EQ(kMerchantKey, merchant.record.KeyNo);
    EXPECT_EQ(std::optional<std::wstring>(kMerchantKey), ProfileValue(L"Com" + lower, L"KN"));
    EXPECT_EQ(std::optional<std::wstring>(L"旧名称公司"), ProfileValue(L"Com" + lower, L"CN"));
    ASSERT_TRUE(StandIns::Ht()->CloseAll());
}

// No issuing window and an incomplete record: with messages the merchant is told
// and nothing else happens; without, only the company information is tried.
TEST_F(merchant_company, no_issuing_window_with_incomplete_record)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    for (bool showMessage : {true, false}) {
        SCOPED_TRACE(showMessage ? "with messages" : "without messages");
        MerchantCompany merchant;
        merchant.record.Name = kMerchantName;
        ScriptedPrompts prompts;
        EXPECT_EQ(!showMessage, EnsureMerchantCompany(m_transport, merchant, prompts.Get(), showMessage));
        EXPECT_EQ(0, prompts.asked);
        EXPECT_EQ(showMessage ? std::vector<std::wstring>{kOpenIssuingWindowMessage} : std::vector<std::wstring>{},
                  prompts.messages);
        EXPECT_EQ(showMessage ? Paths{} : Paths{"GET /Invoice_getCompanyInfo"}, TakeRequestPaths());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"ops.dat"));
    }
}

// A failing service leaves the key number unset in record and profile, keeps what
// the merchant typed, and the next call tries again.
TEST_F(merchant_company, service_failure_keeps_key_number_for_next_time)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden " + kMerchantSeller));
    ScriptedPrompts prompts;
    MerchantCompany merchant;
    for (const char* mode : {"500", "nonjson", "drop"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(ServiceControl(std::string("fault?mode=") + mode));
        EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));
        EXPECT_TRUE(merchant.record.KeyNo.empty());
        EXPECT_TRUE(merchant.record.Bank.empty());
        EXPECT_EQ(std::nullopt, ProfileValue(L"Com" + kHtIdentity, L"KN"));
        EXPECT_EQ(std::optional<std::wstring>(kMerchantName), ProfileValue(L"Com" + kHtIdentity, L"CN"));
    }
    EXPECT_EQ(1, prompts.asked);
    ASSERT_TRUE(ServiceControl("reset"));
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));
    EXPECT_EQ(kMerchantKey, merchant.record.KeyNo);
    EXPECT_FALSE(merchant.record.Bank.empty());
    ASSERT_TRUE(StandIns::Ht()->CloseAll());
}

// The input window's modal loop runs the refresh timer and the business-card
// button: a resolution started from there while the window is open must not
// open a second one, nor write over what the merchant is answering. (BW: no
// seller name is read that would keep the second question away.)
TEST_F(merchant_company, one_input_window_at_a_time)
{
    ASSERT_TRUE(StandIns::Require(false, true));
    ASSERT_TRUE(StandIns::Bw()->Open(L"--hidden"));
    const std::wstring identity = L"_BW351eb1065a5d8a6f6d7f331e049d6175";
    MerchantCompany merchant;
    ScriptedPrompts prompts;
    prompts.onAsk = [&] {
        if (prompts.asked > 1)
            return;  // a second window is already the fault; no deeper
        for (bool showMessage : {false, true})
            EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), showMessage));
    };
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), true));
    EXPECT_EQ(1, prompts.asked);
    EXPECT_EQ(kMerchantKey, merchant.record.KeyNo);
    EXPECT_EQ(std::optional<std::wstring>(kMerchantKey), ProfileValue(L"Com" + identity, L"KN"));
    EXPECT_EQ(Paths{"GET /Invoice_getCompanyKeyno"}, TakeRequestPaths());
    ASSERT_TRUE(StandIns::Bw()->CloseAll());
}

// A seller read the invoicing program did not answer tells nothing: the last
// identity stays, nothing is asked, requested or written (no key number under an
// empty identity), and the next call reads again.
TEST_F(merchant_company, unanswered_seller_read_changes_nothing)
{
    ASSERT_TRUE(StandIns::Require(true, false));
    ASSERT_TRUE(StandIns::Ht()->Open(L"--hidden " + kMerchantSeller));
    ASSERT_TRUE(WriteCompanyId(kHtIdentity));
    ASSERT_TRUE(WriteCompanyNameAndTaxCode(kHtIdentity, WideToGbk(kMerchantName), WideToGbk(kMerchantTax)));
    MerchantCompany merchant = LoadMerchantCompany();
    ASSERT_TRUE(merchant.record.KeyNo.empty());
    ScriptedPrompts prompts;
    TakeRequestPaths();

    ASSERT_TRUE(StandIns::Ht()->Hang(6000));
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));
    EXPECT_EQ(kHtIdentity, merchant.lastIdentity);
    EXPECT_EQ(kHtIdentity, ReadCompanyId());
    EXPECT_EQ(std::nullopt, ProfileValue(L"Com", L"KN"));
    EXPECT_EQ(std::nullopt, ProfileValue(L"Com" + kHtIdentity, L"KN"));
    EXPECT_EQ(0, prompts.asked);
    EXPECT_EQ(Paths{}, TakeRequestPaths());

    ASSERT_TRUE(StandIns::Ht()->WaitResponsive(20000));
    EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts.Get(), false));
    EXPECT_EQ(kMerchantKey, merchant.record.KeyNo);
    EXPECT_EQ(std::optional<std::wstring>(kMerchantKey), ProfileValue(L"Com" + kHtIdentity, L"KN"));
    ASSERT_TRUE(StandIns::Ht()->CloseAll());
}
