#pragma once
#include "engine/widgets/SWindow.h"

namespace SOUI {

class SListView;

// One row of a list view: the root the adapter fills from the item template. Not a child in
// the list's tree (the list places, paints and recycles it) but its parent for events, so a
// row button's command bubbles through the list to the list's owner.
class SItemPanel : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SItemPanel, L"itempanel")
    explicit SItemPanel(SListView* list);

    int GetItemIndex() const { return m_index; }
    void SetItemIndex(int index) { m_index = index; }
    SListView* GetListView() const { return m_list; }

    // Takes the item template's own attributes (they belong to the list) without complaint.
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    // Buttons, check boxes and edits in the row take their own clicks; anything else is the
    // row's, which is how a click on a row's text selects the row.
    SWindow* SwndFromPoint(POINT pt) override;
    void OnLButtonDown(POINT pt) override;
    void OnLButtonUp(POINT pt) override;
    void OnMouseLeave() override;
    void OnPaint(IRenderTarget* rt) override;

    // A list item named by its first text (a company name), selected with the list's
    // selection; its default action is a click on the row.
    DWORD GetAccState() const override;
    std::wstring GetAccDefaultAction() const override;
    void DoAccDefaultAction() override;
    bool AccTakeSelection() override;

protected:
    LONG DefaultAccRole() const override;
    std::wstring DefaultAccName() const override;

private:
    SListView* m_list;
    int m_index = -1;
};

}  // namespace SOUI
