// The main window's additions for scripts and the tray: Disconnect in the
// tray menu while a link is up, balloons for the link and the adapter, the
// requests of its script pipe (and none in WM_COPYDATA), and the switch
// that turns the balloons off.
#include <algorithm>
#include <atomic>
#include <thread>

#include "adapter/Unicadapter.h"
#include "app/Uscriptpipe.h"
#include "app/Uscriptrun.h"
#include "app/Utimescale.h"
#include "config/Uunicode.h"
#include "pages/station/Uframeprofile.h"
#include "shell/Utraynotes.h"
#include "tformmain_support.h"
#include "workers/Uthrddetect.h"

using namespace mainwin;

namespace {

// A script's exchange through the form's pipe, from another thread while
// this one, the form's, answers its messages.
script::Reply Ask(const script::Request& request) {
  script::Reply got{-1, "", ""};
  std::atomic<bool> done{false};
  std::thread client([&] {
    got = script::AskInstance(request, 5000);
    done = true;
  });
  WaitUntil([&] { return done.load(); }, 120000);
  client.join();
  return got;
}

// A request as raw bytes on the form's pipe: the reply's bytes, empty when
// the pipe was closed without one.
std::string AskRaw(const std::string& bytes) {
  std::string got;
  std::atomic<bool> done{false};
  std::thread client([&] {
    const std::wstring name = Wide(script::OwnPipeName());
    HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
      DWORD mode = PIPE_READMODE_MESSAGE, n = 0;
      SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
      WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
      char buffer[4096];
      if (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr)) got.assign(buffer, n);
      CloseHandle(pipe);
    }
    done = true;
  });
  WaitUntil([&] { return done.load(); }, 60000);
  client.join();
  return got;
}

// A request sent as scripts once sent it, in WM_COPYDATA.
LRESULT SendCopyData(HWND target, HWND sender, const script::Request& request) {
  const std::string data = script::EncodeRequest(request);
  COPYDATASTRUCT cds{script::kRequestTag, static_cast<DWORD>(data.size()),
                     const_cast<char*>(data.data())};
  return SendMessageA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                      reinterpret_cast<LPARAM>(&cds));
}

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

TEST_F(TFormMainScript, ServesItsPipeAndOnlyWellFormedRequests) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  EXPECT_TRUE(env.Logged("Script channel open: " + script::OwnPipeName()));
  ASSERT_TRUE(WaitAdapter(form, true));

  script::Reply r = form->ServeScript({script::Command::Connect, "Nowhere", ""});
  EXPECT_EQ(r.Code, script::kExitNoProfile);
  r = form->ServeScript({script::Command::Connect, "default", ""});
  EXPECT_EQ(r.Code, script::kExitOk) << r.Err;
  EXPECT_EQ(r.Out, "Connecting with profile 'Default'.\r\n") << "the stored name";
  EXPECT_TRUE(WaitUntil(
      [&] {
        r = Ask({script::Command::Status, "", ""});
        return r.Out.find("state: connected\r\nprofile: Default\r\nnetwork: TestOpen\r\n") !=
               std::string::npos;
      },
      kGenerous))
      << r.Out << r.Err;
  EXPECT_EQ(r.Code, script::kExitOk);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));

  // A broken request is answered as wrong use, not served; one longer
  // than a request can be is not even answered.
  const std::string junk(
      "WUS1\0"
      "1\0\0\0",
      10);  // /Connect without a name
  script::Reply got;
  const std::string answer = AskRaw(junk);
  ASSERT_TRUE(script::DecodeReply(answer.data(), answer.size(), got));
  EXPECT_EQ(got.Code, script::kExitUsage);
  EXPECT_EQ(AskRaw(std::string(script::kMaxRequestBytes + 1, 'x')), "");
  EXPECT_TRUE(env.Logged("Script request refused: longer than 4096 bytes"));
  // Posted ids the server does not hold are nobody's request.
  for (LPARAM id : {LPARAM(0), LPARAM(1), LPARAM(12345)})
    SendMessageA(form->Handle(), NotifyMsg, kNotifyScript, id);
  EXPECT_EQ(Ask({script::Command::Status, "", ""}).Code, script::kExitOk) << "still served";
}

// Anyone may send WM_COPYDATA, naming any sender: a request that comes so
// is logged and ignored, whoever the sender window claims to be.
TEST_F(TFormMainScript, ARequestInCopyDataIsIgnored) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(LinkIcon(TFormMain::kIconConnected));
  HWND mine = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(mine);
  for (HWND sender : {HWND(nullptr), HWND_BROADCAST, mine, form->Handle()})
    EXPECT_EQ(SendCopyData(form->Handle(), sender, {script::Command::Disconnect, "", ""}), 0);
  DestroyWindow(mine);
  EXPECT_TRUE(AnyStartsWith(env.Log(), "Script request by WM_COPYDATA ignored"));
  Sleep(1500);
  PumpMessages();
  EXPECT_EQ(form->TrayIconMain->IconIndex(), TFormMain::kIconConnected) << "a forgery disconnected";
  EXPECT_FALSE(AnyStartsWith(env.Log(), "call OMXWL_Disconnect"));
  std::string why;
  EXPECT_TRUE(script::SameProgram(GetCurrentProcessId(), why)) << why;
  EXPECT_FALSE(script::SameProgram(0, why));
}

// /Connect is answered when the adapter has taken the profile, with the
// stored name; while the wizard shows, Connect and Import are refused and
// what only reads is served.
TEST_F(TFormMainScript, ConnectAnswersOnceAppliedAndWaitsForNoWizard) {
  ASSERT_TRUE(env.Bound());
  Make(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  ASSERT_TRUE(LinkIcon(TFormMain::kIconConnected));
  const uint32_t before = form->Adapter()->ConnectTicket();
  script::Reply r = Ask({script::Command::Connect, "DEFAULT", ""});
  EXPECT_EQ(r.Code, script::kExitOk) << r.Err;
  EXPECT_EQ(r.Out, "Connecting with profile 'Default'.\r\n");
  EXPECT_TRUE(env.Logged("Script /Connect waits for the adapter")) << "answered only once applied";
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
    r = form->ServeScript(busy, 1);
    EXPECT_EQ(r.Code, script::kExitBusy) << r.Err;
    EXPECT_EQ(r.Err, std::string(script::kTextBusy) + "\r\n");
  }
  r = Ask({script::Command::Connect, "Default", ""});
  EXPECT_EQ(r.Code, script::kExitBusy);
  EXPECT_EQ(r.Err, std::string(script::kTextBusy) + "\r\n");
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
