#include "release.h"

#include <cstdlib>

#include "database.h"
#include "seed.h"

bool IsSafeFileName(const std::string &name) {
  if (name.empty() || name[0] == '.' || name.size() > 200)
    return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '_' || c == '-';
    if (!ok)
      return false;
  }
  return true;
}

bool ApplyVersionChange(Database &db, const VersionChange &change, std::string &error) {
  if (change.has_version && !IsSafeFileName(change.version)) {
    error = "version must be letters, digits, '.', '_' or '-'";
    return false;
  }
  if (change.has_force && change.force != "0" && change.force != "1") {
    error = "force must be 0 or 1";
    return false;
  }
  if (change.has_installer && !IsSafeFileName(change.installer)) {
    error = "installer must be a plain file name";
    return false;
  }
  VersionRow row;
  if (!db.GetVersion(row))
    row = DefaultVersion();
  if (change.has_version) {
    row.version_no = change.version;
    row.installer = "MoravelUpgrade_" + change.version + ".exe";
  }
  if (change.has_force)
    row.force_update = change.force;
  if (change.has_installer)
    row.installer = change.installer;
  long long id = std::atoll(row.version_id.c_str());
  row.version_id = std::to_string(id + 1);
  if (!db.SetVersion(row)) {
    error = "cannot store the version record";
    return false;
  }
  return true;
}
