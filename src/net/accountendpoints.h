#pragma once
#include <string>

class CHttpTransport;

// Asks the service to send an SMS code to `mobile`. The callers ignore the
// result; it is true only when the service confirmed with code 200.
bool RequestVerifyCode(CHttpTransport& transport, const std::wstring& mobile);

// Logs in with the mobile number and SMS code. On success (code 200 or 1
// and a string "data") sets `userId`; otherwise leaves it unchanged.
bool LoginByVerifyCode(CHttpTransport& transport, const std::wstring& mobile, const std::wstring& code,
                       std::wstring& userId);
