#include "engine/host/SMessageBoxWnd.h"
#include "engine/core/SDebug.h"
#include "engine/widgets/SImageWnd.h"
#include "engine/widgets/STabCtrl.h"

namespace SOUI {

namespace {
struct ButtonSet {
    UINT type;
    int count;
    int ids[3];
};
const ButtonSet kButtonSets[] = {
    {MB_OK, 1, {IDOK, 0, 0}},
    {MB_OKCANCEL, 2, {IDOK, IDCANCEL, 0}},
    {MB_ABORTRETRYIGNORE, 3, {IDABORT, IDRETRY, IDIGNORE}},
    {MB_YESNOCANCEL, 3, {IDYES, IDNO, IDCANCEL}},
    {MB_YESNO, 2, {IDYES, IDNO, 0}},
    {MB_RETRYCANCEL, 2, {IDRETRY, IDCANCEL, 0}},
};

const wchar_t* ButtonText(int id)
{
    switch (id) {
    case IDOK:
        return L"确定";
    case IDCANCEL:
        return L"取消";
    case IDABORT:
        return L"中止";
    case IDRETRY:
        return L"重试";
    case IDIGNORE:
        return L"忽略";
    case IDYES:
        return L"是";
    case IDNO:
        return L"否";
    default:
        return L"";
    }
}

// Skin state of "msgicon": information, question, warning, error; -1 hides it.
int IconIndex(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONINFORMATION:
        return 0;
    case MB_ICONQUESTION:
        return 1;
    case MB_ICONWARNING:
        return 2;
    case MB_ICONERROR:
        return 3;
    default:
        return -1;
    }
}

// What the icon says, for those who do not see it; the same order.
const wchar_t* const kIconNames[4] = {L"信息", L"询问", L"警告", L"错误"};

const wchar_t* const kButtonNames[3] = {L"button1st", L"button2nd", L"button3rd"};
}  // namespace

SMessageBoxWnd::SMessageBoxWnd(pugi::xml_node layout, const wchar_t* text, const wchar_t* caption, UINT type)
    : m_text(text ? text : L""), m_caption(caption ? caption : L""), m_type(type)
{
    SetLayoutXml(layout);
    for (const auto& set : kButtonSets)
        if (set.type == (type & MB_TYPEMASK)) {
            m_count = set.count;
            for (int i = 0; i < 3; ++i)
                m_ids[i] = set.ids[i];
        }
}

void SMessageBoxWnd::Setup()
{
    ::SetWindowTextW(m_hWnd, m_caption.c_str());
    if (SWindow* w = FindChildByName(L"msgtitle"))
        w->SetWindowTextW(m_caption);
    if (SWindow* w = FindChildByName(L"msgtext"))
        w->SetWindowTextW(m_text);
    if (SWindow* w = FindChildByName(L"msgicon")) {
        int idx = IconIndex(m_type);
        w->SetVisible(idx >= 0, TRUE);
        if (auto* img = dynamic_cast<SImageWnd*>(w); img && idx >= 0)
            img->SetIcon(idx);
        if (idx >= 0)
            w->SetAttribute(L"accName", kIconNames[idx], FALSE);
    }
    SWindow* scope = GetRoot();
    if (auto* sw = FindChildByName2<STabCtrl>(L"btnSwitch")) {
        if (!sw->SetCurSel(m_count - 1))
            SLog(L"message box template: btnSwitch has no page for " + std::to_wstring(m_count) + L" buttons");
        if (SWindow* page = sw->GetItem(sw->GetCurSel()))
            scope = page;
    }
    SWindow* buttons[3] = {};
    for (int i = 0; i < 3 && scope; ++i) {
        SWindow* b = scope->FindChildByName(kButtonNames[i]);
        if (!b)
            continue;
        b->SetVisible(i < m_count, TRUE);
        if (i < m_count) {
            b->SetWindowTextW(ButtonText(m_ids[i]));
            buttons[i] = b;
        }
    }
    // As the system's box: MB_DEFBUTTONn picks the default, which starts with the keyboard;
    // Escape is Cancel, or the only button, and does nothing when neither is there.
    int def = int((m_type & MB_DEFMASK) >> 8);
    if (def >= m_count)
        def = 0;
    SWindow* cancel = m_count == 1 ? buttons[0] : nullptr;
    for (int i = 0; i < m_count; ++i)
        if (m_ids[i] == IDCANCEL)
            cancel = buttons[i];
    SetDefaultButton(buttons[def]);
    SetCancelButton(cancel);
    if (buttons[def])
        SetFocusedWidget(buttons[def]);
    if (m_type & MB_SYSTEMMODAL)
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

BOOL SMessageBoxWnd::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& lResult)
{
    if (msg == WM_INITDIALOG) {
        Setup();
        lResult = 0;
        return TRUE;
    }
    return FALSE;
}

bool SMessageBoxWnd::OnEvent(EventArgs* evt)
{
    if (evt->GetID() == EVT_CMD) {
        for (int i = 0; i < m_count; ++i)
            if (evt->nameFrom == kButtonNames[i]) {
                EndDialog(m_ids[i]);
                return true;
            }
        if (evt->nameFrom == L"btn_close") {
            EndDialog(IDCANCEL);
            return true;
        }
    }
    return Base::OnEvent(evt);
}

}  // namespace SOUI
