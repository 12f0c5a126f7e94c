// The adapter object's life: construction with Initial and the default
// profiles, the library lock, and destruction with its kill path.
#include "adapter/Unicadapter.h"

#include <cstdio>
#include <cstring>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Uutility.h"
#include "workers/Uthrddetect.h"
#include "workers/Uthreadipaddr.h"

namespace {

// The profile record's network name holds 32 bytes.
constexpr size_t kSsidChars = sizeof(WLProfile::Ssid1) - 1;

// UTF-8 cut to at most n bytes, never inside a character.
std::string Cut(const std::string& text, size_t n) {
  if (text.size() <= n) return text;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

// A name from the settings (UTF-8) as one the store can hold; name and its
// copy in the network information always agree.
void SetProfileName(WLProfile& p, const std::string& name) {
  SetProfileNameText(p, StorableName(name));
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
  if (!StopWorker()) {
    // Freed under a running worker would be worse than the wait.
    LogWrite("CNICAdapter::~CNICAdapter() waits for the abandoned worker");
    WaitFor(INFINITE);
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
    // A release or renewal is never cut off; one that outlives the wait
    // finishes on its own and frees itself. One not started yet is dropped.
    IPThread->Terminate();
    if (IPThread->WaitStop()) {
      delete IPThread;
    } else {
      IPThread->Release();
    }
    IPThread = nullptr;
  }
  LogWrite("CNICAdapter::~CNICAdapter() end");
}

void CNICAdapter::Dispose(CNICAdapter* adapter) {
  if (!adapter) return;
  LogWrite("CNICAdapter::Dispose()");
  if (adapter->StopWorker()) {
    delete adapter;
    return;
  }
  // Leaked on purpose: the worker still runs in it, and the program goes on.
  LogWrite("CNICAdapter::Dispose() left the adapter of an abandoned worker in memory");
}

bool CNICAdapter::StopWorker() {
  if (workerStopped_) return !workerAbandoned_;
  workerStopped_ = true;
  Terminate();
  if (StopEvent) SetEvent(StopEvent);
  // Killed only inside a hung library call; in its own code the worker
  // reaches a stop check (its waits all watch StopEvent), or is abandoned.
  const StopOutcome outcome =
      WaitOrKillInLibrary(timescale::Ms(2000), true, "CNICAdapter::~CNICAdapter TerminateThread",
                          "CNICAdapter::StopWorker() wait for the worker");
  if (outcome == StopOutcome::kEnded) return true;
  if (outcome == StopOutcome::kAbandoned) {
    // The library lock it may hold stays its own: freed under a living
    // thread, two threads would be inside the library at once. Detection's
    // pause is given back once, whoever comes first.
    workerAbandoned_ = true;
    if (ignoreHeld_.exchange(false)) SetDetectIgnore(false);
    LogWrite("CNICAdapter::StopWorker() abandoned the worker%s",
             InLibrary() ? " (in the library)" : "");
    return false;
  }

  const DWORD worker = ThreadId();
  Sleep(timescale::Ms(500));
  // Only a lock the killed worker was inside is freed; one held by a living
  // thread (device detection) is released by that thread itself.
  librarylock::ReleaseIfHeldBy(worker, "CNICAdapter: release g_OmxLib.SynchEvent event");
  // A worker killed inside a connection or a management switch never turns
  // device detection back on; without this no device would be found again.
  if (ignoreHeld_.exchange(false)) SetDetectIgnore(false);
  return true;
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
  CLibraryGuard lib(StopEvent, this);
  if (!lib && !librarylock::TimedOut()) return;
  // A library that does not answer in time leaves the identity empty; the
  // settings and the default profiles are still read.
  if (!lib) LogWrite("CNICAdapter::Initial: the library did not answer, identity not read");

  // The description the library leaves here is the default of "NicDesc".
  if (lib) g_OmxLib.OMXWL_DevDetect(&DetectRec);

  uint8_t mac[6] = {};
  uint32_t written = 0;
  if (!lib ||
      g_OmxLib.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, sizeof mac, &written) != 0)
    std::memset(mac, 0, sizeof mac);
  char text[32];
  snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
           mac[4], mac[5]);
  MacAddress = text;

  char domain[256] = {};
  if (lib) g_OmxLib.OMXWL_GetWLANDomain(domain);
  const std::string libDomain = FieldText(domain, sizeof domain);
  LogWrite("Domain = [%s]", libDomain.c_str());
  Domain = ReadSet("Domain", libDomain);

  char driver[256] = {};
  if (lib) g_OmxLib.OMXWL_GetWLANDriverPath(driver);
  const std::string libDriver = FieldText(driver, sizeof driver);
  lib.Release();

  DriverPath = libDriver.empty() ? std::string() : ResolveDriverPath(libDriver);
  DriverVersion = DriverPath.empty() ? std::string() : GetFileVersionText(DriverPath, 4);

  ReadSettingsFields();
  InitDefProf();

  if (!(Options & (CmdService | kAdapterLookOnly))) {
    // A library that fails to list what it has gets no first profile over it.
    const bool whole = ReadProfileList(kStationList, ProfList);
    if (whole && ProfList.empty() && !StoredProfileExists(DefProfName)) {
      WLProfile& first = g_GlobalVar.WorkProfile;
      first = DefProf;
      SetProfileName(first, DefProfName);
      SetField(first.Ssid1, DefProfSSID);
      AddProfile(first);
    }
  }

  SoftAPCapable = false;
  AntennaEnabled = ReadSet("EnableAntenna", false);

  // Only looked at: no scan, no hand-over, nothing written.
  const bool lookOnly = (Options & kAdapterLookOnly) != 0;
  if (!(Options & CmdService) && !lookOnly) StartSiteSurvey();

  if (g_GlobalVar.OsVersionCode < 7) {
    UseWZC = false;
  } else {
    UseWZC = ReadSet("EnableZeroCfg", false);
    if (!lookOnly) {
      FuncList.Add({this, &CNICAdapter::DoSetZeroCfg});
      SetEvent(FuncEvent);
    }
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
  DefProfName = StorableName(DefProfName);
  DefProfSSID = Cut(ReadSet("DefProfSSID", "ANY"), kSsidChars);
  DefAPBand = ReadSet("DefAPBand", 11);
  DefAPChB = ReadSet("DefAPChB", 6);
  DefAPChA = ReadSet("DefAPChA", 36);
  DefAPProfName = ReadSet("DefAPProfName", "Default_SoftAP");
  if (DefAPProfName.empty()) DefAPProfName = "Default_SoftAP";
  DefAPProfName = StorableName(DefAPProfName);
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
  SetField(DefProf.Ssid1, Cut(ReadSet("ProfSSID", DefProfSSID), kSsidChars));
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
  SetField(DefAPProf.Ssid1, Cut(ReadSet("APProfSSID", DefAPProfSSID), kSsidChars));
  DefAPProf.AuthenticationMode = 0;
  DefAPProf.PreambleMode = 0;
}
