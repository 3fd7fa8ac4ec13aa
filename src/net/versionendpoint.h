#pragma once
#include "net/versionrecord.h"

class CHttpTransport;

// Asks for the newest release. `version` is filled only when every field could
// be read; false leaves it unchanged.
bool GetLatestVersion(CHttpTransport& transport, VersionRecord& version);
