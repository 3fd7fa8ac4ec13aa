#include "base/supportlog.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <mutex>

#include "base/handle.h"
#include "base/textconv.h"

namespace {

const wchar_t kCurrent[] = L"\\moravel.log";

struct LogState {
    std::mutex lock;
    std::wstring folder;
    KernelHandle file;
    size_t size = 0;
    size_t maxBytes = 0;
};

LogState& State()
{
    static LogState state;
    return state;
}

std::wstring Kept(const std::wstring& folder, int n)
{
    return folder + L"\\moravel." + std::to_wstring(n) + L".log";
}

bool OpenFile(LogState& s)
{
    const std::wstring path = s.folder + kCurrent;
    s.file.Reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!s.file)
        return false;
    LARGE_INTEGER size = {};
    GetFileSizeEx(s.file.Get(), &size);
    s.size = static_cast<size_t>(size.QuadPart);
    return true;
}

// The oldest file goes, the others move up one; a failure stops the log.
bool Rotate(LogState& s)
{
    s.file.Close();
    const std::wstring current = s.folder + kCurrent;
    if (!MoveFileExW(Kept(s.folder, 1).c_str(), Kept(s.folder, 2).c_str(), MOVEFILE_REPLACE_EXISTING) &&
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    if (!MoveFileExW(current.c_str(), Kept(s.folder, 1).c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    return OpenFile(s);
}

std::wstring Digits(unsigned value, size_t width)
{
    std::wstring text = std::to_wstring(value);
    return text.size() < width ? std::wstring(width - text.size(), L'0') + text : text;
}

std::string Stamped(const std::wstring& line)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::wstring text = Digits(t.wYear, 4) + L"-" + Digits(t.wMonth, 2) + L"-" + Digits(t.wDay, 2) + L" " +
                        Digits(t.wHour, 2) + L":" + Digits(t.wMinute, 2) + L":" + Digits(t.wSecond, 2) + L"." +
                        Digits(t.wMilliseconds, 3) + L" " + std::to_wstring(GetCurrentThreadId()) + L" " +
                        MaskForSupportLog(line);
    // One event, one line.
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n')
            c = L' ';
    text += L"\r\n";
    return WideToUtf8(text);
}

bool IsWordChar(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

std::wstring Fingerprint(const std::wstring& value)
{
    // FNV-1a folded to 16 bits: enough to tell values apart in a line, too little to find one.
    unsigned hash = 2166136261u;
    for (wchar_t c : value) {
        hash ^= static_cast<unsigned>(c);
        hash *= 16777619u;
    }
    const unsigned folded = (hash ^ (hash >> 16)) & 0xFFFF;
    const wchar_t hex[] = L"0123456789abcdef";
    std::wstring out;
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(folded >> shift) & 0xF];
    return out;
}

std::wstring MaskForSupportLog(const std::wstring& line)
{
    // Values the program itself makes (figures it measures, codes, its own file names) stay
    // readable up to the next space.
    static const wchar_t* const kOwnValues[] = {L"ms=", L"bytes=", L"code=", L"file="};
    std::wstring out;
    out.reserve(line.size());
    size_t i = 0;
    while (i < line.size()) {
        bool own = false;
        for (const wchar_t* key : kOwnValues) {
            const size_t n = wcslen(key);
            if ((i == 0 || !IsWordChar(line[i - 1])) && line.compare(i, n, key) == 0) {
                const size_t end = std::min(line.find(L' ', i), line.size());
                out.append(line, i, end - i);
                i = end;
                own = true;
                break;
            }
        }
        if (own)
            continue;
        if (!IsWordChar(line[i])) {
            out += line[i++];
            continue;
        }
        size_t end = i;
        int digits = 0;
        while (end < line.size() && IsWordChar(line[end])) {
            if (line[end] >= L'0' && line[end] <= L'9')
                ++digits;
            ++end;
        }
        const std::wstring word = line.substr(i, end - i);
        out += (word.size() >= 6 && digits >= 4) ? L"#" + Fingerprint(word) : word;
        i = end;
    }
    return out;
}

bool OpenSupportLog(const std::wstring& folder, size_t maxBytes)
{
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.file.Close();
    s.folder = folder;
    s.maxBytes = maxBytes;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    return OpenFile(s);
}

void CloseSupportLog()
{
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.file.Close();
}

bool SupportLogWriting()
{
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return static_cast<bool>(s.file);
}

void WriteSupportLine(const std::wstring& line)
{
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (!s.file)
        return;
    const std::string bytes = Stamped(line);
    if (s.size > 0 && s.size + bytes.size() > s.maxBytes && !Rotate(s)) {
        s.file.Close();
        return;
    }
    DWORD written = 0;
    if (!WriteFile(s.file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        // A full disk: the log stops here, the program goes on.
        s.file.Close();
        return;
    }
    s.size += written;
}
