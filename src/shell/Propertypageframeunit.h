// The base of every page: the life cycle its owner drives (initialise,
// reset, enter, leave, attach to an adapter, adapter events, finish) and the
// layout and localisation operations all pages use. A page is created
// hidden and paints its background without erasing, so it never flickers.
#pragma once

#include <string>
#include <utility>
#include <vector>

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
  // A caption wider than its label gets an 11-unit font; asked again (at
  // another DPI) it starts from the label's own font height.
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

  // InitPage, then hidden until the page is entered; a throw of InitPage is
  // logged as "Exception(<context> <page>)" and the page hides all the same.
  void InitHidden(const char* context);
  // A page built after the other parts of its owner (when first needed, not
  // with them) gets what building it with them would have given it: the
  // place right after `after` among its owner's components and its parent's
  // controls (the order in which pages are attached and told of events, the
  // z-order and the Tab order), the bounds, the settings file's layout, and
  // InitHidden.
  void FinishLateBuild(TControl* after, int left, int top, int width, int height,
                       const char* context);

 protected:
  // Layout decided by measuring text (fitted captions, shrunk headings).
  // Pages call it from InitPage; it runs again when the DPI changes, since
  // fonts do not grow in step with the layout. It may run more than once.
  virtual void LayoutText() {}
  void DpiChanged(UINT oldDpi, UINT newDpi) override;

 private:
  TPropertyPageFrame* prevPage_ = nullptr;
  // Labels ShrinkCaption looked at, with their own font heights.
  std::vector<std::pair<TLabel*, int>> shrinkable_;
};
