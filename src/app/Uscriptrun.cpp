#include "app/Uscriptrun.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "adapter/Uprofilefile.h"
#include "app/Udebug.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "config/Uutility.h"
#include "workers/Uthrddetect.h"

namespace script {

namespace {

// How long a starting instance may take to put up its window, and how long
// the instance may take over a request (it may wait for the library).
constexpr DWORD kFindWindowMs = 10000;
constexpr DWORD kProbeMs = 2000;
constexpr DWORD kRequestMs = 60000;

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Relative names mean the caller's folder, not the instance's.
std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  char* name = nullptr;
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &name);
  if (n == 0 || n >= sizeof buffer) return path;
  return buffer;
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

Reply ProfileFileHere(const Request& r) {
  Reply checked = CheckFile(r);
  if (checked.Code != kExitOk) return checked;
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
  if (n == 0)
    return Failure(kExitFailed, r.Name.empty() ? "There are no profiles to export, or " + r.File +
                                                     " could not be written."
                                               : r.File + " could not be written.");
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
  s.Adapter = FieldText(adapter.Device.Description);
  s.Managed = adapter.UseWZC;
  s.Connected = status.MediaState == 0;
  s.Profile = profile == kEditingProfile ? std::string() : profile;
  const uint32_t n = std::min<uint32_t>(status.SsidLength, sizeof status.Ssid);
  s.Network.assign(reinterpret_cast<const char*>(status.Ssid), n);
  s.Network = FieldText(s.Network.c_str(), s.Network.size());
  s.SignalDbm = status.SignalLevel;
  char text[260] = {};  // the library may write up to 260 bytes
  if (g_OmxLib.OMXWL_IPDataToStr) g_OmxLib.OMXWL_IPDataToStr(info.NI_IpAddr, text);
  s.Ip = FieldText(text, sizeof text);
  return s;
}

namespace {

Reply AdapterHere(const Request& r) {
  DeviceRec device;
  if (!DetectDevice(device)) return Failure(kExitNoAdapter, kTextNoAdapter);
  // As a service: no site survey, no first profile, nobody to notify.
  CNICAdapter adapter(nullptr, g_GlobalVar.CmdFlags | CmdService, device);
  if (r.Cmd == Command::Status) {
    if (!adapter.UseWZC) adapter.CollectStatus();
    WLProfile applied{};
    const bool have = adapter.GetAppliedProf(applied);
    return Reply{kExitOk,
                 FormatStatus(StatusOf(adapter, have ? FieldText(applied.ProfileName) : "")), ""};
  }
  if (adapter.UseWZC) return Failure(kExitManaged, kTextManaged);
  if (r.Cmd == Command::Disconnect) {
    adapter.DoDisconnect();
    return Reply{kExitOk, "Disconnected.\r\n", ""};
  }
  std::vector<WLProfile> list;
  adapter.ReadProfileList(kStationList, list);
  std::vector<std::string> names;
  for (const WLProfile& p : list) names.push_back(FieldText(p.ProfileName));
  const int found = MatchName(names, r.Name);
  if (found < 0) return Failure(kExitNoProfile, NoProfileText(r.Name));
  // Applied here and now: the worker has nothing queued, so it never
  // takes this profile itself.
  delete adapter.PendingProf.Exchange(new WLProfile(list[found]));
  adapter.DoConnect();
  if (adapter.LastApplyResult != 1)
    return Failure(kExitFailed, "The adapter refused profile '" + names[found] + "'.");
  return Reply{kExitOk, "Connecting with profile '" + names[found] + "'.\r\n", ""};
}

// ---- the exchange ---------------------------------------------------------------------

const char kReplyClass[] = "WuScriptReply";

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    auto* reply = reinterpret_cast<Reply*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (reply && data && data->dwData == kReplyTag) {
      Reply got;
      if (DecodeReply(data->lpData, data->cbData, got)) *reply = got;
      return TRUE;
    }
    return FALSE;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A hidden window of this process that takes the instance's reply.
class CReplyWindow {
 public:
  explicit CReplyWindow(Reply* reply) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, kReplyClass, &wc)) {
      wc = WNDCLASSA{};
      wc.lpfnWndProc = ReplyProc;
      wc.hInstance = inst;
      wc.lpszClassName = kReplyClass;
      RegisterClassA(&wc);
    }
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kReplyClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, inst, nullptr);
    if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reply));
  }
  ~CReplyWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  CReplyWindow(const CReplyWindow&) = delete;
  CReplyWindow& operator=(const CReplyWindow&) = delete;
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(hwnd);
  return TRUE;
}

// The main window of the instance of this profile root: the one that
// answers the probe (only windows that registered the same NotifyMsg do).
HWND FindInstanceWindow(HWND self) {
  std::vector<HWND> windows;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
  for (HWND w : windows) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (w == self || pid == GetCurrentProcessId()) continue;
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(w, NotifyMsg, kNotifyScript, 0, SMTO_ABORTIFHUNG, kProbeMs, &answer) &&
        static_cast<LRESULT>(answer) == kProbeAnswer)
      return w;
  }
  return nullptr;
}

bool InstanceRuns() {
  HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, g_GlobalVar.MutexName.c_str());
  if (m) {
    CloseHandle(m);
    return true;
  }
  // A mutex this process may not open still belongs to a running instance.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

Reply CheckFile(const Request& r) {
  if (r.Cmd == Command::Import) {
    if (!FileExists(r.File)) return Failure(kExitFile, "The file " + r.File + " does not exist.");
    return Reply{};
  }
  if (r.Cmd != Command::Export) return Reply{};
  if (IsFolder(r.File)) return Failure(kExitFile, r.File + " is a folder.");
  const size_t slash = r.File.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : r.File.substr(0, slash + 1);
  if (!IsFolder(folder)) return Failure(kExitFile, "The folder of " + r.File + " does not exist.");
  return Reply{};
}

Reply RunHere(const Request& request) {
  Request r = request;
  if (!r.File.empty()) r.File = FullPath(r.File);
  LogWrite("Script %s here", CommandName(r.Cmd));
  if (r.Cmd == Command::Export || r.Cmd == Command::Import) return ProfileFileHere(r);
  return AdapterHere(r);
}

Reply SendToInstance(const Request& request, DWORD waitMs) {
  Request r = request;
  if (!r.File.empty()) r.File = FullPath(r.File);
  LogWrite("Script %s to the running instance", CommandName(r.Cmd));
  Reply reply;
  reply.Code = -1;
  CReplyWindow window(&reply);
  HWND target = nullptr;
  const DWORD start = GetTickCount();
  // A starting instance holds the mutex before its window exists.
  while (!(target = FindInstanceWindow(window.Handle())) && GetTickCount() - start < waitMs)
    Sleep(250);
  if (!target) return Failure(kExitNoAnswer, "The running utility does not answer.");

  const std::string data = EncodeRequest(r);
  COPYDATASTRUCT cds{kRequestTag, static_cast<DWORD>(data.size()), const_cast<char*>(data.data())};
  DWORD_PTR result = 0;
  // Not SMTO_BLOCK: the reply arrives while this call waits.
  if (!SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(window.Handle()),
                           reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, kRequestMs, &result) ||
      (static_cast<LRESULT>(result) & ~0xFF) != kServedMark)
    return Failure(kExitNoAnswer, "The running utility did not take the request.");
  reply.Code = static_cast<int>(result & 0xFF);
  return reply;
}

void WriteReply(const Reply& reply) {
  auto write = [](DWORD which, const std::string& text) {
    if (text.empty()) return;
    HANDLE h = GetStdHandle(which);
    if (!h || h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  };
  write(STD_OUTPUT_HANDLE, reply.Out);
  write(STD_ERROR_HANDLE, reply.Err);
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
  try {
    reply = InstanceRuns() ? SendToInstance(request, kFindWindowMs) : RunHere(request);
  } catch (const std::exception& e) {
    LogWrite("Exception(script::Run): %s", e.what());
    reply = Failure(kExitFailed, std::string("The request failed: ") + e.what());
  }
  WriteReply(reply);
  return reply.Code;
}

}  // namespace script
