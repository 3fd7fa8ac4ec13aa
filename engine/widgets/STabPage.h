#pragma once
#include "engine/widgets/SWindow.h"

namespace SOUI {

// One page of a tab control; "title" is the text of its tab.
class STabPage : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(STabPage, L"page")
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    const std::wstring& GetTitle() const { return m_title; }

private:
    std::wstring m_title;
};

} // namespace SOUI
