// The profile page's context menu: export of one or every profile, import
// that shows the new rows at once and says how many, refusal of a file that
// is not an export; the menu key opens the menu at the selected row.
#include <vector>

#include "adapter/Unicadapter.h"
#include "pages/station/Uframeprofile.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

struct ProfilePageFixture {
  ProfilePageFixture() : host(nullptr, "FormHost"), adapter(nullptr, 0, TestDevice()) {
    page = new TFrameProfile(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(&adapter, kAttach, kModeStation);
    page->OnFileDialog = [this](bool save, std::string& path) {
      Asked.push_back({save, path});
      if (Answer.empty()) return false;
      path = Answer;
      return true;
    };
  }
  ~ProfilePageFixture() {
    page->AttachAdapter(&adapter, kDetach, kModeStation);
    page->DonePage();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (int i = 0; i < page->LvProf->RowCount(); ++i)
      out.push_back(page->LvProf->Row(i)->SubItem(0));
    return out;
  }
  std::string Selected() const {
    TLvRow* row = page->LvProf->Selected();
    return row ? row->SubItem(0) : "<none>";
  }
  // Answers the next message box with OK and returns its text.
  void AnswerBox() {
    Box.clear();
    Every(20, [this] {
      auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (!box) return false;
      Box = box->LbMsg->Caption();
      box->BtnOk->Click();
      return true;
    });
  }

  TForm host;
  CNICAdapter adapter;
  TFrameProfile* page;
  std::vector<std::pair<bool, std::string>> Asked;
  std::string Answer;
  std::string Box;
};

TEST(ProfileExport, ExportThenImportShowsTheRowsAtOnceAndSaysHowMany) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  TempDir files;
  ProfilePageFixture f;
  g_GlobalVar.WorkProfile = f.adapter.DefProf;
  SetField(g_GlobalVar.WorkProfile.ProfileName, "Office/2");
  SetField(g_GlobalVar.WorkProfile.Ssid1, "TestOpen");
  ASSERT_TRUE(f.page->SaveProfile(0));
  // A saved profile comes in at the top.
  ASSERT_EQ(f.Names(), (std::vector<std::string>{"Office/2", "Default"}));

  // One profile: the dialog suggests its name as a file name.
  f.page->LvProf->SelectRow(0);
  f.Answer = files / "one.wlprof";
  f.page->MenuItExportClick();
  ASSERT_EQ(f.Asked.size(), 1u);
  EXPECT_TRUE(f.Asked[0].first);
  EXPECT_EQ(f.Asked[0].second, "Office_2.wlprof");
  EXPECT_TRUE(FileExists(f.Answer));
  f.Answer = files / "all.wlprof";
  f.page->MenuItExportAllClick();
  EXPECT_EQ(f.Asked.back().second, "Profiles.wlprof");
  EXPECT_TRUE(FileExists(f.Answer));

  ASSERT_TRUE(f.adapter.DeleteProfile(kStationList, "Office/2"));
  f.page->AttachAdapter(&f.adapter, kDetach, kModeStation);
  f.page->AttachAdapter(&f.adapter, kAttach, kModeStation);
  ASSERT_EQ(f.Names(), std::vector<std::string>{"Default"});

  f.Answer = files / "one.wlprof";
  f.AnswerBox();
  f.page->MenuItImportClick();
  EXPECT_FALSE(f.Asked.back().first);
  EXPECT_EQ(f.Box, "One profile was imported.");
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Default", "Office/2"}));
  EXPECT_EQ(f.Selected(), "Office/2") << "the imported row is shown";
  EXPECT_TRUE(f.adapter.IsProfileExist("Office/2"));

  // Same names are replaced, not doubled.
  f.Answer = files / "all.wlprof";
  f.AnswerBox();
  f.page->MenuItImportClick();
  EXPECT_EQ(f.Box, "2 profiles were imported.");
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Default", "Office/2"}));

  // A file that is not an export changes nothing.
  f.Answer = files / "notes.txt";
  WriteText(f.Answer, "[Profile]\r\nName=Fake\r\n");
  f.AnswerBox();
  f.page->MenuItImportClick();
  EXPECT_EQ(f.Box, "notes.txt is not a profile export file. Nothing was imported.");
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Default", "Office/2"}));
  std::vector<WLProfile> stored;
  f.adapter.GetProfileList(kStationList, stored);
  EXPECT_EQ(stored.size(), 2u);

  // Cancelling the dialog does nothing at all.
  f.Answer.clear();
  const size_t asked = f.Asked.size();
  f.page->MenuItImportClick();
  EXPECT_EQ(f.Asked.size(), asked + 1);
}

TEST(ProfileExport, TheMenuOffersWhatAppliesAndOpensAtTheSelectedRowFromTheKeyboard) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  ProfilePageFixture f;
  f.host.SetBounds(0, 0, 640, 480);
  f.host.Show();
  f.page->LvProf->ClearSelection();
  f.page->PrepareMenu();
  EXPECT_FALSE(f.page->MenuItExport->Enabled());
  EXPECT_TRUE(f.page->MenuItExportAll->Enabled());
  EXPECT_TRUE(f.page->MenuItImport->Enabled());
  f.page->LvProf->SelectRow(0);
  f.page->PrepareMenu();
  EXPECT_TRUE(f.page->MenuItExport->Enabled());

  // While Windows manages the adapter the page offers nothing.
  f.page->AdapterNotify(&f.adapter, kNotifyWZC, kWZCOn);
  f.page->PrepareMenu();
  EXPECT_FALSE(f.page->MenuItImport->Enabled());
  EXPECT_FALSE(f.page->MenuItExportAll->Enabled());
  f.page->AdapterNotify(&f.adapter, kNotifyWZC, kWZCOff);

  // The menu key (WM_CONTEXTMENU at -1): below the selected row, inside the list.
  POINT at{-1, -1};
  f.page->LvProf->OnContextMenu = [&at](int x, int y) { at = POINT{x, y}; };
  f.page->LvProf->SelectRow(0);
  SendMessageA(f.page->LvProf->Handle(), WM_CONTEXTMENU,
               reinterpret_cast<WPARAM>(f.page->LvProf->Handle()), -1);
  RECT list{};
  GetWindowRect(f.page->LvProf->Handle(), &list);
  EXPECT_TRUE(PtInRect(&list, at)) << at.x << "," << at.y;
  EXPECT_GT(at.y, list.top + 8);
  // The mouse: where the cursor is.
  SendMessageA(f.page->LvProf->Handle(), WM_CONTEXTMENU,
               reinterpret_cast<WPARAM>(f.page->LvProf->Handle()), MAKELPARAM(123, 45));
  EXPECT_EQ(at.x, 123);
  EXPECT_EQ(at.y, 45);
  f.host.Hide();
}

}  // namespace
