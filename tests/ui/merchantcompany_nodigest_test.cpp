// Built with a digest that always fails (nodigestmd5.cpp).
#include "flowtest.h"
#include "base/textconv.h"
#include "profile/profile.h"
#include "ui/merchantcompany.h"

namespace {
using merchant_company_nodigest = FlowTest;
}  // namespace

// A BW seller whose bank line cannot be hashed is an unanswered read: the profile keeps
// what it had (no shared default identity takes the merchant's company), nothing is asked
// or sent, and the merchant hears why once, not at every tick.
TEST_F(merchant_company_nodigest, unhashable_bw_seller_files_nothing_and_is_told_once)
{
    const std::wstring earlier = L"_HT" + std::wstring(kMerchantTax);
    struct Case {
        const char* why;
        std::wstring storedIdentity;
    } cases[] = {
        {"first use", L""},
        {"an identity met before", earlier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ScopedWorkDir dir;
        if (!c.storedIdentity.empty()) {
            ASSERT_TRUE(WriteCompanyId(c.storedIdentity));
        }
        ASSERT_TRUE(StandIns::Require(false, true));
        ASSERT_TRUE(
            StandIns::Bw()->Open(L"--hidden --seller-bank-line \"中国工商银行北京海淀支行0200004509200123456\""));
        MerchantCompany merchant = LoadMerchantCompany();
        int asked = 0;
        std::vector<std::wstring> messages;
        MerchantPrompts prompts;
        prompts.askCompany = [&](std::wstring&, std::wstring&) { return ++asked, false; };
        prompts.showMessage = [&](const std::wstring& text) { messages.push_back(text); };
        TakeRequestPaths();

        for (int tick = 0; tick < 3; ++tick)
            EXPECT_TRUE(EnsureMerchantCompany(m_transport, merchant, prompts, false));
        EXPECT_EQ(std::vector<std::wstring>{kNoDigestMessage}, messages);
        EXPECT_EQ(0, asked);
        EXPECT_EQ(std::vector<std::string>{}, TakeRequestPaths());
        EXPECT_EQ(c.storedIdentity, merchant.lastIdentity);
        EXPECT_EQ(c.storedIdentity, ReadCompanyId());
        EXPECT_TRUE(merchant.record.Identity.empty());
        EXPECT_EQ(std::nullopt, ProfileValue(L"Com_BWF93460BF7C7278C836A86FB934F88522", L"CN"));
        ASSERT_TRUE(StandIns::Bw()->CloseAll());
    }
}
