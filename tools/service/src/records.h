#pragma once
#include <cstdint>
#include <string>

// Rows as the database holds them; all text is UTF-8.

struct CompanyRow {
  std::string keyno;
  std::string name;
  std::string credit_code;
  std::string address;
  std::string phone;
  std::string bank;
  std::string bank_account;
};

struct InvoiceRow {
  std::int64_t apply_id = 0;
  std::string business_keyno;
  std::string business_userid;
  std::string fapiao_code;
  std::string company_keyno;
  std::string company_name;
  std::string company_taxid;
  std::string company_address;
  std::string company_phone;
  std::string bank_name;
  std::string bank_accounts;
  std::string apply_mark;
  std::string apply_from;
  std::int64_t create_time = 0;
  std::int64_t update_time = 0;
};

struct VersionRow {
  std::string version_id;
  std::string version_no;
  std::string description;
  std::string force_update; // "1" makes the upgrade mandatory
  std::string installer;    // file name under the download folder
  std::int64_t release_date = 0;
};
