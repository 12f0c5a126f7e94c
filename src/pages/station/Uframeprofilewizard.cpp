// The profile page's hosting of the profile wizard: built when first
// needed, opened over the list by Add, Edit and the survey's join of a
// protected network, and the store of the profile it made.
#include <string>

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "pages/station/Uframeprofile.h"
#include "pages/wizard/Uframeprofset.h"
#include "pages/wizard/Uwizardlogic.h"

TFrameProfSet* TFrameProfile::EnsureWizard() {
  if (wizard_) return wizard_;
  wizard_ = new TFrameProfSet(this, this);
  // Where the page would have built it with itself: right after the
  // background.
  wizard_->FinishLateBuild(ImgBG, 0, 0, Width(), Height(), "TFrameProfile::EnsureWizard");
  if (adapter_) {
    wizard_->AttachAdapter(adapter_, kAttach, kModeStation);
    wizard_->CatchUp(GetTickCount() - attachedAt_);
  }
  return wizard_;
}

TWinControl* TFrameProfile::FirstFocus() const {
  // A wizard not built yet is not shown either.
  return wizard_ && wizard_->Visible() ? wizard_->FirstFocus() : LvProf;
}

void TFrameProfile::BtnAddClick() {
  if (!adapter_) return;
  WLProfile& work = g_GlobalVar.WorkProfile;
  work = adapter_->DefProf;
  const std::string name = wizardlogic::NewProfileName(
      ProfileNameText(work), [this](const std::string& n) { return adapter_->IsProfileExist(n); });
  // Made of the default name and digits, cut to fit: the store holds it.
  SetProfileNameText(work, name);
  OpenWizard(kPageProfile, 0);
}

void TFrameProfile::BtnEditClick() {
  const WLProfile* p = RowProfile(LvProf->Selected());
  if (!p) return;
  g_GlobalVar.WorkProfile = *p;
  editedName_ = ProfileNameText(*p);
  OpenWizard(kPageProfile, kProfEditMode);
}

bool TFrameProfile::DialogKey(int id) {
  // A wizard not built yet is not showing.
  return wizard_ && wizard_->DialogKey(id);
}

bool TFrameProfile::OpenWizard(int returnPage, int flags) {
  if (!adapter_) return false;
  // The wizard covers the list; it shows before its first page takes the
  // focus.
  TFrameProfSet* wizard = EnsureWizard();
  PlProfile->Hide();
  wizard->Show();
  if (!wizard->EnterPage(nullptr, returnPage, flags)) {
    ShowList();
    return false;
  }
  return true;
}

void TFrameProfile::ShowList() {
  if (wizard_) wizard_->Hide();
  PlProfile->Show();
  // The wizard has ended: its edited name must not steer a later save.
  editedName_.clear();
}

bool TFrameProfile::SaveProfile(int flags) {
  if (!adapter_) return false;
  const WLProfile& work = g_GlobalVar.WorkProfile;
  const std::string workName = ProfileNameText(work);
  TLvRow* row = nullptr;
  if (flags & kProfEditMode) {
    row = FindRow(workName);
    // The name Edit opened is the wizard's own: only its save may fall back
    // on it, and only while it is open.
    if (!row && !(flags & kProfOwnName) && wizard_ && wizard_->Visible() && !editedName_.empty())
      row = FindRow(editedName_);
    if (!row) {
      LogWrite("SaveProfile: not found selected profile");
      return false;
    }
    if (!adapter_->UpdateProfile(work, ProfileNameText(*RowProfile(row)))) {
      FollowStore();
      return false;
    }
  } else {
    if (!adapter_->AddProfile(work)) {
      FollowStore();
      return false;
    }
    row = FindRow(workName);
    if (!row) {
      row = LvProf->InsertRow(0, "", new WLProfile{});
      row->AddSubItem("");
      row->AddSubItem("");
    }
  }
  *static_cast<WLProfile*>(row->Data) = work;
  FillRow(row);
  LvProf->ClearSelection();
  const int index = LvProf->IndexOf(row);
  LvProf->SelectRow(index);
  LvProf->MakeVisible(index);
  // A rename whose old name the library kept lists both.
  FollowStore();
  return true;
}
