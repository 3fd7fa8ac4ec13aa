#include "standinclient.h"

#include "base/textconv.h"
#include "standinprotocol.h"

namespace {

std::string ReadWholeFile(const std::wstring& path)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}

std::wstring Unescape(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        wchar_t next = text[++i];
        out += next == L't' ? L'\t' : next == L'r' ? L'\r' : next == L'n' ? L'\n' : next;
    }
    return out;
}

}  // namespace

std::wstring ExecutableFolder()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::unique_ptr<StandInProcess> StandInProcess::Start(const std::wstring& exeName, const std::wstring& flags,
                                                      const std::wstring& logPath, std::wstring* why)
{
    std::unique_ptr<StandInProcess> standIn(new StandInProcess());
    standIn->logPath_ = logPath;
    std::wstring exe = ExecutableFolder() + exeName;
    std::wstring commandLine = L"\"" + exe + L"\" " + flags;
    if (!logPath.empty())
        commandLine += L" --log \"" + logPath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        if (why)
            *why = L"CreateProcess error " + std::to_wstring(GetLastError());
        return nullptr;
    }
    KernelHandle thread(info.hThread);
    standIn->process_ = KernelHandle(info.hProcess);
    standIn->processId_ = info.dwProcessId;
    const std::wstring name = ControlWindowName(info.dwProcessId);
    for (int waited = 0; waited < 30000; waited += 50) {
        standIn->control_ = FindWindowExW(HWND_MESSAGE, nullptr, kControlClass, name.c_str());
        if (standIn->control_)
            return standIn;
        if (WaitForSingleObject(standIn->process_.Get(), 50) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(standIn->process_.Get(), &code);
            if (why)
                *why = L"ended with code " + std::to_wstring(code);
            return nullptr;
        }
    }
    if (why)
        *why = L"no control window within 30 s";
    return nullptr;
}

StandInProcess::~StandInProcess()
{
    if (!process_)
        return;
    TerminateProcess(process_.Get(), 0);
    WaitForSingleObject(process_.Get(), 10000);
}

LRESULT StandInProcess::Command(const std::wstring& text, DWORD timeoutMs)
{
    COPYDATASTRUCT data = {};
    data.dwData = kCommandData;
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeoutMs,
                             &result))
        return 0;
    return static_cast<LRESULT>(result);
}

HWND StandInProcess::Open(const std::wstring& flags)
{
    return reinterpret_cast<HWND>(Command(L"open " + flags));
}

bool StandInProcess::CloseAll()
{
    return Command(L"close-all") == 1;
}

bool StandInProcess::Raise(HWND window)
{
    return Command(L"raise " + std::to_wstring(reinterpret_cast<INT_PTR>(window))) == 1;
}

bool StandInProcess::Hang(DWORD milliseconds)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control_, kHangMessage, milliseconds, 0, SMTO_NORMAL, 10000, &result) != 0;
}

bool StandInProcess::WaitResponsive(DWORD milliseconds)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control_, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &result) != 0;
}

std::vector<std::pair<std::string, std::wstring>> StandInProcess::TakeLog()
{
    std::vector<std::pair<std::string, std::wstring>> entries;
    std::wstring text = Utf8ToWide(ReadWholeFile(logPath_));
    DeleteFileW(logPath_.c_str());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        size_t tab = line.find(L'\t');
        if (tab != std::wstring::npos)
            entries.emplace_back(std::string(line.begin(), line.begin() + tab), Unescape(line.substr(tab + 1)));
        start = end + 1;
    }
    return entries;
}
