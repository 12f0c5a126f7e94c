// The main window's additions for scripts and the tray: Disconnect in the
// tray menu while a link is up, balloons for the link and the adapter, the
// answer to a script's probe and requests, and the switch that turns the
// balloons off.
#include <algorithm>

#include "adapter/Unicadapter.h"
#include "app/Uscriptrun.h"
#include "pages/station/Uframeprofile.h"
#include "app/Utimescale.h"
#include "shell/Utraynotes.h"
#include "tformmain_support.h"
#include "workers/Uthrddetect.h"

using namespace mainwin;

namespace {

// A window of this process that takes the instance's replies.
class ReplyCatcher {
 public:
  ReplyCatcher() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WuTestReplyCatcher";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ReplyCatcher() { DestroyWindow(hwnd_); }
  ReplyCatcher(const ReplyCatcher&) = delete;
  ReplyCatcher& operator=(const ReplyCatcher&) = delete;
  HWND Handle() const { return hwnd_; }
  const script::Reply& Got() const { return got_; }
  int Count() const { return count_; }
  // Sends a request as a script would: the request message's result.
  LRESULT Send(HWND target, const script::Request& request) {
    const std::string data = script::EncodeRequest(request);
    COPYDATASTRUCT cds{script::kRequestTag, static_cast<DWORD>(data.size()),
                       const_cast<char*>(data.data())};
    return SendMessageA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_),
                        reinterpret_cast<LPARAM>(&cds));
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ReplyCatcher*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
      const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      if (cds->dwData == script::kReplyTag &&
          script::DecodeReply(cds->lpData, cds->cbData, self->got_)) {
        ++self->count_;
        return TRUE;
      }
      return FALSE;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  HWND hwnd_ = nullptr;
  script::Reply got_{-1, "", ""};
  int count_ = 0;
};

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
  EXPECT_EQ(r.Out, "Connecting with profile 'Default'.\r\n") << "the stored name";
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
  ReplyCatcher me;
  const std::string junk(
      "WUS1\0"
      "1\0\0\0",
      10);  // /Connect without a name
  COPYDATASTRUCT cds{script::kRequestTag, static_cast<DWORD>(junk.size()),
                     const_cast<char*>(junk.data())};
  EXPECT_EQ(SendMessageA(form->Handle(), WM_COPYDATA, reinterpret_cast<WPARAM>(me.Handle()),
                         reinterpret_cast<LPARAM>(&cds)),
            script::kServedMark | script::kExitUsage);
  EXPECT_EQ(me.Got().Code, script::kExitUsage);
  cds.dwData = 1;  // not ours: left to the default handling
  EXPECT_EQ(SendMessageA(form->Handle(), WM_COPYDATA, reinterpret_cast<WPARAM>(me.Handle()),
                         reinterpret_cast<LPARAM>(&cds)),
            0);
}

// The request carries its sender: without a living window of this user and
// session nothing is served, not even a well-formed request.
TEST_F(TFormMainScript, ServesOnlyASenderWindowOfThisUserAndSession) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(LinkIcon(TFormMain::kIconConnected));
  const std::string data = script::EncodeRequest({script::Command::Disconnect, "", ""});
  COPYDATASTRUCT cds{script::kRequestTag, static_cast<DWORD>(data.size()),
                     const_cast<char*>(data.data())};
  HWND gone = nullptr;
  {
    ReplyCatcher soon;
    gone = soon.Handle();
  }
  for (HWND sender : {HWND(nullptr), gone, HWND_BROADCAST}) {
    EXPECT_EQ(SendMessageA(form->Handle(), WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                           reinterpret_cast<LPARAM>(&cds)),
              0);
  }
  EXPECT_TRUE(env.Logged("Script request refused: no sender window"));
  Sleep(1500);
  PumpMessages();
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconConnected) << "a refusal disconnected";
  std::string why;
  ReplyCatcher me;
  EXPECT_TRUE(script::SameUserAndSession(me.Handle(), why)) << why;
  EXPECT_FALSE(script::SameUserAndSession(gone, why));
}

// /Connect is answered when the adapter has taken the profile, with the
// stored name; while the wizard shows, Connect and Import are refused and
// what only reads is served.
TEST_F(TFormMainScript, ConnectAnswersOnceAppliedAndWaitsForNoWizard) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(LinkIcon(TFormMain::kIconConnected));
  ReplyCatcher me;
  const uint32_t before = form->Adapter()->ConnectTicket();
  EXPECT_EQ(me.Send(form->Handle(), {script::Command::Connect, "DEFAULT", ""}),
            script::kReplyFollows);
  ASSERT_TRUE(WaitUntil([&] { return me.Count() == 1; }, kGenerous));
  EXPECT_EQ(me.Got().Code, script::kExitOk) << me.Got().Err;
  EXPECT_EQ(me.Got().Out, "Connecting with profile 'Default'.\r\n");
  EXPECT_EQ(form->Adapter()->ConnectTicket(), before + 1);
  EXPECT_EQ(form->Adapter()->ApplyOutcome(before + 1), 1);

  TempDir dir;
  WriteText(dir / "some.wlprof", "whatever");
  form->Show();
  form->SwitchPage(form->LbProfile, 0);
  form->FrameProfile1->BtnAddClick();
  ASSERT_TRUE(form->EditingProfile());
  for (const script::Request& busy :
       {script::Request{script::Command::Connect, "Default", ""},
        script::Request{script::Command::Import, "", dir / "some.wlprof"}}) {
    const script::Reply r = form->ServeScript(busy, me.Handle());
    EXPECT_EQ(r.Code, script::kExitBusy) << r.Err;
    EXPECT_EQ(r.Err, std::string(script::kTextBusy) + "\r\n");
  }
  EXPECT_EQ(me.Send(form->Handle(), {script::Command::Connect, "Default", ""}),
            script::kServedMark | script::kExitBusy);
  EXPECT_EQ(me.Got().Err, std::string(script::kTextBusy) + "\r\n");
  EXPECT_EQ(form->Adapter()->ConnectTicket(), before + 1) << "a refused request connected";
  EXPECT_EQ(form->ServeScript({script::Command::Status, "", ""}).Code, script::kExitOk);
  // Relative names were made whole by the sender; one that was not is
  // refused rather than read in this program's folder.
  EXPECT_EQ(form->ServeScript({script::Command::Export, "", "out.wlprof"}).Code,
            script::kExitUsage);
  form->DialogKey(IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !form->EditingProfile(); }, kGenerous));
  EXPECT_EQ(form->ServeScript({script::Command::Connect, "default", ""}).Code, script::kExitOk);
}

// On its own, /Status names the profile of the link from "LastProf" when
// the link is with it, as the running instance names the applied one.
TEST_F(TFormMainScript, StatusOnItsOwnNamesTheLastProfileOfTheLink) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(LinkIcon(TFormMain::kIconConnected));
  delete form;
  form = nullptr;
  script::Reply r;
  EXPECT_TRUE(WaitUntil(
      [&] {
        r = script::RunHere({script::Command::Status, "", ""});
        return r.Out.find("state: connected\r\n") != std::string::npos;
      },
      kGenerous))
      << r.Out;
  EXPECT_NE(r.Out.find("profile: Default\r\nnetwork: TestOpen\r\n"), std::string::npos) << r.Out;
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
