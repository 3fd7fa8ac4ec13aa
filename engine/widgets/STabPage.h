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

    // As the tab of a tab control that shows tabs.
    DWORD GetAccState() const override;
    RECT GetAccScreenRect() const override;
    std::wstring GetAccDefaultAction() const override;
    void DoAccDefaultAction() override;
    bool AccTakeSelection() override;
    void GetAccChildren(std::vector<SWindow*>& out) const override;

protected:
    LONG DefaultAccRole() const override;
    std::wstring DefaultAccName() const override { return m_title; }

private:
    // The tab control this page is a tab of; nullptr when it shows no tabs.
    class STabCtrl* TabOwner() const;
    std::wstring m_title;
};

}  // namespace SOUI
