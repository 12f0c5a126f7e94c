// The main window: tabs, pages and backgrounds, the notification-area icon
// with its menu, the selection and release of the adapter in use, the
// station and access-point modes, and the events of NotifyMsg.
//
// One header, its code by concern: Uformmain.cpp (controls, creation, the
// window procedure, help and about), Uformmainpages.cpp (pages, tabs,
// modes), Uformmaindevice.cpp (devices, NotifyMsg events, the hand-over to
// Windows' management), Uformmaintray.cpp (tray icon and menu),
// Uformmainlife.cpp (start, close, free, session end), Uformmainscript.cpp
// (script switches).
//
// Lifetime (TFormMain::Lifetime), and who frees what:
//
//   Running ---- tray menu "Close" or kNotifyClose ----> CloseRequested
//   CloseRequested ---- FormClose: hide, post kMsgFree --> FreeScheduled
//   FreeScheduled ---- TryFree: nothing of ours running --> delete this
//   any state ---- WM_DESTROY from outside (program end) --> Destroyed,
//                  then deleted from the interface thread's queue
//
// - The close box only hides the window; the state stays Running.
// - Handlers that may run a message loop (modal boxes, the tray menu, page
//   switches) hold a Busy mark. TryFree frees the window only when no mark
//   is held and no modal window is open; meanwhile it retries every 50 ms,
//   ends an open menu, and once starts CThrdCloseForm to close the modal
//   windows.
// - FormDestroy runs once, on entering Destroyed (from the destructor or at
//   WM_DESTROY): DonePage on every page, then the detection thread
//   (g_ThrdDetect) and the adapter are deleted; deleting the adapter stops
//   its worker.
// - The window owns its pages and controls (components, freed by
//   DestroyComponents), the adapter while a device is selected, the
//   detection thread, and the image resource form it created
//   (OwnedFormRes). Pages only borrow the adapter between kAttach and
//   kDetach.
// - Completion handlers of the close-form thread hold alive_, which the
//   destructor clears: one that runs after the window is gone does nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Uscript.h"
#include "app/Uscriptpipe.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "shell/Uformbase.h"
#include "ui/Umenu.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"
#include "ui/Utrayicon.h"

class CNICAdapter;
class CTrayNotes;
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
  // The access-point pages are built when first needed (access-point mode),
  // not with the window: null until then (EnsureAPPages).
  TFrameAPInfo* FrameAPInfo1() const { return apInfo_; }
  TFrameAPCfg* FrameAPCfg1() const { return apCfg_; }
  TFrameAPFilter* FrameAPFilter1() const { return apFilter_; }
  TTrayIcon* TrayIconMain;
  TPopupMenu* PMTrayIcon;
  TMenuItem* MenuItWZC;
  // The separator under MenuItWZC, shown with it (component "N1": layout
  // keys of the settings file name it so).
  TMenuItem* MenuItWZCLine;
  TMenuItem* MenuItOpen;
  TMenuItem* MenuItClose;
  // Shown while a link is up.
  TMenuItem* MenuItDisconnect;

  // The command-line flag word given to Start.
  int32_t CmdFlags = 0;

  // Called once after creation: stores the flags, starts device detection,
  // and with "/TrayIcon" shows the notification-area icon.
  void Start(int32_t flags);
  void SwitchPage(TTabLabel* tab, int flags);
  void SetOperateMode(int mode);
  void SelectDevice(const DeviceRec& device);
  // NotifyMsg kNotifyDevice: kDevicesChanged looks at the device list again,
  // kDevicesGone drops the adapter. When a device that left the list has been
  // released, the list is looked at again: another supported adapter present
  // is taken at once.
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
  void MenuItDisconnectClick();
  // Logoff or shutdown: the program ends as with Close, but its threads stop
  // and its icon goes before this returns, since Windows may end the
  // process at any moment after.
  void EndSession();
  void TrayIconMouseDown(TMouseButton button);
  void TrayIconMouseUp(TMouseButton button);
  // One NotifyMsg event; the result is what the sender of code 5 gets.
  LRESULT NotifyMessage(WPARAM code, LPARAM value);

  // A script switch's request from another process, done as the user's
  // clicks would do it (the window and the profile list follow). A
  // /Connect of a pipe conversation (not 0) is answered later, once the
  // adapter has taken the profile: the reply then has kReplyLater as its
  // code and the answer goes to that conversation.
  script::Reply ServeScript(const script::Request& request, uint32_t conversation = 0);
  static constexpr int kReplyLater = -1;
  // The user is in the middle of something a script would spoil: the
  // profile wizard shows, or a modal window or file dialog of ours is open.
  bool EditingProfile() const;
  CTrayNotes* TrayNotes() const { return notes_.get(); }

  // The close box hides the window; only the tray menu's Close (or code 9)
  // frees it, which ends the program.
  void FormClose(TCloseAction& action) override;
  // Enter and Escape drive the profile wizard while it shows.
  void DialogKey(int id) override;
  // Ctrl+Tab and Ctrl+PageDown go to the next tab, Ctrl+Shift+Tab and
  // Ctrl+PageUp to the one before, wrapping around; F1 opens the help.
  bool KeyPreview(const MSG& msg) override;
  // The next (step 1) or previous (-1) tab of the mode shown.
  void SwitchTabBy(int step);
  // A click on a tab: the tab strip takes the focus and the tab is chosen.
  void TabClick(TTabLabel* tab);
  // The tab strip (the window itself, which draws it) holds the focus.
  bool StripFocused() const;
  // The tab strip comes first in the Tab order: Tab goes from it into the
  // page, Shift+Tab from the page's first control back to it.
  bool SelfTabStop() const override;

  // Owned pages in ownership order (those built so far).
  std::vector<TPropertyPageFrame*> Pages() const;
  // Builds the access-point pages where the window would have built them,
  // with their layout, initialised and hidden; nothing once they exist or
  // once the window is destroyed.
  void EnsureAPPages();
  bool APPagesBuilt() const { return apInfo_ != nullptr; }
  int OperateMode() const { return mode_; }
  TTabLabel* CurrentTab() const { return curTab_; }
  TPropertyPageFrame* CurrentPage() const { return curPage_; }
  const TPicture* CurrentBackground() const { return curBG_; }
  // See the lifetime at the top of this file.
  enum class Lifetime { Running, CloseRequested, FreeScheduled, Destroyed };
  Lifetime State() const { return lifetime_; }
  // The program is ending: "Close" was chosen or the window is destroyed.
  bool Closing() const { return lifetime_ != Lifetime::Running; }
  bool Releasing() const { return releasing_; }
  const DeviceRec* SelectedDevice() const { return device_.get(); }
  CNICAdapter* Adapter() const { return adapter_; }
  static bool QuestionOpen();
  static bool AboutOpen();

  // The image resource form created for this window (freed with it).
  TFormRes* OwnedFormRes = nullptr;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // The tray icon is handed to the shell again at its size for the DPI.
  void DpiChanged(UINT oldDpi, UINT newDpi) override;

 private:
  // Marks a handler of this window as running: the window is not freed
  // under it, whatever message loop it runs.
  class Busy {
   public:
    explicit Busy(TFormMain* form) : form_(form) { ++form_->busy_; }
    ~Busy() { --form_->busy_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    TFormMain* form_;
  };
  // Private message: free the window (TryFree), and the timer that retries.
  static constexpr UINT kMsgFree = WM_APP + 40;
  static constexpr UINT_PTR kFreeRetryTimer = 40;
  // The system menu's item that opens the about box (the keyboard's way to
  // it: Alt+Space, then its letter; Wine's own "About Wine" there takes A).
  static constexpr UINT kSysAbout = 0x0010;
  // Where the pages stand in the window.
  static constexpr int kPageLeft = 24;
  static constexpr int kPageTop = 116;

  void CreateControls();
  void FormCreate();
  void ForwardNotify(int code, int value);
  void AttachAll(int kind, int mode);
  void FinishRelease();
  // Sets the antenna for mode once the library can be had (libqueue).
  void QueueAntenna(int mode);
  void ShowPage(int page);
  // The selected tab is marked while the window itself has the focus.
  void UpdateTabMark();
  // The tabs of the mode shown, left to right.
  std::vector<TTabLabel*> ShownTabs() const;
  // Left, Right, Home and End on the focused tab strip switch the tab (not
  // past either end); Up and Down do nothing there. True when taken.
  bool StripKey(WPARAM vk);
  void SetTrayIcon(int index);
  // Frees the window once no modal window, menu or handler of ours runs.
  void ScheduleFree();
  void TryFree();
  // WM_COPYDATA with a script request: its sender cannot be told, so it
  // is logged and ignored (scripts use the pipe).
  LRESULT ScriptCopyData(HWND sender, const COPYDATASTRUCT* data);
  // The request the pipe server posted under id (NotifyMsg kNotifyScript):
  // taken, served and answered.
  void ServePipeRequest(uint32_t id);
  // Opens the script channel of this profile root (Start), or answers
  // every waiting /Connect and closes it (FormDestroy).
  void OpenScriptChannel(bool on);
  // The /Connect requests waiting for the adapter, checked by ScriptTimer.
  struct WaitingConnect {
    uint32_t Conversation;
    CNICAdapter* Adapter;
    uint32_t Ticket;
    std::string Name;
    DWORD Since;
  };
  void CheckWaitingConnects();
  void SendScriptReply(uint32_t conversation, const script::Reply& reply);
  std::vector<WaitingConnect> waitingConnects_;
  TTimer* ScriptTimer = nullptr;
  std::unique_ptr<script::CScriptServer> scriptServer_;
  bool LinkUp();
  void FormDestroy();
  HWND AppWindow() const;
  // The page of a tab and its background picture; null for none, and for an
  // access-point tab while those pages are not built.
  TPropertyPageFrame* PageOf(TTabLabel* tab, const TPicture** background) const;

  TFrameAPInfo* apInfo_ = nullptr;
  TFrameAPCfg* apCfg_ = nullptr;
  TFrameAPFilter* apFilter_ = nullptr;
  int mode_ = -1;
  TTabLabel* curTab_ = nullptr;
  // The switch under way comes from the tab strip itself (a click, its
  // arrow keys): the focus stays on the strip.
  bool stripSwitch_ = false;
  // SwitchPage with stripSwitch_ set for its duration.
  void SwitchFromStrip(TTabLabel* tab);
  TPropertyPageFrame* curPage_ = nullptr;
  const TPicture* curBG_ = nullptr;
  bool releasing_ = false;
  bool noticeDropped_ = false;
  Lifetime lifetime_ = Lifetime::Running;
  // TryFree started CThrdCloseForm for the modal windows in its way.
  bool closeThreadStarted_ = false;
  // Busy marks held: handlers of this window that are running.
  int busy_ = 0;
  std::unique_ptr<DeviceRec> device_;
  CNICAdapter* adapter_ = nullptr;
  // Cleared when the window goes: a completion handler that runs later
  // must not touch it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<CTrayNotes> notes_;
  // The release under way is for a device that left the list.
  bool unplugged_ = false;
  // ... because an adapter listed before it came: it may still be plugged
  // in, so its leaving is not announced.
  bool displaced_ = false;
  // The next selection takes over from an adapter that was unplugged: the
  // one taken was there all along, so its arrival is not announced.
  bool takeOver_ = false;
};

// The application's main window while it exists. CreateMainForm (declared
// with the entry point) makes it, with the image resource form when there is
// none yet.
extern TFormMain* FormMain;
