#include "accountendpoints.h"

#include "net/endpointanswers.h"
#include "net/serviceaccess.h"
#include "net/servicecall.h"
#include "net/wireencoding.h"

bool RequestVerifyCode(CHttpTransport& transport, const std::wstring& mobile)
{
    return ReadConfirmation(
        CallService(transport, ServiceBaseUrl() + "Invoice_regmobileCode", true, "phone=" + EscapeRawValue(mobile)));
}

bool LoginByVerifyCode(CHttpTransport& transport, const std::wstring& mobile, const std::wstring& code,
                       std::wstring& userId)
{
    const std::string answer = CallService(transport, ServiceBaseUrl() + "Invoice_loginbyverify", true,
                                           "phone=" + EscapeRawValue(mobile) + "&code=" + EscapeRawValue(code));
    return ReadLoginAnswer(answer, userId);
}
