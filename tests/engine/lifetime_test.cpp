#include <gtest/gtest.h>
#include <cstring>
#include <new>
#include <string>
#include "enginetestenv.h"

using namespace SOUI;

namespace {
constexpr UINT kOuter = WM_APP + 1, kInner = WM_APP + 2;
constexpr unsigned char kPoison = 0xCD;
std::vector<std::string> g_log;

class Doomed;
// The object lives here so that a write after its end shows as a changed byte.
alignas(std::max_align_t) unsigned char g_store[512];

void Bury(Doomed* d);

// kOuter sends kInner to itself; kInner ends the object the way the case says.
class Doomed : public CSimpleWnd {
public:
    enum class How { OutsideAnyMessage, DestroyedInNestedMessage, DeletedInNestedMessage };
    explicit Doomed(How how) : m_how(how) {}

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == kOuter) {
            g_log.push_back("outer in");
            ::SendMessageW(m_hWnd, kInner, 0, 0);
            g_log.push_back("outer out");  // nothing of the object touched from here on
            return 0;
        }
        if (msg == kInner) {
            if (m_how == How::DeletedInNestedMessage) {
                Bury(this);
                return 0;
            }
            ::DestroyWindow(m_hWnd);
            g_log.push_back("inner out");
            return 0;
        }
        if (msg == WM_NCDESTROY)
            g_log.push_back("ncdestroy");
        return CSimpleWnd::HandleMessage(msg, wp, lp);
    }
    void OnFinalMessage(HWND) override
    {
        g_log.push_back("final");
        Bury(this);
    }

private:
    How m_how;
};
static_assert(sizeof(Doomed) <= sizeof(g_store), "store too small");

void Bury(Doomed* d)
{
    d->~Doomed();
    std::memset(g_store, kPoison, sizeof(g_store));
}

bool StoreUntouched()
{
    for (unsigned char b : g_store)
        if (b != kPoison)
            return false;
    return true;
}
}  // namespace

// An object may end inside one of its own messages; the calls still on the stack must not
// use it afterwards, and OnFinalMessage waits until the outermost has returned.
TEST(window_lifetime, object_ended_inside_its_own_message_is_not_touched_again)
{
    struct Case {
        const char* why;
        Doomed::How how;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"destroyed from outside: told at once", Doomed::How::OutsideAnyMessage, {"ncdestroy", "final"}},
        {"destroyed in a nested message: told after the outer one returns",
         Doomed::How::DestroyedInNestedMessage,
         {"outer in", "ncdestroy", "inner out", "outer out", "final"}},
        {"deleted by its owner in a nested message", Doomed::How::DeletedInNestedMessage, {"outer in", "outer out"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        g_log.clear();
        auto* d = new (g_store) Doomed(c.how);
        HWND h = d->CreateNative(CSimpleWnd::GetHostClassName().c_str(), L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr);
        ASSERT_TRUE(h);
        if (c.how == Doomed::How::OutsideAnyMessage)
            ::DestroyWindow(h);
        else
            ::SendMessageW(h, kOuter, 0, 0);
        EXPECT_EQ(g_log, c.log);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_TRUE(StoreUntouched()) << "the object was written after its end";
    }
}
