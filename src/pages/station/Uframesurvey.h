// The site survey page: the networks the adapter hears, sorted by signal,
// the details of the selected one, scanning and joining.
#pragma once

#include <string>

#include "config/Udefine.h"
#include "config/Unotify.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"

class CNICAdapter;

class TFrameSurvey : public TPropertyPageFrame {
 public:
  TFrameSurvey(TComponent* owner, TContainer* parent, std::string name = "FrameSurvey1");
  ~TFrameSurvey() override;

  TImage* ImgBG;
  TLabel* LbNetList;
  TSortLv* LvSite;
  TLabel* LbSiteInfo;
  TLabel* LbNetType;
  TValueLabel* LblNetType;
  TLabel* LbWlMode;
  TValueLabel* LblWlMode;
  TLabel* LbChannel;
  TValueLabel* LblChannel;
  TLabel* LbEncry;
  TValueLabel* LblEncry;
  TLabel* LbMAC;
  TValueLabel* LblMAC;
  TLabel* LbTime;
  TValueLabel* LblTime;
  TPicButton* BtnScan;
  TPicButton* BtnConnect;
  TPanel* PlSearch;
  TTimer* TimerSurvey;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  void BtnScanClick();
  void BtnConnectClick();
  void TimerSurveyTimer();

  CNICAdapter* Adapter() const { return adapter_; }
  bool ScanBlocked() const { return blocked_; }
  static const SiteEntry* RowSite(const TLvRow* row);

 private:
  void ClearList();
  void ShowSiteList(const std::vector<SiteEntry>& entries);
  void ShowSiteInfo(const SiteEntry& entry);
  void LvSiteSelectItem(TLvRow* row, bool selected);
  int LvSiteCompare(const TLvRow& a, const TLvRow& b) const;
  void TrackAssociation();

  CNICAdapter* adapter_ = nullptr;
  bool blocked_ = false;
  WLStatus lastStatus_{};
};
