// The script channel as real processes: only the utility itself, run by
// this user in this session, is served through the instance's pipe; a
// request in WM_COPYDATA is ignored; a pipe name held by another program
// gives a script 6 and a clear message in bounded time, and the request
// never reaches that program. Under Wine every process runs as the same
// user in the same session, so there the image check is what refuses the
// test process; another user's client cannot be made here.
#include <gtest/gtest.h>
#include <sddl.h>

#include "ScriptStage.h"
#include "TestSupport.h"
#include "app/Uscript.h"

using namespace wutest;

namespace {

std::string OwnSidText() {
  HANDLE token = nullptr;
  std::string text;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return text;
  BYTE info[512];
  DWORD size = 0;
  char* sid = nullptr;
  if (GetTokenInformation(token, TokenUser, info, sizeof info, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(info)->User.Sid, &sid)) {
    text = sid;
    LocalFree(sid);
  }
  CloseHandle(token);
  return text;
}

std::string PipeOf(const ScriptStage& stage) {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return script::PipeName(stage.Root(), OwnSidText(), session);
}

// One overlapped read of h within ms: the bytes, and the error (0 when read).
DWORD ReadWithin(HANDLE h, std::string& got, DWORD ms) {
  char buffer[4096];
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD n = 0, err = 0;
  if (!ReadFile(h, buffer, sizeof buffer, nullptr, &ov)) {
    err = GetLastError();
    if (err == ERROR_IO_PENDING) {
      if (WaitForSingleObject(ov.hEvent, ms) != WAIT_OBJECT_0) CancelIo(h);
      err = GetOverlappedResult(h, &ov, &n, TRUE) ? 0 : GetLastError();
    }
  } else {
    GetOverlappedResult(h, &ov, &n, FALSE);
  }
  CloseHandle(ov.hEvent);
  got.assign(buffer, n);
  return err;
}

// The name of a root, user and session: each of them tells two pipes apart,
// none can leave the pipe folder or the length a pipe name may have.
TEST(ScriptChannel, PipeNamesKeepRootsUsersAndSessionsApart) {
  const std::string sid = "S-1-5-21-1004336348-1177238915-682003330-1001";
  const std::string plain = script::PipeName("Ombrix.Wireless_1-a", sid, 1);
  EXPECT_EQ(plain, "\\\\.\\pipe\\Ombrix.Wireless_1-a_Script_" + sid + "_1");
  const std::string longA(300, 'a');
  const std::string longB = longA + "b";
  std::vector<std::string> names = {
      plain,
      script::PipeName("Ombrix.Wireless_1-a", sid, 2),
      script::PipeName("Ombrix.Wireless_1-a", "S-1-5-21-1-2-3-1002", 1),
      script::PipeName("ombrix.wireless_1-a", sid, 1),
      script::PipeName("a\\b/c d\xC3\xA9", sid, 1),
      script::PipeName("a%5Cb", sid, 1),
      script::PipeName(longA, sid, 1),
      script::PipeName(longB, sid, 4294967295u),
      script::PipeName(longB, std::string(400, 'S'), 4294967295u),
      script::PipeName(longB, std::string(400, 'S') + "1", 4294967295u),
  };
  EXPECT_EQ(names[4], "\\\\.\\pipe\\a%5Cb%2Fc%20d%C3%A9_Script_" + sid + "_1");
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_LE(names[i].size(), 256u) << names[i];
    EXPECT_EQ(names[i].find('\\', 9), std::string::npos) << names[i];
    for (size_t j = i + 1; j < names.size(); ++j) EXPECT_NE(names[i], names[j]) << i << " " << j;
  }
}

TEST(ScriptChannel, ForgedCopyDataAndAClientThatIsNotTheUtilityAreRefused) {
  ScriptStage stage;
  auto instance = stage.StartInstance();
  ASSERT_TRUE(instance->Running());
  const std::string stolen = stage / "stolen.wlprof";
  const std::string request = script::EncodeRequest({script::Command::Export, "", stolen});

  // WM_COPYDATA, naming each window of the instance as its sender.
  COPYDATASTRUCT cds{script::kRequestTag, static_cast<DWORD>(request.size()),
                     const_cast<char*>(request.data())};
  const std::vector<HWND> windows = WindowsOf(instance->Id());
  ASSERT_FALSE(windows.empty());
  for (HWND w : windows) {
    DWORD_PTR result = 1;
    EXPECT_TRUE(SendMessageTimeoutA(w, WM_COPYDATA, reinterpret_cast<WPARAM>(w),
                                    reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000,
                                    &result));
    EXPECT_EQ(result, 0u);
  }
  EXPECT_TRUE(stage.Logged("Script request by WM_COPYDATA ignored"));

  // This test process on the instance's pipe, with a well-formed request.
  HANDLE pipe = CreateFileA(PipeOf(stage).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << GetLastError();
  ULONG server = 0;
  ASSERT_TRUE(GetNamedPipeServerProcessId(pipe, &server));
  EXPECT_EQ(server, instance->Id()) << "the name leads to the instance";
  DWORD mode = PIPE_READMODE_MESSAGE, n = 0;
  SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!WriteFile(pipe, request.data(), static_cast<DWORD>(request.size()), nullptr, &ov) &&
      GetLastError() == ERROR_IO_PENDING && WaitForSingleObject(ov.hEvent, 5000) != WAIT_OBJECT_0)
    CancelIo(pipe);
  GetOverlappedResult(pipe, &ov, &n, TRUE);
  CloseHandle(ov.hEvent);
  std::string reply;
  const DWORD err = ReadWithin(pipe, reply, 10000);
  CloseHandle(pipe);
  EXPECT_EQ(reply, "") << "a reply to a client that is not the utility";
  EXPECT_NE(err, static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_NE(err, 0u);
  EXPECT_TRUE(
      Has(ReadText(stage / "WirelessUtility.Log"), "Script request refused: " + ModuleDir()))
      << "the image tells it";

  Sleep(1000);
  EXPECT_FALSE(FileExists(stolen)) << "a refused request exported the store";
  // The utility itself is still served, by the same channel.
  const RunResult r = stage.Script("/Export \"" + stolen + "\"");
  EXPECT_EQ(r.Code, 0u) << r.Err;
  EXPECT_EQ(r.Out, "Exported 1 profile to " + stolen + ".\r\n");
  EXPECT_TRUE(FileExists(stolen));
  stage.Script("/Close");
  EXPECT_TRUE(instance->WaitExit(kGenerous));
}

// The pipe's name held by a program that is not the utility: with its
// instance listening, the instance that starts after it goes on without a
// channel and a script ends with 6, sending nothing; with its only instance
// busy, a script ends with 6 once its wait is over.
TEST(ScriptChannel, ASquattedChannelGivesSixAndAClearMessageWithoutAHang) {
  ScriptStage stage;
  const std::string name = PipeOf(stage);
  HANDLE squat = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                  PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
  ASSERT_NE(squat, INVALID_HANDLE_VALUE);

  auto instance = stage.Start("/TrayIcon");
  ASSERT_TRUE(WaitUntil(
      [&] {
        return !instance->Running() ||
               (stage.Logged("Script channel: the pipe ") && stage.Logged("Select Dev:"));
      },
      kGenerous));
  ASSERT_TRUE(instance->Running());
  EXPECT_FALSE(stage.Logged("Script channel open:"));
  DWORD start = GetTickCount();
  RunResult r = stage.Script("/Export out.wlprof", 60000);
  EXPECT_LT(GetTickCount() - start, 30000u);
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoAnswer)) << r.Err;
  EXPECT_EQ(r.Err.rfind("Another program holds the utility's script channel (" + ModuleDir(), 0),
            0u)
      << r.Err;
  EXPECT_TRUE(Has(r.Err, " is not this program); nothing was sent.\r\n")) << r.Err;
  EXPECT_EQ(r.Out, "");
  std::string got;
  EXPECT_NE(ReadWithin(squat, got, 2000), 0u);
  EXPECT_EQ(got, "") << "the request reached the squatter";
  EXPECT_FALSE(FileExists(stage / "out.wlprof"));
  stage.Script("/Close");
  ASSERT_TRUE(instance->WaitExit(kGenerous));
  CloseHandle(squat);

  // One instance only, and taken: the script waits its bound, no more.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, (stage.Root() + "_Mutex").c_str());
  ASSERT_TRUE(mutex);
  squat = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 4096, 4096, 0,
                           nullptr);
  ASSERT_NE(squat, INVALID_HANDLE_VALUE);
  HANDLE holder = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  start = GetTickCount();
  r = stage.Script("/Status", 60000);
  EXPECT_LT(GetTickCount() - start, 30000u);
  EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitNoAnswer)) << r.Err;
  EXPECT_EQ(r.Err, "The running utility's script channel stays busy.\r\n");
  CloseHandle(holder);
  CloseHandle(squat);
  CloseHandle(mutex);
}

// While Windows' wireless management has the adapter, the profile list
// offers neither Export nor Import: a script gets 8 for both, with and
// without an instance, and neither the file nor the store changes.
TEST(ScriptChannel, ExportAndImportGiveEightOnBothPathsWhileWindowsManagesTheAdapter) {
  StageSetup setup;
  setup.SettingsExtra = "EnableZeroCfg=1\r\n";
  ScriptStage stage(setup);
  const std::string file = stage / "office.wlprof";
  ASSERT_TRUE(MakeExport(stage.Root() + "x", file));
  const std::string managed = std::string(script::kTextManaged) + "\r\n";
  for (bool instanceRuns : {true, false}) {
    SCOPED_TRACE(instanceRuns ? "instance" : "on its own");
    std::unique_ptr<ChildProcess> instance;
    if (instanceRuns) instance = stage.StartInstance();
    RunResult r = stage.Script("/Export out.wlprof");
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitManaged)) << r.Err;
    EXPECT_EQ(r.Err, managed);
    EXPECT_FALSE(FileExists(stage / "out.wlprof"));
    r = stage.Script("/Import \"" + file + "\"");
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitManaged)) << r.Err;
    EXPECT_EQ(r.Err, managed);
    EXPECT_FALSE(Has(ReadText(stage.StoreFile()), "Office")) << "the import changed the store";
    // A file error is told first, on both paths, as before.
    r = stage.Script("/Import missing.wlprof");
    EXPECT_EQ(r.Code, static_cast<DWORD>(script::kExitFile)) << r.Err;
    if (instance) {
      stage.Script("/Close");
      EXPECT_TRUE(instance->WaitExit(kGenerous));
    }
  }
}

}  // namespace
