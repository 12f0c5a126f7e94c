// String and settings files as text: a file in a code page and the same file
// in UTF-8 with a byte-order mark read alike; writes never damage a UTF-8
// file and never best-fit a character into a code-page file; the shipped
// string files read as they are written.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "app/TestSupport.h"
#include "config/Udefine.h"
#include "config/Uinifile.h"
#include "config/Uunicode.h"

using namespace wutest;

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kDataDir = std::string("Z:") + WU_SOURCE_DIR + "/data/";

void WriteFileW(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD n = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

// One text with every rule the readers share; "é" stands for whatever the
// encoding makes of it.
std::string Sample(const std::string& e) {
  return "; comment line [Fake]\r\n"
         "[Strings]\r\n"
         "  Plain  =  Caf" +
         e + " M" + e +
         "ller  \r\n"
         "Quoted=\"  padded  \"\r\n"
         "Single='x" +
         e +
         "'\r\n"
         "Half=\"open\r\n"
         "Escape=Line one\\nLine two\r\n"
         "Empty=\r\n"
         ";Commented=no\r\n"
         "Twice=first\r\n"
         "twice=second\r\n"
         "[strings]\r\n"
         "Second=only in the second section\r\n"
         "Plain=not this one\r\n"
         "[ Other ]\r\n"
         "Num= 0x1F \r\n"
         "Last=no line end";
}

TEST(TextFiles, ACodePageFileAndAUtf8FileReadAlike) {
  TempDir dir;
  const std::string ansi = dir / "ansi.ini", utf8 = dir / "utf8.ini";
  WriteFileW(ansi, Sample("\xE9"));
  WriteFileW(utf8, kBom + Sample("\xC3\xA9"));
  const struct {
    const char *Section, *Key, *Want;
  } cases[] = {
      {"Strings", "Plain", "Caf\xC3\xA9 M\xC3\xA9ller"},
      {"STRINGS", "plain", "Caf\xC3\xA9 M\xC3\xA9ller"},
      {"Strings", "Quoted", "  padded  "},
      {"Strings", "Single", "x\xC3\xA9"},
      {"Strings", "Half", "\"open"},
      {"Strings", "Escape", "Line one\\nLine two"},
      {"Strings", "Empty", ""},
      {"Strings", "Commented", "<def>"},
      {"Strings", "TWICE", "first"},
      {"Strings", "Second", "<def>"},
      {"Strings", "Absent", "<def>"},
      {"Fake", "x", "<def>"},
      {"Other", "Num", "0x1F"},
      {"Other", "Last", "no line end"},
  };
  for (const std::string& path : {ansi, utf8}) {
    const CIniFile file(path);
    EXPECT_EQ(file.IsUtf8(), path == utf8);
    for (const auto& c : cases) {
      EXPECT_EQ(file.ReadText(c.Section, c.Key, "<def>", 1252), c.Want)
          << path << " [" << c.Section << "] " << c.Key;
    }
    EXPECT_EQ(file.ReadInteger("other", "NUM", 0), 31) << path;
    EXPECT_TRUE(file.ValueExists("strings", "EMPTY")) << path;
    EXPECT_FALSE(file.ValueExists("strings", "Second")) << path;
    EXPECT_TRUE(file.SectionExists("OTHER")) << path;
    EXPECT_FALSE(file.SectionExists("Fake")) << path;
    const std::vector<std::string> keys = file.ReadSectionKeys("Strings");
    EXPECT_EQ(keys, (std::vector<std::string>{"Plain", "Quoted", "Single", "Half", "Escape",
                                              "Empty", "Twice", "twice"}))
        << path;
  }
  // The code page is the file's: Cyrillic bytes of code page 1251.
  WriteFileW(ansi, "[S]\r\nk=\xC6\xE8\r\n");
  EXPECT_EQ(CIniFile(ansi).ReadText("S", "k", "", 1251), "\xD0\x96\xD0\xB8");
  // A rewrite by another program is seen, though the text was kept.
  WriteFileW(utf8, kBom + "[Strings]\r\nPlain=changed, and longer than before\r\n");
  EXPECT_EQ(CIniFile(utf8).ReadText("Strings", "Plain", ""), "changed, and longer than before");
}

TEST(TextFiles, TheProgramReadsBothKindsAndAFolderTheCodePageCannotName) {
  TempDir dir;
  // "Ж" cannot be held in code page 1252: the A reader gets the short form.
  const std::string folder = dir / "\xD0\x96urnal\\";
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  WriteFileW(folder + "Prog.bin", "[Setting]\r\nStringFile=Prog.ru.ini\r\nProfRoot=Caf\xE9\r\n");
  WriteFileW(folder + "Prog.ru.ini", kBom + "[Utility]\r\nAppTitle=\xD0\x9C\xD0\xB0\r\n");
  CFAGlobalVar var;
  var.LocateFiles(folder + "Prog.exe");
  EXPECT_EQ(var.StringFilePath, folder + "Prog.ru.ini");
  EXPECT_EQ(var.ProfRoot, "Caf\xC3\xA9");
  EXPECT_EQ(var.AppTitle, "\xD0\x9C\xD0\xB0");
  EXPECT_EQ(var.StrFileRead("Utility", "Absent", "def"), "def");
}

TEST(TextFiles, AUtf8SettingsFileKeepsEveryOtherByteThroughWrites) {
  TempDir dir;
  const std::string path = dir / "P.bin";
  const std::string before = kBom +
                             "; settings \xE2\x80\x94 kept as written\r\n"
                             "[Setting]\r\n"
                             "ProfRoot = Root\r\n"
                             "LastProf=old\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "Name=\xD0\x96\r\n"
                             "[setting]\r\n"
                             "LastProf=second section\r\n";
  WriteFileW(path, before);
  CFAGlobalVar var;
  var.LocateFiles(dir / "P.exe");
  EXPECT_EQ(var.ProfRoot, "Root");
  var.InfoWriteString("Setting", "LastProf", "\xD0\x9F\xD1\x80\xD0\xBE \xE2\x82\xAC");
  var.InfoWriteString("Setting", "New", " padded ");
  var.InfoWriteString("Fresh", "Key", "v");
  EXPECT_EQ(ReadText(path), kBom +
                                "; settings \xE2\x80\x94 kept as written\r\n"
                                "[Setting]\r\n"
                                "ProfRoot = Root\r\n"
                                "LastProf=\xD0\x9F\xD1\x80\xD0\xBE \xE2\x82\xAC\r\n"
                                "New=\" padded \"\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Name=\xD0\x96\r\n"
                                "[setting]\r\n"
                                "LastProf=second section\r\n"
                                "[Fresh]\r\n"
                                "Key=v\r\n");
  EXPECT_EQ(var.InfoReadString("SETTING", "lastprof", ""), "\xD0\x9F\xD1\x80\xD0\xBE \xE2\x82\xAC");
  EXPECT_EQ(var.InfoReadString("Setting", "New", ""), " padded ");

  // The profile form in the same file: written and read back whole.
  WLProfile profile{};
  SetField(profile.ProfileName, "Office");
  SetField(profile.Ssid1, "Net");
  profile.Channel = 6;
  ASSERT_TRUE(var.ProfToIniFileChecked(profile, "LastApplyProf"));
  WLProfile back{};
  ASSERT_TRUE(var.ProfFromIniFileChecked("LastApplyProf", back));
  EXPECT_STREQ(back.ProfileName, "Office");
  EXPECT_EQ(back.Channel, 6);
  const std::string after = ReadText(path);
  EXPECT_EQ(after.compare(0, 3, kBom), 0);
  EXPECT_NE(after.find("[Other]\r\nName=\xD0\x96\r\n[setting]\r\nLastProf=second section\r\n"),
            std::string::npos);

  // A file without line ends, or with LF only, keeps its kind of line end.
  const struct {
    const char *Text, *Want;
  } edits[] = {
      {"", "[S]\r\nk=v\r\n"},
      {"[S]", "[S]\r\nk=v\r\n"},
      {"[S]\nk=old\na=1\n", "[S]\nk=v\na=1\n"},
      {"[S]\na=1", "[S]\na=1\nk=v\n"},
      {"[T]\na=1\n", "[T]\na=1\n[S]\nk=v\n"},
      {"[S]\n; K=note\n[T]\n", "[S]\nk=v\n; K=note\n[T]\n"},
  };
  for (const auto& e : edits) EXPECT_EQ(IniTextWithValue(e.Text, "S", "k", "v"), e.Want) << e.Text;
}

TEST(TextFiles, WritesRefuseWhatTheFileCannotHold) {
  TempDir dir;
  LogCapture log;
  CFAGlobalVar var;
  var.LocateFiles(dir / "P.exe");
  WriteFileW(var.SettingsPath, "[Setting]\r\nLastProf=old\r\n");
  // Code page 1252 holds é and €, not Ж nor the ā that a best fit makes "a".
  var.InfoWriteString("Setting", "LastProf", "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ReadText(var.SettingsPath), "[Setting]\r\nLastProf=Caf\xE9 \x80\r\n");
  for (const char* refused : {"\xD0\x96", "\xC4\x81"}) {
    var.InfoWriteString("Setting", "LastProf", std::string("x") + refused);
    EXPECT_EQ(var.InfoReadString("Setting", "LastProf", ""), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_NE(log.Text().find(std::string("'") + refused + "' cannot be held"), std::string::npos)
        << refused;
  }

  // A UTF-8 file beyond the limit is neither read nor written.
  const std::string big =
      kBom + "[Setting]\r\nProfRoot=Big\r\n; " + std::string(kMaxUtf8IniBytes, 'x') + "\r\n";
  WriteFileW(var.SettingsPath, big);
  var.LocateFiles(dir / "P.exe");
  EXPECT_EQ(var.ProfRoot, "Ombrix");
  var.InfoWriteString("Setting", "LastProf", "new");
  EXPECT_EQ(ReadText(var.SettingsPath), big);
  EXPECT_NE(log.Text().find("not read"), std::string::npos);
}

// Every value of a shipped string file, taken from its bytes by hand, is
// what the program reads: code page 1252 without the mark, UTF-8 with it.
TEST(TextFiles, TheShippedStringFilesReadAsWritten) {
  std::map<std::string, std::string> spots = {
      {"WirelessUtility.ini", "Signal Strength"},
      {"WirelessUtility.de.ini", "Signalst\xC3\xA4rke"},
      {"WirelessUtility.fr.ini", "Puissance du signal"},
      {"WirelessUtility.ru.ini",
       "\xD0\xA3\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5\xD0\xBD\xD1\x8C \xD1\x81\xD0\xB8\xD0\xB3\xD0\xBD"
       "\xD0\xB0\xD0\xBB\xD0\xB0"},
  };
  for (const auto& [name, signal] : spots) {
    const std::string path = kDataDir + name;
    std::string bytes = ReadText(path);
    const bool utf8 = bytes.compare(0, 3, kBom) == 0;
    EXPECT_EQ(utf8, name == "WirelessUtility.fr.ini" || name == "WirelessUtility.ru.ini") << name;
    if (utf8) bytes.erase(0, 3);
    const CIniFile file(path);
    EXPECT_EQ(file.ReadText("FrameLinkInfo", "LbSignal", "", 1252), signal) << name;
    std::string section;
    std::map<std::string, int> seen;
    int checked = 0;
    for (const std::string& line : SplitLines(bytes)) {
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        section = line.substr(1, line.find(']') - 1);
        continue;
      }
      const size_t eq = line.find('=');
      if (eq == std::string::npos || seen[section + "/" + line.substr(0, eq)]++) continue;
      const std::string raw = line.substr(eq + 1);
      const std::string want = utf8 ? raw : FromCodePage(raw, 1252);
      EXPECT_TRUE(IsUtf8(want)) << name << " " << line;
      EXPECT_EQ(file.ReadText(section, line.substr(0, eq), "<absent>", 1252), want)
          << name << " [" << section << "] " << line;
      ++checked;
    }
    EXPECT_GT(checked, 300) << name;
  }
}

}  // namespace
