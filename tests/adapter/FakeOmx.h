// Test support shared by the adapter and worker tests: an in-process fake of
// the vendor library with scriptable answers, a window that records every
// NotifyMsg, a private registry root and settings file per test, and the
// debug log read back.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "app/Udebug.h"
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
};
inline State* g = nullptr;

inline void Called(const char* name) {
  DWORD delay = 0;
  {
    std::lock_guard<std::mutex> l(g->lock);
    g->calls.push_back(name);
    auto it = g->delayMs.find(name);
    if (it != g->delayMs.end()) delay = it->second;
  }
  // Never sleep holding the mutex: a hung call may be killed.
  if (delay) Sleep(delay);
}

inline int Count(const std::string& name) {
  std::lock_guard<std::mutex> l(g->lock);
  int n = 0;
  for (const auto& c : g->calls) n += c == name;
  return n;
}

#define FAKE(name) inline int32_t __stdcall name
FAKE(Initial)(const char*, int32_t) {
  return 1;
}
FAKE(EnumAvailableDevice)(int32_t, DetectRec*) {
  return 0;
}
FAKE(DevDetect)(DetectRec* rec) {
  Called("DevDetect");
  std::lock_guard<std::mutex> l(g->lock);
  const std::string id = FieldText(rec->HardwareId);
  g->detectIds.push_back(id);
  if (g->devDetectFailures > 0) {
    --g->devDetectFailures;
    return 0;
  }
  if (g->presentIds.find(id.empty() ? "\x01" : id) == std::string::npos) return 0;
  SetField(rec->Description, "Fake adapter " + id);
  return 1;
}
FAKE(QueryOID)(uint32_t oid, void* buf, uint32_t len, uint32_t* written) {
  Called("QueryOID");
  std::lock_guard<std::mutex> l(g->lock);
  if (oid == OMXWL_OID_802_3_CURRENT_ADDRESS && len >= 6)
    memcpy(buf, g->mac, 6);
  else if (oid == OMXWL_OID_GEN_MEDIA_CONNECT_STATUS && len >= 4)
    memcpy(buf, &g->mediaState, 4);
  else if (oid == OMXWL_OID_802_11_INFRASTRUCTURE_MODE && len >= 4)
    *static_cast<int32_t*>(buf) = 1;
  if (written) *written = len;
  return 0;
}
FAKE(SetOID)(uint32_t oid, const void* buf, uint32_t len) {
  Called(oid == OMXWL_OID_PRIVATE_ANTENNA ? "SetOID(antenna)" : "SetOID");
  std::lock_guard<std::mutex> l(g->lock);
  g->lastOidSet.assign(static_cast<const uint8_t*>(buf), static_cast<const uint8_t*>(buf) + len);
  return 0;
}
FAKE(SiteSurveyScan)() {
  Called("SiteSurveyScan");
  return 1;
}
FAKE(SiteSurveyGet)(SiteList* list, uint32_t* len) {
  Called("SiteSurveyGet");
  std::lock_guard<std::mutex> l(g->lock);
  if (*len >= sizeof(SiteList)) *list = g->sites;
  return 1;
}
FAKE(ChannelToFrequency)(int32_t) {
  return 0;
}
FAKE(FrequencyToChannel)(int32_t f) {
  return f == 2437000 ? 6 : (f == 5180000 ? 36 : 0);
}
FAKE(GetWLANStatus)(int32_t* again, WLStatus* s) {
  Called("GetWLANStatus");
  *again = 0;
  s->SignalLevel = -50;
  return g->statusResult;
}
FAKE(SetWLANStatus)(int32_t* word, WLStatus*) {
  Called("SetWLANStatus");
  if (g->gate) WaitForSingleObject(g->gate, 20000);
  *word = 7;
  return g->setStatusResult;
}
FAKE(WLProfileToWLStatus)(const WLProfile* p, WLStatus*) {
  Called("WLProfileToWLStatus");
  std::lock_guard<std::mutex> l(g->lock);
  g->applied.push_back(FieldText(p->Ssid1));
  return 1;
}
FAKE(SetWLProfileDir)(const char*) {
  return 1;
}
FAKE(GetWLProfile)(const char* name, WLProfile* p) {
  Called("GetWLProfile");
  std::lock_guard<std::mutex> l(g->lock);
  for (auto& e : g->profiles)
    if (e.first == name) {
      *p = e.second;
      return 1;
    }
  return 0;
}
FAKE(SetWLProfile)(const char* name, const WLProfile* p) {
  Called("SetWLProfile");
  std::lock_guard<std::mutex> l(g->lock);
  for (auto& e : g->profiles)
    if (e.first == name) {
      e.second = *p;
      return 1;
    }
  g->profiles.emplace_back(name, *p);
  return 1;
}
FAKE(EnumWLProfiles)(int32_t index, char* name) {
  std::lock_guard<std::mutex> l(g->lock);
  if (index < 0 || index >= static_cast<int32_t>(g->profiles.size())) return 0;
  CopyText(name, 256, g->profiles[index].first);
  return 1;
}
FAKE(DeleteWLProfile)(const char* name) {
  Called("DeleteWLProfile");
  std::lock_guard<std::mutex> l(g->lock);
  for (auto it = g->profiles.begin(); it != g->profiles.end(); ++it)
    if (it->first == name) {
      g->profiles.erase(it);
      break;
    }
  return 1;
}
FAKE(RegExportProfile)(const char*, const char*) {
  return 0;
}
FAKE(RegImportProfile)(const char*) {
  return 0;
}
FAKE(GetNetworkInfo)(NetworkInfo* info) {
  Called("GetNetworkInfo");
  std::lock_guard<std::mutex> l(g->lock);
  *info = g->netInfo;
  return g->netInfoResult;
}
FAKE(SetNetworkInfo)(const NetworkInfo* info) {
  Called("SetNetworkInfo");
  std::lock_guard<std::mutex> l(g->lock);
  g->netInfo = *info;
  return 1;
}
FAKE(StrToIPData)(const char*, uint8_t*) {
  return 0;
}
FAKE(IPDataToStr)(const uint8_t*, char* text) {
  text[0] = 0;
  return 1;
}
FAKE(GetWLANDriverPath)(char* path) {
  std::lock_guard<std::mutex> l(g->lock);
  CopyText(path, 256, g->driver);
  return 1;
}
FAKE(Get_ZeroConfig)(int32_t* on) {
  Called("Get_ZeroConfig");
  *on = g->zeroConfig;
  return 1;
}
FAKE(Set_ZeroConfig)(int32_t on) {
  Called("Set_ZeroConfig");
  g->zeroConfig = on;
  return 1;
}
FAKE(PassphraseToWEPKey)(const char*, int32_t, WEPKeySet*) {
  return 0;
}
FAKE(GetWLANDomain)(char* domain) {
  std::lock_guard<std::mutex> l(g->lock);
  CopyText(domain, 256, g->domain);
  return 1;
}
FAKE(SetWLANDomain)(const char*) {
  return 0;
}
FAKE(Disconnect)() {
  return 0;
}
FAKE(EnumCertificates)(const CertEntry** entries, int32_t) {
  *entries = g->certs.empty() ? nullptr : g->certs.data();
  return static_cast<int32_t>(g->certs.size());
}
// Writes at most 512 channels (the caller's buffer), reports what it likes.
inline int32_t Channels(int32_t* out, int32_t band, const char* domain) {
  std::lock_guard<std::mutex> l(g->lock);
  g->domainsAsked.push_back(domain);
  g->calls.push_back("GetAllowedChannel(" + std::to_string(band) + ")");
  const int32_t n = g->channelCounts.count(band) ? g->channelCounts[band] : 0;
  for (int32_t i = 0; i < n && i < 512; ++i) out[i] = band * 1000 + i;
  return n;
}
FAKE(GetAllowedChannel)(int32_t* out, int32_t band, const char* domain) {
  return Channels(out, band, domain);
}
FAKE(GetAPAllowedChannel)(int32_t* out, int32_t band, const char* domain) {
  return Channels(out, band, domain);
}
FAKE(GetCurrentProfile)(char*) {
  return 0;
}
FAKE(EnableDevice)(int32_t) {
  return 0;
}
#undef FAKE

inline OmxEntryTable Table() {
  OmxEntryTable t;
  t.OMXWL_Initial = &Initial;
  t.OMXWL_EnumAvailableDevice = &EnumAvailableDevice;
  t.OMXWL_DevDetect = &DevDetect;
  t.OMXWL_QueryOID = &QueryOID;
  t.OMXWL_SetOID = &SetOID;
  t.OMXWL_SiteSurveyScan = &SiteSurveyScan;
  t.OMXWL_SiteSurveyGet = &SiteSurveyGet;
  t.OMXWL_ChannelToFrequency = &ChannelToFrequency;
  t.OMXWL_FrequencyToChannel = &FrequencyToChannel;
  t.OMXWL_GetWLANStatus = &GetWLANStatus;
  t.OMXWL_SetWLANStatus = &SetWLANStatus;
  t.OMXWL_WLProfileToWLStatus = &WLProfileToWLStatus;
  t.OMXWL_SetWLProfileDir = &SetWLProfileDir;
  t.OMXWL_GetWLProfile = &GetWLProfile;
  t.OMXWL_SetWLProfile = &SetWLProfile;
  t.OMXWL_EnumWLProfiles = &EnumWLProfiles;
  t.OMXWL_DeleteWLProfile = &DeleteWLProfile;
  t.OMXWL_RegExportProfile = &RegExportProfile;
  t.OMXWL_RegImportProfile = &RegImportProfile;
  t.OMXWL_GetNetworkInfo = &GetNetworkInfo;
  t.OMXWL_SetNetworkInfo = &SetNetworkInfo;
  t.OMXWL_StrToIPData = &StrToIPData;
  t.OMXWL_IPDataToStr = &IPDataToStr;
  t.OMXWL_GetWLANDriverPath = &GetWLANDriverPath;
  t.OMXWL_Get_ZeroConfig = &Get_ZeroConfig;
  t.OMXWL_Set_ZeroConfig = &Set_ZeroConfig;
  t.OMXWL_PassphraseToWEPKey = &PassphraseToWEPKey;
  t.OMXWL_GetWLANDomain = &GetWLANDomain;
  t.OMXWL_SetWLANDomain = &SetWLANDomain;
  t.OMXWL_Disconnect = &Disconnect;
  t.OMXWL_EnumCertificates = &EnumCertificates;
  t.OMXWL_GetAllowedChannel = &GetAllowedChannel;
  t.OMXWL_GetAPAllowedChannel = &GetAPAllowedChannel;
  t.OMXWL_GetCurrentProfile = &GetCurrentProfile;
  t.OMXWL_EnableDevice = &EnableDevice;
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

// Pumps this thread's messages until pred holds or ms pass.
inline bool PumpUntil(const std::function<bool()>& pred, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (pred()) return true;
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

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
      EXPECT_TRUE(g_OmxLib.BindTable(fake::Table()));
    }
  }
  ~TestEnv() {
    g_OmxLib.Unbind();
    g_DebugLog.Close();
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
    if (fake::g && fake::g->gate) CloseHandle(fake::g->gate);
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
    std::vector<std::string> out;
    HANDLE h = CreateFileA((dir_ + "WirelessUtility.Log").c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    std::string all;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) all.append(buf, got);
    CloseHandle(h);
    size_t pos = 0;
    while (pos < all.size()) {
      size_t end = all.find("\r\n", pos);
      if (end == std::string::npos) end = all.size();
      std::string line = all.substr(pos, end - pos);
      if (line.find(text) != std::string::npos) out.push_back(line);
      pos = end + 2;
    }
    return out;
  }

  void SetRegDword(const std::string& name, DWORD v) const {
    SetReg(name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  }
  void SetRegString(const std::string& name, const std::string& v) const {
    SetReg(name, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
           static_cast<DWORD>(v.size() + 1));
  }
  // The value's type and text form; type REG_NONE when absent.
  DWORD RegType(const std::string& name, std::string* text = nullptr) const {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, AdapterKey().c_str(), 0, KEY_READ, &h)) return REG_NONE;
    BYTE data[1024] = {};
    DWORD size = sizeof data - 1, type = REG_NONE;
    if (RegQueryValueExA(h, name.c_str(), nullptr, &type, data, &size)) type = REG_NONE;
    RegCloseKey(h);
    if (text) {
      if (type == REG_DWORD)
        *text = std::to_string(*reinterpret_cast<DWORD*>(data));
      else
        *text = reinterpret_cast<char*>(data);
    }
    return type;
  }
  std::string Reg(const std::string& name) const {
    std::string text;
    return RegType(name, &text) == REG_NONE ? "<none>" : text;
  }

 private:
  void SetReg(const std::string& name, DWORD type, const BYTE* data, DWORD size) const {
    HKEY h;
    RegCreateKeyExA(HKEY_CURRENT_USER, AdapterKey().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                    nullptr);
    RegSetValueExA(h, name.c_str(), 0, type, data, size);
    RegCloseKey(h);
  }
  static void WriteFileText(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);
  }
  std::string root_, dir_, exe_;
};
