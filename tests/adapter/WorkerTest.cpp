// The adapter's worker: connections, the Windows-management switch, status
// samples, the IP job, and destruction while the library hangs.
#include <memory>

#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"
#include "app/Utimescale.h"
#include "workers/Uthrddetect.h"

namespace {

bool LogHas(const TestEnv& env, const std::string& text, size_t n = 1) {
  return env.LogLines(text).size() >= n;
}

// Status polls stay quiet while Windows manages the adapter, so every
// library call seen comes from the connection under test.
void QuietStatus(TestEnv& env) {
  g_GlobalVar.OsVersionCode = 7;
  env.SetRegDword("EnableZeroCfg", 1);
  fake::g->zeroConfig = 1;
}

}  // namespace

TEST(Connect, SendsCode7FirstThenAppliesAndRecordsTheLastProfile) {
  TestEnv env;
  QuietStatus(env);
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  WLProfile appliedAtCode7{};
  int statusCallsAtCode7 = -1;
  rec.OnNotify = [&](WPARAM code, LPARAM) {
    if (code != kNotifyConnecting) return;
    statusCallsAtCode7 = fake::Count("WLProfileToWLStatus");
    a.GetAppliedProf(appliedAtCode7);
  };
  WLProfile none{};
  EXPECT_FALSE(a.GetAppliedProf(none));

  a.Connect(fake::Profile("P1", "S1"));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end"); }, 8000));
  EXPECT_EQ(statusCallsAtCode7, 0);  // the window heard of it before the library did
  EXPECT_EQ(FieldText(appliedAtCode7.Ssid1), "S1");
  EXPECT_EQ(fake::Count("GetNetworkInfo"), 0);  // no IP settings in the profile
  EXPECT_EQ(env.Reg("LastProf"), "P1");
  WLProfile stored{};
  ASSERT_TRUE(g_GlobalVar.ProfFromIniFile("LastApplyProf", stored));
  EXPECT_EQ(FieldText(stored.Ssid1), "S1");
  EXPECT_TRUE(LogHas(env, "call OMXWL_SetWLANStatus end 1"));

  // A working profile is applied and kept in the file, but not named last.
  a.Connect(fake::Profile(kEditingProfile, "S2"));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end", 2); }, 8000));
  EXPECT_EQ(env.Reg("LastProf"), "P1");
  ASSERT_TRUE(g_GlobalVar.ProfFromIniFile("LastApplyProf", stored));
  EXPECT_EQ(FieldText(stored.Ssid1), "S2");

  // A refused connection records nothing.
  fake::g->setStatusResult = 0;
  a.Connect(fake::Profile("P3", "S3"));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end", 3); }, 8000));
  EXPECT_EQ(env.Reg("LastProf"), "P1");
  ASSERT_TRUE(g_GlobalVar.ProfFromIniFile("LastApplyProf", stored));
  EXPECT_EQ(FieldText(stored.Ssid1), "S2");
  EXPECT_EQ(rec.Events(kNotifyConnecting).size(), 3u);
  WLProfile got{};
  a.GetLastApplyProf(got);
  EXPECT_EQ(FieldText(got.Ssid1), "S2");
}

TEST(Connect, ConnectsWhileBusyApplyOnlyTheNewestProfile) {
  TestEnv env;
  QuietStatus(env);
  fake::g->gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  a.Connect(fake::Profile("P0", "S0"));
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("SetWLANStatus") == 1; }, 5000));
  a.Connect(fake::Profile("P1", "S1"));
  a.Connect(fake::Profile("P2", "S2"));
  EXPECT_EQ(a.FuncList.Count(), 1u);  // queued once, not twice
  SetEvent(fake::g->gate);
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end", 2); }, 8000));
  WaitUntil([] { return false; }, 300);
  EXPECT_EQ(fake::g->applied, (std::vector<std::string>{"S0", "S2"}));
}

TEST(Connect, IPSettingsAreAppliedOnlyWhenTheyDiffer) {
  TestEnv env;
  QuietStatus(env);
  fake::g->netInfo.NI_IpAddr[0] = 192;
  fake::g->netInfo.NI_IpAddr[3] = 10;
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  const int detectsAfterStart = fake::Count("DevDetect");

  WLProfile same = fake::Profile("P", "S");
  same.ApplyNetwork = 1;
  same.NetInfo = fake::g->netInfo;
  same.NetInfo.NI_IpWINS1[0] = 9;  // not compared
  a.Connect(same);
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end"); }, 8000));
  EXPECT_EQ(fake::Count("GetNetworkInfo"), 1);
  EXPECT_EQ(fake::Count("SetNetworkInfo"), 0);
  EXPECT_FALSE(LogHas(env, "set IP"));
  EXPECT_EQ(fake::Count("DevDetect"), detectsAfterStart);

  WLProfile other = same;
  other.NetInfo.NI_IpAddr[3] = 11;
  fake::g->devDetectFailures = 2;  // the adapter takes a while to come back
  a.Connect(other);
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end", 2); }, 15000));
  EXPECT_EQ(fake::Count("SetNetworkInfo"), 1);
  EXPECT_EQ(fake::g->netInfo.NI_IpAddr[3], 11);
  EXPECT_TRUE(LogHas(env, "set IP"));
  EXPECT_EQ(fake::Count("DevDetect"), detectsAfterStart + 3);
}

TEST(Connect, RunWithoutPendingProfileAppliesNothingAndLeavesDetectionToItsHolder) {
  TestEnv env;
  QuietStatus(env);
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  a.Connect(fake::Profile("P0", "S0"));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "DoConnect() end"); }, 8000));

  CThrdDetect detect(rec.Wnd());
  g_ThrdDetect = &detect;
  detect.SetIgnore(true);
  const size_t code7 = rec.Events(kNotifyConnecting).size();
  // What a run finds when a newer Connect's profile was already taken by
  // the run before it.
  a.DoConnect();
  g_ThrdDetect = nullptr;
  EXPECT_TRUE(LogHas(env, "nothing to apply"));
  // The run paused nothing, so another holder's pause goes on.
  EXPECT_TRUE(detect.Ignore);
  detect.SetIgnore(false);
  EXPECT_FALSE(detect.Ignore);
  WLProfile applied{};
  ASSERT_TRUE(a.GetAppliedProf(applied));
  EXPECT_EQ(FieldText(applied.Ssid1), "S0");
  EXPECT_EQ(fake::g->applied.size(), 1u);
  EXPECT_EQ(rec.Events(kNotifyConnecting).size(), code7);
}

TEST(WindowsManagement, SwitchDeliversCode4AtOnceAndStopsStatusPolls) {
  TestEnv env;
  g_GlobalVar.OsVersionCode = 7;
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  ASSERT_TRUE(WaitUntil([&] { return !rec.Events(kNotifyStatus).empty(); }, 5000));

  a.WriteUseWZC(true);
  EXPECT_EQ(rec.CountOf(kNotifyWZC, kWZCOn), 1u);  // synchronous: no pumping needed
  a.WriteUseWZC(true);
  EXPECT_EQ(rec.Events(kNotifyWZC).size(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return fake::g->zeroConfig == 1; }, 5000));
  // Stored once the library has made the switch.
  EXPECT_TRUE(WaitUntil([&] { return env.Reg("EnableZeroCfg") == "#1"; }, 5000));
  rec.Clear();
  WaitUntil([] { return false; }, timescale::Ms(3500));
  EXPECT_TRUE(rec.Events(kNotifyStatus).empty());

  a.WriteUseWZC(false);
  EXPECT_EQ(rec.CountOf(kNotifyWZC, kWZCOff), 1u);
  EXPECT_TRUE(WaitUntil([&] { return !rec.Events(kNotifyStatus).empty(); }, 4000));
  EXPECT_EQ(fake::g->zeroConfig, 0);

  g_GlobalVar.OsVersionCode = 6;  // too old: nothing at all
  rec.Clear();
  a.WriteUseWZC(true);
  EXPECT_FALSE(a.UseWZC);
  EXPECT_TRUE(rec.Events(kNotifyWZC).empty());
  EXPECT_EQ(env.Reg("EnableZeroCfg"), "#0");
}

TEST(Status, SamplesComeAtOneThreeFiveSecondsAndCarryWhatTheLibrarySaid) {
  TestEnv env;
  fake::g->mediaState = 0;
  fake::g->netInfo.NI_IpAddr[0] = 10;
  NotifyRecorder rec;
  // The worker's real periods: the first poll after 1 s, then every 2 s.
  timescale::CScoped real(1.0);
  const DWORD start = GetTickCount();
  CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
  WLStatus status{};
  a.GetStatus(status);
  EXPECT_EQ(status.MediaState, 1u);  // nothing sampled yet
  ASSERT_TRUE(WaitUntil([&] { return rec.Events(kNotifyStatus).size() >= 3; }, 10000));
  auto ev = rec.Events(kNotifyStatus);
  EXPECT_GE(ev[0].tick - start, 500u);
  EXPECT_LE(ev[0].tick - start, 3000u);
  for (int i = 1; i < 3; ++i) {
    EXPECT_GE(ev[i].tick - ev[i - 1].tick, 1500u);
    EXPECT_LE(ev[i].tick - ev[i - 1].tick, 3500u);
  }
  a.GetStatus(status);
  EXPECT_EQ(status.MediaState, 0u);
  EXPECT_EQ(status.SignalLevel, -50);
  NetworkInfo info{};
  a.GetNetInfo(info);
  EXPECT_EQ(info.NI_IpAddr[0], 10);

  // Connected, but the status cannot be read; network information missing.
  fake::g->statusResult = 0;
  fake::g->netInfoResult = 0;
  rec.Clear();
  ASSERT_TRUE(WaitUntil([&] { return !rec.Events(kNotifyStatus).empty(); }, 5000));
  a.GetStatus(status);
  a.GetNetInfo(info);
  EXPECT_EQ(status.MediaState, 1u);
  EXPECT_EQ(info.NI_IpAddr[0], 0);
}

TEST(Status, AntennaIsSetOnlyWhereOffered) {
  TestEnv env;
  {
    CNICAdapter a(nullptr, CmdService, TestEnv::Device());
    a.SetAntenna(3);
    EXPECT_EQ(fake::Count("SetOID(antenna)"), 0);
  }
  env.SetRegDword("EnableAntenna", 1);
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  a.SetAntenna(3);
  EXPECT_EQ(fake::Count("SetOID(antenna)"), 1);
  EXPECT_EQ(fake::g->lastOidSet, std::vector<uint8_t>{3});
}

TEST(IPConfig, StartsAJobForTheConfiguredInterfaceAndReplacesTheLastOne) {
  TestEnv env;
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  a.IPConfig(3);
  EXPECT_TRUE(LogHas(env, "IPConfig 0x3"));
  EXPECT_TRUE(LogHas(env, "IPConfig NIC: Fake adapter VID_1D4F&PID_0A71"));
  ASSERT_NE(a.IPThread, nullptr);
  env.SetRegString("NicDesc", "Other NIC");
  a.IPConfig(2);
  EXPECT_TRUE(LogHas(env, "IPConfig NIC: Other NIC"));
  // Replaced without waiting on the caller's thread: the new job takes the
  // last one over, whether that has ended or not.
  ASSERT_NE(a.IPThread, nullptr);
  EXPECT_FALSE(LogHas(env, "wait IPAddr Thread"));
  EXPECT_FALSE(LogHas(env, "dropped"));
}

TEST(Reliability, HangingLibraryCallAtDestructionIsKilledAndTheLockFreed) {
  TestEnv env;
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  {
    std::lock_guard<std::mutex> l(fake::g->lock);
    fake::g->delayMs["GetNetworkInfo"] = 8000;
  }
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("GetNetworkInfo") == 1; }, 5000));
  const DWORD start = GetTickCount();
  a.reset();
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, timescale::Ms(2000));
  EXPECT_LT(took, timescale::Ms(2000) + 4000);
  EXPECT_TRUE(LogHas(env, "CNICAdapter::~CNICAdapter TerminateThread"));
  EXPECT_TRUE(LogHas(env, "CNICAdapter: release g_OmxLib.SynchEvent event"));
  ASSERT_EQ(WaitForSingleObject(g_OmxLib.SynchEvent, 0), WAIT_OBJECT_0);
  SetEvent(g_OmxLib.SynchEvent);

  {
    std::lock_guard<std::mutex> l(fake::g->lock);
    fake::g->delayMs.clear();
  }
  rec.Clear();
  a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  EXPECT_TRUE(WaitUntil([&] { return !rec.Events(kNotifyStatus).empty(); }, 5000));
  a->Connect(fake::Profile("P", "S"));
  EXPECT_TRUE(WaitUntil([&] { return fake::Count("SetWLANStatus") == 1; }, 5000));
  a.reset();
  EXPECT_EQ(env.LogLines("TerminateThread").size(), 1u);
}

TEST(Reliability, WorkerKilledInsideAConnectionLeavesDetectionRunning) {
  TestEnv env;
  QuietStatus(env);
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  g_ThrdDetect = &detect;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  {
    std::lock_guard<std::mutex> l(fake::g->lock);
    fake::g->delayMs["SetWLANStatus"] = 8000;
  }
  a->Connect(fake::Profile("P", "S"));
  ASSERT_TRUE(WaitUntil([&] { return fake::Count("SetWLANStatus") == 1; }, 5000));
  EXPECT_TRUE(detect.Ignore);
  a.reset();
  g_ThrdDetect = nullptr;
  EXPECT_TRUE(LogHas(env, "CNICAdapter::~CNICAdapter TerminateThread"));
  EXPECT_FALSE(detect.Ignore);
  ASSERT_EQ(WaitForSingleObject(g_OmxLib.SynchEvent, 0), WAIT_OBJECT_0);
  SetEvent(g_OmxLib.SynchEvent);
}

TEST(Reliability, AWorkerThatOnlyWaitsInsideAConnectionStopsWithoutBeingKilled) {
  TestEnv env;
  QuietStatus(env);
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  fake::g->devDetectFailures = 100;  // the adapter never comes back after new IP settings
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  g_ThrdDetect = &detect;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  WLProfile p = fake::Profile("P", "S");
  p.ApplyNetwork = 1;
  p.NetInfo.NI_IpAddr[0] = 10;
  a->Connect(p);
  ASSERT_TRUE(WaitUntil([&] { return LogHas(env, "set IP"); }, 5000));
  Sleep(300);  // inside the ten-second wait for the adapter
  a.reset();
  g_ThrdDetect = nullptr;
  EXPECT_FALSE(LogHas(env, "TerminateThread")) << "a stop ends the waits of a connection";
  EXPECT_FALSE(detect.Ignore);
  ASSERT_EQ(WaitForSingleObject(g_OmxLib.SynchEvent, 0), WAIT_OBJECT_0);
  SetEvent(g_OmxLib.SynchEvent);
}
