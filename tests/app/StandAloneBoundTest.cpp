// A script switch served on its own has the instance's bounds: a library
// call that does not return ends /Connect with the documented code once the
// adapter's time is up, and the call left behind does not hold the process.
#include "adapter/FakeOmx.h"
#include "app/Uscriptrun.h"

TEST(StandAloneScript, AHangingLibraryEndsConnectWithinTheAdaptersBound) {
  TestEnv env;
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  fake::g->profiles.emplace_back("Office", fake::Profile("Office", "S1"));
  fake::HangIn("SetWLANStatus");

  HANDLE left = nullptr;
  const script::Reply hung = script::RunHere({script::Command::Connect, "office", ""}, &left);
  EXPECT_EQ(hung.Code, script::kExitFailed);
  EXPECT_EQ(hung.Err, "The adapter did not take profile 'office' within 30 seconds.\r\n");
  EXPECT_TRUE(hung.Out.empty());
  EXPECT_EQ(fake::g->hung.load(), 1);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(WaitForSingleObject(left, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still inside
  EXPECT_EQ(env.LogLines("left running").size(), 1u);

  // Let go, the call ends and its thread with it; the next run is answered
  // in full and leaves nothing behind.
  {
    std::lock_guard<std::mutex> l(fake::g->lock);
    fake::g->hangIn.clear();
  }
  SetEvent(fake::g->hangRelease);
  EXPECT_EQ(WaitForSingleObject(left, 20000), WAIT_OBJECT_0);
  CloseHandle(left);
  const script::Reply served = script::RunHere({script::Command::Connect, "Office", ""}, &left);
  EXPECT_EQ(served.Code, script::kExitOk) << served.Err;
  EXPECT_EQ(served.Out, "Connecting with profile 'Office'.\r\n");
  EXPECT_EQ(left, nullptr);
  EXPECT_EQ(fake::Count("SetWLANStatus"), 2);
}
