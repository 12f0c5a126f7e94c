// The profile wizard in the main window on the simulated library's default
// world: adding, editing with a rename and the stored order after a
// restart; the survey's join of a protected network through the key page;
// Back along the path taken; joins of every kind through the pages; Enter,
// Escape and the first focus; a store that fails.
#include "pages/station/Uframesurvey.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewlmode.h"
#include "pages/wizard/Uframewpapsk.h"
#include "wizard/wizard_fixture.h"

using namespace wizardflow;

namespace {

TEST_F(WizardFlow, AddAndEditWithRenameSurviveARestartInTheirOrder) {
  ASSERT_TRUE(page->BtnAdd->Enabled());
  EXPECT_FALSE(wiz->Visible());
  page->BtnAdd->Click();
  ASSERT_TRUE(wiz->Visible());
  EXPECT_FALSE(page->PlProfile->Visible());
  auto* nt = wiz->FrameNetType1;
  EXPECT_EQ(nt->LbEdtMode->Caption(), "Add New Profile");
  EXPECT_EQ(nt->EdtName->Text(), "Default_1") << "the default's name is in use";
  EXPECT_EQ(nt->EdtSSID->Text(), "ANY");

  Fill("Home", "ANY", false);
  ChooseSecurity(EncNone);
  // An a/b/g adapter: the bands of an infrastructure profile are asked.
  ASSERT_EQ(wiz->Current(), TWizPage::Wireless);
  EXPECT_TRUE(wiz->FrameWireless1->ChkBand3->Visible());
  wiz->FrameWireless1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  EXPECT_EQ(wiz->FrameConfirm1->LblSSID->Caption(), "ANY");
  EXPECT_EQ(wiz->FrameConfirm1->LblSecurity->Caption(), "Disabled");
  EXPECT_EQ(wiz->FrameConfirm1->LblChannel->Caption(), "Auto");
  wiz->FrameConfirm1->BtnSave->Click();
  ASSERT_NE(Row("Home"), nullptr) << "the new row is in the list";
  EXPECT_EQ(page->LvProf->Selected(), Row("Home"));
  wiz->FrameActive1->BtnActNow->Click();
  ASSERT_TRUE(WaitPage(form->FrameLinkInfo1));
  EXPECT_TRUE(WaitLinkedTo("Ombrix-Open")) << "ANY takes the strongest open network";

  // Edit with a rename: a change of case alone is refused.
  form->SwitchPage(form->LbProfile, 0);
  EXPECT_TRUE(page->PlProfile->Visible());
  const int rows = page->LvProf->RowCount();
  page->LvProf->SelectRow(page->LvProf->IndexOf(Row("Home")));
  page->BtnEdit->Click();
  EXPECT_EQ(nt->LbEdtMode->Caption(), "Edit Profile");
  EXPECT_EQ(nt->EdtName->Text(), "Home");
  nt->EdtName->SetText("HOME");
  AnswerBox();
  nt->BtnNext->Click();
  EXPECT_EQ(boxText, "'HOME' already exists. Please enter another name.");
  EXPECT_EQ(wiz->Current(), TWizPage::NetType);
  Fill("Cottage", "ANY", false);
  ChooseSecurity(EncNone);
  wiz->FrameWireless1->BtnNext->Click();
  wiz->FrameConfirm1->BtnSave->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Active);
  wiz->FrameActive1->BtnActLater->Click();
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));
  EXPECT_FALSE(wiz->Visible());
  EXPECT_EQ(page->LvProf->RowCount(), rows) << "changed in place";
  EXPECT_EQ(Row("Home"), nullptr);
  EXPECT_NE(Row("Cottage"), nullptr);
  // The wizard has ended: its edited name steers no later save.
  EXPECT_EQ(page->EditedName(), "");

  // A new adapter object on the same registry and profile folder.
  const DeviceRec device = *form->SelectedDevice();
  delete form;
  form = nullptr;
  CNICAdapter again(nullptr, 0, device);
  std::vector<WLProfile> list;
  again.GetProfileList(kStationList, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Default", "Cottage"}));
  EXPECT_EQ(FieldText(list[1].Ssid1), "ANY");
  form = new TFormMain(nullptr);  // for TearDown
}

TEST_F(WizardFlow, TheSurveysJoinOfAProtectedNetworkAsksOnlyTheKeyAndStoresNothing) {
  form->SwitchPage(form->LbSiteSurvey, 0);
  TFrameSurvey* survey = form->FrameSurvey1;
  ASSERT_TRUE(SelectSurveyRow(survey, "Ombrix-WPA2-AES"));
  survey->BtnConnect->Click();
  ASSERT_EQ(form->CurrentPage(), page);
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  EXPECT_EQ(wiz->Flags(), kProfKeyOnly);
  ASSERT_TRUE(
      WaitUntil([&] { return GetFocus() == wiz->FrameWPAPSK1->EdtPhrase->Handle(); }, kGenerous))
      << "the pass phrase takes the focus once the page shows";
  // Back on the first page leaves for the survey, which keeps its list.
  wiz->FrameWPAPSK1->BtnBack->Click();
  ASSERT_TRUE(WaitPage(survey));
  ASSERT_TRUE(SelectSurveyRow(survey, "Ombrix-WPA2-AES", 0));

  survey->BtnConnect->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  wiz->FrameWPAPSK1->EdtPhrase->SetText("OmbrixAES2");
  wiz->FrameWPAPSK1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm) << "no band page for a key";
  const int rows = page->LvProf->RowCount();
  wiz->FrameConfirm1->BtnSave->Click();
  ASSERT_TRUE(WaitPage(form->FrameLinkInfo1));
  EXPECT_TRUE(WaitLinkedTo("Ombrix-WPA2-AES"));
  std::vector<WLProfile> list;
  Adapter()->GetProfileList(kStationList, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Default"}));
  EXPECT_EQ(page->LvProf->RowCount(), rows);
  for (const std::string& line : env.Log())
    EXPECT_EQ(line.find("OmbrixAES2"), std::string::npos) << "a secret in the log: " << line;
}

TEST_F(WizardFlow, TheNetworkPageScansNothingWhileWindowsManagesTheAdapter) {
  page->BtnAdd->Click();
  TFrameNetType* nt = wiz->FrameNetType1;
  ASSERT_TRUE(
      WaitUntil([&] { return nt->LvSite->RowCount() > 0 && nt->BtnScan->Enabled(); }, kGenerous));
  nt->EdtName->SetText("Typed");
  // Only the wizard hears of it: the main window would hide and close it.
  Adapter()->UseWZC = true;
  wiz->AdapterNotify(Adapter(), kNotifyWZC, kWZCOn);
  EXPECT_EQ(nt->LvSite->RowCount(), 0);
  EXPECT_FALSE(nt->BtnScan->Enabled());
  EXPECT_FALSE(nt->BtnSelect->Enabled());
  nt->BtnScanClick();
  EXPECT_FALSE(nt->PlSearch->Visible()) << "a scan started while Windows manages the adapter";
  EXPECT_FALSE(nt->TimerSurvey->Enabled());
  EXPECT_EQ(nt->EdtName->Text(), "Typed") << "what the user typed stays";

  // Given back: a new scan fills the list again.
  Adapter()->UseWZC = false;
  wiz->AdapterNotify(Adapter(), kNotifyWZC, kWZCOff);
  EXPECT_TRUE(nt->PlSearch->Visible());
  EXPECT_TRUE(
      WaitUntil([&] { return nt->LvSite->RowCount() > 0 && nt->BtnScan->Enabled(); }, kGenerous));
  nt->BtnExit->Click();
}

TEST_F(WizardFlow, BackWalksThePathTakenAndAWEPProfileJoins) {
  page->BtnAdd->Click();
  Fill("Lab", "Ombrix-WEP64", false);
  ChooseSecurity(EncWEP);
  ASSERT_EQ(wiz->Current(), TWizPage::WEP);
  TFrameWEP* wep = wiz->FrameWEP1;
  wep->Wep->EdtPhrase->SetText("ombrix");
  wep->Wep->EdtPhraseChange();
  wep->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Wireless);
  wiz->FrameWireless1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  EXPECT_EQ(wiz->FrameConfirm1->LblSecurity->Caption(), "WEP");
  const TWizPage back[] = {TWizPage::Wireless, TWizPage::WEP, TWizPage::Security,
                           TWizPage::NetType};
  for (TWizPage expected : back) {
    wiz->CurrentPage()->FindComponent("BtnBack")->AsControl()->Click();
    ASSERT_EQ(wiz->Current(), expected);
  }
  EXPECT_EQ(wiz->FrameNetType1->EdtName->Text(), "Lab");
  // Forward again, keys kept, and joined.
  wiz->FrameNetType1->BtnNext->Click();
  ChooseSecurity(EncWEP);
  ASSERT_EQ(wiz->Current(), TWizPage::WEP);
  wep->BtnNext->Click();
  SaveAndConnect();
  EXPECT_TRUE(WaitLinkedTo("Ombrix-WEP64"));

  // Ad hoc: the mode page instead of the band page.
  page->BtnAdd->Click();
  Fill("Peer", "Ombrix-AdHoc", true);
  ASSERT_EQ(wiz->Current(), TWizPage::WlMode);
  TFrameWlMode* mode = wiz->FrameWlMode1;
  ASSERT_TRUE(mode->CmbAdHocMode->SelectByValue(1));
  mode->CmbAdHocModeSelect();
  EXPECT_EQ(mode->CmbChannel->ItemText(0), "Auto");
  mode->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Security);
  EXPECT_EQ(wiz->FrameSecurity1->CmbSecurity->Count(), 2) << "ad hoc: none or WEP";
  ChooseSecurity(EncNone);
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  EXPECT_EQ(wiz->FrameConfirm1->LblNetType->Caption(), "Ad-Hoc");
  wiz->FrameConfirm1->BtnBack->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Security);
  wiz->FrameSecurity1->BtnBack->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::WlMode);
  mode->BtnNext->Click();
  ChooseSecurity(EncNone);
  SaveAndConnect();
  EXPECT_TRUE(WaitLinkedTo("Ombrix-AdHoc"));
}

TEST_F(WizardFlow, ProfilesMadeWithAddJoinHiddenPskAndOwnAdHocNetworks) {
  page->BtnAdd->Click();
  Fill("Hidden", "Ombrix-Hidden", false);
  ChooseSecurity(EncWPA2_PSK);
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  wiz->FrameWPAPSK1->EdtPhrase->SetText("OmbrixHidden");
  wiz->FrameWPAPSK1->BtnNext->Click();
  SaveAndConnect();
  EXPECT_TRUE(WaitLinkedTo("Ombrix-Hidden"));

  page->BtnAdd->Click();
  Fill("Tkip", "Ombrix-WPA-TKIP", false);
  ChooseSecurity(EncWPA_PSK);
  wiz->FrameWPAPSK1->EdtPhrase->SetText("OmbrixTKIP");
  wiz->FrameWPAPSK1->BtnNext->Click();
  SaveAndConnect();
  EXPECT_TRUE(WaitLinkedTo("Ombrix-WPA-TKIP"));

  // An ad-hoc name nobody uses starts a network of its own.
  page->BtnAdd->Click();
  Fill("Party", "Party-Net", true);
  wiz->FrameWlMode1->BtnNext->Click();
  ChooseSecurity(EncNone);
  SaveAndConnect();
  EXPECT_TRUE(WaitLinkedTo("Party-Net"));

  std::vector<WLProfile> list;
  Adapter()->GetProfileList(kStationList, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Default", "Hidden", "Tkip", "Party"}));
}

TEST_F(WizardFlow, EnterEscapeAndTheFirstFocus) {
  page->BtnAdd->Click();
  auto* nt = wiz->FrameNetType1;
  ASSERT_EQ(GetFocus(), nt->EdtName->Handle());
  DWORD from = 1, to = 0;
  SendMessageA(nt->EdtName->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
               reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, nt->EdtName->Text().size()) << "typing replaces the name";
  form->SelectNext(nt->EdtName, true);
  EXPECT_EQ(GetFocus(), nt->EdtSSID->Handle()) << "Tab follows the page from the top";

  // Enter in an edit presses Next through the dialog manager.
  MSG key{nt->EdtSSID->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  ASSERT_TRUE(IsDialogMessageA(form->Handle(), &key));
  ASSERT_EQ(wiz->Current(), TWizPage::Security);
  EXPECT_EQ(GetFocus(), wiz->FrameSecurity1->CmbSecurity->Handle());
  // Escape presses Exit: back to the list, nothing stored.
  key = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  ASSERT_TRUE(IsDialogMessageA(form->Handle(), &key));
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));
  EXPECT_FALSE(Adapter()->IsProfileExist("Default_1"));
  // Without the wizard the keys do nothing.
  key = {page->LvProf->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  IsDialogMessageA(form->Handle(), &key);
  EXPECT_FALSE(wiz->Visible());
}

TEST_F(WizardFlow, AStoreThatFailsKeepsTheUserOnTheConfirmPage) {
  ASSERT_NE(Row("Default"), nullptr);
  page->LvProf->SelectRow(page->LvProf->IndexOf(Row("Default")));
  page->BtnEdit->Click();
  ASSERT_EQ(wiz->Flags(), kProfEditMode);
  // The profile goes behind the wizard's back.
  ASSERT_TRUE(Adapter()->DeleteProfile(kStationList, "Default"));
  wiz->FrameNetType1->BtnNext->Click();
  ChooseSecurity(EncNone);
  wiz->FrameWireless1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  AnswerBox();
  wiz->FrameConfirm1->BtnSave->Click();
  EXPECT_EQ(boxText, "The profile could not be saved. Please try again.");
  EXPECT_EQ(wiz->Current(), TWizPage::Confirm);
}

}  // namespace
