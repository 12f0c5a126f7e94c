// The shared utility routines.
#include <gtest/gtest.h>

#include <climits>

#include "app/TestSupport.h"
#include "config/Uutility.h"

using namespace wutest;

namespace {

TEST(Utility, FileVersionInEveryLength) {
  const std::string dll = ModuleDir() + "OMXFAKE.DLL";  // version 5.1.2600.0
  EXPECT_EQ(GetFileVersionText(dll, 1), "5");
  EXPECT_EQ(GetFileVersionText(dll, 2), "5.1");
  EXPECT_EQ(GetFileVersionText(dll, 3), "5.1.2600");
  EXPECT_EQ(GetFileVersionText(dll, 4), "5.1.2600.0");
  EXPECT_EQ(GetFileVersionText(dll, 0), "5.1.2600.0");
  EXPECT_EQ(GetFileVersionText(ModuleDir() + "missing.dll", 4), "");
  TempDir dir;
  WriteText(dir / "plain.sys", "no resources here");
  EXPECT_EQ(GetFileVersionText(dir / "plain.sys", 4), "");
}

TEST(Utility, DriverPathBelowWindowsThenInTheDriversFolder) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string w = std::string(windows) + "\\";
  const std::string name = "wutest" + std::to_string(GetCurrentProcessId()) + ".sys";
  const std::string inDrivers = w + "System32\\Drivers\\" + name;
  const std::string inWindows = w + "wutest_top.sys";
  WriteText(inDrivers, "x");
  WriteText(inWindows, "x");
  EXPECT_EQ(ResolveDriverPath(name), inDrivers);
  EXPECT_EQ(ResolveDriverPath("system32\\drivers\\" + name), w + "system32\\drivers\\" + name);
  EXPECT_EQ(ResolveDriverPath("elsewhere\\deeper\\" + name), inDrivers);
  EXPECT_EQ(ResolveDriverPath("wutest_top.sys"), inWindows);
  EXPECT_EQ(ResolveDriverPath("nowhere_at_all.sys"), "");
  EXPECT_EQ(ResolveDriverPath(""), "");
  DeleteFileA(inDrivers.c_str());
  DeleteFileA(inWindows.c_str());
}

TEST(Utility, FileExistsOnlyForFiles) {
  TempDir dir;
  WriteText(dir / "here.txt", "x");
  EXPECT_TRUE(::FileExists(dir / "here.txt"));
  EXPECT_FALSE(::FileExists(dir / "missing.txt"));
  EXPECT_FALSE(::FileExists(ModuleDir())) << "a folder is not a file";
  EXPECT_FALSE(::FileExists(""));
}

TEST(Utility, ComboSelectionByItemData) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 80, 100,
                               parent, nullptr, nullptr, nullptr);
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(SelectComboByData(combo, 0));
  const intptr_t data[] = {10, 20, 20, -1};
  for (intptr_t d : data) {
    const LRESULT i = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    SendMessageA(combo, CB_SETITEMDATA, i, d);
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  EXPECT_TRUE(SelectComboByData(combo, 20));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);  // the first match
  EXPECT_FALSE(SelectComboByData(combo, 30));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(SelectComboByData(combo, -1));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 3);
  DestroyWindow(parent);
}

TEST(Utility, HexText) {
  EXPECT_TRUE(IsHexText(""));
  EXPECT_TRUE(IsHexText("0123456789abcdefABCDEF"));
  EXPECT_FALSE(IsHexText("12 34"));
  EXPECT_FALSE(IsHexText("0x12"));
  EXPECT_FALSE(IsHexText("G"));
  EXPECT_FALSE(
      IsHexText(std::string("12\0"
                            "34",
                            5)));
}

TEST(Utility, IntegerListsCountEverythingButStoreOnlyWhatFits) {
  int32_t v[8];
  auto parse = [&](const std::string& text, int n) {
    std::fill(std::begin(v), std::end(v), -999);
    return ParseIntList(text, v, n);
  };
  EXPECT_EQ(parse("1,2,3,4,5", 2), 5);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], -999);
  EXPECT_EQ(parse(" 2 4\t6 ,, 8 ", 8), 4);
  EXPECT_EQ(v[3], 8);
  EXPECT_EQ(parse("a,-7,+3,x9,\"12\",\"1 2\",2147483648,-2147483648", 8), 4);
  EXPECT_EQ(v[0], -7);
  EXPECT_EQ(v[1], 3);
  EXPECT_EQ(v[2], 12);
  EXPECT_EQ(v[3], INT_MIN);
  EXPECT_EQ(parse("\"5\"6,\"7", 8), 3);
  EXPECT_EQ(v[2], 7);
  EXPECT_EQ(parse("", 8), 0);
  EXPECT_EQ(parse(",,,", 8), 0);
  EXPECT_EQ(parse("36,40,44", 0), 3);
  EXPECT_EQ(v[0], -999);
  EXPECT_EQ(ParseIntList("1,2", nullptr, 5), 2);
}

TEST(Utility, EscapedLineBreaksBecomeLineFeeds) {
  EXPECT_EQ(ExpandLineBreaks("one\\ntwo\\nthree"), "one\ntwo\nthree");
  EXPECT_EQ(ExpandLineBreaks("ends\\n"), "ends\n");
  EXPECT_EQ(ExpandLineBreaks("\\\\nn"), "\\\nn");
  EXPECT_EQ(ExpandLineBreaks("no break \\t \\"), "no break \\t \\");
  EXPECT_EQ(ExpandLineBreaks(""), "");
}

}  // namespace
