#pragma once
// Counts this process's UpdateLayeredWindow calls per window, so a timed span can show that
// the layered update (the pixels handed to the screen) happened inside it. The count sits
// in this executable's import table: the engine, linked in, and the bare baselines both
// call through it.
#include <windows.h>

#include <cstring>
#include <map>

namespace layered {

using UlwFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

inline UlwFn& Real()
{
    static UlwFn real = nullptr;
    return real;
}

inline std::map<HWND, int>& Counts()
{
    static std::map<HWND, int> counts;
    return counts;
}

inline BOOL WINAPI Counting(HWND wnd, HDC dst, POINT* pos, SIZE* size, HDC src, POINT* at, COLORREF key,
                            BLENDFUNCTION* blend, DWORD flags)
{
    const BOOL ok = Real()(wnd, dst, pos, size, src, at, key, blend, flags);
    if (ok)
        ++Counts()[wnd];
    return ok;
}

inline int Count(HWND wnd)
{
    auto it = Counts().find(wnd);
    return it == Counts().end() ? 0 : it->second;
}

// Points this executable's import of user32!UpdateLayeredWindow at the counter.
inline bool Install()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return false;
    const FARPROC target = GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow");
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<const char*>(base + imp->Name), "user32.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; slots->u1.Function; ++slots, ++names) {
            bool match = reinterpret_cast<FARPROC>(slots->u1.Function) == target;
            if (!match && imp->OriginalFirstThunk && !IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                match = std::strcmp(reinterpret_cast<const char*>(byName->Name), "UpdateLayeredWindow") == 0;
            }
            if (!match)
                continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            Real() = reinterpret_cast<UlwFn>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&Counting);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

}  // namespace layered
