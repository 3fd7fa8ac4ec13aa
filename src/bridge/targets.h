#pragma once
#include <windows.h>

// Every call searches anew: the invoicing program's windows come and go.

// True when an issuing window of the running variant is open. While the HT
// program runs only its exact titles count, never the BW phrases.
bool IsIssuingWindowOpen();

// The top-level window titled as an HT issuing window (ordinary first, then special),
// whichever program owns it; null when there is none.
HWND FindHtIssuingWindow();

// HT issuing window > child named "FPtiankai_new" > first child > first child; null when missing.
HWND FindHtFillTarget();

// BW issuing window > #1 > #1 > #4 > #1 > #2 > #3; null when missing.
HWND FindBwFillTarget();

// The same walk as FindBwFillTarget, ending at #2 instead of #3.
HWND FindBwSellerTarget();
