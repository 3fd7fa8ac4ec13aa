#pragma once
#include <pugixml.hpp>
#include "engine/widgets/SEdit.h"
#include "engine/lists/SDropDownWnd.h"
#include "extend.ctrls/sdropdownlist.h"
#include "extend.ctrls/searchevents.h"

// A search box: the child edit "edit_input" and, under it, a pop-up list built from the child
// element "popupStyle" (whose "root" must hold a list "lv_dropdown"). Every change of the
// text raises EventFillSearchDropdownList; choosing a row closes the pop-up and raises
// EventDropdownListSelected. A declined fill hides the pop-up and keeps it for the next
// change; a search that ends (a choice, a cancel, the edit losing the keyboard) hides it too,
// and the next search starts on it emptied. So typing refills one pop-up, made once for the
// control, instead of building one per character or per search. Attributes: "dropAlign" (0:
// left edges aligned, otherwise right edges; default 1) and "maxDropHeight" (pixels, default 150).
class SSearchDropdownList : public SOUI::SWindow, public SOUI::ISDropDownOwner {
public:
    using Base = SOUI::SWindow;
    SOUI_CLASS_NAME(SSearchDropdownList, L"searchDropdownList")
    SSearchDropdownList();
    // An open pop-up is closed first, as cancelled; the hidden one goes with it.
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
    void RefreshDropDown() { if (m_pDropDownWnd) ShowDropDown(); }
    // nullptr while no pop-up is open (a hidden, kept one does not count).
    SDropdownList* GetDropDownWnd() const { return m_pDropDownWnd; }
    int GetDropAlign() const { return m_dropAlign; }
    int GetMaxDropHeight() const { return m_maxDropHeight; }

private:
    bool OnEditNotify(SOUI::EventArgs* evt);
    bool OnEditKillFocus(SOUI::EventArgs* evt);
    void ShowDropDown();

    SDropdownList* m_pDropDownWnd = nullptr;
    // The hidden pop-up (a declined fill's, or an ended search's); the next change fills it.
    SDropdownList* m_pSpare = nullptr;
    int m_dropAlign = 1;
    int m_maxDropHeight = 150;
    pugi::xml_document m_popupTemplate;
    SOUI::SEdit* m_pEdit = nullptr;
};
