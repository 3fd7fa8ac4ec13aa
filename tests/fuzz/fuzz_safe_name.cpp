// File names built from service values: an accepted value keeps "qr_<v>.png" and
// "MoravelUpgrade_<v>.exe" one plain file of the working folder. Checked by resolving
// the path as Windows does, not against a list of characters.
#include <algorithm>
#include <cwctype>
#include <vector>

#include "fuzzing.h"
#include "base/textconv.h"
#include "ui/safename.h"

namespace {

std::wstring Upper(std::wstring s)
{
    for (wchar_t& c : s)
        c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    return s;
}

// A segment that opens a device wherever it stands: the name before the first dot,
// trailing spaces ignored, is CON, PRN, AUX, NUL, COMn, LPTn, CONIN$ or CONOUT$.
bool NamesDevice(const std::wstring& segment)
{
    std::wstring base = Upper(segment.substr(0, segment.find(L'.')));
    base.erase(base.find_last_not_of(L' ') + 1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (base == device)
            return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
}

// Where `name` lands when joined to a folder: the segments below the folder after
// Win32 normalisation ('/' and '\' separate, "." stays, ".." climbs, trailing dots
// and spaces go); an empty result when it climbs out or names a device.
std::vector<std::wstring> Resolve(const std::wstring& name, bool* outside)
{
    std::vector<std::wstring> segments;
    *outside = false;
    size_t start = 0;
    for (;;) {
        const size_t end = name.find_first_of(L"\\/", start);
        std::wstring segment = name.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (segment == L"..") {
            if (segments.empty())
                *outside = true;
            else
                segments.pop_back();
        } else if (!segment.empty() && segment != L".") {
            if (NamesDevice(segment))
                *outside = true;
            segment.erase(segment.find_last_not_of(L". ") + 1);
            segments.push_back(segment);
        }
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return segments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const std::wstring& value : {GbkToWide(Bytes(data, size)), Utf16Units(data, size)}) {
        if (!IsSafeFileNamePart(value))
            continue;
        for (const std::wstring& name : {L"qr_" + value + L".png", L"MoravelUpgrade_" + value + L".exe"}) {
            bool outside = false;
            const std::vector<std::wstring> segments = Resolve(name, &outside);
            FUZZ_CHECK(!outside);
            // One segment, the name itself: not a subfolder, not renamed by the trimming.
            FUZZ_CHECK(segments.size() == 1 && segments[0] == name);
            // A colon names a stream of a file or a drive, not a file of the folder.
            FUZZ_CHECK(name.find(L':') == std::wstring::npos);
        }
    }
    return 0;
}
