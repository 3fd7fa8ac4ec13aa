#include "bridge/targets.h"

#include "bridge/invoicingnames.h"
#include "bridge/processes.h"
#include "bridge/titlesearch.h"
#include "bridge/windowtree.h"

namespace {

HWND FindBwIssuingWindow()
{
    return FindTopWindowByTitleParts(kBwSpecialPhrase, kBwOrdinaryPhrase);
}

// The node whose children #2 and #3 are the seller and buyer blocks.
HWND FindBwPartiesNode()
{
    return WalkChildPath(FindBwIssuingWindow(), {1, 1, 4, 1, 2});
}

}  // namespace

HWND FindHtIssuingWindow()
{
    HWND window = FindWindowW(nullptr, kHtOrdinaryTitle);
    return window ? window : FindWindowW(nullptr, kHtSpecialTitle);
}

bool IsIssuingWindowOpen()
{
    if (IsProcessRunning(kHtProcessName))
        return FindHtIssuingWindow() != nullptr;
    return FindBwIssuingWindow() != nullptr;
}

HWND FindHtFillTarget()
{
    if (!IsProcessRunning(kHtProcessName))
        return nullptr;
    HWND issuing = FindHtIssuingWindow();
    if (!issuing)
        return nullptr;
    HWND anchor = FindWindowExW(issuing, nullptr, nullptr, kHtAnchorName);
    return WalkChildPath(anchor, {1, 1});
}

HWND FindBwFillTarget()
{
    return ChildAt(FindBwPartiesNode(), 3);
}

HWND FindBwSellerTarget()
{
    return ChildAt(FindBwPartiesNode(), 2);
}
