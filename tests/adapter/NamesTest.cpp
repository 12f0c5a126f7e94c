// Profile names through the adapter: store text (code page 1252 here) in
// records and in library calls, UTF-8 everywhere else, the registry included.
#include <windows.h>

#include "adapter/FakeOmx.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "config/Uunicode.h"

namespace {

const std::string kCafeStore = "Caf\xE9";     // 1252
const std::string kCafeUtf8 = "Caf\xC3\xA9";  // the same name as UTF-8
const std::string kZhe = "\xD0\x96";          // Cyrillic capital zhe

std::wstring RegWide(const TestEnv& env, const std::string& name) {
  wchar_t data[512] = {};
  DWORD size = sizeof data - sizeof(wchar_t), type = REG_NONE;
  if (RegGetValueW(HKEY_CURRENT_USER, Wide(env.AdapterKey()).c_str(), Wide(name).c_str(),
                   RRF_RT_REG_SZ, &type, data, &size))
    return L"<none>";
  return data;
}

bool LibraryHas(const std::string& storeName) {
  for (auto& e : fake::g->profiles)
    if (e.first == storeName) return true;
  return false;
}

}  // namespace

TEST(Names, ProfileNamesAreStoreTextInRecordsAndUtf8InTheProgramAndRegistry) {
  TestEnv env;
  fake::g->profiles.emplace_back(kCafeStore, fake::Profile(kCafeStore, "CafeNet"));
  fake::g->profiles.emplace_back("Home", fake::Profile("Home", "HomeNet"));
  // The order as UTF-16 in another letter case; the last profile as an
  // earlier (ANSI) version wrote it.
  env.SetRegDword("ProfCount", 2);
  RegSetKeyValueW(HKEY_CURRENT_USER, Wide(env.AdapterKey()).c_str(), L"Prof0", REG_SZ, L"Home",
                  5 * sizeof(wchar_t));
  RegSetKeyValueW(HKEY_CURRENT_USER, Wide(env.AdapterKey()).c_str(), L"Prof1", REG_SZ, L"CAF\u00C9",
                  5 * sizeof(wchar_t));
  env.SetRegString("LastProf", kCafeStore);

  CNICAdapter a(nullptr, 0, TestEnv::Device());
  ASSERT_EQ(a.ProfList.size(), 2u);
  EXPECT_EQ(FieldText(a.ProfList[1].ProfileName), kCafeStore) << "the record keeps store text";
  EXPECT_EQ(ProfileNameText(a.ProfList[1]), kCafeUtf8);
  EXPECT_EQ(RegWide(env, "Prof1"), L"Caf\u00E9") << "the registry gets the name itself";
  EXPECT_EQ(a.GetLastProfName(kStationList), kCafeUtf8) << "an ANSI value reads as UTF-8";
  EXPECT_TRUE(a.IsProfileExist("CAF\xC3\x89")) << "case folds beyond ASCII";
  EXPECT_FALSE(a.IsProfileExist(kCafeStore)) << "store bytes are not a UTF-8 name";
  EXPECT_EQ(a.StoredProfileName("caf\xC3\xA9"), kCafeUtf8);
  EXPECT_TRUE(a.StoredProfileExists(kCafeUtf8));
  EXPECT_FALSE(a.StoredProfileExists(kZhe)) << "a name the store cannot hold is not stored";

  // A rename to another non-ASCII name: the library gets store text, the
  // registry UTF-8, the old record goes.
  WLProfile renamed = a.ProfList[1];
  std::string refused;
  ASSERT_TRUE(SetProfileNameText(renamed, "Caf\xC3\xA9 M\xC3\xBCller", &refused));
  EXPECT_EQ(FieldText(renamed.NetInfo.NI_sz_CurProfile), "Caf\xE9 M\xFCller");
  ASSERT_TRUE(a.UpdateProfile(renamed, kCafeUtf8));
  EXPECT_TRUE(LibraryHas("Caf\xE9 M\xFCller"));
  EXPECT_FALSE(LibraryHas(kCafeStore));
  EXPECT_EQ(RegWide(env, "Prof1"), L"Caf\u00E9 M\u00FCller");
  ASSERT_TRUE(a.DeleteProfile(kStationList, "CAF\xC3\x89 M\xC3\x9CLLER"));
  EXPECT_FALSE(LibraryHas("Caf\xE9 M\xFCller"));
  EXPECT_EQ(a.ProfList.size(), 1u);

  // The code page decides what the store holds; a refusal names the
  // character, or nothing when the name is merely too long, and never cuts.
  std::string e64;
  for (int i = 0; i < 64; ++i) e64 += "\xC3\xA9";  // 64 store bytes in 1252
  EXPECT_FALSE(SetProfileNameText(renamed, "A" + kZhe, &refused, 1252));
  EXPECT_EQ(refused, kZhe);
  EXPECT_TRUE(SetProfileNameText(renamed, e64, &refused, 1252));
  EXPECT_FALSE(SetProfileNameText(renamed, e64 + "x", &refused, 1252));
  EXPECT_TRUE(refused.empty());
  EXPECT_EQ(FieldText(renamed.ProfileName), std::string(64, '\xE9')) << "kept as it was";
  EXPECT_TRUE(SetProfileNameText(renamed, "A" + kZhe, &refused, 1251));
  EXPECT_EQ(FieldText(renamed.ProfileName), "A\xC6");
  EXPECT_EQ(StorableName("A" + kZhe + "B", 64, 1252), "A_B") << "a name from the settings";

  // Paths the library cannot be handed are never passed on.
  EXPECT_EQ(a.ExportProfiles("", env.Dir() + kZhe + ".wlprof"), 0);
  EXPECT_EQ(a.ImportProfiles(env.Dir() + kZhe + ".wlprof"), 0);
}
