// Entry-point logic in-process: the command line, the instance mutex with its
// broadcasts and retries, and the exception guard with its teardown.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "config/Udefine.h"
#include "config/Unotify.h"

using namespace wutest;

namespace {

struct CmdCase {
  std::vector<const char*> Args;  // without the program name
  int32_t Flags;
};

TEST(CommandLine, SwitchesMatchWholeInAnyCaseAndEveryArgumentIsLogged) {
  const std::vector<CmdCase> cases = {
      {{}, 0},
      {{"/UI"}, CmdUI},
      {{"/UI", "/TrayIcon"}, CmdUI | CmdTrayIcon},
      {{"/close"}, CmdClose},
      {{"/CLOSE", "/ui"}, CmdClose | CmdUI},
      {{"/Service"}, CmdService},
      {{"/sErViCe", "/trayicon", "/Close", "/UI"}, CmdService | CmdTrayIcon | CmdClose | CmdUI},
      {{"/UI=1", "/Close:now", " /UI", "/UI ", "UI", "-UI", "/TrayIcons", ""}, 0},
      {{"some file.txt", "/UI"}, CmdUI},
  };
  for (const CmdCase& c : cases) {
    std::vector<const char*> argv = {"WirelessUtility.exe"};
    argv.insert(argv.end(), c.Args.begin(), c.Args.end());
    LogCapture capture;
    EXPECT_EQ(ParseCommandLine(static_cast<int>(argv.size()), argv.data()), c.Flags)
        << "first argument: " << (c.Args.empty() ? "(none)" : c.Args[0]);
    std::vector<std::string> expected;
    for (size_t i = 0; i < c.Args.size(); ++i) {
      expected.push_back("Param(" + std::to_string(i + 1) + ") " + c.Args[i]);
    }
    EXPECT_EQ(capture.Lines(), expected);
  }
}

// A hidden top-level window that records the instance broadcasts it gets.
class BroadcastListener {
 public:
  BroadcastListener() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WuTestListener";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "listener", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~BroadcastListener() { DestroyWindow(window_); }

  std::vector<WPARAM> Codes;
  // Closed on kNotifyClose, as a running instance would end.
  HANDLE CloseOnNine = nullptr;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<BroadcastListener*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self && NotifyMsg != 0 && m == NotifyMsg) {
      self->Codes.push_back(wp);
      if (wp == kNotifyClose && self->CloseOnNine) {
        CloseHandle(self->CloseOnNine);
        self->CloseOnNine = nullptr;
      }
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  HWND window_ = nullptr;
};

// Unique names per test, so nothing else on the desktop reacts.
class InstanceMutexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string root = "WuTest" + std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(GetTickCount()) + "_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    savedMutex_ = g_GlobalVar.MutexName;
    savedMsg_ = NotifyMsg;
    g_GlobalVar.MutexName = root + "_Mutex";
    NotifyMsg = RegisterWindowMessageA((root + "_NotifyMsg").c_str());
  }
  void TearDown() override {
    g_GlobalVar.MutexName = savedMutex_;
    NotifyMsg = savedMsg_;
  }
  std::string savedMutex_;
  UINT savedMsg_ = 0;
};

TEST_F(InstanceMutexTest, FirstInstanceHoldsTheMutexAndASecondOneBringsItForward) {
  BroadcastListener running;
  LogCapture capture;
  HANDLE first = nullptr;
  ASSERT_TRUE(CreateInstanceMutex(first));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(running.Codes.empty());

  HANDLE second = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(CreateInstanceMutex(second));
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(running.Codes, std::vector<WPARAM>{kNotifyShow});
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{"Instance mutex already exists"});

  // Once the first instance is gone the name is free again.
  CloseHandle(first);
  HANDLE third = nullptr;
  EXPECT_TRUE(CreateInstanceMutex(third));
  CloseHandle(third);
}

TEST_F(InstanceMutexTest, AnUnopenableNameIsRetriedWithCloseBroadcastsThenGivenUp) {
  // An object of another kind under the mutex's name cannot be opened as one.
  HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, g_GlobalVar.MutexName.c_str());
  ASSERT_NE(squatter, nullptr);
  BroadcastListener running;
  LogCapture capture;
  HANDLE mutex = nullptr;
  EXPECT_FALSE(CreateInstanceMutex(mutex, InstanceRetry{3, 10}));
  EXPECT_EQ(mutex, nullptr);
  EXPECT_EQ(running.Codes, (std::vector<WPARAM>{kNotifyClose, kNotifyClose, kNotifyClose}));
  // The system's error text brings its own line break: drop the blank lines.
  std::vector<std::string> lines;
  for (const auto& l : capture.Lines()) {
    if (!l.empty()) lines.push_back(l);
  }
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("can't create instance mutex ErrCode(", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "broadcast close message and wait 0");
  EXPECT_EQ(lines[2], "broadcast close message and wait 1");
  EXPECT_EQ(lines[3], "broadcast close message and wait 2");
  EXPECT_EQ(lines[4].rfind("can't create instance mutex again ErrCode(", 0), 0u) << lines[4];
  CloseHandle(squatter);
}

TEST_F(InstanceMutexTest, TheRetrySucceedsOnceTheHolderHasEnded) {
  BroadcastListener running;
  running.CloseOnNine = CreateEventA(nullptr, TRUE, FALSE, g_GlobalVar.MutexName.c_str());
  ASSERT_NE(running.CloseOnNine, nullptr);
  LogCapture capture;
  HANDLE mutex = nullptr;
  EXPECT_TRUE(CreateInstanceMutex(mutex, InstanceRetry{10, 10}));
  EXPECT_NE(mutex, nullptr);
  EXPECT_EQ(running.Codes, std::vector<WPARAM>{kNotifyClose});
  EXPECT_FALSE(Contains(capture.Lines(), "broadcast close message and wait 1"));
  CloseHandle(mutex);
}

// The guard: nothing escapes, the display and the log get the message, and
// the mutex is released in every case.
class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.OnException = [this](const std::string& m) { shown_.push_back(m); };
  }
  void TearDown() override { Application.OnException = nullptr; }

  // Runs body after creating a named mutex in the state; true when the
  // mutex is gone afterwards.
  bool RunAndCheckReleased(const std::function<void()>& body, int* result) {
    const std::string name =
        "WuGuard" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter_++);
    StartupState state;
    *result = RunGuarded(state, [&](StartupState& s) {
      s.Mutex = CreateMutexA(nullptr, FALSE, name.c_str());
      body();
    });
    HANDLE again = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (again) CloseHandle(again);
    return again == nullptr && state.Mutex == nullptr;
  }
  std::vector<std::string> shown_;
  int counter_ = 0;
};

TEST_F(GuardTest, AnExceptionIsShownLoggedAndTheTeardownStillRuns) {
  LogCapture capture;
  int result = -1;
  EXPECT_TRUE(RunAndCheckReleased([] { throw std::runtime_error("disk on fire"); }, &result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(shown_, std::vector<std::string>{"disk on fire"});
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{"Exception(WinMain): disk on fire"});
}

TEST_F(GuardTest, AnyOtherThrownValueBecomesAnEmptyMessage) {
  LogCapture capture;
  int result = -1;
  EXPECT_TRUE(RunAndCheckReleased([] { throw 42; }, &result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(shown_, std::vector<std::string>{""});
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{"Exception(WinMain)"});
}

TEST_F(GuardTest, AFailingDisplayDoesNotEscapeEither) {
  Application.OnException = [](const std::string&) { throw std::logic_error("display broke"); };
  LogCapture capture;
  int result = -1;
  EXPECT_TRUE(RunAndCheckReleased([] { throw std::runtime_error("first"); }, &result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(capture.Lines(), std::vector<std::string>{"Exception(WinMain): first"});
}

}  // namespace
