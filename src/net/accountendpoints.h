#pragma once
#include <string>

class CHttpTransport;

// Asks the service to send an SMS code to `mobile` (GBK). The callers ignore the
// result; it is true only when the service confirmed with code 200.
bool RequestVerifyCode(CHttpTransport& transport, const std::string& mobile);

// Logs in with the mobile number and SMS code (GBK). On success (code 200 or 1
// and a string "data") sets `userId`; otherwise leaves it unchanged.
bool LoginByVerifyCode(CHttpTransport& transport, const std::string& mobile, const std::string& code,
                       std::wstring& userId);
