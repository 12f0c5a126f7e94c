// The main window's answers to the instance broadcasts, and the application
// object's message loop.
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "config/Udefine.h"
#include "config/Unotify.h"

using namespace wutest;

namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedMsg_ = NotifyMsg;
    NotifyMsg = RegisterWindowMessageA(
        ("WuMainForm" + std::to_string(GetCurrentProcessId()) + "_NotifyMsg").c_str());
    Application.Initialize();
    Application.ShowMainForm = true;
  }
  void TearDown() override {
    if (Application.MainWindow && IsWindow(Application.MainWindow)) {
      DestroyWindow(Application.MainWindow);
    }
    Application.MainWindow = nullptr;
    PumpMessages();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    NotifyMsg = savedMsg_;
  }
  UINT savedMsg_ = 0;
};

TEST_F(MainFormTest, StartsHiddenAndCodeOneShowsIt) {
  // No adapter here: "Open" (code 1) shows the window only with /TrayIcon.
  HWND main = CreateMainForm(CmdTrayIcon);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Application.MainWindow, main);
  EXPECT_FALSE(IsWindowVisible(main));
  // Other codes of the message are not this window's business here.
  SendMessageA(main, NotifyMsg, kNotifyStatus, 0);
  EXPECT_FALSE(IsWindowVisible(main));
  SendMessageA(main, NotifyMsg, kNotifyShow, 0);
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(MainFormTest, CodeNineEndsTheMessageLoopAndFreesTheWindow) {
  HWND main = CreateMainForm(0);
  ASSERT_NE(main, nullptr);
  Application.ShowMainForm = false;
  LogCapture capture;
  PostMessageA(main, NotifyMsg, kNotifyClose, 0);
  Application.Run();  // returns only once the window has closed
  EXPECT_TRUE(Application.Terminated());
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(Contains(capture.Lines(), "WPM_CLOSEALL"));
}

TEST_F(MainFormTest, RunShowsTheMainWindowUnlessTold) {
  HWND main = CreateMainForm(CmdUI);
  ASSERT_NE(main, nullptr);
  bool visibleDuringRun = false;
  // A timer callback runs inside the loop and looks, then closes.
  struct Probe {
    static void CALLBACK Tick(HWND w, UINT, UINT_PTR id, DWORD) {
      KillTimer(w, id);
      *reinterpret_cast<bool*>(GetPropA(w, "probe")) = IsWindowVisible(w) != 0;
      PostMessageA(w, NotifyMsg, kNotifyClose, 0);
    }
  };
  SetPropA(main, "probe", &visibleDuringRun);
  SetTimer(main, 1, 10, Probe::Tick);
  Application.Run();
  EXPECT_TRUE(visibleDuringRun);
}

TEST_F(MainFormTest, RunEndsWhenAnotherThreadTerminates) {
  HWND main = CreateMainForm(0);
  ASSERT_NE(main, nullptr);
  Application.ShowMainForm = false;
  std::thread other([] {
    Sleep(50);
    Application.Terminate();
  });
  Application.Run();
  other.join();
  EXPECT_TRUE(Application.Terminated());
  EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(MainFormTest, TabMovesTheFocusInTheActiveWindow) {
  HWND main = CreateMainForm(CmdUI);
  ASSERT_NE(main, nullptr);
  HWND first = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20,
                               main, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 40, 100, 20,
                                main, nullptr, nullptr, nullptr);
  ShowWindow(main, SW_SHOW);
  SetForegroundWindow(main);
  SetActiveWindow(main);
  SetFocus(first);
  ASSERT_TRUE(WaitUntil([&] { return GetActiveWindow() == main && GetFocus() == first; }, 5000));
  PostMessageA(first, WM_KEYDOWN, VK_TAB, 0x000F0001);
  Application.ProcessMessages();
  EXPECT_EQ(GetFocus(), second);
}

}  // namespace
