#include "profile.h"

#include <windows.h>

#include <vector>

#include "base/textconv.h"
#include "profile/profilecheck.h"

namespace {

constexpr DWORD kIdCapacity = 100;
constexpr DWORD kCodeCapacity = 300;
constexpr DWORD kNameCapacity = 500;

std::wstring ProfilePath()
{
    // Sized by the directory itself: a fixed buffer that is too small would leave
    // an empty directory and put the profile at the root of the drive.
    DWORD need = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> dir(need + 1, L'\0');
    DWORD got = need ? GetCurrentDirectoryW(need + 1, dir.data()) : 0;
    if (got == 0 || got > need)
        return {};
    return std::wstring(dir.data(), got) + L"\\ops.dat";
}

std::wstring Section(const std::wstring& identity)
{
    return L"Com" + identity;
}

std::wstring ReadKey(const std::wstring& section, const wchar_t* key, DWORD capacity)
{
    std::wstring path = ProfilePath();
    if (path.empty())
        return {};
    std::vector<wchar_t> buf(capacity, L'\0');
    DWORD n = GetPrivateProfileStringW(section.c_str(), key, L"", buf.data(), capacity, path.c_str());
    return std::wstring(buf.data(), n);
}

// A line break would end the line early and let the rest become keys or sections
// of its own; a ']' in a section name would end the name early. Such text is refused.
bool BreaksIni(const std::wstring& text, bool isSection)
{
    return isSection ? !IsStorableSectionName(text) : !IsStorableProfileValue(text);
}

bool WriteKey(const std::wstring& section, const wchar_t* key, const std::wstring& value)
{
    if (BreaksIni(section, true) || BreaksIni(value, false))
        return false;
    std::wstring path = ProfilePath();
    if (path.empty())
        return false;
    return WritePrivateProfileStringW(section.c_str(), key, value.c_str(), path.c_str()) != FALSE;
}

}  // namespace

std::string ReadStoredUser()
{
    return WideToAnsi(ReadKey(L"User", L"Id", kIdCapacity));
}

bool WriteStoredUser(const std::string& user)
{
    return WriteKey(L"User", L"Id", AnsiToWide(user));
}

std::wstring ReadCompanyId()
{
    return ReadKey(L"Com", L"Id", kIdCapacity);
}

bool WriteCompanyId(const std::wstring& identity)
{
    return WriteKey(L"Com", L"Id", identity);
}

void ReadCompanyProfile(const std::wstring& identity, std::string& keyNo, std::string& taxCode, std::string& name)
{
    const std::wstring section = Section(identity);
    keyNo = WideToAnsi(ReadKey(section, L"KN", kCodeCapacity));
    taxCode = WideToAnsi(ReadKey(section, L"TC", kCodeCapacity));
    name = WideToAnsi(ReadKey(section, L"CN", kNameCapacity));
}

bool WriteCompanyNameAndTaxCode(const std::wstring& identity, const std::string& name, const std::string& taxCode)
{
    const std::wstring section = Section(identity);
    // Checked up front so that a refused tax code does not leave a new name beside an old code.
    if (BreaksIni(section, true) || BreaksIni(AnsiToWide(name), false) || BreaksIni(AnsiToWide(taxCode), false))
        return false;
    bool ok = WriteKey(section, L"CN", AnsiToWide(name));
    return WriteKey(section, L"TC", AnsiToWide(taxCode)) && ok;
}

bool WriteCompanyKeyNo(const std::wstring& identity, const std::string& keyNo)
{
    return WriteKey(Section(identity), L"KN", AnsiToWide(keyNo));
}

std::wstring ReadHotkeyName()
{
    return ReadKey(L"Hotkey", L"Key", kIdCapacity);
}

bool WriteHotkeyName(const std::wstring& name)
{
    return WriteKey(L"Hotkey", L"Key", name);
}
