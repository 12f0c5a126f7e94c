// The program started as real processes: one instance per profile root, the
// second start brings the first forward, "/Close" ends a running instance,
// and a missing library ends the start with its message.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "omxwl.h"

using namespace wutest;

namespace {

constexpr DWORD kGenerous = 30000;

// True when the DLL exports every entry point the program binds.
bool ExportsAllEntryPoints(const std::string& path) {
  HMODULE m = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!m) return false;
  bool all = true;
#define WU_CHECK_EXPORT(name, args) all = all && GetProcAddress(m, #name) != nullptr;
  OMXWL_ENTRY_POINTS(WU_CHECK_EXPORT)
#undef WU_CHECK_EXPORT
  FreeLibrary(m);
  return all;
}

// A folder with the program, a library, its own settings and an empty log
// file (so every run writes its trace there).
class Stage {
 public:
  explicit Stage(bool withLibrary) {
    const std::string bin = ModuleDir();
    exe_ = dir_ / "WirelessUtility.exe";
    EXPECT_TRUE(CopyFileA((bin + "WirelessUtility.exe").c_str(), exe_.c_str(), FALSE));
    if (withLibrary) {
      // The project's simulated library once it is complete; until then the
      // tests' stand-in with the same exports.
      const std::string project = bin + "OMXWL.DLL";
      const std::string library = ExportsAllEntryPoints(project) ? project : bin + "OMXFAKE.DLL";
      EXPECT_TRUE(CopyFileA(library.c_str(), (dir_ / "OMXWL.DLL").c_str(), FALSE));
    }
    root_ = "WuInst" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    WriteText(dir_ / "WirelessUtility.bin", "[Setting]\r\nProfRoot=" + root_ + "\r\n");
    WriteText(dir_ / "WirelessUtility.Log", "");
  }

  std::unique_ptr<ChildProcess> Start(const std::string& args) {
    auto child = std::make_unique<ChildProcess>(exe_, args, dir_.Path());
    EXPECT_TRUE(child->Started()) << "cannot start " << exe_;
    return child;
  }
  bool MutexExists() const {
    HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, (root_ + "_Mutex").c_str());
    if (m) CloseHandle(m);
    return m != nullptr;
  }
  std::vector<std::string> Log(const std::string& name) const {
    return SplitLines(ReadText(dir_ / name));
  }

 private:
  TempDir dir_;
  std::string exe_;
  std::string root_;
};

// The last lines of a log, for a failure's message.
std::string Tail(const std::vector<std::string>& lines, size_t count = 25) {
  std::string text;
  for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
    text += lines[i] + "\n";
  return text;
}

// Class, caption, style and whether each window answers, for a failure's message.
std::string Describe(const std::vector<HWND>& windows) {
  std::string text;
  for (HWND w : windows) {
    char cls[128] = {}, caption[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, caption, sizeof caption);
    DWORD_PTR r = 0;
    const bool answers = SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r) != 0;
    char line[400];
    snprintf(line, sizeof line, "%p %s \"%s\" style %08lx%s\n", static_cast<void*>(w), cls, caption,
             static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)),
             answers ? "" : " (does not answer)");
    text += line;
  }
  return text;
}

bool HasVisibleWindow(DWORD pid) {
  for (HWND w : WindowsOf(pid)) {
    if (IsWindowVisible(w)) return true;
  }
  return false;
}

// Answering: the instance holds the mutex and its main window exists.
bool Serving(Stage& stage, ChildProcess& p) {
  return stage.MutexExists() && !WindowsOf(p.Id()).empty();
}

TEST(InstanceProtocol, SecondStartBringsTheFirstForwardAndCloseEndsIt) {
  Stage stage(true);
  auto first = stage.Start("");
  ASSERT_TRUE(WaitUntil([&] { return !first->Running() || Serving(stage, *first); }, kGenerous));
  ASSERT_TRUE(first->Running()) << "the instance ended instead of serving";
  // Without /TrayIcon, "Open" shows the window only once an adapter is
  // selected: wait for the simulated adapter before asking.
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const auto& line : stage.Log("WirelessUtility.Log"))
          if (line.rfind("Select Dev:", 0) == 0) return true;
        return false;
      },
      kGenerous))
      << "the first instance never selected the simulated adapter";
  // Give the first instance time to settle into its loop, then look.
  Sleep(500);
  PumpMessages();
  EXPECT_FALSE(HasVisibleWindow(first->Id())) << "started without /UI, yet visible";

  auto second = stage.Start("/TrayIcon");
  ASSERT_TRUE(second->WaitExit(kGenerous));
  EXPECT_EQ(second->ExitCode(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return HasVisibleWindow(first->Id()); }, kGenerous))
      << "the running instance was not brought forward";
  EXPECT_TRUE(first->Running());

  auto closer = stage.Start("/close");
  ASSERT_TRUE(closer->WaitExit(kGenerous));
  EXPECT_EQ(closer->ExitCode(), 0u);
  ASSERT_TRUE(first->WaitExit(kGenerous)) << "/Close did not end the running instance";
  EXPECT_EQ(first->ExitCode(), 0u);
  EXPECT_FALSE(stage.MutexExists());

  // The first run owns the main log; the others wrote numbered files.
  const auto firstLog = stage.Log("WirelessUtility.Log");
  const auto secondLog = stage.Log("WirelessUtility_000.Log");
  const auto closerLog = stage.Log("WirelessUtility_001.Log");
  EXPECT_TRUE(Contains(firstLog, "WPM_CLOSEALL"));
  EXPECT_FALSE(Contains(firstLog, "Instance mutex already exists"));
  ASSERT_GE(secondLog.size(), 2u);
  EXPECT_EQ(secondLog[0], "== START LOG ==");
  EXPECT_EQ(secondLog[1], "Param(1) /TrayIcon");
  EXPECT_TRUE(Contains(secondLog, "Instance mutex already exists"));
  ASSERT_GE(closerLog.size(), 2u);
  EXPECT_EQ(closerLog[1], "Param(1) /close");
  EXPECT_EQ(closerLog.back(), "PM_CLOSE");
}

TEST(InstanceProtocol, CloseWithUIShowsNothingAndOnlyEndsTheRunningInstance) {
  Stage stage(true);
  auto running = stage.Start("/UI");
  ASSERT_TRUE(
      WaitUntil([&] { return !running->Running() || Serving(stage, *running); }, kGenerous));
  ASSERT_TRUE(running->Running()) << "the instance ended instead of serving";
  EXPECT_TRUE(WaitUntil([&] { return HasVisibleWindow(running->Id()); }, kGenerous))
      << "/UI did not show the main window";

  auto closer = stage.Start("/UI /Close");
  ASSERT_TRUE(closer->WaitExit(kGenerous));
  EXPECT_EQ(closer->ExitCode(), 0u);
  ASSERT_TRUE(running->WaitExit(kGenerous))
      << "/Close did not end the running instance; its windows:\n"
      << Describe(WindowsOf(running->Id())) << "its log:\n"
      << Tail(stage.Log("WirelessUtility.Log")) << "the closer's log:\n"
      << Tail(stage.Log("WirelessUtility_000.Log"));

  // The close request is the closer's last act: no mutex, no window after it.
  const auto closerLog = stage.Log("WirelessUtility_000.Log");
  ASSERT_GE(closerLog.size(), 4u);
  EXPECT_EQ(closerLog[1], "Param(1) /UI");
  EXPECT_EQ(closerLog[2], "Param(2) /Close");
  EXPECT_EQ(closerLog.back(), "PM_CLOSE");
  EXPECT_FALSE(Contains(closerLog, "Instance mutex already exists"));
}

// The message box of a failed load shows only while a taskbar exists, so
// the test first makes sure one does (Wine creates it once a window shows)
// and then answers the box itself; without a taskbar no box may appear.
TEST(InstanceProtocol, AMissingLibraryEndsTheStartWithItsMessage) {
  HWND probe = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  const bool taskbar =
      WaitUntil([] { return FindWindowA("Shell_TrayWnd", nullptr) != nullptr; }, 10000);
  DestroyWindow(probe);

  Stage stage(false);
  auto p = stage.Start("/UI");
  if (taskbar) {
    const std::string caption = AnswerMessageBox(p->Id(), "Failed to load OMXWL.DLL library file.",
                                                 IDOK, [&] { return !p->Running(); });
    EXPECT_NE(caption, "<none>") << "no message box although a taskbar exists";
  }
  ASSERT_TRUE(p->WaitExit(kGenerous));
  EXPECT_EQ(p->ExitCode(), 0u);
  EXPECT_FALSE(stage.MutexExists());
  const auto log = stage.Log("WirelessUtility.Log");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "Failed to load OMXWL.DLL library file.");
  EXPECT_TRUE(Contains(log, "Param(1) /UI"));
}

}  // namespace
