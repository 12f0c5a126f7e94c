// A screen reader in a process of its own reads the running program and
// switches its page through a tab's default action, as a blind user would.
#include <gtest/gtest.h>

#include "app/TestSupport.h"
#include "common/AccessTest.h"
#include "common/WaitUntil.h"

using namespace wutest;

namespace {

TEST(ScreenReaderProcess, ReadsTheRunningProgramAndSwitchesItsPage) {
  TempDir dir;
  const std::string bin = ModuleDir();
  const std::string exe = dir / "WirelessUtility.exe";
  ASSERT_TRUE(CopyFileA((bin + "WirelessUtility.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((bin + "OMXWL.DLL").c_str(), (dir / "OMXWL.DLL").c_str(), FALSE));
  const std::string root = "WuAcc" + std::to_string(GetCurrentProcessId());
  WriteText(dir / "WirelessUtility.bin", "[Setting]\r\nProfRoot=" + root + "\r\n");
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  ChildProcess program(exe, "/UI", dir.Path());
  ASSERT_TRUE(program.Started());
  HWND main = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND w : WindowsOf(program.Id(), "WuForm"))
          if (IsWindowVisible(w)) main = w;
        return main != nullptr;
      },
      20000));

  AccPtr window = ClientObject(main);
  ASSERT_TRUE(window) << "no object from the other process";
  AccNode tab;
  ASSERT_TRUE(FindNode(window.get(), "Site Survey", ROLE_SYSTEM_PAGETAB, &tab));
  EXPECT_FALSE(tab.state & STATE_SYSTEM_SELECTED);
  AccNode help;
  EXPECT_TRUE(FindNode(window.get(), "Help", ROLE_SYSTEM_PUSHBUTTON, &help));
  ASSERT_EQ(tab.DoDefault(), S_OK);
  EXPECT_TRUE(WaitUntil(
      [&] {
        AccNode now;
        return FindNode(window.get(), "Site Survey", ROLE_SYSTEM_PAGETAB, &now) &&
               (now.state & STATE_SYSTEM_SELECTED);
      },
      20000));
  // Still answering; then ended as a second start with "/Close" ends it.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
  window.reset();
  tab = AccNode();
  help = AccNode();
  ChildProcess closer(exe, "/Close", dir.Path());
  EXPECT_TRUE(program.WaitExit(20000));
}

}  // namespace
