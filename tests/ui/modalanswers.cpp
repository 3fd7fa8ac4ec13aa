#include "modalanswers.h"

#include <dlgs.h>

#include <map>

namespace {

ModalAnswers* g_current = nullptr;

struct Search {
    const std::set<HWND>* skip;
    HWND found;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM lp)
{
    auto* search = reinterpret_cast<Search*>(lp);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    // A dialog that opened a box of its own is disabled until the box is answered.
    if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && !search->skip->count(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM lp)
{
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (_wcsicmp(cls, L"Static") == 0) {
        wchar_t text[512] = {};
        GetWindowTextW(hwnd, text, 512);
        *reinterpret_cast<std::wstring*>(lp) += text;
    }
    return TRUE;
}

}  // namespace

ModalAnswers::ModalAnswers()
{
    g_current = this;
    m_timer = SetTimer(nullptr, 0, 30, &ModalAnswers::OnTimer);
}

static void DropStep(UINT_PTR id);

ModalAnswers::~ModalAnswers()
{
    if (m_timer)
        KillTimer(nullptr, m_timer);
    for (UINT_PTR id : m_steps)
        DropStep(id);
    g_current = nullptr;
}

void CALLBACK ModalAnswers::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_current)
        g_current->Tick();
}

void ModalAnswers::Tick()
{
    // Forget boxes that are gone, so a reused handle is not skipped.
    for (auto it = m_answered.begin(); it != m_answered.end();)
        it = IsWindow(*it) ? std::next(it) : m_answered.erase(it);
    Search search = {&m_answered, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return;
    m_answered.insert(search.found);
    if (m_answers.empty()) {
        ++m_unexpected;
        PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // Taken off the queue first: the answer may open the next box, answered from within.
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    answer(search.found);
}

ModalAnswers::Answer PressButton(int id, BoxSeen* seen)
{
    return [id, seen](HWND box) {
        if (seen) {
            wchar_t caption[256] = {};
            GetWindowTextW(box, caption, 256);
            seen->caption = caption;
            seen->text.clear();
            EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&seen->text));
        }
        PostMessageW(box, WM_COMMAND, id, 0);
    };
}

ModalAnswers::Answer SaveAs(const std::wstring& path, std::wstring* offered)
{
    return [path, offered](HWND dlg) {
        // The explorer-style dialog names its file box cmb13; older templates edt1.
        const int box = GetDlgItem(dlg, cmb13) ? cmb13 : edt1;
        if (offered) {
            wchar_t name[MAX_PATH] = {};
            GetDlgItemTextW(dlg, box, name, MAX_PATH);
            *offered = name;
        }
        if (path.empty()) {
            PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SetDlgItemTextW(dlg, box, path.c_str());
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    };
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done() && GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return done();
}

namespace {

std::map<UINT_PTR, std::function<void()>>& Steps()
{
    static std::map<UINT_PTR, std::function<void()>> steps;
    return steps;
}

void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    auto it = Steps().find(id);
    if (it == Steps().end())
        return;
    std::function<void()> step = std::move(it->second);
    Steps().erase(it);
    step();
}

}  // namespace

static void DropStep(UINT_PTR id)
{
    KillTimer(nullptr, id);
    Steps().erase(id);
}

void ModalAnswers::Later(std::function<void()> step, UINT ms)
{
    const UINT_PTR id = SetTimer(nullptr, 0, ms, RunStep);
    if (!id)
        return;
    Steps()[id] = std::move(step);
    m_steps.insert(id);
}
