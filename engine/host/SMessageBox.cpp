#include "engine/host/SMessageBox.h"
#include "engine/host/SMessageBoxWnd.h"

namespace SOUI {

namespace {
pugi::xml_document& Template()
{
    static pugi::xml_document doc;
    return doc;
}
}  // namespace

BOOL SetMsgTemplate(pugi::xml_node soui)
{
    Template().reset();
    if (!soui)
        return FALSE;
    Template().append_copy(soui);
    return TRUE;
}

int SMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    pugi::xml_node tpl = Template().first_child();
    if (tpl) {
        SMessageBoxWnd box(tpl, text, caption, type);
        INT_PTR r = box.DoModal(owner);
        if (r != -1)
            return int(r);
    }
    return MessageBoxW(owner, text, caption, type);
}

}  // namespace SOUI
