// Random input, seeded: clicks inside the main window and any window it
// opens, and random keys, sent by this process through the system's input
// while the main window is pinged. It fails when a ping goes unanswered for
// 5 s, the program ends, or its debug log shows an "Exception(" line, and
// then prints the seed and the last 20 actions.
//
//   WU_MONKEY_SECONDS   length of the run (default 60)
//   WU_MONKEY_SEED      seed (default 18)
//
// tools/soak/monkey.sh runs it long. The help viewer is never opened (no F1,
// no click on the help button), and the program is not ended or hidden
// through its own controls: no Alt+F4 or Alt+Space, and clicks stay inside
// client areas, off the window captions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>

#include "config/Unotify.h"
#include "e2e/Driver.h"

using namespace e2e;

namespace {

unsigned EnvNumber(const char* name, unsigned fallback) {
  char text[32] = {};
  if (!GetEnvironmentVariableA(name, text, sizeof text)) return fallback;
  return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

class Monkey {
 public:
  Monkey(TProgram& program, unsigned seed) : p_(program), rng_(seed) {}

  // One random action; returns its description.
  std::string Act() {
    EnsureForeground();
    const int pick = Uniform(0, 99);
    if (pick < 35) return RandomClick();
    return RandomKey();
  }

  int Restores() const { return restores_; }

 private:
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string Describe(HWND w) {
    std::ostringstream s;
    s << p_.ClassOf(w);
    const std::string text = p_.Text(w);
    if (!text.empty()) s << " '" << text << "'";
    return s.str();
  }

  // The window the program's input goes to is in front; a main window that
  // was hidden (nothing here should hide it) is shown again and counted.
  void EnsureForeground() {
    if (!IsWindowVisible(p_.Main()) && p_.ShownWindows().empty()) {
      ++restores_;
      PostMessageA(p_.Main(), RegisterWindowMessageA("Ombrix_NotifyMsg"), kNotifyShow, 0);
      p_.Settle(300);
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &pid);
    if (pid != p_.Pid()) p_.Foreground();
  }

  // The help button: the main window's button without caption at the
  // left of the footer.
  bool IsHelpButton(HWND w) {
    if (!w || GetParent(w) != p_.Main() || p_.ClassOf(w) != "WuPicButton" || !p_.Text(w).empty())
      return false;
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(HWND_DESKTOP, p_.Main(), reinterpret_cast<POINT*>(&r), 2);
    return r.left == 520;
  }

  std::string RandomClick() {
    std::vector<HWND> windows = p_.ShownWindows();
    if (windows.empty()) return "no window to click";
    // Mostly the window in front (a modal box disables the others).
    HWND top = p_.Active() && IsWindowVisible(p_.Active()) && Uniform(0, 3) > 0
                   ? p_.Active()
                   : windows[static_cast<size_t>(Uniform(0, static_cast<int>(windows.size()) - 1))];
    RECT client{};
    GetClientRect(top, &client);
    if (client.right < 4 || client.bottom < 4) return "tiny window";
    POINT pt{Uniform(1, client.right - 2), Uniform(1, client.bottom - 2)};
    // Half the clicks go to the middle of a control.
    std::vector<HWND> children;
    for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!IsWindowVisible(c)) continue;
      children.push_back(c);
      for (HWND g = GetWindow(c, GW_CHILD); g; g = GetWindow(g, GW_HWNDNEXT))
        if (IsWindowVisible(g)) children.push_back(g);
    }
    if (!children.empty() && Uniform(0, 1) == 0) {
      HWND c = children[static_cast<size_t>(Uniform(0, static_cast<int>(children.size()) - 1))];
      RECT r{};
      GetWindowRect(c, &r);
      pt = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      ScreenToClient(top, &pt);
      if (!PtInRect(&client, pt)) return "control outside the client area";
    }
    ClientToScreen(top, &pt);
    HWND under = WindowFromPoint(pt);
    if (IsHelpButton(under)) return "skipped the help button";
    DWORD pid = 0;
    GetWindowThreadProcessId(under, &pid);
    if (pid != p_.Pid()) return "point not on the program";
    const std::string what =
        "click " + Describe(under) + " at " + std::to_string(pt.x) + "," + std::to_string(pt.y);
    p_.Pinger().SetContext(what);
    p_.ClickAt(pt);
    return what;
  }

  std::string RandomKey() {
    struct Named {
      WORD vk;
      const char* name;
    };
    static const Named plain[] = {
        {VK_TAB, "Tab"},      {VK_RETURN, "Enter"}, {VK_ESCAPE, "Escape"},  {VK_SPACE, "Space"},
        {VK_LEFT, "Left"},    {VK_RIGHT, "Right"},  {VK_UP, "Up"},          {VK_DOWN, "Down"},
        {VK_HOME, "Home"},    {VK_END, "End"},      {VK_BACK, "Backspace"}, {VK_DELETE, "Delete"},
        {VK_PRIOR, "PageUp"}, {VK_NEXT, "PageDown"}};
    std::string what;
    const int kind = Uniform(0, 99);
    if (kind < 50) {
      const Named& k = plain[static_cast<size_t>(Uniform(0, std::size(plain) - 1))];
      what = std::string("key ") + k.name;
      p_.Pinger().SetContext(what);
      p_.Key(k.vk);
    } else if (kind < 58) {
      what = "key Shift+Tab";
      p_.Pinger().SetContext(what);
      p_.Key(VK_TAB, {VK_SHIFT});
    } else if (kind < 68) {
      const char letter = static_cast<char>('A' + Uniform(0, 25));
      what = std::string("key Alt+") + letter;
      p_.Pinger().SetContext(what);
      p_.Key(static_cast<WORD>(letter), {VK_MENU});
    } else if (kind < 74) {
      static const char ctrl[] = {'A', 'C', 'V'};
      const char letter = ctrl[Uniform(0, 2)];
      what = std::string("key Ctrl+") + letter;
      p_.Pinger().SetContext(what);
      p_.Key(static_cast<WORD>(letter), {VK_CONTROL});
    } else if (kind < 80) {
      static const Named tabs[] = {
          {VK_TAB, "Ctrl+Tab"}, {VK_NEXT, "Ctrl+PageDown"}, {VK_PRIOR, "Ctrl+PageUp"}};
      const Named& k = tabs[static_cast<size_t>(Uniform(0, 2))];
      what = std::string("key ") + k.name;
      p_.Pinger().SetContext(what);
      p_.Key(k.vk, {VK_CONTROL});
    } else if (kind < 90) {
      const char ch = static_cast<char>(Uniform(0x20, 0x7E));
      what = std::string("type '") + ch + "'";
      p_.Pinger().SetContext(what);
      p_.Type(std::string(1, ch));
    } else {
      std::string text;
      const int n = Uniform(1, 12);
      for (int i = 0; i < n; ++i) text += static_cast<char>(Uniform(0x20, 0x7E));
      what = "type \"" + text + "\"";
      p_.Pinger().SetContext(what);
      p_.Type(text);
    }
    return what;
  }

  TProgram& p_;
  std::mt19937 rng_;
  int restores_ = 0;
};

TEST(Monkey, RandomClicksAndKeysNeverFreezeTheProgram) {
  const unsigned seconds = EnvNumber("WU_MONKEY_SECONDS", 60);
  const unsigned seed = EnvNumber("WU_MONKEY_SEED", 18);
  TProgram p;
  ASSERT_TRUE(p.Start()) << p.Log();
  Monkey monkey(p, seed);
  std::deque<std::string> last;
  long actions = 0;
  std::string failure;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < seconds * 1000u) {
    last.push_back(monkey.Act());
    if (last.size() > 20) last.pop_front();
    ++actions;
    Sleep(40);
    if (p.Pinger().Unanswered() > 0) {
      failure = "the main window did not answer a ping for 5 s";
    } else if (!p.Running()) {
      failure = "the program ended";
    } else if (actions % 25 == 0 && !p.ExceptionLine().empty()) {
      failure = "the debug log shows " + p.ExceptionLine();
    }
    if (!failure.empty()) break;
  }
  if (failure.empty() && !p.ExceptionLine().empty())
    failure = "the debug log shows " + p.ExceptionLine();
  p.Settle(300);
  std::ostringstream report;
  report << "seed " << seed << ", " << actions << " actions in " << (GetTickCount() - start) / 1000
         << " s, " << p.Pinger().Pings() << " pings, longest answer " << p.Pinger().LongestMs()
         << " ms (of it " << p.Pinger().LongestLockMs()
         << " ms waiting for the library lock; during: " << p.Pinger().LongestContext()
         << "), main window shown again " << monkey.Restores()
         << " times, focus repaired by the message loop: "
         << (p.Log().find("Focus repaired") != std::string::npos ? "yes" : "no");
  std::printf("monkey: %s\n", report.str().c_str());
  if (!failure.empty()) {
    std::ostringstream actionsText;
    for (const std::string& a : last) actionsText << "  " << a << "\n";
    ADD_FAILURE() << failure << "\n"
                  << report.str() << "\nrepeat with WU_MONKEY_SEED=" << seed << "\nlast actions:\n"
                  << actionsText.str();
  }
  if (p.Running()) {
    EXPECT_TRUE(p.Close());
  }
}

}  // namespace
