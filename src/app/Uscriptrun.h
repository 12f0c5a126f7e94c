// Running a script switch: the request goes to the running instance when
// there is one (it owns the adapter), else this process does the work on
// its own. The reply is written to the standard handles the program was
// started with, when there are any, and to the debug log.
#pragma once

#include <windows.h>

#include <string>

#include "app/Uscript.h"

class CNICAdapter;

namespace script {

// The whole switch; the exit code of the program.
int Run(const Request& request);

// Served here, without a running instance, on a thread of its own within
// the instance's bounds (kConnectWaitMs for /Connect, 60 s otherwise). A
// request still running then fails with kExitFailed and is left running;
// left (may be null) then receives a handle of its thread, else null.
// An export or import is refused with kExitManaged while Windows' wireless
// management has the adapter present, unless askManaged is false (the
// instance has asked its own adapter).
Reply RunHere(const Request& request, HANDLE* left = nullptr, bool askManaged = true);

// Sends the request to the running instance through its pipe and waits for
// its reply; kExitNoAnswer when no pipe of this program takes it within
// waitMs, or another program holds the pipe.
Reply SendToInstance(const Request& request, DWORD waitMs);

// The file of an export or import, checked before the library sees it: a
// reply with kExitOk, or the failure to report. An import needs an existing
// file; an export a folder that exists and a name that is not a folder.
Reply CheckFile(const Request& request);

// What /Status prints of an adapter: its latest sample, and the name of
// the profile it applies (empty: none or unknown).
StatusInfo StatusOf(CNICAdapter& adapter, const std::string& profile);

// The failure of a /Connect whose profile the library did not take.
std::string RefusedText(const std::string& storedName);

// UTF-8 text to a standard handle: a console gets it as characters
// (WriteConsoleW), a file or a pipe as the UTF-8 bytes, no byte-order mark.
void WriteText(HANDLE handle, const std::string& text);

// Writes the reply's texts to the standard output and error handles (when
// valid) and its error lines to the debug log.
void WriteReply(const Reply& reply);

}  // namespace script
