// The profile store against the simulated OMXWL.DLL: the order kept in the
// registry survives a restart, and a profile removed behind the program's
// back drops out without taking the others along.
#include <memory>

#include "adapter/SimLibrary.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "common/Adapter.h"

namespace {

using Names_t = std::vector<std::string>;

}  // namespace

TEST(WithSimulatedLibrary, ProfileOrderSurvivesRestartAndLosesOnlyVanishedProfiles) {
  TestEnv env("", false);
  SimLibrary lib(env);
  ASSERT_TRUE(lib.Bound());
  auto a = std::make_unique<CNICAdapter>(nullptr, 0, TestEnv::Device());
  EXPECT_EQ(a->MacAddress, "00:1D:4F:6A:21:07");
  EXPECT_EQ(a->Domain, "FCC");
  ASSERT_EQ(Names(a->ProfList), Names_t{"Default"});
  for (const char* n : {"Alpha", "Bravo", "Charlie"})
    ASSERT_TRUE(a->AddProfile(fake::Profile(n, std::string("SSID-") + n)));
  ASSERT_TRUE(a->DeleteProfile(kStationList, "Alpha"));
  ASSERT_TRUE(a->AddProfile(fake::Profile("Alpha", "SSID-Alpha")));
  ASSERT_TRUE(a->UpdateProfile(fake::Profile("Delta", "SSID-Delta"), "Default"));
  const Names_t order{"Delta", "Bravo", "Charlie", "Alpha"};
  EXPECT_EQ(Names(a->ProfList), order);

  a.reset();
  a = std::make_unique<CNICAdapter>(nullptr, 0, TestEnv::Device());
  EXPECT_EQ(Names(a->ProfList), order);

  a.reset();
  {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CLibraryGuard lib(stop, nullptr);
    ASSERT_TRUE(lib);
    g_OmxLib.OMXWL_DeleteWLProfile("Charlie");  // behind the program's back
    lib.Release();
    CloseHandle(stop);
  }
  a = std::make_unique<CNICAdapter>(nullptr, 0, TestEnv::Device());
  EXPECT_EQ(Names(a->ProfList), (Names_t{"Delta", "Bravo", "Alpha"}));
  EXPECT_EQ(env.Reg("ProfCount"), "#3");
  EXPECT_EQ(env.Reg("Prof2"), "Alpha");
  EXPECT_EQ(env.Reg("Prof3"), "<none>");
  EXPECT_EQ(FieldText(a->ProfList[1].Ssid1), "SSID-Bravo");
}
