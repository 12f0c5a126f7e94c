// The main window: tabs, pages and backgrounds, the notification-area icon
// with its menu, the selection and release of the adapter in use, the
// station and access-point modes, and the events of NotifyMsg.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "config/Udefine.h"
#include "shell/Uformbase.h"
#include "ui/Umenu.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"
#include "ui/Utrayicon.h"

class CNICAdapter;
class TFormRes;
class TPropertyPageFrame;
class TFrameLinkInfo;
class TFrameSurvey;
class TFrameProfile;
class TFrameAdapter;
class TFrameAPInfo;
class TFrameAPCfg;
class TFrameAPFilter;

class TFormMain : public TFormBase {
 public:
  // Tray icon states (index into the icon set).
  static constexpr int kIconDisconnected = 0;
  static constexpr int kIconConnected = 1;
  static constexpr int kIconAccessPoint = 2;

  explicit TFormMain(TComponent* owner = nullptr);
  ~TFormMain() override;

  TPaintBox* PBoxBG;
  TTabLabel* LbLinkInfo;
  TTabLabel* LbSiteSurvey;
  TTabLabel* LbProfile;
  TTabLabel* LbAdapter;
  TTabLabel* LbAPInfo;
  TTabLabel* LbAPCfg;
  TTabLabel* LbAPFilter;
  TLabel* LbCopyright;
  TLabel* LbSoftAP;
  TLabel* LbStation;
  TPicButton* BtnHelp;
  TPicButton* BtnAbout;
  TPicButton* BtnSoftAP;
  TPicButton* BtnStation;
  TFrameLinkInfo* FrameLinkInfo1;
  TFrameSurvey* FrameSurvey1;
  TFrameProfile* FrameProfile1;
  TFrameAdapter* FrameAdapter1;
  TFrameAPInfo* FrameAPInfo1;
  TFrameAPCfg* FrameAPCfg1;
  TFrameAPFilter* FrameAPFilter1;
  TTrayIcon* TrayIconMain;
  TPopupMenu* PMTrayIcon;
  TMenuItem* MenuItWZC;
  TMenuItem* N1;
  TMenuItem* MenuItOpen;
  TMenuItem* MenuItClose;

  // The command-line flag word given to Start.
  int32_t CmdFlags = 0;

  // Called once after creation: stores the flags, starts device detection,
  // and with "/TrayIcon" shows the notification-area icon.
  void Start(int32_t flags);
  void SwitchPage(TTabLabel* tab, int flags);
  void SetOperateMode(int mode);
  void SelectDevice(const DeviceRec& device);
  // NotifyMsg code 2: kind 4 the device list changed, 3 drop the adapter.
  void DeviceNotice(int kind);
  void ReleaseDevice();
  void WZCChanged(bool on);
  void UpdateTrayIcon();
  void PrepareTrayMenu();
  // Asks whether the utility should take the adapter back from Windows;
  // false while the question is already open.
  bool ConfirmUtilityControl();
  // Handler of both mode buttons.
  void BtnSoftAPClick(TPicButton* sender);
  void BtnHelpClick();
  void BtnAboutClick();
  void MenuItWZCClick();
  void MenuItOpenClick();
  void MenuItCloseClick();
  void TrayIconMouseDown(TMouseButton button);
  void TrayIconMouseUp(TMouseButton button);
  // One NotifyMsg event; the result is what the sender of code 5 gets.
  LRESULT NotifyMessage(WPARAM code, LPARAM value);

  // The close box hides the window; only the tray menu's Close (or code 9)
  // frees it, which ends the program.
  void FormClose(TCloseAction& action) override;
  // Enter and Escape drive the profile wizard while it shows.
  void DialogKey(int id) override;

  // Owned pages in ownership order.
  std::vector<TPropertyPageFrame*> Pages() const;
  int OperateMode() const { return mode_; }
  TTabLabel* CurrentTab() const { return curTab_; }
  TPropertyPageFrame* CurrentPage() const { return curPage_; }
  const TPicture* CurrentBackground() const { return curBG_; }
  bool Closing() const { return closing_; }
  bool Releasing() const { return releasing_; }
  const DeviceRec* SelectedDevice() const { return device_.get(); }
  CNICAdapter* Adapter() const { return adapter_; }
  static bool QuestionOpen();
  static bool AboutOpen();

  // The image resource form created for this window (freed with it).
  TFormRes* OwnedFormRes = nullptr;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  class Busy;
  void CreateControls();
  void FormCreate();
  void ForwardNotify(int code, int value);
  void AttachAll(int kind, int mode);
  void FinishRelease();
  void ShowPage(int page);
  void SetTrayIcon(int index);
  // Frees the window once no modal window, menu or handler of ours runs.
  void ScheduleFree();
  void TryFree();
  void FormDestroy();
  HWND AppWindow() const;
  TPropertyPageFrame* PageOf(TTabLabel* tab, const TPicture** background) const;

  int mode_ = -1;
  TTabLabel* curTab_ = nullptr;
  TPropertyPageFrame* curPage_ = nullptr;
  const TPicture* curBG_ = nullptr;
  bool closing_ = false;
  bool releasing_ = false;
  bool noticeDropped_ = false;
  bool freeScheduled_ = false;
  bool destroyed_ = false;
  bool closeThreadStarted_ = false;
  int busy_ = 0;
  std::unique_ptr<DeviceRec> device_;
  CNICAdapter* adapter_ = nullptr;
  // Cleared when the window goes: a completion handler that runs later
  // must not touch it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The application's main window while it exists. CreateMainForm (declared
// with the entry point) makes it, with the image resource form when there is
// none yet.
extern TFormMain* FormMain;
