#include "bridge/windowtree.h"

HWND ChildAt(HWND parent, int position)
{
    // GetTopWindow(null) would answer with a top-level window.
    if (!parent || position < 1)
        return nullptr;
    HWND child = GetTopWindow(parent);
    for (int i = 1; child && i < position; ++i)
        child = GetWindow(child, GW_HWNDNEXT);
    return child;
}

HWND WalkChildPath(HWND root, std::initializer_list<int> positions)
{
    HWND current = root;
    for (int position : positions) {
        current = ChildAt(current, position);
        if (!current)
            return nullptr;
    }
    return current;
}

std::vector<HWND> FirstChildren(HWND parent, int count)
{
    std::vector<HWND> children(count > 0 ? static_cast<size_t>(count) : 0, nullptr);
    HWND child = parent ? GetTopWindow(parent) : nullptr;
    for (size_t i = 0; child && i < children.size(); ++i) {
        children[i] = child;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    return children;
}
