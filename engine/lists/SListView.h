#pragma once
#include <vector>
#include <pugixml.hpp>
#include "engine/widgets/SWindow.h"
#include "engine/lists/SAdapterBase.h"
#include "engine/lists/SItemPanel.h"
#include "engine/lists/SLvItemLocator.h"

namespace SOUI {

// A vertical list of equal rows fed by an adapter. Only the rows that can be seen have a
// panel; a row that scrolls out gives its panel to the next row that scrolls in.
//
// Layout: <listview sbSkin="..."><template itemHeight="47" colorNormal="#FFFFFF"
//          colorSelected="#e4f0fc" colorHover="#e4f0fc"> row widgets </template></listview>
class SListView : public SWindow, protected ILvDataSetObserver {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SListView, L"listview")
    SListView();
    ~SListView() override;

    // Holds a reference to the adapter; nullptr detaches. Rows, selection and scroll start over.
    void SetAdapter(SAdapterBase* adapter);
    SAdapterBase* GetAdapter() const { return m_adapter; }
    SLvItemLocator* GetItemLocator() { return &m_locator; }
    pugi::xml_node GetTemplate() const { return m_template.first_child(); }

    // -1 when no row is selected.
    int GetSel() const { return m_sel; }
    // index -1 clears the selection; an index outside the rows is ignored.
    void SetSel(int index);
    int GetHoverItem() const { return m_hover; }
    void EnsureVisible(int index);
    int GetScrollPos() const { return m_scrollY; }
    void SetScrollPos(int y);
    // The panel showing row index, nullptr when that row is not on screen.
    SItemPanel* GetItemPanel(int index) const;
    // Number of row panels that exist, on screen or waiting for reuse.
    int GetPanelCount() const { return int(m_panels.size() + m_spare.size()); }

    // Up, Down, Home, End, PageUp, PageDown move the selection; TRUE when the key was used.
    BOOL OnKeyDown(UINT vk) override;
    // Scrolls by the system's wheel lines, one row each; TRUE when the list could scroll.
    BOOL OnMouseWheel(int delta) override;

    BOOL CreateChildren(pugi::xml_node node) override;
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    void OnPaint(IRenderTarget* rt) override;
    SWindow* SwndFromPoint(POINT pt) override;
    void OnLButtonDown(POINT pt) override;
    void OnLButtonUp(POINT pt) override;
    void OnMouseMove(POINT pt) override;
    void SetFocus() override;
    void OnPlacementChanged() override;
    void OnScaleChanged() override;

    // To assistive tools its rows on screen are its items.
    void GetAccChildren(std::vector<SWindow*>& out) const override;
    SWindow* GetAccSelection() const override { return GetItemPanel(m_sel); }

    // For the row panels.
    void OnItemClick(int index);
    void SetHoverItem(int index);
    COLORREF GetRowColor(int index) const;

protected:
    LONG DefaultAccRole() const override;
    void onChanged() override;
    void onInvalidated() override;

private:
    struct ScrollGeometry {
        RECT bar, up, down, track, thumb;
    };
    void UpdatePanels(bool refill);
    void DeleteAllPanels();
    int ViewHeight() const;
    int MaxScroll() const;
    int ScrollBarWidth() const;
    bool ScrollBarShown() const;
    RECT ItemsRect() const;
    ScrollGeometry GetScrollGeometry() const;
    void DrawScrollBar(IRenderTarget* rt);
    void InvalidateItem(int index);

    pugi::xml_document m_template;
    SLvItemLocator m_locator;
    int m_itemHeight = 30;  // the template's, at 96 dpi; the locator holds it scaled
    COLORREF m_crNormal = CR_INVALID, m_crSelected = CR_INVALID, m_crHover = CR_INVALID;
    SAutoRefPtr<SAdapterBase> m_adapter;
    std::vector<SItemPanel*> m_panels;  // on screen, in row order
    std::vector<SItemPanel*> m_spare;   // hidden, waiting for a row
    SAutoRefPtr<ISkinObj> m_sbSkin;
    int m_sel = -1;
    int m_hover = -1;
    int m_scrollY = 0;
    bool m_dragging = false;
    int m_dragOffset = 0;
};

}  // namespace SOUI
