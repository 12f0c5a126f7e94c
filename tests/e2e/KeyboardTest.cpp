// The real program used from the keyboard alone, keys sent by a second
// process through the system's input, the main window pinged all along.
// Every case ends with the program still answering, no "Exception(" in its
// debug log, and no focus left on a hidden control for the message loop to
// repair.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/AccessTest.h"
#include "e2e/Driver.h"

using namespace e2e;

namespace {

// Tabs of the main window in station mode, left to right.
enum TabIndex { kTabLinkInfo = 0, kTabSurvey = 1, kTabProfile = 2, kTabAdapter = 3 };

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(p.Start()) << p.Log(); }

  void TearDown() override {
    EXPECT_EQ(p.Pinger().Unanswered(), 0)
        << "the window did not answer for " << kPingLimitMs << " ms; longest wait "
        << p.Pinger().LongestMs() << " ms during: " << p.Pinger().LongestContext();
    EXPECT_TRUE(p.Running()) << "the program ended";
    EXPECT_EQ(p.ExceptionLine(), "");
    EXPECT_EQ(p.Log().find("Focus repaired"), std::string::npos)
        << "a control kept the focus while hidden";
    if (p.Running()) {
      EXPECT_TRUE(p.Close());
    }
  }

  void Step(const std::string& what) { p.Pinger().SetContext(what); }

  // A click on a tab, as a person starts.
  void ClickTab(int index) { p.ClickTab(index); }

  std::string FocusText() {
    HWND f = p.Focus();
    std::string text = p.ClassOf(f) + " '" + p.Text(f) + "'";
    if (f) {
      RECT r{};
      GetWindowRect(f, &r);
      MapWindowPoints(HWND_DESKTOP, p.Main(), reinterpret_cast<POINT*>(&r), 2);
      text += " at " + std::to_string(r.left) + "," + std::to_string(r.top);
    }
    if (p.ClassOf(f) == "ComboBox")
      for (const std::string& item : ComboItems(f)) text += " [" + item + "]";
    return text;
  }

  // A key that moves the focus, and the wait until it has moved.
  bool Move(WORD vk, std::initializer_list<WORD> modifiers = {}) {
    HWND before = p.Focus();
    p.Key(vk, modifiers);
    return p.WaitFor([&] { return p.Focus() != before; }, 5000);
  }

  // Tab until the focus is on the button with this caption.
  bool TabToButton(const std::string& caption, bool back = false) {
    for (int i = 0; i < 24; ++i) {
      HWND f = p.Focus();
      if (p.ClassOf(f) == "WuPicButton" && p.Text(f) == caption) return true;
      if (back)
        Move(VK_TAB, {VK_SHIFT});
      else
        Move(VK_TAB);
    }
    return false;
  }

  // Enter until the button with this caption shows (the wizard's pages).
  bool EnterUntilShown(const std::string& caption, int most = 8) {
    for (int i = 0; i < most; ++i) {
      if (p.Button(caption)) return true;
      const HWND before = p.Focus();
      p.Key(VK_RETURN);
      // The next Enter only once this one has moved on: a page switch can
      // wait for the library lock while a connection starts, and an Enter
      // sent before it lands would press the next page's button unseen.
      p.WaitFor(
          [&] {
            const HWND now = p.Focus();
            return p.Button(caption) != nullptr || (now && now != before);
          },
          15000);
    }
    return p.Button(caption) != nullptr;
  }

  bool FocusIsEdit() { return p.WaitFocus("Edit"); }

  // The profile page from the start (link info) with Ctrl+Tab, then Add.
  void OpenWizardAdd() {
    if (!p.Button("Add")) {
      Step("Ctrl+Tab to the profile page");
      p.Key(VK_TAB, {VK_CONTROL});
      p.Key(VK_TAB, {VK_CONTROL});
      ASSERT_TRUE(p.WaitFocus("SysListView32")) << "focus on " << FocusText();
    }
    // The list takes the focus as the page shows; its buttons may show a
    // moment later on a loaded machine.
    ASSERT_TRUE(p.WaitFor([&] { return p.Button("Add") != nullptr; }));
    Step("Tab to Add");
    ASSERT_TRUE(TabToButton("Add")) << "focus on " << FocusText();
    p.Key(VK_RETURN);
    ASSERT_TRUE(p.WaitFocus("Edit")) << "the wizard's name field has no focus";
  }

  void NameAndSsid(const std::string& name, const std::string& ssid) {
    Step("name and SSID");
    p.Type(name);
    ASSERT_TRUE(Move(VK_TAB));
    ASSERT_TRUE(p.WaitFocus("Edit"));
    p.Type(ssid);
  }

  // Items of the focused drop-down list.
  std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n && i < 64; ++i) {
      // Across processes the text comes in UTF-16 whatever was asked.
      wchar_t wide[256] = {};
      char text[512] = {};
      if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 255)
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
      WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
      items.push_back(text);
    }
    return items;
  }

  int IndexOf(const std::vector<std::string>& items, const std::string& text) {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == text) return static_cast<int>(i);
    return -1;
  }

  // Tab (or Shift+Tab) until a drop-down list that offers item has the focus.
  bool TabToCombo(const std::string& item, bool back) {
    for (int i = 0; i < 16; ++i) {
      HWND f = p.Focus();
      if (p.ClassOf(f) == "ComboBox" && IndexOf(ComboItems(f), item) >= 0) return true;
      if (back)
        Move(VK_TAB, {VK_SHIFT});
      else
        Move(VK_TAB);
    }
    return false;
  }

  // The same for a list with an item that contains part.
  bool TabToComboWith(const std::string& part, bool back) {
    for (int i = 0; i < 16; ++i) {
      HWND f = p.Focus();
      if (p.ClassOf(f) == "ComboBox")
        for (const std::string& item : ComboItems(f))
          if (item.find(part) != std::string::npos) return true;
      if (back)
        Move(VK_TAB, {VK_SHIFT});
      else
        Move(VK_TAB);
    }
    return false;
  }

  // Picks item in the focused drop-down list with Home and Down.
  void Choose(const std::string& item) {
    HWND combo = p.Focus();
    ASSERT_EQ(p.ClassOf(combo), "ComboBox");
    const int index = IndexOf(ComboItems(combo), item);
    ASSERT_GE(index, 0) << item << " is not offered";
    p.Key(VK_HOME);
    for (int i = 0; i < index; ++i) p.Key(VK_DOWN);
    ASSERT_TRUE(p.WaitFor(
        [&] { return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)) == index; }));
  }

  // The security page, reached with Enter: the type chosen there.
  void Security(const std::string& type) {
    Step("security " + type);
    ASSERT_TRUE(p.WaitFor([&] {
      HWND f = p.Focus();
      return p.ClassOf(f) == "ComboBox" && IndexOf(ComboItems(f), "WEP") >= 0;
    })) << "the security page has no focus; focus on "
        << FocusText();
    Choose(type);
  }

  // From a detail page on: Enter on every forward button (Next, Save,
  // Activate now), then the link.
  void FinishWithEnter(const std::string& ssid, bool withAddress = true) {
    Step("Enter through the pages");
    ASSERT_TRUE(EnterUntilShown("Save"));
    ASSERT_TRUE(p.WaitFocus("WuPicButton", "Save")) << "focus on " << FocusText();
    Step("Enter on Save");
    p.Key(VK_RETURN);
    ASSERT_TRUE(p.WaitFocus("WuPicButton", "Activate now")) << "focus on " << FocusText();
    Step("Enter on Activate now");
    p.Key(VK_RETURN);
    EXPECT_TRUE(p.WaitLinked(ssid, withAddress)) << p.Status();
  }

  std::vector<std::string> Order() { return p.ProfileOrder(); }

  TProgram p;
};

// The freeze as a user met it: a profile made with the keyboard, and Enter
// on the focused Save of the summary page (and before, on the focused Add).
TEST_F(Keyboard, WizardOpenProfileSavedAndActivatedWithEnter) {
  Step("profile tab by mouse, then Tab into the page");
  ClickTab(kTabProfile);
  ASSERT_TRUE(p.WaitFor([&] { return p.Focus() == p.Main() && p.Button("Add"); }))
      << "the tab strip has no focus: " << FocusText();
  ASSERT_TRUE(Move(VK_TAB));
  ASSERT_TRUE(p.WaitFocus("SysListView32")) << "focus on " << FocusText();
  Step("Tab to Add");
  ASSERT_TRUE(TabToButton("Add")) << "focus on " << FocusText();
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFocus("Edit")) << "the wizard's name field has no focus";
  NameAndSsid("Home", "Ombrix-Open");
  p.Key(VK_RETURN);  // Next, from the edit
  Security("Disabled");
  FinishWithEnter("Ombrix-Open");
  const std::vector<std::string> order = Order();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.back(), "Home");
}

TEST_F(Keyboard, WizardWepByPassPhrase) {
  OpenWizardAdd();
  NameAndSsid("Wep64", "Ombrix-WEP64");
  p.Key(VK_RETURN);
  Security("WEP");
  p.Key(VK_RETURN);
  Step("WEP page");
  ASSERT_TRUE(p.WaitFocus("Edit")) << "pass phrase field: focus on " << FocusText();
  // The key length first: Shift+Tab back to its list (64 or 128 bits).
  ASSERT_TRUE(TabToComboWith("64", true)) << "focus on " << FocusText();
  for (const std::string& item : ComboItems(p.Focus()))
    if (item.find("64") != std::string::npos) {
      Choose(item);
      break;
    }
  Step("pass phrase");
  Move(VK_TAB);  // authentication
  Move(VK_TAB);  // pass phrase
  ASSERT_TRUE(p.WaitFocus("Edit"));
  p.Type("ombrix");
  FinishWithEnter("Ombrix-WEP64");
  EXPECT_EQ(Order().back(), "Wep64");
}

// A pass phrase makes all four WEP keys; a key typed over one of them (here
// the third, the transmit key) no longer comes from the phrase, so the
// phrase field empties, whichever key it was.
TEST_F(Keyboard, WepKeyTypedOverEmptiesThePassPhrase) {
  OpenWizardAdd();
  NameAndSsid("Typed", "Ombrix-WEP64");
  p.Key(VK_RETURN);
  Security("WEP");
  p.Key(VK_RETURN);
  Step("pass phrase");
  ASSERT_TRUE(p.WaitFocus("Edit")) << "pass phrase field: focus on " << FocusText();
  const HWND phrase = p.Focus();
  p.Type("ombrix");
  ASSERT_TRUE(p.WaitFor([&] { return p.Text(phrase) == "ombrix"; }));
  Step("transmit key 3");
  ASSERT_TRUE(TabToCombo("4", false)) << "focus on " << FocusText();
  Choose("3");
  ASSERT_TRUE(Move(VK_TAB));
  ASSERT_TRUE(p.WaitFocus("Edit")) << "focus on " << FocusText();
  const HWND key = p.Focus();
  ASSERT_TRUE(p.WaitFor([&] { return !p.Text(key).empty(); })) << "the phrase made no third key";
  EXPECT_EQ(p.Text(phrase), "ombrix") << "keys made from the phrase keep it";
  Step("type over the third key");
  p.Key(VK_HOME);
  p.Key(VK_END, {VK_SHIFT});
  p.Type("0123456789");
  EXPECT_TRUE(p.WaitFor([&] { return p.Text(phrase).empty(); }))
      << "the phrase stayed: '" << p.Text(phrase) << "'";
  EXPECT_EQ(p.Text(key), "0123456789");
  Step("Escape");
  p.Key(VK_ESCAPE);
  ASSERT_TRUE(p.WaitFocus("SysListView32")) << "Escape did not leave the wizard";
}

TEST_F(Keyboard, WizardWpa2Psk) {
  OpenWizardAdd();
  NameAndSsid("Aes", "Ombrix-WPA2-AES");
  p.Key(VK_RETURN);
  Security("WPA2-PSK");
  p.Key(VK_RETURN);
  Step("pass phrase");
  ASSERT_TRUE(p.WaitFocus("Edit"));
  p.Type("OmbrixAES2");
  FinishWithEnter("Ombrix-WPA2-AES");
  EXPECT_EQ(Order().back(), "Aes");
}

TEST_F(Keyboard, Wizard8021xWithPeap) {
  OpenWizardAdd();
  NameAndSsid("Corp", "Ombrix-Corp");
  p.Key(VK_RETURN);
  Security("WPA2");
  p.Key(VK_RETURN);
  Step("802.1X page");
  ASSERT_TRUE(p.WaitFocus("Edit")) << "login name: focus on " << FocusText();
  ASSERT_TRUE(TabToCombo("PEAP", true));
  Choose("PEAP");
  Step("login");
  for (int i = 0; i < 4 && p.ClassOf(p.Focus()) != "Edit"; ++i) Move(VK_TAB);
  ASSERT_EQ(p.ClassOf(p.Focus()), "Edit");
  p.Type("alice");
  ASSERT_TRUE(Move(VK_TAB));
  ASSERT_TRUE(p.WaitFocus("Edit"));
  p.Type("wonderland");
  FinishWithEnter("Ombrix-Corp");
  EXPECT_EQ(Order().back(), "Corp");
}

TEST_F(Keyboard, WizardAdHocChosenWithTheArrowKeys) {
  OpenWizardAdd();
  NameAndSsid("Party", "Ombrix-AdHoc");
  Step("ad hoc");
  // Tab reaches the checked button of the pair (infrastructure); Down
  // moves to the other one (ad hoc) and checks it, as in any dialog.
  HWND infra = nullptr;
  for (int i = 0; i < 6 && !infra; ++i) {
    Move(VK_TAB);
    HWND f = p.Focus();
    if (p.ClassOf(f) == "Button" && SendMessageA(f, BM_GETCHECK, 0, 0) == BST_CHECKED) infra = f;
  }
  ASSERT_TRUE(infra) << "focus on " << FocusText();
  ASSERT_TRUE(Move(VK_DOWN));
  HWND adHoc = p.Focus();
  ASSERT_EQ(p.ClassOf(adHoc), "Button");
  ASSERT_TRUE(p.WaitFor([&] { return SendMessageA(adHoc, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  EXPECT_EQ(SendMessageA(infra, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  p.Key(VK_SPACE);  // stays checked
  ASSERT_TRUE(p.WaitFor([&] { return SendMessageA(adHoc, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  Step("Tab on to Next");
  ASSERT_TRUE(TabToButton("Next"));
  p.Key(VK_RETURN);  // the mode page
  ASSERT_TRUE(p.WaitFocus("ComboBox"));
  p.Key(VK_RETURN);
  Security("Disabled");
  FinishWithEnter("Ombrix-AdHoc", false);  // no DHCP between two stations
  EXPECT_EQ(Order().back(), "Party");
}

TEST_F(Keyboard, HiddenNetworkMadeWithAdd) {
  OpenWizardAdd();
  NameAndSsid("Ombrix-Hidden", "Ombrix-Hidden");
  p.Key(VK_RETURN);
  Security("WPA2-PSK");
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFocus("Edit"));
  p.Type("OmbrixHidden");
  FinishWithEnter("Ombrix-Hidden");
  EXPECT_EQ(Order().back(), "Ombrix-Hidden");
}

// Back goes one page back, Escape leaves the wizard without storing.
TEST_F(Keyboard, BackAndEscapeInTheWizard) {
  const std::vector<std::string> before = Order();
  OpenWizardAdd();
  NameAndSsid("Never", "Ombrix-Open");
  p.Key(VK_RETURN);
  Security("WEP");
  Step("Back");
  ASSERT_TRUE(TabToButton("Back"));
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFocus("Edit")) << "Back did not return to the first page";
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Scan") != nullptr; })) << "not the first page";
  Step("Enter, Enter: on to the WEP page");
  p.Key(VK_RETURN);
  Security("WEP");
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFocus("Edit"));
  Step("Escape");
  p.Key(VK_ESCAPE);
  ASSERT_TRUE(p.WaitFocus("SysListView32")) << "Escape did not leave the wizard";
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Add") != nullptr; }));
  EXPECT_EQ(Order(), before);
  // Escape on the first page too, with the focus on a button.
  OpenWizardAdd();
  ASSERT_TRUE(TabToButton("Exit"));
  p.Key(VK_ESCAPE);
  ASSERT_TRUE(p.WaitFocus("SysListView32"));
  EXPECT_EQ(Order(), before);
}

// Delete's question answered by Escape, by Alt and its letter, by Enter.
TEST_F(Keyboard, DeleteQuestionAnsweredByEscapeAltLetterAndEnter) {
  OpenWizardAdd();
  NameAndSsid("Spare", "Ombrix-Open");
  p.Key(VK_RETURN);
  Security("Disabled");
  ASSERT_TRUE(EnterUntilShown("Save"));
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFocus("WuPicButton", "Activate now"));
  Step("Activate later");
  p.Key(VK_ESCAPE);  // the last page's way out: later
  ASSERT_TRUE(p.WaitFocus("SysListView32"));
  const std::vector<std::string> before = Order();
  ASSERT_EQ(before.size(), 2u);  // the adapter's default profile and this one
  ASSERT_EQ(before.back(), "Spare");

  HWND list = p.Focus();
  auto ask = [&] {
    p.Key(VK_END);
    EXPECT_TRUE(p.WaitFor([&] { return ListSelected(list) == ListCount(list) - 1; }));
    ASSERT_TRUE(TabToButton("Delete"));
    p.Key(VK_RETURN);
    ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() != nullptr; })) << "no question";
    ASSERT_TRUE(p.WaitFocus("WuPicButton", "OK")) << "focus on " << FocusText();
  };
  Step("question, Escape");
  ask();
  p.Key(VK_ESCAPE);
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));
  ASSERT_TRUE(p.WaitFocus("SysListView32")) << "focus on " << FocusText();
  EXPECT_EQ(Order(), before);

  Step("question, Alt+C");
  ask();
  p.Key('C', {VK_MENU});
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));
  EXPECT_EQ(Order(), before);

  // One of the two goes; the other keeps its place.
  Step("question, Alt+O");
  ask();
  p.Key('O', {VK_MENU});
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));
  ASSERT_TRUE(p.WaitFor([&] { return Order().size() == before.size() - 1; }));
  const std::vector<std::string> left = Order();
  EXPECT_TRUE(left == std::vector<std::string>(before.begin(), before.end() - 1) ||
              left == std::vector<std::string>(before.begin() + 1, before.end()));

  Step("question, Enter");
  ask();
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));
  EXPECT_TRUE(p.WaitFor([&] { return Order().empty(); }));
}

// A world of one protected network, so that the survey's first row is it.
class KeyboardOneNetwork : public Keyboard {
 protected:
  void SetUp() override {
    p.KeepWorldSections({"Adapter Ombrix USB", "Network WPA-PSK TKIP", "DHCP"});
    Keyboard::SetUp();
  }
};

// A protected network joined from the survey: the list, Connect, the pass
// phrase, Enter.
TEST_F(KeyboardOneNetwork, SurveyJoinOfAProtectedNetwork) {
  Step("Ctrl+PageDown to the survey");
  p.Key(VK_NEXT, {VK_CONTROL});
  ASSERT_TRUE(p.WaitFocus("SysListView32"));
  HWND list = p.Focus();
  ASSERT_TRUE(p.WaitFor([&] { return ListCount(list) > 0; })) << "the scan found nothing";
  // The survey page shows the world's one network here.
  p.Key(VK_HOME);
  ASSERT_TRUE(p.WaitFor([&] { return ListSelected(list) == 0; }));
  Step("Tab to Connect");
  ASSERT_TRUE(TabToButton("Connect"));
  p.Key(VK_RETURN);
  Step("pass phrase");
  ASSERT_TRUE(p.WaitFocus("Edit")) << "focus on " << FocusText();
  p.Type("OmbrixTKIP");
  p.Key(VK_RETURN);
  // The key-only wizard saves and connects on its forward button.
  ASSERT_TRUE(p.WaitFor([&] { return p.Button("Save") || !p.Button("Next"); }));
  if (p.Button("Save")) {
    ASSERT_TRUE(p.WaitFocus("WuPicButton", "Save"));
    p.Key(VK_RETURN);
  }
  EXPECT_TRUE(p.WaitLinked("Ombrix-WPA-TKIP")) << p.Status();
}

// The freeze of the random runs: the focus on a button of one page, a tab
// clicked, then keys nobody takes (Alt+N, characters, Enter); and the tabs
// in both directions from the keyboard.
TEST_F(Keyboard, TabSwitchesByMouseThenTypedKeys) {
  const int order[] = {kTabAdapter, kTabProfile, kTabLinkInfo, kTabSurvey,
                       kTabProfile, kTabAdapter, kTabLinkInfo};
  for (int tab : order) {
    Step("focus on a button, then a click on tab " + std::to_string(tab));
    p.Key(VK_TAB);
    p.Key(VK_TAB);
    ClickTab(tab);
    p.Settle();
    p.Key('N', {VK_MENU});
    p.Type("x1 ");
    p.Key(VK_RETURN);
    p.Key(VK_ESCAPE);
    // A ping is answered before the keys still queued: the focus is looked
    // at until the program has taken them all in.
    ASSERT_TRUE(p.WaitFor([&] {
      HWND f = p.Focus();
      return f && IsWindowVisible(f);
    })) << "focus on a hidden window after tab "
        << tab << ": " << FocusText();
  }
  Step("Ctrl+Tab around");
  ClickTab(kTabLinkInfo);
  p.Settle();
  const char* expected[] = {"Scan", "Add", "Save", nullptr};  // survey, profile, adapter, link
  for (const char* button : expected) {
    p.Key(VK_TAB, {VK_CONTROL});
    if (button) {
      EXPECT_TRUE(p.WaitFor([&] { return p.Button(button) != nullptr; })) << button;
    } else {
      EXPECT_TRUE(p.WaitFor([&] { return !p.Button("Add") && !p.Button("Scan"); }));
    }
  }
  Step("Ctrl+Shift+Tab and Ctrl+PageUp back");
  p.Key(VK_TAB, {VK_CONTROL, VK_SHIFT});
  EXPECT_TRUE(p.WaitFor([&] { return p.Button("Save") != nullptr; }));
  p.Key(VK_PRIOR, {VK_CONTROL});
  EXPECT_TRUE(p.WaitFor([&] { return p.Button("Add") != nullptr; }));
  HWND f = p.Focus();
  EXPECT_TRUE(f && IsWindowVisible(f));
}

// The tabs are a tab strip: a click gives it the focus (the sequence a user
// met, two clicks, Up and Enter, used to walk into the footer's help
// button and open the help); Left, Right, Home and End walk the tabs
// without wrapping; Tab enters the page, Shift+Tab comes back; the arrow
// keys in a page never leave it for the footer's buttons.
TEST_F(Keyboard, TheTabStripTakesTheFocusAndArrowsStayInTheirGroup) {
  auto onStrip = [&] { return p.WaitFor([&] { return p.Focus() == p.Main(); }, 5000); };
  // Which page shows, by a button only it has ("" for the link page).
  auto page = [&] {
    for (const char* b : {"Scan", "Add", "Save"})
      if (p.Button(b)) return std::string(b);
    return std::string();
  };
  auto shows = [&](const std::string& expected) {
    return p.WaitFor([&] { return page() == expected; }, 10000);
  };
  Step("click Site Survey, click Link Info, Up, Enter");
  ClickTab(kTabSurvey);
  ASSERT_TRUE(shows("Scan"));
  ClickTab(kTabLinkInfo);
  ASSERT_TRUE(shows(""));
  ASSERT_TRUE(onStrip()) << "focus on " << FocusText();
  p.Key(VK_UP);
  p.Key(VK_RETURN);
  p.Settle(1000);
  EXPECT_EQ(p.ShownWindows(), std::vector<HWND>{p.Main()}) << "a window opened";
  EXPECT_EQ(p.MessageBox(), nullptr);
  EXPECT_EQ(p.Focus(), p.Main()) << "focus on " << FocusText();
  EXPECT_EQ(page(), "");

  Step("Left, Right, Home and End on the strip");
  struct Walk {
    WORD key;
    const char* shows;
  };
  const Walk walk[] = {{VK_LEFT, ""},      {VK_RIGHT, "Scan"}, {VK_RIGHT, "Add"},
                       {VK_RIGHT, "Save"}, {VK_RIGHT, "Save"}, {VK_HOME, ""},
                       {VK_END, "Save"},   {VK_LEFT, "Add"}};
  for (const Walk& w : walk) {
    p.Key(w.key);
    EXPECT_TRUE(shows(w.shows)) << "key " << w.key << ": page of \"" << page() << "\"";
    EXPECT_TRUE(onStrip()) << "key " << w.key << ": focus on " << FocusText();
  }

  Step("Tab into the profile page and Shift+Tab back");
  ASSERT_TRUE(Move(VK_TAB)) << "focus on " << FocusText();
  HWND inPage = p.Focus();
  EXPECT_TRUE(IsChild(p.Main(), inPage) && GetParent(inPage) != p.Main()) << FocusText();
  ASSERT_TRUE(Move(VK_TAB, {VK_SHIFT}));
  EXPECT_TRUE(onStrip()) << "focus on " << FocusText();

  Step("arrows in the link page");
  p.Key(VK_HOME);
  ASSERT_TRUE(shows(""));
  // Tab until a control of the page has the focus (the chart button).
  for (int i = 0; i < 3 && p.Focus() == p.Main(); ++i) Move(VK_TAB);
  ASSERT_NE(p.Focus(), p.Main()) << "nothing of the link page takes the focus";
  for (WORD key : {VK_UP, VK_LEFT, VK_DOWN, VK_RIGHT, VK_UP}) {
    p.Key(key);
    p.Settle();
    const HWND f = p.Focus();
    EXPECT_TRUE(f && IsChild(p.Main(), f) && GetParent(f) != p.Main())
        << "key " << key << " moved the focus to " << FocusText();
  }
  EXPECT_EQ(p.ShownWindows(), std::vector<HWND>{p.Main()}) << "a window opened";
}

// The about box of the footer from the keyboard: the window's system menu
// (Alt+Space, I), and Escape closes it with the focus back in the window.
TEST_F(Keyboard, AboutBoxFromTheSystemMenu) {
  auto about = [&] {
    for (HWND w : p.ShownWindows())
      if (w != p.Main() && p.ClassOf(w) == "WuForm") return w;
    return HWND{};
  };
  Step("Alt+Space, I");
  p.Key(VK_SPACE, {VK_MENU});
  // I goes to the menu only once it is open; before, the window takes it.
  ASSERT_TRUE(p.WaitFor([&] { return p.MenuOpen(); })) << "no system menu";
  p.Key('I');
  ASSERT_TRUE(p.WaitFor([&] { return about() != nullptr; })) << "no about box";
  Step("Escape");
  p.Key(VK_ESCAPE);
  ASSERT_TRUE(p.WaitFor([&] { return about() == nullptr; }));
  ASSERT_TRUE(p.WaitFor([&] {
    HWND f = p.Focus();
    return f && IsWindowVisible(f) && (f == p.Main() || IsChild(p.Main(), f));
  })) << "focus on "
      << FocusText();
}

// ---- names in any bytes ---------------------------------------------------------------

// Some object of top's client has this name, as a screen reader reads it
// (labels are painted by their page, so these names are what shows).
bool Shows(HWND top, const std::string& name) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool found = false;
  if (wutest::AccPtr root = wutest::ClientObject(top))
    wutest::Walk(root.get(), [&](wutest::AccNode& n) { found = found || n.name == name; });
  return found;
}

// One column of every row of another process's list view, as UTF-8: the
// item and its text buffer live in that process.
std::vector<std::string> ColumnTexts(HWND list, int column) {
  std::vector<std::string> rows;
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return rows;
  constexpr int kChars = 256;
  auto* remote = static_cast<char*>(VirtualAllocEx(
      process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  for (int i = 0; remote && i < ListCount(list); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof item);
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    DWORD_PTR n = 0;
    SendMessageTimeoutW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote),
                        SMTO_ABORTIFHUNG, kPingLimitMs, &n);
    // The control may point the item at text of its own instead.
    ReadProcessMemory(process, remote, &item, sizeof item, nullptr);
    std::wstring text(std::min<size_t>(n, kChars), L'\0');
    ReadProcessMemory(process, item.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
    rows.push_back(Utf8(text));
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return rows;
}

// The networks of tests/e2e/Unicode.world as the program must show them
// (UTF-8, escapes for what is no text), in byte order.
const char* const kShownNames[] = {
    "A name of 32 bytes ending in \xE6\x97\xA5",
    "A\\x00B",      // a zero byte inside: shown, never joined
    "Caf\xC3\xA9",  // Latin-1 bytes, read in the code page
    "Caf\xC3\xA9 M\xC3\xBCller",
    "Inv\xC3\x83(\\x81",  // broken UTF-8; 0x81 maps to no character
    "Tab\\x09Net",
    "\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5 \xD0\x9F\xD1\x83\xD1\x88\xD0\xBA\xD0\xB8\xD0\xBD",
    "\xF0\x9F\x98\x80 Hotspot",
};
const std::string kZeroName = kShownNames[1], kCyrillic = kShownNames[6];
constexpr int kSsidColumn = 1;  // after the icon's

class KeyboardUnicodeWorld : public Keyboard {
 protected:
  void SetUp() override {
    const std::string world = wutest::ReadText(WU_SOURCE_DIR "/tests/e2e/Unicode.world");
    ASSERT_FALSE(world.empty());
    wutest::WriteText(p.Folder() + "OMXWL.world", world);
    Keyboard::SetUp();
  }

  // To the survey with Ctrl+PageDown from the link page (it scans on
  // entry); once it lists the whole world as it must show it, the row
  // showing name selected with the keys, then Connect.
  void Join(const std::string& name) {
    p.Key(VK_NEXT, {VK_CONTROL});
    HWND list = nullptr;
    ASSERT_TRUE(p.WaitFor([&] {
      HWND f = p.Focus();
      if (p.ClassOf(f) == "SysListView32" && p.Button("Scan")) list = f;
      return list && ListCount(list) == static_cast<int>(std::size(kShownNames));
    })) << FocusText();
    std::vector<std::string> rows = ColumnTexts(list, kSsidColumn), sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, std::vector<std::string>(std::begin(kShownNames), std::end(kShownNames)));
    const int index = static_cast<int>(std::find(rows.begin(), rows.end(), name) - rows.begin());
    ASSERT_LT(index, static_cast<int>(rows.size())) << name;
    p.Key(VK_HOME);
    for (int i = 0; i < index; ++i) p.Key(VK_DOWN);
    ASSERT_TRUE(p.WaitFor([&] { return ListSelected(list) == index; })) << name;
    ASSERT_TRUE(TabToButton("Connect")) << "focus on " << FocusText();
    p.Key(VK_RETURN);
  }
};

// Every name of the world shown on the survey as the system shows it,
// joined from there, shown on the link page and in /Status (exact UTF-8,
// the tab escaped); the zero-byte name refused with a message; a Cyrillic
// network name typed into the wizard (Unicode key events) joined as its
// UTF-8 bytes. The window answers throughout (TearDown).
TEST_F(KeyboardUnicodeWorld, NamesShownJoinedAndReportedExactly) {
  for (const std::string name : kShownNames) {
    if (name == kZeroName) continue;
    Step("join " + name);
    ASSERT_NO_FATAL_FAILURE(Join(name));
    EXPECT_TRUE(p.WaitFor([&] { return Shows(p.Main(), name); }))
        << "the link page does not show " << name;
    EXPECT_TRUE(p.WaitLinked(name)) << name << ": " << p.Status();
  }

  Step("the zero byte");
  ASSERT_NO_FATAL_FAILURE(Join(kZeroName));
  HWND box = nullptr;
  ASSERT_TRUE(p.WaitFor([&] { return (box = p.MessageBox()) != nullptr; }))
      << "joining a name with a zero byte was not refused";
  EXPECT_TRUE(Shows(box, "The network '" + kZeroName +
                             "' has a zero byte in its name; this utility cannot join it."));
  p.Key(VK_RETURN);
  ASSERT_TRUE(p.WaitFor([&] { return p.MessageBox() == nullptr; }));

  // The profile name takes the store's code page, the network name any
  // character; the join proves the profile holds the UTF-8 bytes.
  Step("wizard");
  p.ClickTab(kTabLinkInfo);
  p.Settle();
  OpenWizardAdd();
  NameAndSsid("Caf\xC3\xA9", kCyrillic);
  p.Key(VK_RETURN);
  Security("Disabled");
  FinishWithEnter(kCyrillic);
  const std::string status = p.Status();
  EXPECT_NE(
      status.find("state: connected\r\nprofile: Caf\xC3\xA9\r\nnetwork: " + kCyrillic + "\r\n"),
      std::string::npos)
      << status;
}

}  // namespace
