#pragma once
#include <string>

class CHttpTransport;

// Base URL of the service ("http://...", ending in '/'): the build's
// MORAVEL_SERVICE_URL unless the environment variable of that name is set;
// read once, on first use.
const std::string& ServiceBaseUrl();

// The two process-wide transports: one for the login window's calls, one for
// everything else. Created on first use, destroyed at exit; UI thread only.
CHttpTransport& LoginTransport();
CHttpTransport& MainTransport();
