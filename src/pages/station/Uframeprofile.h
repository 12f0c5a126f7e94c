// The profile list page: the adapter's stored station profiles, the details
// of the selected one, activation and removal, the connection of the last
// used profile when an adapter arrives, and the storing of the working
// profile when the main window is asked to (NotifyMsg code 5).
// Uframeprofile.cpp holds the list, Uframeprofilewizard.cpp the hosting of
// the profile wizard (Add, Edit, the store it asks for).
#pragma once

#include <functional>
#include <string>

#include "config/Udefine.h"
#include "config/Unotify.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Umenu.h"
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
  // The list's context menu: profiles to and from files.
  TPopupMenu* PMProfile;
  TMenuItem* MenuItExport;
  TMenuItem* MenuItExportAll;
  // The separator before MenuItImport (component "N1").
  TMenuItem* MenuItImportLine;
  TMenuItem* MenuItImport;

  // The wizard's field while it shows, else the list.
  TWinControl* FirstFocus() const override;
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

  // Selects the row of a stored profile (the exact name, else one that
  // differs only in letter case) and activates it as Activate does; false
  // when there is no such row or nothing can be activated.
  bool ActivateProfile(const std::string& name);
  // Writes the profile name (empty: every profile) to path: the number
  // written; 0 when nothing was written, -1 when no profile has that name.
  int ExportFile(const std::string& name, const std::string& path);
  // Adds the profiles of an export file; the list shows them at once, the
  // first new or changed row selected. The number imported; 0 for a file
  // that is not an export (nothing changes). refused (may be null) is set
  // when part of the import was not taken (what was there is kept).
  int ImportFile(const std::string& path, int* refused = nullptr);

  // The context menu at a screen point, with the items that apply now.
  void LvProfContextMenu(int x, int y);
  void PrepareMenu();
  void MenuItExportClick();
  void MenuItExportAllClick();
  void MenuItImportClick();
  // Asks for a file with the standard save or open dialog; path carries the
  // suggestion in and the choice out. Tests replace it.
  std::function<bool(bool save, std::string& path)> OnFileDialog;

  // The profile wizard is built when first used (Add, Edit, a network's key
  // from the survey), not with the page: it costs more than the rest of the
  // window and most starts never open it. This builds it, initialised and
  // attached, on the first call.
  TFrameProfSet* EnsureWizard();
  // The wizard when it was built, else null; never builds it.
  TFrameProfSet* BuiltWizard() const { return wizard_; }

  CNICAdapter* Adapter() const { return adapter_; }
  bool Blocked() const { return blocked_; }
  // The profile of a row (owned by the row).
  static const WLProfile* RowProfile(const TLvRow* row);
  // The name of the profile that Edit opened.
  const std::string& EditedName() const { return editedName_; }

 protected:
  void LayoutText() override;

 private:
  void InitProfileList();
  void ClearList();
  void FillRow(TLvRow* row);
  void ShowProfileInfo(const WLProfile& profile);
  void ShowList();
  // Lists the adapter's profiles again when the rows no longer match them
  // (a store step the library refused or half did).
  void FollowStore();
  void ClearProfileInfo();
  void LvProfSelectItem(TLvRow* row, bool selected);
  int LvProfCompare(const TLvRow& a, const TLvRow& b) const;
  TLvRow* FindRow(const std::string& name) const;
  bool AskFile(bool save, std::string& path);
  // The library takes paths in the system code page: one it cannot be
  // handed is refused with a message naming the character.
  bool LibraryPathOk(const std::string& path);
  void ExportWithDialog(const std::string& name, const std::string& suggestion);
  // The library's part of Delete, Export and Import, run when the library
  // lock can be had (libqueue).
  void DeleteRow(TLvRow* row, const std::string& name);
  void ExportToFile(const std::string& name, const std::string& path);
  void ImportFromFile(const std::string& path);

  TFrameProfSet* wizard_ = nullptr;
  CNICAdapter* adapter_ = nullptr;
  // When the adapter was attached (GetTickCount).
  DWORD attachedAt_ = 0;
  bool blocked_ = false;
  WLProfile applied_{};
  std::string editedName_;
};
