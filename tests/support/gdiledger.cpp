#include "gdiledger.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

enum Kind { KindDc, KindWindowDc, KindBitmap, KindFont, KindBrush, KindPen, KindRegion };

struct Entry {
    Kind kind;
    int count;  // a window's own DC comes back from GetDC as the same handle each time
};

SRWLOCK g_lock = SRWLOCK_INIT;
std::unordered_map<void*, Entry>* g_live;  // never freed: hooked calls may come during exit

void Made(void* handle, Kind kind)
{
    if (!handle)
        return;
    AcquireSRWLockExclusive(&g_lock);
    Entry& entry = (*g_live)[handle];
    entry.count = entry.kind == kind && kind == KindWindowDc ? entry.count + 1 : 1;
    entry.kind = kind;
    ReleaseSRWLockExclusive(&g_lock);
}

void Freed(void* handle)
{
    AcquireSRWLockExclusive(&g_lock);
    auto found = g_live->find(handle);
    if (found != g_live->end() && --found->second.count <= 0)
        g_live->erase(found);
    ReleaseSRWLockExclusive(&g_lock);
}

template <typename F> F Real(const wchar_t* module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

// Each hook calls the system's own function (found by name, not through an import table
// it may itself have patched) and notes what came back.
#define REAL(module, name) static const auto real = Real<decltype(&::name)>(module, #name)

HDC WINAPI HookCreateCompatibleDC(HDC dc)
{
    REAL(L"gdi32", CreateCompatibleDC);
    HDC made = real(dc);
    Made(made, KindDc);
    return made;
}

HDC WINAPI HookCreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const DEVMODEW* mode)
{
    REAL(L"gdi32", CreateDCW);
    HDC made = real(driver, device, port, mode);
    Made(made, KindDc);
    return made;
}

HBITMAP WINAPI HookCreateCompatibleBitmap(HDC dc, int cx, int cy)
{
    REAL(L"gdi32", CreateCompatibleBitmap);
    HBITMAP made = real(dc, cx, cy);
    Made(made, KindBitmap);
    return made;
}

HBITMAP WINAPI HookCreateBitmap(int cx, int cy, UINT planes, UINT bits, const void* data)
{
    REAL(L"gdi32", CreateBitmap);
    HBITMAP made = real(cx, cy, planes, bits, data);
    Made(made, KindBitmap);
    return made;
}

HBITMAP WINAPI HookCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                    DWORD offset)
{
    REAL(L"gdi32", CreateDIBSection);
    HBITMAP made = real(dc, info, usage, bits, section, offset);
    Made(made, KindBitmap);
    return made;
}

HBITMAP WINAPI HookCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* data,
                                  const BITMAPINFO* info, UINT usage)
{
    REAL(L"gdi32", CreateDIBitmap);
    HBITMAP made = real(dc, header, init, data, info, usage);
    Made(made, KindBitmap);
    return made;
}

HFONT WINAPI HookCreateFontIndirectW(const LOGFONTW* font)
{
    REAL(L"gdi32", CreateFontIndirectW);
    HFONT made = real(font);
    Made(made, KindFont);
    return made;
}

HFONT WINAPI HookCreateFontW(int h, int w, int esc, int orient, int weight, DWORD italic, DWORD underline, DWORD strike,
                             DWORD charset, DWORD precision, DWORD clip, DWORD quality, DWORD pitch, LPCWSTR face)
{
    REAL(L"gdi32", CreateFontW);
    HFONT made =
        real(h, w, esc, orient, weight, italic, underline, strike, charset, precision, clip, quality, pitch, face);
    Made(made, KindFont);
    return made;
}

HBRUSH WINAPI HookCreateSolidBrush(COLORREF colour)
{
    REAL(L"gdi32", CreateSolidBrush);
    HBRUSH made = real(colour);
    Made(made, KindBrush);
    return made;
}

HBRUSH WINAPI HookCreatePatternBrush(HBITMAP bitmap)
{
    REAL(L"gdi32", CreatePatternBrush);
    HBRUSH made = real(bitmap);
    Made(made, KindBrush);
    return made;
}

HPEN WINAPI HookCreatePen(int style, int width, COLORREF colour)
{
    REAL(L"gdi32", CreatePen);
    HPEN made = real(style, width, colour);
    Made(made, KindPen);
    return made;
}

HRGN WINAPI HookCreateRectRgn(int l, int t, int r, int b)
{
    REAL(L"gdi32", CreateRectRgn);
    HRGN made = real(l, t, r, b);
    Made(made, KindRegion);
    return made;
}

HRGN WINAPI HookCreateRectRgnIndirect(const RECT* rect)
{
    REAL(L"gdi32", CreateRectRgnIndirect);
    HRGN made = real(rect);
    Made(made, KindRegion);
    return made;
}

HRGN WINAPI HookCreateRoundRectRgn(int l, int t, int r, int b, int w, int h)
{
    REAL(L"gdi32", CreateRoundRectRgn);
    HRGN made = real(l, t, r, b, w, h);
    Made(made, KindRegion);
    return made;
}

BOOL WINAPI HookDeleteObject(HGDIOBJ object)
{
    REAL(L"gdi32", DeleteObject);
    const BOOL done = real(object);
    if (done)
        Freed(object);
    return done;
}

BOOL WINAPI HookDeleteDC(HDC dc)
{
    REAL(L"gdi32", DeleteDC);
    const BOOL done = real(dc);
    if (done)
        Freed(dc);
    return done;
}

HANDLE WINAPI HookLoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags)
{
    REAL(L"user32", LoadImageW);
    HANDLE made = real(instance, name, type, cx, cy, flags);
    // A shared image belongs to the system: the caller never deletes it.
    if (type == IMAGE_BITMAP && !(flags & LR_SHARED))
        Made(made, KindBitmap);
    return made;
}

HANDLE WINAPI HookCopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags)
{
    REAL(L"user32", CopyImage);
    HANDLE made = real(image, type, cx, cy, flags);
    if (type == IMAGE_BITMAP && made != image)
        Made(made, KindBitmap);
    if (type == IMAGE_BITMAP && made && made != image && (flags & LR_COPYDELETEORG))
        Freed(image);
    return made;
}

BOOL WINAPI HookGetIconInfo(HICON icon, PICONINFO info)
{
    REAL(L"user32", GetIconInfo);
    const BOOL done = real(icon, info);
    if (done && info) {
        Made(info->hbmMask, KindBitmap);
        Made(info->hbmColor, KindBitmap);
    }
    return done;
}

HDC WINAPI HookGetDC(HWND wnd)
{
    REAL(L"user32", GetDC);
    HDC made = real(wnd);
    Made(made, KindWindowDc);
    return made;
}

HDC WINAPI HookGetWindowDC(HWND wnd)
{
    REAL(L"user32", GetWindowDC);
    HDC made = real(wnd);
    Made(made, KindWindowDc);
    return made;
}

HDC WINAPI HookGetDCEx(HWND wnd, HRGN clip, DWORD flags)
{
    REAL(L"user32", GetDCEx);
    HDC made = real(wnd, clip, flags);
    // The system owns a region handed over with these flags once the call succeeds.
    if (made && clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)))
        Freed(clip);
    Made(made, KindWindowDc);
    return made;
}

int WINAPI HookReleaseDC(HWND wnd, HDC dc)
{
    REAL(L"user32", ReleaseDC);
    const int done = real(wnd, dc);
    if (done)
        Freed(dc);
    return done;
}

int WINAPI HookSetWindowRgn(HWND wnd, HRGN region, BOOL redraw)
{
    REAL(L"user32", SetWindowRgn);
    const int done = real(wnd, region, redraw);
    if (done && region)
        Freed(region);  // the system owns it now
    return done;
}

// GDI+ hands out an HBITMAP the caller deletes.
int WINAPI HookGdipCreateHBITMAPFromBitmap(void* bitmap, HBITMAP* out, DWORD background)
{
    using Fn = int(WINAPI*)(void*, HBITMAP*, DWORD);
    static const auto real = Real<Fn>(L"gdiplus", "GdipCreateHBITMAPFromBitmap");
    const int status = real(bitmap, out, background);
    if (status == 0 && out)
        Made(*out, KindBitmap);
    return status;
}

struct Hook {
    const char* dll;
    const char* name;
    void* hook;
};

#define HOOK(dll, name)                                  \
    {                                                    \
        dll, #name, reinterpret_cast<void*>(&Hook##name) \
    }
const Hook kHooks[] = {
    HOOK("gdi32.dll", CreateCompatibleDC),
    HOOK("gdi32.dll", CreateDCW),
    HOOK("gdi32.dll", CreateCompatibleBitmap),
    HOOK("gdi32.dll", CreateBitmap),
    HOOK("gdi32.dll", CreateDIBSection),
    HOOK("gdi32.dll", CreateDIBitmap),
    HOOK("gdi32.dll", CreateFontIndirectW),
    HOOK("gdi32.dll", CreateFontW),
    HOOK("gdi32.dll", CreateSolidBrush),
    HOOK("gdi32.dll", CreatePatternBrush),
    HOOK("gdi32.dll", CreatePen),
    HOOK("gdi32.dll", CreateRectRgn),
    HOOK("gdi32.dll", CreateRectRgnIndirect),
    HOOK("gdi32.dll", CreateRoundRectRgn),
    HOOK("gdi32.dll", DeleteObject),
    HOOK("gdi32.dll", DeleteDC),
    HOOK("user32.dll", LoadImageW),
    HOOK("user32.dll", CopyImage),
    HOOK("user32.dll", GetIconInfo),
    HOOK("user32.dll", GetDC),
    HOOK("user32.dll", GetWindowDC),
    HOOK("user32.dll", GetDCEx),
    HOOK("user32.dll", ReleaseDC),
    HOOK("user32.dll", SetWindowRgn),
    HOOK("gdiplus.dll", GdipCreateHBITMAPFromBitmap),
};

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix)
{
    return text.size() >= prefix.size() && _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// Points the module's import slots for the calls above at the hooks; the number that
// point there now.
int HookModule(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress || !dir.Size)
        return 0;
    int patched = 0;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        const char* dll = reinterpret_cast<const char*>(base + desc->Name);
        if (!desc->OriginalFirstThunk)
            continue;  // no names to go by
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            for (const Hook& hook : kHooks) {
                if (_stricmp(dll, hook.dll) != 0 || std::strcmp(name, hook.name) != 0)
                    continue;
                void** slot = reinterpret_cast<void**>(&slots->u1.Function);
                DWORD was = 0;
                if (*slot == hook.hook) {
                    ++patched;
                    break;
                }
                if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was)) {
                    *slot = hook.hook;
                    VirtualProtect(slot, sizeof *slot, was, &was);
                    ++patched;
                }
                break;
            }
        }
    }
    return patched;
}

}  // namespace

bool StartGdiLedger()
{
    AcquireSRWLockExclusive(&g_lock);
    if (!g_live)
        g_live = new std::unordered_map<void*, Entry>();
    ReleaseSRWLockExclusive(&g_lock);

    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    if (!EnumProcessModules(GetCurrentProcess(), modules.data(), DWORD(modules.size() * sizeof(HMODULE)), &needed))
        return false;
    modules.resize(needed / sizeof(HMODULE));
    int hooked = 0;
    for (HMODULE module : modules) {
        wchar_t path[MAX_PATH] = {};
        if (!GetModuleFileNameW(module, path, MAX_PATH) || StartsWithNoCase(path, windows))
            continue;  // the system's own DLLs keep their calls
        hooked += HookModule(module);
    }
    return hooked > 0;
}

GdiLedgerCounts GdiLedgerLive()
{
    GdiLedgerCounts counts;
    AcquireSRWLockShared(&g_lock);
    if (g_live) {
        for (const auto& entry : *g_live) {
            const Kind kind = entry.second.kind;
            long* field = kind == KindDc         ? &counts.dc
                          : kind == KindWindowDc ? &counts.windowDc
                          : kind == KindBitmap   ? &counts.bitmap
                          : kind == KindFont     ? &counts.font
                          : kind == KindBrush    ? &counts.brush
                          : kind == KindPen      ? &counts.pen
                                                 : &counts.region;
            *field += kind == KindWindowDc ? entry.second.count : 1;
        }
    }
    ReleaseSRWLockShared(&g_lock);
    return counts;
}
