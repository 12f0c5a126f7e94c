// The link information page: the state of the selected adapter's link,
// refreshed with every status sample, with lamps for signal and quality.
#pragma once

#include <cstdint>
#include <string>

#include "config/Udefine.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;
class TFormChart;

class TFrameLinkInfo : public TPropertyPageFrame {
 public:
  static constexpr int kLampCount = 10;

  TFrameLinkInfo(TComponent* owner, TContainer* parent, std::string name = "FrameLinkInfo1");

  TImage* ImgBG;
  TLabel* LbStatus;
  TLabel* LbStatistics;
  TLabel* LbSignal;
  TLabel* LbQuality;
  TLabel* LbProfName;
  TValueLabel* LblProfName;
  TLabel* LbSSID;
  TValueLabel* LblSSID;
  TLabel* LbMAC;
  TValueLabel* LblMAC;
  TLabel* LbNetType;
  TValueLabel* LblNetType;
  TLabel* LbTxRate;
  TValueLabel* LblTxRate;
  TLabel* LbSecurity;
  TValueLabel* LblSecurity;
  TLabel* LbChannel;
  TValueLabel* LblChannel;
  TLabel* LbIP;
  TValueLabel* LblIP;
  TLabel* LbTransRate;
  TValueLabel* LblTransRate;
  TLabel* LbRecvReate;
  TValueLabel* LblRecvReate;
  TLabel* LbAuthen;
  TValueLabel* LblAuthen;
  TLabel* LbNetMode;
  TValueLabel* LblNetMode;
  TLabel* LbTrans;
  TValueLabel* LblTrans;
  TLabel* LbRecv;
  TValueLabel* LblRecv;
  TLabel* LbLinkQuality;
  TValueLabel* LblLinkQuality;
  TPicButton* BtnTChart;
  TImage* SignalLamps[kLampCount] = {};
  TImage* QualityLamps[kLampCount] = {};

  void InitPage() override;
  void ResetPage() override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // Opens the throughput chart for the adapter, modally; one at a time.
  void BtnTChartClick();
  // The open throughput chart, or null.
  static TFormChart* Chart();

  CNICAdapter* Adapter() const { return adapter_; }
  bool Connecting() const { return connecting_; }
  // Lamps of a row that are shown.
  int LitLamps(bool quality) const;

 protected:
  void LayoutText() override;

 private:
  void ConnectStarted();
  void Refresh();
  void ClearValues();
  void ShowStatus(const WLStatus& status);
  void ShowIP(const NetworkInfo& info);
  void ShowRates(const WLStatus& status);
  void ShowLamps(TImage* const* lamps, int lit);

  CNICAdapter* adapter_ = nullptr;
  bool connecting_ = false;
  bool haveProfile_ = false;
  WLProfile profile_{};
  DWORD rateTime_ = 0;
  uint64_t prevRx_ = 0;
  uint64_t prevTx_ = 0;
};
