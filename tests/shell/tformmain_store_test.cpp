// What the adapter page's Save stores through the real main window: the
// stored record of the applied profile's name with only its three radio
// options changed, never an old copy and never another profile; and the
// name that Edit opened steers nothing once the wizard has ended.
#include "adapter/Unicadapter.h"
#include "pages/station/Uframeadapter.h"
#include "pages/station/Uframeprofile.h"
#include "tformmain_support.h"

using namespace mainwin;

namespace {

class TFormMainStore : public ::testing::Test {
 protected:
  void TearDown() override { delete form; }
  LRESULT Notify(WPARAM code, LPARAM value) {
    return SendMessageA(form->Handle(), NotifyMsg, code, value);
  }
  const WLProfile* Stored(const std::string& name) const {
    for (const WLProfile& p : form->Adapter()->ProfList)
      if (FieldText(p.ProfileName) == name) return &p;
    return nullptr;
  }
  bool Store(const std::string& name, const std::string& ssid) {
    WLProfile& work = g_GlobalVar.WorkProfile;
    work = form->Adapter()->DefProf;
    SetField(work.ProfileName, name);
    SetField(work.Ssid1, ssid);
    return Notify(kNotifyStoreProfile, 0) == 1;
  }
  bool Select(const std::string& name) {
    TSortLv* lv = form->FrameProfile1->LvProf;
    for (int i = 0; i < lv->RowCount(); ++i)
      if (lv->Row(i)->SubItem(0) == name) {
        lv->ClearSelection();
        lv->SelectRow(i);
        return true;
      }
    return false;
  }
  // Connects a copy of the record and waits until the adapter applies it.
  bool Apply(const WLProfile& p) {
    form->Adapter()->Connect(p);
    return WaitUntil(
        [&] {
          WLProfile applied{};
          return form->Adapter()->GetAppliedProf(applied) &&
                 std::memcmp(&applied, &p, sizeof p) == 0;
        },
        kGenerous);
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(TFormMainStore, AdapterPageSaveKeepsWizardEditsAndTouchesOnlyItsOwnProfile) {
  ASSERT_TRUE(env.Bound());
  form = new TFormMain(nullptr);
  form->Start(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(Store("Home", "HomeNet"));
  ASSERT_TRUE(Store("Office", "OfficeNet"));
  WLProfile home = *Stored("Home");
  ASSERT_TRUE(Apply(home));

  // The wizard changes the stored profile after it was applied.
  ASSERT_TRUE(Select("Home"));
  form->FrameProfile1->BtnEditClick();
  SetField(g_GlobalVar.WorkProfile.Ssid1, "HomeNet2");
  ASSERT_EQ(Notify(kNotifyStoreProfile, kProfEditMode), 1);
  form->FrameProfile1->EnterPage(nullptr, kModeStation, 0);

  TFrameAdapter* page = form->FrameAdapter1;
  page->EnterPage(nullptr, kModeStation, 0);
  ASSERT_TRUE(page->CmbPower->SelectByValue(1));
  ASSERT_TRUE(page->CmbPreamble->SelectByValue(1));
  page->BtnSaveClick();
  ASSERT_NE(Stored("Home"), nullptr);
  EXPECT_EQ(FieldText(Stored("Home")->Ssid1), "HomeNet2") << "the wizard's edit is kept";
  EXPECT_EQ(Stored("Home")->PowerMode, 1);
  EXPECT_EQ(Stored("Home")->PreambleMode, 1);

  // Applied under another letter case, while the wizard edits Office: the
  // stored "Home" is changed, Office is not, and nothing new appears.
  WLProfile lower = *Stored("Home");
  SetField(lower.ProfileName, "home");
  ASSERT_TRUE(Apply(lower));
  ASSERT_TRUE(Select("Office"));
  form->FrameProfile1->BtnEditClick();
  const WLProfile wizards = g_GlobalVar.WorkProfile;
  ASSERT_TRUE(page->CmbPower->SelectByValue(2));
  page->BtnSaveClick();
  EXPECT_EQ(Stored("Home")->PowerMode, 2);
  EXPECT_EQ(FieldText(Stored("Office")->Ssid1), "OfficeNet");
  EXPECT_EQ(Stored("Office")->PowerMode, 0);
  EXPECT_EQ(form->Adapter()->ProfList.size(), 3u);
  EXPECT_EQ(std::memcmp(&g_GlobalVar.WorkProfile, &wizards, sizeof wizards), 0)
      << "the wizard's working profile is left as it was";

  // From outside the wizard the edited name is never a fallback; once the
  // wizard has ended it is forgotten.
  SetField(g_GlobalVar.WorkProfile.ProfileName, "Nowhere");
  EXPECT_EQ(Notify(kNotifyStoreProfile, kProfEditMode | kProfOwnName), 0);
  form->FrameProfile1->EnterPage(nullptr, kModeStation, 0);
  EXPECT_EQ(Notify(kNotifyStoreProfile, kProfEditMode), 0);
  EXPECT_EQ(FieldText(Stored("Office")->Ssid1), "OfficeNet");
  EXPECT_EQ(Stored("Nowhere"), nullptr);
}

}  // namespace
