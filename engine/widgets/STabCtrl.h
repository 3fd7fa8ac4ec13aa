#pragma once
#include "engine/widgets/STabPage.h"

namespace SOUI {

// Pages of which one shows at a time, under a row of tabs "tabHeight" high (0: no tabs).
class STabCtrl : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(STabCtrl, L"tabctrl")
    STabCtrl();
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    void OnInitFinished(pugi::xml_node node) override;
    void UpdateChildrenPosition() override;
    void OnPaint(IRenderTarget* rt) override;
    void OnLButtonDown(POINT pt) override;
    void OnMouseMove(POINT pt) override;
    void OnMouseLeave() override;

    int GetItemCount() const;
    STabPage* GetItem(int index) const;
    int GetCurSel() const { return m_curSel; }
    // Shows page index and raises EventTabSelChanged; false when out of range.
    BOOL SetCurSel(int index);
    // Without tabs (tabHeight 0) the control and its pages are plain containers to assistive
    // tools; with them, a page tab list whose pages are its tabs.
    bool HasTabs() const { return m_tabHeight > 0; }
    RECT TabRect(int index) const;
    // -1 when page is not one of this control's.
    int IndexOf(const STabPage* page) const;
    void GetAccChildren(std::vector<SWindow*>& out) const override;

protected:
    LONG DefaultAccRole() const override;

private:
    int TabFromPoint(POINT pt) const;

    int m_curSel = 0;
    int m_hoverTab = -1;
    int m_tabHeight = 0;
    int m_tabWidth = 0;
    SAutoRefPtr<ISkinObj> m_tabSkin;
};

}  // namespace SOUI
