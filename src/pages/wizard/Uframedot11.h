// The wizard's 802.1X page for WPA, WPA2 and RADIUS profiles: EAP method,
// and per method the login, password, certificates, inner method and cipher.
#pragma once

#include <string>
#include <vector>

#include "config/Udefine.h"
#include "pages/wizard/Usecuritylogic.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameDot11 : public TPropertyPageFrame {
 public:
  TFrameDot11(TComponent* owner, TContainer* parent, std::string name = "FrameDot111");

  TImage* ImgBG;
  TLabel* LbDot11Set;
  TLabel* LbEncry;
  TComboBox* CmbEncryp;
  TLabel* LbAuthen;
  TComboBox* CmbAuthen;
  TLabel* LbUser;
  TEdit* EdtUser;
  TLabel* LbPasswd;
  TEdit* EdtPasswd;
  TLabel* LbMyCert;
  TComboBox* CmbMyCert;
  TLabel* LbServerCA;
  TComboBox* CmbServerCA;
  TLabel* LbInner;
  TComboBox* CmbInner;
  // Wired by the wizard controller.
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  // The login name.
  TWinControl* FirstFocus() const;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // The method was chosen: shows its rows, packed from the top.
  void CmbAuthenSelect();

  CNICAdapter* Adapter() const { return adapter_; }
  // Rows shown now.
  const securitylogic::Dot1xRows& Rows() const { return rows_; }
  // Entries behind the certificate lists (user certificates, authorities
  // without the "Trust Any" item).
  const std::vector<CertEntry>& UserCerts() const { return userCerts_; }
  const std::vector<CertEntry>& Authorities() const { return authorities_; }

 private:
  void FillMethods();
  void FillCiphers();
  void FillInner();
  void RefillCertificates();
  void ClearCertificates();
  void LayoutRows();
  securitylogic::Dot1xChoice Choice() const;

  CNICAdapter* adapter_ = nullptr;
  securitylogic::Dot1xRows rows_;
  std::vector<CertEntry> userCerts_;
  std::vector<CertEntry> authorities_;
  // Row controls, by Dot1xRow: caption, control, mark picture (may be null).
  TLabel* rowLabel_[securitylogic::kDot1xRowCount] = {};
  TWinControl* rowControl_[securitylogic::kDot1xRowCount] = {};
  TImage* rowMark_[securitylogic::kDot1xRowCount] = {};
};
