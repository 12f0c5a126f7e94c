// The library's one state object: the world, the simulated adapters, the
// profile store location, one library-wide lock, and the watcher thread that
// re-reads the world, finishes scans and associations on time and produces
// hot-plug events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "omxwl.h"
#include "radio.h"
#include "world.h"

namespace omx {

// The library's own bytes of the status record (from offset 240): what a
// connection needs, carried from OMXWL_WLProfileToWLStatus to
// OMXWL_SetWLANStatus.
#pragma pack(push, 1)
struct StatusOverlay {
  uint32_t Magic;
  uint32_t Version;
  int32_t NetworkMode;
  int32_t Channel;
  int32_t AdHocBand;
  int32_t ABGMode;
  int32_t EncryptionMethod;
  int32_t AuthenticationMode;
  int32_t WPAEncryptionType;
  int32_t WEPEncryptionLevel;
  int32_t DefaultKey;
  int32_t WEPKeyFormat;
  int32_t MS8021xAuthMode;
  int32_t PeapEap;
  int32_t TxRate;
  int32_t PowerMode;
  int32_t PreambleMode;
  char ProfileName[65];
  char Ssid[33];
  char WEPKeys[4][33];
  char WPAPassphrase[260];
  char LoginName[260];
  char LoginPassword[260];
  char sCertificate[260];
  char sCertAuthority[260];
};
#pragma pack(pop)
static_assert(sizeof(StatusOverlay) <= sizeof(WLStatus::Lib240));
constexpr uint32_t kOverlayMagic = 0x53584D4F;  // "OMXS"
constexpr uint32_t kOverlayVersion = 1;

StatusOverlay* OverlayOf(WLStatus* status);
const StatusOverlay* OverlayOf(const WLStatus* status);

// Where a link goes.
struct LinkTarget {
  bool ownAdHoc = false;  // an ad-hoc network this adapter started itself
  Mac bssid{};
  std::string ssid;
  int32_t channel = 0;
  NetType netType = kNetTypeG;  // of the link
  bool infrastructure = true;
  int32_t baseSignal = 0;
  int32_t jitter = 0;
};

enum class LinkState { Idle, Searching, Linked };

// Run-time state of one adapter of the world, kept by its identity.
struct AdapterState {
  bool radioOn = true;
  bool zeroConfig = false;
  std::string domainOverride;
  uint8_t antenna = 4;
  uint32_t infraMode = 1;  // Ndis802_11Infrastructure

  LinkState link = LinkState::Idle;
  StatusOverlay profile{};  // the settings being applied
  uint32_t pendingSince = 0;
  LinkTarget target;
  uint32_t assocSeq = 0;

  bool scanning = false;
  uint32_t scanStartedAt = 0;
  std::vector<SiteEntry> lastScan;

  uint64_t rxBytes = 0, txBytes = 0;
  uint32_t trafficAt = 0;
  uint32_t rxRate = 40000, txRate = 8000;  // bytes per second

  NetworkInfo ipConfig{};
  bool againPending = false;

  void ResetDevice();
};

struct FileStamp {
  bool exists = false;
  FILETIME written{};
  uint64_t size = 0;
  bool operator==(const FileStamp& o) const;
};

class Library {
 public:
  static Library* Get() { return instance_; }
  static void OnAttach(HMODULE module);
  static void OnDetach(bool processExit);

  // Loads the world and starts the watcher on first use.
  void EnsureStarted();
  // Fault knobs of an entry point. Read without the lock: a caller killed
  // during a delay must not leave the lock taken.
  void Knobs(Entry entry, uint32_t* delayMs, bool* fail) const;
  // The entry's crash knob: it faults before doing anything.
  bool CrashKnob(Entry entry) const;
  // Sleeps for the entry's delay knob, following live changes of it.
  void DelayCall(Entry entry, uint32_t ms);

  // ---- entry points (the lock is taken inside) ----
  int32_t Initial(const char* root, int32_t flags);
  int32_t EnumAvailableDevice(int32_t index, DetectRec* rec);
  int32_t DevDetect(DetectRec* rec);
  int32_t QueryOID(uint32_t oid, void* buf, uint32_t len, uint32_t* written);
  int32_t SetOID(uint32_t oid, const void* buf, uint32_t len);
  int32_t SiteSurveyScan();
  int32_t SiteSurveyGet(SiteList* list, uint32_t* len);
  int32_t GetWLANStatus(int32_t* again, WLStatus* status);
  int32_t SetWLANStatus(int32_t* word, WLStatus* status);
  int32_t WLProfileToWLStatus(const WLProfile* profile, WLStatus* status);
  int32_t SetWLProfileDir(const char* root);
  int32_t GetWLProfile(const char* name, WLProfile* profile);
  int32_t SetWLProfile(const char* name, const WLProfile* profile);
  int32_t EnumWLProfiles(int32_t index, char* name);
  int32_t DeleteWLProfile(const char* name);
  int32_t RegExportProfile(const char* name, const char* path);
  int32_t RegImportProfile(const char* path);
  int32_t GetNetworkInfo(NetworkInfo* info);
  int32_t SetNetworkInfo(const NetworkInfo* info);
  int32_t GetWLANDriverPath(char* path);
  int32_t GetZeroConfig(int32_t* on);
  int32_t SetZeroConfig(int32_t on);
  int32_t GetWLANDomain(char* domain);
  int32_t SetWLANDomain(const char* domain);
  int32_t Disconnect();
  int32_t EnumCertificates(const CertEntry** entries, int32_t kind);
  int32_t GetAllowedChannel(int32_t* channels, int32_t band, const char* domain, bool ap);
  int32_t GetCurrentProfile(char* name);
  int32_t EnableDevice(int32_t enable);

 private:
  // The library-wide lock, held for short stretches only: never across a
  // delay knob, a file wait or a message to a window.
  class Lock {
   public:
    explicit Lock(Library* lib) : lib_(lib) { EnterCriticalSection(&lib_->lock_); }
    ~Lock() { LeaveCriticalSection(&lib_->lock_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    Library* lib_;
  };
  struct Event {
    bool arrival;
    std::string path;
    std::string instanceId;
  };

  explicit Library(HMODULE module);
  ~Library();

  // world
  std::string WorldPath() const;
  static FileStamp Stamp(const std::string& path);
  static bool ReadWorldFile(const std::string& path, std::string* text, std::string* why);
  void LoadInitialWorld();
  void CheckWorldFile();
  std::vector<Event> ApplyWorld(World next);
  void EnsureDeviceKeys(const World& w);
  void Deliver(const std::vector<Event>& events);

  // watcher
  static DWORD WINAPI WatcherMain(void* self);
  void WatchLoop();
  void Wake();

  // radio (lock held)
  void Advance(uint32_t now);
  void AdvanceAdapter(const AdapterDef& def, AdapterState& st, uint32_t now);
  const AdapterDef* Selected(AdapterState** state);
  AdapterState& StateOf(const AdapterDef& def);
  std::string DomainOf(const AdapterDef& def, const AdapterState& st) const;
  bool InRange(const NetworkDef& n) const;
  bool Audible(const AdapterDef& def, const AdapterState& st, const NetworkDef& n) const;
  bool FindTarget(const AdapterDef& def, const AdapterState& st, LinkTarget* target);
  bool Accepts(const NetworkDef& n, const StatusOverlay& p) const;
  bool EapAccepts(const NetworkDef& n, const StatusOverlay& p, bool leapOnly) const;
  bool HasCertificate(CertKind kind, const std::string& name) const;
  int32_t SampleSignal(int32_t base, int32_t jitter);
  std::vector<SiteEntry> BuildScan(const AdapterDef& def, AdapterState& st);
  void FillStatus(const AdapterDef& def, AdapterState& st, WLStatus* status);
  void DropLink(AdapterState& st, bool forget);

  // profile store (lock held)
  bool StoreFile(std::string* file, std::string* dir) const;
  template <class Fn>
  int32_t WithStore(bool write, Fn fn);

  uint32_t Random();
  void PublishKnobs();  // lock held

  static Library* instance_;

  HMODULE module_;
  CRITICAL_SECTION lock_;
  bool started_ = false;
  World world_;
  std::string worldPath_;
  FileStamp loadedStamp_, seenStamp_;
  bool worldFromFile_ = false;
  uint32_t lastFileCheck_ = 0;
  std::map<std::string, AdapterState> states_;
  std::string selected_;
  std::string initRoot_, dirRoot_;
  int32_t initFlags_ = 0;
  std::vector<CertEntry> userCerts_, authorityCerts_;
  CertEntry noCert_{};
  uint32_t rng_ = 0x1D4F0A71;

  HANDLE thread_ = nullptr;
  HANDLE stopEvent_ = nullptr;
  HANDLE wakeEvent_ = nullptr;
  HANDLE runningEvent_ = nullptr;
  HANDLE parkedEvent_ = nullptr;
  HANDLE neverEvent_ = nullptr;
  volatile LONG stopping_ = 0;
  volatile LONG delayMs_[kEntryCount] = {};
  volatile LONG fail_[kEntryCount] = {};
  volatile LONG crash_[kEntryCount] = {};
};

}  // namespace omx
