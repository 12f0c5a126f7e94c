// The stage of a script test: the program copied into a folder of its own
// with the simulated library, a settings file naming a profile root of its
// own and a world; instances and script runs started there.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "TestSupport.h"
#include "adapter/Ucomxlib.h"
#include "app/Uscript.h"
#include "config/Udefine.h"

namespace wutest {

constexpr DWORD kGenerous = 30000;

// What a stage's world and settings add to the plain one.
struct StageSetup {
  std::string AdapterExtra;   // lines of the adapter's section
  std::string WorldExtra;     // sections after the plain world's
  std::string SettingsExtra;  // lines of [Setting]
  bool Library = true;        // OMXWL.DLL beside the program
};

class ScriptStage {
 public:
  explicit ScriptStage(const StageSetup& setup = StageSetup()) {
    const std::string bin = ModuleDir();
    exe_ = dir_ / "WirelessUtility.exe";
    EXPECT_TRUE(CopyFileA((bin + "WirelessUtility.exe").c_str(), exe_.c_str(), FALSE));
    if (setup.Library) {
      EXPECT_TRUE(CopyFileA((bin + "OMXWL.DLL").c_str(), (dir_ / "OMXWL.DLL").c_str(), FALSE));
    }
    static int stages = 0;
    root_ = "WuScript" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount()) + "_" + std::to_string(++stages);
    WriteText(
        dir_ / "WirelessUtility.bin",
        "[Setting]\r\nProfRoot=" + root_ + "\r\nHWID0=VID_1D4F&PID_0A71\r\n" + setup.SettingsExtra);
    WriteText(dir_ / "OMXWL.world",
              "[World]\r\nScanTime=300\r\nAssociateTime=200\r\n"
              "[Adapter Ombrix USB]\r\nHardwareId=USB\\VID_1D4F&PID_0A71\r\n"
              "Description=Ombrix Test Adapter\r\nMAC=00:1D:4F:6A:21:07\r\n" +
                  setup.AdapterExtra +
                  "[Network Open]\r\nSSID=TestOpen\r\nBSSID=00:1D:4F:10:00:01\r\nChannel=6\r\n"
                  "Signal=-48\r\n"
                  "[DHCP]\r\nAddress=192.168.77.23\r\nMask=255.255.255.0\r\n"
                  "Gateway=192.168.77.1\r\n" +
                  setup.WorldExtra);
    WriteText(dir_ / "WirelessUtility.Log", "");
    SetEnvironmentVariableA("OMXWL_WORLD", nullptr);  // the stage's own world
  }
  ~ScriptStage() {
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
    for (const std::string& root : {root_, root_ + "x"}) RemoveAppDataFolder(root);
  }

  std::string operator/(const std::string& name) const { return dir_ / name; }
  const std::string& Root() const { return root_; }
  const std::string& Folder() const { return dir_.Path(); }
  std::string StoreFile() const {
    char appData[MAX_PATH] = {};
    GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
    return std::string(appData) + "\\" + root_ + "\\WLProfiles.dat";
  }

  std::unique_ptr<ChildProcess> Start(const std::string& args) {
    return std::make_unique<ChildProcess>(exe_, args, dir_.Path());
  }

  // An instance started with the tray icon, once it has selected its
  // device (or found none).
  std::unique_ptr<ChildProcess> StartInstance(bool withAdapter = true) {
    auto instance = Start("/TrayIcon");
    EXPECT_TRUE(WaitUntil(
        [&] {
          if (!instance->Running()) return true;
          return Logged("Script channel open: ") && (!withAdapter || Logged("Select Dev:"));
        },
        kGenerous));
    EXPECT_TRUE(instance->Running());
    return instance;
  }

  // One run with its standard handles in files; the exit code and texts.
  // watch, when given, sees the process id while the run lasts.
  RunResult Script(const std::string& args, DWORD bound = 90000,
                   const std::function<void(DWORD)>& watch = nullptr) {
    static int n = 0;
    const std::string out = dir_ / ("out" + std::to_string(++n) + ".txt");
    const std::string err = dir_ / ("err" + std::to_string(n) + ".txt");
    return RunToEnd(exe_, args, dir_.Path(), out, err, bound, watch);
  }

  bool Logged(const std::string& prefix) const {
    return AnyStartsWith(SplitLines(ReadText(dir_ / "WirelessUtility.Log")), prefix);
  }

 private:
  TempDir dir_;
  std::string exe_, root_;
};

inline bool HasVisibleWindow(DWORD pid) {
  for (HWND w : WindowsOf(pid))
    if (IsWindowVisible(w)) return true;
  return false;
}

// An export file with one open profile (store text name, raw network
// name), made by the library in a profile root of its own.
inline bool MakeExport(const std::string& root, const std::string& path,
                       const std::string& name = "Office", const std::string& ssid = "TestOpen") {
  if (!g_OmxLib.Bind(ModuleDir() + "OMXWL.DLL")) return false;
  g_OmxLib.OMXWL_SetWLProfileDir(root.c_str());
  WLProfile p{};
  CFAGlobalVar::ResetSecurity(p);
  SetField(p.ProfileName, name);
  SetField(p.NetInfo.NI_sz_CurProfile, name);
  SetField(p.Ssid1, ssid);
  p.NetworkMode = 1;
  p.ABGMode = 34;
  p.TxRate = 15;
  const bool ok = g_OmxLib.OMXWL_SetWLProfile(name.c_str(), &p) == 1 &&
                  g_OmxLib.OMXWL_RegExportProfile(name.c_str(), path.c_str()) == 1;
  g_OmxLib.Unbind();
  return ok;
}

inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace wutest
