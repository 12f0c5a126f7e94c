// Descriptions of controls and what their objects report: names, roles,
// states, default actions and child ids. The COM objects are in
// Uaccobject.cpp, the WinEvents and the announcer in Uaccevents.cpp.
#include "ui/Uaccessible.h"

// (needs the types of windows.h)
#include <oleacc.h>

#include <algorithm>
#include <map>
#include <vector>

#include "ui/Uaccinternal.h"
#include "ui/Ucontrol.h"
#include "ui/Uedit.h"
#include "ui/Ulabel.h"
#include "ui/Upicbutton.h"

namespace ui::access {

namespace {

std::map<const TControl*, TAccInfo>& Infos() {
  static auto* infos = new std::map<const TControl*, TAccInfo>;  // outlives every control
  return *infos;
}

TTextSource& Source() {
  static auto* source = new TTextSource;
  return *source;
}

bool HasClickHandler(const TControl* c) {
  return c->OnClick || c->OnMouseDown || c->OnDblClick;
}

}  // namespace

// ---- what the other units share ----------------------------------------------------------

namespace detail {

bool IsWindowed(const TControl* c) {
  return dynamic_cast<const TWinControl*>(c) != nullptr;
}

RECT AreaOf(const TControl* c) {
  // In pixels, where it is drawn; a description's area is in 96-DPI units
  // like the bounds it is made of.
  const TAccInfo* info = Find(c);
  return info && info->Bounds ? ui::dpi::ScaleRect(info->Bounds(), c->Dpi()) : c->PixelBounds();
}

// Shown as a screen reader sees it: a row of lamps is there with none lit.
bool ShownNow(const TControl* c) {
  if (IsWindowed(c)) return c->Handle() && IsWindowVisible(c->Handle());
  const TAccInfo* info = Find(c);
  bool self = c->Visible() || (info && info->ShownWithParent);
  return self && c->Parent() && c->Parent()->Showing();
}

bool EnabledNow(const TControl* c) {
  if (!c->Enabled()) return false;
  HWND w = IsWindowed(c) ? c->Handle() : (c->Parent() ? c->Parent()->Handle() : nullptr);
  return !w || IsWindowEnabled(w);
}

std::vector<TControl*> ExposedChildren(const TContainer* container) {
  std::vector<TControl*> out;
  for (TControl* c : container->Controls())
    if (Exposed(c)) out.push_back(c);
  return out;
}

}  // namespace detail

using namespace detail;

// ---- descriptions ---------------------------------------------------------------------

void Describe(TControl* control, TAccInfo info) {
  if (!control) return;
  Install();
  Infos()[control] = std::move(info);
}

void Hide(TControl* control) {
  TAccInfo info;
  info.Role = kHidden;
  Describe(control, std::move(info));
}

const TAccInfo* Find(const TControl* control) {
  auto& infos = Infos();
  if (infos.empty()) return nullptr;
  auto it = infos.find(control);
  return it == infos.end() ? nullptr : &it->second;
}

void Forget(const TControl* control) {
  auto& infos = Infos();
  if (!infos.empty()) infos.erase(control);
}

void SetTextSource(TTextSource source) {
  Source() = std::move(source);
}

std::string Text(const char* key, const char* def) {
  const TTextSource& source = Source();
  return source ? source(key, def) : std::string(def);
}

std::string StripAccel(const std::string& caption) {
  std::string out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&';
      ++i;
      if (i < caption.size() && caption[i] != '&') out += caption[i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

TControl* CaptionLabelOf(const TControl* control) {
  if (!control) return nullptr;
  if (const TAccInfo* info = Find(control); info && info->LabelledBy) return info->LabelledBy;
  const TContainer* parent = control->Parent();
  if (!parent) return nullptr;
  const RECT b = control->BoundsRect();
  const bool onRight =
      (control->Kind() == TKind::CheckBox || control->Kind() == TKind::RadioButton) &&
      control->Caption().empty();
  // In the same row: the label's middle level with the control's first
  // line (a tall list is not named by a label beside its lower part).
  auto sameRow = [&b](const RECT& r) {
    const int ry = (r.top + r.bottom) / 2;
    const int firstLine = std::min<int>(b.bottom - b.top, 28);
    return ry >= b.top - 2 && ry <= b.top + firstLine + 2;
  };
  TControl* best = nullptr;
  int bestGap = 0;
  // Captions shown with the control; a hidden one belongs to a hidden row.
  auto candidate = [control](const TControl* l) {
    return l->Kind() == TKind::Label && Exposed(l) && !StripAccel(l->Caption()).empty() &&
           (l->Visible() || !control->Visible());
  };
  for (TControl* l : parent->Controls()) {
    if (!candidate(l)) continue;
    const RECT r = l->BoundsRect();
    if (!sameRow(r) || (!onRight && r.left >= b.left)) continue;
    // On the left: the nearest end of a caption's text before the control.
    const int textRight =
        r.left + std::min<int>(static_cast<TLabel*>(l)->MeasureCaption().cx, r.right - r.left);
    int gap = onRight ? r.left - b.right : b.left - textRight;
    if (onRight ? (gap < -4 || gap > 24) : (gap < -4 || gap > 150)) continue;
    if (!best || gap < bestGap) best = l, bestGap = gap;
  }
  if (best || onRight) return best;
  for (TControl* l : parent->Controls()) {
    if (!candidate(l)) continue;
    const RECT r = l->BoundsRect();
    const int gap = b.top - r.bottom;
    if (gap < -4 || gap > 24 || r.left >= b.right || b.left >= r.right) continue;
    if (!best || gap < bestGap) best = l, bestGap = gap;
  }
  return best;
}

// ---- what an object reports ---------------------------------------------------------------

bool Exposed(const TControl* c) {
  if (!c) return false;
  const TAccInfo* info = Find(c);
  if (info && info->Role == kHidden) return false;
  if (IsWindowed(c)) return true;
  switch (c->Kind()) {
    case TKind::Label:
    case TKind::ValueLabel:
    case TKind::TabLabel:
      return true;
    default:
      // Pictures and paint boxes are decoration unless described.
      return info && (info->Role > 0 || info->Name);
  }
}

std::string NameOf(const TControl* c) {
  if (!c) return {};
  const TAccInfo* info = Find(c);
  if (info && info->Name) return info->Name();
  switch (c->Kind()) {
    case TKind::Label:
    case TKind::TabLabel: {
      auto* label = static_cast<const TLabel*>(c);
      return label->ShowAccelChar() ? StripAccel(c->Caption()) : c->Caption();
    }
    case TKind::ValueLabel:
      // The whole value, also when it is drawn cut.
      return c->Caption();
    case TKind::PicButton:
      // Drawn without prefix processing: the caption as it is.
      if (!c->Caption().empty()) return c->Caption();
      break;
    case TKind::Form:
    case TKind::Frame:
    case TKind::Panel:
    case TKind::CheckBox:
    case TKind::RadioButton:
      if (!c->Caption().empty()) return StripAccel(c->Caption());
      break;
    default:
      break;
  }
  if (info && info->LabelledBy) return NameOf(info->LabelledBy);
  // Fields are named by the caption beside them; a picture button without
  // a caption is not guessed at (a footer label may sit beside it).
  switch (c->Kind()) {
    case TKind::Edit:
    case TKind::ComboBox:
    case TKind::ListView:
    case TKind::CheckBox:
    case TKind::RadioButton:
      if (TControl* label = CaptionLabelOf(c)) return NameOf(label);
      break;
    default:
      break;
  }
  return {};
}

long RoleOf(const TControl* c) {
  if (!c) return 0;
  const TAccInfo* info = Find(c);
  if (info && info->Role > 0) return info->Role;
  switch (c->Kind()) {
    case TKind::TabLabel:
      return ROLE_SYSTEM_PAGETAB;
    case TKind::Label:
    case TKind::ValueLabel:
      return ROLE_SYSTEM_STATICTEXT;
    case TKind::Image:
    case TKind::PaintBox:
      return ROLE_SYSTEM_GRAPHIC;
    case TKind::PicButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case TKind::Edit:
      return ROLE_SYSTEM_TEXT;
    case TKind::ComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case TKind::CheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case TKind::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case TKind::ListView:
      return ROLE_SYSTEM_LIST;
    default:
      return ROLE_SYSTEM_CLIENT;
  }
}

long StateOf(const TControl* c) {
  if (!c) return 0;
  long state = 0;
  if (!ShownNow(c)) state |= STATE_SYSTEM_INVISIBLE;
  if (!EnabledNow(c)) state |= STATE_SYSTEM_UNAVAILABLE;
  const TAccInfo* info = Find(c);
  const long role = RoleOf(c);
  if (role == ROLE_SYSTEM_STATICTEXT || role == ROLE_SYSTEM_INDICATOR ||
      role == ROLE_SYSTEM_GRAPHIC || role == ROLE_SYSTEM_CHART)
    state |= STATE_SYSTEM_READONLY;
  if (auto* tab = dynamic_cast<const TTabLabel*>(c)) {
    state |= STATE_SYSTEM_SELECTABLE;
    if (tab->Selected()) state |= STATE_SYSTEM_SELECTED;
    if (tab->Hover()) state |= STATE_SYSTEM_HOTTRACKED;
    // The strip is the window itself: a click or the keyboard gives it the
    // focus, and the selected tab holds it then.
    const TWinControl* strip = dynamic_cast<const TWinControl*>(tab->Parent());
    if (strip && strip->CanFocus() && tab->Enabled()) state |= STATE_SYSTEM_FOCUSABLE;
    if (tab->FocusMark()) state |= STATE_SYSTEM_FOCUSED;
  }
  if (auto* button = dynamic_cast<const TPicButton*>(c)) {
    if (button->Pressed()) state |= STATE_SYSTEM_PRESSED;
    if (button->Hover()) state |= STATE_SYSTEM_HOTTRACKED;
  }
  if (IsWindowed(c)) {
    auto* w = static_cast<const TWinControl*>(c);
    if (w->CanFocus()) state |= STATE_SYSTEM_FOCUSABLE;
    if (w->Focused()) state |= STATE_SYSTEM_FOCUSED;
    if ((c->Kind() == TKind::CheckBox || c->Kind() == TKind::RadioButton) &&
        SendMessageW(w->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED)
      state |= STATE_SYSTEM_CHECKED;
  }
  auto* edit = dynamic_cast<const TEdit*>(c);
  if ((info && info->Secret) || (edit && edit->Masked())) state |= STATE_SYSTEM_PROTECTED;
  return state;
}

std::string DefaultActionOf(const TControl* c) {
  if (!c) return {};
  switch (c->Kind()) {
    case TKind::TabLabel:
      return Text("Switch", "Switch");
    case TKind::PicButton:
      return Text("Press", "Press");
    case TKind::CheckBox:
    case TKind::RadioButton:
      return Text("Click", "Click");
    default:
      break;
  }
  if (!IsWindowed(c) && Exposed(c) && HasClickHandler(c)) return Text("Click", "Click");
  return {};
}

long ChildId(const TControl* c) {
  if (!c || !Exposed(c)) return -1;
  if (IsWindowed(c)) return CHILDID_SELF;
  if (!c->Parent()) return -1;
  std::vector<TControl*> children = ExposedChildren(c->Parent());
  auto it = std::find(children.begin(), children.end(), c);
  return it == children.end() ? -1 : static_cast<long>(it - children.begin()) + 1;
}

}  // namespace ui::access
