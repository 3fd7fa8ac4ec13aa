#pragma once

namespace SOUI {

// Where the rows of a list view lie when every row has the same height.
class SLvItemLocator {
public:
    void SetItemHeight(int height) { m_height = height > 0 ? height : 1; }
    int GetItemHeight() const { return m_height; }
    void SetCount(int count) { m_count = count > 0 ? count : 0; }
    int GetCount() const { return m_count; }
    // Height of all rows together.
    int GetTotalHeight() const { return m_count * m_height; }
    // Top of a row, measured from the top of the first.
    int Item2Position(int index) const { return index * m_height; }
    // The row at a distance from the top of the first; -1 outside the rows.
    int Position2Item(int y) const;

private:
    int m_height = 30;
    int m_count = 0;
};

}  // namespace SOUI
