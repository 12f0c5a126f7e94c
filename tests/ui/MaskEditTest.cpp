// The masked edit: typing into fixed positions, the literals staying in
// place, deleting, pasting a whole address, and the value it reads.
#include <gtest/gtest.h>

#include <cstring>

#include "common/UserInput.h"
#include "ui/Uform.h"
#include "ui/Umaskedit.h"

namespace {

class MaskEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    edit = new TMaskEdit(&form, &form, "Edt1");
    edit->OnChange = [this] { ++changes; };
  }
  void Type(const char* text) { ::Type(edit->Handle(), text); }
  static void SetClipboard(HWND owner, const std::string& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(data), text.c_str(), text.size() + 1);
    GlobalUnlock(data);
    SetClipboardData(CF_TEXT, data);
    CloseClipboard();
  }
  TForm form{nullptr, "Form1"};
  TMaskEdit* edit = nullptr;
  int changes = 0;
};

TEST_F(MaskEdit, TypingFillsThePositionsAroundTheSeparatorsWithHexDigitsOnly) {
  EXPECT_EQ(edit->Text(), "__:__:__:__:__:__");
  EXPECT_TRUE(edit->IsEmpty());
  EXPECT_EQ(edit->Value(), "000000000000") << "empty positions read as 0";
  edit->SetSelStart(0);
  Type("0g1d:4");
  EXPECT_EQ(edit->Text(), "01:D4:__:__:__:__") << "g and the typed colon are dropped";
  EXPECT_EQ(edit->SelStart(), 6) << "the caret jumps over the separator";
  EXPECT_EQ(changes, 4);
  Type("f10000aBCdef");
  EXPECT_EQ(edit->Text(), "01:D4:F1:00:00:AB");
  EXPECT_EQ(edit->Value(), "01D4F10000AB");

  // Backspace steps over a separator; Delete empties the position under the caret.
  SendMessageA(edit->Handle(), WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(edit->Text(), "01:D4:F1:00:00:A_");
  edit->SetSelStart(3);
  SendMessageA(edit->Handle(), WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(edit->Text(), "0_:D4:F1:00:00:A_");
  edit->SetSelStart(2);
  SendMessageA(edit->Handle(), WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(edit->Text(), "0_:_4:F1:00:00:A_");
  // A selection is emptied by the next key.
  SendMessageA(edit->Handle(), EM_SETSEL, 0, 8);
  Type("E");
  EXPECT_EQ(edit->Text(), "E_:__:__:00:00:A_");
}

TEST_F(MaskEdit, AWholeAddressIsPastedOverTheFieldAndOtherTextIsRefused) {
  SetClipboard(form.Handle(), "00-1d-4f-10-00-0a\r\n");
  edit->SetSelStart(9);
  SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->Text(), "00:1D:4F:10:00:0A");
  EXPECT_EQ(changes, 1);

  SetClipboard(form.Handle(), "hello");
  SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->Text(), "00:1D:4F:10:00:0A");
  // A part goes in at the caret.
  SetClipboard(form.Handle(), "ff:e");
  edit->SetSelStart(12);
  SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->Text(), "00:1D:4F:10:FF:EA");
}

TEST_F(MaskEdit, ValuesSetByCodeFireNothingAndReadOnlyFieldsRefuseInput) {
  edit->SetValue("a1b2c3d4e5f6");
  EXPECT_EQ(edit->Text(), "A1:B2:C3:D4:E5:F6");
  edit->SetText("00:11:22:__:44:55");
  EXPECT_EQ(edit->Text(), "00:11:22:__:44:55");
  EXPECT_EQ(edit->Value(), "001122004455");
  edit->SetText("");
  EXPECT_TRUE(edit->IsEmpty());
  EXPECT_EQ(changes, 0);

  edit->SetReadOnly(true);
  Type("12");
  SendMessageA(edit->Handle(), WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_TRUE(edit->IsEmpty());
  EXPECT_EQ(changes, 0);
}

}  // namespace
