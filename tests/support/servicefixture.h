#pragma once
#include <string>

// Helpers for tests that run against the substitute service started by a
// moravel_service_test fixture (tests/support/CMakeLists.txt). The fixture's
// base URL reaches the test as a file named by MORAVEL_SERVICE_URL_FILE.

// "http://127.0.0.1:PORT/" of the fixture's service; empty without a fixture.
std::string FixtureServiceUrl();

// The base URL in the file named by environment variable `variable` (a Z:\ path),
// for a test that has several fixtures; empty without one.
std::string ServiceUrlFromFile(const wchar_t* variable);

// Points ServiceBaseUrl() of this process at the fixture's service; false without
// a fixture. The program's own executable has its URL built in (see
// moravel_app_service in tests/support/CMakeLists.txt).
bool UseFixtureService();

// GET of "_control/<command>" (for example "fault?mode=slow&seconds=3") over a
// WinINet path of its own, so a fault in the code under test cannot hide here.
// Returns true for status 200; `answer` gets the body.
bool ServiceControl(const std::string& command, std::string* answer = nullptr);

// Requests the service received since the last call, one line each:
// "METHOD TARGET body=... content-type=... user-agent=...", bytes outside
// 0x21-0x7E as \xHH and '\' doubled.
std::string TakeServiceRequests();

// GET of "<command>" (for example "rtt?ms=150", "mode?m=silent", "stats") on the control port
// of the latency proxy of a moravel_proxy_fixture (MORAVEL_PROXY_CONTROL_FILE). Returns true for
// status 200; `answer` gets the body.
bool ProxyControl(const std::string& command, std::string* answer = nullptr);
