#include "database.h"

#include <cstdio>
#include <sqlite3.h>

namespace {

const char *const kSchema = R"sql(
CREATE TABLE companies (
  id INTEGER PRIMARY KEY,
  keyno TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL UNIQUE,
  credit_code TEXT NOT NULL,
  address TEXT NOT NULL,
  phone TEXT NOT NULL,
  bank TEXT NOT NULL,
  bank_account TEXT NOT NULL);
CREATE TABLE users (
  user_id TEXT PRIMARY KEY,
  phone TEXT NOT NULL UNIQUE,
  created INTEGER NOT NULL);
CREATE TABLE sms_codes (
  phone TEXT PRIMARY KEY,
  code TEXT NOT NULL,
  sent_at INTEGER NOT NULL);
CREATE TABLE invoices (
  apply_id INTEGER PRIMARY KEY AUTOINCREMENT,
  business_keyno TEXT NOT NULL,
  business_userid TEXT NOT NULL,
  fapiao_code TEXT NOT NULL,
  company_keyno TEXT NOT NULL,
  company_name TEXT NOT NULL,
  company_taxid TEXT NOT NULL,
  company_address TEXT NOT NULL,
  company_phone TEXT NOT NULL,
  bank_name TEXT NOT NULL,
  bank_accounts TEXT NOT NULL,
  apply_mark TEXT NOT NULL,
  apply_from TEXT NOT NULL,
  create_time INTEGER NOT NULL,
  update_time INTEGER NOT NULL,
  touch_seq INTEGER NOT NULL);
CREATE INDEX invoices_by_business ON invoices(business_keyno, update_time, touch_seq);
CREATE TABLE version (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  version_id TEXT NOT NULL,
  version_no TEXT NOT NULL,
  description TEXT NOT NULL,
  force_update TEXT NOT NULL,
  installer TEXT NOT NULL,
  release_date INTEGER NOT NULL);
)sql";

// Owns one prepared statement; binds and reads UTF-8 text and 64-bit integers.
class Statement {
public:
  Statement(sqlite3 *db, const char *sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "sqlite prepare failed: %s\n", sqlite3_errmsg(db));
      stmt_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  bool ok() const { return stmt_ != nullptr; }

  Statement &Bind(int index, const std::string &text) {
    if (stmt_)
      sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement &Bind(int index, std::int64_t value) {
    if (stmt_)
      sqlite3_bind_int64(stmt_, index, value);
    return *this;
  }

  // True while a row is available.
  bool Step() {
    if (!stmt_)
      return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
      return true;
    if (rc != SQLITE_DONE) {
      failed_ = true;
      std::fprintf(stderr, "sqlite step failed: %s\n", sqlite3_errmsg(db_));
    }
    return false;
  }
  // Runs a statement that returns no rows.
  bool Run() {
    Step();
    return ok() && !failed_;
  }

  std::string Text(int column) const {
    const unsigned char *text = sqlite3_column_text(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return text ? std::string(reinterpret_cast<const char *>(text), size) : std::string();
  }
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
  sqlite3 *db_;
  sqlite3_stmt *stmt_ = nullptr;
  bool failed_ = false;
};

const char *const kCompanyColumns = "keyno, name, credit_code, address, phone, bank, bank_account";

CompanyRow ReadCompany(const Statement &stmt) {
  CompanyRow row;
  row.keyno = stmt.Text(0);
  row.name = stmt.Text(1);
  row.credit_code = stmt.Text(2);
  row.address = stmt.Text(3);
  row.phone = stmt.Text(4);
  row.bank = stmt.Text(5);
  row.bank_account = stmt.Text(6);
  return row;
}

} // namespace

Database::~Database() { sqlite3_close(db_); }

bool Database::Open(const std::string &path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    std::fprintf(stderr, "cannot open database %s: %s\n", path.c_str(),
                 db_ ? sqlite3_errmsg(db_) : "out of memory");
    sqlite3_close(db_);
    db_ = nullptr;
    return false;
  }
  sqlite3_busy_timeout(db_, 2000);
  return true;
}

bool Database::Exec(const char *sql) {
  char *error = nullptr;
  if (!db_ || sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite exec failed: %s\n", error ? error : "no database");
    sqlite3_free(error);
    return false;
  }
  return true;
}

bool Database::HasSchema() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!db_)
    return false;
  Statement stmt(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                      "('companies', 'users', 'sms_codes', 'invoices', 'version')");
  return stmt.Step() && stmt.Int(0) == 5;
}

bool Database::ResetSchema() {
  std::lock_guard<std::mutex> lock(mutex_);
  return Exec("DROP TABLE IF EXISTS companies; DROP TABLE IF EXISTS users;"
              "DROP TABLE IF EXISTS sms_codes; DROP TABLE IF EXISTS invoices;"
              "DROP TABLE IF EXISTS version;") &&
         Exec(kSchema);
}

bool Database::Begin() {
  std::lock_guard<std::mutex> lock(mutex_);
  return Exec("BEGIN");
}

bool Database::Commit() {
  std::lock_guard<std::mutex> lock(mutex_);
  return Exec("COMMIT");
}

bool Database::InsertCompany(const CompanyRow &row) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "INSERT INTO companies (keyno, name, credit_code, address, phone, bank, "
                      "bank_account) VALUES (?, ?, ?, ?, ?, ?, ?)");
  stmt.Bind(1, row.keyno).Bind(2, row.name).Bind(3, row.credit_code).Bind(4, row.address);
  stmt.Bind(5, row.phone).Bind(6, row.bank).Bind(7, row.bank_account);
  return stmt.Run();
}

std::vector<CompanyRow> Database::SearchCompanies(const std::string &fragment, int limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CompanyRow> rows;
  if (fragment.empty())
    return rows;
  // instr over lower() rather than LIKE: no wildcard characters to escape.
  std::string sql = std::string("SELECT ") + kCompanyColumns +
                    " FROM companies WHERE instr(lower(name), lower(?1)) > 0"
                    " ORDER BY instr(lower(name), lower(?1)) = 1 DESC, id LIMIT ?2";
  Statement stmt(db_, sql.c_str());
  stmt.Bind(1, fragment).Bind(2, static_cast<std::int64_t>(limit));
  while (stmt.Step())
    rows.push_back(ReadCompany(stmt));
  return rows;
}

bool Database::FindCompanyByKeyNo(const std::string &keyno, CompanyRow &row) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string sql =
      std::string("SELECT ") + kCompanyColumns + " FROM companies WHERE keyno = lower(?)";
  Statement stmt(db_, sql.c_str());
  stmt.Bind(1, keyno);
  if (!stmt.Step())
    return false;
  row = ReadCompany(stmt);
  return true;
}

bool Database::FindCompanyByName(const std::string &name, CompanyRow &row) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string sql = std::string("SELECT ") + kCompanyColumns + " FROM companies WHERE name = ?";
  Statement stmt(db_, sql.c_str());
  stmt.Bind(1, name);
  if (!stmt.Step())
    return false;
  row = ReadCompany(stmt);
  return true;
}

int Database::CompanyCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "SELECT count(*) FROM companies");
  return stmt.Step() ? static_cast<int>(stmt.Int(0)) : 0;
}

bool Database::StoreSmsCode(const std::string &phone, const std::string &code, std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "INSERT OR REPLACE INTO sms_codes (phone, code, sent_at) VALUES (?, ?, ?)");
  stmt.Bind(1, phone).Bind(2, code).Bind(3, now);
  return stmt.Run();
}

bool Database::LastSmsCode(const std::string &phone, std::string &code) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "SELECT code FROM sms_codes WHERE phone = ?");
  stmt.Bind(1, phone);
  if (!stmt.Step())
    return false;
  code = stmt.Text(0);
  return true;
}

bool Database::ConsumeSmsCode(const std::string &phone, const std::string &code, std::int64_t now,
                              std::int64_t max_age) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "DELETE FROM sms_codes WHERE phone = ? AND code = ? AND sent_at >= ?");
  stmt.Bind(1, phone).Bind(2, code).Bind(3, now - max_age);
  return stmt.Run() && sqlite3_changes(db_) == 1;
}

std::string Database::FindOrCreateUser(const std::string &phone, std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  {
    Statement find(db_, "SELECT user_id FROM users WHERE phone = ?");
    find.Bind(1, phone);
    if (find.Step())
      return find.Text(0);
  }
  // User ids are decimal numbers counting up from 10000001.
  Statement insert(db_, "INSERT INTO users (user_id, phone, created) SELECT "
                        "CAST(IFNULL(MAX(CAST(user_id AS INTEGER)), 10000000) + 1 AS TEXT), ?, ? "
                        "FROM users RETURNING user_id");
  insert.Bind(1, phone).Bind(2, now);
  return insert.Step() ? insert.Text(0) : std::string();
}

bool Database::InsertUser(const std::string &user_id, const std::string &phone, std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "INSERT INTO users (user_id, phone, created) VALUES (?, ?, ?)");
  stmt.Bind(1, user_id).Bind(2, phone).Bind(3, now);
  return stmt.Run();
}

std::int64_t Database::InsertInvoice(const InvoiceRow &row) {
  std::lock_guard<std::mutex> lock(mutex_);
  // touch_seq orders records used within the same second.
  Statement stmt(db_, "INSERT INTO invoices (business_keyno, business_userid, fapiao_code, "
                      "company_keyno, company_name, company_taxid, company_address, company_phone, "
                      "bank_name, bank_accounts, apply_mark, apply_from, create_time, update_time, "
                      "touch_seq) SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                      "IFNULL(MAX(touch_seq), 0) + 1 FROM invoices");
  stmt.Bind(1, row.business_keyno).Bind(2, row.business_userid).Bind(3, row.fapiao_code);
  stmt.Bind(4, row.company_keyno).Bind(5, row.company_name).Bind(6, row.company_taxid);
  stmt.Bind(7, row.company_address).Bind(8, row.company_phone).Bind(9, row.bank_name);
  stmt.Bind(10, row.bank_accounts).Bind(11, row.apply_mark).Bind(12, row.apply_from);
  stmt.Bind(13, row.create_time).Bind(14, row.update_time);
  if (!stmt.Run())
    return 0;
  return sqlite3_last_insert_rowid(db_);
}

bool Database::TouchInvoice(const std::string &business_keyno, std::int64_t apply_id,
                            std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "UPDATE invoices SET update_time = ?1, touch_seq = "
                      "(SELECT MAX(touch_seq) + 1 FROM invoices) "
                      "WHERE apply_id = ?2 AND business_keyno = ?3");
  stmt.Bind(1, now).Bind(2, apply_id).Bind(3, business_keyno);
  return stmt.Run() && sqlite3_changes(db_) == 1;
}

std::vector<InvoiceRow> Database::ListInvoices(const std::string &business_keyno, int limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<InvoiceRow> rows;
  Statement stmt(db_, "SELECT apply_id, business_keyno, business_userid, fapiao_code, "
                      "company_keyno, company_name, company_taxid, company_address, "
                      "company_phone, bank_name, bank_accounts, apply_mark, apply_from, "
                      "create_time, update_time FROM invoices WHERE business_keyno = ? "
                      "ORDER BY update_time DESC, touch_seq DESC LIMIT ?");
  stmt.Bind(1, business_keyno).Bind(2, static_cast<std::int64_t>(limit));
  while (stmt.Step()) {
    InvoiceRow row;
    row.apply_id = stmt.Int(0);
    row.business_keyno = stmt.Text(1);
    row.business_userid = stmt.Text(2);
    row.fapiao_code = stmt.Text(3);
    row.company_keyno = stmt.Text(4);
    row.company_name = stmt.Text(5);
    row.company_taxid = stmt.Text(6);
    row.company_address = stmt.Text(7);
    row.company_phone = stmt.Text(8);
    row.bank_name = stmt.Text(9);
    row.bank_accounts = stmt.Text(10);
    row.apply_mark = stmt.Text(11);
    row.apply_from = stmt.Text(12);
    row.create_time = stmt.Int(13);
    row.update_time = stmt.Int(14);
    rows.push_back(std::move(row));
  }
  return rows;
}

bool Database::GetVersion(VersionRow &row) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "SELECT version_id, version_no, description, force_update, installer, "
                      "release_date FROM version WHERE id = 1");
  if (!stmt.Step())
    return false;
  row.version_id = stmt.Text(0);
  row.version_no = stmt.Text(1);
  row.description = stmt.Text(2);
  row.force_update = stmt.Text(3);
  row.installer = stmt.Text(4);
  row.release_date = stmt.Int(5);
  return true;
}

bool Database::SetVersion(const VersionRow &row) {
  std::lock_guard<std::mutex> lock(mutex_);
  Statement stmt(db_, "INSERT OR REPLACE INTO version (id, version_id, version_no, description, "
                      "force_update, installer, release_date) VALUES (1, ?, ?, ?, ?, ?, ?)");
  stmt.Bind(1, row.version_id).Bind(2, row.version_no).Bind(3, row.description);
  stmt.Bind(4, row.force_update).Bind(5, row.installer).Bind(6, row.release_date);
  return stmt.Run();
}
