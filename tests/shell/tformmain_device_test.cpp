// The main window and the adapter: selection when the detection thread
// reports it, release when it is unplugged, selection again when it comes
// back, the tray icon on the way, and the command-line variants.
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "adapter/Unicadapter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/wizard/Uframeprofset.h"
#include "shell/Uformabout.h"
#include "tformmain_support.h"
#include "workers/Uthrddetect.h"

using namespace mainwin;

namespace {

class TFormMainDevice : public ::testing::Test {
 protected:
  void Make(int32_t flags) {
    form = new TFormMain(nullptr);
    recorder = new TRecordingPage(form, form, "FrameRec", &events);
    form->Start(flags);
  }
  void TearDown() override {
    delete form;
    EXPECT_EQ(g_ThrdDetect, nullptr) << "the detection thread outlived the window";
  }
  MainWindowEnv env;
  TFormMain* form = nullptr;
  TRecordingPage* recorder = nullptr;
  std::vector<PageEvent> events;
};

TEST_F(TFormMainDevice, SelectsThePluggedAdapterReleasesItWhenUnpluggedAndTakesItBack) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  EXPECT_EQ(form->OperateMode(), kModeStation);
  EXPECT_EQ(form->CurrentPage(), static_cast<TPropertyPageFrame*>(form->FrameLinkInfo1));
  EXPECT_FALSE(form->TrayIconMain->Visible()) << "no /TrayIcon, no adapter: no icon yet";

  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_NE(form->SelectedDevice(), nullptr);
  EXPECT_EQ(FieldText(form->SelectedDevice()->HardwareId), "VID_1D4F&PID_0A71");
  EXPECT_TRUE(env.Logged("Select Dev: <Ombrix Test Adapter><VID_1D4F&PID_0A71><9999>"));
  // Every page learns of it in station mode; only station pages take it.
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kAttach, kModeStation}}));
  EXPECT_EQ(form->FrameProfile1->Adapter(), form->Adapter());
  EXPECT_EQ(form->FrameLinkInfo1->Adapter(), form->Adapter());
  EXPECT_EQ(form->FrameAPInfo1->Adapter(), nullptr);
  EXPECT_TRUE(form->TrayIconMain->Visible()) << "selection shows the tray icon";
  EXPECT_FALSE(form->BtnSoftAP->Enabled()) << "the adapter never offers the access-point role";
  // The last (here: the first) profile is connected; the icon follows the link.
  EXPECT_TRUE(env.Logged("Connect last => Default"));
  EXPECT_TRUE(WaitUntil([&] { return form->TrayIconMain->IconIndex() == TFormMain::kIconConnected; },
                      kGenerous))
      << "the tray icon never showed the link";

  form->Show();
  events.clear();
  env.WriteWorld(false);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_EQ(form->SelectedDevice(), nullptr);
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kDetach, kModeStation}}));
  EXPECT_EQ(form->FrameProfile1->Adapter(), nullptr);
  EXPECT_EQ(form->FrameProfile1->LvProf->RowCount(), 0);
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconDisconnected);
  EXPECT_FALSE(form->TrayIconMain->Visible()) << "without /TrayIcon the icon goes with the adapter";
  EXPECT_FALSE(IsWindowVisible(form->Handle())) << "without /TrayIcon the window hides";

  events.clear();
  env.WriteWorld(true);
  ASSERT_TRUE(WaitAdapter(form, true));
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kAttach, kModeStation}}));
}

TEST_F(TFormMainDevice, WithServiceTheTrayIconIsNeitherShownNorTouched) {
  ASSERT_TRUE(env.Bound());
  Make(CmdService);
  ASSERT_TRUE(WaitAdapter(form, true));
  EXPECT_FALSE(form->TrayIconMain->Visible());
  EXPECT_FALSE(env.Logged("Connect last => Default")) << "a service connects without the list";

  form->TrayIconMain->SetVisible(true);
  form->Show();
  env.WriteWorld(false);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_TRUE(form->TrayIconMain->Visible());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(TFormMainDevice, WithTrayIconTheIconStaysAndOpenWorksWithoutAnAdapter) {
  ASSERT_TRUE(env.Bound());
  env.WriteWorld(false);
  Make(CmdTrayIcon);
  EXPECT_TRUE(form->TrayIconMain->Visible()) << "Start shows the icon with /TrayIcon";
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconDisconnected);
  form->MenuItOpenClick();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));

  env.WriteWorld(true);
  ASSERT_TRUE(WaitAdapter(form, true));
  env.WriteWorld(false);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_TRUE(form->TrayIconMain->Visible());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(TFormMainDevice, WithoutTrayIconOpenDoesNothingUntilThereIsAnAdapter) {
  ASSERT_TRUE(env.Bound());
  env.WriteWorld(false);
  Make(0);
  SendMessageA(form->Handle(), NotifyMsg, kNotifyShow, 0);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  env.WriteWorld(true);
  ASSERT_TRUE(WaitAdapter(form, true));
  SendMessageA(form->Handle(), NotifyMsg, kNotifyShow, 0);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(TFormMainDevice, ANoticeDroppedDuringAReleaseIsLookedAtWhenTheReleaseEnds) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  // Resume from sleep: the adapter is dropped; the device list, read again
  // while the release runs, still holds the device.
  SendMessageA(form->Handle(), NotifyMsg, kNotifyDevice, kDevicesGone);
  EXPECT_TRUE(form->Releasing());
  SendMessageA(form->Handle(), NotifyMsg, kNotifyDevice, kDevicesChanged);
  ASSERT_TRUE(WaitUntil([&] { return !form->Releasing(); }, kGenerous));
  EXPECT_NE(form->Adapter(), nullptr) << "the device that is still there was not taken again";
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kAttach, kModeStation},
                                            {"FrameRec", 'A', kDetach, kModeStation},
                                            {"FrameRec", 'A', kAttach, kModeStation}}));
}

TEST_F(TFormMainDevice, ASecondNoticeForTheSameDeviceChangesNothing) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  CNICAdapter* adapter = form->Adapter();
  events.clear();
  SendMessageA(form->Handle(), NotifyMsg, kNotifyDevice, kDevicesChanged);
  PumpMessages();
  EXPECT_EQ(form->Adapter(), adapter);
  EXPECT_FALSE(form->Releasing());
  EXPECT_TRUE(events.empty());
}

TEST(TFormMainRelease, AWorkerStuckInTheLibraryIsWaitedForOnceAndLeavesTheLockFree) {
  MainWindowEnv env("", 6, std::string(kOpenNetwork) + "[Faults]\r\nDelay.SetWLANStatus=8000\r\n");
  ASSERT_TRUE(env.Bound());
  auto* form = new TFormMain(nullptr);
  form->Start(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  // The last profile is being connected: the worker hangs inside the library.
  ASSERT_TRUE(WaitUntil([&] { return env.Logged("call OMXWL_SetWLANStatus"); }, kGenerous));
  env.WriteWorld(false);  // nothing to take again once the adapter is gone

  // The interface thread is inside the release while the worker is waited
  // for, so a second thread notes when the adapter starts to go and when the
  // worker is killed: only the waiting lies between those two log lines.
  std::atomic<DWORD> goingAt{0}, killedAt{0};
  std::atomic<bool> released{false};
  std::thread watch([&] {
    while (!released && !killedAt) {
      const std::vector<std::string> log = env.Log();
      if (!goingAt && Contains(log, "CNICAdapter::~CNICAdapter()")) goingAt = GetTickCount();
      if (Contains(log, "CNICAdapter::~CNICAdapter TerminateThread")) killedAt = GetTickCount();
      Sleep(10);
    }
  });
  SendMessageA(form->Handle(), NotifyMsg, kNotifyDevice, kDevicesGone);
  const bool gone = WaitAdapter(form, false);
  released = true;
  watch.join();
  ASSERT_TRUE(gone);
  ASSERT_NE(goingAt.load(), 0u);
  ASSERT_NE(killedAt.load(), 0u);
  // Given its 2000 ms twice, the worker would be killed 4000 ms or more after
  // the adapter started to go.
  EXPECT_LT(killedAt - goingAt, 3800u) << "the worker was given its time twice";
  int kills = 0;
  for (const std::string& line : env.Log())
    kills += line.find("TerminateThread") != std::string::npos;
  EXPECT_EQ(kills, 1);
  EXPECT_TRUE(env.Logged("CNICAdapter: release g_OmxLib.SynchEvent event"));
  // Nobody is left locked out of the library (detection may hold it briefly).
  EXPECT_TRUE(WaitUntil(
      [] {
        if (WaitForSingleObject(g_OmxLib.SynchEvent, 0) != WAIT_OBJECT_0) return false;
        SetEvent(g_OmxLib.SynchEvent);
        return true;
      },
      kGenerous));
  delete form;
}

}  // namespace

TEST_F(TFormMainDevice, UnpluggingClosesAnOpenWindowBeforeTheAdapterGoes) {
  ASSERT_TRUE(env.Bound());
  Make(CmdTrayIcon);
  ASSERT_TRUE(WaitAdapter(form, true));
  form->Show();
  int boxAnswer = -1;
  const std::vector<std::pair<const char*, std::function<void()>>> windows = {
      {"message box",
       [&] { boxAnswer = g_GlobalVar.ShowMsgBox(form->Handle(), "Still there?", MB_OKCANCEL); }},
      {"about box", [&] { form->BtnAboutClick(); }},
      {"chart", [&] { form->FrameLinkInfo1->BtnTChartClick(); }},
  };
  for (const auto& [name, open] : windows) {
    SCOPED_TRACE(name);
    bool sawModal = false;
    // Unplugged while the window is up; opening returns once it was closed.
    After(300, [&] {
      sawModal = TFormBase::TopModalForm() != nullptr;
      env.WriteWorld(false);
    });
    open();
    EXPECT_TRUE(sawModal);
    ASSERT_TRUE(WaitAdapter(form, false));
    EXPECT_EQ(TFormBase::TopModalForm(), nullptr);
    env.WriteWorld(true);
    ASSERT_TRUE(WaitAdapter(form, true));
  }
  EXPECT_NE(boxAnswer, IDOK) << "a box closed by the release is not an OK";
  EXPECT_FALSE(TFormMain::AboutOpen());

  // The wizard lives in the profile page: it closes with the page's adapter.
  form->SwitchPage(form->LbProfile, 0);
  form->FrameProfile1->BtnAddClick();
  ASSERT_TRUE(IsWindowVisible(form->FrameProfile1->FrameProfSet1->Handle()));
  env.WriteWorld(false);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_FALSE(IsWindowVisible(form->FrameProfile1->FrameProfSet1->Handle()));
  EXPECT_EQ(form->FrameProfile1->Adapter(), nullptr);
}
