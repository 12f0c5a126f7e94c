// The main window's additions for scripts and the tray: Disconnect in the
// tray menu while a link is up, balloons for the link and the adapter, the
// answer to a script's probe and requests, and the switch that turns the
// balloons off.
#include <algorithm>

#include "adapter/Unicadapter.h"
#include "app/Utimescale.h"
#include "shell/Utraynotes.h"
#include "tformmain_support.h"
#include "workers/Uthrddetect.h"

using namespace mainwin;

namespace {

class TFormMainScript : public ::testing::Test {
 protected:
  void Make(int32_t flags) {
    form = new TFormMain(nullptr);
    form->TrayNotes()->Show = [this](const std::string&, const std::string& text) {
      balloons.push_back(text);
      return true;
    };
    form->Start(flags);
  }
  void TearDown() override { delete form; }
  bool Balloon(const std::string& text) {
    return WaitUntil([&] { return Contains(balloons, text); }, kGenerous);
  }
  bool LinkIcon(int index) {
    return WaitUntil([&] { return form->TrayIconMain->IconIndex() == index; }, kGenerous);
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
  std::vector<std::string> balloons;
};

TEST_F(TFormMainScript, DisconnectFromTheTrayAndBalloonsForTheLinkAndTheAdapter) {
  ASSERT_TRUE(env.Bound());
  Make(CmdTrayIcon);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(LinkIcon(TFormMain::kIconConnected));
  EXPECT_TRUE(Balloon("Connected to TestOpen"));
  EXPECT_FALSE(Contains(balloons, "Ombrix Test Adapter was plugged in."))
      << "the adapter present at the start is no news";

  form->PrepareTrayMenu();
  ASSERT_TRUE(form->MenuItDisconnect->Visible());
  EXPECT_EQ(form->MenuItDisconnect->Caption(), "Disconnect");
  form->MenuItDisconnect->Click();
  EXPECT_TRUE(LinkIcon(TFormMain::kIconDisconnected));
  EXPECT_TRUE(env.Logged("call OMXWL_Disconnect end 1"));
  EXPECT_TRUE(Balloon("Disconnected from TestOpen")) << "held back, then shown";
  form->PrepareTrayMenu();
  EXPECT_FALSE(form->MenuItDisconnect->Visible());
  // The library forgot the settings: the link stays down.
  Sleep(timescale::Ms(1500));
  PumpMessages();
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconDisconnected);

  env.WriteWorld(false);
  ASSERT_TRUE(WaitAdapter(form, false));
  EXPECT_TRUE(Balloon("Ombrix Test Adapter was unplugged.")) << ::testing::PrintToString(balloons);
  // Once the interval has passed the arrival shows at once; the new link
  // within the next seconds waits for its turn.
  WaitUntil([] { return false; }, timescale::Ms(5500));
  env.WriteWorld(true);
  ASSERT_TRUE(WaitAdapter(form, true));
  EXPECT_TRUE(Balloon("Ombrix Test Adapter was plugged in.")) << ::testing::PrintToString(balloons);
  EXPECT_TRUE(WaitUntil(
      [&] { return std::count(balloons.begin(), balloons.end(), "Connected to TestOpen") == 2; },
      kGenerous));
  // One balloon for each event, none twice.
  EXPECT_EQ(std::count(balloons.begin(), balloons.end(), "Disconnected from TestOpen"), 1);
  EXPECT_EQ(std::count(balloons.begin(), balloons.end(), "Ombrix Test Adapter was unplugged."), 1);
}

TEST_F(TFormMainScript, AnswersTheProbeAndServesOnlyWellFormedRequests) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  EXPECT_EQ(SendMessageA(form->Handle(), NotifyMsg, kNotifyScript, 0), script::kProbeAnswer);
  ASSERT_TRUE(WaitAdapter(form, true));

  script::Reply r = form->ServeScript({script::Command::Connect, "Nowhere", ""});
  EXPECT_EQ(r.Code, script::kExitNoProfile);
  r = form->ServeScript({script::Command::Connect, "default", ""});
  EXPECT_EQ(r.Code, script::kExitOk) << r.Err;
  EXPECT_EQ(r.Out, "Connecting with profile 'default'.\r\n");
  EXPECT_TRUE(WaitUntil(
      [&] {
        r = form->ServeScript({script::Command::Status, "", ""});
        return r.Out.find("state: connected\r\nprofile: Default\r\nnetwork: TestOpen\r\n") !=
               std::string::npos;
      },
      kGenerous))
      << r.Out;
  EXPECT_FALSE(IsWindowVisible(form->Handle()));

  // Anyone may send WM_COPYDATA: a broken request is refused, not served.
  const std::string junk(
      "WUS1\0"
      "1\0\0\0",
      10);  // /Connect without a name
  COPYDATASTRUCT cds{script::kRequestTag, static_cast<DWORD>(junk.size()),
                     const_cast<char*>(junk.data())};
  EXPECT_EQ(SendMessageA(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)),
            script::kServedMark | script::kExitUsage);
  cds.dwData = 1;  // not ours: left to the default handling
  EXPECT_EQ(SendMessageA(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 0);
}

TEST(TrayNotesSetting, NotificationsZeroTurnsTheBalloonsOff) {
  for (bool enabled : {false, true}) {
    MainWindowEnv env(enabled ? "" : "Notifications=0\r\n");
    TFormMain* form = new TFormMain(nullptr);
    EXPECT_EQ(form->TrayNotes()->Enabled(), enabled);
    delete form;
  }
}

}  // namespace
