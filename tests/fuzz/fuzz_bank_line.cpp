// The seller bank line scan against the regular expression it stands for: the GBK
// text of "(.*[一-龥])(\d+)" searched byte by byte with the standard library.
#include <regex>

#include "bridge/bankline.h"
#include "fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line = Bytes(data, size);
    const std::optional<BankLineSplit> split = SplitSellerBankLine(line);
    if (split) {
        FUZZ_CHECK(!split->account.empty());
        for (char c : split->account)
            FUZZ_CHECK(c >= '0' && c <= '9');
        FUZZ_CHECK(line.find(split->bank + split->account) != std::string::npos);
    }
    // The library's matcher recurses per byte; short lines are enough to compare.
    if (size > 256)
        return 0;
    static const std::regex pattern("(.*[\xD2\xBB-\xFD\x9B])(\\d+)");
    std::smatch match;
    const bool found = std::regex_search(line, match, pattern);
    FUZZ_CHECK(found == split.has_value());
    if (found)
        FUZZ_CHECK(match[1].str() == split->bank && match[2].str() == split->account);
    return 0;
}
