// The shipped string files: every language has every key of the English
// file, with the same format placeholders in the same order, no key twice
// in a section (the second would be ignored), and the English file lists
// every shared word the program knows.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/TestSupport.h"
#include "config/Udefine.h"

using namespace wutest;

namespace {

const std::string kDataDir = std::string("Z:") + WU_SOURCE_DIR + "/data/";

struct StringFile {
  // section (lower case) -> key (lower case) -> value; INI names ignore case.
  std::map<std::string, std::map<std::string, std::string>> Sections;
  std::vector<std::string> Duplicates;
};

std::string Lower(std::string s) {
  CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

StringFile Parse(const std::string& path) {
  StringFile file;
  std::string section;
  for (const std::string& line : SplitLines(ReadText(path))) {
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = Lower(line.substr(1, line.find(']') - 1));
      file.Sections[section];
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Lower(line.substr(0, eq));
    auto& keys = file.Sections[section];
    if (keys.count(key)) file.Duplicates.push_back("[" + section + "] " + key);
    keys[key] = line.substr(eq + 1);
  }
  return file;
}

// The printf conversions of a text, "%%" left out: "%s", "%d", "%5.1f", ...
std::vector<std::string> Placeholders(const std::string& text) {
  static const std::regex conversion(
      "%[-+ #0]*[0-9*]*(\\.[0-9*]+)?(hh|h|ll|l|L|z|j|t|I64)?[a-zA-Z%]");
  std::vector<std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion);
       it != std::sregex_iterator(); ++it) {
    if (it->str() != "%%") out.push_back(it->str());
  }
  return out;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) out += (out.empty() ? "" : " ") + s;
  return out;
}

// Every string file beside the English one: WirelessUtility.<language>.ini.
std::vector<std::string> Translations() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((kDataDir + "WirelessUtility.*.ini").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(f.cFileName);
  while (FindNextFileA(h, &f));
  FindClose(h);
  return names;
}

TEST(StringFiles, PlaceholdersAreReadInOrder) {
  EXPECT_EQ(Placeholders("Really remove '%s'?"), (std::vector<std::string>{"%s"}));
  EXPECT_EQ(Placeholders("%d of %5.1f%% at %ls"), (std::vector<std::string>{"%d", "%5.1f", "%ls"}));
  EXPECT_TRUE(Placeholders("100%% sure").empty());
}

TEST(StringFiles, EnglishListsEveryWordTheProgramShares) {
  const StringFile english = Parse(kDataDir + "WirelessUtility.ini");
  EXPECT_TRUE(english.Duplicates.empty()) << Joined(english.Duplicates);
  ASSERT_TRUE(english.Sections.count("common"));
  const auto& common = english.Sections.at("common");
  for (int i = 0; i < kCommonStringCount; ++i)
    EXPECT_TRUE(common.count(Lower(CommonStringKey(i)))) << CommonStringKey(i);
}

TEST(StringFiles, EveryLanguageHasEveryEnglishKeyWithItsPlaceholders) {
  const StringFile english = Parse(kDataDir + "WirelessUtility.ini");
  ASSERT_GT(english.Sections.size(), 20u) << "no English string file in " << kDataDir;
  const std::vector<std::string> languages = Translations();
  ASSERT_FALSE(languages.empty()) << "no translation in " << kDataDir;
  for (const std::string& name : languages) {
    SCOPED_TRACE(name);
    const StringFile other = Parse(kDataDir + name);
    EXPECT_TRUE(other.Duplicates.empty()) << Joined(other.Duplicates);
    for (const auto& [section, keys] : english.Sections) {
      const auto found = other.Sections.find(section);
      if (found == other.Sections.end()) {
        ADD_FAILURE() << "missing section [" << section << "]";
        continue;
      }
      for (const auto& [key, value] : keys) {
        const auto translated = found->second.find(key);
        if (translated == found->second.end()) {
          ADD_FAILURE() << "missing [" << section << "] " << key;
          continue;
        }
        EXPECT_EQ(Joined(Placeholders(translated->second)), Joined(Placeholders(value)))
            << "[" << section << "] " << key << ": " << translated->second;
        if (!value.empty()) {
          EXPECT_FALSE(translated->second.empty()) << "[" << section << "] " << key;
        }
      }
    }
  }
}

}  // namespace
