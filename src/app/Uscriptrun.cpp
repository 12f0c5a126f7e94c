#include "app/Uscriptrun.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "adapter/Uprofilefile.h"
#include "app/Udebug.h"
#include "app/Uscriptpipe.h"
#include "app/Utimescale.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "config/Uunicode.h"
#include "config/Uutility.h"
#include "workers/Uthrddetect.h"
#include "workers/Uthread.h"

namespace script {

namespace {

// Paths are UTF-8 here: the file calls are the W ones.
DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str());
}

bool IsFolder(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Relative names mean the caller's folder, not the instance's: a name that
// cannot be made whole within the limit is refused, never passed on.
bool FullPath(std::string& path) {
  wchar_t buffer[MAX_PATH] = {};
  wchar_t* name = nullptr;
  const DWORD n = GetFullPathNameW(Wide(path).c_str(), MAX_PATH, buffer, &name);
  if (n == 0 || n >= MAX_PATH) return false;
  path = Utf8(buffer);
  return true;
}

// An event nobody sets: the waits of this process for the library lock
// end only when they get it.
class CStopEvent {
 public:
  CStopEvent() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~CStopEvent() {
    if (handle_) CloseHandle(handle_);
  }
  CStopEvent(const CStopEvent&) = delete;
  CStopEvent& operator=(const CStopEvent&) = delete;
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};

bool DetectDevice(DeviceRec& device);

// As in the window: while Windows' wireless management has the adapter,
// its profile list offers neither Export nor Import.
bool ManagedHere() {
  DeviceRec device;
  if (!DetectDevice(device)) return false;
  CNICAdapter adapter(nullptr, g_GlobalVar.CmdFlags | CmdService | kAdapterLookOnly, device);
  return adapter.UseWZC;
}

Reply ProfileFileHere(const Request& r, bool askManaged) {
  Reply checked = CheckFile(r);
  if (checked.Code != kExitOk) return checked;
  if (askManaged && ManagedHere()) return Failure(kExitManaged, kTextManaged);
  CStopEvent stop;
  if (r.Cmd == Command::Import) {
    int32_t refused = 0;
    const int32_t n = profilefile::Import(r.File, stop.Handle(), nullptr, &refused);
    if (n == 0) return Failure(kExitFailed, NotExportText(r.File));
    if (refused > 0) return Failure(kExitFailed, ImportPartlyText(n, refused, r.File));
    return Reply{kExitOk, ImportedText(n, r.File) + "\r\n", ""};
  }
  std::string stored;
  if (!r.Name.empty()) {
    stored = profilefile::StoredName(r.Name, stop.Handle(), nullptr);
    if (stored.empty()) return Failure(kExitNoProfile, NoProfileText(r.Name));
  }
  const int32_t n = profilefile::Export(stored, r.File, stop.Handle(), nullptr);
  const std::string file = EscapeControls(r.File);
  if (n == 0)
    return Failure(kExitFailed, r.Name.empty() ? "There are no profiles to export, or " + file +
                                                     " could not be written."
                                               : file + " could not be written.");
  return Reply{kExitOk, ExportedText(n, r.File) + "\r\n", ""};
}

// The first supported adapter present, as device detection finds it.
bool DetectDevice(DeviceRec& device) {
  std::vector<::DetectRec> records(kMaxProbedHwIds);
  std::memset(records.data(), 0, records.size() * sizeof(::DetectRec));
  const int n = std::clamp(g_GlobalVar.FillDetectRecords(records.data(), kMaxProbedHwIds), 1,
                           kMaxProbedHwIds);
  CStopEvent stop;
  CLibraryGuard lib(stop.Handle(), nullptr);
  if (!lib) return false;
  for (int i = 0; i < n; ++i) {
    if (g_OmxLib.OMXWL_DevDetect(&records[i]) != 1) continue;
    std::memset(&device, 0, sizeof device);
    SetField(device.Description, FieldText(records[i].Description));
    SetField(device.HardwareId, FieldText(records[i].HardwareId));
    SetField(device.Tag, "9999");
    return true;
  }
  return false;
}

}  // namespace

StatusInfo StatusOf(CNICAdapter& adapter, const std::string& profile) {
  WLStatus status{};
  NetworkInfo info{};
  adapter.GetStatus(status);
  adapter.GetNetInfo(info);
  StatusInfo s;
  s.Adapter = StoreFieldText(adapter.Device.Description);
  s.Managed = adapter.UseWZC;
  s.Connected = status.MediaState == 0;
  s.Profile = profile == kEditingProfile ? std::string() : profile;
  const uint32_t n = std::min<uint32_t>(status.SsidLength, sizeof status.Ssid);
  s.NetworkBytes.assign(reinterpret_cast<const char*>(status.Ssid), n);
  s.Network = SsidDisplay(status.Ssid, n);
  s.SignalDbm = status.SignalLevel;
  char text[260] = {};  // the library may write up to 260 bytes
  if (g_OmxLib.OMXWL_IPDataToStr) g_OmxLib.OMXWL_IPDataToStr(info.NI_IpAddr, text);
  s.Ip = FieldText(text, sizeof text);
  return s;
}

namespace {

// The stored profile the link is up with, as far as this process can tell
// without having connected it: the last one connected ("LastProf"), when
// it is still stored and its network is the one linked (a profile for any
// network matches every link). network is the raw name, compared as bytes.
std::string LinkedLastProfile(CNICAdapter& adapter, const std::string& network) {
  // UTF-8 in the settings, store text for the library.
  std::string last;
  if (!ToStore(adapter.ReadSet("LastProf", ""), last) || last.empty() || last.size() > kMaxName)
    return std::string();
  CStopEvent stop;
  CLibraryGuard lib(stop.Handle(), nullptr);
  if (!lib) return std::string();
  WLProfile stored{};
  if (g_OmxLib.OMXWL_GetWLProfile(last.c_str(), &stored) != 1) return std::string();
  lib.Release();
  const std::string ssid = SsidBytes(stored);
  if (ssid != network && !ssid.empty() && ssid != "ANY") return std::string();
  return ProfileNameText(stored);
}

Reply StatusHere(const DeviceRec& device) {
  // Only looked at: no hand-over, no survey, no profile created, nothing
  // written.
  CNICAdapter adapter(nullptr, g_GlobalVar.CmdFlags | CmdService | kAdapterLookOnly, device);
  if (!adapter.UseWZC) adapter.CollectStatus();
  StatusInfo info = StatusOf(adapter, "");
  if (info.Connected && !info.Managed) info.Profile = LinkedLastProfile(adapter, info.NetworkBytes);
  return Reply{kExitOk, FormatStatus(info), ""};
}

Reply AdapterHere(const Request& r) {
  DeviceRec device;
  if (!DetectDevice(device)) return Failure(kExitNoAdapter, kTextNoAdapter);
  if (r.Cmd == Command::Status) return StatusHere(device);
  // As a service: no site survey, no first profile, nobody to notify.
  CNICAdapter adapter(nullptr, g_GlobalVar.CmdFlags | CmdService, device);
  if (adapter.UseWZC) return Failure(kExitManaged, kTextManaged);
  if (r.Cmd == Command::Disconnect) {
    adapter.DoDisconnect();
    return Reply{kExitOk, "Disconnected.\r\n", ""};
  }
  std::vector<WLProfile> list;
  adapter.ReadProfileList(kStationList, list);
  std::vector<std::string> names;
  for (const WLProfile& p : list) names.push_back(ProfileNameText(p));
  const int found = MatchName(names, r.Name);
  if (found < 0) return Failure(kExitNoProfile, NoProfileText(r.Name));
  // Applied here and now: the worker has nothing queued, so it never
  // takes this profile itself.
  delete adapter.PendingProf.Exchange(new WLProfile(list[found]));
  adapter.DoConnect();
  if (adapter.LastApplyResult != 1) return Failure(kExitFailed, RefusedText(names[found]));
  return Reply{kExitOk, ConnectingText(names[found]) + "\r\n", ""};
}

bool InstanceRuns() {
  HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, Wide(g_GlobalVar.MutexName).c_str());
  if (m) {
    CloseHandle(m);
    return true;
  }
  // A mutex this process may not open still belongs to a running instance.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

Reply CheckFile(const Request& r) {
  const std::string file = EscapeControls(r.File);
  if (r.Cmd == Command::Import) {
    if (!IsFile(r.File)) return Failure(kExitFile, "The file " + file + " does not exist.");
    return Reply{};
  }
  if (r.Cmd != Command::Export) return Reply{};
  if (IsFolder(r.File)) return Failure(kExitFile, file + " is a folder.");
  const size_t slash = r.File.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : r.File.substr(0, slash + 1);
  if (!IsFolder(folder)) return Failure(kExitFile, "The folder of " + file + " does not exist.");
  return Reply{};
}

namespace {

// A switch served on its own, on a thread of its own: the library may hang
// it, and the script ends within the bound of the instance's path anyway.
class CHereJob : public CThread {
 public:
  CHereJob(const Request& request, bool askManaged) : request_(request), askManaged_(askManaged) {
    Start();
  }
  Reply Result;

 protected:
  void Execute() override {
    try {
      if (request_.Cmd == Command::Export || request_.Cmd == Command::Import)
        Result = ProfileFileHere(request_, askManaged_);
      else
        Result = AdapterHere(request_);
    } catch (const std::exception& e) {
      LogWrite("Exception(script::RunHere): %s", e.what());
      Result = Failure(kExitFailed, std::string("The request failed: ") + e.what());
    }
  }

 private:
  const Request request_;
  const bool askManaged_;
};

}  // namespace

Reply RunHere(const Request& request, HANDLE* left, bool askManaged) {
  if (left) *left = nullptr;
  Request r = request;
  if (!r.File.empty() && !FullPath(r.File)) return Failure(kExitUsage, kTextPathTooLong);
  LogWrite("Script %s here", CommandName(r.Cmd));
  // The instance's bounds: its adapter gets kConnectWaitMs to take a
  // profile, every other request is its kRequestMs.
  const bool connect = r.Cmd == Command::Connect;
  const DWORD boundMs = connect ? kConnectWaitMs : kRequestMs;
  auto* job = new CHereJob(r, askManaged);
  if (!job->Handle()) {
    delete job;
    return Failure(kExitFailed, "The request could not be started.");
  }
  if (job->WaitFor(timescale::Ms(boundMs))) {
    Reply reply = job->Result;
    delete job;
    return reply;
  }
  // Still inside the library, or stuck before it: neither killed (it may hold
  // what the process needs to end) nor waited for. It frees itself if it
  // ever ends; the caller may watch its thread through left.
  LogWrite("Script %s here: no answer within %lu ms, left running", CommandName(r.Cmd),
           static_cast<unsigned long>(timescale::Ms(boundMs)));
  if (left && !DuplicateHandle(GetCurrentProcess(), job->Handle(), GetCurrentProcess(), left,
                               SYNCHRONIZE, FALSE, 0))
    *left = nullptr;
  job->Release();
  const std::string seconds = std::to_string(boundMs / 1000);
  if (connect)
    return Failure(kExitFailed, "The adapter did not take profile '" + EscapeControls(r.Name) +
                                    "' within " + seconds + " seconds.");
  return Failure(kExitFailed, "The adapter did not answer within " + seconds + " seconds.");
}

Reply SendToInstance(const Request& request, DWORD waitMs) {
  Request r = request;
  if (!r.File.empty() && !FullPath(r.File)) return Failure(kExitUsage, kTextPathTooLong);
  LogWrite("Script %s to the running instance", CommandName(r.Cmd));
  return AskInstance(r, waitMs);
}

std::string RefusedText(const std::string& storedName) {
  return "The adapter refused profile '" + EscapeControls(storedName) + "'.";
}

void WriteText(HANDLE h, const std::string& text) {
  if (text.empty() || !h || h == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(h, &mode)) {
    // A console shows characters, whatever its code page.
    const std::wstring wide = Wide(text);
    size_t done = 0;
    while (done < wide.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
      // Never end a piece between the two halves of a character.
      const wchar_t last = wide[done + chunk - 1];
      if (chunk > 1 && done + chunk < wide.size() && last >= 0xD800 && last <= 0xDBFF) --chunk;
      DWORD written = 0;
      if (!WriteConsoleW(h, wide.data() + done, chunk, &written, nullptr) || written == 0) return;
      done += written;
    }
    return;
  }
  // A file or a pipe gets the UTF-8 bytes, without a byte-order mark.
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    if (!WriteFile(h, text.data() + done, static_cast<DWORD>(text.size() - done), &written,
                   nullptr) ||
        written == 0)
      return;
    done += written;
  }
}

void WriteReply(const Reply& reply) {
  WriteText(GetStdHandle(STD_OUTPUT_HANDLE), reply.Out);
  WriteText(GetStdHandle(STD_ERROR_HANDLE), reply.Err);
  size_t start = 0;
  while (start < reply.Err.size()) {
    size_t end = reply.Err.find("\r\n", start);
    if (end == std::string::npos) end = reply.Err.size();
    LogWrite("Script error: %s", reply.Err.substr(start, end - start).c_str());
    start = end + 2;
  }
  LogWrite("Script exit code %d", reply.Code);
}

int Run(const Request& request) {
  Reply reply;
  HANDLE left = nullptr;
  try {
    reply = InstanceRuns() ? SendToInstance(request, kFindServerMs) : RunHere(request, &left);
  } catch (const std::exception& e) {
    LogWrite("Exception(script::Run): %s", e.what());
    reply = Failure(kExitFailed, std::string("The request failed: ") + e.what());
  }
  WriteReply(reply);
  if (left) {
    // A thread hung in the library would make the ordinary end (unloading
    // the library under it, the library's own detach) wait or fault: the
    // reply is out and the log unbuffered, so the process ends here.
    LogWrite("Script ends with the request still running");
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(reply.Code));
  }
  return reply.Code;
}

}  // namespace script
