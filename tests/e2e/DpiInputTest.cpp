// The real program on a display at 150 % (LogPixels 144), used with the
// mouse: it draws at 144 DPI, its window is the 96-DPI size scaled, and a
// click at the scaled place of a tab or a button does what it does at
// 100 %, the window answering all along.
#include <gtest/gtest.h>

#include "e2e/Driver.h"

using namespace e2e;

namespace {

// The display scale of the prefix for the processes started from now on;
// the old value comes back when the test ends, however it ends.
class LogPixels {
 public:
  explicit LogPixels(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &old_,
                        &size) == ERROR_SUCCESS;
    set_ = Write(dpi);
  }
  ~LogPixels() {
    if (had_)
      Write(old_);
    else
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels");
  }
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;
  bool Set() const { return set_; }

 private:
  static constexpr const char* kKey = "Control Panel\\Desktop";
  static bool Write(DWORD v) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &v, sizeof v) ==
           ERROR_SUCCESS;
  }
  DWORD old_ = 96;
  bool had_ = false;
  bool set_ = false;
};

// Tabs of the main window in station mode, and the button only each page has
// (the link page has none of them).
constexpr const char* kPageButton[] = {nullptr, "Scan", "Add", "Save"};

TEST(DpiInput, AtOneAndAHalfTimesTabsAndButtonsWorkWhereTheyAreDrawn) {
  LogPixels scale(144);
  ASSERT_TRUE(scale.Set());
  TProgram p;
  ASSERT_TRUE(p.Start()) << p.Log();
  ASSERT_EQ(p.Dpi(), 144u) << "the driver would click at 96-DPI places";
  // Wine tells another process's window's DPI as the asker's own: the
  // window's scale shows in its size.
  RECT client{};
  GetClientRect(p.Main(), &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(LONG{900}, LONG{660}));

  auto onPage = [&](int tab) {
    return p.WaitFor([&] {
      for (int i = 1; i < 4; ++i)
        if ((p.Button(kPageButton[i]) != nullptr) != (i == tab)) return false;
      return true;
    });
  };
  for (int tab : {1, 2, 3, 0, 1}) {
    p.Pinger().SetContext("tab " + std::to_string(tab));
    p.ClickTab(tab);
    EXPECT_TRUE(onPage(tab)) << "tab " << tab << " at its scaled place showed another page";
  }

  // The survey: Scan (right edge 8 left of Connect), then the first row and
  // Connect; the page goes (to the link page, or to the wizard for a key).
  HWND list = p.Find("SysListView32");
  ASSERT_NE(list, nullptr);
  p.Pinger().SetContext("Scan");
  p.ClickClient(406, 370);
  EXPECT_TRUE(p.WaitFor([&] { return ListCount(list) > 0; })) << "Scan did not scan";
  p.Pinger().SetContext("first row, Connect");
  p.ClickClient(140, 180);
  EXPECT_TRUE(p.WaitFor([&] { return ListSelected(list) == 0; })) << "the first row was not hit";
  p.ClickClient(514, 370);
  EXPECT_TRUE(p.WaitFor([&] { return p.Button("Scan") == nullptr; })) << "Connect did nothing";

  // The chart button of the link page opens the chart, at the same scale.
  p.Pinger().SetContext("chart");
  p.ClickTab(0);
  ASSERT_TRUE(onPage(0));
  auto chart = [&] {
    for (HWND w : p.ShownWindows())
      if (w != p.Main() && p.ClassOf(w) == "WuForm") return w;
    return HWND{};
  };
  p.ClickClient(545, 135);
  HWND shown = nullptr;
  ASSERT_TRUE(p.WaitFor([&] { return (shown = chart()) != nullptr; })) << "no chart";
  GetClientRect(shown, &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(LONG{690}, LONG{450}));
  p.Foreground();
  p.Key(VK_ESCAPE);
  EXPECT_TRUE(p.WaitFor([&] { return chart() == nullptr; })) << "Escape left the chart open";

  // The window answered all along.
  EXPECT_EQ(p.Pinger().Unanswered(), 0)
      << "longest wait " << p.Pinger().LongestMs() << " ms during: " << p.Pinger().LongestContext();
  EXPECT_EQ(p.ExceptionLine(), "");
  EXPECT_TRUE(p.Close());
}

}  // namespace
