#pragma once
#include <optional>
#include <string>

// A seller bank line cut into the bank part and the account digits (GBK bytes).
struct BankLineSplit {
    std::string bank;     // from the start of the line through the split byte
    std::string account;  // the ASCII digits right after it
};

// Splits GBK bytes as the ECMAScript search "(.*[一-龥])(\d+)" does when its own
// text is GBK and it runs byte by byte: the bracket then accepts any byte in
// 0xBB..0xFD and 0x9B. The split byte is the last such byte directly followed
// by an ASCII digit within the first line segment (CR/LF end one) that has one;
// the bank part starts at that segment's start. Nothing when no such byte exists.
std::optional<BankLineSplit> SplitSellerBankLine(const std::string& line);
