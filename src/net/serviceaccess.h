#pragma once
#include <string>

class CHttpTransport;

// Base URL of the service ("http://..." or "https://...", ending in '/'): the build's
// MORAVEL_SERVICE_URL. Nothing outside the build changes it.
const std::string& ServiceBaseUrl();

// Points this process's endpoints elsewhere; for test and benchmark programs
// that host the endpoints themselves. The program never calls it.
void OverrideServiceBaseUrl(const std::string& url);

// The two process-wide transports: one for the login window's calls, one for
// everything else. Created on first use, destroyed at exit; UI thread only.
CHttpTransport& LoginTransport();
CHttpTransport& MainTransport();
