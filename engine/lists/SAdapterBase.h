#pragma once
#include <vector>
#include <pugixml.hpp>
#include "engine/core/SObjRef.h"

namespace SOUI {

class SWindow;

// Told by an adapter when its rows change.
struct ILvDataSetObserver {
    virtual void onChanged() = 0;
    virtual void onInvalidated() = 0;

protected:
    ~ILvDataSetObserver() = default;
};

// Feeds a list view: the row count and the filling of one row panel from the item template.
// Row panels are reused as rows scroll in and out, so getView runs again on a panel that was
// filled before: build the children only when the panel has none, and subscribe handlers with
// an owner so that a second subscription can replace the first (see unsubscribeEvent).
class SAdapterBase : public TObjRefImpl<IObjRef> {
public:
    virtual int getCount() = 0;
    virtual void getView(int position, SWindow* pItem, pugi::xml_node xmlTemplate) = 0;

    // Rows were added, removed or changed: the list refills every row it shows.
    void notifyDataSetChanged();
    // The data is gone; the list shows nothing until the next change.
    void notifyDataSetInvalidated();
    void registerDataSetObserver(ILvDataSetObserver* observer);
    void unregisterDataSetObserver(ILvDataSetObserver* observer);

protected:
    ~SAdapterBase() override = default;

private:
    std::vector<ILvDataSetObserver*> m_observers;
};

}  // namespace SOUI
