#include "versionendpoint.h"

#include "net/endpointanswers.h"
#include "net/serviceaccess.h"
#include "net/servicecall.h"

bool GetLatestVersion(CHttpTransport& transport, VersionRecord& version)
{
    // The service spells it with a lower-case first letter, unlike every other endpoint.
    return ReadLatestVersion(CallService(transport, ServiceBaseUrl() + "invoice_getLastestVersion", false, ""),
                             version);
}
