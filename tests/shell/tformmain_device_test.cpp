// The main window and the adapter: selection when the detection thread
// reports it, release when it is unplugged, selection again when it comes
// back, the tray icon on the way, and the command-line variants.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "adapter/Unicadapter.h"
#include "app/Utimescale.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/wizard/Uframeprofset.h"
#include "shell/Uformabout.h"
#include "shell/Utraynotes.h"
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
  EXPECT_FALSE(form->APPagesBuilt()) << "station mode built the access-point pages";
  EXPECT_TRUE(form->TrayIconMain->Visible()) << "selection shows the tray icon";
  EXPECT_FALSE(form->BtnSoftAP->Enabled()) << "the adapter never offers the access-point role";
  // The last (here: the first) profile is connected; the icon follows the link.
  EXPECT_TRUE(env.Logged("Connect last => Default"));
  EXPECT_TRUE(WaitUntil(
      [&] { return form->TrayIconMain->IconIndex() == TFormMain::kIconConnected; }, kGenerous))
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
      if (!goingAt && Contains(log, "CNICAdapter::Dispose()")) goingAt = GetTickCount();
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
  TFrameProfSet* wizard = form->FrameProfile1->BuiltWizard();
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(IsWindowVisible(wizard->Handle()));
  env.WriteWorld(false);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_FALSE(IsWindowVisible(wizard->Handle()));
  EXPECT_EQ(form->FrameProfile1->Adapter(), nullptr);
}

// Two supported adapters: a USB one listed first in the settings, a built-in
// PCI one second. The detection list names only the first present of them.
namespace {

constexpr const char* kUsbHwid = "VID_1D4F&PID_0A71";
// The session notes the detection window gets.
constexpr UINT kSessionChange = 0x02B1;
constexpr WPARAM kConsoleConnect = 1;
constexpr WPARAM kConsoleDisconnect = 2;

class TFormMainTwoAdapters : public ::testing::Test {
 protected:
  explicit TFormMainTwoAdapters(int osVersion = 6)
      : env(std::string("HWID1=") + kPciHwid + "\r\n", osVersion) {}
  void Make(int32_t flags) {
    form = new TFormMain(nullptr);
    recorder = new TRecordingPage(form, form, "FrameRec", &events);
    form->Start(flags);
  }
  void TearDown() override { delete form; }
  // The window has settled on the adapter with this supported id.
  bool Using(const char* hwid) {
    return WaitUntil(
        [&] {
          return form->Adapter() && !form->Releasing() && form->SelectedDevice() &&
                 FieldText(form->SelectedDevice()->HardwareId) == hwid;
        },
        kGenerous);
  }
  // The last profile is connected: detection, suspended meanwhile, listens
  // again.
  bool LinkUp() {
    return WaitUntil([&] { return form->TrayIconMain->IconIndex() == TFormMain::kIconConnected; },
                     kGenerous);
  }
  // Position of the first log line equal to text at or after from; -1: none.
  int LogIndex(const std::string& text, int from = 0) const {
    const std::vector<std::string> log = env.Log();
    for (int i = std::max(from, 0); i < static_cast<int>(log.size()); ++i)
      if (log[i] == text) return i;
    return -1;
  }
  int LogSize() const { return static_cast<int>(env.Log().size()); }

  MainWindowEnv env;
  TFormMain* form = nullptr;
  TRecordingPage* recorder = nullptr;
  std::vector<PageEvent> events;
};

class TFormMainTwoAdaptersNoInterfaceNotes : public TFormMainTwoAdapters {
 protected:
  // Before version class 6 no device-interface notes are registered, and the
  // detection thread acts on the power messages itself.
  TFormMainTwoAdaptersNoInterfaceNotes() : TFormMainTwoAdapters(5) {}
};

const std::vector<PageEvent> kHandOver = {{"FrameRec", 'A', kDetach, kModeStation},
                                          {"FrameRec", 'A', kAttach, kModeStation}};

}  // namespace

TEST_F(TFormMainTwoAdapters, UnpluggingTheAdapterInUseHandsTheWindowToTheOtherAndBack) {
  ASSERT_TRUE(env.Bound());
  env.WriteWorld(true, 1);
  Make(0);
  ASSERT_TRUE(Using(kUsbHwid));
  // A profile of the store that only the built-in adapter used last.
  WLProfile home = form->Adapter()->DefProf;
  SetField(home.ProfileName, "Home");
  SetField(home.NetInfo.NI_sz_CurProfile, "Home");
  SetField(home.Ssid1, "TestOpen");
  ASSERT_TRUE(form->Adapter()->AddProfile(home));
  const std::string pciKey =
      "Software\\" + env.Root() + "\\WLAdapter\\" + std::string(kPciHwid) + "-9999";
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, pciKey.c_str(), "LastProf", REG_SZ, "Home", 5),
            ERROR_SUCCESS);
  form->Show();
  std::vector<std::string> balloons;
  form->TrayNotes()->Show = [&balloons](const std::string&, const std::string& text) {
    balloons.push_back(text);
    return true;
  };
  // Balloons show one per interval and only the latest of those waiting:
  // a step starts once the link is up and its balloon's interval is over.
  const DWORD interval = timescale::Ms(5000);
  auto settle = [&] {
    EXPECT_TRUE(LinkUp());
    WaitUntil([] { return false; }, interval * 3 / 2);
    balloons.clear();
  };
  // The adapter's balloons of a step (the link's aside), once the new link
  // is up and any balloon that waited for its turn has shown.
  auto news = [&] {
    EXPECT_TRUE(LinkUp());
    WaitUntil([] { return false; }, interval * 3 / 2);
    std::vector<std::string> got;
    for (const std::string& text : balloons)
      if (text.rfind("Connected to ", 0) != 0 && text.rfind("Disconnected from ", 0) != 0)
        got.push_back(text);
    balloons.clear();
    return got;
  };

  settle();
  events.clear();
  env.WriteWorld(false, 1);
  ASSERT_TRUE(Using(kPciHwid)) << "the adapter left present was not taken";
  EXPECT_EQ(events, kHandOver);
  // The window stays open for the adapter that takes over; the one that
  // left is announced, the one that was there all along is not.
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // (The old link's drop may have taken the balloon's turn, and the new
  // link's the rest: only the latest waiting balloon shows.)
  for (const std::string& text : news()) EXPECT_EQ(text, "Ombrix Test Adapter was unplugged.");
  EXPECT_TRUE(env.Logged("Select Dev: <Ombrix Test PCI Adapter><VEN_1D4F&DEV_0B12><9999>"));
  EXPECT_EQ(form->FrameProfile1->Adapter(), form->Adapter());
  EXPECT_EQ(form->FrameLinkInfo1->Adapter(), form->Adapter());
  EXPECT_EQ(form->FrameProfile1->LvProf->RowCount(), 2);
  EXPECT_TRUE(env.Logged("Connect last => Home")) << "the built-in adapter's last profile";
  EXPECT_TRUE(form->TrayIconMain->Visible());
  EXPECT_EQ(form->OperateMode(), kModeStation);

  // The USB adapter is back: the list names it alone, so the window goes back.
  settle();
  events.clear();
  env.WriteWorld(true, 1);
  ASSERT_TRUE(Using(kUsbHwid));
  EXPECT_EQ(events, kHandOver);
  EXPECT_EQ(FieldText(form->SelectedDevice()->Description), "Ombrix Test Adapter");
  // The built-in adapter only gave way: still plugged in, not announced.
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(news(), std::vector<std::string>{"Ombrix Test Adapter was plugged in."});

  // Unplugging the adapter not in use changes nothing, even after the passes
  // its removal set off.
  ASSERT_TRUE(LinkUp());
  CNICAdapter* adapter = form->Adapter();
  events.clear();
  const int before = LogSize();
  env.WriteWorld(true, 0);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const int removed = LogIndex("Remove HWID: PCI\\VEN_1D4F&DEV_0B12\\OMX0002", before);
        return removed >= 0 && LogIndex("available device 1", removed) >= 0;
      },
      kGenerous));
  PumpMessages();
  EXPECT_EQ(form->Adapter(), adapter);
  EXPECT_FALSE(form->Releasing());
  EXPECT_TRUE(events.empty());
}

TEST_F(TFormMainTwoAdapters, AReleaseForResumeOrDisconnectTakesNothingUntilTheNextPass) {
  ASSERT_TRUE(env.Bound());
  env.WriteWorld(true, 1);
  Make(0);
  ASSERT_TRUE(Using(kUsbHwid));

  // Released while the list still names the device: nothing reports again,
  // so nothing is taken.
  events.clear();
  SendMessageA(form->Handle(), NotifyMsg, kNotifyDevice, kDevicesGone);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_EQ(form->SelectedDevice(), nullptr);
  EXPECT_EQ(events, (std::vector<PageEvent>{{"FrameRec", 'A', kDetach, kModeStation}}));
  SendMessageA(form->Handle(), NotifyMsg, kNotifyDevice, kDevicesChanged);
  ASSERT_TRUE(Using(kUsbHwid));

  // The console goes away and comes back: the adapter is taken again only
  // after the pass that follows the reconnection.
  HWND detect = g_ThrdDetect->Window();
  ASSERT_NE(detect, nullptr);
  const int before = LogSize();
  SendMessageA(detect, kSessionChange, kConsoleDisconnect, 0);
  ASSERT_TRUE(WaitAdapter(form, false));
  SendMessageA(detect, kSessionChange, kConsoleConnect, 0);
  ASSERT_TRUE(Using(kUsbHwid));
  const int connected = LogIndex("WTS_CONSOLE_CONNECT", before);
  const int pass = LogIndex("available device 1", connected);
  ASSERT_GE(connected, 0);
  ASSERT_GE(pass, 0);
  EXPECT_GT(LogIndex("Select Dev: <Ombrix Test Adapter><VID_1D4F&PID_0A71><9999>", before), pass);
}

TEST_F(TFormMainTwoAdaptersNoInterfaceNotes, AfterResumeTheFirstListedAdapterIsTakenAtTheNextPass) {
  ASSERT_TRUE(env.Bound());
  env.WriteWorld(true, 1);
  Make(0);
  ASSERT_TRUE(Using(kUsbHwid));
  ASSERT_TRUE(LinkUp());
  events.clear();
  const int before = LogSize();
  SendMessageA(g_ThrdDetect->Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  ASSERT_TRUE(
      WaitUntil([&] { return LogIndex("WM_POWERBROADCAST resume", before) >= 0; }, kGenerous));
  ASSERT_TRUE(WaitUntil([&] { return events.size() >= 2 && !form->Releasing(); }, kGenerous));
  ASSERT_TRUE(Using(kUsbHwid));
  EXPECT_EQ(events, kHandOver);
  const int resumed = LogIndex("WM_POWERBROADCAST resume", before);
  const int pass = LogIndex("available device 1", resumed);
  ASSERT_GE(pass, 0);
  EXPECT_GT(LogIndex("Select Dev: <Ombrix Test Adapter><VID_1D4F&PID_0A71><9999>", before), pass);
}
