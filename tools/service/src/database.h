#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "records.h"

struct sqlite3;

// The service's SQLite store. One connection shared by the server threads and
// serialised by a mutex; every call reports failure as a return value and writes
// one line to stderr.
class Database {
public:
  Database() = default;
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  // Opens (creating if needed) the file at `path`; false on failure.
  bool Open(const std::string &path);
  // True when the schema tables exist.
  bool HasSchema();
  // Drops everything and creates empty tables.
  bool ResetSchema();

  bool Begin();
  bool Commit();

  bool InsertCompany(const CompanyRow &row);
  // Companies whose name contains `fragment` (ASCII letters without regard to case),
  // names starting with it first, at most `limit`.
  std::vector<CompanyRow> SearchCompanies(const std::string &fragment, int limit);
  bool FindCompanyByKeyNo(const std::string &keyno, CompanyRow &row);
  bool FindCompanyByName(const std::string &name, CompanyRow &row);
  int CompanyCount();

  bool StoreSmsCode(const std::string &phone, const std::string &code, std::int64_t now);
  // The last code sent to `phone`; false when none.
  bool LastSmsCode(const std::string &phone, std::string &code);
  // True (and the code is spent) when `code` is the last one sent to `phone`
  // and is at most `max_age` seconds old.
  bool ConsumeSmsCode(const std::string &phone, const std::string &code, std::int64_t now,
                      std::int64_t max_age);

  // The user id of `phone`, registering a new user when the phone is unknown;
  // empty on failure.
  std::string FindOrCreateUser(const std::string &phone, std::int64_t now);
  bool InsertUser(const std::string &user_id, const std::string &phone, std::int64_t now);

  // Stores a new record (apply_id is assigned); 0 on failure.
  std::int64_t InsertInvoice(const InvoiceRow &row);
  // Marks the record as used now; false when no record matches both keys.
  bool TouchInvoice(const std::string &business_keyno, std::int64_t apply_id, std::int64_t now);
  // Records of one merchant company, most recently used first.
  std::vector<InvoiceRow> ListInvoices(const std::string &business_keyno, int limit);

  bool GetVersion(VersionRow &row);
  bool SetVersion(const VersionRow &row);

private:
  bool Exec(const char *sql);

  sqlite3 *db_ = nullptr;
  std::mutex mutex_;
};
