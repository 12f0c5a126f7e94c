// Integration support: the simulated OMXWL.DLL beside the test executable,
// pointed at a world file of the test's own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "adapter/FakeOmx.h"
#include "common/AppData.h"
#include "common/LockCheck.h"

class SimLibrary {
 public:
  explicit SimLibrary(const TestEnv& env) : env_(env), world_(env.Dir() + "test.world") {
    WriteWorld(true);
    SetEnvironmentVariableA("OMXWL_WORLD", world_.c_str());
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dll(exe);
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "OMXWL.DLL";
    dll_ = std::make_unique<lockcheck::CheckedDll>(dll);
    bound_ = dll_->Bound();
    if (bound_) g_OmxLib.OMXWL_SetWLProfileDir(env.Root().c_str());
  }
  ~SimLibrary() {
    dll_.reset();
    SetEnvironmentVariableA("OMXWL_WORLD", nullptr);
    DeleteFileA(world_.c_str());
    // The library keeps the profiles under the application-data folder.
    wutest::RemoveAppDataFolder(env_.Root());
  }
  bool Bound() const { return bound_; }

  // Plugs the adapter in or out; the library notices within a second.
  // faults: lines of a [Faults] section, e.g. "Crash.DevDetect=1\r\n".
  void WriteWorld(bool present, const std::string& faults = "") {
    static int generation = 0;
    const std::string text =
        "; generation " + std::to_string(++generation) +
        "\r\n[World]\r\nScanTime=500\r\n"
        "[Adapter Ombrix USB]\r\nHardwareId=USB\\VID_1D4F&PID_0A71\r\nInstance=OMX0001\r\n"
        "Description=Ombrix 802.11a/b/g USB Wireless Adapter\r\nMAC=00:1D:4F:6A:21:07\r\n"
        "Domain=FCC\r\nBands=a,b,g\r\nPresent=" +
        std::string(present ? "1" : "0") + "\r\n" + (faults.empty() ? "" : "[Faults]\r\n" + faults);
    HANDLE h = CreateFileA(world_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           0, nullptr);
    DWORD put = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);
  }

 private:
  const TestEnv& env_;
  std::string world_;
  bool bound_ = false;
  std::unique_ptr<lockcheck::CheckedDll> dll_;
};
