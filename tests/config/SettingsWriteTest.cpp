// Writes of the settings file go through a copy that takes the file's place:
// when that cannot be done nothing is written, the file stays whole and the
// log says why; two writers at once never lose or cut each other's change.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "app/TestSupport.h"
#include "app/Utimescale.h"
#include "config/Udefine.h"

using namespace wutest;

namespace {

size_t CountStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

TEST(SettingsWrite, AChangeThatCannotBeMadeSafelyLeavesTheFileWholeAndIsLogged) {
  const std::string plain =
      "; vendor settings\r\n[Setting]\r\nProfRoot=Acme\r\nHWID0=VID_1D4F&PID_0A71\r\n"
      "AutoRenewIP=1\r\n[LastApplyProf]\r\nProfileName=Home\r\n";
  // The UTF-8 file goes through the program's own writer, not the system's.
  const std::string utf8 = "\xEF\xBB\xBF[Setting]\r\nProfRoot=Acme\r\nNote=\xC3\xA9t\xC3\xA9\r\n";
  for (const std::string& original : {plain, utf8}) {
    SCOPED_TRACE(original.substr(0, 12));
    TempDir dir;
    const std::string file = dir / "Prog.bin", copy = file + ".new";
    WriteText(file, original);
    CFAGlobalVar var;
    var.LocateFiles(dir / "Prog.exe");
    ASSERT_TRUE(var.SettingsOpen);
    WLProfile p{};
    std::snprintf(p.ProfileName, sizeof p.ProfileName, "Office");
    LogCapture capture;
    // Every writer in turn; each must leave the file as it was.
    auto writeAll = [&] {
      var.InfoWriteString("Setting", "AutoRenewIP", "0");
      var.InfoWriteString("New", "Key", "\xC3\xA9");
      var.ProfToIniFile(p, "Saved");
      EXPECT_FALSE(var.ProfToIniFileChecked(p, "LastApplyProf"));
      EXPECT_EQ(ReadText(file), original);
    };

    // No copy can be made: another program holds a file of its name and
    // shares it with nobody.
    WriteText(copy, "left over");
    HANDLE other = CreateFileA(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    writeAll();
    CloseHandle(other);
    EXPECT_EQ(CountStarting(capture.Lines(), "CIniReplace: " + file + " could not be copied"), 4u);
    EXPECT_EQ(CountStarting(capture.Lines(), "Exception(CFAGlobalVar::InfoWrite)"), 2u);
    EXPECT_EQ(CountStarting(capture.Lines(), "ProfToIniFile exception"), 2u);
    EXPECT_EQ(ReadText(copy), "left over");
    ASSERT_TRUE(DeleteFileA(copy.c_str()));

    // The copy cannot take the file's place: a reader holds the file and
    // does not let it be replaced. It is not written over either.
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD start = GetTickCount();
    writeAll();
    EXPECT_LT(GetTickCount() - start, 4 * timescale::Ms(3000)) << "each retried for about a second";
    CloseHandle(held);
    EXPECT_EQ(CountStarting(capture.Lines(), "CIniReplace: " + file + " could not be replaced"),
              4u);
    EXPECT_TRUE(capture.Text().find("written over") == std::string::npos);
    EXPECT_FALSE(FileExists(copy)) << "the copy stays behind";

    // Free again: the same writes land.
    var.InfoWriteString("Setting", "AutoRenewIP", "0");
    EXPECT_TRUE(var.ProfToIniFileChecked(p, "LastApplyProf"));
    EXPECT_NE(ReadText(file), original);
    EXPECT_EQ(var.InfoReadString("Setting", "AutoRenewIP", "?"), "0");
    EXPECT_EQ(var.InfoReadString("Setting", "ProfRoot", "?"), "Acme");
    WLProfile back{};
    EXPECT_TRUE(var.ProfFromIniFileChecked("LastApplyProf", back));
    EXPECT_STREQ(back.ProfileName, "Office");
  }
}

// Two threads write at once, each its own keys: every change of both is
// kept and the file's other keys are never lost.
TEST(SettingsWrite, WritersAtOnceKeepEachOthersChanges) {
  TempDir dir;
  WriteText(dir / "Prog.bin", "[Setting]\r\nProfRoot=Acme\r\nHWID0=VID_1D4F\r\n");
  CFAGlobalVar var;
  var.LocateFiles(dir / "Prog.exe");
  LogCapture capture;
  auto writer = [&](const std::string& key) {
    for (int i = 0; i < 25; ++i) var.InfoWriteString("Setting", key, std::to_string(i));
  };
  std::thread a(writer, "A"), b(writer, "B");
  a.join();
  b.join();
  EXPECT_EQ(var.InfoReadString("Setting", "A", "?"), "24");
  EXPECT_EQ(var.InfoReadString("Setting", "B", "?"), "24");
  EXPECT_EQ(var.InfoReadString("Setting", "ProfRoot", "?"), "Acme");
  EXPECT_EQ(var.InfoReadString("Setting", "HWID0", "?"), "VID_1D4F");
  EXPECT_TRUE(capture.Lines().empty()) << capture.Text();
}

}  // namespace
