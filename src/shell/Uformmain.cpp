// The main window's controls and creation, its window procedure, help and
// the about box.
#include "shell/Uformmain.h"

#include <exception>
#include <string>

#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "config/Uutility.h"
#include "pages/station/Uframeadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Propertypageframeunit.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformabout.h"
#include "shell/Uformres.h"
#include "shell/Utraynotes.h"
#include "ui/Uaccessible.h"
#include "ui/Upalette.h"
#include "ui/Uuithread.h"

TFormMain* FormMain = nullptr;

namespace {

// Design size of the window and its parts (the background pictures).
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 440;
constexpr int kTabTop = 80;
constexpr int kTabHeight = 30;
constexpr int kTabLeft = 24;
constexpr int kTabStep = 138;
constexpr int kTabWidth = 130;

// Process-wide: the open about box.
TFormAbout* g_About = nullptr;

TTabLabel* MakeTab(TFormMain* form, const char* name, const char* caption, int index) {
  auto* tab = new TTabLabel(form, form, name, caption);
  tab->SetBounds(kTabLeft + index * kTabStep, kTabTop, kTabWidth, kTabHeight);
  tab->SetFontBold(true);
  return tab;
}

// The help viewer's wide entry point, imported by ordinal as the system does.
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpFn HtmlHelpEntry() {
  static HtmlHelpFn entry = [] {
    HMODULE module = LoadLibraryW(L"hhctrl.ocx");
    return module ? reinterpret_cast<HtmlHelpFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(15))))
                  : nullptr;
  }();
  return entry;
}

}  // namespace

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
      curBG_->DrawAt(dc, 0, 0, Dpi());
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
  MenuItWZCLine = new TMenuItem(this, PMTrayIcon, "N1", "-");
  MenuItDisconnect = new TMenuItem(this, PMTrayIcon, "MenuItDisconnect", "Disconnect");
  MenuItOpen = new TMenuItem(this, PMTrayIcon, "MenuItOpen", "Open");
  MenuItClose = new TMenuItem(this, PMTrayIcon, "MenuItClose", "Close");

  for (TTabLabel* tab :
       {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter, LbAPInfo, LbAPCfg, LbAPFilter}) {
    tab->OnMouseDown = [this, tab](TMouseButton button, UINT, int, int) {
      if (button == TMouseButton::Left) TabClick(tab);
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
  for (TPropertyPageFrame* page : Pages()) page->InitHidden("TFormMain::FormCreate");

  accessnames::NameButton(BtnHelp, "Help", "Help");
  accessnames::NameButton(BtnAbout, "About", "About");
  for (auto [button, label] : {std::pair{BtnSoftAP, LbSoftAP}, std::pair{BtnStation, LbStation}}) {
    ui::access::TAccInfo named;
    named.LabelledBy = label;
    ui::access::Describe(button, named);
  }

  // The footer's icon buttons are for the mouse: the keyboard focus goes to
  // the page, and no focus mark sits on a button nobody chose.
  for (TPicButton* b : {BtnHelp, BtnAbout, BtnSoftAP, BtnStation}) MouseOnly(b);

  // The footer's buttons from the keyboard: F1 for help (KeyPreview), the
  // system menu for the about box.
  if (HMENU sys = GetSystemMenu(Handle(), FALSE)) {
    AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sys, MF_STRING, kSysAbout,
                Wide(g_GlobalVar.StrFileRead("Utility", "MenuAbout", "Program &info...")).c_str());
  }

  // 5. Station mode; 6. the mode switch stays out of sight.
  CenterOn(nullptr);
  SetOperateMode(kModeStation);
  for (TControl* c : std::initializer_list<TControl*>{BtnSoftAP, LbSoftAP, BtnStation, LbStation})
    c->Hide();
}

bool TFormMain::AboutOpen() {
  return g_About != nullptr;
}

void TFormMain::BtnHelpClick() {
  Busy busy(this);
  const std::string file = g_GlobalVar.InfoReadString("Setting", "HelpFile", "");
  if (file.empty()) return;
  const std::string path = g_GlobalVar.ExeDir + file;
  HWND viewer = nullptr;
  if (HtmlHelpFn help = HtmlHelpEntry()) {
    viewer = help(AppWindow(), Wide(path).c_str(), 0 /* display topic */, 0);
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
