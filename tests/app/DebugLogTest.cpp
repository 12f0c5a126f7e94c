// The debug log: switched on by the file's existence, numbered files for
// concurrent runs, whole lines, the error-code line.
#include <gtest/gtest.h>
#include <malloc.h>

#include <thread>

#include "TestSupport.h"
#include "app/Udebug.h"

using namespace wutest;

namespace {

std::string Exe(const TempDir& dir) {
  return dir / "Prog.exe";
}

TEST(DebugLog, StaysOffAndCreatesNothingWithoutTheLogFile) {
  TempDir dir;
  CDebugLog log;
  log.Open(Exe(dir).c_str());
  EXPECT_FALSE(log.IsOn());
  log.WriteLine("x", 1);
  log.Close();
  EXPECT_FALSE(FileExists(dir / "Prog.Log"));
  EXPECT_FALSE(FileExists(dir / "Prog_000.Log"));
}

TEST(DebugLog, AppendsToAnExistingFileAfterTheStartMarker) {
  TempDir dir;
  WriteText(dir / "Prog.Log", "");
  {
    CDebugLog log;
    log.Open(Exe(dir).c_str());
    ASSERT_TRUE(log.IsOn());
    EXPECT_EQ(log.Path(), dir / "Prog.Log");
    log.WriteLine("first", 5);
    log.WriteLine("", 0);
  }
  EXPECT_EQ(ReadText(dir / "Prog.Log"), "== START LOG ==\r\nfirst\r\n\r\n");
  {
    CDebugLog log;
    log.Open(Exe(dir).c_str());
    log.WriteLine("second", 6);
  }
  EXPECT_EQ(ReadText(dir / "Prog.Log"),
            "== START LOG ==\r\nfirst\r\n\r\n== START LOG ==\r\nsecond\r\n");
}

TEST(DebugLog, ConcurrentRunsTakeTheNextNumberedFileNeverAnExistingOne) {
  TempDir dir;
  WriteText(dir / "Prog.Log", "");
  WriteText(dir / "Prog_001.Log", "kept\r\n");  // left by an earlier run
  CDebugLog first, second, third;
  first.Open(Exe(dir).c_str());
  second.Open(Exe(dir).c_str());
  third.Open(Exe(dir).c_str());
  ASSERT_TRUE(first.IsOn());
  ASSERT_TRUE(second.IsOn());
  ASSERT_TRUE(third.IsOn());
  EXPECT_EQ(first.Path(), dir / "Prog.Log");
  EXPECT_EQ(second.Path(), dir / "Prog_000.Log");
  EXPECT_EQ(third.Path(), dir / "Prog_002.Log");
  second.WriteLine("two", 3);
  EXPECT_EQ(ReadText(dir / "Prog_000.Log"), "== START LOG ==\r\ntwo\r\n");
  EXPECT_EQ(ReadText(dir / "Prog_001.Log"), "kept\r\n");
}

TEST(DebugLog, IsOffWhenTheFileIsHeldAndAllHundredNumbersAreTaken) {
  TempDir dir;
  WriteText(dir / "Prog.Log", "");
  for (int i = 0; i < 100; ++i) {
    char name[32];
    snprintf(name, sizeof name, "Prog_%03d.Log", i);
    WriteText(dir / name, "");
  }
  CDebugLog holder, late;
  holder.Open(Exe(dir).c_str());
  ASSERT_TRUE(holder.IsOn());
  late.Open(Exe(dir).c_str());
  EXPECT_FALSE(late.IsOn());
  EXPECT_FALSE(FileExists(dir / "Prog_100.Log"));
}

TEST(DebugLog, LinesFromManyThreadsStayWhole) {
  TempDir dir;
  WriteText(dir / "Prog.Log", "");
  CDebugLog log;
  log.Open(Exe(dir).c_str());
  ASSERT_TRUE(log.IsOn());
  const std::string a(700, 'a'), b(900, 'b');
  auto writer = [&log](const std::string& line) {
    for (int i = 0; i < 200; ++i) log.WriteLine(line.data(), line.size());
  };
  std::thread t1(writer, a), t2(writer, b);
  t1.join();
  t2.join();
  log.Close();
  const auto lines = SplitLines(ReadText(dir / "Prog.Log"));
  ASSERT_EQ(lines.size(), 401u);
  for (size_t i = 1; i < lines.size(); ++i) {
    ASSERT_TRUE(lines[i] == a || lines[i] == b) << "line " << i << " is torn";
  }
}

TEST(DebugLog, FormatsWholeLinesOfAnyLength) {
  LogCapture capture;
  const std::string longText(5000, 'z');
  LogWrite("Param(%d) %s", 3, "/UI");
  LogWrite("%s|%03d|%x", longText.c_str(), 7, 255);
  LogWrite("%s", "");
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Param(3) /UI");
  EXPECT_EQ(lines[1], longText + "|007|ff");
  EXPECT_EQ(lines[2], "");
}

TEST(DebugLog, FormatsTheConversionsTheProgramUsesWithTheirFlagsAndWidths) {
  LogCapture capture;
  const std::string fits(1022, 'k'), over(1023, 'm');
  LogWrite("%d|%d|%d|%u|%x|%X", -12, 0, -2147483647 - 1, 4000000000u, 0xbeef, 0xbeef);
  LogWrite("[%5d][%-5d][%05d][%-3s][%3s][%.2s][%*d][%c][%%]", -7, 42, -42, "a", "b", "xyz", 4, 9,
           'q');
  LogWrite("%s", fits.c_str());
  LogWrite("%s", over.c_str());
  // A pointer takes its argument: what follows it stays in step.
  LogWrite("%p %s %d", reinterpret_cast<void*>(0x2a0058), "after", 5);
  EXPECT_EQ(capture.Lines(),
            (std::vector<std::string>{"-12|0|-2147483648|4000000000|beef|BEEF",
                                      "[   -7][42   ][-0042][a  ][  b][xy][   9][q][%]", fits,
                                      over, "002A0058 after 5"}));
}

// A network's name may hold anything: a line break in an argument must not
// start a line of its own. Widths count the written form.
TEST(DebugLog, ControlBytesOfAnArgumentAreWrittenAsEscapes) {
  LogCapture capture;
  LogWrite("Connected to %s", "x\r\nstate: connected");
  LogWrite("[%-12s][%.3s][%c]", "a\tb\x7F", "\x01\x02\x03\x04", '\n');
  EXPECT_EQ(capture.Text(),
            "== START LOG ==\r\nConnected to x\\x0D\\x0Astate: connected\r\n"
            "[a\\x09b\\x7F  ][\\x01\\x02\\x03][\\x0A]\r\n");
}

// A writer that dies inside an allocation keeps that heap's lock for good.
// Lines are written without either heap, so logging goes on around it.
TEST(DebugLog, LinesAreWrittenWhileAnotherThreadHoldsTheHeapsForever) {
  LogCapture capture;
  const std::string longText(3000, 'h');
  HANDLE heaps[2] = {GetProcessHeap(), reinterpret_cast<HANDLE>(_get_heap_handle())};
  HANDLE locked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE written = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // Both threads are started before the heaps are taken: starting one
  // allocates, and so does the new thread itself until it runs its own code.
  std::thread writer([&] {
    // The C library makes a thread's own data on its first use, once for
    // the thread's life; a thread of the program has logged long before.
    char warm[16];
    _snprintf(warm, sizeof warm, "%d", 1);
    SetEvent(ready);
    WaitForSingleObject(locked, INFINITE);
    LogWrite("short %d %s", 42, "line");
    LogWrite("%s", longText.c_str());
    SetEvent(written);
  });
  std::thread holder([&] {
    WaitForSingleObject(go, INFINITE);
    for (HANDLE h : heaps) HeapLock(h);
    SetEvent(locked);
    WaitForSingleObject(release, INFINITE);
    for (HANDLE h : heaps) HeapUnlock(h);
  });
  WaitForSingleObject(ready, INFINITE);
  SetEvent(go);
  // Nothing on this thread allocates until the heaps are free again.
  const DWORD r = WaitForSingleObject(written, 10000);
  SetEvent(release);
  holder.join();
  writer.join();
  for (HANDLE h : {locked, release, written, go, ready}) CloseHandle(h);
  ASSERT_EQ(r, WAIT_OBJECT_0) << "a line waited for a heap";
  EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"short 42 line", longText}));
}

TEST(DebugLog, ErrorLinesCarryTheCodeInHexAndTheSystemText) {
  char* system = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, 183, 1024, reinterpret_cast<char*>(&system), 0, nullptr);
  ASSERT_NE(system, nullptr);
  const std::string text = system;
  LocalFree(system);
  ASSERT_FALSE(text.empty());

  LogCapture capture;
  LogError(183, "open %s", "mutex");
  LogError(183, nullptr);
  // The system text keeps its own line break, so the file holds it as is.
  EXPECT_EQ(capture.Text(), "== START LOG ==\r\nopen mutex ErrCode(b7) " + text +
                                "\r\nErrCode(b7) " + text + "\r\n");
}

}  // namespace
