// The profile store: names are exact, profiles survive reloads, every
// write replaces the store whole, and a store that cannot be read is kept.
#include <thread>

#include "omxwl_fixture.h"

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

class ProfileTest : public OmxTest {
 protected:
  std::string Store(const std::string& root = "OmxTest") {
    return dir_->File("appdata") + "\\" + root + "\\WLProfiles.dat";
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    char name[256];
    for (int i = 0; api_.OMXWL_EnumWLProfiles(i, name) == 1; ++i) names.push_back(name);
    return names;
  }
};

TEST_F(ProfileTest, NamesDifferingOnlyInCaseAreTwoProfilesAndSurviveAReload) {
  Load();
  WLProfile home = PskProfile("Home-Net", 6, "upper");
  WLProfile lower = WepProfile("home-net", 1, 0, "A70CEB1960");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Home", &home), 1);
  ASSERT_EQ(api_.OMXWL_SetWLProfile("home", &lower), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Home", "home"}));
  EXPECT_TRUE(Exists(Store()));  // under %APPDATA%\<root>

  Unload();
  Load();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Home", "home"}));
  WLProfile got{};
  ASSERT_EQ(api_.OMXWL_GetWLProfile("Home", &got), 1);
  EXPECT_EQ(memcmp(&got, &home, sizeof got), 0);
  ASSERT_EQ(api_.OMXWL_GetWLProfile("home", &got), 1);
  EXPECT_EQ(memcmp(&got, &lower, sizeof got), 0);
  EXPECT_EQ(api_.OMXWL_GetWLProfile("HOME", &got), 0);

  // replacing keeps the position; deleting one leaves the other
  WLProfile changed = OpenProfile("Changed");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Home", &changed), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Home", "home"}));
  ASSERT_EQ(api_.OMXWL_DeleteWLProfile("home"), 1);
  EXPECT_EQ(api_.OMXWL_DeleteWLProfile("home"), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Home"}));
  ASSERT_EQ(api_.OMXWL_GetWLProfile("Home", &got), 1);
  EXPECT_EQ(memcmp(&got, &changed, sizeof got), 0);

  // no temporary file is left behind
  EXPECT_FALSE(Exists(dir_->File("appdata") + "\\OmxTest\\WLProfiles.tmp"));
}

TEST_F(ProfileTest, TheRootPicksTheFolder) {
  Load();  // Initial("OmxTest")
  WLProfile p = OpenProfile("x");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("First", &p), 1);
  ASSERT_EQ(api_.OMXWL_SetWLProfileDir("Other Root"), 1);
  EXPECT_TRUE(Names().empty());
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Second", &p), 1);
  EXPECT_TRUE(Exists(Store("Other Root")));
  ASSERT_EQ(api_.OMXWL_SetWLProfileDir("OmxTest"), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"First"}));

  // roots that are not one plain folder name are refused; the store stays
  for (const char* bad : {"", "a\\b", "a/b", "..", "C:", "CON", "lpt1.txt", "trailing."}) {
    EXPECT_EQ(api_.OMXWL_SetWLProfileDir(bad), 0) << bad;
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"First"}));
}

TEST_F(ProfileTest, NamesAreCheckedAndNeverOverrunTheNameBuffer) {
  Load();
  WLProfile p = OpenProfile("x");
  std::string longest(64, 'n');
  EXPECT_EQ(api_.OMXWL_SetWLProfile("", &p), 0);
  EXPECT_EQ(api_.OMXWL_SetWLProfile((longest + "x").c_str(), &p), 0);
  ASSERT_EQ(api_.OMXWL_SetWLProfile(longest.c_str(), &p), 1);
  ASSERT_EQ(api_.OMXWL_SetWLProfile("short", &p), 1);
  char buf[300];
  memset(buf, 0x5A, sizeof buf);
  ASSERT_EQ(api_.OMXWL_EnumWLProfiles(0, buf), 1);
  EXPECT_EQ(std::string(buf), longest);
  for (size_t i = 65; i < sizeof buf; ++i) ASSERT_EQ(buf[i], 0x5A) << i;
  memset(buf, 0x5A, sizeof buf);
  ASSERT_EQ(api_.OMXWL_EnumWLProfiles(1, buf), 1);
  EXPECT_STREQ(buf, "short");
  EXPECT_EQ(buf[6], 0x5A);
  EXPECT_EQ(api_.OMXWL_EnumWLProfiles(2, buf), 0);
  EXPECT_EQ(api_.OMXWL_EnumWLProfiles(-1, buf), 0);
}

TEST_F(ProfileTest, UnreadableStoreIsKeptAsideNotOverwritten) {
  Load();
  CreateDirectoryA((dir_->File("appdata") + "\\OmxTest").c_str(), nullptr);
  const std::string garbage = "this is not a profile store";
  WriteFileAtomic(Store(), garbage);
  EXPECT_TRUE(Names().empty());
  WLProfile p = OpenProfile("x");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("New", &p), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"New"}));
  EXPECT_EQ(ReadFileText(dir_->File("appdata") + "\\OmxTest\\WLProfiles.bad"), garbage);

  // a damaged byte is noticed too, and that store is kept as the next .bad
  std::string good = ReadFileText(Store());
  std::string damaged = good;
  damaged[damaged.size() / 2] ^= 0x40;
  WriteFileAtomic(Store(), damaged);
  EXPECT_TRUE(Names().empty());
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Again", &p), 1);
  EXPECT_EQ(ReadFileText(dir_->File("appdata") + "\\OmxTest\\WLProfiles.1.bad"), damaged);
}

TEST_F(ProfileTest, StoreOfANewerLibraryIsLeftAlone) {
  Load();
  WLProfile p = OpenProfile("x");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Mine", &p), 1);
  std::string newer = ReadFileText(Store());
  newer[8] = 2;  // format version
  WriteFileAtomic(Store(), newer);
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(api_.OMXWL_SetWLProfile("Other", &p), 0);
  EXPECT_EQ(api_.OMXWL_DeleteWLProfile("Mine"), 0);
  EXPECT_EQ(ReadFileText(Store()), newer);
}

TEST_F(ProfileTest, LeftoverTemporaryFileOfACrashedWriteDoesNoHarm) {
  Load();
  WLProfile p = OpenProfile("x");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Kept", &p), 1);
  // a write that died halfway leaves only its temporary file
  WriteFileAtomic(dir_->File("appdata") + "\\OmxTest\\WLProfiles.tmp", "half a sto");
  EXPECT_EQ(Names(), (std::vector<std::string>{"Kept"}));
  ASSERT_EQ(api_.OMXWL_SetWLProfile("Next", &p), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Kept", "Next"}));
}

TEST_F(ProfileTest, ExportAndImport) {
  Load();
  WLProfile a = PskProfile("A", 2, "aaaaaaaa"), b = OpenProfile("B");
  ASSERT_EQ(api_.OMXWL_SetWLProfile("A", &a), 1);
  ASSERT_EQ(api_.OMXWL_SetWLProfile("B", &b), 1);
  std::string one = dir_->File("one.prf"), all = dir_->File("all.prf");
  EXPECT_EQ(api_.OMXWL_RegExportProfile("A", one.c_str()), 1);
  EXPECT_EQ(api_.OMXWL_RegExportProfile("", all.c_str()), 2);
  EXPECT_EQ(api_.OMXWL_RegExportProfile("Missing", one.c_str()), 0);
  ASSERT_EQ(api_.OMXWL_SetWLProfileDir("Elsewhere"), 1);
  EXPECT_EQ(api_.OMXWL_RegImportProfile(all.c_str()), 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
  WLProfile got{};
  ASSERT_EQ(api_.OMXWL_GetWLProfile("A", &got), 1);
  EXPECT_EQ(memcmp(&got, &a, sizeof got), 0);
  // importing again replaces, it does not duplicate
  EXPECT_EQ(api_.OMXWL_RegImportProfile(one.c_str()), 1);
  EXPECT_EQ(Names().size(), 2u);
  WriteFileAtomic(dir_->File("junk.prf"), "junk");
  EXPECT_EQ(api_.OMXWL_RegImportProfile(dir_->File("junk.prf").c_str()), 0);
  EXPECT_EQ(api_.OMXWL_RegImportProfile(dir_->File("none.prf").c_str()), 0);
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
  Load();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([this, t] {
      for (int i = 0; i < 15; ++i) {
        WLProfile p = OpenProfile("x");
        p.Channel = t * 100 + i;
        std::string name = "T" + std::to_string(t) + "-" + std::to_string(i);
        EXPECT_EQ(api_.OMXWL_SetWLProfile(name.c_str(), &p), 1);
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(Names().size(), 60u);
  WLProfile got{};
  ASSERT_EQ(api_.OMXWL_GetWLProfile("T3-14", &got), 1);
  EXPECT_EQ(got.Channel, 314);
}
