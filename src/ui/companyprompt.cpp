#include "ui/companyprompt.h"

#include "ui/inputdlg.h"

bool AskCompanyWithInputDlg(HWND owner, std::wstring& name, std::wstring& taxCode)
{
    CInputDlg dlg;
    dlg.DoModal(owner);
    if (dlg.Result() != 0)
        return false;
    name = dlg.CompanyName();
    taxCode = dlg.TaxCode();
    return true;
}
