// File names built from service values: an accepted value keeps "qr_<v>.png" and
// "MoravelUpgrade_<v>.exe" one plain name inside the working folder.
#include "fuzzing.h"
#include "base/textconv.h"
#include "ui/safename.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const std::wstring& value : {GbkToWide(Bytes(data, size)), Utf16Units(data, size)}) {
        if (!IsSafeFileNamePart(value))
            continue;
        const std::wstring name = L"MoravelUpgrade_" + value + L".exe";
        FUZZ_CHECK(value.find(L"..") == std::wstring::npos);
        for (wchar_t c : name)
            FUZZ_CHECK(c >= 0x20 && c != 0x7F && std::wstring(L"\\/:*?\"<>|").find(c) == std::wstring::npos);
    }
    return 0;
}
