// The interface thread never sits in the library lock wait: the worker
// frees the lock while it pauses, the interface thread's wait has a bound,
// and user actions that need the library wait in order in libqueue.
#include <algorithm>
#include <atomic>
#include <thread>

#include "adapter/FakeOmx.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Utimescale.h"
#include "shell/Ulibqueue.h"
#include "ui/Ulabel.h"

namespace {

HANDLE Never() {
  static const HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return never;
}

// Status polls stay quiet while Windows manages the adapter: the worker
// takes the lock only for what a test asks.
void Quiet(TestEnv& env) {
  g_GlobalVar.OsVersionCode = 7;
  env.SetRegDword("EnableZeroCfg", 1);
  fake::g->zeroConfig = 1;
}

// The calling thread is the interface thread for the scope.
struct InterfaceThread {
  InterfaceThread() { librarylock::SetInterfaceThread(GetCurrentThreadId()); }
  ~InterfaceThread() { libqueue::Clear("test over"), librarylock::SetInterfaceThread(0); }
};

// Another thread holds the lock until Free().
struct Holder {
  HANDLE free = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> id{0};
  std::thread thread{[this] {
    CLibraryGuard lib(Never(), nullptr);
    id = GetCurrentThreadId();
    WaitForSingleObject(free, INFINITE);
  }};
  Holder() {
    WaitUntil([this] { return id != 0; }, 10000);
  }
  ~Holder() { Free(); }
  void Free() {
    SetEvent(free);
    if (thread.joinable()) thread.join();
  }
};

}  // namespace

TEST(LockBound, TheWorkerPausesWithoutTheLockAndKeepsItsOrderOfCalls) {
  TestEnv env;
  Quiet(env);
  fake::g->netInfo.NI_IpAddr[0] = 192;
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  timescale::CScoped scale(2);  // long pauses: the probes fall inside them
  InterfaceThread ui;
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  const int detects = fake::Count("DevDetect");
  const size_t before = fake::g->calls.size();
  fake::g->devDetectFailures = 1;  // one failed probe: one restart pause
  WLProfile p = fake::Profile("P", "S");
  p.ApplyNetwork = 1;
  p.NetInfo = fake::g->netInfo;
  p.NetInfo.NI_IpAddr[3] = 7;
  a.Connect(p);
  // In the restart pause, then in the settle pause: the lock comes within
  // the interface thread's bound.
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") > detects; }, 10000));
  EXPECT_TRUE(CLibraryGuard(a.StopEvent, nullptr)) << "the restart pause holds the lock";
  EXPECT_EQ(fake::Count("SetWLANStatus"), 0);
  ASSERT_TRUE(WaitUntil([&] { return !env.LogLines("SetWLANStatus end 1").empty(); }, 15000));
  EXPECT_TRUE(CLibraryGuard(a.StopEvent, nullptr)) << "the settle pause holds the lock";
  ASSERT_TRUE(WaitUntil([&] { return !env.LogLines("DoConnect() end").empty(); }, 15000));
  std::vector<std::string> calls(fake::g->calls.begin() + before, fake::g->calls.end());
  std::erase_if(calls, [](const std::string& c) { return c.find("Zero") != std::string::npos; });
  EXPECT_EQ(calls, (std::vector<std::string>{"GetNetworkInfo", "SetNetworkInfo", "DevDetect",
                                             "DevDetect", "WLProfileToWLStatus", "SetWLANStatus"}));
  EXPECT_EQ(a.ApplyOutcome(a.ConnectTicket()), 1);
  EXPECT_EQ(env.Reg("LastProf"), "P");
  EXPECT_TRUE(env.LogLines("gave up").empty());
}

TEST(LockBound, TheInterfaceThreadGivesUpAndItsActionsWaitInOrderOrAreDropped) {
  TestEnv env;
  Quiet(env);
  std::vector<SiteEntry> sites;
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  InterfaceThread ui;
  std::vector<std::string> ran;
  size_t told = 0, toldCount = 0;
  auto previous = libqueue::OnNotAnswering;
  libqueue::OnNotAnswering = [&](size_t n) { ++told, toldCount = n; };
  TLabel first(nullptr, nullptr, "First"), second(nullptr, nullptr, "Second");
  second.SetEnabled(false);  // each control gets back what it showed
  auto note = [&](const char* what) { return [&ran, what] { ran.push_back(what); }; };
  EXPECT_TRUE(libqueue::Run(&first, "now", note("now")));  // free: at once

  {
    Holder holder;
    // Only the interface thread gives up, saying who holds the lock; a
    // worker waits on.
    std::atomic<int> got{-1};
    std::thread worker([&] { got = CLibraryGuard(Never(), nullptr) ? 1 : 0; });
    EXPECT_FALSE(a.GetSiteList(sites));
    EXPECT_TRUE(librarylock::TimedOut());
    EXPECT_FALSE(a.StartSiteSurvey());
    const auto lines = env.LogLines("gave up");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("thread " + std::to_string(holder.id.load()) + " holds"),
              std::string::npos);
    EXPECT_EQ(got, -1) << "a worker's wait must not be bounded";

    EXPECT_FALSE(libqueue::Run(&first, "A", note("A")));
    EXPECT_FALSE(first.Enabled()) << "a waiting action shows on its control";
    EXPECT_FALSE(libqueue::Run(&second, "B", note("B")));
    libqueue::Queue(nullptr, "C", note("C"));
    WaitUntil([] { return false; }, 50);  // timers come and go: nothing runs
    EXPECT_EQ(libqueue::Count(), 3u);
    holder.Free();
    worker.join();
    EXPECT_EQ(got, 1);
    // The release itself wakes the queue.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_APP + 1, WM_APP + 1, PM_NOREMOVE));
    ASSERT_TRUE(WaitUntil([] { return libqueue::Count() == 0; }, 5000));
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "A", "B", "C"}));
  EXPECT_TRUE(first.Enabled());
  EXPECT_FALSE(second.Enabled());
  // Free again: no time-out, and a refusal is no time-out either.
  EXPECT_TRUE(a.GetSiteList(sites));
  EXPECT_FALSE(librarylock::TimedOut());
  EXPECT_FALSE(CLibraryGuard(nullptr, nullptr));
  EXPECT_FALSE(librarylock::TimedOut());

  ran.clear();
  {
    Holder holder;
    libqueue::Queue(nullptr, "D", note("D"));
    holder.Free();
    // Free, but something waits: a new action goes behind it.
    EXPECT_FALSE(libqueue::Run(nullptr, "E", note("E")));
    ASSERT_TRUE(WaitUntil([] { return libqueue::Count() == 0; }, 5000));
    EXPECT_EQ(ran, (std::vector<std::string>{"D", "E"}));
    ran.clear();
  }
  {
    // A lock that never comes: dropped with one word to the user.
    Holder holder;
    libqueue::Run(&first, "F", note("F"));
    libqueue::Run(nullptr, "G", note("G"));
    ASSERT_TRUE(WaitUntil([&] { return told > 0; }, timescale::Ms(libqueue::kGiveUpMs) + 10000));
    EXPECT_EQ(std::make_pair(told, toldCount), std::make_pair(size_t{1}, size_t{2}));
    EXPECT_EQ(libqueue::Count(), 0u);
    EXPECT_TRUE(first.Enabled());
    EXPECT_EQ(env.LogLines("2 actions dropped").size(), 1u);
    // Released adapter, closed window: dropped without a word. A control
    // whose owner sets a new state keeps it.
    libqueue::Run(&first, "H", note("H"));
    libqueue::Clear("adapter released");
    EXPECT_TRUE(first.Enabled());
    libqueue::Run(&first, "I", note("I"));
    libqueue::Run(&second, "J", note("J"));
    libqueue::Forget(&first);
    EXPECT_FALSE(first.Enabled());
    holder.Free();
    ASSERT_TRUE(WaitUntil([] { return libqueue::Count() == 0; }, 5000));
  }
  EXPECT_EQ(ran, std::vector<std::string>{"J"}) << "a dropped action never runs";
  EXPECT_EQ(told, 1u);
  libqueue::OnNotAnswering = previous;
}
