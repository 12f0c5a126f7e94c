// Edits with masking and key handling, drop-down lists with values, check
// and radio buttons.
#include <gtest/gtest.h>

#include "common/UserInput.h"
#include "config/Uutility.h"
#include "ui/Uform.h"
#include "ui/Ustdctrls.h"

namespace {

class Controls : public ::testing::Test {
 protected:
  TForm form_{nullptr, "Form1"};
};

TEST_F(Controls, AMaskedEditIsEmptiedByItsFirstKeyAndThenShowsPlainText) {
  auto* edit = new TEdit(&form_, &form_, "EdtPhrase");
  edit->SetText("stored secret");
  edit->SetMasked(true);
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  int changes = 0;
  edit->OnChange = [&] { ++changes; };
  Type(edit, "k");
  EXPECT_EQ(edit->Text(), "k");
  EXPECT_FALSE(edit->Masked());
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
  EXPECT_GE(changes, 1);
  Type(edit, "ey");
  EXPECT_EQ(edit->Text(), "key");  // no longer cleared

  // Delete clears a masked secret too; a read-only one stays.
  edit->SetText("other");
  edit->SetMasked(true);
  SendMessageA(edit->Handle(), WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(edit->Text(), "");
  EXPECT_FALSE(edit->Masked());
  edit->SetText("fixed");
  edit->SetMasked(true);
  edit->SetReadOnly(true);
  Type(edit, "z");
  EXPECT_EQ(edit->Text(), "fixed");
  EXPECT_TRUE(edit->Masked());
}

TEST_F(Controls, KeyPressCanDropOrReplaceACharacterAndTheLimitIsReported) {
  auto* edit = new TEdit(&form_, &form_, "EdtKey1");
  edit->OnKeyPress = [](wchar_t& key) {
    if (key == L'!') key = 0;
    if (key >= L'a' && key <= L'f') key = static_cast<wchar_t>(key - L'a' + L'A');
  };
  Type(edit, "a!b9");
  EXPECT_EQ(edit->Text(), "AB9");

  int refused = 0;
  edit->OnMaxText = [&] { ++refused; };
  edit->SetText("");
  edit->SetMaxLength(3);
  Type(edit, "123");
  EXPECT_EQ(refused, 0);
  Type(edit, "4");
  EXPECT_EQ(edit->Text(), "123");
  EXPECT_EQ(refused, 1);
}

TEST_F(Controls, DropDownListItemsCarryValues) {
  auto* combo = new TComboBox(&form_, &form_, "CmbPower");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->SelectedValue(42), 42);
  combo->AddItem("No Power Saving", 0);
  combo->AddItem("Fast Power Saving", 2);
  combo->AddItem("Max. Power Saving", 1);
  EXPECT_EQ(combo->InsertItem(0, "Auto", 15), 0);
  EXPECT_EQ(combo->Count(), 4);
  EXPECT_EQ(combo->ItemText(0), "Auto");
  EXPECT_EQ(combo->ItemValue(3), 1);
  EXPECT_TRUE(combo->SelectByValue(2));
  EXPECT_EQ(combo->Text(), "Fast Power Saving");
  EXPECT_FALSE(combo->SelectByValue(99));
  EXPECT_EQ(combo->ItemIndex(), 2);  // unchanged
  // The shared utility selects by the same item values.
  EXPECT_TRUE(SelectComboByData(combo->Handle(), 15));
  EXPECT_EQ(combo->SelectedValue(-1), 15);
  EXPECT_EQ(combo->ItemText(9), "");
  EXPECT_EQ(combo->ItemValue(-1), 0);
  combo->Clear();
  EXPECT_EQ(combo->Count(), 0);
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(Controls, RadioButtonsOfAGroupExcludeEachOther) {
  auto* infra = new TRadioButton(&form_, &form_, "RBtnInfra");
  auto* adhoc = new TRadioButton(&form_, &form_, "RBtnAdHoc");
  auto* other = new TRadioButton(&form_, &form_, "RBtnOther");
  other->GroupIndex = 1;
  other->SetChecked(true);
  int clicks = 0;
  adhoc->OnClick = [&] { ++clicks; };
  infra->SetChecked(true);
  EXPECT_TRUE(infra->Checked());
  adhoc->SetChecked(true);
  EXPECT_FALSE(infra->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_EQ(clicks, 0);  // setting is not clicking

  infra->SetChecked(true);
  SendMessageA(adhoc->Handle(), BM_CLICK, 0, 0);  // the user's click
  EXPECT_TRUE(adhoc->Checked());
  EXPECT_FALSE(infra->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, CheckBoxClickTogglesAndFires) {
  auto* check = new TCheckBox(&form_, &form_, "ChkBand1", "802.11b");
  int clicks = 0;
  check->OnClick = [&] { ++clicks; };
  check->Click();
  EXPECT_TRUE(check->Checked());
  SendMessageA(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(check->Checked());
  EXPECT_EQ(clicks, 2);
  check->SetChecked(true);
  EXPECT_EQ(clicks, 2);
}

}  // namespace
