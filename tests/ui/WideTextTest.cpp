// Text through the toolkit in UTF-8 and every window a wide one: one ANSI
// class, subclass or call turns what the code page cannot hold into "?".
// (Cyrillic captions and column titles read back from the real windows:
// the Russian walk of LocalisationTest; survey cells: the e2e Unicode walk.)
#include <gtest/gtest.h>

#include "common/AccessTest.h"
#include "common/UserInput.h"
#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Umaskedit.h"
#include "ui/Umenu.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Utrayicon.h"

using namespace wutest;

namespace {

// Latin with an accent, Cyrillic, CJK and a surrogate pair in UTF-16.
const std::string kText = "Caf\xC3\xA9 \xD0\x96\xD0\xB8 \xE6\x97\xA5 \xF0\x9F\x98\x80";
const std::string kEmoji = "\xF0\x9F\x98\x80";

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}

TEST(WideText, EveryWindowIsWideAndTextGoesByWholeCharacters) {
  TForm form(nullptr, "FormMain");
  form.SetClientSize(420, 300);
  auto* frame = new TFrame(&form, &form, "FrameSample");
  frame->SetBounds(0, 0, 420, 300);
  frame->Show();
  new TPanel(&form, frame, "PlSample", kText);
  new TEdit(&form, frame, "EdtSample");
  new TCheckBox(&form, frame, "ChkSample", kText);
  new TRadioButton(&form, frame, "RbSample", kText);
  auto* mac = new TMaskEdit(&form, frame, "EdtMac");
  auto* combo = new TComboBox(&form, frame, "CbSample");
  auto* change = new TPicButton(&form, frame, "BtnChange", "\xC3\x84ndern");
  auto* value = new TValueLabel(&form, frame, "LblSSID");
  value->SetBounds(10, 10, 60, 16);
  auto* list = new TSortLv(&form, frame, "LvSample");
  auto* menu = new TPopupMenu(&form, "PmSample");
  new TMenuItem(&form, menu, "MiSample", kText);
  auto* tray = new TTrayIcon(&form, "TrayIconMain");
  form.Show();

  // Every window of the form (the list's header too), the tray icon's and
  // the interface thread's hidden ones.
  std::vector<HWND> windows{form.Handle(), tray->Handle(), ui::UiThreadWindow()};
  EnumChildWindows(form.Handle(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  ASSERT_GE(windows.size(), 13u);
  for (HWND w : windows) EXPECT_TRUE(IsWindowUnicode(w)) << w << " is an ANSI window";

  // Items as the controls hold them; rows sorted as the user's locale
  // orders text, case ignored (Ä with A, not after Z as its bytes would).
  combo->AddItem(kText, 2);
  EXPECT_EQ(combo->ItemText(0), kText);
  wchar_t held[256] = {};
  HMENU built = menu->BuildMenu();
  GetMenuStringW(built, 0, held, 256, MF_BYPOSITION);
  DestroyMenu(built);
  EXPECT_EQ(Utf8(held), kText);
  list->AddColumn("Name", 100);
  for (const char* name :
       {"Zebra", "\xD0\x96", "\xC3\x84pfel", "bar", "\xC3\x89mile", "apple", "Banane"})
    list->AddRow(name);
  list->SetSortColumn(0);
  list->Sort();
  std::string order;
  for (int i = 0; i < list->RowCount(); ++i) {
    LVITEMW item{};
    item.pszText = held;
    item.cchTextMax = 256;
    SendMessageW(list->Handle(), LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    order += Utf8(held) + ",";
  }
  EXPECT_EQ(order, "\xC3\x84pfel,apple,Banane,bar,\xC3\x89mile,Zebra,\xD0\x96,");

  // The masked field holds ASCII only: U+0141 (Ł) cut to a byte would be
  // 'A', a hex digit; a fullwidth digit would pass for its ASCII twin. Its
  // handler sees the characters themselves.
  std::vector<wchar_t> keys;
  mac->OnKeyPress = [&](wchar_t& key) { keys.push_back(key); };
  Type(mac, "\xC5\x81\xEF\xBC\x91\xD0\x96");
  EXPECT_TRUE(mac->IsEmpty()) << mac->Value();
  EXPECT_EQ(keys, (std::vector<wchar_t>{L'\x0141', L'\xFF11', L'\x0416'}));

  // A value cut with an ellipsis never cuts inside a character.
  std::string long_;
  for (int i = 0; i < 12; ++i) long_ += kEmoji + "\xD0\x96";
  value->SetCaption(long_);
  const std::string shown = value->DisplayText();
  ASSERT_GT(shown.size(), 3u);
  EXPECT_EQ(shown, long_.substr(0, shown.size() - 3) + "...");
  EXPECT_TRUE(IsUtf8(shown)) << "cut inside a character";

  // The tray's tip counts UTF-16 units as the shell does (63): 61 letters
  // and a pair fit, 62 and a pair do not. The balloon's title (63 units) and
  // text (255) are cut between characters: a pair across the end goes
  // whole, one that fits stays.
  const std::string fits = std::string(61, 'h') + kEmoji;
  tray->SetHint(fits);
  tray->SetHint(std::string(62, 'x') + kEmoji);
  EXPECT_EQ(tray->Hint(), fits);
  tray->SetVisible(true);
  Pump();
  ASSERT_TRUE(tray->Shown());
  ASSERT_TRUE(
      tray->ShowBalloon(std::string(62, 't') + kEmoji, std::string(253, 'b') + kEmoji + "b"));
  EXPECT_EQ(tray->BalloonTitle(), std::string(62, 't'));
  EXPECT_EQ(tray->BalloonText(), std::string(253, 'b') + kEmoji);
  tray->SetVisible(false);

  // Alt and the first letter of "Ändern", in either case, press the button;
  // the plain letter A does not.
  change->SetAccelChar(L'\x00C4');
  int clicks = 0;
  change->OnClick = [&] { ++clicks; };
  change->SetFocus();
  for (wchar_t letter : {L'\x00E4', L'\x00C4', L'A'}) {
    MSG key{change->Handle(), WM_SYSCHAR, letter, 1 << 29, 0, {}};
    TForm::DialogMessage(form.Handle(), key);
  }
  EXPECT_EQ(clicks, 2);
  form.Hide();
}

}  // namespace
