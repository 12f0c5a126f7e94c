// Shared vocabulary of the program: the wire records (shared with the vendor
// library's header), the program's own device record, the enumerations and
// the one global settings object CFAGlobalVar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/Utext.h"
#include "omxwl.h"

// ---- command-line flag word -------------------------------------------------
constexpr int32_t CmdClose = 1;     // "/Close"
constexpr int32_t CmdService = 2;   // "/Service"
constexpr int32_t CmdUI = 4;        // "/UI"
constexpr int32_t CmdTrayIcon = 8;  // "/TrayIcon"

// ---- reserved profile name ---------------------------------------------------
constexpr const char* kEditingProfile = "(EditingProfile)";

// ---- security type (EncryptionMethod) ---------------------------------------
enum : int32_t {
  EncNone = 0, EncWEP = 1, EncWPA_PSK = 2, EncWPA = 3,
  EncRADIUS = 4, EncLEAP = 5, EncWPA2_PSK = 6, EncWPA2 = 7
};
// ---- 802.11 authentication mode (AuthenticationMode) ------------------------
enum : int32_t {
  AuthOpen = 0, AuthShared = 1, AuthAuto = 2, AuthWPA = 3,
  AuthWPA_PSK = 4, AuthWPA_None = 5, AuthWPA2 = 6, AuthWPA2_PSK = 7
};
// ---- band bits ---------------------------------------------------------------
constexpr int32_t Band11b = 1, Band11a = 2, Band11g = 4;

#pragma pack(push, 1)
// The program's own entry for a detected adapter, 197 bytes. Two devices are
// the same when all 197 bytes are equal.
struct DeviceRec {
  char Description[128];
  char HardwareId[64];
  char Tag[5];  // always "9999"
};
#pragma pack(pop)
static_assert(sizeof(DeviceRec) == 197);
static_assert(offsetof(DeviceRec, HardwareId) == 128);
static_assert(offsetof(DeviceRec, Tag) == 192);

// ---- the "Common" display strings (index = position in the table) ---------
constexpr int kCommonStringCount = 82;
enum CommonIndex : int {
  csUnknow = 0, csdBm, csKbps, csMbps, csGHz, csAuto, csScanning, csTrustAny,
  csNone, csNotUse, csEnabled, csDisabled, csSignal, csQuality,
  csConnecting, csConnected, csDisConnected,
  csSignalNull, csSignalPoor, csSignalGood, csSignalVeryGood, csSignalExcellent,
  csAuthenticating, csAuthenRetry, csAuthenFail, csAuthenticated,
  csInfrastructure, csAdHoc,
  csEncrypt_None, csEncrypt_WEP, csEncrypt_WPA_PSK, csEncrypt_WPA, csEncrypt_Radius,
  csEncrypt_LEAP, csEncrypt_WPA2_PSK, csEncrypt_WPA2,
  csEncrypt_WPA_WPA2_PSK, csEncrypt_WPA_WPA2,
  csAuthen_None, csAuthen_MD5, csAuthen_LEAP, csAuthen_TLS, csAuthen_TTLS, csAuthen_PEAP,
  csWEP_64, csWEP_128, csWEP_152, csWEP_256,
  csWPA_TKIP, csWPA_AES,
  csAuthModeOpen, csAuthModeShare, csAuthModeAuto, csAuthModeWPA,
  csEAP_GTC, csEAP_PAP, csEAP_CHAP, csEAP_MSCHAP, csEAP_MSCHAP_2,
  csDrv_Encrypt_None, csDrv_Encrypt_WEP, csDrv_Encrypt_AES, csDrv_Encrypt_CKIP, csDrv_Encrypt_TKIP,
  cs802B, cs802G, cs802A, cs802G_Trb, cs802A_Trb,
  csPowSaveNo, csPowSaveMax, csPowSaveFast,
  csPreambleLong, csPreambleShort, csPreambleAuto,
  csRoamNo, csRoamDef, csRoamOpt,
  csPowerLv0, csPowerLv1, csPowerLv2, csPowerLv3
};
static_assert(csPowerLv3 == kCommonStringCount - 1);

// ---- Windows version seam -----------------------------------------------------
// The version the program sees, read through one function that tests replace.
struct WindowsVersion {
  DWORD PlatformId;
  DWORD Major;
  DWORD Minor;
};
using WindowsVersionSource = WindowsVersion (*)();
// Installs a source (null restores GetVersionExA) and returns the previous one.
WindowsVersionSource SetWindowsVersionSource(WindowsVersionSource source);
WindowsVersion ReadWindowsVersion();
// The version class of the settings object (0 unknown .. 7 newest).
int32_t ClassifyWindowsVersion(const WindowsVersion& v);

// ---- message box seam -----------------------------------------------------------
// The program's message box is served by the window shell; until it installs
// itself, the system message box stands in.
using MsgBoxHandler = int (*)(HWND control, const std::string& text, int flags);
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

class CFAGlobalVar {
 public:
  CFAGlobalVar();
  ~CFAGlobalVar();
  CFAGlobalVar(const CFAGlobalVar&) = delete;
  CFAGlobalVar& operator=(const CFAGlobalVar&) = delete;

  int32_t OsVersionCode = 0;
  int32_t CmdFlags = 0;
  // Nobody watches this run (a script switch): failures are logged and
  // written to the standard error, never shown in a message box.
  bool Unattended = false;

  std::string ExeDir;          // with trailing backslash
  std::string SettingsPath;    // <exe>.bin
  std::string StringFilePath;  // ExeDir + "StringFile"
  bool SettingsOpen = false;   // the settings file object exists (after Load)
  bool StringFileOpen = false; // the string file object exists
  std::string AppTitle;
  std::string MsgTitle;
  std::string ProfRoot;
  std::string MutexName;
  std::string LoginMutexName;
  std::string NotifyMsgName;
  std::string CommonStrings[kCommonStringCount];
  std::vector<std::string> HwIdList;
  WLProfile WorkProfile{};
  WLProfile APProfile{};

  // Startup load: files, settings, NotifyMsg, the vendor library. False
  // means the library is unusable and the program must end.
  bool Load(int32_t flags);
  // Same, but for the executable path given (tests); libraryPath empty means
  // ExeDir + "OMXWL.DLL".
  bool LoadFor(const std::string& exePath, int32_t flags, const std::string& libraryPath = "");
  // Locates the files and reads the settings without touching the library;
  // a settings file that another process rewrites meanwhile is read again.
  void LocateFiles(const std::string& exePath);
  void ReadSettings();

  // Settings file (defaults when it is not open).
  std::string InfoReadString(const std::string& section, const std::string& key,
                             const std::string& def) const;
  bool InfoReadBool(const std::string& section, const std::string& key, bool def) const;
  int32_t InfoReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  bool InfoValueExists(const std::string& section, const std::string& key) const;
  bool InfoSectionExists(const std::string& section) const;
  void InfoWriteString(const std::string& section, const std::string& key, const std::string& value) const;
  // String file (defaults when no string file is open).
  std::string StrFileRead(const std::string& section, const std::string& key,
                          const std::string& def) const;

  // Hardware ids: fills up to n detection records, returns the total count.
  int FillDetectRecords(DetectRec* records, int n) const;
  bool IsSupportedHwId(const std::string& deviceId) const;

  // Display strings and enumeration texts.
  void ResetCommonStrings();  // the built-in defaults
  void LoadCommonStrings();
  static int32_t ModeToBands(int32_t mode);
  static int32_t BandsToMode(int32_t bands);
  std::string SecurityText(int32_t security) const;
  std::string SiteSecurityText(int32_t code) const;
  static std::string ModeListText(int32_t mode);
  std::string BandText(int32_t mode, bool bandNames) const;
  static int32_t SignalPercent(int32_t dbm);

  // Profile INI form, security reset and IP comparison.
  void ProfToIniFile(const WLProfile& profile, const std::string& section) const;
  bool ProfFromIniFile(const std::string& section, WLProfile& profile) const;
  // The same for a section that must be used whole or not at all: a
  // checksum key written last makes a section that was not finished read
  // as absent (logged). The writer returns false when a write failed.
  bool ProfToIniFileChecked(const WLProfile& profile, const std::string& section) const;
  bool ProfFromIniFileChecked(const std::string& section, WLProfile& profile) const;
  static void ResetSecurity(WLProfile& profile);
  static bool SameNetInfo(const NetworkInfo& a, const NetworkInfo& b);

  // The program's message box: parent = the form containing control.
  int ShowMsgBox(HWND control, const std::string& text, int flags) const;

 private:
  // One read of the string file's place and of the settings.
  void ReadLocatedFiles(const std::string& exePath);
};

// Key of a "Common" string in the string file (empty for a bad index).
const char* CommonStringKey(int index);

extern CFAGlobalVar g_GlobalVar;
// The registered notification message (ProfRoot + "_NotifyMsg").
extern UINT NotifyMsg;
