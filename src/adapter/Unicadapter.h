// The adapter object: the one object through which the program talks to the
// selected wireless adapter. It keeps the device's identity and per-adapter
// settings, the profile lists, the status snapshots, and is itself the worker
// thread that runs deferred functions and polls the status.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "config/Udefine.h"
#include "config/Unotify.h"
#include "workers/Ucritsect.h"
#include "workers/Uthread.h"
#include "workers/Uthreadipaddr.h"

class CNICAdapter;

// One heap record behind a critical section. The section is held only for a
// copy or a pointer swap; the buffer never frees what it holds.
template <class T>
class CGuardedBuffer {
 public:
  CGuardedBuffer() = default;
  CGuardedBuffer(const CGuardedBuffer&) = delete;
  CGuardedBuffer& operator=(const CGuardedBuffer&) = delete;

  // The record (may be null), with the section held while this lives:
  //   if (auto held = buffer.Lock()) *held = value;
  class Held {
   public:
    explicit Held(CGuardedBuffer& buffer) : guard_(buffer.cs_), slot_(buffer.ptr_) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    T* get() const { return slot_; }
    T& operator*() const { return *slot_; }
    T* operator->() const { return slot_; }
    explicit operator bool() const { return slot_ != nullptr; }
    // Stores p and returns what was held; the caller frees that.
    T* Exchange(T* p) {
      T* old = slot_;
      slot_ = p;
      return old;
    }

   private:
    CSectionGuard guard_;
    T*& slot_;
  };

  Held Lock() { return Held(*this); }
  // Stores p and returns what was held; the caller frees that.
  T* Exchange(T* p) { return Lock().Exchange(p); }
  T* Take() { return Exchange(nullptr); }

 private:
  CCriticalSection cs_;
  T* ptr_ = nullptr;
};

// A deferred function: a method of the adapter bound to its object. An entry
// without a function means "nothing queued".
struct TFuncEntry {
  CNICAdapter* Object = nullptr;
  void (CNICAdapter::*Func)() = nullptr;

  bool Empty() const { return Func == nullptr; }
  bool operator==(const TFuncEntry& other) const {
    return Object == other.Object && Func == other.Func;
  }
};

// Thread-safe list of deferred functions. A function already queued for the
// same object moves to the end instead of running twice.
class TFuncList {
 public:
  TFuncList() = default;
  TFuncList(const TFuncList&) = delete;
  TFuncList& operator=(const TFuncList&) = delete;

  void Add(const TFuncEntry& entry);
  void Remove(const TFuncEntry& entry);
  TFuncEntry PopFront();
  void Clear();
  size_t Count() const;

 private:
  mutable CCriticalSection cs_;
  std::list<TFuncEntry> items_;
};

// List kinds of the profile store.
constexpr int kStationList = 0;
constexpr int kAPList = 1;

// Flags of IPConfig.
constexpr int32_t kIPRelease = 1;
constexpr int32_t kIPRenew = 2;

// An option of the adapter beside the command line's flags: the adapter is
// only looked at (a script's /Status). Its construction starts no survey,
// creates no profile, reads no profile list and does not bring Windows'
// wireless management in line with the setting.
constexpr int32_t kAdapterLookOnly = 0x10000;

// Most channels collected per request, most site entries per survey.
constexpr int kMaxChannels = 512;
// Domain text handed to the channel queries: 11 characters and a terminator.
constexpr size_t kDomainBufferSize = 12;

class CNICAdapter : public CThread {
 public:
  // Reads the device's identity and settings; the worker starts afterwards.
  CNICAdapter(HWND ownerWnd, int32_t options, const DeviceRec& device);
  // Stops the worker (StopWorker) and frees everything. A worker the stop
  // abandoned is waited for here until it ends: use Dispose instead.
  ~CNICAdapter() override;

  // Stops the worker and deletes the adapter, or, when the worker had to be
  // abandoned, leaves the adapter in memory for good (logged): that worker
  // may still touch every part of it. Never waits longer than StopWorker.
  static void Dispose(CNICAdapter* adapter);

  // Stops the worker: signals it, and waits 2000 ms while answering what it
  // sends to the calling thread (a worker announcing a connection waits for
  // that answer). A worker still running then is killed once it is seen
  // inside a library call, and the library lock it held is freed and device
  // detection it had suspended resumes; a worker in the program's own code
  // is waited for up to CThread::kAbandonMs more and then abandoned (false;
  // the adapter must then stay in memory). A second call gives the first
  // one's answer.
  bool StopWorker();

  // ---- per-adapter settings: registry, then settings file, then default ----
  int32_t ReadSet(const std::string& name, int32_t def) const;
  bool ReadSet(const std::string& name, bool def) const;
  std::string ReadSet(const std::string& name, const std::string& def) const;
  std::string ReadSet(const std::string& name, const char* def) const;
  void WriteSet(const std::string& name, int32_t value) const;
  void WriteSet(const std::string& name, bool value) const;
  void WriteSet(const std::string& name, const std::string& value) const;
  void WriteSet(const std::string& name, const char* value) const;
  void SetDeleteKey(const std::string& name) const;

  // ---- profile list store (user interface thread) ----
  // False when the library could not list or read every profile: the
  // stored order is then left as it was.
  bool ReadProfileList(int kind, std::vector<WLProfile>& list);
  void GetProfileList(int kind, std::vector<WLProfile>& out) const;
  bool AddProfile(const WLProfile& record);
  bool UpdateProfile(const WLProfile& record, const std::string& oldName);
  bool DeleteProfile(int kind, const std::string& name);
  bool IsProfileExist(const std::string& name) const;
  // The library has a profile of exactly this name (true when it cannot
  // be asked).
  bool StoredProfileExists(const std::string& name);
  std::string GetLastProfName(int kind) const;
  void GetLastApplyProf(WLProfile& out) const;

  // ---- connect and deferred tasks ----
  void Connect(const WLProfile& profile);
  void WriteUseWZC(bool enable);
  void IPConfig(int32_t flags);
  void LaunchToDoFunc();  // worker thread
  void DoConnect();       // worker thread
  void DoSetZeroCfg();    // worker thread
  // Queues DoDisconnect: the library drops the link.
  void Disconnect();
  void DoDisconnect();  // worker thread
  // What OMXWL_SetWLANStatus gave the last DoConnect (0 before any, or when
  // it did not get that far).
  std::atomic<int32_t> LastApplyResult{0};
  // Every Connect draws the next ticket; ConnectTicket is the latest one
  // drawn (0: none yet).
  uint32_t ConnectTicket() const { return connectTicket_; }
  // What became of a ticket's connection: kApplyWaiting while no DoConnect
  // has got to it, kApplyReplaced when a newer Connect took its place
  // before the worker took it, kApplyAborted when the worker was stopped
  // first; else the result of OMXWL_SetWLANStatus.
  static constexpr int32_t kApplyWaiting = -1;
  static constexpr int32_t kApplyReplaced = -2;
  static constexpr int32_t kApplyAborted = -3;
  int32_t ApplyOutcome(uint32_t ticket) const;

  // ---- profile files (user interface thread) ----
  // The library's name of a stored profile (exact, else ignoring case);
  // empty when none.
  std::string StoredProfileName(const std::string& name);
  // Profile storedName (empty: all) to path; the number written, 0 on failure.
  int32_t ExportProfiles(const std::string& storedName, const std::string& path);
  // Adds a file's profiles to the store and reloads the station list
  // (kNotifyProfiles); the number imported, 0 for a file that is not an
  // export. refused (may be null): records not taken, or 1 when the list
  // could not be read back whole.
  int32_t ImportProfiles(const std::string& path, int32_t* refused = nullptr);

  // Waits ms on the worker, less when it is told to stop; false then.
  bool Pause(DWORD ms);

  // ---- status ----
  void CollectStatus();  // worker thread
  void GetStatus(WLStatus& out);
  void GetNetInfo(NetworkInfo& out);
  bool GetAppliedProf(WLProfile& out);
  void SetAntenna(uint8_t value);

  // ---- site survey, channels, bands, certificates ----
  // False when the library lock did not come (librarylock::TimedOut tells
  // a wait that gave up on the interface thread).
  bool StartSiteSurvey();
  bool GetSiteList(std::vector<SiteEntry>& list);
  void SiteToProfile(const SiteEntry& site, WLProfile& profile);
  int GetAllowedCh(int32_t* out, int capacity, int32_t bands);
  int GetSoftAPAllowedCh(int32_t* out, int capacity, int32_t bands);
  int32_t GetUsableAdHocBand(int32_t mode);
  bool IsBandEnable(const std::string& name);
  void GetCertificateList(std::vector<CertEntry>& list, int32_t kind);

  // ---- data ----
  HANDLE StopEvent = nullptr;
  HANDLE FuncEvent = nullptr;
  TFuncList FuncList;
  ThreadIPAddr* IPThread = nullptr;
  // The IP helper the renewal jobs use: the system's, or a test's.
  IpHelperApi IpHelper = SystemIpHelper();
  int32_t Options = 0;
  HWND OwnerWnd = nullptr;
  DeviceRec Device{};
  ::DetectRec DetectRec{};
  std::string RegSection;
  std::string RegKey;
  std::string DriverVersion;
  std::string DriverPath;
  std::string MacAddress;
  std::string Domain;
  std::atomic<bool> UseWZC{false};
  bool SoftAPCapable = false;
  bool AntennaEnabled = false;
  int32_t SupportMode = 0;
  int32_t DefBand = 0, DefChB = 0, DefChA = 0;
  std::string DefProfName, DefProfSSID;
  int32_t DefAPBand = 0, DefAPChB = 0, DefAPChA = 0;
  std::string DefAPProfName, DefAPProfSSID;
  std::vector<WLProfile> ProfList, APProfList;
  WLProfile DefProf{}, DefAPProf{};
  CGuardedBuffer<WLStatus> StatusBuf;
  CGuardedBuffer<NetworkInfo> NetInfoBuf;
  CGuardedBuffer<WLProfile> PendingProf;
  CGuardedBuffer<WLProfile> AppliedProf;

 protected:
  void Execute() override;

 private:
  void Initial();
  void InitDefProf();
  void ReadSettingsFields();
  std::vector<WLProfile>& ListOf(int kind);
  const std::vector<WLProfile>& ListOf(int kind) const;
  void PostNotify(WPARAM code, LPARAM value) const;
  // Library calls of the profile store, under the caller's lock: true when
  // the library answered 1 (a refused removal of a profile the library no
  // longer has counts as done).
  bool StoreRecord(const std::string& name, const WLProfile& record);
  bool RemoveRecord(const std::string& name);
  int CollectChannels(bool softAP, int32_t* out, int capacity, int32_t bands);

  // The worker turned device detection off (CDetectIgnoreGuard) and has not
  // turned it on again, so the kill path can resume detection for a worker
  // that never will.
  std::atomic<bool> ignoreHeld_{false};
  bool workerStopped_ = false;
  bool workerAbandoned_ = false;

  // Drawn under PendingProf's section together with the profile it goes
  // with, so a DoConnect knows which request it applies.
  std::atomic<uint32_t> connectTicket_{0};
  // The newest tickets a DoConnect took, each with its outcome in one word
  // (ticket in the high half): a short ring, as a script asks within
  // seconds. No lock, so a worker killed at any point leaves none taken.
  void RecordOutcome(uint32_t ticket, int32_t result);
  std::atomic<uint64_t> outcomes_[8] = {};
  std::atomic<uint32_t> takenTicket_{0};  // newest ticket a DoConnect took
};
