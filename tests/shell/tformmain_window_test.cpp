// The main window's events, pages, closing and tray menu: which NotifyMsg
// codes reach the pages and which are dropped, the page switch, hiding on
// the close box, ending through the tray menu, the question before the
// utility takes the adapter back from Windows, and the about box.
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uformabout.h"
#include "shell/Uformmsgbox.h"
#include "tformmain_support.h"
#include "workers/Uthrddetect.h"

using namespace mainwin;

namespace {

class TFormMainWindow : public ::testing::Test {
 protected:
  void Make(int32_t flags = 0, bool second = false) {
    form = new TFormMain(nullptr);
    recorder = new TRecordingPage(form, form, "FrameRec", &events);
    recorder->Freed = &recorderFreed;
    if (second) new TRecordingPage(form, form, "FrameRec2", &events);
    form->Start(flags);
  }
  void TearDown() override {
    if (!recorderFreed) delete form;
  }
  LRESULT Notify(WPARAM code, LPARAM value) {
    return SendMessageA(form->Handle(), NotifyMsg, code, value);
  }
  std::vector<PageEvent> Received() {
    std::vector<PageEvent> out;
    for (const PageEvent& e : events)
      if (e.What == 'N') out.push_back(e);
    return out;
  }
  // Answers the next message box with its OK (true) or Cancel button and
  // keeps its text.
  void AnswerBox(bool ok) {
    Every(20, [this, ok] {
      auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (!box) return false;
      boxText = box->LbMsg->Caption();
      // Asking again while the question is open is refused at once.
      reentry = form->ConfirmUtilityControl();
      (ok ? box->BtnOk : box->BtnCancel)->Click();
      return true;
    });
  }

  MainWindowEnv env{"", 7};
  TFormMain* form = nullptr;
  TRecordingPage* recorder = nullptr;
  bool recorderFreed = false;
  std::vector<PageEvent> events;
  std::string boxText;
  bool reentry = true;
};

TEST_F(TFormMainWindow, AdapterEventsAreDroppedWithoutAnAdapterAndForwardedInPageOrderWithOne) {
  ASSERT_TRUE(env.Bound());
  env.WriteWorld(false);
  Make(0, true);
  for (WPARAM code : {kNotifyStatus, kNotifyWZC, kNotifyConnecting, kNotifyProfiles})
    Notify(code, 5);
  EXPECT_TRUE(Received().empty());
  EXPECT_EQ(Notify(kNotifyStoreProfile, 0), 0) << "no adapter: nothing can be stored";

  env.WriteWorld(true);
  ASSERT_TRUE(WaitAdapter(form, true));
  form->Show();
  Notify(kNotifyStatus, 5);
  Notify(kNotifyConnecting, kNotifyAPSide);  // the icon keeps its state
  Notify(kNotifyProfiles, 6);
  // The access-point side: not the station list, nothing happens.
  Notify(kNotifyStoreProfile, kProfEditMode | kNotifyAPSide);
  EXPECT_EQ(Received(),
            (std::vector<PageEvent>{{"FrameRec", 'N', kNotifyStatus, 5},
                                    {"FrameRec2", 'N', kNotifyStatus, 5},
                                    {"FrameRec", 'N', kNotifyConnecting, kNotifyAPSide},
                                    {"FrameRec2", 'N', kNotifyConnecting, kNotifyAPSide},
                                    {"FrameRec", 'N', kNotifyProfiles, 6},
                                    {"FrameRec2", 'N', kNotifyProfiles, 6}}));
  // Windows takes the adapter: pages hear it first, then the window hides.
  events.clear();
  Notify(kNotifyWZC, kWZCOn);
  EXPECT_EQ(Received(), (std::vector<PageEvent>{{"FrameRec", 'N', kNotifyWZC, kWZCOn},
                                                {"FrameRec2", 'N', kNotifyWZC, kWZCOn}}));
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconDisconnected);
}

TEST_F(TFormMainWindow, CodeFiveStoresTheWorkingProfileThroughTheProfilePage) {
  ASSERT_TRUE(env.Bound());
  Make();
  ASSERT_TRUE(WaitAdapter(form, true));
  WLProfile& work = g_GlobalVar.WorkProfile;
  work = form->Adapter()->DefProf;
  SetField(work.ProfileName, "Office");
  SetField(work.NetInfo.NI_sz_CurProfile, "Office");
  SetField(work.Ssid1, "OfficeNet");
  EXPECT_EQ(Notify(kNotifyStoreProfile, 0), 1);
  EXPECT_TRUE(form->Adapter()->IsProfileExist("Office"));
  TLvRow* row = form->FrameProfile1->LvProf->Selected();
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->SubItem(0), "Office");
  EXPECT_EQ(row->SubItem(1), "OfficeNet");

  // Edit mode finds the row by name and changes it in place.
  const int rows = form->FrameProfile1->LvProf->RowCount();
  SetField(work.Ssid1, "OfficeNet2");
  EXPECT_EQ(Notify(kNotifyStoreProfile, kProfEditMode), 1);
  EXPECT_EQ(form->FrameProfile1->LvProf->RowCount(), rows);
  EXPECT_EQ(form->FrameProfile1->LvProf->Selected()->SubItem(1), "OfficeNet2");
  SetField(work.ProfileName, "Nowhere");
  EXPECT_EQ(Notify(kNotifyStoreProfile, kProfEditMode), 0);
  EXPECT_TRUE(env.Logged("SaveProfile: not found selected profile"));
}

TEST_F(TFormMainWindow, TabsPagesAndBackgroundsSwitchTogether) {
  Make();
  EXPECT_EQ(form->CurrentTab(), form->LbLinkInfo);
  EXPECT_TRUE(form->LbLinkInfo->Selected());
  EXPECT_TRUE(form->FrameLinkInfo1->Visible());
  EXPECT_TRUE(form->LbLinkInfo->Visible());
  EXPECT_FALSE(form->LbAPInfo->Visible()) << "access-point tabs belong to the other mode";
  EXPECT_FALSE(form->BtnSoftAP->Visible());
  ASSERT_NE(form->CurrentBackground(), nullptr);
  EXPECT_TRUE(form->CurrentBackground()->SameAs(FormRes->ImgMainInfo->Picture()));

  form->LbProfile->MouseDown(TMouseButton::Left, MK_LBUTTON, 5, 5);
  EXPECT_EQ(form->CurrentPage(), static_cast<TPropertyPageFrame*>(form->FrameProfile1));
  EXPECT_TRUE(form->FrameProfile1->Visible());
  EXPECT_FALSE(form->FrameLinkInfo1->Visible());
  EXPECT_TRUE(form->LbProfile->Selected());
  EXPECT_FALSE(form->LbLinkInfo->Selected());
  EXPECT_TRUE(form->CurrentBackground()->SameAs(FormRes->ImgMainProfile->Picture()));

  // Show-page requests: the survey opens without scanning; unknown pages
  // change nothing.
  Notify(kNotifyShowPage, kPageSurvey);
  EXPECT_EQ(form->CurrentTab(), form->LbSiteSurvey);
  EXPECT_TRUE(form->CurrentBackground()->SameAs(FormRes->ImgMainSurvey->Picture()));
  Notify(kNotifyShowPage, 7);
  EXPECT_EQ(form->CurrentTab(), form->LbSiteSurvey);
  Notify(kNotifyShowPage, kPageLinkInfo);
  EXPECT_EQ(form->CurrentTab(), form->LbLinkInfo);
  // Asking the profile page to open the wizard; without an adapter it
  // refuses and the link page stays.
  Notify(kNotifyShowProfile, kProfKeyOnly);
  EXPECT_EQ(form->CurrentTab(), form->LbLinkInfo);
  EXPECT_TRUE(form->FrameLinkInfo1->Visible());
}

TEST_F(TFormMainWindow, TheCloseBoxOnlyHidesTheWindow) {
  Make();
  Application.MainWindow = form->Handle();
  form->Show();
  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  PumpMessages();
  EXPECT_FALSE(recorderFreed);
  EXPECT_TRUE(IsWindow(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(form->Closing());
  EXPECT_EQ(form->State(), TFormMain::Lifetime::Running);
  EXPECT_FALSE(Application.Terminated());
}

TEST_F(TFormMainWindow, TheTrayMenusCloseFreesTheWindowAndEndsTheProgram) {
  ASSERT_TRUE(env.Bound());
  Make(CmdTrayIcon);
  Application.MainWindow = form->Handle();
  ASSERT_TRUE(WaitAdapter(form, true));
  HWND window = form->Handle();
  form->MenuItClose->Click();
  ASSERT_TRUE(WaitUntil([&] { return recorderFreed; }, kGenerous));
  EXPECT_EQ(recorder->DoneCount, 1) << "pages are finished before they go";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(Application.Terminated());
  EXPECT_EQ(g_ThrdDetect, nullptr);
  EXPECT_EQ(FormMain, nullptr);
}

TEST_F(TFormMainWindow, LogoffStopsTheThreadsAndRemovesTheIconBeforeItsMessageReturns) {
  ASSERT_TRUE(env.Bound());
  Make(CmdTrayIcon);
  Application.MainWindow = form->Handle();
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(form->TrayIconMain->Shown());
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(form->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // logoff cancelled
  PumpMessages();
  ASSERT_FALSE(recorderFreed);
  EXPECT_NE(form->Adapter(), nullptr);
  EXPECT_TRUE(form->TrayIconMain->Shown());

  SendMessageA(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  // The process may be ended from here on: nothing may still be running.
  EXPECT_FALSE(form->TrayIconMain->Shown());
  EXPECT_EQ(g_ThrdDetect, nullptr);
  EXPECT_EQ(form->Adapter(), nullptr);
  EXPECT_TRUE(env.Logged("CNICAdapter::~CNICAdapter() end"));
  EXPECT_EQ(events.back(), (PageEvent{"FrameRec", 'A', kDetach, kModeStation}));
  ASSERT_TRUE(WaitUntil([&] { return recorderFreed; }, kGenerous));
  EXPECT_TRUE(Application.Terminated());
}

TEST_F(TFormMainWindow, ACloseRequestToTheIconWindowEndsTheProgramAsItsOwnCloseDoes) {
  ASSERT_TRUE(env.Bound());
  Make(CmdTrayIcon);
  Application.MainWindow = form->Handle();
  ASSERT_TRUE(WaitAdapter(form, true));
  // A polite taskkill sends WM_CLOSE to every top-level window.
  HWND detect = g_ThrdDetect->Window();
  SendMessageA(detect, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(detect)) << "detection ends only when the program stops it";
  HWND icon = form->TrayIconMain->Handle();
  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  SendMessageA(icon, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(icon)) << "the icon's window stays while its icon shows";
  ASSERT_TRUE(WaitUntil([&] { return recorderFreed; }, kGenerous));
  EXPECT_TRUE(Application.Terminated());
  EXPECT_FALSE(IsWindow(icon));
}

TEST_F(TFormMainWindow, CodeNineWhileTheAboutBoxIsOpenClosesItFirst) {
  ASSERT_TRUE(env.Bound());
  Make();
  Application.MainWindow = form->Handle();
  ASSERT_TRUE(WaitAdapter(form, true));
  form->Show();
  std::string driver, utility;
  After(50, [&] {
    auto* about = dynamic_cast<TFormAbout*>(TFormBase::TopModalForm());
    if (about) {
      driver = about->LblDriverVer->Caption();
      utility = about->LblUtilityVer->Caption();
    }
    // The about box is the one of its kind.
    form->BtnAboutClick();
    PostMessageA(form->Handle(), NotifyMsg, kNotifyClose, 0);
  });
  form->BtnAboutClick();
  EXPECT_EQ(driver, form->Adapter() ? form->Adapter()->DriverVersion : "")
      << "the about box shows the driver version of the adapter";
  EXPECT_FALSE(utility.empty()) << "the program's own version is shown";
  ASSERT_TRUE(WaitUntil([&] { return recorderFreed; }, kGenerous));
  EXPECT_TRUE(env.Logged("WPM_CLOSEALL"));
  EXPECT_FALSE(TFormMain::AboutOpen());
}

TEST_F(TFormMainWindow, OpenWhileWindowsManagesTheAdapterAsksFirst) {
  ASSERT_TRUE(env.Bound());
  // Windows manages the adapter from the start.
  g_GlobalVar.InfoWriteString("Setting", "EnableZeroCfg", "1");
  Make();
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(form->Adapter()->UseWZC);
  EXPECT_FALSE(env.Logged("Connect last => Default")) << "nothing is connected for Windows";
  EXPECT_EQ(form->FrameProfile1->LvProf->RowCount(), 0);

  form->PrepareTrayMenu();
  EXPECT_TRUE(form->MenuItWZC->Visible());
  EXPECT_TRUE(form->MenuItWZC->Checked());
  EXPECT_FALSE(form->MenuItOpen->Visible());

  AnswerBox(false);
  form->MenuItOpenClick();
  EXPECT_EQ(boxText, "Use Wireless Adapter Utility manage this wireless adapter?");
  EXPECT_FALSE(reentry);
  EXPECT_FALSE(TFormMain::QuestionOpen());
  EXPECT_TRUE(form->Adapter()->UseWZC) << "Cancel leaves everything as it was";
  EXPECT_FALSE(IsWindowVisible(form->Handle()));

  AnswerBox(true);
  form->MenuItOpenClick();
  EXPECT_FALSE(form->Adapter()->UseWZC);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(form->CurrentTab(), form->LbLinkInfo);
  EXPECT_GT(form->FrameProfile1->LvProf->RowCount(), 0) << "the profile list comes back";
  EXPECT_TRUE(WaitUntil([&] { return env.Logged("Connect last => Default"); }, kGenerous));

  // The menu's check item hands the adapter back without a question.
  form->MenuItWZCClick();
  EXPECT_TRUE(form->Adapter()->UseWZC);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(TFormMainWindow, TheModeSwitchHandsTheAdapterToTheOtherPages) {
  ASSERT_TRUE(env.Bound());
  // An adapter with a choice of antennas, set to the second.
  const std::string key = "Software\\" + env.Root() + "\\WLAdapter\\VID_1D4F&PID_0A71-9999";
  for (auto [name, value] : {std::pair<const char*, DWORD>{"EnableAntenna", 1}, {"AntennaMode", 2}})
    ASSERT_EQ(
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value),
        ERROR_SUCCESS);
  auto antenna = [] {
    uint8_t v = 0xEE;
    uint32_t n = 0;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (CLibraryGuard lib(stop, nullptr); lib)
      g_OmxLib.OMXWL_QueryOID(OMXWL_OID_PRIVATE_ANTENNA, &v, 1, &n);
    CloseHandle(stop);
    return static_cast<int>(v);
  };
  // Unplugged at first (the library loaded afresh reads the world at once):
  // the detection thread's first pass must not select the adapter while the
  // first switch runs its message loop.
  env.WriteWorld(false);
  ASSERT_TRUE(env.Rebind());
  Make();
  // Without an adapter only the tabs change.
  form->BtnSoftAPClick(form->BtnSoftAP);
  EXPECT_EQ(form->OperateMode(), kModeAP);
  EXPECT_EQ(form->CurrentTab(), form->LbAPInfo);
  EXPECT_TRUE(form->LbAPCfg->Visible());
  EXPECT_FALSE(form->LbProfile->Visible());
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconAccessPoint);
  form->BtnSoftAPClick(form->BtnStation);
  env.WriteWorld(true);
  ASSERT_TRUE(WaitAdapter(form, true));
  EXPECT_EQ(form->OperateMode(), kModeStation) << "a selection always starts in station mode";
  EXPECT_EQ(antenna(), 2) << "the selection sets the stored antenna";

  events.clear();
  g_GlobalVar.APProfile = form->Adapter()->DefAPProf;
  form->BtnSoftAPClick(form->BtnSoftAP);
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kDetach, kModeStation},
                                            {"FrameRec", 'A', kAttach, kModeAP}}));
  EXPECT_EQ(form->FrameAPInfo1()->Adapter(), form->Adapter());
  EXPECT_EQ(form->FrameProfile1->Adapter(), nullptr);
  EXPECT_TRUE(env.Logged("Connect last => Default_SoftAP"));
  EXPECT_EQ(antenna(), 0) << "an access point uses the default antenna";
  EXPECT_EQ(form->Adapter()->ReadSet("OperateMode", int32_t{-1}), kModeAP);
  Notify(kNotifyStatus, 5);
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconAccessPoint)
      << "access-point mode keeps its icon";
  form->BtnSoftAPClick(form->BtnSoftAP);  // the same mode again: nothing
  EXPECT_EQ(events.size(), 3u);

  events.clear();
  form->BtnSoftAPClick(form->BtnStation);
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kDetach, kModeAP},
                                            {"FrameRec", 'A', kAttach, kModeStation}}));
  EXPECT_EQ(form->CurrentTab(), form->LbLinkInfo);
  EXPECT_EQ(form->FrameProfile1->Adapter(), form->Adapter());
  EXPECT_EQ(antenna(), 2);
  EXPECT_EQ(form->Adapter()->ReadSet("OperateMode", int32_t{-1}), kModeStation);
}

TEST_F(TFormMainWindow, OnOlderWindowsTheTrayMenuHasNoWindowsManagementItem) {
  g_GlobalVar.OsVersionCode = 6;
  Make();
  form->PrepareTrayMenu();
  EXPECT_FALSE(form->MenuItWZC->Visible());
  EXPECT_FALSE(form->MenuItWZCLine->Visible());
  EXPECT_TRUE(form->MenuItClose->Visible());
  EXPECT_TRUE(form->TrayIconMain->Icons() == FormRes->ImgsKvIcon);
}

}  // namespace
