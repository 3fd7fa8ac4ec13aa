#pragma once
#include <string>

class CHttpTransport;

// Sends one request to the service and writes a non-empty answer to the debug log.
std::string CallService(CHttpTransport& transport, const std::string& url, bool post, const std::string& body);
