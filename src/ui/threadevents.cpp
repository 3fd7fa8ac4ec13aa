#include "ui/threadevents.h"

#include "engine/host/SNotifyCenter.h"

DownloadReporter NotifyCenterReporter(SOUI::SObject* sender)
{
    return [sender](const DownloadReport& report) {
        SOUI::SNotifyCenter* centre = SOUI::SNotifyCenter::getSingletonPtr();
        if (!centre)
            return;
        auto* evt = new EventThread(sender);
        evt->nProgress = report.progress;
        evt->pszMessage = report.message;
        evt->succeeded = report.succeeded;
        // The centre holds its own reference until the event has been delivered.
        centre->FireEventAsync(evt);
        evt->Release();
    };
}
