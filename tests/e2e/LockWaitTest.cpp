// The real program while its worker is stuck in the library holding the
// lock: the window answers, a click that needs the library waits with its
// button disabled, timers skip their reads, and past the bound the user is
// told that the adapter is not answering.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "e2e/Driver.h"

using namespace e2e;
using wutest::ReadText;
using wutest::WriteText;

TEST(LockWait, AClickWhileTheWorkerIsStuckInTheLibraryWaitsAndIsToldNotAnswering) {
  // The world's last section is [Faults].
  TProgram p("Delay.OMXWL_SetWLANStatus=120000\n");
  ASSERT_TRUE(p.Start()) << p.Log();
  auto logged = [&](const char* text) { return p.Log().find(text) != std::string::npos; };
  // The start-up connection is inside the library, holding the lock.
  ASSERT_TRUE(p.WaitFor([&] { return logged("call OMXWL_SetWLANStatus"); })) << p.Log();
  EXPECT_FALSE(logged("SetWLANStatus end"));

  // Delete, asked and answered: the removal waits.
  p.Pinger().SetContext("Delete while the library is held");
  p.ClickTab(2);
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Delete") != nullptr; }));
  HWND del = p.Button("Delete");
  HWND rows = p.Find("SysListView32");
  ASSERT_NE(rows, nullptr);
  auto askDelete = [&] {
    // The first row: just under the list's header.
    RECT list{}, header{};
    GetWindowRect(rows, &list);
    GetWindowRect(FindWindowExA(rows, nullptr, "SysHeader32", nullptr), &header);
    p.ClickAt({list.left + 40, std::max(list.top, header.bottom) + 8});
    ASSERT_TRUE(p.WaitFor([&] { return ListSelected(rows) == 0; }));
    p.Click(del);
    ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() != nullptr; })) << "no question";
    p.Key('O', {VK_MENU});
    ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));
  };
  askDelete();
  ASSERT_TRUE(p.WaitFor([&] { return logged("libqueue: Delete waits"); })) << p.Log();
  EXPECT_FALSE(IsWindowEnabled(del)) << "a waiting removal shows on its button";

  // Past the bound: dropped, one message box, the button given back.
  p.Pinger().SetContext("waiting for the not-answering message");
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() != nullptr; })) << p.Log();
  EXPECT_TRUE(logged("1 actions dropped")) << p.Log();
  EXPECT_FALSE(logged("libqueue: Delete runs"));
  EXPECT_TRUE(IsWindowEnabled(del));
  EXPECT_EQ(p.ProfileOrder().size(), 1u) << "a dropped removal removed";
  p.Pinger().SetContext("closing the message");
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));

  // The library answers: the survey's timer gets its list, Delete removes.
  p.Pinger().SetContext("library free again");
  const std::string world = ReadText(p.Folder() + "OMXWL.world");
  WriteText(p.Folder() + "OMXWL.world", world.substr(0, world.find("Delay.")));
  ASSERT_TRUE(p.WaitFor([&] { return logged("SetWLANStatus end"); })) << p.Log();
  EXPECT_TRUE(logged("gave up")) << "the survey's reads were not skipped";
  p.ClickTab(1);
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Scan") != nullptr; }));
  HWND sites = p.Find("SysListView32");
  ASSERT_NE(sites, nullptr);
  EXPECT_TRUE(p.WaitFor([&] { return ListCount(sites) > 0; })) << "the survey stayed empty";
  p.Pinger().SetContext("Delete after the library came back");
  p.ClickTab(2);
  ASSERT_TRUE(p.WaitFor([&] { return IsWindowVisible(del) != FALSE; }));
  askDelete();
  EXPECT_TRUE(p.WaitFor([&] { return p.ProfileOrder().empty(); })) << p.Log();

  std::printf(
      "lock wait: %ld pings, longest answer %lu ms (of it %lu ms waiting for the library "
      "lock; during: %s)\n",
      p.Pinger().Pings(), static_cast<unsigned long>(p.Pinger().LongestMs()),
      static_cast<unsigned long>(p.Pinger().LongestLockMs()), p.Pinger().LongestContext().c_str());
  EXPECT_EQ(p.Pinger().Unanswered(), 0);
  // Bounded at 50 ms; before, a wait lasted as long as the library call.
  EXPECT_LT(p.Pinger().LongestLockMs(), 1000u) << p.Pinger().LongestContext();
  EXPECT_EQ(p.ExceptionLine(), "");
  EXPECT_TRUE(p.Close());
}
