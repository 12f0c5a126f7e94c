// Stops with an end: a thread stuck in the program's own code is abandoned
// after its second wait and its objects stay in memory; an IP renewal that
// hangs lets one request wait behind it and drops the rest, and a release
// already out gets its renewal's time when the adapter goes.
#include <memory>
#include <thread>

#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"
#include "workers/FakeIpHelper.h"
#include "workers/Uthread.h"
#include "workers/Uthreadipaddr.h"

namespace {

// Waits in its own code for go, whatever a stop says.
class Deaf : public CThread {
 public:
  Deaf() : go_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) { Start(); }
  ~Deaf() override {
    SetEvent(go_);
    WaitFor(INFINITE);
    CloseHandle(go_);
  }
  void Go() { SetEvent(go_); }

 protected:
  void Execute() override { WaitForSingleObject(go_, INFINITE); }

 private:
  HANDLE go_;
};

// The adapter's window on a thread of its own that, once the worker tells
// it of a connection, does not answer until Hear (or a watchdog of 30 s,
// which only a stop without end would need).
class DeafWindow {
 public:
  DeafWindow() {
    thread_ = std::thread([this] {
      NotifyRecorder rec;
      rec.OnNotify = [this](WPARAM code, LPARAM) {
        if (code != kNotifyConnecting) return;
        SetEvent(blocked_);
        if (WaitForSingleObject(hear_, 30000) == WAIT_TIMEOUT) Watchdog = true;
      };
      wnd_ = rec.Wnd();
      SetEvent(ready_);
      while (MsgWaitForMultipleObjects(1, &done_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      }
    });
    WaitForSingleObject(ready_, INFINITE);
  }
  ~DeafWindow() {
    Hear();
    SetEvent(done_);
    thread_.join();
    for (HANDLE h : {ready_, blocked_, hear_, done_}) CloseHandle(h);
  }
  HWND Wnd() const { return wnd_; }
  bool WaitBlocked() { return WaitForSingleObject(blocked_, 20000) == WAIT_OBJECT_0; }
  void Hear() { SetEvent(hear_); }
  std::atomic<bool> Watchdog{false};

 private:
  HANDLE ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE blocked_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE hear_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HWND wnd_ = nullptr;
  std::thread thread_;
};

}  // namespace

TEST(BoundedStop, AThreadStuckInItsOwnCodeIsAbandonedAndItsAdapterLeftInMemory) {
  TestEnv env;
  {
    Deaf deaf;
    EXPECT_EQ(deaf.WaitOrKillInLibrary(20, false, "killed", "waiting", 100),
              CThread::StopOutcome::kAbandoned);
    EXPECT_TRUE(deaf.Abandoned());
    EXPECT_FALSE(deaf.Finished());  // it runs on, and may still end
    deaf.Go();
    EXPECT_TRUE(deaf.WaitFor(10000));
  }
  EXPECT_TRUE(env.LogLines("killed").empty());
  EXPECT_EQ(env.LogLines("waiting").size(), 1u);
  EXPECT_EQ(env.LogLines("still running in its own code").size(), 1u);

  // A worker stuck telling a window that does not answer: the window goes
  // on after the bound, and the adapter the worker runs in is not freed.
  DeafWindow window;
  auto* a = new CNICAdapter(window.Wnd(), CmdService, TestEnv::Device());
  a->Connect(fake::Profile("P1", "S1"));
  ASSERT_TRUE(window.WaitBlocked());
  CNICAdapter::Dispose(a);
  EXPECT_FALSE(window.Watchdog) << "the stop waited for the window";
  EXPECT_TRUE(a->Abandoned());
  EXPECT_EQ(env.LogLines("abandoned the worker").size(), 1u);
  EXPECT_EQ(env.LogLines("left the adapter of an abandoned worker in memory").size(), 1u);
  EXPECT_TRUE(env.LogLines("TerminateThread").empty());
  // Once it is heard the worker ends on its own, in memory that stayed.
  window.Hear();
  EXPECT_TRUE(a->WaitFor(20000));
  delete a;  // over now: nothing waits
}

TEST(BoundedStop, OneRenewalWaitsBehindAStuckOneAndAReleaseOutGetsItsRenewal) {
  using fakeip::Calls;
  using fakeip::CallsSoFar;
  TestEnv env;
  fakeip::Clear();
  fakeip::RenewGate gate;
  env.SetRegString("NicDesc", "Ombrix 802.11a/b/g USB Wireless Adapter");
  auto a = std::make_unique<CNICAdapter>(nullptr, CmdService, TestEnv::Device());
  a->IpHelper = fakeip::Api();
  const Calls job = {"GetAdaptersInfo", "GetAdaptersInfo", "release 7", "renew 7"};
  const Calls renewal = {"GetAdaptersInfo", "GetAdaptersInfo", "renew 7"};
  a->IPConfig(kIPRelease | kIPRenew);
  ASSERT_TRUE(WaitUntil([&] { return CallsSoFar() == job; }, 10000));  // stuck renewing
  a->IPConfig(kIPRenew);                                               // waits behind it
  a->IPConfig(kIPRelease | kIPRenew);                                  // both dropped
  a->IPConfig(kIPRenew);
  EXPECT_EQ(env.LogLines("dropped: a renewal already waits").size(), 2u);
  EXPECT_TRUE(env.LogLines("wait IPAddr Thread").empty()) << "the request waited for the job";
  gate.Open();
  Calls two = job;
  two.insert(two.end(), renewal.begin(), renewal.end());
  EXPECT_TRUE(WaitUntil([&] { return CallsSoFar() == two; }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return env.LogLines("IP renew done").size() == 2; }, 10000));

  // The adapter goes right after a release: its renewal is waited for, and
  // one that does not end is left after the bound.
  for (bool ends : {true, false}) {
    fakeip::Clear();
    gate.Close();
    const size_t left = env.LogLines("left to finish").size();
    const size_t owed = env.LogLines("a release went out, waiting for its renewal").size();
    a->IPConfig(kIPRelease | kIPRenew);
    ASSERT_TRUE(WaitUntil([&] { return CallsSoFar() == job; }, 10000));
    std::thread gone([&] { a.reset(); });
    ASSERT_TRUE(WaitUntil(
        [&] { return env.LogLines("a release went out, waiting for its renewal").size() > owed; },
        10000));
    if (ends) gate.Open();
    gone.join();
    EXPECT_EQ(env.LogLines("left to finish").size(), left + (ends ? 0 : 1)) << ends;
    if (!ends) gate.Open();
    EXPECT_TRUE(
        WaitUntil([&] { return env.LogLines("IP renew done").size() == (ends ? 3u : 4u); }, 10000));
    if (ends) {
      a = std::make_unique<CNICAdapter>(nullptr, CmdService, TestEnv::Device());
      a->IpHelper = fakeip::Api();
    }
  }
}
