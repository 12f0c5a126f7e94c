// Test support shared by the adapter and worker tests: an in-process fake of
// the vendor library with scriptable answers (bound behind the lock check of
// common/LockCheck.h, so a call without the library lock fails the test), a window that records every
// NotifyMsg, a private registry root and settings file per test, and the
// debug log read back.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "app/Udebug.h"
#include "common/LockCheck.h"
#include "common/WaitUntil.h"
#include "config/Udefine.h"

namespace fake {

// What the fake library answers, and what it was asked.
struct State {
  std::mutex lock;
  std::vector<std::string> calls;  // entry names in call order
  // profiles in library order
  std::vector<std::pair<std::string, WLProfile>> profiles;
  uint8_t mac[6] = {0x00, 0x1D, 0x4F, 0x0A, 0x71, 0x01};
  std::string domain = "FCC", driver = "System32\\Drivers\\OMXWLNT.SYS";
  std::string presentIds;     // DevDetect answers 1 for ids contained here
  int devDetectFailures = 0;  // DevDetect answers 0 this many times first
  uint32_t mediaState = 1;
  int32_t statusResult = 1, netInfoResult = 1, setStatusResult = 1;
  NetworkInfo netInfo{};
  int32_t zeroConfig = 0;
  std::map<int32_t, int32_t> channelCounts;  // band -> count reported (<=512 written)
  std::vector<std::string> domainsAsked;
  SiteList sites{};
  std::vector<CertEntry> certs;
  std::vector<std::string> applied;    // Ssid1 of every WLProfileToWLStatus
  std::vector<std::string> detectIds;  // hardware ids DevDetect was asked for
  std::vector<uint8_t> lastOidSet;
  std::map<std::string, DWORD> delayMs;  // entry -> sleep before answering
  HANDLE gate = nullptr;                 // SetWLANStatus waits for it when set
  // A library that hangs: every call of hangIn counts itself in hung and
  // then waits for hangRelease (never set unless a test sets it). That is
  // where a stop may kill the caller: it holds nothing of the process.
  std::string hangIn;
  HANDLE hangRelease = nullptr;
  std::atomic<int> hung{0};
};
inline State* g = nullptr;

inline void Called(const char* name) {
  DWORD delay = 0;
  bool hang = false;
  {
    std::lock_guard<std::mutex> l(g->lock);
    g->calls.push_back(name);
    auto it = g->delayMs.find(name);
    if (it != g->delayMs.end()) delay = it->second;
    hang = g->hangIn == name;
  }
  // Never sleep holding the mutex: a hung call may be killed.
  if (delay) Sleep(delay);
  if (hang) {
    ++g->hung;
    WaitForSingleObject(g->hangRelease, INFINITE);
  }
}

// Makes every later call of entry (a name as in calls) hang; see State.
inline void HangIn(const std::string& entry) {
  std::lock_guard<std::mutex> l(g->lock);
  if (!g->hangRelease) g->hangRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g->hangIn = entry;
}

// Waits until n calls hang in the library.
inline bool WaitHung(int n, DWORD ms = 20000) {
  return WaitUntil([n] { return g->hung.load() >= n; }, ms);
}

inline int Count(const std::string& name) {
  std::lock_guard<std::mutex> l(g->lock);
  int n = 0;
  for (const auto& c : g->calls) n += c == name;
  return n;
}

// Entry points that no test scripts answer 0.
template <class F>
struct Unused;
template <class... A>
struct Unused<int32_t(__stdcall*)(A...)> {
  static int32_t __stdcall Call(A...) { return 0; }
};

// The scripted entry points.
struct Lib {
  using Guard = std::lock_guard<std::mutex>;
  static int32_t __stdcall Initial(const char*, int32_t) { return 1; }
  static int32_t __stdcall DevDetect(DetectRec* rec) {
    Called("DevDetect");
    Guard l(g->lock);
    const std::string id = FieldText(rec->HardwareId);
    g->detectIds.push_back(id);
    if (g->devDetectFailures > 0 && g->devDetectFailures--) return 0;
    if (id.empty() || g->presentIds.find(id) == std::string::npos) return 0;
    SetField(rec->Description, "Fake adapter " + id);
    return 1;
  }
  static int32_t __stdcall QueryOID(uint32_t oid, void* buf, uint32_t len, uint32_t*) {
    Called("QueryOID");
    Guard l(g->lock);
    if (oid == OMXWL_OID_802_3_CURRENT_ADDRESS && len >= 6) memcpy(buf, g->mac, 6);
    if (oid == OMXWL_OID_GEN_MEDIA_CONNECT_STATUS && len >= 4) memcpy(buf, &g->mediaState, 4);
    return 0;
  }
  static int32_t __stdcall SetOID(uint32_t oid, const void* buf, uint32_t len) {
    Called(oid == OMXWL_OID_PRIVATE_ANTENNA ? "SetOID(antenna)" : "SetOID");
    Guard l(g->lock);
    g->lastOidSet.assign(static_cast<const uint8_t*>(buf), static_cast<const uint8_t*>(buf) + len);
    return 0;
  }
  static int32_t __stdcall SiteSurveyScan() { return Called("SiteSurveyScan"), 1; }
  static int32_t __stdcall SiteSurveyGet(SiteList* list, uint32_t* len) {
    Guard l(g->lock);
    if (*len >= sizeof(SiteList)) *list = g->sites;
    return 1;
  }
  static int32_t __stdcall FrequencyToChannel(int32_t f) { return f == 2437000 ? 6 : 0; }
  static int32_t __stdcall GetWLANStatus(int32_t* again, WLStatus* s) {
    Called("GetWLANStatus");
    *again = 0;
    s->SignalLevel = -50;
    return g->statusResult;
  }
  static int32_t __stdcall SetWLANStatus(int32_t* word, WLStatus*) {
    Called("SetWLANStatus");
    if (g->gate) WaitForSingleObject(g->gate, 20000);
    *word = 7;
    return g->setStatusResult;
  }
  static int32_t __stdcall WLProfileToWLStatus(const WLProfile* p, WLStatus*) {
    Called("WLProfileToWLStatus");
    Guard l(g->lock);
    g->applied.push_back(FieldText(p->Ssid1));
    return 1;
  }
  static int32_t __stdcall GetWLProfile(const char* name, WLProfile* p) {
    Guard l(g->lock);
    for (auto& e : g->profiles)
      if (e.first == name) return *p = e.second, 1;
    return 0;
  }
  static int32_t __stdcall SetWLProfile(const char* name, const WLProfile* p) {
    Called("SetWLProfile");
    Guard l(g->lock);
    for (auto& e : g->profiles)
      if (e.first == name) return e.second = *p, 1;
    g->profiles.emplace_back(name, *p);
    return 1;
  }
  static int32_t __stdcall EnumWLProfiles(int32_t index, char* name) {
    Guard l(g->lock);
    if (index < 0 || index >= static_cast<int32_t>(g->profiles.size())) return 0;
    CopyText(name, 256, g->profiles[index].first);
    return 1;
  }
  static int32_t __stdcall DeleteWLProfile(const char* name) {
    Guard l(g->lock);
    for (auto it = g->profiles.begin(); it != g->profiles.end(); ++it)
      if (it->first == name) return g->profiles.erase(it), 1;
    return 1;
  }
  static int32_t __stdcall GetNetworkInfo(NetworkInfo* info) {
    Called("GetNetworkInfo");
    Guard l(g->lock);
    *info = g->netInfo;
    return g->netInfoResult;
  }
  static int32_t __stdcall SetNetworkInfo(const NetworkInfo* info) {
    Called("SetNetworkInfo");
    Guard l(g->lock);
    g->netInfo = *info;
    return 1;
  }
  static int32_t __stdcall GetWLANDriverPath(char* path) {
    Guard l(g->lock);
    CopyText(path, 256, g->driver);
    return 1;
  }
  static int32_t __stdcall Get_ZeroConfig(int32_t* on) {
    Called("Get_ZeroConfig");
    *on = g->zeroConfig;
    return 1;
  }
  static int32_t __stdcall Set_ZeroConfig(int32_t on) {
    return Called("Set_ZeroConfig"), g->zeroConfig = on, 1;
  }
  static int32_t __stdcall GetWLANDomain(char* domain) {
    Guard l(g->lock);
    CopyText(domain, 256, g->domain);
    return 1;
  }
  static int32_t __stdcall EnumCertificates(const CertEntry** entries, int32_t) {
    *entries = g->certs.empty() ? nullptr : g->certs.data();
    return static_cast<int32_t>(g->certs.size());
  }
  // Writes at most the caller's 512 entries; reports what the test likes.
  static int32_t __stdcall AllowedChannels(int32_t* out, int32_t band, const char* domain) {
    Guard l(g->lock);
    g->domainsAsked.push_back(domain);
    g->calls.push_back("GetAllowedChannel(" + std::to_string(band) + ")");
    const int32_t n = g->channelCounts.count(band) ? g->channelCounts[band] : 0;
    for (int32_t i = 0; i < n && i < 512; ++i) out[i] = band * 1000 + i;
    return n;
  }
};

inline OmxEntryTable Table() {
  OmxEntryTable t;
#define FAKE_UNUSED(name, args) t.name = &Unused<PFN_##name>::Call;
  OMXWL_ENTRY_POINTS(FAKE_UNUSED)
#undef FAKE_UNUSED
#define FAKE_SCRIPTED(name) t.OMXWL_##name = &Lib::name;
  FAKE_SCRIPTED(Initial)
  FAKE_SCRIPTED(DevDetect)
  FAKE_SCRIPTED(QueryOID)
  FAKE_SCRIPTED(SetOID) FAKE_SCRIPTED(SiteSurveyScan) FAKE_SCRIPTED(SiteSurveyGet)
      FAKE_SCRIPTED(FrequencyToChannel) FAKE_SCRIPTED(GetWLANStatus) FAKE_SCRIPTED(SetWLANStatus)
          FAKE_SCRIPTED(WLProfileToWLStatus) FAKE_SCRIPTED(GetWLProfile) FAKE_SCRIPTED(SetWLProfile)
              FAKE_SCRIPTED(EnumWLProfiles) FAKE_SCRIPTED(DeleteWLProfile)
                  FAKE_SCRIPTED(GetNetworkInfo) FAKE_SCRIPTED(SetNetworkInfo)
                      FAKE_SCRIPTED(GetWLANDriverPath) FAKE_SCRIPTED(Get_ZeroConfig)
                          FAKE_SCRIPTED(Set_ZeroConfig) FAKE_SCRIPTED(GetWLANDomain)
                              FAKE_SCRIPTED(EnumCertificates)
#undef FAKE_SCRIPTED
                                  t.OMXWL_GetAllowedChannel = t.OMXWL_GetAPAllowedChannel =
      &Lib::AllowedChannels;
  return t;
}

inline WLProfile Profile(const std::string& name, const std::string& ssid) {
  WLProfile p{};
  SetField(p.ProfileName, name);
  SetField(p.NetInfo.NI_sz_CurProfile, name);
  SetField(p.Ssid1, ssid);
  return p;
}

}  // namespace fake

// Stands in for the main window: records every NotifyMsg it receives.
class NotifyRecorder {
 public:
  struct Event {
    WPARAM code;
    LPARAM value;
    DWORD tick;
  };
  NotifyRecorder() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WUTestNotifyRecorder";
    RegisterClassA(&wc);
    wnd_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, this);
  }
  ~NotifyRecorder() { DestroyWindow(wnd_); }
  HWND Wnd() const { return wnd_; }
  std::vector<Event> Events(WPARAM code) {
    std::lock_guard<std::mutex> l(lock_);
    std::vector<Event> out;
    for (const Event& e : events_)
      if (e.code == code) out.push_back(e);
    return out;
  }
  size_t CountOf(WPARAM code, LPARAM value) {
    size_t n = 0;
    for (const Event& e : Events(code)) n += e.value == value;
    return n;
  }
  void Clear() {
    std::lock_guard<std::mutex> l(lock_);
    events_.clear();
  }
  std::function<void(WPARAM, LPARAM)> OnNotify;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCCREATE)
      SetWindowLongPtrA(
          w, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<NotifyRecorder*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self && m == NotifyMsg && NotifyMsg) {
      {
        std::lock_guard<std::mutex> l(self->lock_);
        self->events_.push_back({wp, lp, GetTickCount()});
      }
      if (self->OnNotify) self->OnNotify(wp, lp);
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  HWND wnd_ = nullptr;
  std::mutex lock_;
  std::vector<Event> events_;
};

// A private world for one test: settings file, registry root, debug log and
// (optionally) the fake library.
class TestEnv {
 public:
  explicit TestEnv(const std::string& settings = "", bool bindFake = true) {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = "WUTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    dir_ = std::string(temp) + root_ + "\\";
    CreateDirectoryA(dir_.c_str(), nullptr);
    exe_ = dir_ + "WirelessUtility.exe";
    WriteFileText(dir_ + "WirelessUtility.bin",
                  "[Setting]\r\nProfRoot=" + root_ + "\r\nHWID0=VID_1D4F&PID_0A71\r\n" + settings);
    WriteFileText(dir_ + "WirelessUtility.Log", "");
    g_DebugLog.Open(exe_.c_str());
    g_GlobalVar.LocateFiles(exe_);
    g_GlobalVar.OsVersionCode = 2;
    g_GlobalVar.CmdFlags = 0;
    NotifyMsg = RegisterWindowMessageA("WUTest_NotifyMsg");
    if (bindFake) {
      fake::g = new fake::State;
      EXPECT_TRUE(g_OmxLib.BindTable(lockcheck::Checked(fake::Table())));
    }
  }
  ~TestEnv() {
    g_OmxLib.Unbind();
    g_DebugLog.Close();
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
    if (fake::g && fake::g->gate) CloseHandle(fake::g->gate);
    if (fake::g && fake::g->hangRelease) CloseHandle(fake::g->hangRelease);
    delete fake::g;
    fake::g = nullptr;
    for (const char* f : {"WirelessUtility.bin", "WirelessUtility.Log"})
      DeleteFileA((dir_ + f).c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  const std::string& Root() const { return root_; }
  const std::string& Dir() const { return dir_; }
  std::string AdapterKey() const {
    return "Software\\" + root_ + "\\WLAdapter\\VID_1D4F&PID_0A71-9999";
  }

  static DeviceRec Device(const std::string& hwid = "VID_1D4F&PID_0A71") {
    DeviceRec d{};
    SetField(d.Description, "Ombrix 802.11a/b/g USB Wireless Adapter");
    SetField(d.HardwareId, hwid);
    SetField(d.Tag, "9999");
    return d;
  }

  // Lines of the debug log that contain text.
  std::vector<std::string> LogLines(const std::string& text) const {
    std::ifstream in(dir_ + "WirelessUtility.Log", std::ios::binary);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find(text) != std::string::npos) out.push_back(line);
    }
    return out;
  }

  void SetRegDword(const std::string& name, DWORD v) const {
    SetReg(name, REG_DWORD, &v, sizeof v);
  }
  void SetRegString(const std::string& name, const std::string& v) const {
    SetReg(name, REG_SZ, v.c_str(), static_cast<DWORD>(v.size() + 1));
  }
  // A 32-bit value as "#<number>", a text as it is, "<none>" when absent.
  std::string Reg(const std::string& name) const {
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = REG_NONE;
    if (RegGetValueA(HKEY_CURRENT_USER, AdapterKey().c_str(), name.c_str(), RRF_RT_ANY, &type, data,
                     &size))
      return "<none>";
    return type == REG_DWORD ? "#" + std::to_string(*reinterpret_cast<DWORD*>(data)) : data;
  }

 private:
  void SetReg(const std::string& name, DWORD type, const void* data, DWORD size) const {
    RegSetKeyValueA(HKEY_CURRENT_USER, AdapterKey().c_str(), name.c_str(), type, data, size);
  }
  static void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string root_, dir_, exe_;
};
