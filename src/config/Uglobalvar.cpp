// Startup load of the global settings: file locations, the settings file,
// the string file, the notification message and the vendor library.
#include <shlwapi.h>

#include <algorithm>
#include <cctype>
#include <exception>

#include "adapter/Ucomxlib.h"
#include "app/Udebug.h"
#include "config/Udefine.h"
#include "config/Uinifile.h"
#include "config/Uunicode.h"
#include "config/Uutility.h"

namespace {

const char kLoadFailed[] = "Failed to load OMXWL.DLL library file.";

size_t NameStart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? 0 : slash + 1;
}

// The path with its extension (the part after the last dot of the file
// name) replaced; a name without one gets the extension appended.
std::string ChangeExt(const std::string& path, const char* ext) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < NameStart(path)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size() - 1 || path.size() > 32768) {
      path.resize(n);
      return Utf8(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

// What tells a rewrite of a file: its size and last write.
struct FileStamp {
  bool Exists = false;
  ULONGLONG Size = 0;
  ULONGLONG Written = 0;
  bool operator==(const FileStamp& o) const {
    return Exists == o.Exists && Size == o.Size && Written == o.Written;
  }
};

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.Exists = true;
  stamp.Size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.Written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                  data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

// How long a start goes on reading a settings file that keeps changing, and
// how long an empty one is taken for a rewrite caught half-way.
constexpr DWORD kSettleMs = 2000;
constexpr DWORD kEmptySettleMs = 200;

}  // namespace

bool CFAGlobalVar::Load(int32_t flags) {
  return LoadFor(ModulePath(), flags);
}

bool CFAGlobalVar::LoadFor(const std::string& exePath, int32_t flags,
                           const std::string& libraryPath) {
  CmdFlags = flags;
  OsVersionCode = ClassifyWindowsVersion(ReadWindowsVersion());
  LocateFiles(exePath);
  NotifyMsg = RegisterWindowMessageW(Wide(NotifyMsgName).c_str());

  const std::string library = libraryPath.empty() ? ExeDir + "OMXWL.DLL" : libraryPath;
  if (g_OmxLib.Bind(library)) {
    // The library takes the root in the code page; one it cannot hold is
    // not handed over in a best-fit form that would name another folder.
    std::string root, refused;
    if (CmdFlags & CmdService) {
    } else if (!ToStore(ProfRoot, root, &refused)) {
      LogWrite("ProfRoot not handed to the library: '%s' cannot be held", refused.c_str());
    } else {
      LogWrite("call OMXWL_SetWLProfileDir");
      const int32_t r = g_OmxLib.OMXWL_SetWLProfileDir(root.c_str());
      LogWrite("call OMXWL_SetWLProfileDir end %d", static_cast<int>(r));
    }
    return true;
  }
  // Only with a taskbar, and never for a script: an unattended start must
  // not wait for a click.
  if (!Unattended && FindWindowW(L"Shell_TrayWnd", nullptr)) {
    MessageBoxW(nullptr, Wide(kLoadFailed).c_str(), nullptr, MB_ICONERROR);
  }
  LogWrite("%s", kLoadFailed);
  return false;
}

void CFAGlobalVar::LocateFiles(const std::string& exePath) {
  ExeDir = exePath.substr(0, NameStart(exePath));
  if (!ExeDir.empty() && ExeDir.back() != '\\' && ExeDir.back() != '/') ExeDir += '\\';
  SettingsPath = ChangeExt(exePath, ".bin");
  SettingsOpen = true;

  // A running instance rewrites this file now and then (the last applied
  // profile), and a read in the middle of that finds every key absent: a
  // start would take the default ProfRoot, so another mutex and message, and
  // miss the running instance (a second one would run, /Close would close
  // nothing). A read counts when the file stood still around it and was not
  // caught empty between its truncation and its new text.
  const DWORD start = GetTickCount();
  for (int attempt = 0;; ++attempt) {
    const FileStamp before = StampOf(SettingsPath);
    ReadLocatedFiles(exePath);
    const FileStamp after = StampOf(SettingsPath);
    const DWORD spent = GetTickCount() - start;
    const bool caughtEmpty = after.Exists && after.Size == 0 && spent < kEmptySettleMs;
    if (before == after && !caughtEmpty) return;
    if (spent >= kSettleMs) {
      LogWrite("Settings file changed while it was read: %s", SettingsPath.c_str());
      return;
    }
    Sleep(attempt < 10 ? 2 : 20);
  }
}

void CFAGlobalVar::ReadLocatedFiles(const std::string& exePath) {
  const std::string defaultStrings = ChangeExt(exePath.substr(NameStart(exePath)), ".ini");
  const std::string stringFile =
      CIniFile(SettingsPath).ReadText("Setting", "StringFile", defaultStrings);
  // A full path is taken as it stands; joined to the folder it could only
  // name a file that does not exist.
  if (!stringFile.empty() && !PathIsRelativeW(Wide(stringFile).c_str())) {
    StringFilePath = stringFile;
  } else {
    StringFilePath = ExeDir + stringFile;
  }
  StringFileOpen = FileExists(SettingsPath);
  ReadSettings();
}

void CFAGlobalVar::ReadSettings() {
  const size_t start = NameStart(SettingsPath);
  const size_t dot = SettingsPath.find_last_of('.');
  AppTitle = SettingsPath.substr(
      start, dot == std::string::npos || dot < start ? std::string::npos : dot - start);
  MsgTitle = AppTitle + " Message";
  AppTitle = StrFileRead("Utility", "AppTitle", AppTitle);
  MsgTitle = StrFileRead("Utility", "MsgTitle", MsgTitle);

  HwIdList.clear();
  for (int i = 0; i < 16; ++i) {
    const std::string id = InfoReadString("Setting", "HWID" + std::to_string(i), "");
    if (id.empty()) break;  // a gap ends the list
    HwIdList.push_back(id);
  }

  ResetCommonStrings();
  if (StringFileOpen) LoadCommonStrings();

  ProfRoot = InfoReadString("Setting", "ProfRoot", "Ombrix");
  MutexName = ProfRoot + "_Mutex";
  LoginMutexName = ProfRoot + "_Login_Mutex";
  NotifyMsgName = ProfRoot + "_NotifyMsg";
}

std::string CFAGlobalVar::InfoReadString(const std::string& section, const std::string& key,
                                         const std::string& def) const {
  if (!SettingsOpen) return def;
  try {
    return CIniFile(SettingsPath).ReadText(section, key, def);
  } catch (const std::exception&) {
    LogWrite("Exception(CFAGlobalVar::InfoRead) string<%s>", key.c_str());
    return def;
  }
}

bool CFAGlobalVar::InfoReadBool(const std::string& section, const std::string& key,
                                bool def) const {
  if (!SettingsOpen) return def;
  try {
    return CIniFile(SettingsPath).ReadBool(section, key, def);
  } catch (const std::exception&) {
    LogWrite("Exception(CFAGlobalVar::InfoRead) bool<%s>", key.c_str());
    return def;
  }
}

int32_t CFAGlobalVar::InfoReadInteger(const std::string& section, const std::string& key,
                                      int32_t def) const {
  if (!SettingsOpen) return def;
  try {
    return CIniFile(SettingsPath).ReadInteger(section, key, def);
  } catch (const std::exception&) {
    LogWrite("Exception(CFAGlobalVar::InfoRead) int<%s>", key.c_str());
    return def;
  }
}

bool CFAGlobalVar::InfoValueExists(const std::string& section, const std::string& key) const {
  if (!SettingsOpen) return false;
  try {
    return CIniFile(SettingsPath).ValueExists(section, key);
  } catch (const std::exception&) {
    LogWrite("Exception(CFAGlobalVar::InfoRead) exists<%s>", key.c_str());
    return false;
  }
}

bool CFAGlobalVar::InfoSectionExists(const std::string& section) const {
  if (!SettingsOpen) return false;
  try {
    return CIniFile(SettingsPath).SectionExists(section);
  } catch (const std::exception&) {
    LogWrite("Exception(CFAGlobalVar::InfoRead) section<%s>", section.c_str());
    return false;
  }
}

void CFAGlobalVar::InfoWriteString(const std::string& section, const std::string& key,
                                   const std::string& value) const {
  if (!SettingsOpen) return;
  try {
    CIniReplace change(SettingsPath);
    change.File().WriteText(section, key, value);
    change.Commit();
  } catch (const std::exception& e) {
    LogWrite("Exception(CFAGlobalVar::InfoWrite) string<%s>: %s", key.c_str(), e.what());
  }
}

std::string CFAGlobalVar::StrFileRead(const std::string& section, const std::string& key,
                                      const std::string& def) const {
  if (!StringFileOpen) return def;
  return CIniFile(StringFilePath).ReadText(section, key, def);
}

int CFAGlobalVar::FillDetectRecords(DetectRec* records, int n) const {
  const int total = static_cast<int>(HwIdList.size());
  for (int i = 0; records && i < n && i < total; ++i) {
    ZeroMemory(&records[i], sizeof records[i]);
    SetField(records[i].HardwareId, HwIdList[i]);
  }
  return total;
}

bool CFAGlobalVar::IsSupportedHwId(const std::string& deviceId) const {
  const std::string id = Upper(deviceId);
  for (const std::string& entry : HwIdList) {
    if (id.find(Upper(entry)) != std::string::npos) return true;
  }
  return false;
}
