#pragma once
#include <windows.h>

#include "options.h"

// Registers the window classes of the issuing windows; call once before CreateIssuingWindow.
bool RegisterIssuingClasses(HINSTANCE instance);

// Builds one issuing window with its whole child tree; null on failure.
HWND CreateIssuingWindow(HINSTANCE instance, const IssuingOptions& options);

// Destroys every issuing window this process made.
void DestroyAllIssuingWindows();

// Ends the message loop when the person closes the last issuing window.
void SetQuitWhenLastClosed(bool quit);
