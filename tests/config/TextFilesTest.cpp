// String and settings files in a code page or in UTF-8 with a byte-order
// mark: read alike, written without damage or a best fit, shipped as read.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/TestSupport.h"
#include "config/Udefine.h"
#include "config/Uinifile.h"
#include "config/Uunicode.h"

using namespace wutest;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

void WriteFileW(const std::string& path, const std::string& bytes) {
  std::ofstream(Wide(path).c_str(), std::ios::binary) << bytes;
}
std::string ReadFileW(const std::string& path) {
  std::ifstream in(Wide(path).c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(TextFiles, ACodePageFileAndAUtf8FileReadAlike) {
  TempDir dir;
  const std::string ansi = dir / "ansi.ini", utf8 = dir / "utf8.ini";
  // Every rule the readers share; "é" stands for whatever the encoding makes of it.
  for (const auto& [path, e] : {std::pair{ansi, "\xE9"}, std::pair{utf8, "\xC3\xA9"}}) {
    WriteFileW(path,
               (path == utf8 ? kBom : "") + "; comment line [Fake]\r\n[Strings]\r\n  Plain  = Caf" +
                   e + " M" + e + "ller  \r\nQuoted=\"  padded  \"\r\nSingle='x" + e +
                   "'\r\nHalf=\"open\r\nEscape=a\\nb\r\nEmpty=\r\n;Commented=no\r\nTwice=first\r\n"
                   "twice=second\r\n[strings]\r\nSecond=2\r\nPlain=not this one\r\n[ Other ]\r\n"
                   "Num= 0x1F \r\nLast=no line end");
    const CIniFile file(path);
    std::string read;
    for (const std::string at :
         {"STRINGS/plain", "Strings/Quoted", "Strings/Single", "Strings/Half", "Strings/Escape",
          "Strings/Empty", "Strings/Commented", "Strings/TWICE", "Strings/Second", "Strings/Absent",
          "Fake/x", "Other/Num", "Other/Last"}) {
      const size_t slash = at.find('/');
      read += file.ReadText(at.substr(0, slash), at.substr(slash + 1), "-", 1252) + "|";
    }
    EXPECT_EQ(read,
              "Caf\xC3\xA9 M\xC3\xA9ller|  padded  |x\xC3\xA9|\"open|"
              "a\\nb||-|first|-|-|-|0x1F|no line end|")
        << path;
    EXPECT_EQ(file.ReadInteger("other", "NUM", 0), 31) << path;
    EXPECT_TRUE(file.ValueExists("strings", "EMPTY") && file.SectionExists("OTHER")) << path;
    EXPECT_FALSE(file.ValueExists("strings", "Second") || file.SectionExists("Fake")) << path;
    EXPECT_EQ(file.ReadSectionKeys("Strings"),
              (std::vector<std::string>{"Plain", "Quoted", "Single", "Half", "Escape", "Empty",
                                        "Twice", "twice"}))
        << path;
  }
  // The code page is the file's: Cyrillic bytes of code page 1251.
  WriteFileW(ansi, "[S]\r\nk=\xC6\xE8\r\n");
  EXPECT_EQ(CIniFile(ansi).ReadText("S", "k", "", 1251), "\xD0\x96\xD0\xB8");
}

// The program in a folder that code page 1252 cannot name reads and writes
// its files in either kind; a write never damages a UTF-8 file nor best-fits.
TEST(TextFiles, TheProgramsFilesOfBothKindsInAFolderTheCodePageCannotName) {
  TempDir dir;
  LogCapture log;
  const std::string folder = dir / "\xD0\x96urnal\\", path = folder + "Prog.bin";
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  WriteFileW(folder + "Prog.ru.ini", kBom + "[Utility]\r\nAppTitle=\xD0\x9C\xD0\xB0\r\n");
  WriteFileW(path, "[Setting]\r\nStringFile=Prog.ru.ini\r\nProfRoot=Caf\xE9\r\n");
  CFAGlobalVar var;
  var.LocateFiles(folder + "Prog.exe");
  EXPECT_EQ(var.ProfRoot + "|" + var.AppTitle, "Caf\xC3\xA9|\xD0\x9C\xD0\xB0");
  // Code page 1252 holds é and €, not Ж nor the ā that a best fit makes "a".
  var.InfoWriteString("Setting", "ProfRoot", "Caf\xC3\xA9 \xE2\x82\xAC");
  for (const std::string refused : {"\xD0\x96", "\xC4\x81"}) {
    var.InfoWriteString("Setting", "ProfRoot", "x" + refused);
    EXPECT_NE(log.Text().find("'" + refused + "' cannot be held"), std::string::npos) << refused;
  }
  EXPECT_EQ(ReadFileW(path), "[Setting]\r\nStringFile=Prog.ru.ini\r\nProfRoot=Caf\xE9 \x80\r\n");

  const std::string head =
      kBom + "; \xE2\x80\x94 kept\r\n[Setting]\r\nProfRoot = Root\r\nLastProf=";
  const std::string tail = "\r\n\r\n[Other]\r\nName=\xD0\x96\r\n[setting]\r\nLastProf=second\r\n";
  WriteFileW(path, head + "old" + tail);
  const std::string pro = "\xD0\x9F\xD1\x80\xD0\xBE \xE2\x82\xAC";
  var.InfoWriteString("Setting", "LastProf", pro);
  var.InfoWriteString("Setting", "New", " padded ");
  var.InfoWriteString("Fresh", "Key", "v");
  const std::string want = head + pro + "\r\nNew=\" padded \"" + tail + "[Fresh]\r\nKey=v\r\n";
  EXPECT_EQ(ReadFileW(path), want);
  EXPECT_EQ(var.InfoReadString("SETTING", "lastprof", ""), pro);
  // The profile form in the same file is read back whole; the rest is kept.
  WLProfile profile{}, back{};
  SetField(profile.ProfileName, "Office");
  ASSERT_TRUE(var.ProfToIniFileChecked(profile, "LastApplyProf"));
  ASSERT_TRUE(var.ProfFromIniFileChecked("LastApplyProf", back));
  EXPECT_STREQ(back.ProfileName, "Office");
  EXPECT_EQ(ReadFileW(path).rfind(want, 0), 0u);

  // A UTF-8 file beyond the limit is neither read nor written; the rewrite is
  // seen, though the file was read before.
  const std::string big =
      kBom + "[Setting]\r\nProfRoot=Big\r\n; " + std::string(kMaxUtf8IniBytes, 'x');
  WriteFileW(path, big);
  var.LocateFiles(folder + "Prog.exe");
  EXPECT_EQ(var.ProfRoot, "Ombrix");
  var.InfoWriteString("Setting", "LastProf", "new");
  EXPECT_EQ(ReadFileW(path), big);
  EXPECT_NE(log.Text().find("not read"), std::string::npos);

  // A file without line ends, or with LF only, keeps its kind of line end.
  const std::pair<const char*, const char*> edits[] = {
      {"", "[S]\r\nk=v\r\n"},
      {"[S]", "[S]\r\nk=v\r\n"},
      {"[S]\nk=old\na=1\n", "[S]\nk=v\na=1\n"},
      {"[S]\na=1", "[S]\na=1\nk=v\n"},
      {"[T]\na=1\n", "[T]\na=1\n[S]\nk=v\n"},
      {"[S]\n; K=note\n[T]\n", "[S]\nk=v\n; K=note\n[T]\n"}};
  for (const auto& [text, result] : edits)
    EXPECT_EQ(IniTextWithValue(text, "S", "k", "v"), result) << text;
}

// Every value of a shipped string file, taken from its bytes by hand, is
// what the program reads: code page 1252 without the mark, UTF-8 with it.
TEST(TextFiles, TheShippedStringFilesReadAsWritten) {
  for (const std::string lang : {"", ".de", ".fr", ".ru"}) {
    const std::string path =
        std::string("Z:") + WU_SOURCE_DIR + "/data/WirelessUtility" + lang + ".ini";
    std::string bytes = ReadText(path), section;
    const bool utf8 = bytes.rfind(kBom, 0) == 0;
    EXPECT_EQ(utf8, lang == ".fr" || lang == ".ru") << lang;
    if (utf8) bytes.erase(0, 3);
    const CIniFile file(path);
    if (lang == ".de")
      EXPECT_EQ(file.ReadText("FrameLinkInfo", "LbSignal", "", 1252), "Signalst\xC3\xA4rke");
    std::set<std::string> seen;
    for (const std::string& line : SplitLines(bytes)) {
      const size_t eq = line.find('=');
      if (!line.empty() && line[0] == '[') section = line.substr(1, line.find(']') - 1);
      if (line.empty() || line[0] == ';' || line[0] == '[' || eq == std::string::npos ||
          !seen.insert(section + "/" + line.substr(0, eq)).second)
        continue;
      const std::string raw = line.substr(eq + 1), want = utf8 ? raw : FromCodePage(raw, 1252);
      EXPECT_TRUE(IsUtf8(want)) << lang << " " << line;
      EXPECT_EQ(file.ReadText(section, line.substr(0, eq), "-", 1252), want)
          << lang << " [" << section << "] " << line;
    }
    EXPECT_GT(seen.size(), 300u) << lang;
  }
}

}  // namespace
