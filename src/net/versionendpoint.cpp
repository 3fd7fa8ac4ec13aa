#include "versionendpoint.h"

#include "net/answer.h"
#include "net/serviceaccess.h"

bool GetLatestVersion(CHttpTransport& transport, VersionRecord& version)
{
    Json::Value root;
    // The service spells it with a lower-case first letter, unlike every other endpoint.
    if (!ParseAnswer(CallService(transport, ServiceBaseUrl() + "invoice_getLastestVersion", false, ""), root) ||
        !AnswerCodeOk(root))
        return false;
    const Json::Value* data = Member(root, "data");
    if (!data || data->isNull())
        return false;

    VersionRecord read;
    std::string released;
    if (!ReadString(*data, "version_id", read.version_id) || !ReadText(*data, "description", read.description) ||
        !ReadString(*data, "force_update", read.force_update) ||
        !ReadString(*data, "is_lastest_version", read.is_lastest_version) || !ReadString(*data, "url", read.url) ||
        !ReadString(*data, "version_no", read.version_no) || !ReadStringBytes(*data, "release_date", released))
        return false;
    read.release_date = SecondsFromText(released);
    version = read;
    return true;
}
