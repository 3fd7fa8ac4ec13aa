#include "bridge/bankline.h"

namespace {

bool InBracketSet(unsigned char byte)
{
    return (byte >= 0xBB && byte <= 0xFD) || byte == 0x9B;
}
bool IsDigit(unsigned char byte)
{
    return byte >= '0' && byte <= '9';
}
// ECMAScript '.' stops at these; byte-wise, U+2028/U+2029 cannot occur.
bool IsLineBreak(unsigned char byte)
{
    return byte == '\n' || byte == '\r';
}

}  // namespace

std::optional<BankLineSplit> SplitSellerBankLine(const std::string& line)
{
    const size_t size = line.size();
    size_t segmentStart = 0;
    while (segmentStart < size) {
        size_t segmentEnd = segmentStart;
        while (segmentEnd < size && !IsLineBreak(static_cast<unsigned char>(line[segmentEnd])))
            ++segmentEnd;
        // Greedy ".*" backs off from the segment's end: the last split byte wins.
        for (size_t i = segmentEnd; i-- > segmentStart;) {
            if (i + 1 >= size)
                continue;
            if (!InBracketSet(static_cast<unsigned char>(line[i])) || !IsDigit(static_cast<unsigned char>(line[i + 1])))
                continue;
            size_t digitsEnd = i + 1;
            while (digitsEnd < size && IsDigit(static_cast<unsigned char>(line[digitsEnd])))
                ++digitsEnd;
            return BankLineSplit{line.substr(segmentStart, i + 1 - segmentStart),
                                 line.substr(i + 1, digitsEnd - i - 1)};
        }
        segmentStart = segmentEnd + 1;
    }
    return std::nullopt;
}
