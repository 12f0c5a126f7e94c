// Adapter construction, per-adapter settings and the profile list store,
// against the fake library and the real registry.
#include <algorithm>
#include <memory>

#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"

namespace {

std::string Name(const WLProfile& p) {
  return FieldText(p.ProfileName);
}

std::vector<std::string> Names(const std::vector<WLProfile>& list) {
  std::vector<std::string> out;
  for (const WLProfile& p : list) out.push_back(Name(p));
  return out;
}

}  // namespace

TEST(AdapterSettings, RegistryThenAdapterSectionsThenSettingThenDefault) {
  TestEnv env(
      "SupportMode=11\r\nDefAPChA=149\r\n"
      "[VID_1D4F&PID_0A71-9999]\r\nDefChB=11\r\nDefChA=40\r\nInitConnect=0\r\n"
      "[VID_1D4F&PID_0A71]\r\nDefChA=44\r\nDefAPChB=3\r\nDefAPChA=48\r\n");
  env.SetRegDword("DefChB", 1);
  env.SetRegString("NicDesc", "From registry");
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  EXPECT_EQ(a.DefChB, 1);        // registry beats the adapter's section
  EXPECT_EQ(a.DefChA, 40);       // hardware id with tag beats the bare id
  EXPECT_EQ(a.DefAPChB, 3);      // bare hardware id section
  EXPECT_EQ(a.DefAPChA, 48);     // ... beats "Setting"
  EXPECT_EQ(a.SupportMode, 11);  // "Setting" for every adapter
  EXPECT_EQ(a.DefBand, 1);       // default
  EXPECT_FALSE(a.ReadSet("InitConnect", true));
  EXPECT_EQ(a.ReadSet("NicDesc", "x"), "From registry");
  EXPECT_EQ(a.ReadSet("Nothing", "dflt"), "dflt");

  a.WriteSet("B", true);
  a.WriteSet("S", std::string("text"));
  a.WriteSet("I", -5);
  EXPECT_EQ(env.Reg("B"), "#1");
  EXPECT_EQ(env.Reg("S"), "text");
  EXPECT_EQ(a.ReadSet("I", 0), -5);
  a.SetDeleteKey("S");
  a.SetDeleteKey("NeverThere");
  EXPECT_EQ(env.Reg("S"), "<none>");
  EXPECT_TRUE(env.LogLines("SetDeleteKey").empty());
}

TEST(AdapterSettings, WrongRegistryTypeGivesDefaultAndOneLogLine) {
  TestEnv env("SupportMode=11\r\n");
  env.SetRegString("SupportMode", "11");
  env.SetRegDword("DefProfSSID", 7);
  env.SetRegString("EnableAntenna", "1");
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  EXPECT_EQ(a.SupportMode, 34);  // the default, not the settings file
  EXPECT_EQ(a.DefProfSSID, "ANY");
  EXPECT_FALSE(a.AntennaEnabled);
  EXPECT_EQ(env.LogLines("Exception(CNICAdapter::ReadSet): int<SupportMode>").size(), 1u);
  EXPECT_EQ(env.LogLines("Exception(CNICAdapter::ReadSet): string<DefProfSSID>").size(), 1u);
  EXPECT_EQ(env.LogLines("Exception(CNICAdapter::ReadSet): bool<EnableAntenna>").size(), 1u);
}

TEST(AdapterSettings, NamesAreDefaultedAndCutToTheirFields) {
  TestEnv env;
  const std::string long70(70, 'n'), long40(40, 's');
  env.SetRegString("DefProfName", "");
  env.SetRegString("DefProfSSID", long40);
  env.SetRegString("DefAPProfName", long70);
  env.SetRegString("ProfName", long70);
  env.SetRegString("APProfSSID", long40);
  CNICAdapter a(nullptr, 0, TestEnv::Device());
  EXPECT_EQ(a.DefProfName, "Default");
  EXPECT_EQ(a.DefProfSSID, long40.substr(0, 32));
  EXPECT_EQ(a.DefAPProfName, long70.substr(0, 64));
  // A name longer than the record's field: the same 64 characters in the
  // name and in the network information's copy.
  EXPECT_EQ(Name(a.DefProf), long70.substr(0, 64));
  EXPECT_EQ(FieldText(a.DefProf.NetInfo.NI_sz_CurProfile), long70.substr(0, 64));
  EXPECT_EQ(FieldText(a.DefAPProf.Ssid1), long40.substr(0, 32));
  // The first profile of an empty library uses DefProfName and DefProfSSID.
  ASSERT_EQ(a.ProfList.size(), 1u);
  EXPECT_EQ(Name(a.ProfList[0]), "Default");
  EXPECT_EQ(FieldText(a.ProfList[0].Ssid1), long40.substr(0, 32));
}

TEST(AdapterConstruction, IdentityTemplatesAndFirstProfile) {
  TestEnv env("DefBand=2\r\n");
  fake::g->driver = "System32\\kernel32.dll";
  fake::g->presentIds = "VID_1D4F&PID_0A71";
  NotifyRecorder rec;
  auto a = std::make_unique<CNICAdapter>(rec.Wnd(), 0, TestEnv::Device());
  EXPECT_EQ(a->MacAddress, "00:1D:4F:0A:71:01");
  EXPECT_EQ(a->Domain, "FCC");
  EXPECT_EQ(FieldText(a->DetectRec.HardwareId), "VID_1D4F&PID_0A71");
  EXPECT_EQ(a->RegKey, env.AdapterKey());
  EXPECT_NE(a->DriverPath.find("kernel32.dll"), std::string::npos);
  EXPECT_EQ(std::count(a->DriverVersion.begin(), a->DriverVersion.end(), '.'), 3);
  EXPECT_FALSE(a->SoftAPCapable);

  EXPECT_EQ(a->DefProf.Channel, 36);            // DefBand 2 takes the 5 GHz channel
  EXPECT_EQ(a->DefProf.AuthenticationMode, 2);  // security reset
  EXPECT_EQ(a->DefAPProf.Channel, 6);           // mode 11 is a 2.4 GHz mode
  EXPECT_EQ(Name(a->DefAPProf), "Default_SoftAP");

  ASSERT_EQ(Names(a->ProfList), std::vector<std::string>{"Default"});
  EXPECT_EQ(env.Reg("ProfCount"), "#1");
  EXPECT_EQ(env.Reg("Prof0"), "Default");
  EXPECT_EQ(fake::g->profiles.size(), 1u);
  EXPECT_EQ(fake::Count("SiteSurveyScan"), 1);
  EXPECT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyProfiles, 0) == 1; }, 3000));
  // A second start finds the profile and creates none.
  a.reset();
  a = std::make_unique<CNICAdapter>(rec.Wnd(), 0, TestEnv::Device());
  EXPECT_EQ(a->ProfList.size(), 1u);
  EXPECT_EQ(fake::Count("SetWLProfile"), 1);
}

TEST(AdapterConstruction, ServiceModeLoadsNoProfilesAndStartsNoScan) {
  TestEnv env;
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  EXPECT_TRUE(a.ProfList.empty());
  EXPECT_EQ(fake::Count("SetWLProfile"), 0);
  EXPECT_EQ(fake::Count("SiteSurveyScan"), 0);
  EXPECT_EQ(env.Reg("ProfCount"), "<none>");
}

TEST(AdapterConstruction, WindowsManagementFollowsTheOsVersion) {
  {
    TestEnv env;
    env.SetRegDword("EnableZeroCfg", 1);
    NotifyRecorder rec;
    CNICAdapter a(rec.Wnd(), CmdService, TestEnv::Device());
    EXPECT_FALSE(a.UseWZC);
    ASSERT_TRUE(WaitUntil([&] { return !rec.Events(kNotifyStatus).empty(); }, 5000));
    EXPECT_EQ(fake::Count("Get_ZeroConfig"), 0);
  }
  {
    TestEnv env;  // the library already has the wanted state
    g_GlobalVar.OsVersionCode = 7;
    env.SetRegDword("EnableZeroCfg", 1);
    fake::g->zeroConfig = 1;
    CNICAdapter a(nullptr, CmdService, TestEnv::Device());
    EXPECT_TRUE(a.UseWZC);
    EXPECT_TRUE(WaitUntil([&] { return !env.LogLines("DoSetZeroCfg() end").empty(); }, 5000));
    EXPECT_EQ(fake::Count("Get_ZeroConfig"), 1);
    EXPECT_EQ(fake::Count("Set_ZeroConfig"), 0);
    EXPECT_EQ(fake::Count("SetOID"), 0);
  }
}

TEST(ProfileStore, StoredOrderCaseAndVanishedNames) {
  TestEnv env;
  for (const char* n : {"A", "C", "B", "c"}) fake::g->profiles.emplace_back(n, fake::Profile(n, n));
  env.SetRegDword("ProfCount", 5);
  const char* stored[] = {"b", "Gone1", "A", "c", "Gone2"};
  for (int i = 0; i < 5; ++i) env.SetRegString("Prof" + std::to_string(i), stored[i]);

  CNICAdapter a(nullptr, 0, TestEnv::Device());
  // "c" moves c itself, not the first of C and c; C follows in library order.
  EXPECT_EQ(Names(a.ProfList), (std::vector<std::string>{"B", "A", "c", "C"}));
  EXPECT_EQ(env.Reg("ProfCount"), "#4");
  EXPECT_EQ(env.Reg("Prof0"), "B");
  EXPECT_EQ(env.Reg("Prof1"), "A");
  EXPECT_EQ(env.Reg("Prof2"), "c");
  EXPECT_EQ(env.Reg("Prof3"), "C");
  EXPECT_EQ(env.Reg("Prof4"), "<none>");
  // Library profiles reach the list with the name copied into the network
  // information.
  EXPECT_EQ(FieldText(a.ProfList[0].NetInfo.NI_sz_CurProfile), "B");
}

TEST(ProfileStore, AddUpdateDeleteKeepListOrderAndNotify) {
  TestEnv env;
  for (const char* n : {"A", "B", "C"}) fake::g->profiles.emplace_back(n, fake::Profile(n, n));
  NotifyRecorder rec;
  CNICAdapter a(rec.Wnd(), 0, TestEnv::Device());

  EXPECT_TRUE(a.AddProfile(fake::Profile("B", "NewB")));  // an update, no growth
  ASSERT_EQ(a.ProfList.size(), 3u);
  EXPECT_EQ(FieldText(a.ProfList[1].Ssid1), "NewB");
  EXPECT_EQ(env.Reg("ProfCount"), "#3");

  EXPECT_TRUE(a.UpdateProfile(fake::Profile("D", "D"), "A"));  // rename in place
  EXPECT_EQ(Names(a.ProfList), (std::vector<std::string>{"D", "B", "C"}));
  EXPECT_EQ(env.Reg("Prof0"), "D");
  std::vector<std::string> lib;
  for (auto& p : fake::g->profiles) lib.push_back(p.first);
  std::sort(lib.begin(), lib.end());
  EXPECT_EQ(lib, (std::vector<std::string>{"B", "C", "D"}));

  EXPECT_TRUE(a.IsProfileExist("c"));
  env.SetRegString("LastProf", "c");
  EXPECT_EQ(a.GetLastProfName(kStationList), "c");  // the stored text

  EXPECT_TRUE(a.DeleteProfile(kStationList, "D"));
  EXPECT_EQ(env.Reg("ProfCount"), "#2");
  EXPECT_EQ(env.Reg("Prof0"), "B");
  EXPECT_EQ(env.Reg("Prof1"), "C");
  EXPECT_EQ(env.Reg("Prof2"), "<none>");
  env.SetRegString("LastProf", "D");
  EXPECT_EQ(a.GetLastProfName(kStationList), "");

  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyProfiles, 0) == 3; }, 3000));
  EXPECT_FALSE(a.DeleteProfile(kStationList, "nope"));
  EXPECT_FALSE(a.UpdateProfile(fake::Profile("X", "X"), "nope"));
  WaitUntil([] { return false; }, 200);
  EXPECT_EQ(rec.Events(kNotifyProfiles).size(), 3u);

  WLProfile last = fake::Profile("junk", "junk");
  a.GetLastApplyProf(last);  // nothing applied yet: the station default
  EXPECT_EQ(Name(last), "Default");
}
