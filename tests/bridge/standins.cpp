#include "standins.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<StandInProcess> g_ht;
std::unique_ptr<StandInProcess> g_bw;

std::wstring LogPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"bridge_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name + L".log";
}

bool Keep(std::unique_ptr<StandInProcess>& slot, bool wanted, const wchar_t* exe, const wchar_t* logName)
{
    if (!wanted) {
        slot.reset();
        return true;
    }
    if (!slot)
        slot = StandInProcess::Start(exe, L"--no-window --hidden", LogPath(logName));
    if (!slot)
        return false;
    slot->CloseAll();
    slot->TakeLog();
    return true;
}

// Ends the programs before the process goes, while their handles are still good.
class StopAtEnd : public ::testing::Environment {
public:
    void TearDown() override { StandIns::StopAll(); }
};
const auto* const g_stopAtEnd = ::testing::AddGlobalTestEnvironment(new StopAtEnd);

}  // namespace

bool StandIns::Require(bool ht, bool bw)
{
    return Keep(g_ht, ht, L"Aisino.Framework.Startup.exe", L"ht") && Keep(g_bw, bw, L"kp.exe", L"bw");
}

StandInProcess* StandIns::Ht()
{
    return g_ht.get();
}
StandInProcess* StandIns::Bw()
{
    return g_bw.get();
}

void StandIns::StopAll()
{
    g_ht.reset();
    g_bw.reset();
}
