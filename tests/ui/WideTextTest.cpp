// Text through the toolkit in UTF-8 and every window a wide one: a single
// ANSI class, subclass or call turns what the code page cannot hold into
// "?", which Wine hides for edits but not for the window's Unicode flag or
// the texts read back in UTF-16.
#include <gtest/gtest.h>

#include "common/AccessTest.h"
#include "common/UserInput.h"
#include "config/Uunicode.h"
#include "ui/Uaccessible.h"
#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Umaskedit.h"
#include "ui/Umenu.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"
#include "ui/Utrayicon.h"
#include "ui/Uuithread.h"

using namespace wutest;

namespace {

// Latin with an accent, Cyrillic, a CJK character and one outside the basic
// plane (a surrogate pair in UTF-16).
const std::string kText = "Caf\xC3\xA9 \xD0\x96\xD0\xB8 \xE6\x97\xA5 \xF0\x9F\x98\x80";
const std::string kEmoji = "\xF0\x9F\x98\x80";

std::string WideWindowText(HWND w) {
  wchar_t buffer[256] = {};
  GetWindowTextW(w, buffer, 256);
  return Utf8(buffer);
}

std::string ListText(HWND list, int row, int column) {
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return Utf8(buffer);
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}

// What the program's loops do: keys to the dialog manager of their form.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && TForm::FromHandle(root) && TForm::DialogMessage(root, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TEST(WideText, EveryToolkitWindowIsWideAndTextRoundTripsUnchanged) {
  ui::access::Install();
  TForm form(nullptr, "FormSample");
  form.SetClientSize(420, 300);
  auto* frame = new TFrame(&form, &form, "FrameSample");
  frame->SetBounds(0, 0, 420, 300);
  frame->Show();
  auto* panel = new TPanel(&form, frame, "PlSample", kText);
  panel->SetBounds(0, 0, 200, 40);
  auto* label = new TLabel(&form, frame, "LbSample", kText);
  label->SetBounds(210, 0, 200, 16);
  auto* edit = new TEdit(&form, frame, "EdtSample");
  new TMaskEdit(&form, frame, "EdtMac");
  auto* combo = new TComboBox(&form, frame, "CbSample");
  auto* check = new TCheckBox(&form, frame, "ChkSample", kText);
  auto* radio = new TRadioButton(&form, frame, "RbSample", kText);
  auto* button = new TPicButton(&form, frame, "BtnSample", kText);
  button->SetBounds(10, 250, 120, 30);
  auto* list = new TSortLv(&form, frame, "LvSample");
  list->SetBounds(10, 100, 300, 120);
  auto* menu = new TPopupMenu(&form, "PmSample");
  new TMenuItem(&form, menu, "MiSample", kText);
  auto* tray = new TTrayIcon(&form, "TrayIconSample");
  auto* timer = new TTimer(&form, "TmSample", 1000, true);
  (void)timer;
  form.SetCaption(kText);
  form.Show();

  // Every window of the form (the list's header too), the tray icon's and
  // the interface thread's hidden ones.
  std::vector<HWND> windows{form.Handle(), tray->Handle(), ui::UiThreadWindow()};
  EnumChildWindows(form.Handle(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  ASSERT_GE(windows.size(), 13u);
  for (HWND w : windows) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_TRUE(IsWindowUnicode(w)) << cls << " is an ANSI window";
  }
  // A subclassed control keeps the toolkit's procedure in the wide slot.
  EXPECT_NE(GetWindowLongPtrW(edit->Handle(), GWLP_WNDPROC), 0);

  // Captions: set and read through the toolkit, and as the system holds them.
  for (TWinControl* c : std::initializer_list<TWinControl*>{&form, edit, check, radio, button}) {
    c->SetCaption(kText);
    EXPECT_EQ(c->Caption(), kText) << c->Name();
    EXPECT_EQ(WideWindowText(c->Handle()), kText) << c->Name();
  }
  edit->SetCaption("");
  Type(edit, kText);
  EXPECT_EQ(edit->Caption(), kText) << "typed, one UTF-16 unit per character message";

  combo->AddItem("plain", 1);
  combo->AddItem(kText, 2);
  EXPECT_EQ(combo->ItemText(1), kText);

  // The list: column, row caption and sub-item, read back in UTF-16.
  list->AddColumn(kText, 100);
  list->AddColumn("Second", 100);
  EXPECT_EQ(list->ColumnCaption(0), kText);
  list->SetColumnCaption(1, kEmoji);
  EXPECT_EQ(list->ColumnCaption(1), kEmoji);
  TLvRow* row = list->AddRow(kText);
  ASSERT_NE(row, nullptr);
  row->SetSubItem(0, kEmoji + "x");
  EXPECT_EQ(ListText(list->Handle(), 0, 0), kText);
  EXPECT_EQ(ListText(list->Handle(), 0, 1), kEmoji + "x");

  // The menu item as the system shows it.
  HMENU built = menu->BuildMenu();
  ASSERT_NE(built, nullptr);
  wchar_t item[128] = {};
  GetMenuStringW(built, 0, item, 128, MF_BYPOSITION);
  DestroyMenu(built);
  EXPECT_EQ(Utf8(item), kText);

  // What a screen reader reads: the button's and the label's names.
  AccPtr root = ClientObject(frame->Handle());
  ASSERT_TRUE(root);
  AccNode node;
  EXPECT_TRUE(FindNode(root.get(), kText, ROLE_SYSTEM_PUSHBUTTON, &node));
  EXPECT_TRUE(FindNode(root.get(), kText, ROLE_SYSTEM_STATICTEXT, &node));
  form.Hide();
}

TEST(WideText, EllipsisSortOrderAndMaskedInputStayWholeCharacters) {
  TForm form(nullptr, "FormSample");
  form.SetClientSize(400, 300);
  // A value label cut with an ellipsis never cuts inside a character.
  auto* value = new TValueLabel(&form, &form, "LblSSID");
  value->SetBounds(10, 10, 60, 16);
  std::string long_;
  for (int i = 0; i < 12; ++i) long_ += kEmoji + "\xD0\x96";
  value->SetCaption(long_);
  const std::string shown = value->DisplayText();
  ASSERT_NE(shown, long_);
  EXPECT_TRUE(IsUtf8(shown)) << "cut inside a character";
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_EQ(long_.compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0);
  EXPECT_EQ(shown.find('\xEF'), std::string::npos) << "no replacement character";

  // Sorting by text as the user's locale orders it, case ignored: an
  // accented capital sorts with its letter, not after "Z" as its bytes would.
  auto* list = new TSortLv(&form, &form, "LvSample");
  list->SetBounds(10, 40, 300, 200);
  list->AddColumn("Name", 200);
  for (const char* name : {"Zebra", "\xC3\x84pfel", "bar", "\xC3\x89mile", "apple", "Banane"})
    list->AddRow(name);
  list->SetSortColumn(0);
  list->Sort();
  std::vector<std::string> order;
  for (int i = 0; i < list->RowCount(); ++i) order.push_back(list->Row(i)->Text(0));
  const std::vector<std::string> expected{"\xC3\x84pfel", "apple",        "Banane",
                                          "bar",          "\xC3\x89mile", "Zebra"};
  EXPECT_EQ(order, expected);

  // The masked field holds ASCII only. U+0141 (Ł) cut to a byte would be
  // 'A', a hex digit; a fullwidth digit would pass for its ASCII twin.
  auto* mac = new TMaskEdit(&form, &form, "EdtMac");
  Type(mac, "\xC5\x81\xEF\xBC\x91");
  EXPECT_TRUE(mac->IsEmpty()) << mac->Value();
  Type(mac, "a1");
  EXPECT_EQ(mac->Value(), "A10000000000");
  std::vector<wchar_t> keys;
  mac->OnKeyPress = [&](wchar_t& key) { keys.push_back(key); };
  Type(mac, "\xD0\x96");
  EXPECT_EQ(keys, std::vector<wchar_t>{L'\x0416'}) << "the handler sees the character itself";
  EXPECT_EQ(mac->Value(), "A10000000000");
}

TEST(WideText, TrayTextsAreCutBetweenCharactersAndAcceleratorsMatchCharacters) {
  TForm form(nullptr, "FormMain");
  auto* icons = new TImageList(&form, "ImgsKvIcon");
  TPicture strip;
  ASSERT_TRUE(strip.LoadFromResource("ImgsKvIcon"));
  icons->SetPicture(strip);
  auto* tray = new TTrayIcon(&form, "TrayIconMain");
  tray->SetIcons(icons);
  // The tip counts UTF-16 units as the shell does: 61 letters and a pair
  // fit in 63, 62 and a pair do not; 60 Cyrillic letters (120 bytes) do.
  const std::string fits = std::string(61, 'h') + kEmoji;
  tray->SetHint(fits);
  EXPECT_EQ(tray->Hint(), fits);
  tray->SetHint(std::string(62, 'x') + kEmoji);
  EXPECT_EQ(tray->Hint(), fits);
  std::string cyrillic;
  for (int i = 0; i < 60; ++i) cyrillic += "\xD0\x96";
  tray->SetHint(cyrillic);
  EXPECT_EQ(tray->Hint(), cyrillic);

  tray->SetVisible(true);
  Pump();
  ASSERT_TRUE(tray->Shown());
  // Title 63 units, text 255: a pair across the end goes whole.
  ASSERT_TRUE(tray->ShowBalloon(std::string(62, 't') + kEmoji, std::string(254, 'b') + kEmoji));
  EXPECT_EQ(tray->BalloonTitle(), std::string(62, 't'));
  EXPECT_EQ(tray->BalloonText(), std::string(254, 'b'));
  ASSERT_TRUE(tray->ShowBalloon(std::string(61, 't') + kEmoji, std::string(253, 'b') + kEmoji));
  EXPECT_EQ(tray->BalloonTitle(), std::string(61, 't') + kEmoji);
  EXPECT_EQ(tray->BalloonText(), std::string(253, 'b') + kEmoji);
  tray->SetVisible(false);

  // Alt and the first letter of "Ändern", in either case, press the button;
  // the plain letter A does not.
  auto* change = new TPicButton(&form, &form, "BtnChange", "\xC3\x84ndern");
  change->SetBounds(10, 10, 100, 30);
  auto* other = new TPicButton(&form, &form, "BtnOther", "Abbrechen");
  other->SetBounds(120, 10, 100, 30);
  other->SetAccelChar(L'b');
  change->SetAccelChar(L'\x00C4');
  int clicks = 0;
  change->OnClick = [&] { ++clicks; };
  form.Show();
  other->SetFocus();
  for (wchar_t letter : {L'\x00E4', L'\x00C4', L'A'}) {
    PostMessageW(other->Handle(), WM_SYSCHAR, letter, 1 << 29);
    Pump();
  }
  EXPECT_EQ(clicks, 2);
  form.Hide();
}

}  // namespace
