// Names through the adapter: profile names are store text (code page 1252
// here) in records and in library calls, UTF-8 everywhere else, the registry
// included; network names are bytes, kept exactly from a scan to a profile.
#include <windows.h>

#include "adapter/FakeOmx.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "config/Uunicode.h"

namespace {

const std::string kCafeStore = "Caf\xE9";     // 1252
const std::string kCafeUtf8 = "Caf\xC3\xA9";  // the same name as UTF-8
const std::string kZhe = "\xD0\x96";          // Cyrillic capital zhe
const std::string kRi = "\xE6\x97\xA5";       // a CJK character, 3 bytes

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

  // Paths the library cannot be handed are never passed on.
  EXPECT_EQ(a.ExportProfiles("", env.Dir() + kZhe + ".wlprof"), 0);
  EXPECT_EQ(a.ImportProfiles(env.Dir() + kZhe + ".wlprof"), 0);
}

TEST(Names, RecordAccessorsRefuseRatherThanCutAndShowNetworkNamesOnOneLine) {
  WLProfile p{};
  std::string refused;
  // The code page decides what the store can hold.
  EXPECT_FALSE(SetProfileNameText(p, "A" + kZhe, &refused, 1252));
  EXPECT_EQ(refused, kZhe);
  EXPECT_TRUE(SetProfileNameText(p, "A" + kZhe, &refused, 1251));
  EXPECT_EQ(FieldText(p.ProfileName), "A\xC6");
  EXPECT_EQ(ProfileNameText(p, 1251), "A" + kZhe);
  // 64 store bytes fit, 65 are refused with the record unchanged; in 1252
  // "é" is one store byte though two UTF-8 bytes.
  std::string e64;
  for (int i = 0; i < 64; ++i) e64 += "\xC3\xA9";
  EXPECT_TRUE(SetProfileNameText(p, e64, &refused, 1252));
  EXPECT_EQ(FieldText(p.ProfileName), std::string(64, '\xE9'));
  EXPECT_FALSE(SetProfileNameText(p, e64 + "x", &refused, 1252));
  EXPECT_TRUE(refused.empty()) << "too long names no character";
  EXPECT_EQ(FieldText(p.ProfileName), std::string(64, '\xE9'));

  // Names from settings are made storable and cut at a character.
  EXPECT_EQ(StorableName("A" + kZhe + "B", 64, 1252), "A_B");
  EXPECT_EQ(StorableName(std::string(63, 'x') + kRi, 64, 932), std::string(63, 'x'));
  EXPECT_EQ(StorableName("Tab\tName", 64, 1252), "Tab_Name");

  // A network name: bytes in, bytes out, never cut or joined at a zero.
  EXPECT_TRUE(SetSsidBytes(p, kCafeStore));
  EXPECT_EQ(SsidBytes(p), kCafeStore);
  EXPECT_EQ(SsidText(p, 1252), kCafeUtf8);
  std::string full;
  for (int i = 0; i < 10; ++i) full += kRi;
  full += "ab";  // 32 bytes
  EXPECT_TRUE(SetSsidBytes(p, full));
  EXPECT_EQ(SsidBytes(p), full);
  EXPECT_FALSE(SetSsidBytes(p, full + "c"));
  EXPECT_FALSE(SetSsidBytes(p, std::string("A\0B", 3)));
  EXPECT_EQ(SsidBytes(p), full) << "a refusal keeps the record";

  WLStatus s{};
  s.SsidLength = 40;  // a library's overlong length reads no further than the field
  std::memcpy(s.Ssid, full.data(), 32);
  EXPECT_EQ(SsidText(s), full);

  // Store text of other fields shows in the code page it was written in.
  CertEntry cert{};
  SetField(cert.Display,
           "Zertifikat f\xFCr Stra\xDF"
           "e");
  EXPECT_EQ(StoreFieldText(cert.Display, 1252),
            "Zertifikat f\xC3\xBCr Stra\xC3\x9F"
            "e");
}

TEST(Names, ASurveyedNetworkBecomesAProfileWithExactlyItsBytes) {
  TestEnv env;
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  std::string last32(29, 'a');
  last32 += kRi;
  struct Case {
    std::string bytes, shown;
    bool zero;
  } cases[] = {
      {"Caf\xC3\xA9 M\xC3\xBC"
       "ller",
       "Caf\xC3\xA9 M\xC3\xBC"
       "ller",
       false},
      {kCafeStore, kCafeUtf8, false},
      {"\xC3\x28"
       "x",
       "\xC3\x83(x", false},  // not UTF-8: shown in the code page
      {std::string("A\0B", 3), "A\\x00B", true},
      {"Tab\tNet", "Tab\\x09Net", false},
      {last32, last32, false},
  };
  for (const Case& c : cases) {
    SiteEntry e{};
    e.Bssid[0] = 2;
    e.SsidLength = static_cast<uint32_t>(c.bytes.size());
    std::memcpy(e.Ssid, c.bytes.data(), c.bytes.size());
    e.InfraMode = 1;
    EXPECT_EQ(SsidText(e), c.shown);
    EXPECT_EQ(SsidHasZero(e), c.zero) << c.shown;
    if (c.zero) continue;
    WLProfile p{};
    a.SiteToProfile(e, p);
    EXPECT_EQ(SsidBytes(p), c.bytes) << c.shown;
    EXPECT_EQ(p.Ssid1[32], 0);
  }
}
