// The interface thread never sits in the library lock wait: the worker
// frees the lock while it pauses, the interface thread's wait has a bound,
// and user actions that need the library wait in order in libqueue.
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "adapter/FakeOmx.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Utimescale.h"
#include "shell/Ulibqueue.h"
#include "ui/Ulabel.h"

namespace {

// Names the calling thread the interface thread for the scope.
struct InterfaceThread {
  InterfaceThread() { librarylock::SetInterfaceThread(GetCurrentThreadId()); }
  ~InterfaceThread() {
    libqueue::Clear("test over");
    librarylock::SetInterfaceThread(0);
  }
};

// Another thread that takes the lock and keeps it until Free().
class Holder {
 public:
  Holder() {
    held_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    free_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &Run, this, 0, &id_);
    WaitForSingleObject(held_, 10000);
  }
  ~Holder() {
    Free();
    CloseHandle(thread_);
    CloseHandle(held_);
    CloseHandle(free_);
    CloseHandle(stop_);
  }
  DWORD Id() const { return id_; }
  // Frees the lock and waits until the thread has.
  void Free() {
    SetEvent(free_);
    WaitForSingleObject(thread_, 10000);
  }

 private:
  static DWORD WINAPI Run(void* p) {
    auto* self = static_cast<Holder*>(p);
    CLibraryGuard lib(self->stop_, nullptr);
    SetEvent(self->held_);
    WaitForSingleObject(self->free_, INFINITE);
    return 0;
  }
  HANDLE held_, free_, stop_, thread_;
  DWORD id_ = 0;
};

bool LogHas(const TestEnv& env, const std::string& text, size_t n = 1) {
  return env.LogLines(text).size() >= n;
}

// Status polls stay quiet while Windows manages the adapter, so the worker
// calls the library only for what a test asks.
void QuietStatus(TestEnv& env) {
  g_GlobalVar.OsVersionCode = 7;
  env.SetRegDword("EnableZeroCfg", 1);
  fake::g->zeroConfig = 1;
}

// The connection's calls, in the order the library saw them.
std::vector<std::string> ConnectionCalls(size_t from) {
  static const std::vector<std::string> kConnection = {
      "GetNetworkInfo", "SetNetworkInfo", "DevDetect", "WLProfileToWLStatus", "SetWLANStatus"};
  std::lock_guard<std::mutex> l(fake::g->lock);
  std::vector<std::string> out;
  for (size_t i = from; i < fake::g->calls.size(); ++i)
    if (std::find(kConnection.begin(), kConnection.end(), fake::g->calls[i]) != kConnection.end())
      out.push_back(fake::g->calls[i]);
  return out;
}

struct Waiter {
  HANDLE stop;
  std::atomic<int> got{-1};
};

DWORD WINAPI WaitForLock(void* p) {
  auto* w = static_cast<Waiter*>(p);
  CLibraryGuard lib(w->stop, nullptr);
  w->got = lib ? 1 : 0;
  return 0;
}

}  // namespace

TEST(LockBound, TheWorkerPausesWithoutTheLockAndKeepsItsOrderOfCalls) {
  TestEnv env;
  QuietStatus(env);
  fake::g->netInfo.NI_IpAddr[0] = 192;
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  // Long pauses, so the probes below fall inside them.
  timescale::CScoped scale(2);
  InterfaceThread ui;
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  const int detects = fake::Count("DevDetect");
  size_t before = 0;
  {
    std::lock_guard<std::mutex> l(fake::g->lock);
    before = fake::g->calls.size();
    fake::g->devDetectFailures = 1;  // one probe fails: one restart pause
  }
  WLProfile p = fake::Profile("P", "S");
  p.ApplyNetwork = 1;
  p.NetInfo = fake::g->netInfo;
  p.NetInfo.NI_IpAddr[3] = 7;
  a.Connect(p);

  // Inside the restart pause: the lock comes within the interface thread's
  // bound, and nothing was applied yet.
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") > detects; }, 10000));
  {
    CLibraryGuard lib(a.StopEvent, nullptr);
    EXPECT_TRUE(lib) << "the restart pause holds the library lock";
    EXPECT_EQ(fake::Count("SetWLANStatus"), 0);
  }
  // Inside the settle pause after a connection.
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "call OMXWL_SetWLANStatus end 1"); }, 15000));
  {
    CLibraryGuard lib(a.StopEvent, nullptr);
    EXPECT_TRUE(lib) << "the settle pause holds the library lock";
  }
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end"); }, 15000));
  EXPECT_EQ(env.Reg("LastProf"), "P");
  EXPECT_FALSE(a.Terminated());
  EXPECT_EQ(ConnectionCalls(before),
            (std::vector<std::string>{"GetNetworkInfo", "SetNetworkInfo", "DevDetect", "DevDetect",
                                      "WLProfileToWLStatus", "SetWLANStatus"}));
  EXPECT_EQ(a.ApplyOutcome(a.ConnectTicket()), 1);
  EXPECT_TRUE(env.LogLines("gave up").empty());
}

TEST(LockBound, OnlyTheInterfaceThreadGivesUpAndSaysWhoHoldsTheLock) {
  TestEnv env;
  QuietStatus(env);
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  std::vector<SiteEntry> sites;
  // Not the interface thread: no bound, no time-out.
  EXPECT_TRUE(a.GetSiteList(sites));
  EXPECT_FALSE(librarylock::TimedOut());
  InterfaceThread ui;
  {
    Holder holder;
    const unsigned timeouts = librarylock::TimeoutCount();
    EXPECT_FALSE(a.GetSiteList(sites));
    EXPECT_TRUE(librarylock::TimedOut());
    EXPECT_FALSE(a.StartSiteSurvey());
    EXPECT_EQ(librarylock::TimeoutCount(), timeouts + 2);
    EXPECT_FALSE(librarylock::Available());
    const auto lines = env.LogLines("gave up");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("thread " + std::to_string(holder.Id()) + " holds"),
              std::string::npos)
        << lines.back();
    // Another thread keeps waiting until the lock is free.
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Waiter waiter{stop};
    HANDLE t = CreateThread(nullptr, 0, &WaitForLock, &waiter, 0, nullptr);
    EXPECT_FALSE(a.GetSiteList(sites));  // a whole bounded wait of ours
    EXPECT_EQ(waiter.got, -1) << "a worker's wait must not be bounded";
    holder.Free();
    EXPECT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(waiter.got, 1);
    CloseHandle(t);
    CloseHandle(stop);
  }
  // Free again: the same thread takes it, and a refusal is no time-out.
  EXPECT_TRUE(a.GetSiteList(sites));
  EXPECT_FALSE(librarylock::TimedOut());
  EXPECT_TRUE(librarylock::Available());
  {
    CLibraryGuard lib(nullptr, nullptr);  // a wait that cannot even start
    EXPECT_FALSE(lib);
    EXPECT_FALSE(librarylock::TimedOut());
  }
}

TEST(LockBound, QueuedActionsRunInOrderWhenTheLockFreesAndAreDroppedPastTheBound) {
  TestEnv env;
  InterfaceThread ui;
  std::vector<std::string> ran;
  size_t told = 0, toldCount = 0;
  auto previous = libqueue::OnNotAnswering;
  libqueue::OnNotAnswering = [&](size_t n) {
    ++told;
    toldCount = n;
  };
  TLabel first(nullptr, nullptr, "First");
  TLabel second(nullptr, nullptr, "Second");
  second.SetEnabled(false);  // each control gets back what it showed

  // Free: an action runs at once.
  EXPECT_TRUE(libqueue::Run(&first, "now", [&] { ran.push_back("now"); }));
  EXPECT_EQ(ran, std::vector<std::string>{"now"});

  {
    Holder holder;
    EXPECT_FALSE(libqueue::Run(&first, "A", [&] { ran.push_back("A"); }));
    EXPECT_FALSE(first.Enabled()) << "a waiting action shows on its control";
    EXPECT_FALSE(libqueue::Run(&second, "B", [&] { ran.push_back("B"); }));
    libqueue::Queue(nullptr, "C", [&] { ran.push_back("C"); });
    EXPECT_EQ(libqueue::Count(), 3u);
    EXPECT_EQ(ran.size(), 1u);
    WaitUntil([] { return false; }, 50);  // timers come and go: nothing runs
    EXPECT_EQ(libqueue::Count(), 3u);
    holder.Free();
    // The release itself wakes the queue.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_APP + 1, WM_APP + 1, PM_NOREMOVE));
    ASSERT_TRUE(WaitUntil([] { return libqueue::Count() == 0; }, 5000));
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "A", "B", "C"}));
  EXPECT_TRUE(first.Enabled());
  EXPECT_FALSE(second.Enabled());
  EXPECT_EQ(told, 0u);

  // Free, but something already waits: a new action goes behind it.
  ran.clear();
  {
    Holder holder;
    libqueue::Queue(nullptr, "D", [&] { ran.push_back("D"); });
    holder.Free();
    EXPECT_FALSE(libqueue::Run(nullptr, "E", [&] { ran.push_back("E"); }));
    ASSERT_TRUE(WaitUntil([] { return libqueue::Count() == 0; }, 5000));
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"D", "E"}));

  // A lock that never comes: dropped with one word to the user.
  ran.clear();
  {
    Holder holder;
    libqueue::Run(&first, "F", [&] { ran.push_back("F"); });
    libqueue::Run(nullptr, "G", [&] { ran.push_back("G"); });
    ASSERT_TRUE(WaitUntil([&] { return told > 0; }, timescale::Ms(libqueue::kGiveUpMs) + 10000));
    EXPECT_EQ(told, 1u);
    EXPECT_EQ(toldCount, 2u);
    EXPECT_EQ(libqueue::Count(), 0u);
    EXPECT_TRUE(first.Enabled());
    EXPECT_EQ(env.LogLines("2 actions dropped").size(), 1u);
    EXPECT_EQ(env.LogLines("thread " + std::to_string(holder.Id()) + " holds it").size(), 3u);
  }
  WaitUntil([] { return false; }, 100);
  EXPECT_TRUE(ran.empty()) << "a dropped action never runs";

  // Released adapter or closed window: what waits is dropped silently.
  {
    Holder holder;
    libqueue::Run(&first, "H", [&] { ran.push_back("H"); });
    libqueue::Clear("adapter released");
    EXPECT_TRUE(first.Enabled());
    // A control whose owner sets a new state loses its waiting actions and
    // keeps that state.
    libqueue::Run(&first, "I", [&] { ran.push_back("I"); });
    libqueue::Run(&second, "J", [&] { ran.push_back("J"); });
    libqueue::Forget(&first);
    EXPECT_FALSE(first.Enabled());
    EXPECT_EQ(libqueue::Count(), 1u);
    holder.Free();
    ASSERT_TRUE(WaitUntil([] { return libqueue::Count() == 0; }, 5000));
  }
  WaitUntil([] { return false; }, 100);
  EXPECT_EQ(ran, std::vector<std::string>{"J"});
  EXPECT_EQ(told, 1u);
  libqueue::OnNotAnswering = previous;
}
