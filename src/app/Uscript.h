// The switches for scripts (/Connect, /Disconnect, /Status, /Export,
// /Import): what the command line asks for, the exit codes, the texts that
// go to standard output, and the request and reply that travel to a
// running instance through its named pipe. Plain logic, no window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace script {

enum class Command { None, Connect, Disconnect, Status, Export, Import };

// Exit codes of the program when it ran a script switch.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,     // the adapter or the library refused the operation
  kExitUsage = 2,      // unknown combination or a missing argument
  kExitNoAdapter = 3,  // no supported adapter is present
  kExitNoProfile = 4,  // no stored profile has that name
  kExitFile = 5,       // the file is missing or cannot be read or written
  kExitNoAnswer = 6,   // a running instance did not answer
  kExitNoLibrary = 7,  // the vendor library could not be loaded
  kExitManaged = 8,    // Windows' wireless management controls the adapter
  kExitBusy = 9,       // the user is editing a profile in the running instance
};

struct Request {
  Command Cmd = Command::None;
  std::string Name;  // /Connect NAME, /Export FILE NAME (empty: all)
  std::string File;  // /Export and /Import
};

// What a script switch produced: the exit code and the texts for standard
// output and standard error (lines ending in CR LF).
struct Reply {
  int Code = kExitOk;
  std::string Out;
  std::string Err;
};

// Longest name and path a request may carry (the profile record's name
// field, and a Windows path).
// The name is counted in bytes of store text, the path in UTF-16 units; as
// UTF-8 each takes at most three bytes a unit.
constexpr size_t kMaxName = 64;
constexpr size_t kMaxPath = MAX_PATH - 1;
constexpr size_t kMaxNameUtf8 = 3 * kMaxName;
constexpr size_t kMaxPathUtf8 = 3 * kMaxPath;
bool NameFits(const std::string& name);
bool PathFits(const std::string& path);

// The script switch of the command line, with its arguments. Switches match
// as the others do: whole argument, any letter case. False when there is
// none (request untouched); true otherwise, with usage empty when the
// request is complete, else a message saying what is wrong.
bool ParseCommandLine(int argc, const char* const* argv, Request& request, std::string& usage);

// The switch's literal ("/Connect", ...); empty for None.
const char* CommandName(Command cmd);

// The position of name among names (UTF-8): the first exact match, else the
// first that differs only in letter case (SameName); -1 when none.
int MatchName(const std::vector<std::string>& names, const std::string& name);

// A reply with one error line and its code.
Reply Failure(int code, const std::string& message);

// Messages shared by the instance and a process that works on its own.
// Names and files in them are UTF-8; their control characters show as \xNN.
constexpr const char* kTextNoAdapter = "No supported wireless adapter is present.";
constexpr const char* kTextManaged =
    "Windows' wireless management controls the adapter; nothing was changed.";
constexpr const char* kTextBusy =
    "The user is editing a profile in the utility's window; nothing was changed.";
constexpr const char* kTextPathTooLong = "The file name is too long.";
std::string ConnectingText(const std::string& storedName);
std::string NoProfileText(const std::string& name);
std::string ExportedText(int count, const std::string& file);
std::string ImportedText(int count, const std::string& file);
// An import of which part was not taken (exit code kExitFailed).
std::string ImportPartlyText(int count, int refused, const std::string& file);
std::string NotExportText(const std::string& file);

// ---- the exchange with a running instance --------------------------------------
// The tag that requests once carried in WM_COPYDATA: such a message is now
// only logged and ignored, since its sender cannot be told.
constexpr ULONG_PTR kRequestTag = 0x57555331;  // "WUS1"
// How long the instance waits for the adapter to take a profile, and how
// much longer the script waits for that reply.
constexpr DWORD kConnectWaitMs = 30000;
constexpr DWORD kConnectReplyMarginMs = 15000;
// The largest request the instance reads (a whole one is far smaller), and
// the largest reply a script takes.
constexpr size_t kMaxRequestBytes = 4096;
constexpr size_t kMaxReplyBytes = 1 << 20;

// The pipe of the instance of a profile root for one user (the text form
// of the SID) in one session: \\.\pipe\ followed by the root
// (letters, digits, '.', '-' and '_' as they are, every other byte as
// %XX, a long root cut and followed by a hash of the whole), the SID and
// the session (a long SID cut and hashed as well). Never longer than a
// pipe name may be.
std::string PipeName(const std::string& profRoot, const std::string& userSid, DWORD session);

std::string EncodeRequest(const Request& request);
// Strict: any other size, count of fields, command or length is refused.
bool DecodeRequest(const void* data, size_t size, Request& request);
std::string EncodeReply(const Reply& reply);
bool DecodeReply(const void* data, size_t size, Reply& reply);

// ---- the status lines --------------------------------------------------------------
struct StatusInfo {
  std::string Adapter;
  bool Managed = false;  // Windows' wireless management has the adapter
  bool Connected = false;
  std::string Profile;       // UTF-8
  std::string Network;       // as shown (SsidDisplay)
  std::string NetworkBytes;  // the raw name, for comparisons
  int32_t SignalDbm = 0;
  std::string Ip;
};
// "adapter: ...", "state: ...", "profile: ...", "network: ...",
// "signal: ...", "ip: ..." lines; values that do not apply stay empty.
// Control characters in values show as \xNN: one line each.
std::string FormatStatus(const StatusInfo& info);

}  // namespace script
