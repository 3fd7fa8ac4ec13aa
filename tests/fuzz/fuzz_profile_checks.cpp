// What may go into ops.dat: an accepted section name or value, written the way the
// profile functions write it, reads back as one section with one key of that value.
#include <vector>

#include "fuzzing.h"
#include "base/textconv.h"
#include "profile/profilecheck.h"

namespace {
// The lines of "[Com<section>]\r\nKN=<value>\r\n" as an INI reader splits them.
void CheckWrittenForm(const std::wstring& section, const std::wstring& value)
{
    const std::wstring file = L"[Com" + section + L"]\r\nKN=" + value + L"\r\n";
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < file.size(); ++i) {
        if (file[i] == L'\r' || file[i] == L'\n' || file[i] == L'\0') {
            if (i > start)
                lines.push_back(file.substr(start, i - start));
            start = i + 1;
        }
    }
    FUZZ_CHECK(lines.size() == 2);
    FUZZ_CHECK(lines[0].front() == L'[' && lines[0].find(L']') == lines[0].size() - 1);
    FUZZ_CHECK(lines[0].substr(4, lines[0].size() - 5) == section);
    FUZZ_CHECK(lines[1] == L"KN=" + value);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // As the identity and the values arrive: GBK bytes, and window text.
    for (const std::wstring& text : {GbkToWide(Bytes(data, size)), Utf16Units(data, size)}) {
        const bool value = IsStorableProfileValue(text);
        const bool section = IsStorableSectionName(text);
        FUZZ_CHECK(!section || value);
        if (section)
            CheckWrittenForm(text, text);
        else if (value)
            CheckWrittenForm(L"_HT", text);
    }
    return 0;
}
