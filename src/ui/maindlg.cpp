#include "ui/maindlg.h"

CMainDlg::CMainDlg() : SOUI::SHostWnd(L"LAYOUT:XML_MAINWND") {}
