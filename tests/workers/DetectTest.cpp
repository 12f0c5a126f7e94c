// Device detection against the fake library: passes, bursts, device-interface
// events, power and session messages, and the kill path.
#include <windows.h>
// Needs the types of windows.h first.
#include <dbt.h>

#include "adapter/FakeOmx.h"
#include "adapter/Ulibrarylock.h"
#include "app/Utimescale.h"
#include "workers/Uthrddetect.h"

namespace {

constexpr const char* kClassKey =
    "System\\CurrentControlSet\\Control\\DeviceClasses\\{ad498944-762f-11d0-8dcb-00c04fc3358c}";

// A device-interface key as the system keeps it, removed again at the end.
class InterfaceKey {
 public:
  InterfaceKey(const std::string& device, const std::string& instance)
      : key_(std::string(kClassKey) + "\\##?#" + device +
             "#{ad498944-762f-11d0-8dcb-00c04fc3358c}"),
        path_("\\\\?\\" + device + "#{ad498944-762f-11d0-8dcb-00c04fc3358c}\\OMXWL") {
    HKEY h;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                    nullptr);
    RegSetValueExA(h, "DeviceInstance", 0, REG_SZ, reinterpret_cast<const BYTE*>(instance.c_str()),
                   static_cast<DWORD>(instance.size() + 1));
    RegCloseKey(h);
  }
  ~InterfaceKey() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str()); }
  // Delivers an arrival or removal of this interface, as the system does.
  void Send(HWND wnd, WPARAM event) const {
    std::vector<char> buf(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + path_.size(), 0);
    auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(buf.data());
    b->dbcc_size = static_cast<DWORD>(buf.size());
    b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    memcpy(b->dbcc_name, path_.data(), path_.size());
    SendMessageA(wnd, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(b));
  }

 private:
  std::string key_, path_;
};

// Lets the detection thread run for ms of the program's time.
void Idle(DWORD ms) {
  WaitUntil([] { return false; }, timescale::Ms(ms));
}

}  // namespace

TEST(Detection, PassesReportTheFirstPresentIdAndOnlyChanges) {
  TestEnv env;
  g_GlobalVar.OsVersionCode = 6;  // device-interface notifications
  g_GlobalVar.HwIdList = {"VID_AAAA", "VID_BBBB", "VID_CCCC"};
  fake::g->presentIds = "VID_BBBB VID_CCCC";
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 1; }, 3000));
  ASSERT_NE(detect.DevNotify.load(), nullptr);
  std::vector<DeviceRec> devs;
  detect.GetDevList(devs);
  ASSERT_EQ(devs.size(), 1u);
  EXPECT_EQ(FieldText(devs[0].HardwareId), "VID_BBBB");
  EXPECT_EQ(FieldText(devs[0].Description), "Fake adapter VID_BBBB");
  EXPECT_EQ(FieldText(devs[0].Tag), "9999");
  EXPECT_EQ(fake::g->detectIds, (std::vector<std::string>{"VID_AAAA", "VID_BBBB"}));

  // Not ours: no pass. Device tree and power messages are left to the
  // device-interface events.
  InterfaceKey other("USB#VID_ZZZZ&PID_0001#X1", "USB\\VID_ZZZZ&PID_0001\\X1");
  other.Send(detect.Window(), DBT_DEVICEARRIVAL);
  SendMessageA(detect.Window(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  SendMessageA(detect.Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  Idle(1500);
  EXPECT_EQ(fake::Count("DevDetect"), 2);
  EXPECT_EQ(rec.CountOf(kNotifyDevice, kDevicesGone), 0u);

  // The device leaves; three events in a row make one burst of three passes
  // after the last. Only the first pass sees a change.
  fake::g->presentIds = "";
  InterfaceKey ours("USB#VID_BBBB&PID_0001#X2", "USB\\VID_BBBB&PID_0001\\X2");
  ours.Send(detect.Window(), DBT_DEVICEREMOVECOMPLETE);
  ours.Send(detect.Window(), DBT_DEVICEARRIVAL);
  ours.Send(detect.Window(), DBT_DEVICEREMOVECOMPLETE);
  Idle(7000);
  EXPECT_EQ(fake::Count("DevDetect"), 2 + 3 * 3);
  EXPECT_EQ(rec.CountOf(kNotifyDevice, kDevicesChanged), 2u);
  devs.clear();
  detect.GetDevList(devs);
  EXPECT_TRUE(devs.empty());
  EXPECT_EQ(env.LogLines("Remove HWID: USB\\VID_BBBB&PID_0001\\X2").size(), 2u);
}

TEST(Detection, EmptyIdListProbesOnceAndIgnoreOffFromAnotherThreadStartsABurst) {
  TestEnv env;
  g_GlobalVar.HwIdList.clear();
  NotifyRecorder rec;
  {
    CThrdDetect detect(rec.Wnd());
    ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 1; }, 3000));
    EXPECT_EQ(fake::g->detectIds, std::vector<std::string>{""});
    detect.SetIgnore(true);
    detect.SetIgnore(false);  // this thread does not own the detection window
    EXPECT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 2; }, 6000));
    EXPECT_TRUE(rec.Events(kNotifyDevice).empty());  // empty stays empty
  }
  EXPECT_EQ(env.LogLines("CThrdDetect::StopThread() Thread Stop").size(), 1u);
  EXPECT_EQ(env.LogLines("CThrdDetect::Execute() return").size(), 1u);
}

TEST(Detection, ResumeAndConsoleDisconnectReportDevicesGone) {
  TestEnv env;  // no device-interface notifications: power messages count
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 1; }, 3000));
  HWND wnd = detect.Window();

  SendMessageA(wnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesGone) == 1; }, 2000));
  std::vector<DeviceRec> devs;
  detect.GetDevList(devs);
  EXPECT_TRUE(devs.empty());
  // The burst after resume finds the device again.
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 2; }, 6000));
  SendMessageA(wnd, WM_POWER, PWR_SUSPENDRESUME, 0);
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesGone) == 2; }, 2000));
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 3; }, 6000));

  SendMessageA(wnd, 0x02B1, 2, 0);  // console disconnected
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesGone) == 3; }, 2000));
  EXPECT_TRUE(detect.Ignore);
  const int probes = fake::Count("DevDetect");
  SendMessageA(wnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  SendMessageA(wnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  Idle(4000);  // the burst timer set on the way out does no pass
  EXPECT_EQ(fake::Count("DevDetect"), probes);
  EXPECT_EQ(rec.CountOf(kNotifyDevice, kDevicesGone), 3u);

  SendMessageA(wnd, 0x02B1, 1, 0);  // back: a burst finds the device
  EXPECT_FALSE(detect.Ignore);
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 4; }, 6000));
}

TEST(Detection, StopKillsAPassThatHangsInTheLibraryAndFreesTheLock) {
  TestEnv env;
  timescale::CScoped real(1.0);   // the real wait before a kill
  g_GlobalVar.OsVersionCode = 7;  // device and session notifications both registered
  fake::g->delayMs["DevDetect"] = 8000;
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 1; }, 3000));
  ASSERT_NE(detect.DevNotify, nullptr);
  EXPECT_EQ(env.LogLines("Succ: RegisterSessionNotify").size(), 1u);
  const DWORD start = GetTickCount();
  detect.StopThread();
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 2000u);
  EXPECT_LT(took, 6000u);
  EXPECT_EQ(env.LogLines("CThrdDetect::StopThread() TerminateThread").size(), 1u);
  EXPECT_EQ(env.LogLines("CThrdDetect: release g_OmxLib.SynchEvent event").size(), 1u);
  // The killed thread's registrations are undone by its killer.
  EXPECT_EQ(detect.DevNotify, nullptr);
  EXPECT_EQ(env.LogLines("CThrdDetect::DestroyWnd()").size(), 1u);
  ASSERT_EQ(WaitForSingleObject(g_OmxLib.SynchEvent, 0), WAIT_OBJECT_0);
  SetEvent(g_OmxLib.SynchEvent);
}

// Windows since Vista: plug-in events and user switches are told, not
// polled. One registration each, and no timer left running between passes.
TEST(Detection, OnCurrentWindowsNotificationsAreRegisteredOnceAndNothingPolls) {
  TestEnv env;
  g_GlobalVar.OsVersionCode = 7;
  NotifyRecorder rec;
  {
    CThrdDetect detect(rec.Wnd());
    ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 1; }, 3000));
    EXPECT_NE(detect.DevNotify.load(), nullptr);
    Idle(2500);
    EXPECT_EQ(fake::Count("DevDetect"), 1) << "a pass without a trigger";
    EXPECT_EQ(env.LogLines("Succ: RegisterSessionNotify").size(), 1u);
    EXPECT_TRUE(env.LogLines("Fail:").empty());
  }
  EXPECT_EQ(env.LogLines("CThrdDetect::DestroyWnd()").size(), 1u);

  // A service has no console session to follow.
  g_GlobalVar.CmdFlags = CmdService;
  {
    CThrdDetect detect(rec.Wnd());
    ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 2; }, 3000));
  }
  g_GlobalVar.CmdFlags = 0;
  EXPECT_EQ(env.LogLines("RegisterSessionNotify").size(), 1u);
}

namespace {

// Works as the adapter's worker does: suspends detection and takes the
// library, then hangs inside a library call until it is killed there.
class SuspendingCaller : public CThread {
 public:
  explicit SuspendingCaller(HANDLE stop) : stop_(stop) { Start(); }
  std::atomic<bool> Held{false};

 protected:
  void Execute() override {
    CDetectIgnoreGuard ignore(&Held);
    CLibraryGuard lib(stop_, this);
    if (lib) g_OmxLib.OMXWL_SiteSurveyScan();
  }

 private:
  HANDLE stop_;
};

// Runs SetDetectIgnore(false) on a thread of its own and ends with it.
class IgnoreResumer : public CThread {
 public:
  IgnoreResumer() { Start(); }

 protected:
  void Execute() override { SetDetectIgnore(false); }
};

}  // namespace

TEST(Detection, AThreadKilledInsideALibraryCallWhileDetectionIsSuspendedLocksNobodyOut) {
  TestEnv env;
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  g_ThrdDetect = &detect;
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 1; }, 5000));
  fake::HangIn("SiteSurveyScan");
  HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  for (int i = 0; i < 3; ++i) {
    {
      SuspendingCaller caller(stop);
      ASSERT_TRUE(fake::WaitHung(i + 1));
      EXPECT_TRUE(detect.Ignore);
      // Stopped as its owner stops it: the stop event cannot reach a call
      // that hangs, so the wait runs out and the thread is killed there.
      SetEvent(stop);
      ASSERT_EQ(caller.WaitOrKillInLibrary(100, false, "killed in the library", "waiting"),
                CThread::StopOutcome::kKilled);
      ResetEvent(stop);
      EXPECT_TRUE(librarylock::ReleaseIfHeldBy(caller.ThreadId(), "lock freed"));
      ASSERT_TRUE(caller.Held.exchange(false));
    }
    // The killer resumes detection for the dead; nothing it needs is held.
    IgnoreResumer resumer;
    ASSERT_TRUE(resumer.WaitFor(5000)) << "kill " << i << " left detection's lock taken";
    EXPECT_FALSE(detect.Ignore);
  }
  EXPECT_EQ(env.LogLines("killed in the library").size(), 3u);
  EXPECT_EQ(env.LogLines("lock freed").size(), 3u);
  EXPECT_TRUE(env.LogLines("waiting").empty());
  // Detection still reaches the library: the burst after resuming probes.
  EXPECT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") >= 2; }, 20000));
  g_ThrdDetect = nullptr;
  CloseHandle(stop);
}

namespace {

// Holds the detection thread in its own code: its window, subclassed, stops
// in a message until Go (or a watchdog of 30 s, which only a stop without
// end would need).
class DetectHolder {
 public:
  static constexpr UINT kHold = WM_APP + 40;
  explicit DetectHolder(HWND wnd) : wnd_(wnd) {
    self_ = this;
    old_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    PostMessageW(wnd, kHold, 0, 0);
  }
  ~DetectHolder() { Go(); }
  bool WaitHeld() { return WaitForSingleObject(held_, 5000) == WAIT_OBJECT_0; }
  void Go() { SetEvent(go_); }
  std::atomic<bool> Watchdog{false};

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kHold) return CallWindowProcW(self_->old_, w, msg, wp, lp);
    SetEvent(self_->held_);
    if (WaitForSingleObject(self_->go_, 30000) == WAIT_TIMEOUT) self_->Watchdog = true;
    return 0;
  }
  static inline DetectHolder* self_ = nullptr;
  HWND wnd_;
  WNDPROC old_ = nullptr;
  HANDLE held_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE go_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

}  // namespace

// A detection thread that does not come back to its message loop is not
// killed in its own code: the stop gives up on it after its bounds, and the
// detector stays in memory until the thread ends on its own.
TEST(Detection, AStopAbandonsAThreadHeldInItsOwnCodeAndKeepsTheDetector) {
  TestEnv env;
  NotifyRecorder rec;
  auto* detect = new CThrdDetect(rec.Wnd());
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("DevDetect") == 1; }, 5000));
  DetectHolder holder(detect->Window());
  ASSERT_TRUE(holder.WaitHeld());
  const DWORD start = GetTickCount();
  CThrdDetect::Dispose(detect);
  const DWORD took = GetTickCount() - start;
  const DWORD bound = timescale::Ms(2000) + timescale::Ms(CThread::kAbandonMs);
  EXPECT_GE(took + 50, bound);
  EXPECT_LT(took, bound + 3000);
  EXPECT_FALSE(holder.Watchdog);
  EXPECT_TRUE(detect->Abandoned());
  EXPECT_FALSE(detect->Finished());
  EXPECT_EQ(env.LogLines("CThrdDetect::StopThread() wait for the thread").size(), 1u);
  EXPECT_EQ(env.LogLines("still running in its own code").size(), 1u);
  EXPECT_EQ(env.LogLines("CThrdDetect::StopThread() abandoned the thread").size(), 1u);
  EXPECT_EQ(
      env.LogLines("CThrdDetect::Dispose() left the detector of an abandoned thread in memory")
          .size(),
      1u);
  EXPECT_TRUE(env.LogLines("TerminateThread").empty());
  // Left alive: asked again, the stop answers at once and the list is there.
  EXPECT_FALSE(detect->StopThread());
  std::vector<DeviceRec> devs;
  detect->GetDevList(devs);
  EXPECT_NE(detect->Window(), nullptr);
  // Let go, it takes the stop it was given and ends in memory that stayed.
  holder.Go();
  EXPECT_TRUE(detect->WaitFor(10000));
  EXPECT_EQ(detect->Window(), nullptr);
  EXPECT_EQ(env.LogLines("CThrdDetect::Execute() return").size(), 1u);
  EXPECT_EQ(env.LogLines("still running in its own code").size(), 1u);
  delete detect;  // over now: nothing waits
}
