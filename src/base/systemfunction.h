#pragma once
#include <windows.h>

#include <cwchar>

// A function of a Windows DLL, looked up when first needed: one that older Windows lack (the
// DPI functions of 8.1 and 10), or one of a DLL only a rare path needs, which then stays out
// of the resident set until used (under Wine, bcrypt and crypt32 bring a TLS library and its
// dependencies, comdlg32 the printing stack). A DLL not yet loaded is loaded by its full
// System32 path, so nothing beside the program or in the current folder stands in for it.
// nullptr when the DLL or the function is missing.
template <class Fn> Fn SystemFunction(const wchar_t* dll, const char* name)
{
    HMODULE module = GetModuleHandleW(dll);
    if (!module) {
        wchar_t path[MAX_PATH];
        const UINT n = GetSystemDirectoryW(path, MAX_PATH);
        const size_t len = wcslen(dll);
        if (n == 0 || n + 1 + len >= MAX_PATH)
            return nullptr;
        path[n] = L'\\';
        wmemcpy(path + n + 1, dll, len + 1);
        module = LoadLibraryW(path);
    }
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
