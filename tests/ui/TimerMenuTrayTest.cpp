// Timers, pop-up menus, the notification-area icon, and synchronised calls
// onto the user-interface thread.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Umenu.h"
#include "ui/Upicture.h"
#include "ui/Utimer.h"
#include "ui/Utrayicon.h"

using namespace wutest;

namespace {

TEST(Timer, FiresWhileEnabledAndStopsWhenDisabledOrFreed) {
  TForm form(nullptr, "Form1");
  auto* timer = new TTimer(&form, "TimerSurvey", 20);
  int ticks = 0;
  timer->OnTimer = [&] { ++ticks; };
  EXPECT_FALSE(WaitUntil([&] { return ticks > 0; }, 200));  // created disabled
  timer->SetEnabled(true);
  EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }, 5000));
  timer->SetEnabled(false);
  int stopped = ticks;
  WaitUntil([] { return false; }, 150);
  EXPECT_EQ(ticks, stopped);

  // A one-shot timer that frees itself from its own handler.
  auto* once = new TTimer(&form, "TimerOnce", 10, true);
  int fired = 0;
  once->OnTimer = [&] {
    ++fired;
    delete once;
  };
  EXPECT_TRUE(WaitUntil([&] { return fired == 1; }, 5000));
  WaitUntil([] { return false; }, 100);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(form.FindComponent("TimerOnce"), nullptr);
}

TEST(Synchronize, RunsOnTheUserInterfaceThreadAndCarriesExceptionsBack) {
  ui::InitUiThread();
  ASSERT_TRUE(ui::IsUiThread());
  DWORD uiThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  bool ran = false, thrown = false;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ran = ui::Synchronize([&] { ranOn = GetCurrentThreadId(); });
    try {
      ui::Synchronize([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error& e) {
      thrown = std::string(e.what()) == "boom";
    }
    done = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }, 10000));
  worker.join();
  EXPECT_TRUE(ran);
  EXPECT_EQ(ranOn, uiThread);
  EXPECT_TRUE(thrown);
}

TEST(PopupMenu, BuildsOnlyVisibleItemsWithoutStraySeparators) {
  TForm form(nullptr, "Form1");
  auto* menu = new TPopupMenu(&form, "PMTrayIcon");
  auto* wzc = new TMenuItem(&form, menu, "MenuItWZC", "Window Zero Configuration");
  new TMenuItem(&form, menu, "N1", "-");
  auto* open = new TMenuItem(&form, menu, "MenuItOpen", "Open");
  new TMenuItem(&form, menu, "N2", "-");
  auto* close = new TMenuItem(&form, menu, "MenuItClose", "Close");
  EXPECT_EQ(form.FindComponent("MenuItClose"), close);
  wzc->SetVisible(false);
  open->SetVisible(false);
  close->SetChecked(true);
  HMENU h = menu->BuildMenu();
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GetMenuItemCount(h), 1);  // both separators collapse
  char text[64] = {};
  GetMenuStringA(h, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Close");
  EXPECT_NE(GetMenuState(h, 0, MF_BYPOSITION) & MF_CHECKED, 0u);
  DestroyMenu(h);

  wzc->SetVisible(true);
  h = menu->BuildMenu();
  EXPECT_EQ(GetMenuItemCount(h), 3);  // WZC, one separator, Close
  EXPECT_NE(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
  DestroyMenu(h);

  int clicks = 0;
  close->OnClick = [&] { ++clicks; };
  close->SetEnabled(false);
  close->Click();
  EXPECT_EQ(clicks, 0);
  close->SetEnabled(true);
  close->Click();
  EXPECT_EQ(clicks, 1);
  delete menu;  // items stay with their owner, without a menu
  EXPECT_EQ(close->Menu(), nullptr);
}

TEST(TrayIcon, KeepsShortHintsAndDeliversClicks) {
  TForm form(nullptr, "FormMain");
  auto* icons = new TImageList(&form, "ImgsKvIcon");
  TPicture strip;
  ASSERT_TRUE(strip.LoadFromResource("ImgsKvIcon"));
  icons->SetPicture(strip);
  auto* tray = new TTrayIcon(&form, "TrayIconMain");
  tray->SetIcons(icons);
  tray->SetIconIndex(1);
  EXPECT_EQ(tray->IconIndex(), 1);
  tray->SetHint(std::string(63, 'h'));
  EXPECT_EQ(tray->Hint().size(), 63u);
  tray->SetHint(std::string(64, 'x'));
  EXPECT_EQ(tray->Hint(), std::string(63, 'h'));

  int left = 0, rightDown = 0, rightUp = 0;
  tray->OnClick = [&] { ++left; };
  tray->OnMouseDown = [&](TMouseButton b, UINT, int, int) {
    rightDown += b == TMouseButton::Right;
  };
  tray->OnMouseUp = [&](TMouseButton b, UINT, int, int) { rightUp += b == TMouseButton::Right; };
  // As the shell reports them, through the icon's window.
  SendMessageA(tray->Handle(), WM_APP + 10, 1, WM_LBUTTONUP);
  SendMessageA(tray->Handle(), WM_APP + 10, 1, WM_RBUTTONDOWN);
  SendMessageA(tray->Handle(), WM_APP + 10, 1, WM_RBUTTONUP);
  SendMessageA(tray->Handle(), WM_APP + 10, 2, WM_LBUTTONUP);  // another icon id
  EXPECT_EQ(left, 1);
  EXPECT_EQ(rightDown, 1);
  EXPECT_EQ(rightUp, 1);

  tray->SetVisible(true);
  EXPECT_TRUE(tray->Visible());
  tray->SetVisible(false);
  EXPECT_FALSE(tray->Shown());
  // The shell gets the icon from the message loop: an icon hidden before
  // then must not turn up afterwards.
  tray->SetVisible(true);
  tray->SetVisible(false);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_FALSE(tray->Shown());
  EXPECT_FALSE(tray->Visible());
  tray->SetVisible(true);
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_TRUE(tray->Shown()) << "the icon shown once the loop ran";
}

TEST(TrayIcon, MinimisingHidesTheFormOnlyWhileTheIconIsVisible) {
  TForm form(nullptr, "FormMain");
  auto* tray = new TTrayIcon(&form, "TrayIconMain");
  form.Show();
  SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(form.Minimized());
  EXPECT_TRUE(IsWindowVisible(form.Handle()));  // no icon: the taskbar button stays
  form.Restore();

  tray->SetVisible(true);
  SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  // Showing the form again restores it.
  form.Show();
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_FALSE(form.Minimized());
  // Shown again that way, it stays as it is when the icon goes later.
  tray->SetVisible(false);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_FALSE(form.Minimized());
  tray->SetVisible(true);

  SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  tray->SetVisible(false);  // without the icon the window must be reachable
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  form.Hide();
}

}  // namespace
