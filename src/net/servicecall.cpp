#include "servicecall.h"

#include "net/diag.h"
#include "net/httptransport.h"
#include "net/textconv.h"

namespace {
const char kFormHeader[] = "Content-Type:application/x-www-form-urlencoded";
}  // namespace

std::string CallService(CHttpTransport& transport, const std::string& url, bool post, const std::string& body)
{
    std::string answer = transport.Request(url, post, post ? kFormHeader : "", post ? body : "");
    if (!answer.empty() && DebugLineWanted())
        DebugLine(ResponseToDebugText(answer));
    return answer;
}
