#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "standinclient.h"

using FieldLog = std::vector<std::pair<std::string, std::wstring>>;

// The stand-in programs the bridge tests run against. Starting and ending a
// Wine process is slow, so both live across tests and are started or ended
// only when a test needs another set of running programs. They start hidden,
// so every window they open is too: nothing to tear down on the X server.
class StandIns {
public:
    // Makes exactly the named programs run, with no issuing window open and
    // empty field logs. False when a program could not be started.
    static bool Require(bool ht, bool bw);

    // The running programs; null when not running.
    static StandInProcess* Ht();
    static StandInProcess* Bw();

    // Ends both; for the end of the run.
    static void StopAll();
};
