#include "credit_code.h"

namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHJKLMNPQRTUWXY";
constexpr int kRadix = 31;
// 3^i mod 31 for positions 1..17.
constexpr int kWeights[17] = {1, 3, 9, 27, 19, 26, 16, 17, 20, 29, 25, 13, 8, 24, 10, 30, 28};

int AlphabetIndex(char c) {
  for (int i = 0; i < kRadix; ++i)
    if (kAlphabet[i] == c)
      return i;
  return -1;
}

} // namespace

char CreditCodeCheckChar(const std::string &first17) {
  if (first17.size() < 17)
    return '\0';
  int sum = 0;
  for (int i = 0; i < 17; ++i) {
    int value = AlphabetIndex(first17[i]);
    if (value < 0)
      return '\0';
    sum += value * kWeights[i];
  }
  int check = kRadix - sum % kRadix;
  return kAlphabet[check == kRadix ? 0 : check];
}

bool IsValidCreditCode(const std::string &code) {
  if (code.size() != 18)
    return false;
  char check = CreditCodeCheckChar(code.substr(0, 17));
  return check != '\0' && check == code[17];
}

char OrgCodeCheckChar(const std::string &first8) {
  static const int kOrgWeights[8] = {3, 7, 9, 10, 5, 8, 4, 2};
  if (first8.size() < 8)
    return '\0';
  int sum = 0;
  for (int i = 0; i < 8; ++i) {
    char c = first8[i];
    int value;
    if (c >= '0' && c <= '9')
      value = c - '0';
    else if (c >= 'A' && c <= 'Z')
      value = c - 'A' + 10;
    else
      return '\0';
    sum += value * kOrgWeights[i];
  }
  int check = 11 - sum % 11;
  if (check == 10)
    return 'X';
  if (check == 11)
    return '0';
  return static_cast<char>('0' + check);
}
