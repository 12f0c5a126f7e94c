// The global settings: file locations, defaults, the readers of both INI
// files, hardware ids, the Windows version classes, the startup load with
// the library, and the message-box seam.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "adapter/Ucomxlib.h"
#include "app/TestSupport.h"
#include "config/Udefine.h"
#include "config/Uunicode.h"

using namespace wutest;

namespace {

TEST(GlobalVar, DefaultsWithoutASettingsFileIgnoreEvenAPresentStringFile) {
  TempDir dir;
  WriteText(dir / "Utility.ini", "[Utility]\r\nAppTitle=Other\r\n[Common]\r\nUnknow=zz\r\n");
  CFAGlobalVar var;
  var.LocateFiles(dir / "Utility.exe");
  EXPECT_EQ(var.ExeDir, dir.Path());
  EXPECT_EQ(var.SettingsPath, dir / "Utility.bin");
  EXPECT_EQ(var.StringFilePath, dir / "Utility.ini");
  EXPECT_FALSE(var.StringFileOpen);
  EXPECT_EQ(var.AppTitle, "Utility");
  EXPECT_EQ(var.MsgTitle, "Utility Message");
  EXPECT_EQ(var.ProfRoot, "Ombrix");
  EXPECT_EQ(var.MutexName, "Ombrix_Mutex");
  EXPECT_EQ(var.LoginMutexName, "Ombrix_Login_Mutex");
  EXPECT_EQ(var.NotifyMsgName, "Ombrix_NotifyMsg");
  EXPECT_TRUE(var.HwIdList.empty());
  EXPECT_EQ(var.CommonStrings[csUnknow], "N/A");
  EXPECT_EQ(var.StrFileRead("Utility", "AppTitle", "def"), "def");
  EXPECT_EQ(var.InfoReadString("Setting", "HelpFile", "none"), "none");
  EXPECT_TRUE(var.InfoReadBool("Setting", "AutoRenewIP", true));
}

TEST(GlobalVar, SettingsNameTheRootTheIdsAndAStringFileInASubfolder) {
  TempDir dir;
  WriteText(dir / "Prog.bin",
            "; vendor settings\r\n[Setting]\r\nProfRoot=Acme\r\nHWID0=VID_1D4F&PID_0A71\r\n"
            "HWID2=VID_FFFF\r\nStringFile=lang\\de.ini\r\n");
  CreateDirectoryA((dir / "lang").c_str(), nullptr);
  WriteText(dir / "lang\\de.ini",
            "[Utility]\r\nAppTitle=Drahtlos\r\nMsgTitle=Meldung\r\n[Common]\r\nUnknow=k.A.\r\n"
            "Encrypt_WPA_WPA2_PSK=Beide\r\n");
  CFAGlobalVar var;
  var.LocateFiles(dir / "Prog.exe");
  EXPECT_EQ(var.StringFilePath, dir / "lang\\de.ini");
  EXPECT_TRUE(var.StringFileOpen);
  EXPECT_EQ(var.AppTitle, "Drahtlos");
  EXPECT_EQ(var.MsgTitle, "Meldung");
  EXPECT_EQ(var.ProfRoot, "Acme");
  EXPECT_EQ(var.MutexName, "Acme_Mutex");
  EXPECT_EQ(var.NotifyMsgName, "Acme_NotifyMsg");
  // A gap ends the list.
  EXPECT_EQ(var.HwIdList, std::vector<std::string>{"VID_1D4F&PID_0A71"});
  EXPECT_EQ(var.CommonStrings[csUnknow], "k.A.");
  EXPECT_EQ(var.SiteSecurityText(16), "k.A.");
  EXPECT_EQ(var.SiteSecurityText(1020), "Beide");
  EXPECT_EQ(var.CommonStrings[csAdHoc], "Ad-Hoc");
}

// A running instance rewrites the settings file (the last applied profile)
// while another start reads it: that start must still find the instance's
// root, not the default one. The rewrite here is what the system's profile
// writer does: empty the file, then write it again in pieces, once for each
// key of a profile, then rest until the next connection.
TEST(GlobalVar, ARewriteOfTheSettingsFileByAnotherProgramNeverGivesTheDefaultRoot) {
  TempDir dir;
  const std::string text =
      "[Setting]\r\nProfRoot=Acme\r\nHWID0=VID_1D4F\r\n[LastApplyProf]\r\nSSID=Office\r\n";
  WriteText(dir / "Prog.bin", text);
  std::atomic<bool> stop{false};
  std::atomic<int> rewrites{0};
  std::thread writer([&] {
    const size_t half = text.size() / 2;
    while (!stop) {
      HANDLE f =
          CreateFileA((dir / "Prog.bin").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, CREATE_ALWAYS, 0, nullptr);
      if (f == INVALID_HANDLE_VALUE) continue;
      DWORD n = 0;
      Sleep(1);
      WriteFile(f, text.data(), static_cast<DWORD>(half), &n, nullptr);
      Sleep(1);
      WriteFile(f, text.data() + half, static_cast<DWORD>(text.size() - half), &n, nullptr);
      CloseHandle(f);
      if (++rewrites % 10 == 0) Sleep(30);
    }
  });
  int wrong = 0, reads = 0;
  std::string seen;
  for (const DWORD end = GetTickCount() + 1500; GetTickCount() < end; ++reads) {
    CFAGlobalVar var;
    var.LocateFiles(dir / "Prog.exe");
    if (var.ProfRoot != "Acme" || var.HwIdList.size() != 1) {
      ++wrong;
      seen = var.ProfRoot;
    }
  }
  stop = true;
  writer.join();
  ASSERT_GT(rewrites, 20) << "the file was hardly rewritten";
  EXPECT_EQ(wrong, 0) << "of " << reads << " starts; one read the root " << seen;
}

// The other side: the program's own rewrite of the last applied profile
// never leaves the file without what it held, whenever it is looked at (or
// the program is killed). The file is read here as bytes, past the system's
// profile cache.
TEST(GlobalVar, WritingTheLastAppliedProfileNeverLeavesTheSettingsFileCutShort) {
  TempDir dir;
  WriteText(dir / "Prog.bin", "[Setting]\r\nProfRoot=Acme\r\nHWID0=VID_1D4F\r\n");
  CFAGlobalVar var;
  var.LocateFiles(dir / "Prog.exe");
  std::atomic<bool> stop{false};
  std::atomic<int> writes{0};
  std::thread writer([&] {
    WLProfile p{};
    while (!stop) {
      std::snprintf(p.ProfileName, sizeof p.ProfileName, "Office%d", writes.load());
      if (var.ProfToIniFileChecked(p, "LastApplyProf")) ++writes;
    }
  });
  int cut = 0, looks = 0;
  std::string seen;
  for (const DWORD end = GetTickCount() + 1500; GetTickCount() < end; ++looks) {
    // Opened as a reader that lets the file be replaced under it; a moment
    // in which it cannot be opened at all is not a file cut short.
    HANDLE h = CreateFileA((dir / "Prog.bin").c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    std::string text(4096, '\0');
    DWORD n = 0;
    ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(h);
    // Readers come and go; one that held the file all the time would keep
    // it from ever being replaced.
    Sleep(looks % 2);
    text.resize(n);
    if (text.find("ProfRoot=Acme\r\nHWID0=VID_1D4F") == std::string::npos) {
      ++cut;
      seen = text.substr(0, 60);
    }
  }
  stop = true;
  writer.join();
  ASSERT_GT(writes, 5) << "the profile was hardly written";
  EXPECT_EQ(cut, 0) << "of " << looks << " looks; one saw \"" << seen << "\"";
  WLProfile back{};
  ASSERT_TRUE(var.ProfFromIniFileChecked("LastApplyProf", back));
  EXPECT_EQ(std::string(back.ProfileName).rfind("Office", 0), 0u);
  EXPECT_EQ(GetFileAttributesA((dir / "Prog.bin.new").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the copy stays behind";
}

TEST(GlobalVar, ReadersGiveWholeValuesOrTheirDefaults) {
  TempDir dir;
  const std::string huge(100000, 'h');
  WriteText(dir / "P.bin",
            "[S]\r\nnum= 42 \r\nneg=-7\r\nhex=0x10\r\nbad=abc\r\nbig=99999999999\r\n"
            "off=0\r\non=2\r\nword=yes\r\nempty=\r\nhuge=" +
                huge + "\r\n");
  CFAGlobalVar var;
  var.LocateFiles(dir / "P.exe");
  EXPECT_EQ(var.InfoReadInteger("S", "num", 1), 42);
  EXPECT_EQ(var.InfoReadInteger("S", "neg", 1), -7);
  EXPECT_EQ(var.InfoReadInteger("S", "hex", 1), 16);
  EXPECT_EQ(var.InfoReadInteger("S", "bad", 1), 1);
  EXPECT_EQ(var.InfoReadInteger("S", "big", 1), 1);
  EXPECT_EQ(var.InfoReadInteger("S", "absent", 5), 5);
  EXPECT_FALSE(var.InfoReadBool("S", "off", true));
  EXPECT_TRUE(var.InfoReadBool("S", "on", false));
  EXPECT_FALSE(var.InfoReadBool("S", "word", false));
  EXPECT_TRUE(var.InfoReadBool("S", "absent", true));
  EXPECT_EQ(var.InfoReadString("S", "empty", "def"), "");
  EXPECT_EQ(var.InfoReadString("S", "huge", ""), huge);
  EXPECT_TRUE(var.InfoValueExists("S", "EMPTY"));
  EXPECT_FALSE(var.InfoValueExists("S", "absent"));
  EXPECT_TRUE(var.InfoSectionExists("s"));
  EXPECT_FALSE(var.InfoSectionExists("T"));
}

TEST(GlobalVar, WrittenTextsReadBackExactly) {
  TempDir dir;
  CFAGlobalVar var;
  var.LocateFiles(dir / "P.exe");  // the settings file does not exist yet
  const std::vector<std::string> texts = {"plain",    "  lead", "trail  ", "\"quoted\"",
                                          "'single'", "\"",     "a=b;c",   ""};
  for (size_t i = 0; i < texts.size(); ++i)
    var.InfoWriteString("W", "k" + std::to_string(i), texts[i]);
  // A line break cannot live in an INI value; it must not create a key.
  var.InfoWriteString("W", "inject", "x\r\nEvil=1");
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(var.InfoReadString("W", "k" + std::to_string(i), "?"), texts[i]) << i;
  }
  EXPECT_EQ(var.InfoReadString("W", "inject", "?"), "x  Evil=1");
  EXPECT_FALSE(var.InfoValueExists("W", "Evil"));
}

TEST(GlobalVar, DetectionRecordsGetTheIdsAndTheTotalIsReturned) {
  CFAGlobalVar var;
  var.HwIdList = {"VID_1D4F&PID_0A71", std::string(100, 'L'), "THIRD"};
  DetectRec recs[2];
  std::memset(recs, 0xAB, sizeof recs);
  EXPECT_EQ(var.FillDetectRecords(recs, 2), 3);
  EXPECT_EQ(FieldText(recs[0].HardwareId), "VID_1D4F&PID_0A71");
  EXPECT_EQ(FieldText(recs[1].HardwareId), std::string(63, 'L'));
  for (const DetectRec& r : recs) {
    EXPECT_EQ(r.Lib0[0], 0);
    EXPECT_EQ(r.Description[0], 0);
    EXPECT_EQ(r.Unused512[3], 0);
  }
  DetectRec many[5];
  std::memset(many, 0xAB, sizeof many);
  EXPECT_EQ(var.FillDetectRecords(many, 5), 3);
  EXPECT_EQ(many[3].HardwareId[0], static_cast<char>(0xAB));  // beyond the list: untouched
  EXPECT_EQ(var.FillDetectRecords(nullptr, 0), 3);
}

TEST(GlobalVar, SupportedIdsMatchAsSubstringsIgnoringCase) {
  CFAGlobalVar var;
  EXPECT_FALSE(var.IsSupportedHwId("USB\\VID_1D4F&PID_0A71"));
  var.HwIdList = {"vid_1d4f&pid_0a71", "PID_BEEF"};
  EXPECT_TRUE(var.IsSupportedHwId("USB\\VID_1D4F&PID_0A71&REV_0001"));
  EXPECT_TRUE(var.IsSupportedHwId("usb\\vid_0000&pid_beef"));
  EXPECT_FALSE(var.IsSupportedHwId("USB\\VID_1D4F&PID_0A72"));
  EXPECT_FALSE(var.IsSupportedHwId(""));
}

TEST(WindowsVersion, EveryWindowsHasItsClassAndTodaysAreTheNewest) {
  struct Case {
    WindowsVersion V;
    int32_t Code;
  };
  const Case cases[] = {
      {{1, 4, 0}, 1}, {{1, 4, 10}, 4}, {{1, 4, 90}, 5}, {{1, 4, 3}, 3}, {{2, 3, 51}, 0},
      {{2, 4, 0}, 2}, {{2, 5, 0}, 6},  {{2, 5, 1}, 7},  {{2, 5, 2}, 7}, {{2, 6, 0}, 7},
      {{2, 6, 1}, 7}, {{2, 6, 3}, 7},  {{2, 10, 0}, 7}, {{0, 6, 1}, 0}, {{3, 10, 0}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyWindowsVersion(c.V), c.Code)
        << c.V.PlatformId << " " << c.V.Major << "." << c.V.Minor;
  }
  // Wine reports an NT 6 system unless told otherwise.
  EXPECT_EQ(ClassifyWindowsVersion(ReadWindowsVersion()), 7);
}

WindowsVersion Windows2000() {
  return {2, 5, 0};
}

// The call log of the stand-in library currently bound.
std::string FakeCalls() {
  HMODULE m = GetModuleHandleA("OMXFAKE.DLL");
  if (!m) return "<not loaded>";
  using Fn = int32_t(__stdcall*)(char*, int32_t);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, "FakeOmx_CallLog")));
  char buf[1024] = {};
  fn(buf, sizeof buf);
  return buf;
}

TEST(GlobalVarLoad, BindsTheLibraryAndHandsItTheProfileRoot) {
  TempDir dir;
  WriteText(dir / "Prog.bin", "[Setting]\r\nProfRoot=AcmeLoad\r\n");
  SetWindowsVersionSource(Windows2000);
  CFAGlobalVar var;
  LogCapture capture;
  EXPECT_TRUE(var.LoadFor(dir / "Prog.exe", CmdUI | CmdTrayIcon, ModuleDir() + "OMXFAKE.DLL"));
  SetWindowsVersionSource(nullptr);
  EXPECT_EQ(var.CmdFlags, CmdUI | CmdTrayIcon);
  EXPECT_EQ(var.OsVersionCode, 6);
  EXPECT_NE(NotifyMsg, 0u);
  EXPECT_EQ(NotifyMsg, RegisterWindowMessageA("AcmeLoad_NotifyMsg"));
  EXPECT_TRUE(g_OmxLib.IsBound());
  EXPECT_EQ(FakeCalls(), "Initial(Ombrix,1);SetWLProfileDir(AcmeLoad);");
  EXPECT_TRUE(Contains(capture.Lines(), "call OMXWL_SetWLProfileDir end 1"));
  g_OmxLib.Unbind();
}

TEST(GlobalVarLoad, AsAServiceTheProfileRootIsNotHandedOver) {
  TempDir dir;
  CFAGlobalVar var;
  EXPECT_TRUE(var.LoadFor(dir / "Prog.exe", CmdService, ModuleDir() + "OMXFAKE.DLL"));
  EXPECT_EQ(FakeCalls(), "Initial(Ombrix,1);");
  g_OmxLib.Unbind();
}

// From a folder 1252 cannot name the library loads; the root goes over in 1252 or not at all.
TEST(GlobalVarLoad, FromAnyFolderWithTheRootInTheCodePage) {
  TempDir dir;
  const std::string folder = dir / "\xD0\x96urnal\\", lib = folder + "OMXFAKE.DLL";
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(Wide(ModuleDir() + "OMXFAKE.DLL").c_str(), Wide(lib).c_str(), FALSE));
  CFAGlobalVar var;
  LogCapture capture;
  for (const auto& [root, handed] :
       {std::pair{"Caf\xC3\xA9", "SetWLProfileDir(Caf\xE9);"}, {"\xD0\x96", ""}}) {
    std::ofstream(Wide(folder + "Prog.bin").c_str(), std::ios::binary)
        << "\xEF\xBB\xBF[Setting]\r\nProfRoot=" << root;
    ASSERT_TRUE(var.LoadFor(folder + "Prog.exe", CmdUI, lib)) << root;
    EXPECT_EQ(var.ProfRoot + FakeCalls(), std::string(root) + "Initial(Ombrix,1);" + handed);
    g_OmxLib.Unbind();
  }
  EXPECT_TRUE(
      Contains(capture.Lines(), "ProfRoot not handed to the library: '\xD0\x96' cannot be held"));
}

int g_boxCalls = 0;
int RecordingBox(HWND control, const std::string& text, int flags) {
  ++g_boxCalls;
  return control == nullptr && text == "Remove?" && flags == (MB_YESNO | MB_ICONQUESTION) ? IDYES
                                                                                          : -1;
}

TEST(MsgBoxSeam, TheInstalledBoxServesAndWithoutOneTheSystemBoxStandsIn) {
  CFAGlobalVar var;
  var.MsgTitle = "WuTest Message " + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(SetMsgBoxHandler(RecordingBox), nullptr);
  EXPECT_EQ(var.ShowMsgBox(nullptr, "Remove?", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(g_boxCalls, 1);
  EXPECT_EQ(SetMsgBoxHandler(nullptr), RecordingBox);

  int result = 0;
  std::atomic<bool> done{false};
  std::thread asker([&] {
    result = var.ShowMsgBox(nullptr, "Really?", MB_YESNO);
    done = true;
  });
  const std::string caption =
      AnswerMessageBox(GetCurrentProcessId(), "Really?", IDNO, [&] { return done.load(); });
  asker.join();
  EXPECT_EQ(caption, var.MsgTitle);
  EXPECT_EQ(result, IDNO);
  EXPECT_EQ(g_boxCalls, 1);
}

}  // namespace
