#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "net/httptransport.h"
#include "servicefixture.h"
#include "standins.h"
#include "tempdir.h"

// The seeded merchant of the substitute service.
extern const wchar_t kMerchantName[];
extern const wchar_t kMerchantTax[];
extern const wchar_t kMerchantKey[];

// A case with its own working directory (so its own ops.dat), the fixture's
// service in its normal mode, and an empty request log.
class FlowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ScopedWorkDir m_dir;
    CHttpTransport m_transport;
};

// "METHOD /path" of each request the service saw since the last call, query cut off.
std::vector<std::string> TakeRequestPaths();

// The full request lines since the last call.
std::vector<std::string> TakeRequestLines();

// A value of ops.dat in the working directory; nothing when the key is missing.
std::optional<std::wstring> ProfileValue(const std::wstring& section, const std::wstring& key);
