// Characters outside the code page typed into the real program through the
// system's input (Unicode key events), through its own message loop and its
// subclassed edit: an ANSI loop or subclass anywhere on that way turns them
// into "?", which reading the edit back in UTF-16 shows.
#include <gtest/gtest.h>

#include "e2e/Driver.h"

using namespace e2e;

namespace {

TEST(UnicodeInput, TypedCyrillicAccentAndCjkReachTheWizardsNameFieldUnchanged) {
  TProgram p;
  ASSERT_TRUE(p.Start()) << p.Log();
  // The profile page by keyboard, then its Add button: the wizard opens on
  // the profile name field.
  p.Pinger().SetContext("to the profile page");
  p.Key(VK_TAB, {VK_CONTROL});
  p.Key(VK_TAB, {VK_CONTROL});
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Add") != nullptr; }));
  p.Pinger().SetContext("Add");
  p.Click(p.Button("Add"));
  ASSERT_TRUE(p.WaitFocus("Edit")) << "the wizard's name field has no focus";
  const HWND name = p.Focus();
  p.Key(VK_HOME);
  p.Key(VK_END, {VK_SHIFT});
  p.Pinger().SetContext("typing");
  const std::string typed = "\xD0\x96 \xC3\xA9 \xE6\x97\xA5";  // Ж é 日
  p.Type(typed);
  EXPECT_TRUE(p.WaitFor([&] { return p.Text(name) == typed; }, 10000))
      << "the field shows '" << p.Text(name) << "'";
  p.Settle();
  EXPECT_EQ(p.Pinger().Unanswered(), 0) << "the window stopped answering";
  EXPECT_TRUE(p.Running());
  EXPECT_EQ(p.ExceptionLine(), "");
  if (p.Running()) {
    EXPECT_TRUE(p.Close());
  }
}

}  // namespace
