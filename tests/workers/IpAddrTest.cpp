// The IP renewal job against a scripted IP helper.
#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"
#include "workers/FakeIpHelper.h"
#include "workers/Uthreadipaddr.h"

using namespace fakeip;

namespace {

// Runs one job to its end and returns the calls it made.
Calls RunJob(const std::string& text, int32_t flags) {
  Clear();
  ThreadIPAddr job(text, flags, Api());
  EXPECT_TRUE(job.WaitFor(5000));
  return CallsSoFar();
}

void Idle(DWORD ms) {
  WaitUntil([] { return false; }, ms);
}

}  // namespace

TEST(IPRenewal, MatchesTheFirstInterfaceContainingTheTextInAnyCase) {
  TestEnv env("", false);
  EXPECT_EQ(RunJob("OMBRIX 802.11a/b/g usb wireless ADAPTER", 3),
            (Calls{"GetAdaptersInfo", "GetAdaptersInfo", "release 7", "renew 7"}));
  EXPECT_EQ(RunJob("ombrix", 1), (Calls{"GetAdaptersInfo", "GetAdaptersInfo", "release 7"}));
  EXPECT_EQ(RunJob("Adapter #2", 2), (Calls{"GetAdaptersInfo", "GetAdaptersInfo", "renew 9"}));
  const auto lines = env.LogLines("IP re");
  EXPECT_EQ(lines, (std::vector<std::string>{"IP release", "IP release done", "IP renew",
                                             "IP renew done", "IP release", "IP release done",
                                             "IP renew", "IP renew done"}));
}

TEST(IPRenewal, FailuresAreLoggedAndTouchNothing) {
  TestEnv env("", false);
  EXPECT_EQ(RunJob("Kelmo", 3), (Calls{"GetAdaptersInfo", "GetAdaptersInfo"}));
  EXPECT_EQ(env.LogLines("get NIC index failed").size(), 1u);
  // An adapter of unknown description never picks some other interface.
  EXPECT_TRUE(RunJob("", 3).empty());
  EXPECT_EQ(env.LogLines("get NIC index failed").size(), 2u);
  g_sizeQueryResult = NO_ERROR;
  EXPECT_EQ(RunJob("ombrix", 3).size(), 2u);
  EXPECT_EQ(env.LogLines("GetInterfaceInfo get required failed").size(), 1u);
  g_sizeQueryResult = ERROR_INSUFFICIENT_BUFFER;
  g_tableResult = ERROR_NOT_SUPPORTED;
  EXPECT_EQ(RunJob("ombrix", 3).size(), 2u);
  EXPECT_EQ(env.LogLines("GetInterfaceInfo failed").size(), 1u);
  g_tableResult = NO_ERROR;
}

// A thread killed inside a release or renewal can leave system locks taken
// and the adapter without an address: a job is never cut off.
TEST(IPRenewal, AJobOutlivingItsWaitIsLeftToFinishOnItsOwn) {
  TestEnv env("", false);
  Clear();
  RenewGate gate;
  auto* job = new ThreadIPAddr("ombrix", 3, Api());
  ASSERT_TRUE(WaitUntil([] { return CallsSoFar().size() == 4; }, 10000));  // inside the renewal
  EXPECT_FALSE(job->WaitStop());
  job->Release();  // as its adapter does when it goes: the job frees itself
  EXPECT_TRUE(env.LogLines("IP renew done").empty());
  gate.Open();
  EXPECT_TRUE(WaitUntil([&] { return env.LogLines("IP renew done").size() == 1; }, 10000));
  EXPECT_TRUE(env.LogLines("TerminateThread").empty());
  EXPECT_EQ(env.LogLines("wait IPAddr Thread").size(), 1u);
  EXPECT_EQ(env.LogLines("IPAddr Thread still running, left to finish").size(), 1u);
  EXPECT_EQ(env.LogLines("stop IPAddr Thread").size(), 1u);
}

TEST(IPRenewal, ASecondRequestWaitsForTheFirstAndAGoingAdapterCutsNeither) {
  TestEnv env;
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  a->IpHelper = Api();
  env.SetRegString("NicDesc", "Ombrix 802.11a/b/g USB Wireless Adapter");
  Clear();
  RenewGate gate;
  const Calls job1 = {"GetAdaptersInfo", "GetAdaptersInfo", "release 7", "renew 7"};
  const Calls job2 = {"GetAdaptersInfo", "GetAdaptersInfo", "renew 7"};
  a->IPConfig(3);
  ASSERT_TRUE(WaitUntil([] { return CallsSoFar().size() == 4; }, 10000));
  a->IPConfig(2);  // the first is still renewing: the second comes after it
  Idle(300);
  EXPECT_EQ(CallsSoFar(), job1) << "two jobs at once";
  gate.Open();
  Calls both = job1;
  both.insert(both.end(), job2.begin(), job2.end());
  EXPECT_TRUE(WaitUntil([&] { return CallsSoFar() == both; }, 10000));

  // The adapter goes while a job renews and another waits for it: the
  // first finishes, the second has nothing left to do it for.
  Clear();
  gate.Close();
  a->IPConfig(3);
  ASSERT_TRUE(WaitUntil([] { return CallsSoFar().size() == 4; }, 10000));
  a->IPConfig(1);
  a.reset();
  gate.Open();
  EXPECT_TRUE(WaitUntil(
      [&] { return !env.LogLines("IPAddr job dropped: the adapter is gone").empty(); }, 10000));
  EXPECT_EQ(CallsSoFar(), job1);
  EXPECT_EQ(env.LogLines("IP renew done").size(), 3u);
  EXPECT_TRUE(env.LogLines("TerminateThread").empty());
}
