#pragma once
#include <functional>
#include <string>

// The one front for diagnostics, the program's and the engine's (SLog) alike. Two
// kinds of line: a debug line (detail, may hold a service answer) and a support line
// (an event with no secret), which also goes to the support log (supportlog.h).

// Writes one line to the debugger output (OutputDebugStringW) when something reads
// it (see DebugLineWanted), and to the capture sink when one is installed.
void DebugLine(const std::wstring& line);

// An event for support: a line of the support log when it is open (see supportlog.h), and
// of the debugger output as DebugLine writes it (the capture sink does not see it). The
// line holds no secret: no mobile number, code, user id, tax number or account in full
// (Fingerprint tells two apart).
void SupportLine(const std::wstring& line);

// True when a DebugLine would reach anyone: a debugger is attached, a debug-output
// viewer listens (its DBWIN_BUFFER_READY event exists), a capture sink is installed,
// or Wine prints the debugger output (WINEDEBUG names its channels).
// Callers that build a costly line ask first.
bool DebugLineWanted();

// True when the standard output the C runtime writes to leads somewhere read: a file,
// a pipe or a console. Nothing (a program started from the shell) and the NUL device
// read nothing, and under Wine every write to NUL is a round trip to its server.
bool StdoutTraceWanted();

// Installs a sink that sees every DebugLine (tests); an empty function removes it.
// Returns the previous sink.
using DebugSink = std::function<void(const std::wstring&)>;
DebugSink SetDebugSink(DebugSink sink);
