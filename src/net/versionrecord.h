#pragma once
#include <cstdint>
#include <string>

// The service's answer about the newest release.
struct VersionRecord {
    std::wstring version_id;
    std::wstring description;
    std::wstring force_update;        // "1": the upgrade is mandatory
    std::wstring is_lastest_version;  // the service's own flag, not used for decisions
    std::wstring url;                 // where the installer is downloaded from
    std::wstring version_no;
    std::int64_t release_date = 0;  // seconds since 1970-01-01 00:00 UTC
};
