// Stored names found exactly before ignoring case, a library that stops
// listing early, and imports (case variants, the library's limit).
#include <windows.h>

#include <fstream>

#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"
#include "common/LockCheck.h"
#include "config/Uunicode.h"

namespace {

// The fake's store with two more seams: an enumeration that refuses, or
// faults, from index stopAt on, and an import of fileRecords.
int32_t stopAt = -1;
bool faultAtStop = false;
std::vector<std::pair<std::string, WLProfile>> fileRecords;
int imports = 0;

int32_t __stdcall EnumStopping(int32_t index, char* name) {
  if (stopAt >= 0 && index >= stopAt) {
    if (faultAtStop) *reinterpret_cast<volatile int*>(0x10) = 1;
    return 0;
  }
  return fake::Lib::EnumWLProfiles(index, name);
}

int32_t __stdcall ImportRecords(const char*) {
  ++imports;
  for (const auto& in : fileRecords) fake::Lib::SetWLProfile(in.first.c_str(), &in.second);
  return static_cast<int32_t>(fileRecords.size());
}

void BindSeams() {
  stopAt = -1;
  faultAtStop = false;
  fileRecords.clear();
  imports = 0;
  OmxEntryTable t = fake::Table();
  t.OMXWL_EnumWLProfiles = &EnumStopping;
  t.OMXWL_RegImportProfile = &ImportRecords;
  ASSERT_TRUE(g_OmxLib.BindTable(lockcheck::Checked(t)));
}

std::string Ssid(const std::string& storeName) {
  for (auto& e : fake::g->profiles)
    if (e.first == storeName) return FieldText(e.second.Ssid1);
  return "<none>";
}

void SetOrder(const TestEnv& env, const std::vector<std::string>& names) {
  env.SetRegDword("ProfCount", static_cast<DWORD>(names.size()));
  for (size_t i = 0; i < names.size(); ++i) env.SetRegString("Prof" + std::to_string(i), names[i]);
}

// An export file of this many records' size (contents are the library's).
std::string ExportFile(const TestEnv& env, size_t records) {
  const std::string path = env.Dir() + "profiles.wlprof";
  std::ofstream(path, std::ios::binary) << std::string(records * sizeof(WLProfile) + 24, 'x');
  return path;
}

}  // namespace

TEST(StoreNames, ANameStoredInTwoCasesIsFoundExactlyEverywhere) {
  TestEnv env;
  BindSeams();
  fake::g->profiles.emplace_back("Home", fake::Profile("Home", "Upper"));
  fake::g->profiles.emplace_back("home", fake::Profile("home", "Lower"));
  SetOrder(env, {"Home", "home"});
  CNICAdapter a(nullptr, 0, TestEnv::Device());
  ASSERT_EQ(a.ProfList.size(), 2u);
  EXPECT_EQ(FieldText(a.ProfList[1].ProfileName), "home") << "the order finds each exactly";

  // Saving "home" changes "home", not "Home".
  WLProfile edited = fake::Profile("home", "Edited");
  ASSERT_TRUE(a.UpdateProfile(edited, "home"));
  EXPECT_EQ(Ssid("Home"), "Upper");
  EXPECT_EQ(Ssid("home"), "Edited");
  ASSERT_TRUE(a.AddProfile(fake::Profile("Home", "Added")));
  EXPECT_EQ(Ssid("Home"), "Added");
  EXPECT_EQ(Ssid("home"), "Edited");

  // Deleting "home" removes "home"; a name in neither case still folds.
  ASSERT_TRUE(a.DeleteProfile(kStationList, "home"));
  EXPECT_EQ(Ssid("home"), "<none>");
  EXPECT_EQ(Ssid("Home"), "Added");
  ASSERT_TRUE(a.DeleteProfile(kStationList, "hOmE"));
  EXPECT_TRUE(fake::g->profiles.empty());
}

TEST(StoreNames, AnEnumerationThatStopsEarlyIsPartialAndHidesNothing) {
  for (const bool fault : {false, true}) {
    SCOPED_TRACE(fault ? "faults at index 2" : "refuses at index 2");
    TestEnv env;
    BindSeams();
    for (const char* n : {"A", "B", "C", "D", "Hidden"})
      fake::g->profiles.emplace_back(n, fake::Profile(n, std::string(n) + "Net"));
    SetOrder(env, {"D", "A", "C", "B"});
    stopAt = 2;
    faultAtStop = fault;
    CNICAdapter a(nullptr, 0, TestEnv::Device());

    // The order keeps its place: C and D, not listed, are still read.
    ASSERT_EQ(a.ProfList.size(), 4u);
    const char* expected[] = {"D", "A", "C", "B"};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(FieldText(a.ProfList[i].ProfileName), expected[i]);
    EXPECT_EQ(env.Reg("ProfCount"), "#4");
    EXPECT_EQ(env.LogLines("the list is partial, order kept").size(), 1u);

    // A profile not listed at all is never replaced by a new one.
    EXPECT_FALSE(a.AddProfile(fake::Profile("Hidden", "Other")));
    EXPECT_EQ(Ssid("Hidden"), "HiddenNet");
    WLProfile renamed = a.ProfList[1];
    SetField(renamed.ProfileName, "Hidden");
    EXPECT_FALSE(a.UpdateProfile(renamed, "A"));
    EXPECT_EQ(Ssid("Hidden"), "HiddenNet");
    EXPECT_EQ(Ssid("A"), "ANet");
    EXPECT_EQ(env.LogLines("is stored but not listed; not replaced").size(), 2u);
    EXPECT_TRUE(a.AddProfile(fake::Profile("New", "NewNet")));
    EXPECT_EQ(Ssid("New"), "NewNet");

    // Listed whole again, the order is written as read.
    stopAt = -1;
    std::vector<WLProfile> whole;
    EXPECT_TRUE(a.ReadProfileList(kStationList, whole));
    EXPECT_EQ(whole.size(), 6u);
    EXPECT_EQ(env.Reg("ProfCount"), "#6");
  }
}

TEST(StoreNames, AnImportCountsCaseVariantsOnceAndNeverPassesTheLimit) {
  TestEnv env;
  BindSeams();
  fake::g->profiles.emplace_back("Home", fake::Profile("Home", "Old"));
  CNICAdapter a(nullptr, 0, TestEnv::Device());
  ASSERT_EQ(a.ProfList.size(), 1u);

  // Two cases of one name in the file are one profile; the later record
  // wins, under the name met first. "home" replaces the stored "Home".
  fileRecords = {{"Office", fake::Profile("Office", "First")},
                 {"OFFICE", fake::Profile("OFFICE", "Second")},
                 {"home", fake::Profile("home", "New")}};
  int32_t refused = -1;
  EXPECT_EQ(a.ImportProfiles(ExportFile(env, 3), &refused), 2);
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(Ssid("Office"), "Second");
  EXPECT_EQ(Ssid("OFFICE"), "<none>");
  EXPECT_EQ(Ssid("Home"), "New");
  EXPECT_EQ(Ssid("home"), "<none>");
  EXPECT_EQ(a.ProfList.size(), 2u);

  // Up to the library's 4096 profiles an import goes on; past it nothing
  // is written at all.
  for (int i = 2; i < 4000; ++i) {
    const std::string n = "P" + std::to_string(i);
    fake::g->profiles.emplace_back(n, fake::Profile(n, "Net"));
  }
  fileRecords.clear();
  for (int i = 0; i < 97; ++i) {
    const std::string n = "F" + std::to_string(i);
    fileRecords.emplace_back(n, fake::Profile(n, "FileNet"));
  }
  imports = 0;
  EXPECT_EQ(a.ImportProfiles(ExportFile(env, 97)), 0);
  EXPECT_EQ(imports, 0);
  EXPECT_EQ(fake::g->profiles.size(), 4000u);
  EXPECT_EQ(env.LogLines("more than 4096 are never stored, nothing imported").size(), 1u);

  fileRecords.pop_back();  // 96 fit exactly
  EXPECT_EQ(a.ImportProfiles(ExportFile(env, 96)), 96);
  EXPECT_EQ(a.ProfList.size(), 4096u);
}
