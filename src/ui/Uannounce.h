// What the controls tell a screen reader, without knowing how it is told.
// The toolkit reports changes of its controls here; the screen-reader side
// (Uaccessible.h, ui::access::Install) implements TAnnouncer and installs
// itself. Until one is installed every report is dropped.
#pragma once

#include <windows.h>

class TControl;
class TWinControl;

namespace ui {

class TAnnouncer {
 public:
  // The caption (the name a screen reader reads) changed.
  virtual void NameChanged(const TControl* control) = 0;
  // Enabled, checked, masked or pressed changed.
  virtual void StateChanged(const TControl* control) = 0;
  // A graphic control was shown or hidden (windows report that themselves).
  virtual void VisibilityChanged(const TControl* control) = 0;
  // A tab label became, or stopped being, the selected one.
  virtual void SelectionChanged(const TControl* control, bool selected) = 0;
  // A graphic control took, or lost, the keyboard focus of its window (the
  // focused tab of a tab strip drawn by the window).
  virtual void FocusChanged(const TControl* control, bool focused) = 0;
  // The control is being freed: forget everything kept for it.
  virtual void Destroyed(const TControl* control) = 0;
  // Every message of a toolkit window, first: true when it answered it
  // (WM_GETOBJECT), with result set.
  virtual bool Answer(TWinControl* control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

 protected:
  ~TAnnouncer() = default;
};

// The one announcer of the process; null uninstalls. It must outlive every
// control.
void SetAnnouncer(TAnnouncer* announcer);

// What the controls call: forwarded to the announcer, if any.
namespace announce {
void NameChanged(const TControl* control);
void StateChanged(const TControl* control);
void VisibilityChanged(const TControl* control);
void SelectionChanged(const TControl* control, bool selected);
void FocusChanged(const TControl* control, bool focused);
void Destroyed(const TControl* control);
bool Answer(TWinControl* control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
}  // namespace announce

}  // namespace ui
