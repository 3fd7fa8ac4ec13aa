#pragma once
#include <string>

#include "net/companyrecord.h"

// Identity used when a BW window gives no bank line that splits.
constexpr wchar_t kDefaultBwIdentity[] = L"_BWF93460BF7C7278C836A86FB934F88522";

// Reads the seller from the open issuing window into the merchant record.
// HT: Name (child #18), CreditCode (child #17) and Identity "_HT" + tax code.
// BW: Bank and Bankaccount split from the seller bank line and Identity "_BW" +
// MD5 of the line's GBK bytes; the fixed default when the record still has no
// identity. Fields not read keep their values; the record stays untouched
// unless the result is Read. NoDigest: a BW bank line that splits could not be
// hashed (the system's MD5 is missing), so the identity cannot be told.
enum class SellerRead { Read, NoTarget, Unanswered, NoDigest };
SellerRead ReadSellerIdentity(CompanyRecord& merchant);
