// The profile wizard: the page controller that walks the user through the
// creation or change of one profile (or only the security of a network to
// join), shows one of its nine pages at a time, moves between them, and at
// the end has the main window store the profile and the adapter connect.
#pragma once

#include <string>

#include "config/Unotify.h"
#include "pages/wizard/Uwizardlogic.h"
#include "shell/Propertypageframeunit.h"

class CNICAdapter;
class TFrameNetType;
class TFrameWlMode;
class TFrameWireless;
class TFrameSecurity;
class TFrameWEP;
class TFrameWPAPSK;
class TFrameDot11;
class TFrameConfirm;
class TFrameActive;
class TPicButton;

class TFrameProfSet : public TPropertyPageFrame {
 public:
  TFrameProfSet(TComponent* owner, TContainer* parent, std::string name = "FrameProfSet1");

  TFrameNetType* FrameNetType1;
  TFrameWlMode* FrameWlMode1;
  TFrameWireless* FrameWireless1;
  TFrameSecurity* FrameSecurity1;
  TFrameWEP* FrameWEP1;
  TFrameWPAPSK* FrameWPAPSK1;
  // The 802.1X login page (component "FrameDot111").
  TFrameDot11* Frame8021X1;
  TFrameConfirm* FrameConfirm1;
  TFrameActive* FrameActive1;

  // Where the user types first on the page shown.
  TWinControl* FirstFocus() const override { return FirstFocusOf(current_); }
  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  // mode: the page code to return to when the wizard is left without
  // connecting; flags: kProfEditMode, kProfKeyOnly or neither (add).
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;
  // Built after the adapter was attached, attachedMs ago: the pages catch up
  // with what they would have done meanwhile.
  void CatchUp(unsigned long attachedMs);

  void BtnNextClick();
  void BtnBackClick();
  void BtnExitClick();
  void BtnSaveClick();
  // Save's work once the library can be had: stores the profile through the
  // window and goes on to the last page, or warns.
  void StoreAndGo();
  void BtnActNowClick();
  void BtnActLaterClick();

  // Enter (IDOK) presses the page's forward button, Escape (IDCANCEL) its
  // Exit; false when the wizard is not showing.
  bool DialogKey(int id);

  wizardlogic::TWizPage Current() const { return current_; }
  TPropertyPageFrame* CurrentPage() const { return PageOf(current_); }
  TPropertyPageFrame* PageOf(wizardlogic::TWizPage page) const;
  int ReturnPage() const { return returnPage_; }
  int Flags() const { return flags_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  wizardlogic::TWizPage KindOf(const TPropertyPageFrame* page) const;
  TWinControl* FirstFocusOf(wizardlogic::TWizPage page) const;
  TPicButton* ForwardButton(wizardlogic::TWizPage page) const;
  TPicButton* ExitButton(wizardlogic::TWizPage page) const;
  bool GoTo(wizardlogic::TWizPage page, int direction);
  // Focuses where the user types first; when the page cannot take the focus
  // yet (its owner is still hidden), once more after the current handler.
  void FocusCurrent();
  void PostToForm(WPARAM code, LPARAM value);

  int returnPage_ = kPageProfile;
  int flags_ = 0;
  wizardlogic::TWizPage current_ = wizardlogic::TWizPage::None;
  CNICAdapter* adapter_ = nullptr;
  TPropertyPageFrame* pages_[9] = {};
};
