#include "engine/lists/SLvItemLocator.h"

namespace SOUI {

int SLvItemLocator::Position2Item(int y) const
{
    if (y < 0)
        return -1;
    int index = y / m_height;
    return index < m_count ? index : -1;
}

}  // namespace SOUI
