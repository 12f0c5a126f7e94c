#include "pages/Uscanlist.h"

#include <cstring>

#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "config/Unotify.h"
#include "pages/station/Upageparts.h"
#include "pages/station/Ustationlogic.h"
#include "shell/Ulibqueue.h"
#include "ui/Upalette.h"

using namespace pageparts;

TScanList::TScanList(TPropertyPageFrame* page, const TLook& look)
    : currentRowColor_(look.CurrentRowColor) {
  LvSite = new TSortLv(page, page, "LvSite");
  LvSite->SetBounds(look.Left, look.Top, look.Width, look.Height);
  LvSite->AddColumn("", 26);
  for (const auto& [caption, width] : look.Columns) LvSite->AddColumn(caption, width);
  LvSite->SkipSort1 = 0;
  LvSite->SetSortColumn(look.SortColumn);
  LvSite->SetIncrease(look.Increase);
  if (look.GridLines) LvSite->SetGridLines(true);
  LvSite->SetSmallImages(Images("ImgsType"));
  LvSite->SetSortImages(Images("ImgsSort"));
  PlSearch = new TPanel(page, page, "PlSearch", look.SearchCaption);
  PlSearch->SetColor(palette::AccentTint);
  PlSearch->SetBorderColor(palette::Accent);
  PlSearch->SetFontColor(palette::AccentDark);
  PlSearch->SetFontBold(true);
  PlSearch->SetBounds(look.Left + (look.Width - look.SearchWidth) / 2, look.SearchTop,
                      look.SearchWidth, 34);
  PlSearch->Hide();
  BtnScan = MakeButton(page, page, "BtnScan", "Scan", "ImgBtnScan", look.ScanLeft, look.ScanTop);
  TimerSurvey = new TTimer(page, "TimerSurvey", 3000, false);

  LvSite->OnRowColor = [this](const TLvRow& row) -> COLORREF {
    static const uint8_t zero[6] = {};
    const SiteEntry* e = RowSite(&row);
    if (!e || std::memcmp(currentAP_, zero, sizeof currentAP_) == 0) return CLR_NONE;
    return std::memcmp(e->Bssid, currentAP_, sizeof currentAP_) == 0 ? currentRowColor_ : CLR_NONE;
  };
  LvSite->OnDeleteRow = [](TLvRow& row) {
    delete static_cast<SiteEntry*>(row.Data);
    row.Data = nullptr;
  };
  BtnScan->OnClick = [this] { Scan(); };
  TimerSurvey->OnTimer = [this] { Fetch(); };
}

TScanList::~TScanList() {
  TimerSurvey->SetEnabled(false);
  // The rows are freed now: the list does not report them while its owner
  // is being destroyed.
  LvSite->Clear();
  // The page frees the controls after the scan list: nothing may call it then.
  LvSite->OnRowColor = nullptr;
  BtnScan->OnClick = nullptr;
  TimerSurvey->OnTimer = nullptr;
}

const SiteEntry* TScanList::RowSite(const TLvRow* row) {
  return row ? static_cast<const SiteEntry*>(row->Data) : nullptr;
}

std::string TScanList::SsidText(const SiteEntry& site) {
  return ::SsidText(site);
}

void TScanList::Attach(CNICAdapter* adapter, int mode) {
  if (!adapter || (mode & kModeAP)) return;
  adapter_ = adapter;
  blocked_ = adapter->UseWZC;
  if (blocked_) return;
  TimerSurvey->SetEnabled(true);
  PlSearch->Show();
}

void TScanList::Detach() {
  Reset();
  adapter_ = nullptr;
}

void TScanList::Reset() {
  // A scan still waiting for the library is not made any more.
  libqueue::Forget(BtnScan);
  TimerSurvey->SetEnabled(false);
  if (surveyInterval_) {
    TimerSurvey->SetInterval(surveyInterval_);
    surveyInterval_ = 0;
  }
  std::memset(currentAP_, 0, sizeof currentAP_);
  Clear();
  BtnScan->SetEnabled(false);
  PlSearch->Hide();
}

void TScanList::WindowsManagement(bool on) {
  blocked_ = on;
  if (on)
    Reset();
  else
    Scan();
}

void TScanList::AdapterNotify(int code, int value) {
  if (!adapter_) return;
  if (code == kNotifyWZC)
    WindowsManagement(value == kWZCOn);
  else if (code == kNotifyStatus)
    TrackAssociation();
}

void TScanList::Scan() {
  if (!adapter_ || adapter_->UseWZC) return;
  // While another thread holds the library the scan waits its turn, the
  // button showing it.
  libqueue::Run(BtnScan, "Scan", [this] { StartScan(); });
}

void TScanList::StartScan() {
  if (!adapter_ || adapter_->UseWZC) return;
  if (!adapter_->StartSiteSurvey() && librarylock::TimedOut()) {
    // Taken between the look and the call: back in the queue, nothing shown
    // changed.
    libqueue::Queue(BtnScan, "Scan", [this] { StartScan(); });
    return;
  }
  BtnScan->SetEnabled(false);
  Clear();
  PlSearch->Show();
  TimerSurvey->SetEnabled(false);
  TimerSurvey->SetEnabled(true);
}

void TScanList::Fetch() {
  TimerSurvey->SetEnabled(false);
  if (surveyInterval_) {
    TimerSurvey->SetInterval(surveyInterval_);
    surveyInterval_ = 0;
  }
  if (adapter_) {
    std::vector<SiteEntry> entries;
    if (!adapter_->GetSiteList(entries) && librarylock::TimedOut()) {
      // The library is busy: the rows stay as they are, the next tick asks
      // again.
      TimerSurvey->SetEnabled(true);
      return;
    }
    Clear();
    LvSite->BeginUpdate();
    for (const SiteEntry& e : entries) {
      TLvRow* row = LvSite->AddRow("", new SiteEntry(e));
      row->AddSubItem(SsidText(e));
      if (OnAddRow) OnAddRow(*row, e);
      row->SetImageIndex(stationlogic::NetworkIcon(e.SecurityCode != 0, e.InfraMode));
    }
    LvSite->EndUpdate();
    LvSite->Sort();
    if (OnListed) OnListed();
  }
  PlSearch->Hide();
  BtnScan->SetEnabled(adapter_ && !blocked_);
}

void TScanList::Clear() {
  LvSite->Clear();
  if (OnCleared) OnCleared();
}

void TScanList::TrackAssociation() {
  if (!adapter_ || adapter_->UseWZC) return;
  WLStatus status{};
  adapter_->GetStatus(status);
  if (status.MediaState == 1) std::memset(&status, 0, sizeof status);
  if (std::memcmp(status.Bssid, currentAP_, sizeof currentAP_) != 0) {
    std::memcpy(currentAP_, status.Bssid, sizeof currentAP_);
    LvSite->Invalidate();
  }
}

void TScanList::CatchUp(DWORD attachedMs) {
  if (!adapter_ || !TimerSurvey->Enabled()) return;
  TrackAssociation();
  const UINT interval = TimerSurvey->Interval();
  if (attachedMs >= interval) {
    Fetch();
    return;
  }
  surveyInterval_ = interval;
  TimerSurvey->SetInterval(interval - attachedMs);
}
