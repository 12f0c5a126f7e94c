// The scan list of the site survey page and of the wizard's network page:
// the networks heard, a "Searching" panel over the list while a scan runs,
// the scan button and the survey timer that fetches the result, the row of
// the access point in use marked. No scan starts while Windows' wireless
// management has the adapter. The controls belong to the page; the page adds
// its own columns' texts and what a chosen row does.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/Udefine.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"

class CNICAdapter;

class TScanList {
 public:
  struct TLook {
    // The list.
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    // Captions and widths of the columns after the icon column; the first
    // holds the SSID.
    std::vector<std::pair<std::string, int>> Columns;
    int SortColumn = 1;
    bool Increase = true;
    bool GridLines = false;
    // The panel over the middle of the list, "PlSearch".
    std::string SearchCaption;
    int SearchWidth = 0;
    int SearchTop = 0;
    // Background of the row of the access point in use.
    COLORREF CurrentRowColor = CLR_NONE;
    // The scan button, "BtnScan".
    int ScanLeft = 0;
    int ScanTop = 0;
  };

  // Makes LvSite, PlSearch, BtnScan and TimerSurvey, owned by the page.
  TScanList(TPropertyPageFrame* page, const TLook& look);
  ~TScanList();
  TScanList(const TScanList&) = delete;
  TScanList& operator=(const TScanList&) = delete;

  TSortLv* LvSite;
  TPanel* PlSearch;
  TPicButton* BtnScan;
  TTimer* TimerSurvey;

  // A new row, after its icon and SSID: the page's other columns.
  std::function<void(TLvRow& row, const SiteEntry& site)> OnAddRow;
  // The list was emptied (it does not report the selection it lost).
  std::function<void()> OnCleared;
  // The list was filled and sorted.
  std::function<void()> OnListed;

  static const SiteEntry* RowSite(const TLvRow* row);
  static std::string SsidText(const SiteEntry& site);

  CNICAdapter* Adapter() const { return adapter_; }
  // True while Windows' wireless management has the adapter.
  bool Blocked() const { return blocked_; }

  // An adapter attached in station mode (others are ignored): it scanned
  // when it started, so its result is fetched first, unless Windows manages
  // the adapter.
  void Attach(CNICAdapter* adapter, int mode);
  // Reset, and the adapter forgotten.
  void Detach();
  // Timer stopped, list empty, panel hidden, no scan, no row marked.
  void Reset();
  // Windows' management taken (Reset) or given back (a new scan).
  void WindowsManagement(bool on);
  // The page's AdapterNotify: kNotifyWZC and kNotifyStatus while attached.
  void AdapterNotify(int code, int value);
  // Starts a scan and the timer that fetches its result; refused without an
  // adapter or while Windows manages it.
  void Scan();
  // The timer: the adapter's list into the rows.
  void Fetch();
  void Clear();
  // Marks the row of the access point the adapter is associated with.
  void TrackAssociation();
  // Built after its adapter was attached, attachedMs ago: the first fetch and
  // the marked row are brought to where they would be had the list been
  // attached then.
  void CatchUp(DWORD attachedMs);

 private:
  // Scan's work once the library can be had.
  void StartScan();

  CNICAdapter* adapter_ = nullptr;
  bool blocked_ = false;
  uint8_t currentAP_[6] = {};
  COLORREF currentRowColor_;
  // The timer's own interval, while CatchUp shortened its first wait.
  UINT surveyInterval_ = 0;
};
