// Stopping a thread: it is killed only while it is inside a library call;
// in the program's own code it is waited for. A thread handed to itself
// frees its object when it ends.
#include <thread>

#include "adapter/FakeOmx.h"
#include "adapter/Ulibrarylock.h"
#include "workers/Uthread.h"

namespace {

// Waits in its own code for go, then optionally calls into the library
// once (hanging there when the fake is told to hang), then waits for more.
class Caller : public CThread {
 public:
  Caller(HANDLE stop, bool callLibrary) : stop_(stop), call_(callLibrary) {
    go_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Start();
  }
  ~Caller() override {
    SetEvent(go_);
    WaitFor(10000);
    CloseHandle(go_);
  }
  void Go() { SetEvent(go_); }
  std::atomic<bool> Returned{false};

 protected:
  void Execute() override {
    if (call_) {
      CLibraryGuard lib(stop_, this);
      if (lib) g_OmxLib.OMXWL_SiteSurveyScan();
      Returned = true;
    }
    WaitForSingleObject(go_, INFINITE);
  }

 private:
  HANDLE stop_, go_;
  bool call_;
};

// Notes its own deletion.
class Noted : public CThread {
 public:
  Noted(std::atomic<int>* deleted, HANDLE until) : deleted_(deleted), until_(until) { Start(); }
  ~Noted() override { ++*deleted_; }

 protected:
  void Execute() override { WaitForSingleObject(until_, INFINITE); }

 private:
  std::atomic<int>* deleted_;
  HANDLE until_;
};

}  // namespace

TEST(ThreadStop, AThreadInItsOwnCodeIsWaitedForAndNeverKilled) {
  TestEnv env;
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  {
    Caller caller(stop, false);
    EXPECT_FALSE(caller.KillInLibrary("killed"));
    // It reaches its stop check only once the waiting has been logged.
    std::thread release([&] {
      WaitUntil([&] { return !env.LogLines("waiting for it").empty(); }, 20000);
      caller.Go();
    });
    EXPECT_EQ(caller.WaitOrKillInLibrary(50, false, "killed", "waiting for it"),
              CThread::StopOutcome::kEnded);
    release.join();
  }
  {
    // One that has come back from the library is in its own code again.
    Caller caller(stop, true);
    ASSERT_TRUE(WaitUntil([&] { return caller.Returned.load(); }, 10000));
    EXPECT_FALSE(caller.InLibrary());
    EXPECT_FALSE(caller.KillInLibrary("killed"));
  }
  EXPECT_TRUE(env.LogLines("killed").empty());
  EXPECT_EQ(env.LogLines("waiting for it").size(), 1u);
  EXPECT_EQ(librarylock::Holder(), 0u);
  CloseHandle(stop);
}

TEST(ThreadStop, AThreadHangingInALibraryCallIsKilledThereAndTheProcessGoesOn) {
  TestEnv env;
  fake::HangIn("SiteSurveyScan");
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  {
    Caller caller(stop, true);
    ASSERT_TRUE(fake::WaitHung(1));
    EXPECT_TRUE(caller.InLibrary());
    EXPECT_EQ(caller.WaitOrKillInLibrary(50, false, "killed in the call", "waiting for it"),
              CThread::StopOutcome::kKilled);
    EXPECT_TRUE(caller.Finished());
    EXPECT_FALSE(caller.Returned);
    EXPECT_TRUE(librarylock::ReleaseIfHeldBy(caller.ThreadId(), "lock freed"));
  }
  EXPECT_EQ(env.LogLines("killed in the call").size(), 1u);
  EXPECT_TRUE(env.LogLines("waiting for it").empty());
  // Nothing the process needs went with it: the heap, the log and the
  // library lock all serve the next thread.
  std::atomic<bool> done{false};
  std::thread next([&] {
    std::vector<std::string> many(1000, std::string(100, 'x'));
    LogWrite("after the kill %d", static_cast<int>(many.size()));
    CLibraryGuard lib(stop, nullptr);
    done = static_cast<bool>(lib);
  });
  next.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(env.LogLines("after the kill 1000").size(), 1u);
  CloseHandle(stop);
}

TEST(ThreadStop, AThreadHandedToItselfIsFreedWhenItEndsAndNotBefore) {
  std::atomic<int> deleted{0};
  HANDLE until = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Noted* running = new Noted(&deleted, until);
  running->Release();
  Sleep(50);
  EXPECT_EQ(deleted, 0) << "freed while it still ran";
  SetEvent(until);
  EXPECT_TRUE(WaitUntil([&] { return deleted == 1; }, 10000));

  Noted* over = new Noted(&deleted, until);
  ASSERT_TRUE(over->WaitFor(10000));
  ASSERT_TRUE(WaitUntil([&] { return over->Finished(); }, 10000));
  over->Release();  // over already: freed at once
  EXPECT_EQ(deleted, 2);
  CloseHandle(until);
}
