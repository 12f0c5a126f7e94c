// Microsoft Active Accessibility for the toolkit's controls. A screen reader
// asks a window for its object with WM_GETOBJECT; the toolkit answers:
//
//   containers (forms, frames, panels)  an object whose children are the
//       controls in the container's z-order: graphic controls (labels, tab
//       labels, described images and paint boxes) as simple elements with
//       their own name, role, state, location and default action; windowed
//       controls as the client objects of their windows
//   picture buttons                     a push button with the caption (or
//       the described name) and "Press" as the default action
//   standard controls (edits, lists)    the system's own object, named after
//       the caption label beside the control when the system finds no name,
//       and protected text while a secret is masked
//
// Objects hold window handles, never control pointers: a control freed while
// a screen reader still holds its object makes that object report
// RPC_E_DISCONNECTED, never touch freed memory.
//
// Texts the toolkit adds itself (the default actions) come from the text
// source the program installs; without one they are English.
//
// The controls know nothing of this: they report their changes and hand
// their messages to the announcer of Uannounce.h, which Install makes this
// side. Uaccessible.cpp holds the descriptions and what an object reports,
// Uaccobject.cpp the objects and the window hook, Uaccevents.cpp the
// WinEvents and the announcer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TControl;
class TWinControl;

namespace ui::access {

// Makes this side the toolkit's announcer: windows answer WM_GETOBJECT
// with the objects below, changes fire WinEvents. Call at start, before
// the first control; more calls do nothing more.
void Install();

// How a control appears to a screen reader, beyond what its kind gives.
struct TAccInfo {
  // ROLE_SYSTEM_* value; 0: by the control's kind; kHidden: not in the tree.
  long Role = 0;
  // Replaces the caption as the name.
  std::function<std::string()> Name;
  // The value (ROLE_SYSTEM_INDICATOR, read-only texts).
  std::function<std::string()> Value;
  // Area in the parent's client coordinates in 96-DPI units (as bounds
  // are), when it is not the control's bounds (a row of lamps stands for
  // the whole row).
  std::function<RECT()> Bounds;
  // Shown whenever its parent shows, even while the control itself is
  // hidden (a row of lamps with none lit is still there, saying so).
  bool ShownWithParent = false;
  // The control that stands for this one: changes of this control's
  // visibility are reported as a name change of that one.
  TControl* NamedBy = nullptr;
  // The label that names a windowed control; null: the caption label found
  // beside or above it.
  TControl* LabelledBy = nullptr;
  // The text is a secret: protected, its value never given out.
  bool Secret = false;
};

constexpr long kHidden = -1;

// Installs this side too: a description is forgotten with its control.
void Describe(TControl* control, TAccInfo info);
// Leaves the control out of the tree (backgrounds, decoration).
void Hide(TControl* control);
// The description of a control, or null. Called for every control freed.
const TAccInfo* Find(const TControl* control);
void Forget(const TControl* control);

// Texts of the toolkit ("Press", "Switch", "Click"): key and English default.
using TTextSource = std::function<std::string(const char* key, const char* def)>;
void SetTextSource(TTextSource source);
std::string Text(const char* key, const char* def);

// The caption as a screen reader says it: "&Save" is "Save", "&&" is "&".
std::string StripAccel(const std::string& caption);
// The plain label that names a windowed control: on its left in the same
// row, for check and radio buttons without a caption on their right, else
// directly above it; null when none.
TControl* CaptionLabelOf(const TControl* control);

// Name, role, state and default action of a control as its object reports
// them (what a screen reader reads; used by the events and by tests).
std::string NameOf(const TControl* control);
long RoleOf(const TControl* control);
long StateOf(const TControl* control);
std::string DefaultActionOf(const TControl* control);
// Whether the control appears in its parent's object.
bool Exposed(const TControl* control);
// The child id of a graphic control in its parent's object (0 for a
// windowed control, which is an object of its own; -1 when not exposed).
long ChildId(const TControl* control);

// The hook of every toolkit window: WM_GETOBJECT, and the default actions
// of graphic controls posted to their parent; true when handled.
bool HandleMessage(TWinControl* control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// WinEvents (EVENT_OBJECT_*), fired only for exposed controls.
void NotifyNameChange(const TControl* control);
void NotifyStateChange(const TControl* control);
void NotifyShown(const TControl* control);
// A tab label became (or stopped being) the selected one.
void NotifySelected(const TControl* control, bool selected);
// A tab label took (EVENT_OBJECT_FOCUS) or lost the focus of its strip.
void NotifyFocused(const TControl* control, bool focused);

}  // namespace ui::access
