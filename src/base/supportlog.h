#pragma once
#include <cstddef>
#include <string>

// The support log: one line per event in `folder`\moravel.log, for support to read on a
// merchant's PC. At about `maxBytes` the file becomes moravel.1.log (and that one
// moravel.2.log); three files are kept. Lines are UTF-8 with a local time stamp.
// Nothing here ever fails the program: a folder that cannot be made or a write that is
// refused (full disk, read-only folder) stops the log for the rest of the run.
// Callers put no secret in a line; as a second guard every word of six or more letters
// and digits holding four digits or more is written as a short fingerprint instead.

// Opens the log (making the folder); false when it cannot be written. Again: reopened there.
bool OpenSupportLog(const std::wstring& folder, size_t maxBytes = 1024 * 1024);
void CloseSupportLog();
// Whether lines still reach a file (opened and not stopped by a failure).
bool SupportLogWriting();

// A line as it is written: long number-like words replaced by "#" and a fingerprint.
std::wstring MaskForSupportLog(const std::wstring& line);
// Writes one line when the log is open (any thread); SupportLine (log.h) is the front.
void WriteSupportLine(const std::wstring& line);
// A fingerprint of a value (four hex digits), to tell two values apart in a line.
std::wstring Fingerprint(const std::wstring& value);
