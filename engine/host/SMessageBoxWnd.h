#pragma once
#include <string>
#include "engine/host/SHostDialog.h"

namespace SOUI {

// The dialog behind SMessageBox.
class SMessageBoxWnd : public SHostDialog {
public:
    using Base = SHostDialog;
    SOUI_CLASS_NAME(SMessageBoxWnd, L"messagebox")
    SMessageBoxWnd(pugi::xml_node layout, const wchar_t* text, const wchar_t* caption, UINT type);
    bool OnEvent(EventArgs* evt) override;
    BOOL ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& lResult) override;

private:
    void Setup();
    std::wstring m_text, m_caption;
    UINT m_type;
    int m_ids[3] = {IDOK, 0, 0};
    int m_count = 1;
};

}  // namespace SOUI
