#include <gtest/gtest.h>

#include "app/runwindow.h"
#include "engine/host/SHostWnd.h"
#include "windowtestenv.h"

using namespace SOUI;

// A host window that cannot be created (here: its layout does not load) has no
// loop that could ever end: start-up tells the merchant and ends with an exit code
// that says so. The quit posted first would end a loop that was wrongly entered.
TEST(start_up_window, window_that_cannot_be_created_is_told_and_ends_start_up)
{
    ASSERT_TRUE(WindowTestEnvReady());
    SHostWnd broken(L"LAYOUT:NO_SUCH_LAYOUT");
    int told = 0;
    PostQuitMessage(5);
    EXPECT_EQ(kNoWindowExitCode, RunWindow(SApplication::getSingleton(), broken, [&] { ++told; }));
    EXPECT_NE(0, kNoWindowExitCode);
    EXPECT_EQ(1, told);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}
