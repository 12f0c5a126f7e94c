// The library lock and its guard, shared by the adapter and the detection
// thread: every way out of a guarded scope frees the lock, a stop aborts the
// wait for it, and only a lock that a killed thread held is freed for it.
#include <atomic>
#include <memory>

#include "adapter/FakeOmx.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Utimescale.h"
#include "workers/Uthrddetect.h"

namespace {

bool LockFree() {
  if (WaitForSingleObject(g_OmxLib.SynchEvent, 0) != WAIT_OBJECT_0) return false;
  SetEvent(g_OmxLib.SynchEvent);
  return true;
}

// A thread that takes the lock twice with its own stop event, or holds it
// and hangs inside a library call (fake::HangIn) until it is killed.
class LockUser : public CThread {
 public:
  LockUser(HANDLE stop, bool holdForever) : stop_(stop), hold_(holdForever) { Start(); }
  ~LockUser() override { WaitFor(5000); }
  std::atomic<int> Taken{0};
  std::atomic<bool> Inside{false};

 protected:
  void Execute() override {
    for (int i = 0; i < 2; ++i) {
      CLibraryGuard lib(stop_, this);
      if (!lib) continue;
      ++Taken;
      Inside = true;
      if (hold_) g_OmxLib.OMXWL_SiteSurveyScan();  // stuck in the library
    }
  }

 private:
  HANDLE stop_;
  bool hold_;
};

}  // namespace

TEST(LibraryLock, EveryWayOutOfAGuardedScopeFreesTheLock) {
  TestEnv env;
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  {
    CLibraryGuard lib(stop, nullptr);
    ASSERT_TRUE(lib);
    EXPECT_EQ(librarylock::Holder(), GetCurrentThreadId());
    EXPECT_FALSE(LockFree());
    // A lock that a living thread holds is not taken from it.
    EXPECT_FALSE(librarylock::ReleaseIfHeldBy(GetCurrentThreadId() + 4, "wrong release"));
    EXPECT_FALSE(LockFree());
    lib.Release();
    lib.Release();  // once only: a second release would let two threads in
    EXPECT_EQ(librarylock::Holder(), 0u);
    EXPECT_TRUE(LockFree());
    CLibraryGuard again(stop, nullptr);
    EXPECT_TRUE(again);
  }
  EXPECT_TRUE(LockFree());
  auto early = [&] {
    CLibraryGuard lib(stop, nullptr);
    return lib ? 1 : 0;
  };
  EXPECT_EQ(early(), 1);
  EXPECT_TRUE(LockFree());
  EXPECT_TRUE(env.LogLines("wrong release").empty());
  CloseHandle(stop);
}

TEST(LibraryLock, AStopAbortsTheWaitAndEveryLaterOne) {
  TestEnv env;
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CLibraryGuard mine(stop, nullptr);
  ASSERT_TRUE(mine);
  LockUser user(stop, false);
  Sleep(100);
  SetEvent(stop);
  ASSERT_TRUE(user.WaitFor(5000));
  EXPECT_EQ(user.Taken, 0);
  EXPECT_TRUE(user.Terminated());
  EXPECT_EQ(librarylock::Holder(), GetCurrentThreadId()) << "the lock stays with its holder";
  mine.Release();
  CloseHandle(stop);
}

TEST(LibraryLock, AKilledHolderLeavesTheLockFreeForTheOthers) {
  TestEnv env;
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  fake::HangIn("SiteSurveyScan");
  auto user = std::make_unique<LockUser>(stop, true);
  ASSERT_TRUE(fake::WaitHung(1));
  const DWORD id = user->ThreadId();
  ASSERT_TRUE(user->KillInLibrary(nullptr));
  EXPECT_TRUE(librarylock::ReleaseIfHeldBy(id, "released for the dead"));
  EXPECT_EQ(env.LogLines("released for the dead").size(), 1u);
  EXPECT_FALSE(librarylock::ReleaseIfHeldBy(id, "released twice"));
  EXPECT_TRUE(LockFree());
  EXPECT_TRUE(env.LogLines("released twice").empty());
  user.reset();
  CloseHandle(stop);
}

TEST(LibraryLock, DetectionIsSuspendedExactlyWhileAnIgnoreGuardLives) {
  TestEnv env;
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  g_ThrdDetect = &detect;
  std::atomic<bool> held{false};
  {
    CDetectIgnoreGuard ignore(&held);
    EXPECT_TRUE(detect.Ignore);
    EXPECT_TRUE(held);
    ignore.Resume();
    EXPECT_FALSE(detect.Ignore);
    EXPECT_FALSE(held);
    detect.SetIgnore(true);  // someone else's suspension is not ended twice
  }
  EXPECT_TRUE(detect.Ignore);
  // A second holder's pause ends without ending the first one's.
  { CDetectIgnoreGuard ignore(nullptr); }
  EXPECT_TRUE(detect.Ignore);
  detect.SetIgnore(false);
  EXPECT_FALSE(detect.Ignore);
  g_ThrdDetect = nullptr;
}

TEST(LibraryLock, AStuckWorkerIsGivenTwoSecondsOnceThoughStoppedTwice) {
  TestEnv env;
  timescale::CScoped real(1.0);  // the real wait before a kill
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  {
    std::lock_guard<std::mutex> l(fake::g->lock);
    fake::g->delayMs["GetNetworkInfo"] = 8000;
  }
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("GetNetworkInfo") == 1; }, 5000));
  const DWORD start = GetTickCount();
  a->StopWorker();
  a.reset();
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 2000u);
  // Waited for twice, it would take at least 2000 + 2000 ms and the 500 ms
  // after the kill; once, a loaded machine has seen up to about 4500 ms.
  EXPECT_LT(took, 4500u) << "the worker was waited for twice";
  EXPECT_EQ(env.LogLines("CNICAdapter::~CNICAdapter TerminateThread").size(), 1u);
  EXPECT_TRUE(LockFree());
}

TEST(LibraryLock, AWaiterTakesOverFromAKilledHolderAndTheKillerLeavesItsHoldAlone) {
  TestEnv env;
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE waiterStop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  fake::HangIn("SiteSurveyScan");
  auto stuck = std::make_unique<LockUser>(stop, true);
  ASSERT_TRUE(fake::WaitHung(1));
  auto waiter = std::make_unique<LockUser>(waiterStop, true);  // blocked behind it
  Sleep(100);
  EXPECT_FALSE(waiter->Inside);
  EXPECT_FALSE(waiter->KillInLibrary(nullptr)) << "a thread waiting for the lock is not killed";
  const DWORD dead = stuck->ThreadId();
  ASSERT_TRUE(stuck->KillInLibrary(nullptr));
  ASSERT_TRUE(fake::WaitHung(2));
  EXPECT_EQ(librarylock::Holder(), waiter->ThreadId());
  EXPECT_FALSE(librarylock::ReleaseIfHeldBy(dead, "released under a living holder"));
  EXPECT_EQ(librarylock::Holder(), waiter->ThreadId());
  EXPECT_FALSE(LockFree());
  EXPECT_TRUE(env.LogLines("released under a living holder").empty());
  ASSERT_TRUE(waiter->KillInLibrary(nullptr));
  EXPECT_TRUE(librarylock::ReleaseIfHeldBy(waiter->ThreadId(), "released for the waiter"));
  EXPECT_TRUE(LockFree());
  stuck.reset();
  waiter.reset();
  CloseHandle(stop);
  CloseHandle(waiterStop);
}
