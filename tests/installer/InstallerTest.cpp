// The setup program run silently, as a deployment script would: files,
// Start menu shortcut and start-up entry in place, the installed program
// runs and ends, and the uninstaller takes away what was installed, ending
// a running instance first and keeping the user's profiles unless asked.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/TestSupport.h"

using namespace wutest;

namespace {

constexpr DWORD kGenerous = 60000;
const char kUninstKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OmbrixWirelessUtility";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Ombrix Wireless Utility";

// The files the installer puts into the folder: the list the build shipped,
// and the uninstaller.
std::vector<std::string> Shipped() {
  std::vector<std::string> names;
  std::istringstream list(ReadText(ModuleDir() + "..\\installer\\shipped.txt"));
  for (std::string name; std::getline(list, name);)
    if (!name.empty()) names.push_back(name);
  names.push_back("Uninstall.exe");
  return names;
}

bool ReadRegString(const std::string& key, const std::string& value, std::string* out) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, buf,
                   &size) != ERROR_SUCCESS)
    return false;
  *out = buf;
  return true;
}

bool KeyExists(const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

void WriteRegString(const std::string& key, const std::string& value, const std::string& data) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(h, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(h);
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf);
  return buf;
}

// The profile library's application-data folder.
std::string AppData() {
  char buf[MAX_PATH] = {};
  if (GetEnvironmentVariableA("APPDATA", buf, sizeof buf) == 0) return ShellFolder(CSIDL_APPDATA);
  return buf;
}

std::string ShortcutPath() {
  return ShellFolder(CSIDL_PROGRAMS) + "\\Ombrix Wireless Utility.lnk";
}

struct Shortcut {
  std::string Target, Args, Dir;
};

bool ReadShortcut(const std::string& lnk, Shortcut* out) {
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  bool ok = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
      char buf[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(wide, STGM_READ))) {
        ok = SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH));
        out->Target = buf;
        link->GetArguments(buf, MAX_PATH);
        out->Args = buf;
        link->GetWorkingDirectory(buf, MAX_PATH);
        out->Dir = buf;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return ok;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string UniqueRoot() {
  return "WuSetup" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
}

bool MutexExists(const std::string& root) {
  HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, (root + "_Mutex").c_str());
  if (m) CloseHandle(m);
  return m != nullptr;
}

// Running and answering: it holds its mutex and its main window exists.
bool Serving(const ChildProcess& program, const std::string& root) {
  return MutexExists(root) && !WindowsOf(program.Id()).empty();
}

// One installation folder (with a blank in its name, as the default has);
// whatever a failed case leaves installed is uninstalled at the end.
class Installation {
 public:
  explicit Installation(const TempDir& temp) : dir_(temp / "Wireless Utility") {}
  ~Installation() {
    if (FileExists(File("Uninstall.exe"))) Uninstall("");
  }

  const std::string& Dir() const { return dir_; }
  std::string File(const std::string& name) const { return dir_ + "\\" + name; }
  std::string Exe() const { return File("WirelessUtility.exe"); }
  std::string Settings() const { return File("WirelessUtility.bin"); }

  // The setup program's exit code, or -1 when it did not end in time.
  long Install(const std::string& options) {
    ChildProcess setup(ModuleDir() + "..\\WirelessUtility-Setup.exe",
                       "/S " + options + " /D=" + dir_, ModuleDir());
    if (!setup.Started() || !setup.WaitExit(kGenerous)) return -1;
    return static_cast<long>(setup.ExitCode());
  }

  // The uninstaller hands over to a copy of itself in the temp folder and
  // ends; the copy drops the entry in the list of programs last.
  bool Uninstall(const std::string& options) {
    ChildProcess un(File("Uninstall.exe"), "/S " + options, ModuleDir());
    if (!un.Started() || !un.WaitExit(kGenerous)) return false;
    return WaitUntil([] { return !KeyExists(kUninstKey); }, kGenerous);
  }

  void SetProfRoot(const std::string& root) const {
    WritePrivateProfileStringA("Setting", "ProfRoot", root.c_str(), Settings().c_str());
  }

 private:
  std::string dir_;
};

// The profile data that the program and its library keep for one root.
class UserData {
 public:
  explicit UserData(const std::string& root)
      : dir_(AppData() + "\\" + root), key_("Software\\" + root) {}
  ~UserData() {
    for (const char* name :
         {"WLProfiles.dat", "WLProfiles.bad", "WLProfiles.1.bad", "WLProfiles.tmp", "notes.txt"})
      DeleteFileA(File(name).c_str());
    RemoveDirectoryA(dir_.c_str());
    if (key_ != "Software\\") SHDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
  }
  std::string File(const std::string& name) const { return dir_ + "\\" + name; }
  std::string AdapterKey() const { return key_ + "\\WLAdapter"; }
  const std::string& Key() const { return key_; }

 private:
  std::string dir_;
  std::string key_;
};

TEST(Installer, InstallsRunsAndUninstallsWithoutTrace) {
  TempDir temp;
  Installation inst(temp);
  ASSERT_EQ(inst.Install(""), 0);
  for (const char* name : {"WirelessUtility.exe", "OMXWL.DLL", "WirelessUtility.bin",
                           "WirelessUtility.ini", "OMXWL.world"})
    EXPECT_TRUE(FileExists(inst.File(name))) << name;
  for (const auto& name : Shipped()) EXPECT_TRUE(FileExists(inst.File(name))) << name;

  Shortcut link;
  ASSERT_TRUE(ReadShortcut(ShortcutPath(), &link)) << "no Start menu shortcut";
  EXPECT_TRUE(SamePath(link.Target, inst.Exe())) << link.Target;
  EXPECT_EQ(link.Args, "/UI /TrayIcon");
  EXPECT_TRUE(SamePath(link.Dir, inst.Dir())) << link.Dir;

  std::string run;
  ASSERT_TRUE(ReadRegString(kRunKey, kRunValue, &run)) << "no start-up entry";
  EXPECT_EQ(run, "\"" + inst.Exe() + "\" /TrayIcon");
  std::string location;
  ASSERT_TRUE(ReadRegString(kUninstKey, "InstallLocation", &location));
  EXPECT_TRUE(SamePath(location, inst.Dir())) << location;

  const std::string root = UniqueRoot();
  UserData data(root);
  inst.SetProfRoot(root);

  // As at sign-in: the start-up command, from another folder. The program
  // must be able to write its last profile into the settings beside it.
  {
    ChildProcess program(inst.Exe(), "/TrayIcon", temp.Path());
    // The program rewrites the file as it stores, so the section is looked
    // for until it is seen once.
    const bool stored = WaitUntil(
        [&] {
          return !program.Running() ||
                 (Serving(program, root) &&
                  ReadText(inst.Settings()).find("[LastApplyProf]") != std::string::npos);
        },
        kGenerous);
    ASSERT_TRUE(stored && program.Running())
        << "the installed program did not run and store its last profile";
    ChildProcess closer(inst.Exe(), "/Close", temp.Path());
    ASSERT_TRUE(closer.WaitExit(kGenerous));
    EXPECT_TRUE(program.WaitExit(kGenerous)) << "/Close did not end the installed program";
  }

  // Again from the Start menu, and left running for the uninstaller.
  ChildProcess program(link.Target, link.Args, link.Dir);
  ASSERT_TRUE(WaitUntil([&] { return !program.Running() || Serving(program, root); }, kGenerous) &&
              program.Running())
      << "the Start menu shortcut did not start it";
  ASSERT_TRUE(inst.Uninstall(""));
  EXPECT_TRUE(program.WaitExit(kGenerous)) << "the uninstaller left the program running";

  EXPECT_FALSE(PathExists(inst.Dir())) << "the installation folder is still there";
  EXPECT_FALSE(PathExists(ShortcutPath()));
  EXPECT_FALSE(ReadRegString(kRunKey, kRunValue, &run));
  EXPECT_FALSE(KeyExists(kUninstKey));
  // The user's profiles and adapter values stay for a later installation.
  EXPECT_TRUE(FileExists(data.File("WLProfiles.dat")));
  EXPECT_TRUE(KeyExists(data.AdapterKey()));
}

TEST(Installer, ReinstallKeepsLastProfileAndRemovingProfilesTakesOnlyTheirs) {
  TempDir temp;
  Installation inst(temp);
  ASSERT_EQ(inst.Install(""), 0);
  WritePrivateProfileStringA("LastApplyProf", "SSID", "Home-Net", inst.Settings().c_str());
  WritePrivateProfileStringA("LastApplyProf", "KeyIndex", "2", inst.Settings().c_str());

  ASSERT_EQ(inst.Install("/NOSTARTUP"), 0);
  char value[64] = {};
  GetPrivateProfileStringA("LastApplyProf", "SSID", "", value, sizeof value,
                           inst.Settings().c_str());
  EXPECT_STREQ(value, "Home-Net") << "installing again lost the last applied profile";
  GetPrivateProfileStringA("LastApplyProf", "KeyIndex", "", value, sizeof value,
                           inst.Settings().c_str());
  EXPECT_STREQ(value, "2");
  std::string run;
  EXPECT_FALSE(ReadRegString(kRunKey, kRunValue, &run)) << "/NOSTARTUP kept the start-up entry";

  const std::string root = UniqueRoot();
  UserData data(root);
  inst.SetProfRoot(root);
  ASSERT_TRUE(CreateDirectoryA(AppData().c_str(), nullptr) || PathExists(AppData()));
  CreateDirectoryA(data.File("").c_str(), nullptr);
  for (const char* name : {"WLProfiles.dat", "WLProfiles.bad", "WLProfiles.1.bad", "notes.txt"})
    WriteText(data.File(name), "x");
  WriteRegString(data.AdapterKey() + "\\VID_1D4F&PID_0A71-9999", "LastProf", "Home");
  WriteRegString(data.Key() + "\\Other", "Keep", "1");
  WriteText(inst.File("WirelessUtility.Log"), "");  // the user's own debug log

  ASSERT_TRUE(inst.Uninstall("/REMOVEPROFILES"));
  for (const auto& name : Shipped()) EXPECT_FALSE(FileExists(inst.File(name))) << name;
  EXPECT_TRUE(FileExists(inst.File("WirelessUtility.Log")));
  for (const char* name : {"WLProfiles.dat", "WLProfiles.bad", "WLProfiles.1.bad"})
    EXPECT_FALSE(FileExists(data.File(name))) << name;
  EXPECT_TRUE(FileExists(data.File("notes.txt")));
  EXPECT_FALSE(KeyExists(data.AdapterKey()));
  EXPECT_TRUE(KeyExists(data.Key() + "\\Other"));
}

// A settings file whose ProfRoot names no plain folder must not make the
// profile removal reach into the user's application data or registry.
TEST(Installer, RemovingProfilesIgnoresARootThatIsNoPlainFolder) {
  const std::string decoyKey = "Software\\WLAdapter";
  for (const std::string root : {"", ".."}) {
    SCOPED_TRACE("ProfRoot=" + root);
    const std::string decoy =
        root.empty() ? AppData() + "\\WLProfiles.dat" : AppData() + "\\..\\WLProfiles.dat";
    WriteText(decoy, "x");
    WriteRegString(decoyKey, "Keep", "1");
    {
      TempDir temp;
      Installation inst(temp);
      ASSERT_EQ(inst.Install("/NOSTARTUP"), 0);
      inst.SetProfRoot(root);
      ASSERT_TRUE(inst.Uninstall("/REMOVEPROFILES"));
      EXPECT_FALSE(PathExists(inst.Dir()));
    }
    EXPECT_TRUE(FileExists(decoy));
    EXPECT_TRUE(KeyExists(decoyKey));
    DeleteFileA(decoy.c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, decoyKey.c_str());
  }
}

}  // namespace
