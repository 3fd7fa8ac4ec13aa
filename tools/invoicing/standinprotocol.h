#pragma once
// How tests and the demo talk to a running stand-in; header-only so a test can share it.
#include <windows.h>

#include <string>

constexpr wchar_t kControlClass[] = L"LumoraInvoicingStandIn";
constexpr ULONG_PTR kCommandData = 0x4C4D;  // WM_COPYDATA tag of a text command
constexpr UINT kHangMessage = WM_APP + 1;   // sent; wParam: milliseconds without answering

inline std::wstring ControlWindowName(DWORD processId)
{
    return L"LumoraInvoicingStandIn:" + std::to_wstring(processId);
}
