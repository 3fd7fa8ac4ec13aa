#include "engine/lists/SAdapterBase.h"
#include <algorithm>

namespace SOUI {

void SAdapterBase::notifyDataSetChanged()
{
    // An observer may unregister while it is told.
    std::vector<ILvDataSetObserver*> copy = m_observers;
    for (ILvDataSetObserver* o : copy)
        o->onChanged();
}

void SAdapterBase::notifyDataSetInvalidated()
{
    std::vector<ILvDataSetObserver*> copy = m_observers;
    for (ILvDataSetObserver* o : copy)
        o->onInvalidated();
}

void SAdapterBase::registerDataSetObserver(ILvDataSetObserver* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void SAdapterBase::unregisterDataSetObserver(ILvDataSetObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

}  // namespace SOUI
