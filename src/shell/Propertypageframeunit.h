// The base of every page: the life cycle its owner drives (initialise,
// reset, enter, leave, attach to an adapter, adapter events, finish) and the
// layout and localisation operations all pages use. A page is created
// hidden and paints its background without erasing, so it never flickers.
#pragma once

#include <string>

#include "config/Unotify.h"
#include "ui/Uform.h"
#include "ui/Upicture.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TPropertyPageFrame : public TFrame {
 public:
  TPropertyPageFrame(TComponent* owner, TContainer* parent, std::string name);

  // Set by EnterPage going forward (kDirForward), cleared by LeavePage going
  // back (kDirBack); the wizard goes back through it.
  TPropertyPageFrame* PrevPage() const { return prevPage_; }

  // A mark image left of the label (6 pixels gap), vertically centred; null
  // when either is missing.
  virtual TImage* PlaceMarkImage(TLabel* label, const TPicture* picture);
  // Captions of labels, check boxes and panels, and list-view columns
  // ("<list>_Col<i>"), from a string-file section.
  virtual void LocalisePage(const std::string& section);
  virtual void FitLabelPair(TLabel* label, TControl* value, int right);
  // A caption wider than its label gets an 11-pixel font.
  virtual void ShrinkCaption(TLabel* label);

  // The control that takes the focus when the page shows; null: the first
  // one in Tab order.
  virtual TWinControl* FirstFocus() const { return nullptr; }

  virtual void InitPage() {}
  virtual void DonePage() {}
  virtual void ResetPage() {}
  virtual bool EnterPage(TPropertyPageFrame* previous, int mode, int flags);
  virtual bool LeavePage(TPropertyPageFrame* next, int mode, int flags);
  // kind kAttach: an adapter is available; kDetach: it is about to go away.
  // mode is the operating mode (kModeStation, kModeAP).
  virtual void AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
    (void)adapter, (void)kind, (void)mode;
  }
  virtual void AdapterNotify(CNICAdapter* adapter, int code, int value) {
    (void)adapter, (void)code, (void)value;
  }

 private:
  TPropertyPageFrame* prevPage_ = nullptr;
};
