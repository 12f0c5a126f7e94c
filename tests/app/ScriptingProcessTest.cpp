// The script switches as real processes: against a running instance
// (/Import, /Connect, /Status, /Disconnect, refusals), and on their own
// once it has gone. Each run's standard output and error are captured.
// Every exit code is checked on both paths, and a /Status on its own must
// leave the registry, the store and the adapter as it found them.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

#include "ScriptStage.h"
#include "TestSupport.h"
#include "adapter/Ucomxlib.h"
#include "app/Uscript.h"
#include "config/Udefine.h"
#include "config/Unotify.h"

using namespace wutest;

namespace {

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
  // Answered once the adapter has taken the profile, with its stored name.
  r = stage.Script("/connect office");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_EQ(r.Out, "Connecting with profile 'Office'.\r\n");
  EXPECT_TRUE(stage.Logged("call OMXWL_SetWLANStatus end 1"));
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

// Every value below a registry key, subkeys included, as text.
std::string RegistryDump(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  std::string out;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[1024];
    DWORD nameLen = sizeof name, dataLen = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
      break;
    out += path + "\\" + name + "=" + std::to_string(type) + ":" +
           std::string(reinterpret_cast<char*>(data), dataLen) + "\n";
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLen = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    out += RegistryDump(parent, path + "\\" + name);
  }
  RegCloseKey(key);
  return out;
}

// A top-level window of this process, hidden, of a class of its own.
class TestWindow {
 public:
  TestWindow(const char* cls, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, cls, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

const DWORD kRefused = static_cast<DWORD>(script::kExitFailed);
const DWORD kNoAdapter = static_cast<DWORD>(script::kExitNoAdapter);
const DWORD kManaged = static_cast<DWORD>(script::kExitManaged);

// The refusals that come from the library, the hardware and Windows'
// wireless management: the same code and text from the running instance
// and from a process on its own.
TEST(ScriptingProcess, RefusalsOfTheLibraryTheAdapterAndWindowsManagementOnBothPaths) {
  struct Case {
    const char* What;
    StageSetup Setup;
    bool Adapter;
    DWORD Connect;
    std::string ConnectErr;
    DWORD Status;
    std::string StatusPart;
  };
  const std::string refused = "The adapter refused profile 'Default'.\r\n";
  const std::string noAdapter = std::string(script::kTextNoAdapter) + "\r\n";
  const std::string managed = std::string(script::kTextManaged) + "\r\n";
  const Case cases[] = {
      {"library refuses",
       {"", "[Faults]\r\nFail.SetWLANStatus=1\r\n", "", true},
       true,
       kRefused,
       refused,
       0,
       "state: disconnected\r\n"},
      {"no adapter", {"Present=0\r\n", "", "", true}, false, kNoAdapter, noAdapter, kNoAdapter, ""},
      {"managed",
       {"", "", "EnableZeroCfg=1\r\n", true},
       true,
       kManaged,
       managed,
       0,
       "state: managed by Windows\r\nprofile: \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ScriptStage stage(c.Setup);
    for (bool instanceRuns : {true, false}) {
      SCOPED_TRACE(instanceRuns ? "instance" : "on its own");
      std::unique_ptr<ChildProcess> instance;
      if (instanceRuns) instance = stage.StartInstance(c.Adapter);
      RunResult r = stage.Script("/Connect DEFAULT");
      EXPECT_EQ(r.Code, c.Connect) << r.Err;
      EXPECT_EQ(r.Err, c.ConnectErr);
      EXPECT_EQ(r.Out, "");
      r = stage.Script("/Status");
      EXPECT_EQ(r.Code, c.Status) << r.Err;
      EXPECT_TRUE(Has(r.Out, c.StatusPart)) << r.Out;
      if (c.Connect == kManaged) {
        r = stage.Script("/Disconnect");
        EXPECT_EQ(r.Code, kManaged) << r.Err;
      }
      if (instance) {
        EXPECT_FALSE(HasVisibleWindow(instance->Id()));
        stage.Script("/Close");
        EXPECT_TRUE(instance->WaitExit(kGenerous));
      }
    }
    if (c.Connect == kRefused) {
      // Both refusals reached the library; nothing was recorded as applied.
      EXPECT_TRUE(stage.Logged("call OMXWL_SetWLANStatus end 0"));
      EXPECT_EQ(RegistryDump(HKEY_CURRENT_USER, "Software\\" + stage.Root()).find("LastProf"),
                std::string::npos);
    }
  }
}

// A mutex without a pipe is an instance that does not answer: 6 within the
// bound, with the message, not a hang.
TEST(ScriptingProcess, AnInstanceThatDoesNotAnswerGivesSix) {
  ScriptStage stage;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, (stage.Root() + "_Mutex").c_str());
  ASSERT_TRUE(mutex);
  const DWORD start = GetTickCount();
  const RunResult r = stage.Script("/Status", 60000);
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoAnswer)) << r.Err;
  EXPECT_EQ(r.Err, "The running utility does not answer.\r\n");
  EXPECT_EQ(r.Out, "");
  EXPECT_LT(GetTickCount() - start, 30000u);
  CloseHandle(mutex);
}

// Without the library a script ends at once with 7, even where a taskbar
// would have made the message box appear for an interactive start.
TEST(ScriptingProcess, WithoutTheLibraryAScriptEndsWithSevenAndShowsNothing) {
  StageSetup setup;
  setup.Library = false;
  ScriptStage stage(setup);
  TestWindow taskbar("Shell_TrayWnd", DefWindowProcA);
  ASSERT_TRUE(taskbar.Handle());
  for (const char* args : {"/Status", "/Connect Default"}) {
    bool shown = false;
    const RunResult r = stage.Script(args, 30000, [&](DWORD pid) {
      if (HasVisibleWindow(pid)) shown = true;
    });
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoLibrary)) << args << " " << r.Err;
    EXPECT_EQ(r.Err, "The wireless library OMXWL.DLL could not be loaded.\r\n");
    EXPECT_FALSE(shown) << args;
  }
}

// A /Status on its own only looks: the registry, the profile store, the
// world and the adapter's hand-over stay as they were, before any profile
// exists and after an instance has used the adapter.
TEST(ScriptingProcess, StatusOnItsOwnChangesNothing) {
  ScriptStage stage;
  const std::string key = "Software\\" + stage.Root();
  const std::string world = ReadText(stage / "OMXWL.world");
  auto lookTwice = [&] {
    const std::string registry = RegistryDump(HKEY_CURRENT_USER, key);
    const std::string store = ReadText(stage.StoreFile());
    const bool storeExists = FileExists(stage.StoreFile());
    WriteText(stage / "WirelessUtility.Log", "");
    for (int i = 0; i < 2; ++i) {
      const RunResult r = stage.Script("/Status");
      EXPECT_EQ(r.Code, 0u) << r.Err;
      EXPECT_TRUE(Has(r.Out, "adapter: Ombrix Test Adapter\r\n")) << r.Out;
    }
    EXPECT_EQ(RegistryDump(HKEY_CURRENT_USER, key), registry);
    EXPECT_EQ(FileExists(stage.StoreFile()), storeExists) << "a first profile was created";
    EXPECT_EQ(ReadText(stage.StoreFile()), store);
    EXPECT_EQ(ReadText(stage / "OMXWL.world"), world);
    for (const char* step : {"CNICAdapter::DoSetZeroCfg()", "CNICAdapter::ReadProfileList()",
                             "CNICAdapter::AddProfile()", "call OMXWL_SetWLANStatus"})
      EXPECT_FALSE(stage.Logged(step)) << step;
  };
  {
    SCOPED_TRACE("before any profile");
    lookTwice();
  }
  auto instance = stage.StartInstance();
  ASSERT_TRUE(WaitUntil([&] { return stage.Logged("call OMXWL_SetWLANStatus end 1"); }, kGenerous));
  stage.Script("/Close");
  ASSERT_TRUE(instance->WaitExit(kGenerous));
  ASSERT_FALSE(RegistryDump(HKEY_CURRENT_USER, key).empty());
  {
    SCOPED_TRACE("after an instance");
    lookTwice();
  }
}

// File names: a relative one that the caller's folder makes too long is
// wrong use on both paths, never resolved in the instance's folder; the
// stand-alone codes for a missing profile and file.
TEST(ScriptingProcess, NamesAndFilesOnItsOwnAndThroughTheInstance) {
  ScriptStage stage;
  const std::string longName(MAX_PATH - 1 - 4, 'n');
  ASSERT_GT(stage.Folder().size() + longName.size(), static_cast<size_t>(MAX_PATH));
  for (bool instanceRuns : {false, true}) {
    SCOPED_TRACE(instanceRuns ? "instance" : "on its own");
    std::unique_ptr<ChildProcess> instance;
    if (instanceRuns) instance = stage.StartInstance();
    RunResult r = stage.Script("/Export " + longName);
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitUsage)) << r.Err;
    EXPECT_EQ(r.Err, "The file name is too long.\r\n");
    r = stage.Script("/Connect Nowhere");
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoProfile)) << r.Err;
    r = stage.Script("/Import missing.wlprof");
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitFile)) << r.Err;
    r = stage.Script("/Connect default");
    if (instanceRuns) {
      EXPECT_EQ(r.Code, 0u) << r.Err;
      EXPECT_EQ(r.Out, "Connecting with profile 'Default'.\r\n");
      stage.Script("/Close");
      EXPECT_TRUE(instance->WaitExit(kGenerous));
    } else {
      // No profile yet: only an instance creates the first one.
      EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoProfile)) << r.Err;
    }
  }
  // Once the instance made it, the stand-alone run echoes the stored name.
  const RunResult r = stage.Script("/Connect DEFAULT");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_EQ(r.Out, "Connecting with profile 'Default'.\r\n");
}

// A name typed in any script (the command line reaches the program as
// UTF-16) finds its code-page profile as UTF-8 in any letter case, on both
// paths; replies and /Status are UTF-8, the network's Latin-1 byte and line
// break shown, not forging a line.
TEST(ScriptingProcess, AUnicodeCommandLineFindsItsProfileAndTheRepliesAreUtf8) {
  StageSetup setup;
  setup.WorldExtra =
      "[Network Hostile]\r\nSSIDHex=436166E90D0A73746174653A2078\r\n"
      "BSSID=00:1D:4F:10:00:09\r\nChannel=11\r\nSignal=-40\r\n";
  ScriptStage stage(setup);
  const std::string file = stage / "cafe.wlprof";
  ASSERT_TRUE(MakeExport(stage.Root() + "x", file, "Caf\xE9 M\xFCller", "Caf\xE9\r\nstate: x"));
  RunResult r = stage.Script("/Import \"" + file + "\"");
  ASSERT_EQ(r.Code, 0u) << r.Err;
  std::unique_ptr<ChildProcess> instance;
  for (bool instanceRuns : {false, true}) {
    SCOPED_TRACE(instanceRuns ? "instance" : "on its own");
    if (instanceRuns) instance = stage.StartInstance();
    r = stage.Script("/Connect \"CAF\xC3\x89 M\xC3\x9CLLER\"");
    EXPECT_EQ(r.Code, 0u) << r.Err;
    EXPECT_EQ(r.Out, "Connecting with profile 'Caf\xC3\xA9 M\xC3\xBCller'.\r\n");
    r = stage.Script("/Connect \xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5");
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoProfile));
    EXPECT_EQ(r.Err, "There is no stored profile named '\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5'.\r\n");
  }
  RunResult status;
  EXPECT_TRUE(WaitUntil(
      [&] {
        status = stage.Script("/Status");
        return Has(status.Out, "state: connected\r\n");
      },
      kGenerous))
      << status.Out;
  EXPECT_TRUE(Has(status.Out,
                  "\r\nprofile: Caf\xC3\xA9 M\xC3\xBCller\r\nnetwork: Caf\xC3\xA9"
                  "\\x0D\\x0Astate: x\r\nsignal: "))
      << status.Out;
  EXPECT_EQ(SplitLines(status.Out).size(), 6u) << status.Out;
  stage.Script("/Close");
  EXPECT_TRUE(instance->WaitExit(kGenerous));
}

}  // namespace
