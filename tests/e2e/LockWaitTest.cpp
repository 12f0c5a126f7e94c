// The real program while its worker is stuck inside the library with the
// library lock taken (a connection whose OMXWL_SetWLANStatus does not come
// back): the window keeps answering, a click that needs the library waits
// its turn with its button showing it, and past the bound the user is told
// that the adapter is not answering. Once the library answers, the same
// click works.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e/Driver.h"

using namespace e2e;

namespace {

size_t CountOf(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(LockWait, AClickWhileTheWorkerIsStuckInTheLibraryWaitsAndIsToldNotAnswering) {
  // The world's last section is [Faults].
  TProgram p("Delay.OMXWL_SetWLANStatus=120000\n");
  ASSERT_TRUE(p.Start()) << p.Log();
  // The start-up connection is inside the library, holding the lock.
  p.Pinger().SetContext("start-up connection");
  ASSERT_TRUE(p.WaitFor([&] { return CountOf(p.Log(), "call OMXWL_SetWLANStatus") > 0; }))
      << p.Log();
  EXPECT_EQ(CountOf(p.Log(), "call OMXWL_SetWLANStatus end"), 0u);

  // The survey page scans as it shows: the scan waits, its button disabled.
  p.Pinger().SetContext("survey page while the library is held");
  p.ClickTab(1);
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Scan") != nullptr; }));
  HWND scan = p.Button("Scan");
  ASSERT_TRUE(p.WaitFor([&] { return p.Log().find("libqueue: Scan waits") != std::string::npos; }))
      << p.Log();
  EXPECT_FALSE(IsWindowEnabled(scan)) << "a waiting scan shows on its button";

  // Past the bound: dropped, one message box, the button given back.
  p.Pinger().SetContext("waiting for the not-answering message");
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() != nullptr; })) << p.Log();
  EXPECT_NE(p.Log().find("actions dropped"), std::string::npos) << p.Log();
  EXPECT_EQ(CountOf(p.Log(), "libqueue: Scan runs"), 0u);
  EXPECT_TRUE(IsWindowEnabled(scan));
  p.Pinger().SetContext("closing the message");
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));

  // The library answers again: the connection ends and Scan scans.
  p.Pinger().SetContext("library free again");
  const std::string world = ReadText(p.Folder() + "OMXWL.world");
  WriteText(p.Folder() + "OMXWL.world", world.substr(0, world.find("Delay.")));
  ASSERT_TRUE(p.WaitFor([&] { return CountOf(p.Log(), "call OMXWL_SetWLANStatus end") > 0; }))
      << p.Log();
  HWND list = p.Find("SysListView32");
  ASSERT_NE(list, nullptr);
  p.Pinger().SetContext("Scan after the library came back");
  ASSERT_TRUE(p.WaitFor([&] { return IsWindowEnabled(scan) != FALSE; }));
  p.Click(scan);
  EXPECT_TRUE(p.WaitFor([&] { return ListCount(list) > 0; })) << "Scan did not scan";

  std::printf(
      "lock wait: %ld pings, longest answer %lu ms (of it %lu ms waiting for the library "
      "lock; during: %s)\n",
      p.Pinger().Pings(), static_cast<unsigned long>(p.Pinger().LongestMs()),
      static_cast<unsigned long>(p.Pinger().LongestLockMs()), p.Pinger().LongestContext().c_str());
  EXPECT_EQ(p.Pinger().Unanswered(), 0);
  // The interface thread's waits for the lock are bounded at 50 ms; before,
  // it sat in one for as long as the library call lasted.
  EXPECT_LT(p.Pinger().LongestLockMs(), 1000u) << p.Pinger().LongestContext();
  EXPECT_EQ(p.ExceptionLine(), "");
  EXPECT_TRUE(p.Close());
}
