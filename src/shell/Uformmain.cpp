#include "shell/Uformmain.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include "adapter/Unicadapter.h"
#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Uscriptrun.h"
#include "config/Uutility.h"
#include "pages/ap/Uframeapcfg.h"
#include "pages/ap/Uframeapfilter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframeadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Propertypageframeunit.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformabout.h"
#include "shell/Uformres.h"
#include "shell/Uthrdcloseform.h"
#include "shell/Utraynotes.h"
#include "ui/Uaccessible.h"
#include "ui/Upalette.h"
#include "ui/Uuithread.h"
#include "workers/Uthrddetect.h"

TFormMain* FormMain = nullptr;

namespace {

// The file dialogs of the pages: they are asked to close (Cancel) when the
// program ends under them.
BOOL CALLBACK CancelDialog(HWND hwnd, LPARAM) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd))
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

void CancelSystemDialogs() {
  EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

// Private messages of the window.
constexpr UINT kMsgFree = WM_APP + 40;
// The system menu's item that opens the about box (the keyboard's way to
// it: Alt+Space, then its letter; Wine's own "About Wine" there takes A).
constexpr UINT kSysAbout = 0x0010;
constexpr UINT_PTR kFreeRetryTimer = 40;

// Design size of the window and its parts (the background pictures).
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 440;
constexpr int kTabTop = 80;
constexpr int kTabHeight = 30;
constexpr int kTabLeft = 24;
constexpr int kTabStep = 138;
constexpr int kTabWidth = 130;
constexpr int kPageLeft = 24;
constexpr int kPageTop = 116;

// Process-wide: the open about box and the open utility-control question.
TFormAbout* g_About = nullptr;
bool g_QuestionOpen = false;

const TPicture& ResPicture(const char* name) {
  static const TPicture empty;
  TImage* image = FormRes ? FormRes->Image(name) : nullptr;
  return image ? image->Picture() : empty;
}

TTabLabel* MakeTab(TFormMain* form, const char* name, const char* caption, int index) {
  auto* tab = new TTabLabel(form, form, name, caption);
  tab->SetBounds(kTabLeft + index * kTabStep, kTabTop, kTabWidth, kTabHeight);
  tab->SetFontBold(true);
  return tab;
}

// The help viewer's entry point, imported by ordinal as the system does.
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HtmlHelpFn HtmlHelpEntry() {
  static HtmlHelpFn entry = [] {
    HMODULE module = LoadLibraryA("hhctrl.ocx");
    return module ? reinterpret_cast<HtmlHelpFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(14))))
                  : nullptr;
  }();
  return entry;
}

}  // namespace

// Marks a handler of this window as running: the window is not freed under
// it, whatever message loop it runs.
class TFormMain::Busy {
 public:
  explicit Busy(TFormMain* form) : form_(form) { ++form_->busy_; }
  ~Busy() { --form_->busy_; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  TFormMain* form_;
};

TFormMain::TFormMain(TComponent* owner)
    : TFormBase(owner, "FormMain", kDefaultStyle | WS_POPUP, WS_EX_CONTROLPARENT) {
  Busy busy(this);
  CreateControls();
  FormCreate();
}

void TFormMain::CreateControls() {
  PBoxBG = new TPaintBox(this, this, "PBoxBG");
  PBoxBG->OnPaint = [this](HDC dc, const RECT& rect) {
    if (curBG_ && !curBG_->Empty()) {
      curBG_->Draw(dc, 0, 0);
    } else {
      HBRUSH b = CreateSolidBrush(palette::Window);
      FillRect(dc, &rect, b);
      DeleteObject(b);
    }
  };
  LbLinkInfo = MakeTab(this, "LbLinkInfo", "Link Info", 0);
  LbSiteSurvey = MakeTab(this, "LbSiteSurvey", "Site Survey", 1);
  LbProfile = MakeTab(this, "LbProfile", "Profile", 2);
  LbAdapter = MakeTab(this, "LbAdapter", "Adapter", 3);
  LbAPInfo = MakeTab(this, "LbAPInfo", "Link Info", 0);
  LbAPCfg = MakeTab(this, "LbAPCfg", "Configuration", 1);
  LbAPFilter = MakeTab(this, "LbAPFilter", "MAC Filter", 2);

  LbCopyright = new TLabel(this, this, "LbCopyright");
  LbCopyright->SetFontColor(palette::Copyright);
  LbCopyright->SetShowAccelChar(false);
  LbCopyright->SetEllipsisEnd(true);
  LbCopyright->SetBounds(24, 414, 400, 16);
  LbSoftAP = new TLabel(this, this, "LbSoftAP", "AP Mode");
  LbSoftAP->SetBounds(318, 413, 60, 16);
  LbStation = new TLabel(this, this, "LbStation", "Station Mode");
  LbStation->SetBounds(420, 413, 80, 16);

  BtnHelp = new TPicButton(this, this, "BtnHelp");
  BtnHelp->SetBounds(520, 406, 28, 28);
  BtnAbout = new TPicButton(this, this, "BtnAbout");
  BtnAbout->SetBounds(556, 406, 28, 28);
  BtnSoftAP = new TPicButton(this, this, "BtnSoftAP");
  BtnSoftAP->SetBounds(384, 406, 28, 28);
  BtnStation = new TPicButton(this, this, "BtnStation");
  BtnStation->SetBounds(486, 406, 28, 28);

  FrameLinkInfo1 = new TFrameLinkInfo(this, this);
  FrameSurvey1 = new TFrameSurvey(this, this);
  FrameProfile1 = new TFrameProfile(this, this);
  FrameAdapter1 = new TFrameAdapter(this, this);
  for (TPropertyPageFrame* page : Pages())
    page->SetBounds(kPageLeft, kPageTop, page->Width(), page->Height());

  TrayIconMain = new TTrayIcon(this, "TrayIconMain");
  PMTrayIcon = new TPopupMenu(this, "PMTrayIcon");
  MenuItWZC = new TMenuItem(this, PMTrayIcon, "MenuItWZC", "Window Zero Configuration");
  N1 = new TMenuItem(this, PMTrayIcon, "N1", "-");
  MenuItDisconnect = new TMenuItem(this, PMTrayIcon, "MenuItDisconnect", "Disconnect");
  MenuItOpen = new TMenuItem(this, PMTrayIcon, "MenuItOpen", "Open");
  MenuItClose = new TMenuItem(this, PMTrayIcon, "MenuItClose", "Close");

  for (TTabLabel* tab :
       {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter, LbAPInfo, LbAPCfg, LbAPFilter}) {
    tab->OnMouseDown = [this, tab](TMouseButton button, UINT, int, int) {
      if (button == TMouseButton::Left && tab != curTab_) {
        Busy busy(this);
        SwitchPage(tab, 0);
      }
    };
  }
  BtnHelp->OnClick = [this] { BtnHelpClick(); };
  BtnAbout->OnClick = [this] { BtnAboutClick(); };
  BtnSoftAP->OnClick = [this] { BtnSoftAPClick(BtnSoftAP); };
  BtnStation->OnClick = [this] { BtnSoftAPClick(BtnStation); };
  TrayIconMain->OnMouseDown = [this](TMouseButton b, UINT, int, int) { TrayIconMouseDown(b); };
  TrayIconMain->OnMouseUp = [this](TMouseButton b, UINT, int, int) { TrayIconMouseUp(b); };
  TrayIconMain->OnClick = [this] { MenuItOpenClick(); };
  MenuItWZC->OnClick = [this] { MenuItWZCClick(); };
  MenuItOpen->OnClick = [this] { MenuItOpenClick(); };
  MenuItClose->OnClick = [this] { MenuItCloseClick(); };
  MenuItDisconnect->OnClick = [this] { MenuItDisconnectClick(); };
  notes_ = std::make_unique<CTrayNotes>(this, TrayIconMain);
  // A polite end request (taskkill without /F) closes every top-level window:
  // the program ends as with its own Close rather than lose its icon.
  TrayIconMain->OnClose = [this] { MenuItCloseClick(); };
}

void TFormMain::FormCreate() {
  // 1. Pictures and sizes.
  BtnHelp->SetFaces(ResPicture("ImgBtnHelpN"), ResPicture("ImgBtnHelpH"),
                    ResPicture("ImgBtnHelpH"));
  BtnAbout->SetFaces(ResPicture("ImgBtnAboutN"), ResPicture("ImgBtnAboutH"),
                     ResPicture("ImgBtnAboutH"));
  for (TPicButton* b : {BtnSoftAP, BtnStation}) {
    b->SetFaces(ResPicture("ImgBtnDisable"));
    b->SetDisabledFace(ResPicture("ImgBtnDisable"));
    b->SetEnabled(false);
  }
  const TPicture& info = ResPicture("ImgMainInfo");
  const int width = info.Empty() ? kClientWidth : info.Width();
  const int height = info.Empty() ? kClientHeight : info.Height();
  SetClientSize(width, height);
  PBoxBG->SetBounds(0, 0, width, height);
  if (FormRes)
    TrayIconMain->SetIcons(g_GlobalVar.OsVersionCode < 7 ? FormRes->ImgsKvIcon
                                                         : FormRes->ImgsKvIconXP);

  // 2. Texts.
  LocaliseLabels(Name());
  SetCaption(g_GlobalVar.AppTitle);
  TrayIconMain->SetHint(g_GlobalVar.StrFileRead("Utility", "ProductName", g_GlobalVar.AppTitle));
  LbCopyright->SetCaption(g_GlobalVar.StrFileRead("Utility", "Copyright1", kDefaultCopyright));

  // 3. Positions and visibility, pages included.
  ApplyLayout(this, Name());

  // 4. Every page initialises itself and waits hidden.
  for (TPropertyPageFrame* page : Pages()) {
    try {
      page->InitPage();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::FormCreate %s): %s", page->Name().c_str(), e.what());
    }
    page->Hide();
  }

  accessnames::NameButton(BtnHelp, "Help", "Help");
  accessnames::NameButton(BtnAbout, "About", "About");
  for (auto [button, label] : {std::pair{BtnSoftAP, LbSoftAP}, std::pair{BtnStation, LbStation}}) {
    ui::access::TAccInfo named;
    named.LabelledBy = label;
    ui::access::Describe(button, named);
  }

  // The footer's icon buttons are for the mouse: the keyboard focus goes to
  // the page, and no focus mark sits on a button nobody chose.
  for (TPicButton* b : {BtnHelp, BtnAbout, BtnSoftAP, BtnStation})
    SetWindowLongA(b->Handle(), GWL_STYLE, GetWindowLongA(b->Handle(), GWL_STYLE) & ~WS_TABSTOP);

  // The footer's buttons from the keyboard: F1 for help (KeyPreview), the
  // system menu for the about box.
  if (HMENU sys = GetSystemMenu(Handle(), FALSE)) {
    AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(sys, MF_STRING, kSysAbout,
                g_GlobalVar.StrFileRead("Utility", "MenuAbout", "Program &info...").c_str());
  }

  // 5. Station mode; 6. the mode switch stays out of sight.
  CenterOn(nullptr);
  SetOperateMode(kModeStation);
  for (TControl* c : std::initializer_list<TControl*>{BtnSoftAP, LbSoftAP, BtnStation, LbStation})
    c->Hide();
}

TFormMain::~TFormMain() {
  *alive_ = false;
  FormDestroy();
  // Components go now, while the image resource form they draw from still
  // exists.
  DestroyComponents();
  if (OwnedFormRes) {
    delete OwnedFormRes;
    OwnedFormRes = nullptr;
  }
  if (FormMain == this) FormMain = nullptr;
  if (Application.MainWindow && Application.MainWindow == Handle()) {
    Application.MainWindow = nullptr;
    Application.Terminate();
  }
}

void TFormMain::FormDestroy() {
  if (lifetime_ == Lifetime::Destroyed) return;
  lifetime_ = Lifetime::Destroyed;
  KillTimer(Handle(), kFreeRetryTimer);
  MarkScriptTarget(false);
  for (TPropertyPageFrame* page : Pages()) {
    try {
      page->DonePage();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::FormDestroy %s): %s", page->Name().c_str(), e.what());
    }
  }
  if (g_ThrdDetect) {
    CThrdDetect* detect = g_ThrdDetect;
    g_ThrdDetect = nullptr;
    delete detect;
  }
  device_.reset();
  if (adapter_) {
    CNICAdapter* adapter = adapter_;
    adapter_ = nullptr;
    delete adapter;
  }
}

std::vector<TPropertyPageFrame*> TFormMain::Pages() const {
  std::vector<TPropertyPageFrame*> pages;
  for (TComponent* c : Components())
    if (auto* page = dynamic_cast<TPropertyPageFrame*>(c)) pages.push_back(page);
  return pages;
}

void TFormMain::BuildAPPages() {
  if (apInfo_ || lifetime_ == Lifetime::Destroyed) return;
  apInfo_ = new TFrameAPInfo(this, this);
  apCfg_ = new TFrameAPCfg(this, this);
  apFilter_ = new TFrameAPFilter(this, this);
  // Where the window would have built them: right after the station pages
  // among the components and among the controls, so that pages are attached
  // and told of events in the same order, and the z-order and Tab order are
  // the same.
  const std::vector<TComponent*>& owned = Components();
  const auto inOwned =
      std::find(owned.begin(), owned.end(), static_cast<TComponent*>(FrameAdapter1));
  size_t at = inOwned == owned.end() ? owned.size() : inOwned - owned.begin() + 1;
  const std::vector<TControl*>& children = Controls();
  const auto inChildren =
      std::find(children.begin(), children.end(), static_cast<TControl*>(FrameAdapter1));
  size_t place = inChildren == children.end() ? children.size() : inChildren - children.begin() + 1;
  const std::initializer_list<TPropertyPageFrame*> pages = {apInfo_, apCfg_, apFilter_};
  for (TPropertyPageFrame* page : pages) {
    MoveComponent(page, at++);
    PlaceControl(page, place++);
    page->SetBounds(kPageLeft, kPageTop, page->Width(), page->Height());
  }
  for (TPropertyPageFrame* page : pages) layout::ApplyLateLayout(page);
  for (TPropertyPageFrame* page : pages) {
    try {
      page->InitPage();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::FormCreate %s): %s", page->Name().c_str(), e.what());
    }
    page->Hide();
  }
}

bool TFormMain::QuestionOpen() {
  return g_QuestionOpen;
}

bool TFormMain::AboutOpen() {
  return g_About != nullptr;
}

HWND TFormMain::AppWindow() const {
  if (Handle() && IsWindowVisible(Handle())) return Handle();
  return TrayIconMain && TrayIconMain->Handle() ? TrayIconMain->Handle() : Handle();
}

void TFormMain::SetTrayIcon(int index) {
  if (TrayIconMain) TrayIconMain->SetIconIndex(index);
}

// ---- start, pages and modes --------------------------------------------------------

void TFormMain::Start(int32_t flags) {
  Busy busy(this);
  CmdFlags = flags;
  if (!g_ThrdDetect) g_ThrdDetect = new CThrdDetect(Handle());
  SetTrayIcon(kIconDisconnected);
  if (CmdFlags & CmdTrayIcon) TrayIconMain->SetVisible(true);
  MarkScriptTarget(true);
}

TPropertyPageFrame* TFormMain::PageOf(TTabLabel* tab, const TPicture** background) const {
  struct Entry {
    TTabLabel* tab;
    TPropertyPageFrame* page;
    const char* picture;
  };
  // Only an access-point tab needs the access-point pages.
  const bool apTab = tab && (tab == LbAPInfo || tab == LbAPCfg || tab == LbAPFilter);
  if (apTab) const_cast<TFormMain*>(this)->BuildAPPages();
  const Entry map[] = {{LbLinkInfo, FrameLinkInfo1, "ImgMainInfo"},
                       {LbSiteSurvey, FrameSurvey1, "ImgMainSurvey"},
                       {LbProfile, FrameProfile1, "ImgMainProfile"},
                       {LbAdapter, FrameAdapter1, "ImgMainAdapter"},
                       {LbAPInfo, apInfo_, "ImgAPInfo"},
                       {LbAPCfg, apCfg_, "ImgAPCfg"},
                       {LbAPFilter, apFilter_, "ImgAPFilter"}};
  for (const Entry& e : map) {
    if (tab && e.tab == tab) {
      *background = &ResPicture(e.picture);
      return e.page;
    }
  }
  *background = nullptr;
  return nullptr;
}

void TFormMain::SwitchPage(TTabLabel* tab, int flags) {
  Busy busy(this);
  const TPicture* background = nullptr;
  TPropertyPageFrame* page = PageOf(tab, &background);
  if (curPage_ && !curPage_->LeavePage(page, kDirNone, 0)) return;
  if (!page || !page->EnterPage(curPage_, kDirNone, flags)) return;
  if (curPage_ && curPage_ != page) curPage_->Hide();
  page->Show();
  accessnames::DescribePage(page, tab);

  const bool showing = Handle() && IsWindowVisible(Handle());
  if (page == FrameProfile1) {
    try {
      if (FrameProfile1->LvProf->CanFocus() && showing) FrameProfile1->LvProf->SetFocus();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::SwitchPage 1): %s", e.what());
    }
  } else if (page == FrameSurvey1) {
    try {
      if (FrameSurvey1->LvSite->CanFocus() && showing) FrameSurvey1->LvSite->SetFocus();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::SwitchPage 2): %s", e.what());
    }
  }

  // The page that had the focus handed it to the window while the new one
  // was still hidden: the new page's first control takes it now.
  if (showing && GetFocus() == Handle()) {
    TWinControl* first = page->FirstFocus();
    if (first && first->CanFocus())
      ::SetFocus(first->Handle());
    else
      RepairFocus();
  }

  if (curTab_ && curTab_ != tab) curTab_->SetSelected(false);
  tab->SetSelected(true);
  curTab_ = tab;
  curPage_ = page;
  curBG_ = background;
  UpdateTabMark();
  Invalidate();
}

void TFormMain::SwitchTabBy(int step) {
  std::vector<TTabLabel*> tabs;
  for (TTabLabel* tab :
       {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter, LbAPInfo, LbAPCfg, LbAPFilter})
    if (tab->Visible() && tab->Enabled()) tabs.push_back(tab);
  if (tabs.empty()) return;
  const auto at = std::find(tabs.begin(), tabs.end(), curTab_);
  const int n = static_cast<int>(tabs.size());
  const int from = at == tabs.end() ? (step > 0 ? n - 1 : 0) : static_cast<int>(at - tabs.begin());
  TTabLabel* next = tabs[static_cast<size_t>(((from + step) % n + n) % n)];
  if (next != curTab_) SwitchPage(next, 0);
}

void TFormMain::UpdateTabMark() {
  const bool formFocused = Handle() && GetFocus() == Handle();
  for (TTabLabel* tab :
       {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter, LbAPInfo, LbAPCfg, LbAPFilter})
    tab->SetFocusMark(formFocused && tab == curTab_);
}

bool TFormMain::KeyPreview(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && !(GetKeyState(VK_CONTROL) & 0x8000) &&
      !(GetKeyState(VK_SHIFT) & 0x8000)) {
    BtnHelpClick();
    return true;
  }
  if (msg.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) &&
      !(GetKeyState(VK_MENU) & 0x8000)) {
    int step = 0;
    if (msg.wParam == VK_TAB) step = (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
    if (msg.wParam == VK_NEXT) step = 1;
    if (msg.wParam == VK_PRIOR) step = -1;
    if (step) {
      Busy busy(this);
      SwitchTabBy(step);
      return true;
    }
  }
  return TFormBase::KeyPreview(msg);
}

void TFormMain::SetOperateMode(int mode) {
  Busy busy(this);
  mode_ = mode;
  for (TTabLabel* tab : {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter})
    tab->SetVisible(mode == kModeStation);
  for (TTabLabel* tab : {LbAPInfo, LbAPCfg, LbAPFilter}) tab->SetVisible(mode == kModeAP);
  const TPicture& on = ResPicture("ImgBtnEnable");
  const TPicture& off = ResPicture("ImgBtnDisable");
  if (mode == kModeAP) {
    BtnSoftAP->SetNormalFace(on);
    BtnStation->SetNormalFace(off);
    SwitchPage(LbAPInfo, 0);
    SetTrayIcon(kIconAccessPoint);
  } else {
    BtnSoftAP->SetNormalFace(off);
    BtnStation->SetNormalFace(on);
    SwitchPage(LbLinkInfo, 0);
    SetTrayIcon(kIconDisconnected);
  }
  // The change paints at once.
  Application.ProcessMessages();
}

void TFormMain::AttachAll(int kind, int mode) {
  for (TPropertyPageFrame* page : Pages()) page->AttachAdapter(adapter_, kind, mode);
}

void TFormMain::BtnSoftAPClick(TPicButton* sender) {
  Busy busy(this);
  const int mode = sender == BtnSoftAP ? kModeAP : kModeStation;
  if (mode == mode_) return;
  if (!adapter_) {
    SetOperateMode(mode);
    return;
  }
  AttachAll(kDetach, mode_);
  SetOperateMode(mode);
  // SetOperateMode let other messages run: the adapter may be gone.
  if (!adapter_) return;
  adapter_->WriteSet("OperateMode", static_cast<int32_t>(mode));
  AttachAll(kAttach, mode);
  if (adapter_->AntennaEnabled)
    adapter_->SetAntenna(static_cast<uint8_t>(
        mode == kModeStation ? adapter_->ReadSet("AntennaMode", static_cast<int32_t>(4)) : 0));
  if (!adapter_->UseWZC) {
    if (mode == kModeAP)
      FrameAPInfo1->ConnectLast();
    else
      FrameProfile1->InitConnect();
  }
}

// ---- devices ----------------------------------------------------------------------

void TFormMain::SelectDevice(const DeviceRec& device) {
  Busy busy(this);
  if (device_) return;
  device_ = std::make_unique<DeviceRec>(device);
  LogWrite("Select Dev: <%s><%s><%s>", FieldText(device_->Description).c_str(),
           FieldText(device_->HardwareId).c_str(), FieldText(device_->Tag).c_str());
  if (!adapter_) {
    try {
      adapter_ = new CNICAdapter(Handle(), CmdFlags, *device_);
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::SelectDevice): %s", e.what());
      device_.reset();
      return;
    }
  }
  WLProfile last{};
  if (CmdFlags & CmdService) adapter_->GetLastApplyProf(last);
  if (adapter_->AntennaEnabled)
    adapter_->SetAntenna(static_cast<uint8_t>(adapter_->ReadSet("AntennaMode", int32_t{4})));
  SetOperateMode(kModeStation);
  // SetOperateMode let other messages run: the adapter may be gone again.
  if (!adapter_) return;
  const bool softAP = adapter_->SoftAPCapable;
  BtnSoftAP->SetEnabled(softAP);
  BtnStation->SetEnabled(softAP);
  if (softAP) {
    std::vector<WLProfile> aps;
    adapter_->GetProfileList(kAPList, aps);
    g_GlobalVar.APProfile = aps.empty() ? adapter_->DefAPProf : aps.front();
  }
  AttachAll(kAttach, kModeStation);
  if (CmdFlags & CmdService) {
    if (!adapter_->UseWZC) adapter_->Connect(last);
  } else {
    if (!adapter_->UseWZC) FrameProfile1->InitConnect();
    SetTrayIcon(kIconDisconnected);
    if (!TrayIconMain->Visible()) TrayIconMain->SetVisible(true);
  }
  if (device_) notes_->AdapterArrived(FieldText(device_->Description));
}

void TFormMain::DeviceNotice(int kind) {
  Busy busy(this);
  if (releasing_) {
    // The detection thread reports a change only once: look at the list
    // again when the release is over, or a device present now is missed.
    noticeDropped_ = true;
    return;
  }
  if (kind == kDevicesChanged) {
    std::vector<DeviceRec> list;
    if (g_ThrdDetect) g_ThrdDetect->GetDevList(list);
    if (!device_ && !list.empty()) {
      SelectDevice(list.front());
    } else if (device_) {
      bool present = false;
      for (const DeviceRec& d : list)
        if (std::memcmp(&d, device_.get(), sizeof(DeviceRec)) == 0) present = true;
      if (!present) {
        unplugged_ = true;
        ReleaseDevice();
      }
    }
  } else if (kind == kDevicesGone) {
    if (device_) ReleaseDevice();
  }
}

void TFormMain::ReleaseDevice() {
  releasing_ = true;
  std::shared_ptr<bool> alive = alive_;
  new CThrdCloseForm([this, alive] {
    if (*alive) FinishRelease();
  });
}

void TFormMain::FinishRelease() {
  Busy busy(this);
  if (device_) {
    AttachAll(kDetach, mode_);
    BtnSoftAP->SetEnabled(false);
    BtnStation->SetEnabled(false);
    // Cleared first: stopping the worker answers what it sends meanwhile,
    // and those events must find no adapter here.
    CNICAdapter* adapter = adapter_;
    adapter_ = nullptr;
    delete adapter;
    const std::string left = FieldText(device_->Description);
    device_.reset();
    if (!(CmdFlags & CmdService)) {
      SetTrayIcon(kIconDisconnected);
      if (!(CmdFlags & CmdTrayIcon)) {
        TrayIconMain->SetVisible(false);
        Hide();
      }
    }
    notes_->LinkReset();
    // Only an icon that stays can carry the news.
    if (unplugged_ && TrayIconMain->Visible()) notes_->AdapterLeft(left);
  }
  // A device that left the list may have left another supported one behind
  // it, and the detection thread will not report that list again: take it
  // now. A release for resume or a console disconnect waits for the next
  // pass instead, unless that pass already reported while this one ran. A
  // program on its way out takes nothing.
  const bool lookAgain = (unplugged_ || noticeDropped_) && lifetime_ == Lifetime::Running;
  unplugged_ = false;
  noticeDropped_ = false;
  releasing_ = false;
  if (lookAgain) DeviceNotice(kDevicesChanged);
}

// ---- notifications ------------------------------------------------------------------

void TFormMain::ForwardNotify(int code, int value) {
  if (!adapter_) return;
  for (TPropertyPageFrame* page : Pages()) {
    // A page may run a message loop that releases the adapter.
    if (!adapter_) return;
    page->AdapterNotify(adapter_, code, value);
  }
}

void TFormMain::ShowPage(int page) {
  switch (page) {
    case kPageLinkInfo:
      SwitchPage(LbLinkInfo, 0);
      break;
    case kPageProfile:
      SwitchPage(LbProfile, 0);
      break;
    case kPageSurvey:
      SwitchPage(LbSiteSurvey, kSurveyNoScan);
      break;
    case kPageAPInfo:
      SwitchPage(LbAPInfo, 0);
      break;
    default:
      break;
  }
}

LRESULT TFormMain::NotifyMessage(WPARAM code, LPARAM value) {
  Busy busy(this);
  const int v = static_cast<int>(value);
  switch (code) {
    case kNotifyShow:
      MenuItOpenClick();
      break;
    case kNotifyDevice:
      DeviceNotice(v);
      break;
    case kNotifyStatus:
      if (!adapter_) break;
      UpdateTrayIcon();
      if (mode_ == kModeStation && !adapter_->UseWZC) {
        WLStatus status{};
        adapter_->GetStatus(status);
        const uint32_t n = std::min<uint32_t>(status.SsidLength, sizeof status.Ssid);
        notes_->LinkSample(status.MediaState == 0,
                           FieldText(reinterpret_cast<const char*>(status.Ssid), n));
      }
      ForwardNotify(kNotifyStatus, v);
      break;
    case kNotifyWZC:
      if (!adapter_) break;
      ForwardNotify(kNotifyWZC, v);
      WZCChanged(v == kWZCOn);
      break;
    case kNotifyStoreProfile:
      if (!(v & kNotifyAPSide)) return FrameProfile1->SaveProfile(v) ? 1 : 0;
      break;
    case kNotifyConnecting:
      if (!adapter_) break;
      if (!(v & kNotifyAPSide)) SetTrayIcon(kIconDisconnected);
      ForwardNotify(kNotifyConnecting, v);
      break;
    case kNotifyProfiles:
      if (!adapter_) break;
      ForwardNotify(kNotifyProfiles, v);
      break;
    case kNotifyClose:
      LogWrite("WPM_CLOSEALL");
      MenuItCloseClick();
      break;
    case kNotifyShowPage:
      ShowPage(v);
      break;
    case kNotifyShowProfile:
      SwitchPage(LbProfile, v);
      break;
    case kNotifyScript:
      return lifetime_ == Lifetime::Running ? script::kProbeAnswer : 0;
    default:
      break;
  }
  return 0;
}

void TFormMain::WZCChanged(bool on) {
  if (on) {
    new CThrdCloseForm();
    SetTrayIcon(kIconDisconnected);
    Hide();
  } else if (mode_ == kModeAP) {
    FrameAPInfo1->ConnectLast();
    ShowPage(kPageAPInfo);
  } else {
    FrameProfile1->InitConnect();
    ShowPage(kPageLinkInfo);
  }
}

void TFormMain::UpdateTrayIcon() {
  if (!adapter_ || adapter_->UseWZC) return;
  WLStatus status{};
  adapter_->GetStatus(status);
  const int icon = mode_ == kModeAP ? kIconAccessPoint
                                    : (status.MediaState == 0 ? kIconConnected : kIconDisconnected);
  if (icon != TrayIconMain->IconIndex()) SetTrayIcon(icon);
}

// ---- tray icon and menu -------------------------------------------------------------

void TFormMain::TrayIconMouseDown(TMouseButton button) {
  if (button == TMouseButton::Right) ForceForeground(AppWindow());
}

void TFormMain::TrayIconMouseUp(TMouseButton button) {
  if (button != TMouseButton::Right) return;
  Busy busy(this);
  if (HWND foreground = GetForegroundWindow()) {
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    if (process != GetCurrentProcessId()) return;
  }
  POINT p{0, 0};
  GetCursorPos(&p);
  PrepareTrayMenu();
  HWND owner = TrayIconMain->Handle();
  SetForegroundWindow(owner);
  PMTrayIcon->Popup(p.x, p.y, owner);
  PostMessageA(owner, WM_NULL, 0, 0);
}

void TFormMain::PrepareTrayMenu() {
  MenuItWZC->SetCaption(g_GlobalVar.StrFileRead("Menu", "MenuWZC", MenuItWZC->Caption()));
  MenuItOpen->SetCaption(g_GlobalVar.StrFileRead("Menu", "MenuOpen", MenuItOpen->Caption()));
  MenuItClose->SetCaption(g_GlobalVar.StrFileRead("Menu", "MenuClose", MenuItClose->Caption()));
  const bool wzc = g_GlobalVar.OsVersionCode >= 7 && adapter_;
  MenuItWZC->SetVisible(wzc);
  N1->SetVisible(wzc);
  if (wzc) MenuItWZC->SetChecked(adapter_->UseWZC);
  MenuItOpen->SetVisible(false);
  MenuItDisconnect->SetCaption(
      g_GlobalVar.StrFileRead("Menu", "MenuDisconnect", MenuItDisconnect->Caption()));
  MenuItDisconnect->SetVisible(LinkUp());
}

bool TFormMain::LinkUp() {
  if (!adapter_ || adapter_->UseWZC || mode_ != kModeStation) return false;
  WLStatus status{};
  adapter_->GetStatus(status);
  return status.MediaState == 0;
}

void TFormMain::MenuItDisconnectClick() {
  Busy busy(this);
  if (LinkUp()) adapter_->Disconnect();
}

void TFormMain::MenuItWZCClick() {
  Busy busy(this);
  if (adapter_) adapter_->WriteUseWZC(!adapter_->UseWZC);
}

void TFormMain::MenuItOpenClick() {
  Busy busy(this);
  if (!adapter_ && !(CmdFlags & CmdTrayIcon)) return;
  if (adapter_ && adapter_->UseWZC) {
    if (!ConfirmUtilityControl()) return;
    // The question ran a message loop: the adapter may have gone meanwhile.
    if (!adapter_) return;
    adapter_->WriteUseWZC(false);
  }
  if (Handle() && IsWindowVisible(Handle()))
    Restore();
  else
    Show();
  ForceForeground(Handle());
}

void TFormMain::MenuItCloseClick() {
  if (lifetime_ == Lifetime::Running) lifetime_ = Lifetime::CloseRequested;
  Close();
}

void TFormMain::EndSession() {
  LogWrite("TFormMain::EndSession()");
  MenuItCloseClick();
  TrayIconMain->SetVisible(false);
  if (g_ThrdDetect) {
    CThrdDetect* detect = g_ThrdDetect;
    g_ThrdDetect = nullptr;
    delete detect;
  }
  if (adapter_) {
    AttachAll(kDetach, mode_);
    // Deleting the adapter waits for a connection in progress to finish
    // writing what it applied.
    CNICAdapter* adapter = adapter_;
    adapter_ = nullptr;
    delete adapter;
    device_.reset();
  }
}

bool TFormMain::ConfirmUtilityControl() {
  Busy busy(this);
  if (g_QuestionOpen) {
    ForceForeground(AppWindow());
    return false;
  }
  const std::string product =
      g_GlobalVar.StrFileRead("Utility", "ProductName", "Wireless Adapter Utility");
  const std::string text = FormatText(
      g_GlobalVar.StrFileRead("Message", "UseUtility", "Use %s manage this wireless adapter?"),
      product);
  g_QuestionOpen = true;
  ForceForeground(AppWindow());
  int answer = 0;
  try {
    answer = g_GlobalVar.ShowMsgBox(Handle(), text, 0x41);
  } catch (const std::exception& e) {
    LogWrite("Exception(TFormMain::ConfirmUtilityControl): %s", e.what());
  }
  g_QuestionOpen = false;
  return answer == 1;
}

// ---- help and about -----------------------------------------------------------------

void TFormMain::BtnHelpClick() {
  Busy busy(this);
  const std::string file = g_GlobalVar.InfoReadString("Setting", "HelpFile", "");
  if (file.empty()) return;
  const std::string path = g_GlobalVar.ExeDir + file;
  HWND viewer = nullptr;
  if (HtmlHelpFn help = HtmlHelpEntry()) {
    viewer = help(AppWindow(), path.c_str(), 0 /* display topic */, 0);
  }
  if (viewer) return;
  // A click that does nothing leaves the user guessing: say what is missing.
  LogWrite("TFormMain::BtnHelpClick: cannot open %s", path.c_str());
  const std::string text = FormatText(
      g_GlobalVar.StrFileRead("Message", "ErHelpFile", "The help file %s could not be opened."),
      path);
  try {
    g_GlobalVar.ShowMsgBox(Handle(), text, MB_ICONWARNING);
  } catch (const std::exception& e) {
    LogWrite("Exception(TFormMain::BtnHelpClick): %s", e.what());
  }
}

void TFormMain::BtnAboutClick() {
  Busy busy(this);
  if (g_About) return;
  try {
    TFormAbout about;
    g_About = &about;
    about.ShowAbout(this, adapter_);
  } catch (const std::exception& e) {
    LogWrite("Exception(TFormMain::BtnAboutClick): %s", e.what());
  }
  g_About = nullptr;
}

// ---- closing ---------------------------------------------------------------------------

void TFormMain::FormClose(TCloseAction& action) {
  // The toolkit would end the program itself; this window decides.
  action = TCloseAction::None;
  TForm::FormClose(action);
  action = TCloseAction::None;
  if (lifetime_ == Lifetime::Running)
    Hide();
  else
    ScheduleFree();
}

void TFormMain::ScheduleFree() {
  Hide();
  if (lifetime_ != Lifetime::CloseRequested) return;
  lifetime_ = Lifetime::FreeScheduled;
  PostMessageA(Handle(), kMsgFree, 0, 0);
}

void TFormMain::TryFree() {
  if (lifetime_ != Lifetime::FreeScheduled) return;
  // Not under a running handler, modal window or menu of ours: close those
  // first and look again shortly.
  if (busy_ > 0 || TFormBase::TopModalForm() || TFormBase::SystemDialogs() > 0) {
    if (TFormBase::TopModalForm() && !closeThreadStarted_) {
      closeThreadStarted_ = true;
      new CThrdCloseForm();
    }
    if (TFormBase::SystemDialogs() > 0) CancelSystemDialogs();
    EndMenu();
    SetTimer(Handle(), kFreeRetryTimer, 50, nullptr);
    return;
  }
  KillTimer(Handle(), kFreeRetryTimer);
  delete this;
}

void TFormMain::DialogKey(int id) {
  if (FrameProfile1) FrameProfile1->DialogKey(id);
}

LRESULT TFormMain::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kMsgFree || (msg == WM_TIMER && wp == kFreeRetryTimer)) {
    // Nothing of this object may be touched once TryFree returns.
    TryFree();
    return 0;
  }
  if (NotifyMsg != 0 && msg == NotifyMsg) return NotifyMessage(wp, lp);
  if (msg == WM_COPYDATA && lp &&
      reinterpret_cast<const COPYDATASTRUCT*>(lp)->dwData == script::kRequestTag)
    return ScriptCopyData(reinterpret_cast<HWND>(wp), reinterpret_cast<const COPYDATASTRUCT*>(lp));
  if (msg == WM_QUERYENDSESSION) {
    LogWrite("WM_QUERYENDSESSION");
    return TRUE;  // nothing here is worth holding a logoff for
  }
  if (msg == WM_ENDSESSION) {
    if (wp) EndSession();
    return 0;
  }
  if (msg == WM_DESTROY) {
    // Destroyed from outside (at the end of the program): stop the threads
    // now and free the rest once this message is done with.
    FormDestroy();
    TFormMain* self = this;
    std::shared_ptr<bool> alive = alive_;
    ui::Queue([self, alive] {
      if (*alive) delete self;
    });
  }
  if (msg == WM_ERASEBKGND && curBG_) return 1;
  if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == kSysAbout) {
    BtnAboutClick();
    return 0;
  }
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) {
    const LRESULT r = TFormBase::WndProc(msg, wp, lp);
    UpdateTabMark();
    return r;
  }
  return TFormBase::WndProc(msg, wp, lp);
}

// ---- creation -------------------------------------------------------------------------

HWND CreateMainForm(int32_t flags) {
  TFormRes* ownRes = nullptr;
  try {
    if (!FormRes) ownRes = new TFormRes(nullptr);
    auto* form = new TFormMain(nullptr);
    form->OwnedFormRes = ownRes;
    ownRes = nullptr;
    FormMain = form;
    Application.MainWindow = form->Handle();
    form->Start(flags);
    return form->Handle();
  } catch (const std::exception& e) {
    LogWrite("Exception(CreateMainForm): %s", e.what());
  }
  delete ownRes;
  return nullptr;
}
