#include "ui/Uannounce.h"

namespace ui {

namespace {

// Set once at start on the interface thread, read there afterwards.
TAnnouncer* g_announcer = nullptr;

}  // namespace

void SetAnnouncer(TAnnouncer* announcer) {
  g_announcer = announcer;
}

namespace announce {

void NameChanged(const TControl* control) {
  if (g_announcer) g_announcer->NameChanged(control);
}

void StateChanged(const TControl* control) {
  if (g_announcer) g_announcer->StateChanged(control);
}

void VisibilityChanged(const TControl* control) {
  if (g_announcer) g_announcer->VisibilityChanged(control);
}

void SelectionChanged(const TControl* control, bool selected) {
  if (g_announcer) g_announcer->SelectionChanged(control, selected);
}

void FocusChanged(const TControl* control, bool focused) {
  if (g_announcer) g_announcer->FocusChanged(control, focused);
}

void Destroyed(const TControl* control) {
  if (g_announcer) g_announcer->Destroyed(control);
}

bool Answer(TWinControl* control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  return g_announcer && g_announcer->Answer(control, msg, wp, lp, result);
}

}  // namespace announce

}  // namespace ui
