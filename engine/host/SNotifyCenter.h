#pragma once
#include <vector>
#include "engine/host/CSimpleWnd.h"
#include "engine/core/EventArgs.h"

namespace SOUI {

// The process-wide door from any thread to the UI thread. Create it on the UI thread.
class SNotifyCenter : public CSimpleWnd {
public:
    SNotifyCenter();
    ~SNotifyCenter() override;
    static SNotifyCenter* getSingletonPtr();
    static SNotifyCenter& getSingleton() { return *getSingletonPtr(); }

    // UI thread: hands the event to every registered event map until one handles it.
    void FireEventSync(EventArgs* evt);
    // Any thread: queues the event (holding a reference) for FireEventSync on the UI thread,
    // in the order queued. False (and no reference kept) when it cannot be queued.
    BOOL FireEventAsync(EventArgs* evt);
    // UI thread.
    void RegisterEventMap(IEventHandler* handler);
    void UnregisterEventMap(IEventHandler* handler);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::vector<IEventHandler*> m_handlers;
};

}  // namespace SOUI
