#include "app/singleinstance.h"

#include <string>
#include <vector>

struct CSingleInstance::Shared {
    // Written by the first copy only; a reader checks the pair against the window itself.
    volatile LONG pid;
    volatile LONG64 window;
};

namespace {

std::wstring ImageOf(HANDLE process)
{
    std::vector<wchar_t> buf(32768, L'\0');
    DWORD n = static_cast<DWORD>(buf.size());
    if (!QueryFullProcessImageNameW(process, 0, buf.data(), &n))
        return {};
    return std::wstring(buf.data(), n);
}

}  // namespace

CSingleInstance::CSingleInstance(const wchar_t* name)
{
    m_mutex.Reset(CreateMutexW(nullptr, FALSE, name));
    DWORD error = GetLastError();
    m_first = m_mutex && error != ERROR_ALREADY_EXISTS;
    if (!m_first)
        m_mutex.Close();
    const std::wstring mappingName = std::wstring(name) + L".Window";
    m_mapping.Reset(m_first ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared),
                                                 mappingName.c_str())
                            : OpenFileMappingW(FILE_MAP_READ, FALSE, mappingName.c_str()));
    if (m_mapping) {
        m_view.Reset(MapViewOfFile(m_mapping.Get(), m_first ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, sizeof(Shared)));
        m_shared = static_cast<Shared*>(m_view.Get());
    }
}

// The view goes before the mapping and the mutex: members end in reverse order.
CSingleInstance::~CSingleInstance() = default;

void CSingleInstance::Publish(HWND window)
{
    if (!m_first || !m_shared)
        return;
    InterlockedExchange(&m_shared->pid, static_cast<LONG>(GetCurrentProcessId()));
    InterlockedExchange64(&m_shared->window, static_cast<LONG64>(reinterpret_cast<INT_PTR>(window)));
}

bool CSingleInstance::AskFirstToShow(UINT message) const
{
    if (m_first || !m_shared || !message)
        return false;
    const DWORD pid = static_cast<DWORD>(m_shared->pid);
    const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(m_shared->window));
    DWORD owner = 0;
    if (!pid || !window || !GetWindowThreadProcessId(window, &owner) || owner != pid)
        return false;
    // Anyone can create a mapping of that name: the window must belong to this program.
    const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return false;
    const std::wstring theirs = ImageOf(process.Get());
    const std::wstring ours = ImageOf(GetCurrentProcess());
    if (theirs.empty() || lstrcmpiW(theirs.c_str(), ours.c_str()) != 0)
        return false;
    // Started by the merchant, this copy may hand the foreground on; the other may not take it.
    AllowSetForegroundWindow(pid);
    if (!PostMessageW(window, message, 0, 0))
        return false;
    // A window that is not in the tray (the login) is brought forward from here.
    if (IsWindowVisible(window)) {
        if (IsIconic(window))
            ShowWindowAsync(window, SW_RESTORE);
        SetForegroundWindow(window);
    }
    return true;
}
