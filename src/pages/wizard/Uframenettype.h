// The wizard's network type page: profile name, network name and network
// type, with a small scan list from which a network can be taken.
#pragma once

#include <memory>
#include <string>

#include "config/Udefine.h"
#include "pages/Unetname.h"
#include "pages/Uscanlist.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"

class CNICAdapter;

class TFrameNetType : public TPropertyPageFrame {
 public:
  TFrameNetType(TComponent* owner, TContainer* parent, std::string name = "FrameNetType1");

  TImage* ImgBG;
  TLabel* LbEdtMode;
  TLabel* LbName;
  TEdit* EdtName;
  TLabel* LbSSID;
  TEdit* EdtSSID;
  TLabel* LbNetType;
  TRadioButton* RBtnInfra;
  TLabel* LbInfra;
  TLabel* LblInfra;
  TRadioButton* RBtnAdHoc;
  TLabel* LbAdHoc;
  TLabel* LblAdHoc;
  TLabel* LbScan;
  TSortLv* LvSite;
  TPanel* PlSearch;
  TPicButton* BtnScan;
  TPicButton* BtnSelect;
  TPicButton* BtnNext;
  TPicButton* BtnExit;
  TTimer* TimerSurvey;
  // The list, its panel, scan button and timer above.
  std::unique_ptr<TScanList> Sites;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;
  // Built after its adapter was attached, attachedMs ago: the first fetch of
  // the adapter's survey and the current network are brought to where they
  // would be had the page been attached then.
  void CatchUp(DWORD attachedMs) { Sites->CatchUp(attachedMs); }

  // The name the profile had when the wizard opened (an edited profile may
  // keep it).
  void SetNameOnEntry(const std::string& name) { nameOnEntry_ = name; }
  TWinControl* FirstFocus() const { return EdtName; }

  void BtnScanClick() { Sites->Scan(); }
  void BtnSelectClick();
  void TimerSurveyTimer() { Sites->Fetch(); }

  // Background of the row of the access point in use.
  static constexpr COLORREF kCurrentRowColor = RGB(0xEA, 0xF5, 0xF7);

 private:
  CNICAdapter* Adapter() const { return Sites->Adapter(); }

  int flags_ = 0;
  std::string nameOnEntry_;
  TNetNameField ssid_;
};
