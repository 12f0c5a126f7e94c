// The main window on the simulated library's default world with its profile
// page showing, and the steps of the wizard that the flow tests share.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "adapter/Unicadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "pages/wizard/Uframeactive.h"
#include "pages/wizard/Uframeconfirm.h"
#include "pages/wizard/Uframenettype.h"
#include "pages/wizard/Uframeprofset.h"
#include "pages/wizard/Uframesecurity.h"
#include "pages/wizard/Uframewireless.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"

namespace wizardflow {

using namespace mainwin;
using wizardlogic::TWizPage;

inline std::string DefaultNetworks() {
  const std::string text = ReadText(std::string("Z:") + WU_SOURCE_DIR + "/data/OMXWL.world");
  const size_t at = text.find("[Network");
  EXPECT_NE(at, std::string::npos) << "data/OMXWL.world not found";
  return at == std::string::npos ? std::string() : text.substr(at);
}

// The survey's row of ssid selected, once a scan has listed it; false when
// none did within ms (0: the list as it stands).
inline bool SelectSurveyRow(TFrameSurvey* survey, const std::string& ssid, DWORD ms = kGenerous) {
  return WaitUntil(
      [&] {
        for (int i = 0; i < survey->LvSite->RowCount(); ++i)
          if (survey->LvSite->Row(i)->SubItem(0) == ssid) {
            survey->LvSite->SelectRow(i);
            return true;
          }
        return false;
      },
      ms);
}

class WizardFlow : public ::testing::Test {
 protected:
  // settings: extra lines of the settings file (a string file, say).
  explicit WizardFlow(const std::string& settings = "") : env{settings, 6, DefaultNetworks()} {}
  void SetUp() override {
    ASSERT_TRUE(env.Bound());
    form = new TFormMain(nullptr);
    form->Start(0);
    ASSERT_TRUE(WaitAdapter(form, true));
    form->Show();
    page = form->FrameProfile1;
    wiz = page->EnsureWizard();
    form->SwitchPage(form->LbProfile, 0);
  }
  void TearDown() override { delete form; }

  CNICAdapter* Adapter() const { return form->Adapter(); }
  bool WaitPage(TPropertyPageFrame* p) {
    return WaitUntil([&] { return form->CurrentPage() == p; }, kGenerous);
  }
  // The SSID of the link, empty while it is down.
  std::string LinkedSsid() const { return Adapter() ? ::LinkedSsid(*Adapter()) : std::string(); }
  bool WaitLinkedTo(const std::string& ssid) {
    return WaitUntil([&] { return LinkedSsid() == ssid; }, kGenerous);
  }
  // Answers the next message box with OK and keeps its text.
  void AnswerBox() {
    boxText.clear();
    Every(20, [this] {
      auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (!box) return false;
      boxText = box->LbMsg->Caption();
      box->BtnOk->Click();
      return true;
    });
  }
  TLvRow* Row(const std::string& name) {
    for (int i = 0; i < page->LvProf->RowCount(); ++i)
      if (page->LvProf->Row(i)->SubItem(0) == name) return page->LvProf->Row(i);
    return nullptr;
  }
  void Fill(const std::string& name, const std::string& ssid, bool adHoc) {
    ASSERT_EQ(wiz->Current(), TWizPage::NetType);
    wiz->FrameNetType1->EdtName->SetText(name);
    wiz->FrameNetType1->EdtSSID->SetText(ssid);
    (adHoc ? wiz->FrameNetType1->RBtnAdHoc : wiz->FrameNetType1->RBtnInfra)->Click();
    wiz->FrameNetType1->BtnNext->Click();
  }
  void ChooseSecurity(int32_t type) {
    ASSERT_EQ(wiz->Current(), TWizPage::Security);
    ASSERT_TRUE(wiz->FrameSecurity1->CmbSecurity->SelectByValue(type));
    wiz->FrameSecurity1->BtnNext->Click();
  }
  // From the page after the details to the activate page, and Activate now.
  void SaveAndConnect() {
    if (wiz->Current() == TWizPage::Wireless) wiz->FrameWireless1->BtnNext->Click();
    ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
    wiz->FrameConfirm1->BtnSave->Click();
    ASSERT_EQ(wiz->Current(), TWizPage::Active);
    wiz->FrameActive1->BtnActNow->Click();
    ASSERT_TRUE(WaitPage(form->FrameLinkInfo1));
    form->SwitchPage(form->LbProfile, 0);
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
  TFrameProfile* page = nullptr;
  TFrameProfSet* wiz = nullptr;
  std::string boxText;
};

}  // namespace wizardflow
