#pragma once
#include "engine/SHostWnd.h"

// The main window: the narrow always-on-top panel built from "LAYOUT:XML_MAINWND".
// Its layout's window type ends the UI loop when the window is destroyed.
class CMainDlg : public SOUI::SHostWnd {
public:
    CMainDlg();
};
