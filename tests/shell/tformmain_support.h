// Support of the main-window tests: a private settings file, registry root
// and debug log per test, the project's simulated OMXWL.DLL pointed at a
// world file of the test's own (the adapter can be plugged in and out), and
// a page that records what the main window tells its pages.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "app/TestSupport.h"
#include "app/Uapplication.h"
#include "common/Adapter.h"
#include "common/LockCheck.h"
#include "common/UserInput.h"
#include "config/Udefine.h"
#include "shell/Propertypageframeunit.h"
#include "shell/Uformbase.h"
#include "shell/Uformmain.h"
#include "shell/Uformres.h"
#include "ui/UiTest.h"

namespace mainwin {

using namespace wutest;

constexpr DWORD kGenerous = 20000;

// The supported id of the second adapter that MainWindowEnv::WriteWorld can
// put into the world.
constexpr const char* kPciHwid = "VEN_1D4F&DEV_0B12";

constexpr const char* kOpenNetwork =
    "[Network Open]\r\nSSID=TestOpen\r\nBSSID=00:1D:4F:10:00:01\r\nChannel=6\r\nType=g\r\n"
    "Security=0\r\nSignal=-48\r\nJitter=0\r\n";

class MainWindowEnv {
 public:
  // settings: extra lines of section [Setting]; osVersion: the version class
  // the program sees (7 and up: Windows may manage the adapter).
  // networks: the world's network sections (one open network by default).
  explicit MainWindowEnv(const std::string& settings = "", int osVersion = 6,
                         const std::string& networks = kOpenNetwork)
      : networks_(networks) {
    static int counter = 0;
    root_ = "WuMain" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    exe_ = dir_ / "WirelessUtility.exe";
    world_ = dir_ / "test.world";
    WriteText(dir_ / "WirelessUtility.bin",
              "[Setting]\r\nProfRoot=" + root_ + "\r\nHWID0=VID_1D4F&PID_0A71\r\n" + settings);
    WriteText(dir_ / "WirelessUtility.Log", "");
    g_DebugLog.Open(exe_.c_str());
    g_GlobalVar.LocateFiles(exe_);
    g_GlobalVar.OsVersionCode = osVersion;
    g_GlobalVar.CmdFlags = 0;
    g_GlobalVar.LoadCommonStrings();
    NotifyMsg = RegisterWindowMessageA(("WuMainTest_NotifyMsg_" + root_).c_str());
    WriteWorld(true);
    SetEnvironmentVariableA("OMXWL_WORLD", world_.c_str());
    Rebind();
    if (!FormRes) ownRes_ = new TFormRes(nullptr);
    Application.Initialize();
  }
  ~MainWindowEnv() {
    delete ownRes_;
    g_OmxLib.Unbind();
    SetEnvironmentVariableA("OMXWL_WORLD", nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
    RemoveAppDataFolder(root_);
    g_DebugLog.Open();
    g_GlobalVar.LocateFiles(dir_ / "gone\\WirelessUtility.exe");
    Application.MainWindow = nullptr;
    Application.Initialize();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  MainWindowEnv(const MainWindowEnv&) = delete;
  MainWindowEnv& operator=(const MainWindowEnv&) = delete;

  bool Bound() const { return bound_; }
  // Binds the simulated library afresh, behind the lock-discipline check.
  bool Rebind() {
    dll_.reset();
    dll_ = std::make_unique<lockcheck::CheckedDll>(ModuleDir() + "OMXWL.DLL");
    bound_ = dll_->Bound();
    if (bound_) g_OmxLib.OMXWL_SetWLProfileDir(root_.c_str());
    return bound_;
  }
  const std::string& Root() const { return root_; }

  // Plugs the adapter in or out; the library reads the file again by itself.
  // With pci given, the world also holds a built-in adapter of the same
  // family (kPciHwid, supported when the settings name it), present or not.
  void WriteWorld(bool present, int pci = -1) {
    static int generation = 0;
    std::string second;
    if (pci >= 0)
      second =
          "[Adapter Ombrix PCI]\r\nHardwareId=PCI\\VEN_1D4F&DEV_0B12\r\n"
          "Instance=OMX0002\r\nDescription=Ombrix Test PCI Adapter\r\n"
          "MAC=00:1D:4F:6A:30:11\r\nDomain=FCC\r\nBands=b,g\r\nPresent=" +
          std::to_string(pci ? 1 : 0) + "\r\n";
    WriteText(world_, "; generation " + std::to_string(++generation) +
                          "\r\n[World]\r\nScanTime=300\r\nAssociateTime=200\r\n"
                          "[Adapter Ombrix USB]\r\nHardwareId=USB\\VID_1D4F&PID_0A71\r\n"
                          "Instance=OMX0001\r\nDescription=Ombrix Test Adapter\r\n"
                          "MAC=00:1D:4F:6A:21:07\r\nDomain=FCC\r\nBands=a,b,g\r\n"
                          "Driver=System32\\Drivers\\OMXWLNT.SYS\r\nPresent=" +
                          std::string(present ? "1" : "0") + "\r\n" + second + networks_);
  }

  std::vector<std::string> Log() const {
    std::vector<std::string> lines = SplitLines(ReadText(dir_ / "WirelessUtility.Log"));
    return lines;
  }
  bool Logged(const std::string& line) const { return Contains(Log(), line); }

 private:
  TempDir dir_;
  std::string networks_;
  std::string root_, exe_, world_;
  bool bound_ = false;
  std::unique_ptr<lockcheck::CheckedDll> dll_;
  TFormRes* ownRes_ = nullptr;
};

// What a page was told, in the order the pages were told.
struct PageEvent {
  std::string Page;
  char What;  // 'A' AttachAdapter(kind, mode), 'N' AdapterNotify(code, value)
  int A;
  int B;
  bool operator==(const PageEvent& o) const {
    return Page == o.Page && What == o.What && A == o.A && B == o.B;
  }
};
inline void PrintTo(const PageEvent& e, std::ostream* os) {
  *os << e.Page << ":" << e.What << "(" << e.A << "," << e.B << ")";
}

class TRecordingPage : public TPropertyPageFrame {
 public:
  TRecordingPage(TComponent* owner, TContainer* parent, const std::string& name,
                 std::vector<PageEvent>* log)
      : TPropertyPageFrame(owner, parent, name), log_(log) {}
  ~TRecordingPage() override {
    if (Freed) *Freed = true;
  }
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override {
    if (adapter) log_->push_back({Name(), 'A', kind, mode});
  }
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override {
    // The adapter's own events (value 0) come and go as they like; the tests
    // send values of their own.
    if (adapter &&
        !((code == kNotifyStatus || code == kNotifyConnecting || code == kNotifyProfiles) &&
          value == 0))
      log_->push_back({Name(), 'N', code, value});
  }
  void DonePage() override { ++DoneCount; }

  int DoneCount = 0;
  bool* Freed = nullptr;

 private:
  std::vector<PageEvent>* log_;
};

// The simulated USB adapter as detection reports it, for an adapter object
// made without the main window.
inline DeviceRec TestDevice() {
  DeviceRec d{};
  SetField(d.Description, "Ombrix Test Adapter");
  SetField(d.HardwareId, "VID_1D4F&PID_0A71");
  SetField(d.Tag, "9999");
  return d;
}

// Waits, pumping messages, until the window has an adapter (or has none).
inline bool WaitAdapter(TFormMain* form, bool present, DWORD ms = kGenerous) {
  return WaitUntil([&] { return (form->Adapter() != nullptr) == present && !form->Releasing(); },
                   ms);
}

}  // namespace mainwin
