// Refusals of the library that the adapter must not report as success: a
// hand-over to Windows that the library refuses, a status record it did not
// build, and a profile list it cannot enumerate for the moment.
#include <memory>

#include "adapter/SimLibrary.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"

namespace {

bool WaitWorld(SimLibrary& lib, bool present, const std::string& faults) {
  lib.WriteWorld(present, faults.empty() ? "" : faults + "Fail.GetWLANDomain=1\r\n");
  return WaitUntil(
      [&] {
        HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        char domain[64] = {};
        bool marked = false;
        if (CLibraryGuard g(stop, nullptr); g) marked = g_OmxLib.OMXWL_GetWLANDomain(domain) != 1;
        CloseHandle(stop);
        return marked == !faults.empty();
      },
      10000);
}

TEST(Refusals, AHandOverTheLibraryRefusesIsUndoneAndNeverStored) {
  TestEnv env("", false);
  g_GlobalVar.OsVersionCode = 7;
  SimLibrary lib(env);
  ASSERT_TRUE(lib.Bound());
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  ASSERT_TRUE(WaitWorld(lib, true, "Fail.Set_ZeroConfig=1\r\n"));

  a->WriteUseWZC(true);
  EXPECT_EQ(rec.CountOf(kNotifyWZC, kWZCOn), 1u);
  // The worker finds the refusal and hands the adapter back to the utility.
  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyWZC, kWZCOff) == 1; }, 10000));
  EXPECT_FALSE(a->UseWZC);
  EXPECT_EQ(env.Reg("EnableZeroCfg"), "<none>");
  EXPECT_EQ(env.LogLines("Set ZeroCfg refused, EnableZeroCfg stays 0").size(), 1u);

  // Accepted, it is stored.
  ASSERT_TRUE(WaitWorld(lib, true, ""));
  a->WriteUseWZC(true);
  ASSERT_TRUE(WaitUntil([&] { return env.Reg("EnableZeroCfg") == "#1"; }, 10000));
  EXPECT_TRUE(a->UseWZC);
  EXPECT_EQ(rec.CountOf(kNotifyWZC, kWZCOff), 1u);
  a.reset();
  g_GlobalVar.OsVersionCode = 6;
}

TEST(Refusals, AStatusRecordTheLibraryDidNotBuildIsNeverApplied) {
  TestEnv env("", false);
  g_GlobalVar.OsVersionCode = 6;
  SimLibrary lib(env);
  ASSERT_TRUE(lib.Bound());
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), CmdService, TestEnv::Device());
  ASSERT_TRUE(WaitWorld(lib, true, "Fail.WLProfileToWLStatus=1\r\n"));
  WLProfile p = a->DefProf;
  SetField(p.ProfileName, "Home");
  a->Connect(p);
  ASSERT_TRUE(WaitUntil([&] { return !env.LogLines("DoConnect() end").empty(); }, 10000));
  EXPECT_TRUE(env.LogLines("call OMXWL_SetWLANStatus").empty());
  EXPECT_EQ(a->LastApplyResult, 0);
  EXPECT_EQ(env.Reg("LastProf"), "<none>");
  EXPECT_FALSE(g_GlobalVar.InfoSectionExists("LastApplyProf"));

  // Built, it is applied and recorded whole.
  ASSERT_TRUE(WaitWorld(lib, true, ""));
  a->Connect(p);
  ASSERT_TRUE(WaitUntil([&] { return env.LogLines("DoConnect() end").size() == 2; }, 10000));
  EXPECT_EQ(a->LastApplyResult, 1);
  EXPECT_EQ(env.Reg("LastProf"), "Home");
  WLProfile last{};
  a->GetLastApplyProf(last);
  EXPECT_EQ(FieldText(last.ProfileName), "Home");
}

TEST(Refusals, ALibraryThatListsNothingForAMomentKeepsTheOrderAndGetsNoFirstProfile) {
  TestEnv env("", false);
  g_GlobalVar.OsVersionCode = 6;
  SimLibrary lib(env);
  ASSERT_TRUE(lib.Bound());
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), 0, TestEnv::Device());
  for (const char* n : {"Home", "Office"}) {
    WLProfile p = a->DefProf;
    SetField(p.ProfileName, n);
    ASSERT_TRUE(a->AddProfile(p));
  }
  ASSERT_TRUE(a->DeleteProfile(kStationList, "Default"));
  a.reset();
  ASSERT_EQ(env.Reg("ProfCount"), "#2");

  for (const char* knob : {"Fail.EnumWLProfiles=1\r\n", "Crash.GetWLProfile=1\r\n"}) {
    SCOPED_TRACE(knob);
    ASSERT_TRUE(WaitWorld(lib, true, knob));
    a = std::make_unique<CNICAdapter>(rec.Wnd(), 0, TestEnv::Device());
    EXPECT_TRUE(a->ProfList.empty());
    a.reset();
    EXPECT_EQ(env.Reg("ProfCount"), "#2");
    EXPECT_EQ(env.Reg("Prof0"), "Home");
    EXPECT_EQ(env.Reg("Prof1"), "Office");
    ASSERT_TRUE(WaitWorld(lib, true, ""));
    // No "Default" was made over what the library could not list.
    a = std::make_unique<CNICAdapter>(rec.Wnd(), 0, TestEnv::Device());
    ASSERT_EQ(a->ProfList.size(), 2u);
    EXPECT_EQ(FieldText(a->ProfList[0].ProfileName), "Home");
    EXPECT_EQ(FieldText(a->ProfList[1].ProfileName), "Office");
    a.reset();
  }
  EXPECT_EQ(env.LogLines("order kept").size(), 2u);
}

}  // namespace
