#pragma once
#include <memory>
#include <pugixml.hpp>
#include "engine/widgets/SEdit.h"
#include "engine/lists/SDropDownWnd.h"
#include "extend.ctrls/sdropdownlist.h"
#include "extend.ctrls/searchevents.h"

// A search box: the child edit "edit_input" and, under it, a pop-up list built from the child
// element "popupStyle" (whose "root" must hold a list "lv_dropdown"). Every change of the
// text raises EventFillSearchDropdownList; choosing a row closes the pop-up and raises
// EventDropdownListSelected. The control owns its pop-up: made at the first change of the text,
// hidden when a search ends (a choice, a cancel, a declined fill, the edit losing the keyboard),
// emptied when the next one starts, and freed with the control. So typing refills one pop-up
// instead of building one per character or per search. Attributes: "dropAlign" (0: left edges
// aligned, otherwise right edges; default 1) and "maxDropHeight" (pixels, default 150).
class SSearchDropdownList : public SOUI::SWindow, public SOUI::ISDropDownOwner {
public:
    using Base = SOUI::SWindow;
    SOUI_CLASS_NAME(SSearchDropdownList, L"searchDropdownList")
    SSearchDropdownList();
    // An open pop-up is ended first, as cancelled; then it goes, window and all.
    ~SSearchDropdownList() override;

    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    // FALSE when the children cannot be built or there is no edit "edit_input".
    BOOL CreateChildren(pugi::xml_node node) override;
    // A command of the list "lv_dropdown" closes the pop-up with IDOK and goes no further.
    BOOL FireEvent(SOUI::EventArgs* evt) override;

    SOUI::SWindow* GetDropDownOwner() override { return this; }
    void OnCreateDropDown(SOUI::SDropDownWnd*) override {}
    void OnDestroyDropDown(SOUI::SDropDownWnd* pDropDown) override;

    // An open pop-up sized and placed again for the rows it holds now (their answer came
    // after the keystroke); a closed one stays closed.
    void RefreshDropDown()
    {
        if (IsDroppedDown())
            ShowDropDown();
    }
    // The pop-up shown with the rows it holds now, opened when closed, unless the keyboard left
    // the box's edit since its text last changed (a search whose answer comes after the merchant
    // went elsewhere opens nothing).
    void OpenDropDown();
    // The pop-up, shown or hidden; nullptr until the first change of the text.
    SDropdownList* GetDropdownList() const { return m_pDropDownWnd.get(); }
    // A search's pop-up is on the screen.
    bool IsDroppedDown() const { return m_pDropDownWnd && m_pDropDownWnd->IsDroppedDown(); }
    int GetDropAlign() const { return m_dropAlign; }
    int GetMaxDropHeight() const { return m_maxDropHeight; }

private:
    bool OnEditNotify(SOUI::EventArgs* evt);
    bool OnEditKillFocus(SOUI::EventArgs* evt);
    // The pop-up ready for a search: made when there is none, emptied when none is shown.
    // False when it cannot have a list.
    bool PreparePopup();
    void ShowDropDown();

    std::unique_ptr<SDropdownList> m_pDropDownWnd;
    // The selection event is running, with the click or key that ended the pop-up still on the stack.
    bool m_selecting = false;
    // The edit lost the keyboard after its last change of text.
    bool m_keysLeft = false;
    int m_dropAlign = 1;
    int m_maxDropHeight = 150;
    pugi::xml_document m_popupTemplate;
    SOUI::SEdit* m_pEdit = nullptr;
};
