// Profile names: store text (1252 here) in records and library calls, UTF-8
// in the program and the registry.
#include "adapter/FakeOmx.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "config/Uunicode.h"

TEST(Names, ProfileNamesAreStoreTextInRecordsAndUtf8InTheProgramAndRegistry) {
  TestEnv env;
  const std::wstring key = Wide(env.AdapterKey());
  const std::string zhe = "\xD0\x96";  // Cyrillic capital zhe
  fake::g->profiles.emplace_back("Caf\xE9", fake::Profile("Caf\xE9", "CafeNet"));
  fake::g->profiles.emplace_back("Home", fake::Profile("Home", "HomeNet"));
  // The order in UTF-16 and another letter case; LastProf as ANSI once wrote it.
  env.SetRegDword("ProfCount", 2);
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Prof0", REG_SZ, L"Home", 10);
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Prof1", REG_SZ, L"CAF\u00C9", 10);
  env.SetRegString("LastProf", "Caf\xE9");

  CNICAdapter a(nullptr, 0, TestEnv::Device());
  ASSERT_EQ(a.ProfList.size(), 2u);
  EXPECT_EQ(ProfileNameText(a.ProfList[1]), "Caf\xC3\xA9");
  EXPECT_EQ(a.GetLastProfName(kStationList), "Caf\xC3\xA9") << "an ANSI value reads as UTF-8";

  // A rename reaches library and registry; a delete finds it in any case.
  WLProfile renamed = a.ProfList[1];
  std::string refused;
  ASSERT_TRUE(SetProfileNameText(renamed, "Caf\xC3\xA9 M\xC3\xBCller", &refused));
  EXPECT_EQ(FieldText(renamed.NetInfo.NI_sz_CurProfile), "Caf\xE9 M\xFCller");
  ASSERT_TRUE(a.UpdateProfile(renamed, "Caf\xC3\xA9"));
  EXPECT_TRUE(a.StoredProfileExists("Caf\xC3\xA9 M\xC3\xBCller") &&
              !a.StoredProfileExists("Caf\xC3\xA9"));
  wchar_t reg[64] = {};
  DWORD size = sizeof reg - sizeof(wchar_t);
  RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Prof1", RRF_RT_REG_SZ, nullptr, reg, &size);
  EXPECT_STREQ(reg, L"Caf\u00E9 M\u00FCller");
  ASSERT_TRUE(a.DeleteProfile(kStationList, "CAF\xC3\x89 M\xC3\x9CLLER"));
  EXPECT_FALSE(a.StoredProfileExists("Caf\xC3\xA9 M\xC3\xBCller"));

  // The code page decides; a refusal names the character (none if too long).
  std::string e64;
  for (int i = 0; i < 64; ++i) e64 += "\xC3\xA9";  // 64 store bytes in 1252
  EXPECT_FALSE(SetProfileNameText(renamed, "A" + zhe, &refused, 1252));
  EXPECT_EQ(refused, zhe);
  EXPECT_TRUE(SetProfileNameText(renamed, e64, &refused, 1252));
  EXPECT_FALSE(SetProfileNameText(renamed, e64 + "x", &refused, 1252));
  EXPECT_EQ(refused + FieldText(renamed.ProfileName), std::string(64, '\xE9')) << "kept, unnamed";
  EXPECT_TRUE(SetProfileNameText(renamed, "A" + zhe, &refused, 1251));
  EXPECT_EQ(FieldText(renamed.ProfileName), "A\xC6");
  EXPECT_EQ(StorableName("A" + zhe + "B", 64, 1252), "A_B") << "a name from the settings";
  // A path the library cannot be handed is never passed on.
  EXPECT_EQ(a.ExportProfiles("", env.Dir() + zhe + ".wlprof"), 0);
  EXPECT_EQ(a.ImportProfiles(env.Dir() + zhe + ".wlprof"), 0);
}
