#pragma once
// The GDI objects the process makes through its own code, counted where they are made:
// the GDI calls that create or free one (gdi32, and the user32 and GDI+ calls that hand
// out a GDI handle) are caught in the import tables of every module outside the system
// folder (the test, the program's code linked into it, the plug-in DLLs). Wine 8 answers
// GetGuiResources(GR_GDIOBJECTS) with 0; this count works there and on Windows alike.
// Objects the system makes for itself (inside user32, comctl32) are not in it.

struct GdiLedgerCounts {
    long dc = 0;        // memory and device DCs (CreateCompatibleDC, CreateDC)
    long windowDc = 0;  // GetDC, GetWindowDC, GetDCEx not yet released
    long bitmap = 0, font = 0, brush = 0, pen = 0, region = 0;
    long Total() const { return dc + windowDc + bitmap + font + brush + pen + region; }
};

// Starts counting in the modules loaded now; call again after loading more. Objects
// made before a module was hooked are not counted (freeing one is ignored). False when
// no import could be hooked.
bool StartGdiLedger();

// The objects made since the ledger started and not freed yet, by kind.
GdiLedgerCounts GdiLedgerLive();
