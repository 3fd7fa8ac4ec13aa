#pragma once
#include <functional>
#include <vector>
#include "engine/core/EventArgs.h"

namespace SOUI {

// True: handled.
using EventHandler = std::function<bool(EventArgs*)>;

template <class T> EventHandler Subscriber(bool (T::*fn)(EventArgs*), T* obj)
{
    return [fn, obj](EventArgs* e) { return (obj->*fn)(e); };
}

// The handlers subscribed to one object's events, called in subscription order.
class SEventSet {
public:
    // Declares an event the object raises; subscribing does not require it.
    void addEvent(int id, const wchar_t* name = nullptr);
    bool isEventPresent(int id) const;
    // owner lets unsubscribeEvent remove the handler again; a second subscription with the same
    // id and non-null owner replaces the first (it keeps its place in the calling order).
    bool subscribeEvent(int id, EventHandler handler, const void* owner = nullptr);
    template <class E> bool subscribeEvent(EventHandler handler, const void* owner = nullptr)
    {
        return subscribeEvent(E::EventID, std::move(handler), owner);
    }
    template <class T> bool subscribeEvent(int id, bool (T::*fn)(EventArgs*), T* obj)
    {
        return subscribeEvent(id, Subscriber(fn, obj), obj);
    }
    void unsubscribeEvent(int id, const void* owner);
    // Every handler of the event's id runs until one clears bubbleUp; each true adds to handled.
    void FireEvent(EventArgs* evt);
    void setMutedState(bool muted) { m_muted = muted; }

private:
    struct Slot {
        int id;
        EventHandler handler;
        const void* owner;
    };
    std::vector<Slot> m_slots;
    std::vector<int> m_events;
    bool m_muted = false;
};

}  // namespace SOUI
