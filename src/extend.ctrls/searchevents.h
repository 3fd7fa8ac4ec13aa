#pragma once
#include <string>
#include "engine/core/EventArgs.h"

class SDropdownList;

// Raised by the search control on every change of its edit's text. The handler fills the
// list "lv_dropdown" of pDropdownList and sets bPopup to have it shown; left false, the
// pop-up closes.
class EventFillSearchDropdownList : public SOUI::TplEventArgs<EventFillSearchDropdownList> {
public:
    enum { EventID = 10030000 };
    static const wchar_t* EventName() { return L"on_fill_search_dropdown_list"; }
    explicit EventFillSearchDropdownList(SOUI::SObject* pSender) : TplEventArgs(pSender) {}

    std::wstring strKey;
    SDropdownList* pDropdownList = nullptr;
    bool bPopup = false;
};

// Raised by the search control when its pop-up closes with a choice (Enter, or a click on a
// row); nSelIndex is the list's selection, -1 when none. The pop-up is being destroyed.
class EventDropdownListSelected : public SOUI::TplEventArgs<EventDropdownListSelected> {
public:
    enum { EventID = 10030001 };
    static const wchar_t* EventName() { return L"on_dropdown_list_selected"; }
    explicit EventDropdownListSelected(SOUI::SObject* pSender) : TplEventArgs(pSender) {}

    SDropdownList* pDropdownList = nullptr;
    int nSelIndex = -1;
};
