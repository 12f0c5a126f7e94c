// The main window's pages and tabs: switching between them, the keys that
// do it, the station and access-point modes, and the access-point pages
// built when first needed.
#include <algorithm>
#include <exception>
#include <initializer_list>
#include <vector>

#include "adapter/Unicadapter.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "pages/ap/Uframeapcfg.h"
#include "pages/ap/Uframeapfilter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframeadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Propertypageframeunit.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformmain.h"
#include "shell/Uformres.h"
#include "shell/Ulibqueue.h"

std::vector<TPropertyPageFrame*> TFormMain::Pages() const {
  std::vector<TPropertyPageFrame*> pages;
  for (TComponent* c : Components())
    if (auto* page = dynamic_cast<TPropertyPageFrame*>(c)) pages.push_back(page);
  return pages;
}

void TFormMain::EnsureAPPages() {
  if (apInfo_ || lifetime_ == Lifetime::Destroyed) return;
  apInfo_ = new TFrameAPInfo(this, this);
  apCfg_ = new TFrameAPCfg(this, this);
  apFilter_ = new TFrameAPFilter(this, this);
  // Where the window would have built them: right after the station pages.
  TControl* after = FrameAdapter1;
  for (TPropertyPageFrame* page :
       std::initializer_list<TPropertyPageFrame*>{apInfo_, apCfg_, apFilter_}) {
    page->FinishLateBuild(after, kPageLeft, kPageTop, page->Width(), page->Height(),
                          "TFormMain::FormCreate");
    after = page;
  }
}

TPropertyPageFrame* TFormMain::PageOf(TTabLabel* tab, const TPicture** background) const {
  struct Entry {
    TTabLabel* tab;
    TPropertyPageFrame* page;
    const char* picture;
  };
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
  // A switch by the focused tab strip (a click, its arrow keys) leaves the
  // focus on the strip; any other switch moves it into the page as before.
  const bool stripFocused = stripSwitch_ && StripFocused();
  // Only an access-point tab needs the access-point pages.
  if (tab && (tab == LbAPInfo || tab == LbAPCfg || tab == LbAPFilter)) EnsureAPPages();
  const TPicture* background = nullptr;
  TPropertyPageFrame* page = PageOf(tab, &background);
  if (curPage_ && !curPage_->LeavePage(page, kDirNone, 0)) return;
  if (!page || !page->EnterPage(curPage_, kDirNone, flags)) return;
  if (curPage_ && curPage_ != page) curPage_->Hide();
  page->Show();
  accessnames::DescribePage(page, tab);

  const bool showing = Handle() && IsWindowVisible(Handle()) && !stripFocused;
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

std::vector<TTabLabel*> TFormMain::ShownTabs() const {
  std::vector<TTabLabel*> tabs;
  for (TTabLabel* tab :
       {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter, LbAPInfo, LbAPCfg, LbAPFilter})
    if (tab->Visible() && tab->Enabled()) tabs.push_back(tab);
  return tabs;
}

void TFormMain::SwitchTabBy(int step) {
  const std::vector<TTabLabel*> tabs = ShownTabs();
  if (tabs.empty()) return;
  const auto at = std::find(tabs.begin(), tabs.end(), curTab_);
  const int n = static_cast<int>(tabs.size());
  const int from = at == tabs.end() ? (step > 0 ? n - 1 : 0) : static_cast<int>(at - tabs.begin());
  TTabLabel* next = tabs[static_cast<size_t>(((from + step) % n + n) % n)];
  if (next != curTab_) SwitchPage(next, 0);
}

void TFormMain::TabClick(TTabLabel* tab) {
  Busy busy(this);
  // As a system tab control: the click gives the strip the focus, also on
  // the tab already chosen.
  if (Handle() && IsWindowVisible(Handle()) && IsWindowEnabled(Handle()) && !StripFocused())
    ::SetFocus(Handle());
  if (tab != curTab_) SwitchFromStrip(tab);
}

void TFormMain::SwitchFromStrip(TTabLabel* tab) {
  Busy busy(this);
  const bool was = stripSwitch_;
  stripSwitch_ = true;
  SwitchPage(tab, 0);
  stripSwitch_ = was;
}

bool TFormMain::StripFocused() const {
  return Handle() && GetFocus() == Handle();
}

bool TFormMain::SelfTabStop() const {
  return curTab_ && curTab_->Visible();
}

bool TFormMain::StripKey(WPARAM vk) {
  if (vk == VK_UP || vk == VK_DOWN) return true;
  if (vk != VK_LEFT && vk != VK_RIGHT && vk != VK_HOME && vk != VK_END) return false;
  const std::vector<TTabLabel*> tabs = ShownTabs();
  if (tabs.empty()) return true;
  const auto at = std::find(tabs.begin(), tabs.end(), curTab_);
  TTabLabel* next = nullptr;
  if (vk == VK_HOME) next = tabs.front();
  if (vk == VK_END) next = tabs.back();
  if (vk == VK_LEFT) next = at == tabs.end() || at == tabs.begin() ? tabs.front() : *(at - 1);
  if (vk == VK_RIGHT) next = at == tabs.end() || at + 1 == tabs.end() ? tabs.back() : *(at + 1);
  if (next && next != curTab_) SwitchFromStrip(next);
  return true;
}

void TFormMain::UpdateTabMark() {
  const bool formFocused = StripFocused();
  const std::initializer_list<TTabLabel*> tabs = {LbLinkInfo, LbSiteSurvey, LbProfile, LbAdapter,
                                                  LbAPInfo,   LbAPCfg,      LbAPFilter};
  // The mark goes before it comes, so the tab that takes it is announced last.
  for (TTabLabel* tab : tabs)
    if (!(formFocused && tab == curTab_)) tab->SetFocusMark(false);
  if (formFocused && curTab_) curTab_->SetFocusMark(true);
}

bool TFormMain::KeyPreview(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && StripFocused() && !(GetKeyState(VK_CONTROL) & 0x8000) &&
      !(GetKeyState(VK_MENU) & 0x8000) && !(GetKeyState(VK_SHIFT) & 0x8000) && StripKey(msg.wParam))
    return true;
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
  if (adapter_->AntennaEnabled) QueueAntenna(mode);
  if (!adapter_->UseWZC) {
    if (mode == kModeAP) {
      // SetOperateMode showed the access-point pages: they are built.
      if (TFrameAPInfo* info = FrameAPInfo1()) info->ConnectLast();
    } else {
      FrameProfile1->InitConnect();
    }
  }
}
