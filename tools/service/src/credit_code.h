#pragma once
#include <string>

// Unified social credit codes (18 characters): registration authority, kind,
// six-digit division code, nine-character organisation code, check character.

// Check character for the first 17 characters; '\0' when one of them is not in the
// code's alphabet (digits and upper-case letters without I, O, S, V, Z).
char CreditCodeCheckChar(const std::string &first17);

// True for 18 characters whose last one is the right check character.
bool IsValidCreditCode(const std::string &code);

// Check character of an organisation code from its 8 leading characters ('0'-'9' or 'X').
char OrgCodeCheckChar(const std::string &first8);
