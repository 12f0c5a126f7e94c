// The adapter object's life: construction with Initial and the default
// profiles, the library lock, and destruction with its kill path.
#include "adapter/Unicadapter.h"

#include <cstdio>
#include <cstring>

#include "adapter/Ucomxlib.h"
#include "app/Udebug.h"
#include "config/Uutility.h"
#include "workers/Uthrddetect.h"
#include "workers/Uthreadipaddr.h"

namespace {

// The user-interface thread's total wait for the library lock, in
// microseconds, kept as a property of the main window so that a tool can
// tell time spent waiting on the library from time spent in the program.
void NoteLockWait(HWND owner, LARGE_INTEGER start) {
  if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) return;
  static unsigned long long totalUs = 0;
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  totalUs += static_cast<unsigned long long>(now.QuadPart - start.QuadPart) * 1000000 /
             static_cast<unsigned long long>(freq.QuadPart);
  SetPropA(owner, "WuLibLockWaitUs", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(totalUs)));
}

// The profile record's name holds 64 characters, its network name 32.
constexpr size_t kNameChars = sizeof(WLProfile::ProfileName) - 1;
constexpr size_t kSsidChars = sizeof(WLProfile::Ssid1) - 1;

std::string Cut(const std::string& text, size_t n) {
  return text.size() > n ? text.substr(0, n) : text;
}

// Name and its copy in the network information always agree.
void SetProfileName(WLProfile& p, const std::string& name) {
  const std::string cut = Cut(name, kNameChars);
  SetField(p.ProfileName, cut);
  SetField(p.NetInfo.NI_sz_CurProfile, cut);
}

}  // namespace

CNICAdapter::CNICAdapter(HWND ownerWnd, int32_t options, const DeviceRec& device) {
  LogWrite("CNICAdapter::CNICAdapter()");
  StopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  FuncEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  Options = options;
  OwnerWnd = ownerWnd;
  Device = device;

  std::memset(&DetectRec, 0, sizeof DetectRec);
  SetField(DetectRec.HardwareId, FieldText(Device.HardwareId));

  RegSection = FieldText(Device.HardwareId) + "-" + FieldText(Device.Tag);
  RegKey = "Software\\" + g_GlobalVar.ProfRoot + "\\WLAdapter\\" + RegSection;

  WLStatus* status = new WLStatus{};
  status->MediaState = 1;  // not connected until a sample says otherwise
  delete StatusBuf.Exchange(status);
  delete NetInfoBuf.Exchange(new NetworkInfo{});
  IPThread = nullptr;

  Initial();
  Start();
}

CNICAdapter::~CNICAdapter() {
  LogWrite("CNICAdapter::~CNICAdapter()");
  Terminate();
  if (StopEvent) SetEvent(StopEvent);

  if (!WaitFor(2000)) {
    LogWrite("CNICAdapter::~CNICAdapter TerminateThread");
    const DWORD worker = ThreadId();
    Kill();
    Sleep(500);
    // Free the lock only if the killed worker was inside it; a lock held by
    // a living thread (device detection) is released by that thread itself.
    if (g_OmxLib.SynchEvent && libHolder_.load() == worker && worker != 0) {
      if (WaitForSingleObject(g_OmxLib.SynchEvent, 0) != WAIT_OBJECT_0)
        LogWrite("CNICAdapter: release g_OmxLib.SynchEvent event");
      SetEvent(g_OmxLib.SynchEvent);
      libHolder_ = 0;
    }
    // A worker killed inside a connection or a management switch never turns
    // device detection back on; without this no device would be found again.
    if (ignoreHeld_.exchange(false)) SetDetectIgnore(false);
  }

  if (StopEvent) CloseHandle(StopEvent);
  if (FuncEvent) CloseHandle(FuncEvent);
  StopEvent = FuncEvent = nullptr;

  FuncList.Clear();
  ProfList.clear();
  APProfList.clear();

  delete StatusBuf.Take();
  delete NetInfoBuf.Take();
  delete PendingProf.Take();
  delete AppliedProf.Take();

  if (IPThread) {
    IPThread->WaitStop();
    delete IPThread;
    IPThread = nullptr;
  }
  LogWrite("CNICAdapter::~CNICAdapter() end");
}

bool CNICAdapter::LockLib(const char* /*caller*/) {
  HANDLE sync = g_OmxLib.SynchEvent;
  if (!sync || !StopEvent || !g_OmxLib.IsBound()) return false;
  HANDLE handles[2] = {sync, StopEvent};
  DWORD r = WaitForMultipleObjects(2, handles, FALSE, 0);
  if (r == WAIT_TIMEOUT) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    NoteLockWait(OwnerWnd, start);
  }
  if (r == WAIT_OBJECT_0) {
    libHolder_ = GetCurrentThreadId();
    return true;
  }
  if (r == WAIT_OBJECT_0 + 1) {
    Terminate();
    SetEvent(StopEvent);  // every later wait sees the stop as well
  }
  return false;
}

void CNICAdapter::UnlockLib(const char* /*caller*/) {
  // Release first: a worker killed between the two steps then leaves a free
  // lock behind rather than one that nobody will ever release.
  SetEvent(g_OmxLib.SynchEvent);
  DWORD self = GetCurrentThreadId();
  libHolder_.compare_exchange_strong(self, 0);
}

void CNICAdapter::PostNotify(WPARAM code, LPARAM value) const {
  if (OwnerWnd) PostMessageA(OwnerWnd, NotifyMsg, code, value);
}

std::vector<WLProfile>& CNICAdapter::ListOf(int kind) {
  return kind == kAPList ? APProfList : ProfList;
}

const std::vector<WLProfile>& CNICAdapter::ListOf(int kind) const {
  return kind == kAPList ? APProfList : ProfList;
}

void CNICAdapter::Initial() {
  LogWrite("CNICAdapter::Initial()");
  if (!LockLib("CNICAdapter::Initial")) return;

  // The description the library leaves here is the default of "NicDesc".
  g_OmxLib.OMXWL_DevDetect(&DetectRec);

  uint8_t mac[6] = {};
  uint32_t written = 0;
  if (g_OmxLib.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, sizeof mac, &written) != 0)
    std::memset(mac, 0, sizeof mac);
  char text[32];
  snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
           mac[4], mac[5]);
  MacAddress = text;

  char domain[256] = {};
  g_OmxLib.OMXWL_GetWLANDomain(domain);
  const std::string libDomain = FieldText(domain, sizeof domain);
  LogWrite("Domain = [%s]", libDomain.c_str());
  Domain = ReadSet("Domain", libDomain);

  char driver[256] = {};
  g_OmxLib.OMXWL_GetWLANDriverPath(driver);
  const std::string libDriver = FieldText(driver, sizeof driver);
  UnlockLib("CNICAdapter::Initial");

  DriverPath = libDriver.empty() ? std::string() : ResolveDriverPath(libDriver);
  DriverVersion = DriverPath.empty() ? std::string() : GetFileVersionText(DriverPath, 4);

  ReadSettingsFields();
  InitDefProf();

  if (!(Options & CmdService)) {
    ReadProfileList(kStationList, ProfList);
    if (ProfList.empty()) {
      WLProfile& first = g_GlobalVar.WorkProfile;
      first = DefProf;
      SetProfileName(first, DefProfName);
      SetField(first.Ssid1, DefProfSSID);
      AddProfile(first);
    }
  }

  SoftAPCapable = false;
  AntennaEnabled = ReadSet("EnableAntenna", false);

  if (!(Options & CmdService)) StartSiteSurvey();

  if (g_GlobalVar.OsVersionCode < 7) {
    UseWZC = false;
  } else {
    UseWZC = ReadSet("EnableZeroCfg", false);
    FuncList.Add({this, &CNICAdapter::DoSetZeroCfg});
    SetEvent(FuncEvent);
  }
  LogWrite("CNICAdapter::Initial() end");
}

void CNICAdapter::ReadSettingsFields() {
  SupportMode = ReadSet("SupportMode", 34);
  DefBand = ReadSet("DefBand", 1);
  DefChB = ReadSet("DefChB", 6);
  DefChA = ReadSet("DefChA", 36);
  DefProfName = ReadSet("DefProfName", "Default");
  if (DefProfName.empty()) DefProfName = "Default";
  DefProfName = Cut(DefProfName, kNameChars);
  DefProfSSID = Cut(ReadSet("DefProfSSID", "ANY"), kSsidChars);
  DefAPBand = ReadSet("DefAPBand", 11);
  DefAPChB = ReadSet("DefAPChB", 6);
  DefAPChA = ReadSet("DefAPChA", 36);
  DefAPProfName = ReadSet("DefAPProfName", "Default_SoftAP");
  if (DefAPProfName.empty()) DefAPProfName = "Default_SoftAP";
  DefAPProfName = Cut(DefAPProfName, kNameChars);
  DefAPProfSSID = Cut(ReadSet("DefAPProfSSID", "WLAN_AP"), kSsidChars);
}

void CNICAdapter::InitDefProf() {
  LogWrite("CNICAdapter::InitDefProf()");
  std::memset(&DefProf, 0, sizeof DefProf);
  std::memset(&DefAPProf, 0, sizeof DefAPProf);

  CFAGlobalVar::ResetSecurity(DefProf);
  DefProf.bQosEnabled = 1;
  DefProf.ABGMode = SupportMode;
  DefProf.AdHocBand = DefBand;
  DefProf.Channel = DefBand == 2 ? DefChA : DefChB;
  DefProf.TxRate = 15;
  DefProf.NetworkMode = 1;
  // Longer names than the record holds are cut to its fields.
  SetProfileName(DefProf, ReadSet("ProfName", DefProfName));
  SetField(DefProf.Ssid1, ReadSet("ProfSSID", DefProfSSID));
  DefProf.FragThreshold = 2346;
  DefProf.RTSThreshold = 2347;
  DefProf.PreambleMode = 2;
  DefProf.PowerMode = 0;
  DefProf.ApplyNetwork = 0;

  DefAPProf = DefProf;
  DefAPProf.ABGMode = DefAPBand;
  const bool band24 = DefAPBand == 1 || DefAPBand == 3 || DefAPBand == 11;
  DefAPProf.Channel = band24 ? DefAPChB : DefAPChA;
  SetProfileName(DefAPProf, ReadSet("APProfName", DefAPProfName));
  SetField(DefAPProf.Ssid1, ReadSet("APProfSSID", DefAPProfSSID));
  DefAPProf.AuthenticationMode = 0;
  DefAPProf.PreambleMode = 0;
}
