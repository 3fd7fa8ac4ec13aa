#pragma once
#include <string>

class Database;

// A change to the published version record; unset parts keep their stored value.
struct VersionChange {
  bool has_version = false;
  std::string version;
  bool has_force = false;
  std::string force;
  bool has_installer = false;
  std::string installer; // defaults to "MoravelUpgrade_<version>.exe" when only the version is set
};

// True for a plain file name: letters, digits, '.', '_' and '-', not starting with '.'.
bool IsSafeFileName(const std::string &name);

// Stores the change (starting from the default record when none is stored) and
// bumps version_id; false with `error` set when a value is not acceptable.
bool ApplyVersionChange(Database &db, const VersionChange &change, std::string &error);
