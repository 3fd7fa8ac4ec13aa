#pragma once
#include <windows.h>
#include <pugixml.hpp>

namespace SOUI {

// Installs the layout message boxes are built from (its root element, "SOUI"); an empty node
// removes it. The layout holds "msgtitle", "msgtext", "msgicon" (an img whose skin states are
// information, question, warning, error), "btnSwitch" (a tabctrl whose pages 0, 1, 2 hold one,
// two and three buttons named "button1st", "button2nd", "button3rd") and a close button named
// "btn_close" or "IDCANCEL".
BOOL SetMsgTemplate(pugi::xml_node soui);

// Modal message box with MessageBoxW's types and answers (IDOK, IDCANCEL, IDYES, ...). Without a
// template, or when the template cannot be shown, it is MessageBoxW itself.
int SMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

}  // namespace SOUI
