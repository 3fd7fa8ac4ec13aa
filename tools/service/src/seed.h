#pragma once
#include <string>

#include "records.h"

class Database;

// The demo's own merchant company and user, fixed so scripts and tests can name them.
extern const char *const kMerchantName;
extern const char *const kMerchantCreditCode;
extern const char *const kMerchantKeyNo;
extern const char *const kDemoPhone;
extern const char *const kDemoUserId;

// The version record a fresh database starts with.
VersionRow DefaultVersion();

// Recreates the schema and fills it with the same fictional data on every run.
bool SeedDatabase(Database &db);
