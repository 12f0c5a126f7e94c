#include "app/Uscript.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "config/Uunicode.h"

namespace script {

namespace {

struct Literal {
  const char* Text;
  Command Cmd;
};
constexpr Literal kCommands[] = {{"/Connect", Command::Connect},
                                 {"/Disconnect", Command::Disconnect},
                                 {"/Status", Command::Status},
                                 {"/Export", Command::Export},
                                 {"/Import", Command::Import}};
// The other switches: never taken as a name or a file.
constexpr const char* kOtherSwitches[] = {"/Close", "/Service", "/UI", "/TrayIcon"};

Command CommandOf(const char* arg) {
  for (const Literal& l : kCommands)
    if (_stricmp(arg, l.Text) == 0) return l.Cmd;
  return Command::None;
}

bool IsSwitch(const char* arg) {
  if (CommandOf(arg) != Command::None) return true;
  for (const char* s : kOtherSwitches)
    if (_stricmp(arg, s) == 0) return true;
  return false;
}

const char* Arg(int argc, const char* const* argv, int i) {
  return i < argc && argv && argv[i] ? argv[i] : nullptr;
}

// The fields of a message: zero-terminated texts one after the other, the
// last one terminated too.
std::string Join(const std::vector<std::string>& fields) {
  std::string out;
  for (const std::string& f : fields) {
    out += f;
    out += '\0';
  }
  return out;
}

bool Split(const void* data, size_t size, size_t count, std::vector<std::string>& fields) {
  if (!data || size == 0 || size > 4 * 65536) return false;
  const char* p = static_cast<const char*>(data);
  if (p[size - 1] != '\0') return false;
  fields.clear();
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (p[i] != '\0') continue;
    fields.emplace_back(p + start, i - start);
    start = i + 1;
  }
  return fields.size() == count;
}

const char kRequestMagic[] = "WUS1";
const char kReplyMagic[] = "WUR1";

}  // namespace

const char* CommandName(Command cmd) {
  for (const Literal& l : kCommands)
    if (l.Cmd == cmd) return l.Text;
  return "";
}

bool ParseCommandLine(int argc, const char* const* argv, Request& request, std::string& usage) {
  Request found;
  usage.clear();
  auto fail = [&](const std::string& text) {
    if (usage.empty()) usage = text;
  };
  for (int i = 1; i < argc; ++i) {
    const char* arg = Arg(argc, argv, i);
    if (!arg) continue;
    const Command cmd = CommandOf(arg);
    if (cmd == Command::None) continue;
    if (found.Cmd != Command::None) {
      fail("Only one of /Connect, /Disconnect, /Status, /Export and /Import may be given.");
      continue;
    }
    found.Cmd = cmd;
    const char* next = Arg(argc, argv, i + 1);
    const bool hasValue = next && !IsSwitch(next);
    switch (cmd) {
      case Command::Connect:
        if (!hasValue || !*next) {
          fail("/Connect needs the name of a stored profile.");
          break;
        }
        found.Name = next;
        ++i;
        break;
      case Command::Export:
      case Command::Import:
        if (!hasValue || !*next) {
          fail(std::string(CommandName(cmd)) + " needs a file name.");
          break;
        }
        found.File = next;
        ++i;
        if (cmd == Command::Export) {
          const char* name = Arg(argc, argv, i + 1);
          if (name && !IsSwitch(name)) {
            found.Name = name;
            ++i;
          }
        }
        break;
      default:
        break;
    }
  }
  if (found.Cmd == Command::None) return false;
  if (!NameFits(found.Name))
    fail("A profile name has at most " + std::to_string(kMaxName) + " characters.");
  if (!PathFits(found.File)) fail(kTextPathTooLong);
  request = found;
  return true;
}

bool NameFits(const std::string& name) {
  if (name.size() > kMaxNameUtf8) return false;
  // Counted as the store counts it; a name the store cannot hold at all is
  // no stored profile's name, which the lookup says.
  std::string stored;
  return !ToStore(name, stored) || stored.size() <= kMaxName;
}

bool PathFits(const std::string& path) {
  return path.size() <= kMaxPathUtf8 && Wide(path).size() <= kMaxPath;
}

int MatchName(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  for (size_t i = 0; i < names.size(); ++i)
    if (SameName(names[i], name)) return static_cast<int>(i);
  return -1;
}

Reply Failure(int code, const std::string& message) {
  Reply r;
  r.Code = code;
  r.Err = message + "\r\n";
  return r;
}

std::string NoProfileText(const std::string& name) {
  return "There is no stored profile named '" + EscapeControls(name) + "'.";
}

namespace {
std::string Profiles(int count) {
  return std::to_string(count) + (count == 1 ? " profile" : " profiles");
}
}  // namespace

std::string ConnectingText(const std::string& storedName) {
  return "Connecting with profile '" + EscapeControls(storedName) + "'.";
}

namespace {

// Text of at most room characters: a longer one is cut and followed by an
// FNV-1a hash of the whole, so two long texts with the same start differ.
std::string Fit(const std::string& text, const std::string& whole, size_t room) {
  if (text.size() <= room) return text;
  uint32_t hash = 2166136261u;
  for (unsigned char c : whole) hash = (hash ^ c) * 16777619u;
  char tail[10];
  std::snprintf(tail, sizeof tail, "~%08X", static_cast<unsigned>(hash));
  return text.substr(0, room - 9) + tail;
}

}  // namespace

std::string PipeName(const std::string& profRoot, const std::string& userSid, DWORD session) {
  // Pipe names end at 256 characters: the prefix, the separators and the
  // session take at most 28, the root 100 and the SID 128 (a common one has
  // about 46).
  static const char kHex[] = "0123456789ABCDEF";
  std::string root;
  for (unsigned char c : profRoot) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain || c == '.' || c == '-' || c == '_') {
      root += static_cast<char>(c);
    } else {
      root += '%';
      root += kHex[c >> 4];
      root += kHex[c & 15];
    }
  }
  return "\\\\.\\pipe\\" + Fit(root, profRoot, 100) + "_Script_" + Fit(userSid, userSid, 128) +
         "_" + std::to_string(session);
}

std::string ExportedText(int count, const std::string& file) {
  return "Exported " + Profiles(count) + " to " + EscapeControls(file) + ".";
}

std::string ImportedText(int count, const std::string& file) {
  return "Imported " + Profiles(count) + " from " + EscapeControls(file) + ".";
}

std::string ImportPartlyText(int count, int refused, const std::string& file) {
  return "Imported " + Profiles(count) + " from " + EscapeControls(file) + ", but " +
         std::to_string(refused) + (refused == 1 ? " was" : " were") +
         " not taken; the profiles that were there are kept.";
}

std::string NotExportText(const std::string& file) {
  return EscapeControls(file) + " is not a profile export; nothing was imported.";
}

std::string EncodeRequest(const Request& request) {
  return Join(
      {kRequestMagic, std::to_string(static_cast<int>(request.Cmd)), request.Name, request.File});
}

bool DecodeRequest(const void* data, size_t size, Request& request) {
  std::vector<std::string> f;
  if (!Split(data, size, 4, f) || f[0] != kRequestMagic) return false;
  if (f[1].size() != 1 || f[1][0] < '1' || f[1][0] > '5') return false;
  Request r;
  r.Cmd = static_cast<Command>(f[1][0] - '0');
  r.Name = f[2];
  r.File = f[3];
  // Text from another process: UTF-8 within the limits, or nothing.
  if (!IsUtf8(r.Name) || !IsUtf8(r.File) || !NameFits(r.Name) || !PathFits(r.File)) return false;
  // Each command carries exactly what it needs.
  const bool needsName = r.Cmd == Command::Connect;
  const bool takesName = needsName || r.Cmd == Command::Export;
  const bool needsFile = r.Cmd == Command::Export || r.Cmd == Command::Import;
  if ((needsName && r.Name.empty()) || (!takesName && !r.Name.empty())) return false;
  if (needsFile == r.File.empty()) return false;
  request = r;
  return true;
}

std::string EncodeReply(const Reply& reply) {
  return Join({kReplyMagic, std::to_string(reply.Code & 0xFF), reply.Out, reply.Err});
}

bool DecodeReply(const void* data, size_t size, Reply& reply) {
  std::vector<std::string> f;
  if (!Split(data, size, 4, f) || f[0] != kReplyMagic) return false;
  if (f[1].empty() || f[1].size() > 3 || f[1].find_first_not_of("0123456789") != std::string::npos)
    return false;
  reply.Code = std::stoi(f[1]);
  reply.Out = f[2];
  reply.Err = f[3];
  return true;
}

std::string FormatStatus(const StatusInfo& info) {
  const bool linked = info.Connected && !info.Managed;
  std::string out;
  auto line = [&](const char* key, const std::string& value) {
    out += key;
    out += ": ";
    // A name holding "\r\nstate: connected" must not forge a line.
    out += EscapeControls(value);
    out += "\r\n";
  };
  line("adapter", info.Adapter);
  line("state", info.Managed ? "managed by Windows" : linked ? "connected" : "disconnected");
  line("profile", linked ? info.Profile : std::string());
  line("network", linked ? info.Network : std::string());
  line("signal", linked ? std::to_string(info.SignalDbm) + " dBm" : std::string());
  line("ip", linked ? info.Ip : std::string());
  return out;
}

}  // namespace script
