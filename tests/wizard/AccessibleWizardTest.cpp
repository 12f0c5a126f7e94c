// The profile wizard as a screen reader reads it: its fields are named by
// their captions where the user types, every page can be used without
// seeing it, and a stored pass phrase is protected text that never comes
// back as a name or a value.
#include <string>

#include "common/AccessTest.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewlmode.h"
#include "pages/wizard/Uframewpapsk.h"
#include "wizard/wizard_fixture.h"

using namespace wizardflow;

namespace {

TEST_F(WizardFlow, AScreenReaderAddsAProfileAndNeverHearsItsStoredPassPhrase) {
  AccPtr root = ClientObject(form->Handle());
  ASSERT_TRUE(root);
  auto node = [&root](const std::string& name, long role) {
    AccNode n;
    EXPECT_TRUE(FindNode(root.get(), name, role, &n)) << "no \"" << name << "\" of role " << role;
    return n;
  };
  auto usable = [&root](const char* where) {
    int checked = 0;
    EXPECT_EQ(Unusable(root.get(), &checked), "") << where;
    EXPECT_GT(checked, 6) << where;
  };

  // Add, pressed as a screen reader presses it.
  ASSERT_EQ(node("Add", ROLE_SYSTEM_PUSHBUTTON).DoDefault(), S_OK);
  ASSERT_TRUE(WaitUntil([&] { return wiz->Visible(); }, kGenerous));
  ASSERT_EQ(wiz->Current(), TWizPage::NetType);
  usable("network type");
  AccNode name = node("Profile Name", ROLE_SYSTEM_TEXT);
  EXPECT_EQ(name.value, wiz->FrameNetType1->EdtName->Text());
  EXPECT_EQ(node("SSID", ROLE_SYSTEM_TEXT).value, "ANY");
  AccNode infra = node("Infrastructure", ROLE_SYSTEM_RADIOBUTTON);
  EXPECT_FALSE(infra.action.empty());
  // A radio button's default action checks it as a click does.
  ASSERT_EQ(node("Ad-Hoc", ROLE_SYSTEM_RADIOBUTTON).DoDefault(), S_OK);
  ASSERT_TRUE(WaitUntil([&] { return wiz->FrameNetType1->RBtnAdHoc->Checked(); }, kGenerous));
  EXPECT_TRUE(node("Ad-Hoc", ROLE_SYSTEM_RADIOBUTTON).state & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(wiz->FrameNetType1->RBtnInfra->Checked());
  // The list of networks is named by its heading, not by a caption in its
  // lower rows' height.
  node("Scan Info", ROLE_SYSTEM_LIST);

  Fill("Secure", "Ombrix-WPA2-AES", false);
  usable("security");
  ChooseSecurity(EncWPA2_PSK);
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  usable("pass phrase");
  AccNode phrase = node("Pass Phrase", ROLE_SYSTEM_TEXT);
  EXPECT_FALSE(phrase.state & STATE_SYSTEM_PROTECTED) << "a new phrase is typed in plain";
  wiz->FrameWPAPSK1->EdtPhrase->SetText("OmbrixAES2");
  wiz->FrameWPAPSK1->BtnNext->Click();
  if (wiz->Current() == TWizPage::Wireless) {
    usable("bands");
    wiz->FrameWireless1->BtnNext->Click();
  }
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  usable("confirm");
  wiz->FrameConfirm1->BtnSave->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Active);
  usable("activate");
  wiz->FrameActive1->BtnActLater->Click();
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));

  // Edited again, the stored phrase shows masked: protected, never read.
  page->LvProf->SelectRow(page->LvProf->IndexOf(Row("Secure")));
  page->BtnEdit->Click();
  wiz->FrameNetType1->BtnNext->Click();
  wiz->FrameSecurity1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  ASSERT_TRUE(wiz->FrameWPAPSK1->EdtPhrase->Masked());
  phrase = node("Pass Phrase", ROLE_SYSTEM_TEXT);
  EXPECT_TRUE(phrase.state & STATE_SYSTEM_PROTECTED);
  EXPECT_EQ(phrase.valueResult, E_ACCESSDENIED);
  EXPECT_TRUE(phrase.value.empty());
  for (const std::string& text : AllTexts(root.get()))
    EXPECT_EQ(text.find("OmbrixAES2"), std::string::npos) << "the secret was read: " << text;
  wiz->FrameWPAPSK1->BtnExit->Click();
}

TEST_F(WizardFlow, EveryOtherWizardPageCanBeUsedWithoutSeeingIt) {
  AccPtr root = ClientObject(form->Handle());
  ASSERT_TRUE(root);
  auto usable = [&root](const char* where) {
    int checked = 0;
    EXPECT_EQ(Unusable(root.get(), &checked), "") << where;
    EXPECT_GT(checked, 6) << where;
  };
  page->BtnAdd->Click();
  Fill("Party", "Party-Net", true);
  ASSERT_EQ(wiz->Current(), TWizPage::WlMode);
  usable("ad-hoc mode and channel");
  wiz->FrameWlMode1->BtnNext->Click();
  ChooseSecurity(EncWEP);
  ASSERT_EQ(wiz->Current(), TWizPage::WEP);
  usable("WEP");
  wiz->FrameWEP1->BtnExit->Click();
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));
  page->BtnAdd->Click();
  Fill("Corp", "Ombrix-Corp", false);
  ChooseSecurity(EncWPA2);
  ASSERT_EQ(wiz->Current(), TWizPage::Dot11);
  usable("802.1X");
}

}  // namespace
