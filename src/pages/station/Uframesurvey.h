// The site survey page: the networks the adapter hears, sorted by signal,
// the details of the selected one, scanning and joining.
#pragma once

#include <memory>
#include <string>

#include "config/Udefine.h"
#include "config/Unotify.h"
#include "pages/Uscanlist.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"

class CNICAdapter;

class TFrameSurvey : public TPropertyPageFrame {
 public:
  TFrameSurvey(TComponent* owner, TContainer* parent, std::string name = "FrameSurvey1");

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
  // The list, its panel, scan button and timer above.
  std::unique_ptr<TScanList> Sites;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  void BtnScanClick() { Sites->Scan(); }
  void BtnConnectClick();
  void TimerSurveyTimer() { Sites->Fetch(); }

  CNICAdapter* Adapter() const { return Sites->Adapter(); }
  bool ScanBlocked() const { return Sites->Blocked(); }

 protected:
  void LayoutText() override;

 private:
  void ShowSiteInfo(const SiteEntry& entry);
  void LvSiteSelectItem(TLvRow* row, bool selected);
  int LvSiteCompare(const TLvRow& a, const TLvRow& b) const;
};
