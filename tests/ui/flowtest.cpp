#include "flowtest.h"

#include <windows.h>

#include <sstream>

const wchar_t kMerchantName[] = L"福州路明信息技术有限公司";
const wchar_t kMerchantTax[] = L"91350100M000100Y43";
const wchar_t kMerchantKey[] = L"6c756d6f72612d6d65726368616e7431";

void FlowTest::SetUp()
{
    ASSERT_TRUE(UseFixtureService());
    ASSERT_TRUE(ServiceControl("reset"));
    TakeServiceRequests();
}

void FlowTest::TearDown()
{
    ServiceControl("reset");
}

std::vector<std::string> TakeRequestLines()
{
    std::vector<std::string> lines;
    std::istringstream in(TakeServiceRequests());
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

std::vector<std::string> TakeRequestPaths()
{
    std::vector<std::string> paths;
    for (const std::string& line : TakeRequestLines())
        paths.push_back(line.substr(0, line.find_first_of("? ", line.find(' ') + 1)));
    return paths;
}

std::optional<std::wstring> ProfileValue(const std::wstring& section, const std::wstring& key)
{
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"\\ops.dat";
    const wchar_t* missing = L"\x1F<missing>";
    wchar_t value[512] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), missing, value, 512, path.c_str());
    if (std::wstring(value) == missing)
        return std::nullopt;
    return std::wstring(value);
}
