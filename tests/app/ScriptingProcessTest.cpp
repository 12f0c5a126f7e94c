// The script switches as real processes: against a running instance
// (/Import, /Connect, /Status, /Disconnect, refusals), and on their own
// once it has gone. Each run's standard output and error are captured.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "adapter/Ucomxlib.h"
#include "app/Uscript.h"
#include "config/Udefine.h"

using namespace wutest;

namespace {

constexpr DWORD kGenerous = 30000;

struct RunResult {
  DWORD Code = 0xFFFF;
  std::string Out, Err;
};

class ScriptStage {
 public:
  ScriptStage() {
    const std::string bin = ModuleDir();
    exe_ = dir_ / "WirelessUtility.exe";
    EXPECT_TRUE(CopyFileA((bin + "WirelessUtility.exe").c_str(), exe_.c_str(), FALSE));
    EXPECT_TRUE(CopyFileA((bin + "OMXWL.DLL").c_str(), (dir_ / "OMXWL.DLL").c_str(), FALSE));
    root_ =
        "WuScript" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    WriteText(dir_ / "WirelessUtility.bin",
              "[Setting]\r\nProfRoot=" + root_ + "\r\nHWID0=VID_1D4F&PID_0A71\r\n");
    WriteText(dir_ / "OMXWL.world",
              "[World]\r\nScanTime=300\r\nAssociateTime=200\r\n"
              "[Adapter Ombrix USB]\r\nHardwareId=USB\\VID_1D4F&PID_0A71\r\n"
              "Description=Ombrix Test Adapter\r\nMAC=00:1D:4F:6A:21:07\r\n"
              "[Network Open]\r\nSSID=TestOpen\r\nBSSID=00:1D:4F:10:00:01\r\nChannel=6\r\n"
              "Signal=-48\r\n"
              "[DHCP]\r\nAddress=192.168.77.23\r\nMask=255.255.255.0\r\nGateway=192.168.77.1\r\n");
    WriteText(dir_ / "WirelessUtility.Log", "");
    SetEnvironmentVariableA("OMXWL_WORLD", nullptr);  // the stage's own world
  }
  ~ScriptStage() {
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
    for (const std::string& root : {root_, root_ + "x"}) {
      char appData[MAX_PATH] = {};
      if (!GetEnvironmentVariableA("APPDATA", appData, MAX_PATH)) continue;
      const std::string folder = std::string(appData) + "\\" + root;
      for (const char* f : {"WLProfiles.dat", "WLProfiles.tmp"})
        DeleteFileA((folder + "\\" + f).c_str());
      RemoveDirectoryA(folder.c_str());
    }
  }

  std::string operator/(const std::string& name) const { return dir_ / name; }
  const std::string& Root() const { return root_; }

  std::unique_ptr<ChildProcess> Start(const std::string& args) {
    return std::make_unique<ChildProcess>(exe_, args, dir_.Path());
  }

  // One run with its standard handles in files; the exit code and texts.
  RunResult Script(const std::string& args) {
    static int n = 0;
    const std::string out = dir_ / ("out" + std::to_string(++n) + ".txt");
    const std::string err = dir_ / ("err" + std::to_string(n) + ".txt");
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE ho =
        CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE he =
        CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = ho;
    si.hStdError = he;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe_ + "\" " + args;
    RunResult r;
    if (CreateProcessA(exe_.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       dir_.Path().c_str(), &si, &pi)) {
      if (!WaitUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 90000))
        TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 10000);
      GetExitCodeProcess(pi.hProcess, &r.Code);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    CloseHandle(ho);
    CloseHandle(he);
    r.Out = ReadText(out);
    r.Err = ReadText(err);
    return r;
  }

  bool Logged(const std::string& prefix) const {
    return AnyStartsWith(SplitLines(ReadText(dir_ / "WirelessUtility.Log")), prefix);
  }

 private:
  TempDir dir_;
  std::string exe_, root_;
};

bool HasVisibleWindow(DWORD pid) {
  for (HWND w : WindowsOf(pid))
    if (IsWindowVisible(w)) return true;
  return false;
}

// An export file with one open profile "Office", made by the library in a
// profile root of its own.
bool MakeExport(const std::string& root, const std::string& path) {
  if (!g_OmxLib.Bind(ModuleDir() + "OMXWL.DLL")) return false;
  g_OmxLib.OMXWL_SetWLProfileDir(root.c_str());
  WLProfile p{};
  CFAGlobalVar::ResetSecurity(p);
  SetField(p.ProfileName, "Office");
  SetField(p.NetInfo.NI_sz_CurProfile, "Office");
  SetField(p.Ssid1, "TestOpen");
  p.NetworkMode = 1;
  p.ABGMode = 34;
  p.TxRate = 15;
  const bool ok = g_OmxLib.OMXWL_SetWLProfile("Office", &p) == 1 &&
                  g_OmxLib.OMXWL_RegExportProfile("Office", path.c_str()) == 1;
  g_OmxLib.Unbind();
  return ok;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ScriptingProcess, ARunningInstanceServesImportConnectStatusAndDisconnect) {
  ScriptStage stage;
  const std::string file = stage / "office.wlprof";
  ASSERT_TRUE(MakeExport(stage.Root() + "x", file));
  WriteText(stage / "junk.wlprof", "not an export at all");

  auto instance = stage.Start("/TrayIcon");
  ASSERT_TRUE(
      WaitUntil([&] { return !instance->Running() || stage.Logged("Select Dev:"); }, kGenerous));
  ASSERT_TRUE(instance->Running());

  RunResult r = stage.Script("/Import \"" + file + "\"");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_EQ(r.Out, "Imported 1 profile from " + file + ".\r\n");
  EXPECT_EQ(r.Err, "");

  // The instance found the row in its list: the import showed there.
  r = stage.Script("/connect office");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_EQ(r.Out, "Connecting with profile 'office'.\r\n");
  RunResult status;
  EXPECT_TRUE(WaitUntil(
      [&] {
        status = stage.Script("/Status");
        return Has(status.Out, "profile: Office\r\n") && Has(status.Out, "ip: 192.168.77.23\r\n");
      },
      kGenerous))
      << status.Out << status.Err;
  EXPECT_EQ(status.Code, 0u);
  EXPECT_TRUE(Has(status.Out, "adapter: Ombrix Test Adapter\r\nstate: connected\r\n"));
  EXPECT_TRUE(Has(status.Out, "network: TestOpen\r\nsignal: -48 dBm\r\n"));

  r = stage.Script("/Disconnect");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_TRUE(WaitUntil([&] { return Has(stage.Script("/STATUS").Out, "state: disconnected\r\n"); },
                        kGenerous));

  // Refusals: a clear message, their own code, nothing changed.
  r = stage.Script("/Connect Nowhere");
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoProfile));
  EXPECT_EQ(r.Err, "There is no stored profile named 'Nowhere'.\r\n");
  EXPECT_EQ(r.Out, "");
  r = stage.Script("/Import junk.wlprof");  // relative: the caller's folder
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitFailed));
  EXPECT_TRUE(Has(r.Err, "junk.wlprof is not a profile export; nothing was imported.")) << r.Err;
  r = stage.Script("/Import missing.wlprof");
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitFile));
  r = stage.Script("/Export out.wlprof Nowhere");
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoProfile));
  EXPECT_FALSE(FileExists(stage / "out.wlprof"));

  EXPECT_FALSE(HasVisibleWindow(instance->Id())) << "a script brought the window up";
  EXPECT_TRUE(instance->Running());
  stage.Script("/Close");
  ASSERT_TRUE(instance->WaitExit(kGenerous));

  // On their own, without the instance: the store still has the import.
  r = stage.Script("/Export out.wlprof OFFICE");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_TRUE(FileExists(stage / "out.wlprof"));
  r = stage.Script("/Status");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_TRUE(Has(r.Out, "adapter: Ombrix Test Adapter\r\nstate: disconnected\r\n")) << r.Out;
  r = stage.Script("/Connect");
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitUsage));
  EXPECT_TRUE(Has(r.Err, "/Connect needs the name of a stored profile.")) << r.Err;
}

}  // namespace
