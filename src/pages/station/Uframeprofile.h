// The profile list page: the adapter's stored station profiles, the details
// of the selected one, activation and removal, the connection of the last
// used profile when an adapter arrives, and the storing of the working
// profile when the main window is asked to (NotifyMsg code 5).
#pragma once

#include <string>

#include "config/Udefine.h"
#include "config/Unotify.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;
class TFrameProfSet;

class TFrameProfile : public TPropertyPageFrame {
 public:
  TFrameProfile(TComponent* owner, TContainer* parent, std::string name = "FrameProfile1");
  ~TFrameProfile() override;

  TImage* ImgBG;
  TFrameProfSet* FrameProfSet1;
  TPanel* PlProfile;
  TLabel* LbList;
  TLabel* LbInfo;
  TSortLv* LvProf;
  TLabel* LbNetType;
  TValueLabel* LblNetType;
  TLabel* LbWlMode;
  TValueLabel* LblWlMode;
  TLabel* LbChannel;
  TValueLabel* LblChannel;
  TLabel* LbSecurity;
  TValueLabel* LblSecurity;
  TLabel* LbTxRate;
  TValueLabel* LblTxRate;
  TPicButton* BtnActivate;
  TPicButton* BtnAdd;
  TPicButton* BtnDelete;
  TPicButton* BtnEdit;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // Connects the last used profile (or the first row) unless the adapter's
  // "InitConnect" setting is off or Windows manages the adapter.
  void InitConnect();
  // Stores the working profile (WorkProfile): as a new profile, or with
  // kProfEditMode in place of the row it was edited from. False when there
  // is no adapter, the row is missing or the store refuses.
  bool SaveProfile(int flags);
  // Opens the profile wizard over the list; false when it cannot open.
  bool OpenWizard(int returnPage, int flags);

  void BtnActivateClick();
  void BtnAddClick();
  void BtnDeleteClick();
  void BtnEditClick();
  // Enter and Escape of the form, for the wizard while it shows; false when
  // not taken.
  bool DialogKey(int id);

  CNICAdapter* Adapter() const { return adapter_; }
  bool Blocked() const { return blocked_; }
  // The profile of a row (owned by the row).
  static const WLProfile* RowProfile(const TLvRow* row);
  // The name of the profile that Edit opened.
  const std::string& EditedName() const { return editedName_; }

 private:
  void InitProfileList();
  void ClearList();
  void FillRow(TLvRow* row);
  void ShowProfileInfo(const WLProfile& profile);
  void ShowList();
  void ClearProfileInfo();
  void LvProfSelectItem(TLvRow* row, bool selected);
  int LvProfCompare(const TLvRow& a, const TLvRow& b) const;
  TLvRow* FindRow(const std::string& name) const;

  CNICAdapter* adapter_ = nullptr;
  bool blocked_ = false;
  WLProfile applied_{};
  std::string editedName_;
};
