#include "accountendpoints.h"

#include "net/answer.h"
#include "net/serviceaccess.h"
#include "net/wireencoding.h"

bool RequestVerifyCode(CHttpTransport& transport, const std::string& mobile)
{
    const std::string answer =
        CallService(transport, ServiceBaseUrl() + "Invoice_regmobileCode", true, "phone=" + EscapeRawValue(mobile));
    Json::Value root;
    return ParseAnswer(answer, root) && AnswerCodeOk(root);
}

bool LoginByVerifyCode(CHttpTransport& transport, const std::string& mobile, const std::string& code,
                       std::wstring& userId)
{
    const std::string answer =
        CallService(transport, ServiceBaseUrl() + "Invoice_loginbyverify", true,
                    "phone=" + EscapeRawValue(mobile) + "&code=" + EscapeRawValue(code));
    Json::Value root;
    if (!ParseAnswer(answer, root) || !AnswerCodeOk(root, true))
        return false;
    return ReadString(root, "data", userId);
}
