#include "engine/core/SEventSet.h"
#include <algorithm>

namespace SOUI {

void SEventSet::addEvent(int id, const wchar_t*)
{
    if (!isEventPresent(id))
        m_events.push_back(id);
}

bool SEventSet::isEventPresent(int id) const
{
    return std::find(m_events.begin(), m_events.end(), id) != m_events.end();
}

bool SEventSet::subscribeEvent(int id, EventHandler handler, const void* owner)
{
    if (!handler)
        return false;
    // Reused rows subscribe again on every fill; one handler per owner keeps a click one call.
    if (owner)
        for (auto& s : m_slots)
            if (s.id == id && s.owner == owner) {
                s.handler = std::move(handler);
                return true;
            }
    m_slots.push_back(Slot{id, std::move(handler), owner});
    return true;
}

void SEventSet::unsubscribeEvent(int id, const void* owner)
{
    m_slots.erase(
        std::remove_if(m_slots.begin(), m_slots.end(), [&](const Slot& s) { return s.id == id && s.owner == owner; }),
        m_slots.end());
}

void SEventSet::FireEvent(EventArgs* evt)
{
    if (m_muted || !evt)
        return;
    // A handler may subscribe or unsubscribe while it runs.
    std::vector<EventHandler> run;
    for (const auto& s : m_slots)
        if (s.id == evt->GetID())
            run.push_back(s.handler);
    for (auto& h : run) {
        if (h(evt)) {
            evt->handled++;
            evt->bubbleUp = false;
        }
        if (!evt->bubbleUp)
            break;
    }
}

}  // namespace SOUI
