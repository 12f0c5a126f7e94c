#include "pages/station/Uframeprofile.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "app/Uscript.h"
#include "config/Uunicode.h"
#include "pages/station/Upageparts.h"
#include "pages/station/Ustationlogic.h"
#include "pages/wizard/Uframeprofset.h"
#include "pages/wizard/Uwizardlogic.h"
#include "shell/Uformbase.h"
#include "shell/Ulibqueue.h"
#include "ui/Upalette.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameProfile";
constexpr int kInfoLeft = 348;
constexpr int kInfoRight = 536;
constexpr const char* kFileExt = "wlprof";
// Message box styles: information, error (OK only).
constexpr int kInfoBox = 0x40;
constexpr int kErrorBox = 0x10;

// The file's own name: the message box would read a "\n" of a folder name
// ("C:\new\...") as a line break.
std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RowIcon(const WLProfile& p) {
  return stationlogic::NetworkIcon(p.EncryptionMethod != 0, p.NetworkMode);
}

}  // namespace

TFrameProfile::TFrameProfile(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfile");
  PlProfile = new TPanel(this, this, "PlProfile");
  PlProfile->SetBounds(0, 0, Width(), Height());

  LbList = MakeHeading(this, PlProfile, "LbList", "Profile List", 16, 12, 300);
  LvProf = new TSortLv(this, PlProfile, "LvProf");
  LvProf->SetBounds(16, 34, 306, 186);
  LvProf->AddColumn("", 26);
  LvProf->AddColumn("Profile Name", 140);
  LvProf->AddColumn("SSID", 134);
  LvProf->SkipSort1 = 0;
  LvProf->SetSortColumn(1);
  LvProf->SetIncrease(true);
  LvProf->SetGridLines(true);
  LvProf->SetSmallImages(Images("ImgsType"));
  LvProf->SetSortImages(Images("ImgsSort"));

  LbInfo = MakeHeading(this, PlProfile, "LbInfo", "Profile Info", 338, 12, 198);
  LabelRows rows{.Owner = this,
                 .Parent = PlProfile,
                 .CaptionLeft = kInfoLeft,
                 .ValueLeft = kInfoLeft + 100,
                 .ValueWidth = 88,
                 .Top = 40,
                 .Pitch = 24};
  rows.Add(LbNetType, LblNetType, "LbNetType", "LblNetType", "Network Type:");
  rows.Add(LbWlMode, LblWlMode, "LbWlMode", "LblWlMode", "Network Mode:");
  rows.Add(LbChannel, LblChannel, "LbChannel", "LblChannel", "Channel:");
  rows.Add(LbSecurity, LblSecurity, "LbSecurity", "LblSecurity", "Security:");
  rows.Add(LbTxRate, LblTxRate, "LbTxRate", "LblTxRate", "Transfer Rate:");

  BtnActivate = MakeButton(this, PlProfile, "BtnActivate", "Activate", "ImgBtnAct", 0, kButtonTop);
  BtnAdd = MakeButton(this, PlProfile, "BtnAdd", "Add", "ImgBtnAdd", 0, kButtonTop);
  BtnDelete = MakeButton(this, PlProfile, "BtnDelete", "Delete", "ImgBtnDelete", 0, kButtonTop);
  BtnEdit = MakeButton(this, PlProfile, "BtnEdit", "Edit", "ImgBtnEdit", 0, kButtonTop);

  LvProf->OnCompare = [this](const TLvRow& a, const TLvRow& b) { return LvProfCompare(a, b); };
  LvProf->OnSelectItem = [this](TLvRow* row, bool selected) { LvProfSelectItem(row, selected); };
  LvProf->OnRowColor = [this](const TLvRow& row) -> COLORREF {
    const WLProfile* p = RowProfile(&row);
    return p && std::memcmp(p, &applied_, sizeof applied_) == 0 ? palette::RowHighlight : CLR_NONE;
  };
  LvProf->OnDeleteRow = [](TLvRow& row) {
    delete static_cast<WLProfile*>(row.Data);
    row.Data = nullptr;
  };
  LvProf->OnDblClick = [this] { BtnActivateClick(); };
  BtnActivate->OnClick = [this] { BtnActivateClick(); };
  BtnAdd->OnClick = [this] { BtnAddClick(); };
  BtnDelete->OnClick = [this] { BtnDeleteClick(); };
  BtnEdit->OnClick = [this] { BtnEditClick(); };

  PMProfile = new TPopupMenu(this, "PMProfile");
  MenuItExport = new TMenuItem(this, PMProfile, "MenuItExport", "Export...");
  MenuItExportAll = new TMenuItem(this, PMProfile, "MenuItExportAll", "Export All...");
  MenuItImportLine = new TMenuItem(this, PMProfile, "N1", "-");
  MenuItImport = new TMenuItem(this, PMProfile, "MenuItImport", "Import...");
  LvProf->OnContextMenu = [this](int x, int y) { LvProfContextMenu(x, y); };
  MenuItExport->OnClick = [this] { MenuItExportClick(); };
  MenuItExportAll->OnClick = [this] { MenuItExportAllClick(); };
  MenuItImport->OnClick = [this] { MenuItImportClick(); };
}

TFrameProfile::~TFrameProfile() {
  // The rows' profiles are freed here: the list does not report its rows
  // while its owner is being destroyed.
  ClearList();
}

const WLProfile* TFrameProfile::RowProfile(const TLvRow* row) {
  return row ? static_cast<const WLProfile*>(row->Data) : nullptr;
}

void TFrameProfile::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  LayoutText();
  for (TMenuItem* item : {MenuItExport, MenuItExportAll, MenuItImport})
    item->SetCaption(g_GlobalVar.StrFileRead(kSection, item->Name(), item->Caption()));
  // Right to left: Edit, Delete, Add, Activate.
  int left = kButtonRight;
  for (TPicButton* b : {BtnEdit, BtnDelete, BtnAdd, BtnActivate}) {
    b->SetLeft(left);
    left -= b->Width() + kButtonGap;
  }
  ResetPage();
}

void TFrameProfile::LayoutText() {
  for (auto [caption, value] : {std::pair<TLabel*, TControl*>{LbNetType, LblNetType},
                                {LbWlMode, LblWlMode},
                                {LbChannel, LblChannel},
                                {LbSecurity, LblSecurity},
                                {LbTxRate, LblTxRate}})
    FitLabelPair(caption, value, kInfoRight);
  ShrinkCaption(LbInfo);
}

void TFrameProfile::DonePage() {
  if (wizard_) wizard_->DonePage();
  ClearList();
}

void TFrameProfile::FollowStore() {
  if (!adapter_ || blocked_) return;
  std::vector<WLProfile> stored;
  adapter_->GetProfileList(kStationList, stored);
  std::vector<std::string> want, have;
  for (const WLProfile& p : stored) want.push_back(ProfileNameText(p));
  for (int i = 0; i < LvProf->RowCount(); ++i)
    if (const WLProfile* p = RowProfile(LvProf->Row(i))) have.push_back(ProfileNameText(*p));
  std::sort(want.begin(), want.end());
  std::sort(have.begin(), have.end());
  if (want == have) return;
  const TLvRow* selected = LvProf->Selected();
  const std::string keep = RowProfile(selected) ? ProfileNameText(*RowProfile(selected)) : "";
  InitProfileList();
  if (TLvRow* row = keep.empty() ? nullptr : FindRow(keep)) {
    LvProf->ClearSelection();
    LvProf->SelectRow(LvProf->IndexOf(row));
  }
}

void TFrameProfile::ResetPage() {
  ShowList();
  ClearList();
  for (TPicButton* b : {BtnActivate, BtnAdd, BtnDelete, BtnEdit}) b->SetEnabled(false);
  std::memset(&applied_, 0, sizeof applied_);
}

bool TFrameProfile::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (flags & kProfKeyOnly) {
    if (!OpenWizard(kPageSurvey, flags)) return false;
  } else {
    ShowList();
  }
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameProfile::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (wizard_) wizard_->AttachAdapter(adapter, kind, mode);
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
    attachedAt_ = GetTickCount();
    blocked_ = adapter->UseWZC;
    if (!blocked_) InitProfileList();
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameProfile::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  if (!adapter_) return;
  if (wizard_) wizard_->AdapterNotify(adapter, code, value);
  if (code == kNotifyWZC) {
    blocked_ = value == kWZCOn;
    if (blocked_)
      ResetPage();
    else
      InitProfileList();
  } else if (code == kNotifyConnecting && !(value & kNotifyAPSide)) {
    adapter_->GetAppliedProf(applied_);
    LvProf->Invalidate();
  }
}

void TFrameProfile::InitProfileList() {
  if (!adapter_) return;
  // A second fill must not list every profile twice.
  ClearList();
  std::vector<WLProfile> profiles;
  adapter_->GetProfileList(kStationList, profiles);
  LvProf->BeginUpdate();
  for (const WLProfile& p : profiles) {
    TLvRow* row = LvProf->AddRow("", new WLProfile(p));
    FillRow(row);
  }
  LvProf->EndUpdate();
  LvProf->Sort();
  if (LvProf->RowCount() > 0) LvProf->SelectRow(0);
  FocusControl(LvProf, this, "TFrameProfile::InitProfileList");
  BtnAdd->SetEnabled(true);
}

void TFrameProfile::ClearList() {
  LvProf->Clear();
  ClearProfileInfo();
}

void TFrameProfile::FillRow(TLvRow* row) {
  const WLProfile* p = RowProfile(row);
  if (!p) return;
  row->SetCaption("");
  row->SetSubItem(0, ProfileNameText(*p));
  row->SetSubItem(1, SsidText(*p));
  row->SetImageIndex(RowIcon(*p));
}

void TFrameProfile::ShowProfileInfo(const WLProfile& p) {
  // The same summary as the wizard's confirm page.
  const auto s = wizardlogic::Summarize(p, adapter_ != nullptr,
                                        adapter_ && adapter_->ReadSet("EnableAdHocG", true));
  LblNetType->SetCaption(s.NetType);
  LblWlMode->SetCaption(s.WlMode);
  LblChannel->SetCaption(s.Channel);
  LblSecurity->SetCaption(s.Security);
  LblTxRate->SetCaption(p.TxRate != 0 && p.TxRate != 15 ? RateText(p.TxRate)
                                                        : g_GlobalVar.CommonStrings[csAuto]);
  BtnActivate->SetEnabled(!blocked_);
  BtnDelete->SetEnabled(true);
  BtnEdit->SetEnabled(true);
}

void TFrameProfile::ClearProfileInfo() {
  for (TValueLabel* l : {LblNetType, LblWlMode, LblChannel, LblSecurity, LblTxRate})
    l->SetCaption("");
  BtnActivate->SetEnabled(false);
  BtnDelete->SetEnabled(false);
  BtnEdit->SetEnabled(false);
}

void TFrameProfile::LvProfSelectItem(TLvRow* row, bool selected) {
  const WLProfile* p = RowProfile(row);
  if (selected && p)
    ShowProfileInfo(*p);
  else
    ClearProfileInfo();
}

int TFrameProfile::LvProfCompare(const TLvRow& a, const TLvRow& b) const {
  const int column = LvProf->SortColunm();
  if (column > 0 && column - 1 < a.SubItemCount())
    return stationlogic::CompareTexts(a.SubItem(column - 1), b.SubItem(column - 1),
                                      LvProf->Increase());
  if (column == 0) return stationlogic::CompareTexts(a.Caption(), b.Caption(), LvProf->Increase());
  return 0;
}

TLvRow* TFrameProfile::FindRow(const std::string& name) const {
  for (int i = 0; i < LvProf->RowCount(); ++i) {
    TLvRow* row = LvProf->Row(i);
    const WLProfile* p = RowProfile(row);
    if (p && ProfileNameText(*p) == name) return row;
  }
  return nullptr;
}

void TFrameProfile::BtnActivateClick() {
  FocusControl(LvProf, this, "TFrameProfile::BtnActivateClick");
  const WLProfile* p = RowProfile(LvProf->Selected());
  if (!adapter_ || !p || blocked_) return;
  adapter_->Connect(*p);
  if (TForm* form = ParentForm())
    PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageLinkInfo);
}

void TFrameProfile::BtnDeleteClick() {
  TLvRow* row = LvProf->Selected();
  const WLProfile* p = RowProfile(row);
  if (!adapter_ || !p) return;
  const std::string name = ProfileNameText(*p);
  const std::string text =
      FormatText(g_GlobalVar.StrFileRead("Message", "RemoveProf", "Really remove '%s'?"), name);
  if (g_GlobalVar.ShowMsgBox(Handle(), text, 0x41) != 1) {
    FocusControl(LvProf, this, "TFrameProfile::BtnDeleteClick 1");
    return;
  }
  // While another thread holds the library the removal waits its turn.
  libqueue::Run(BtnDelete, "Delete", [this, row, name] { DeleteRow(row, name); });
}

void TFrameProfile::DeleteRow(TLvRow* row, const std::string& name) {
  // The question (or the wait) ran a message loop: the row or the adapter
  // may be gone.
  const WLProfile* p = LvProf->IndexOf(row) < 0 ? nullptr : RowProfile(row);
  if (!adapter_ || !p || ProfileNameText(*p) != name) return;
  if (!adapter_->DeleteProfile(kStationList, name)) {
    // The row stays, and the user learns why.
    g_GlobalVar.ShowMsgBox(
        Handle(),
        FormatText(g_GlobalVar.StrFileRead("Message", "ErDelProf",
                                           "The profile '%s' could not be removed. Please try "
                                           "again."),
                   name),
        kErrorBox);
  } else if (adapter_ && LvProf->IndexOf(row) >= 0) {
    LvProf->BeginUpdate();
    int index = LvProf->IndexOf(row);
    LvProf->DeleteRow(row);
    index = std::min(index, LvProf->RowCount() - 1);
    if (index >= 0)
      LvProf->SelectRow(index);
    else
      ClearProfileInfo();  // the list may not report the lost selection
    LvProf->EndUpdate();
  }
  FocusControl(LvProf, this, "TFrameProfile::BtnDeleteClick 2");
}

void TFrameProfile::InitConnect() {
  if (!adapter_ || blocked_ || LvProf->RowCount() == 0) return;
  if (!adapter_->ReadSet("InitConnect", true)) return;
  const std::string last = adapter_->GetLastProfName(kStationList);
  TLvRow* row = last.empty() ? nullptr : FindRow(last);
  if (!row) row = LvProf->Row(0);
  const WLProfile* p = RowProfile(row);
  if (!p) return;
  LogWrite("Connect last => %s", EscapeControls(ProfileNameText(*p)).c_str());
  adapter_->Connect(*p);
}

// ---- profiles to and from files --------------------------------------------------------

bool TFrameProfile::ActivateProfile(const std::string& name) {
  if (!adapter_ || blocked_) return false;
  std::vector<std::string> names;
  for (int i = 0; i < LvProf->RowCount(); ++i) {
    const WLProfile* p = RowProfile(LvProf->Row(i));
    names.push_back(p ? ProfileNameText(*p) : std::string());
  }
  const int index = script::MatchName(names, name);
  if (index < 0) return false;
  LvProf->ClearSelection();
  LvProf->SelectRow(index);
  LvProf->MakeVisible(index);
  BtnActivateClick();
  return true;
}

int TFrameProfile::ExportFile(const std::string& name, const std::string& path) {
  if (!adapter_) return 0;
  // Scripts ask for this and wait for the answer: the longer bound.
  librarylock::CInterfaceBound bound(librarylock::kInterfaceLongWaitMs);
  std::string stored;
  if (!name.empty()) {
    stored = adapter_->StoredProfileName(name);
    if (stored.empty()) return -1;
  }
  return adapter_->ExportProfiles(stored, path);
}

int TFrameProfile::ImportFile(const std::string& path, int* refused) {
  if (refused) *refused = 0;
  if (!adapter_) return 0;
  librarylock::CInterfaceBound bound(librarylock::kInterfaceLongWaitMs);
  std::vector<WLProfile> before;
  adapter_->GetProfileList(kStationList, before);
  int32_t notTaken = 0;
  const int n = adapter_->ImportProfiles(path, &notTaken);
  if (refused) *refused = notTaken;
  if (n <= 0 || blocked_ || !adapter_) return n;
  InitProfileList();
  // The first row the import added or changed, so the user sees it.
  for (int i = 0; i < LvProf->RowCount(); ++i) {
    const WLProfile* p = RowProfile(LvProf->Row(i));
    if (!p) continue;
    const bool known = std::any_of(before.begin(), before.end(), [p](const WLProfile& b) {
      return std::memcmp(&b, p, sizeof b) == 0;
    });
    if (!known) {
      LvProf->ClearSelection();
      LvProf->SelectRow(i);
      LvProf->MakeVisible(i);
      break;
    }
  }
  return n;
}

void TFrameProfile::PrepareMenu() {
  const bool usable = adapter_ && !blocked_;
  MenuItExport->SetEnabled(usable && RowProfile(LvProf->Selected()) != nullptr);
  MenuItExportAll->SetEnabled(usable && LvProf->RowCount() > 0);
  MenuItImport->SetEnabled(usable);
}

void TFrameProfile::LvProfContextMenu(int x, int y) {
  if (!adapter_ || blocked_) return;
  PrepareMenu();
  TFormBase::SystemDialogScope open;
  PMProfile->Popup(x, y, LvProf->Handle());
}

bool TFrameProfile::AskFile(bool save, std::string& path) {
  if (OnFileDialog) return OnFileDialog(save, path);
  wchar_t file[MAX_PATH] = {};
  std::wstring start = Wide(path);
  CutUtf16(start, MAX_PATH - 1);
  std::copy(start.begin(), start.end(), file);
  // "|" separates the filter's parts in the string file.
  std::wstring filter = Wide(g_GlobalVar.StrFileRead(
      kSection, "ProfFileFilter", "Profile files (*.wlprof)|*.wlprof|All files (*.*)|*.*"));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.append(2, L'\0');
  const std::wstring ext = Wide(kFileExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  TForm* form = ParentForm();
  ofn.hwndOwner = form ? form->Handle() : Handle();
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = ext.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  BOOL chosen = FALSE;
  {
    TFormBase::SystemDialogScope open;
    chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  }
  if (!chosen) return false;
  file[MAX_PATH - 1] = L'\0';
  path = Utf8(file);
  return !path.empty();
}

bool TFrameProfile::LibraryPathOk(const std::string& path) {
  std::string store, refused;
  if (ToStore(path, store, &refused)) return true;
  g_GlobalVar.ShowMsgBox(
      Handle(),
      FormatText(g_GlobalVar.StrFileRead("Message", "ErPathChar",
                                         "'%s' cannot be used in a file name here; choose a "
                                         "folder and name without it."),
                 refused),
      kErrorBox);
  return false;
}

void TFrameProfile::ExportWithDialog(const std::string& name, const std::string& suggestion) {
  std::string path = suggestion + "." + kFileExt;
  if (!AskFile(true, path)) return;
  // The dialog ran a message loop: the adapter may be gone.
  if (!adapter_ || !LibraryPathOk(path)) return;
  libqueue::Run(LvProf, "Export", [this, name, path] { ExportToFile(name, path); });
}

void TFrameProfile::ExportToFile(const std::string& name, const std::string& path) {
  if (!adapter_) return;
  if (ExportFile(name, path) <= 0)
    g_GlobalVar.ShowMsgBox(
        Handle(),
        FormatText(g_GlobalVar.StrFileRead("Message", "ExportFailed",
                                           "The profiles could not be written to %s."),
                   FileNameOf(path)),
        kErrorBox);
  FocusControl(LvProf, this, "TFrameProfile::ExportWithDialog");
}

void TFrameProfile::MenuItExportClick() {
  const WLProfile* p = RowProfile(LvProf->Selected());
  if (!adapter_ || !p) return;
  const std::string name = ProfileNameText(*p);
  // The name is the file's suggestion; characters no file name may hold, or
  // the library could not be handed, go (the name is store text already,
  // so only controls and the characters below change).
  std::string suggestion = StorableName(name, name.size());
  for (char& c : suggestion)
    if (std::strchr("\\/:*?\"<>|", c)) c = '_';
  ExportWithDialog(name, suggestion);
}

void TFrameProfile::MenuItExportAllClick() {
  if (!adapter_ || LvProf->RowCount() == 0) return;
  ExportWithDialog("", "Profiles");
}

void TFrameProfile::MenuItImportClick() {
  if (!adapter_ || blocked_) return;
  std::string path;
  if (!AskFile(false, path) || !adapter_ || !LibraryPathOk(path)) return;
  libqueue::Run(LvProf, "Import", [this, path] { ImportFromFile(path); });
}

void TFrameProfile::ImportFromFile(const std::string& path) {
  if (!adapter_ || blocked_) return;
  int refused = 0;
  const int n = ImportFile(path, &refused);
  std::string text;
  if (n > 0 && refused > 0) {
    text = FormatText(g_GlobalVar.StrFileRead("Message", "ImportPartly",
                                              "Not every profile of %s could be imported. The "
                                              "profiles that were there are kept."),
                      FileNameOf(path));
  } else if (n <= 0) {
    text = FormatText(g_GlobalVar.StrFileRead("Message", "NotExport",
                                              "%s is not a profile export file. Nothing was "
                                              "imported."),
                      FileNameOf(path));
  } else if (n == 1) {
    text = g_GlobalVar.StrFileRead("Message", "ImportedOne", "One profile was imported.");
  } else {
    text =
        FormatText(g_GlobalVar.StrFileRead("Message", "ImportedMany", "%s profiles were imported."),
                   std::to_string(n));
  }
  g_GlobalVar.ShowMsgBox(Handle(), text, n > 0 && refused == 0 ? kInfoBox : kErrorBox);
  FocusControl(LvProf, this, "TFrameProfile::MenuItImportClick");
}
