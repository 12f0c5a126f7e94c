// WinEvents of the toolkit's objects, and the announcer through which the
// controls report their changes to this side.
#include <windows.h>
// (needs the types of windows.h)
#include <oleacc.h>

#include "ui/Uaccessible.h"
#include "ui/Uaccinternal.h"
#include "ui/Uannounce.h"
#include "ui/Ucontrol.h"

namespace ui::access {

using namespace detail;

namespace {

void Fire(DWORD event, const TControl* c) {
  if (!c || !Exposed(c)) return;
  if (IsWindowed(c)) {
    if (c->Handle()) NotifyWinEvent(event, c->Handle(), OBJID_CLIENT, CHILDID_SELF);
    return;
  }
  HWND parent = c->Parent() ? c->Parent()->Handle() : nullptr;
  long id = ChildId(c);
  if (parent && id > 0) NotifyWinEvent(event, parent, OBJID_CLIENT, id);
}

}  // namespace

// ---- events ---------------------------------------------------------------------------------

void NotifyNameChange(const TControl* control) {
  Fire(EVENT_OBJECT_NAMECHANGE, control);
}

void NotifyStateChange(const TControl* control) {
  Fire(EVENT_OBJECT_STATECHANGE, control);
}

void NotifyShown(const TControl* control) {
  if (!control) return;
  const TAccInfo* info = Find(control);
  if (info && info->NamedBy) {
    NotifyNameChange(info->NamedBy);
    return;
  }
  if (info && info->ShownWithParent) {
    NotifyNameChange(control);
    return;
  }
  Fire(control->Visible() ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, control);
}

void NotifySelected(const TControl* control, bool selected) {
  if (selected) Fire(EVENT_OBJECT_SELECTION, control);
  Fire(EVENT_OBJECT_STATECHANGE, control);
}

void NotifyFocused(const TControl* control, bool focused) {
  Fire(EVENT_OBJECT_STATECHANGE, control);
  if (focused) Fire(EVENT_OBJECT_FOCUS, control);
}

// ---- the announcer ----------------------------------------------------------------------

namespace {

class TAccAnnouncer final : public TAnnouncer {
 public:
  void NameChanged(const TControl* control) override { NotifyNameChange(control); }
  void StateChanged(const TControl* control) override { NotifyStateChange(control); }
  void VisibilityChanged(const TControl* control) override { NotifyShown(control); }
  void SelectionChanged(const TControl* control, bool selected) override {
    NotifySelected(control, selected);
  }
  void FocusChanged(const TControl* control, bool focused) override {
    NotifyFocused(control, focused);
  }
  void Destroyed(const TControl* control) override { Forget(control); }
  bool Answer(TWinControl* control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    return HandleMessage(control, msg, wp, lp, result);
  }
};

}  // namespace

void Install() {
  static TAccAnnouncer announcer;  // trivially destructible: outlives every control
  SetAnnouncer(&announcer);
}

}  // namespace ui::access
