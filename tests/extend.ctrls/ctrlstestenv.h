#pragma once
#include <functional>
#include <string>
#include <vector>
#include "engine/SEngine.h"
#include "logcapture.h"

// The engine set up once per test program as start-up does (plug-ins, application object,
// in-memory resources, the custom classes), and helpers that run the message loop through the
// application's message filters, as the program's loop does.
namespace ctrlstest {

SOUI::SEngine& Engine();
SOUI::SResProviderMem* Mem();
// Pumps until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);
void PumpFor(int ms);

// A 24-bit BMP file of w x h pixels whose every pixel is (b, g, r); decoded it has no alpha.
std::string SolidBmp(int w, int h, BYTE b, BYTE g, BYTE r);
// Bytes of a file below the source tree, "" when it cannot be read.
std::string SourceFile(const std::wstring& relative);

// The engine tests' collector of diagnostic lines, the same for the custom controls.
using enginetest::LogCapture;

}  // namespace ctrlstest
