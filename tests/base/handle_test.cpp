// The handle owner: closed exactly once, by whoever holds it last.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "base/handle.h"

namespace {
bool Open(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

HANDLE NewEvent()
{
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}
}  // namespace

TEST(handle_owner, a_move_hands_the_handle_on_and_the_last_holder_closes_it)
{
    const HANDLE raw = NewEvent();
    ASSERT_TRUE(Open(raw));
    {
        KernelHandle first(raw);
        KernelHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        first = std::move(second);  // into an empty holder
        EXPECT_TRUE(Open(raw)) << "closed by the holder it left";
        first = std::move(first);  // onto itself
        EXPECT_TRUE(Open(raw));
    }
    EXPECT_FALSE(Open(raw)) << "the last holder did not close it";
}

TEST(handle_owner, taking_another_closes_the_one_held)
{
    const HANDLE old = NewEvent(), other = NewEvent(), third = NewEvent();
    KernelHandle held(old);
    KernelHandle giver(other);
    held = std::move(giver);
    EXPECT_FALSE(Open(old));
    held.Reset(third);
    EXPECT_FALSE(Open(other));
    // Out() is for a function that writes a new handle: the old one must not leak.
    HANDLE* slot = held.Out();
    EXPECT_FALSE(Open(third));
    EXPECT_EQ(*slot, nullptr);
    *slot = NewEvent();
    EXPECT_TRUE(held);

    const HANDLE kept = held.Release();
    EXPECT_FALSE(held);
    EXPECT_TRUE(Open(kept)) << "Release closed it";
    CloseHandle(kept);
}

// Both ways a kernel function reports "no handle" mean none; closing a live handle says
// whether it worked (the download learns from it that its last write failed).
TEST(handle_owner, none_values_and_the_result_of_closing)
{
    KernelHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid);
    EXPECT_TRUE(invalid.Close());
    EXPECT_FALSE(FindHandle());
    EXPECT_EQ(FindHandle().Get(), INVALID_HANDLE_VALUE);

    KernelHandle live(NewEvent());
    EXPECT_TRUE(live.Close());
    EXPECT_FALSE(live);
    EXPECT_TRUE(live.Close()) << "a second close is a no-op";

    const HANDLE raw = NewEvent();
    CloseHandle(raw);
    KernelHandle stale(raw);  // already closed behind the holder's back
    EXPECT_FALSE(stale.Close());
}
