#pragma once
#include <pugixml.hpp>
#include "engine/lists/SDropDownWnd.h"
#include "engine/lists/SListView.h"

// What a drop-down with a list offers the control that opens it.
struct IDropdownList {
    // FALSE when the native window cannot be made; an empty node leaves the pop-up empty.
    virtual BOOL CreateFromTemplate(pugi::xml_node node) = 0;
    // The owner's width, and the total height of the list's rows + a pixel of border above and below.
    virtual SIZE GetDropSize() = 0;

protected:
    ~IDropdownList() = default;
};

// The pop-up of the search control: a drop-down window whose tree holds the list
// "lv_dropdown". While it is dropped down, Up, Down, Enter, Escape (down and up) and the wheel
// are taken from whichever window they were meant for and sent to the pop-up, so the edit keeps
// the focus and the typing.
class SDropdownList : public SOUI::SDropDownWnd, public IDropdownList {
public:
    using Base = SOUI::SDropDownWnd;
    explicit SDropdownList(SOUI::ISDropDownOwner* owner);

    BOOL CreateFromTemplate(pugi::xml_node node) override;
    SIZE GetDropSize() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // The list without an adapter, as a new pop-up's: no rows or choice of an earlier search.
    void EmptyList();

    // The list's selection; -1 when nothing is selected or there is no list.
    int GetCurSel() const;
    // nullptr when the template had no list "lv_dropdown".
    SOUI::SListView* GetListView() const { return m_pListView; }

private:
    SOUI::SListView* m_pListView = nullptr;
};
