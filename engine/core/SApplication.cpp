#include "engine/core/SApplication.h"
#include <algorithm>

namespace SOUI {

namespace {
SApplication* g_app = nullptr;
}

SApplication::SApplication()
{
    g_app = this;
}

SApplication::~SApplication()
{
    if (g_app == this)
        g_app = nullptr;
}

SApplication* SApplication::getSingletonPtr()
{
    return g_app;
}

bool SApplication::PumpOne(MSG& msg)
{
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
        return false;
    // A filter may remove itself while it runs.
    std::vector<Filter> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (it->depth != m_modalDepth)
            continue;
        if (std::none_of(m_filters.begin(), m_filters.end(), [&](const Filter& f) { return f.filter == it->filter; }))
            continue;
        if (it->filter->PreTranslateMessage(&msg))
            return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

int SApplication::Run(HWND)
{
    MSG msg = {};
    while (PumpOne(msg)) {}
    return int(msg.wParam);
}

void SApplication::RunModalLoop(const bool& done)
{
    // A pop-up of the loop below would otherwise stay open, deaf, behind the modal window.
    std::vector<Filter> below = m_filters;
    for (const Filter& f : below)
        if (std::any_of(m_filters.begin(), m_filters.end(), [&](const Filter& g) { return g.filter == f.filter; }))
            f.filter->OnModalLoopStart();
    ++m_modalDepth;
    RunLoop(done);
    --m_modalDepth;
    // A filter added inside the loop that just ended (a pop-up opened beside the modal window)
    // serves the loop that goes on, or it would never run again.
    for (Filter& f : m_filters)
        if (f.depth > m_modalDepth)
            f.depth = m_modalDepth;
}

void SApplication::RunLoop(const bool& done)
{
    MSG msg = {};
    while (!done) {
        if (!PumpOne(msg)) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
    }
}

void SApplication::AddMessageFilter(IMessageFilter* f)
{
    if (!f)
        return;
    if (std::none_of(m_filters.begin(), m_filters.end(), [&](const Filter& e) { return e.filter == f; }))
        m_filters.push_back(Filter{f, m_modalDepth});
}

void SApplication::RemoveMessageFilter(IMessageFilter* f)
{
    m_filters.erase(std::remove_if(m_filters.begin(), m_filters.end(), [&](const Filter& e) { return e.filter == f; }),
                    m_filters.end());
}

}  // namespace SOUI
