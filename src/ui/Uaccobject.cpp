// The objects a screen reader gets for toolkit windows (IAccessible), and
// the hook that hands them out and runs default actions of graphic controls.
#include "ui/Uaccessible.h"

// (needs the types of windows.h)
#include <oleacc.h>

#include <algorithm>
#include <vector>

#include "config/Uunicode.h"
#include "ui/Uaccinternal.h"
#include "ui/Ucontrol.h"
#include "ui/Uedit.h"
#include "ui/Ulabel.h"

namespace ui::access {

using namespace detail;

namespace {

BSTR ToBstr(const std::string& text) {
  const std::wstring wide = Wide(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// Answers a string property: S_FALSE and no string when there is none.
HRESULT GiveText(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = ToBstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Performs what a click does: press, release, click, as the parent routes
// the mouse to a graphic control.
void ClickLikeMouse(TContainer* parent, TControl* c) {
  auto alive = [parent, c] {
    const auto& list = parent->Controls();
    return std::find(list.begin(), list.end(), c) != list.end();
  };
  const int x = c->Width() / 2, y = c->Height() / 2;
  c->MouseDown(TMouseButton::Left, MK_LBUTTON, x, y);
  if (!alive()) return;
  c->MouseUp(TMouseButton::Left, 0, x, y);
  if (alive()) c->Click();
}

// Default actions run after the screen reader's call has returned: a
// click may open a modal window, whose loop must not run inside it.
UINT ActionMessage() {
  static const UINT msg = RegisterWindowMessageW(L"WuAccessibleDefaultAction");
  return msg;
}

void EnsureCom() {
  static thread_local bool done = false;
  if (done) return;
  done = true;
  // Marshalling the objects needs COM on this thread; a thread that has it
  // in another model keeps it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

// ---- the objects --------------------------------------------------------------------

enum class TObjKind { Container, Button, Standard };

IAccessible* CreateObject(TWinControl* control);

class TAccObject final : public IAccessible {
 public:
  TAccObject(TWinControl* control, TObjKind kind, IAccessible* std)
      : hwnd_(control->Handle()), control_(control), kind_(kind), std_(std) {}
  ~TAccObject() {
    if (std_) std_->Release();
  }
  TAccObject(const TAccObject&) = delete;
  TAccObject& operator=(const TAccObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // IDispatch: screen readers call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    HWND parent = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd_) : nullptr;
    if (TWinControl* p = TWinControl::FromHandle(parent)) {
      if (IAccessible* acc = CreateObject(p)) {
        *out = acc;
        return S_OK;
      }
    }
    return std_ ? std_->get_accParent(out) : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (kind_ == TObjKind::Container) {
      *count = static_cast<long>(Children().size());
      return S_OK;
    }
    if (kind_ == TObjKind::Standard && std_) return std_->get_accChildCount(count);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (kind_ == TObjKind::Standard && std_) return std_->get_accChild(child, out);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (!c) return E_INVALIDARG;  // the object itself is no child
    if (!IsWindowed(c)) return S_FALSE;
    IAccessible* acc = CreateObject(static_cast<TWinControl*>(c));
    if (!acc) return S_FALSE;
    *out = acc;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->get_accName(child, out);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (c) return GiveText(NameOf(c), out);
    if (kind_ == TObjKind::Button || Described()) return GiveText(NameOf(control_), out);
    if (kind_ == TObjKind::Standard) {
      // The caption beside it first: the system's own name of a drop-down
      // list under Wine is its selected item.
      if (std::string name = NameOf(control_); !name.empty()) return GiveText(name, out);
      if (std_ && std_->get_accName(child, out) == S_OK && *out && SysStringLen(*out) > 0)
        return S_OK;
      if (*out) SysFreeString(*out);
      *out = nullptr;
      return GiveText(NameOf(control_), out);
    }
    return std_ ? std_->get_accName(child, out) : GiveText(NameOf(control_), out);
  }

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->get_accValue(child, out);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    TControl* subject = c ? c : control_;
    if (IsSecret(subject)) return E_ACCESSDENIED;
    const TAccInfo* info = Find(subject);
    if (info && info->Value) return GiveText(info->Value(), out);
    if (!c && kind_ == TObjKind::Standard && std_) return std_->get_accValue(child, out);
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (IsSelf(child) && kind_ == TObjKind::Standard && std_)
      return std_->get_accDescription(child, out);
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->get_accRole(child, out);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (!c && kind_ != TObjKind::Button && !Described() && std_) {
      hr = std_->get_accRole(child, out);
      // The system's generic client object for a known control: say what it is.
      if (kind_ == TObjKind::Standard && hr == S_OK && out->vt == VT_I4 &&
          out->lVal == ROLE_SYSTEM_CLIENT && RoleOf(control_) != ROLE_SYSTEM_CLIENT)
        out->lVal = RoleOf(control_);
      return hr;
    }
    out->vt = VT_I4;
    out->lVal = RoleOf(c ? c : control_);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->get_accState(child, out);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (!c && kind_ != TObjKind::Button && std_) {
      hr = std_->get_accState(child, out);
      // Wine's own objects miss a hidden parent window: say it for them.
      const long own = StateOf(control_);
      if (hr == S_OK && out->vt == VT_I4)
        out->lVal |= kind_ == TObjKind::Standard
                         ? own
                         : own & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE);
      return hr;
    }
    out->vt = VT_I4;
    out->lVal = StateOf(c ? c : control_);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (IsSelf(child) && kind_ == TObjKind::Standard && std_)
      return std_->get_accKeyboardShortcut(child, out);
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (kind_ == TObjKind::Standard && std_) return std_->get_accFocus(out);
    HWND focus = GetFocus();
    if (focus && focus == hwnd_) {
      out->vt = VT_I4;
      out->lVal = CHILDID_SELF;
      // A window that draws a tab strip holds the focus for its focused tab.
      if (kind_ == TObjKind::Container) {
        std::vector<TControl*> children = Children();
        for (size_t i = 0; i < children.size(); ++i) {
          auto* tab = dynamic_cast<TTabLabel*>(children[i]);
          if (tab && tab->FocusMark() && ShownNow(tab)) out->lVal = static_cast<long>(i + 1);
        }
      }
      return S_OK;
    }
    if (kind_ != TObjKind::Container || !focus || !IsChild(hwnd_, focus)) return S_FALSE;
    // The child of ours that holds the focus, itself or inside it.
    HWND w = focus;
    while (GetParent(w) != hwnd_) w = GetParent(w);
    TWinControl* c = TWinControl::FromHandle(w);
    IAccessible* acc = c && Exposed(c) ? CreateObject(c) : nullptr;
    if (!acc) return S_FALSE;
    out->vt = VT_DISPATCH;
    out->pdispVal = acc;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (kind_ == TObjKind::Standard && std_) return std_->get_accSelection(out);
    if (kind_ != TObjKind::Container) return S_FALSE;
    std::vector<TControl*> children = Children();
    for (size_t i = 0; i < children.size(); ++i) {
      auto* tab = dynamic_cast<TTabLabel*>(children[i]);
      if (tab && tab->Selected() && ShownNow(tab)) {
        out->vt = VT_I4;
        out->lVal = static_cast<long>(i + 1);
        return S_OK;
      }
    }
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->get_accDefaultAction(child, out);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (!c && kind_ == TObjKind::Standard && std_) {
      hr = std_->get_accDefaultAction(child, out);
      if (hr == S_OK && *out && SysStringLen(*out) > 0) return hr;
      if (*out) SysFreeString(*out);
      *out = nullptr;
    }
    return GiveText(DefaultActionOf(c ? c : control_), out);
  }

  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->accSelect(flags, child);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (!c) {
      if (kind_ == TObjKind::Standard && std_) return std_->accSelect(flags, child);
      if ((flags & SELFLAG_TAKEFOCUS) && control_->CanFocus()) {
        ::SetFocus(hwnd_);
        return S_OK;
      }
      return S_FALSE;
    }
    // Selecting a tab is choosing it, as its click does (which also gives
    // the strip the focus).
    if (c->Kind() == TKind::TabLabel && (flags & SELFLAG_TAKESELECTION)) return PostAction(c);
    if (c->Kind() == TKind::TabLabel && (flags & SELFLAG_TAKEFOCUS)) {
      if (!control_->CanFocus() || !static_cast<TTabLabel*>(c)->Selected()) return S_FALSE;
      ::SetFocus(hwnd_);
      return S_OK;
    }
    if (IsWindowed(c) && (flags & SELFLAG_TAKEFOCUS)) {
      auto* w = static_cast<TWinControl*>(c);
      if (!w->CanFocus()) return S_FALSE;
      ::SetFocus(w->Handle());
      return S_OK;
    }
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                        VARIANT child) override {
    if (!x || !y || !w || !h) return E_POINTER;
    *x = *y = *w = *h = 0;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->accLocation(x, y, w, h, child);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    RECT r;
    if (c && !IsWindowed(c)) {
      r = AreaOf(c);
      MapWindowPoints(hwnd_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    } else {
      if (!c && std_) return std_->accLocation(x, y, w, h, child);  // the client area
      GetWindowRect(c ? c->Handle() : hwnd_, &r);
    }
    *x = r.left;
    *y = r.top;
    *w = r.right - r.left;
    *h = r.bottom - r.top;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (kind_ != TObjKind::Container) return std_ ? std_->accNavigate(dir, start, out) : S_FALSE;
    if (start.vt != VT_I4) return E_INVALIDARG;
    std::vector<TControl*> children = Children();
    const long n = static_cast<long>(children.size());
    long from = start.lVal, to = 0;
    if (from < 0 || from > n) return E_INVALIDARG;
    if (from == CHILDID_SELF) {
      if (dir == NAVDIR_FIRSTCHILD)
        to = 1;
      else if (dir == NAVDIR_LASTCHILD)
        to = n;
      else
        return std_ ? std_->accNavigate(dir, start, out) : S_FALSE;
    } else if (dir == NAVDIR_NEXT) {
      to = from + 1;
    } else if (dir == NAVDIR_PREVIOUS) {
      to = from - 1;
    } else if (dir == NAVDIR_FIRSTCHILD || dir == NAVDIR_LASTCHILD) {
      // A simple element has no children; a window child answers itself.
      return E_INVALIDARG;
    } else {
      return S_FALSE;
    }
    if (to < 1 || to > n) return S_FALSE;
    return GiveChild(children[static_cast<size_t>(to - 1)], to, out);
  }

  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (kind_ == TObjKind::Standard && std_) return std_->accHitTest(x, y, out);
    POINT p{x, y};
    ScreenToClient(hwnd_, &p);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    if (kind_ == TObjKind::Container) {
      // Windows lie above the graphic controls of the same parent.
      HWND w = ChildWindowFromPointEx(hwnd_, p, CWP_SKIPINVISIBLE);
      if (w && w != hwnd_) {
        TWinControl* c = TWinControl::FromHandle(w);
        if (c && Exposed(c)) return GiveChild(c, 0, out);
      }
      std::vector<TControl*> children = Children();
      for (size_t i = children.size(); i-- > 0;) {
        TControl* c = children[i];
        if (IsWindowed(c) || !ShownNow(c)) continue;
        RECT r = AreaOf(c);
        if (PtInRect(&r, p)) return GiveChild(c, static_cast<long>(i + 1), out);
      }
    }
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (StdChild(child)) return std_->accDoDefaultAction(child);
    TControl* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (FAILED(hr)) return hr;
    if (!c && kind_ == TObjKind::Standard && std_) {
      BSTR action = nullptr;
      bool own = std_->get_accDefaultAction(child, &action) != S_OK || !action ||
                 SysStringLen(action) == 0;
      if (action) SysFreeString(action);
      if (!own) return std_->accDoDefaultAction(child);
    }
    return PostAction(c ? c : control_);
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (IsSelf(child) && kind_ == TObjKind::Standard && std_)
      return std_->put_accValue(child, value);
    return E_NOTIMPL;
  }

 private:
  // The window still belongs to the control this object was made for.
  bool Alive() const { return IsWindow(hwnd_) && TWinControl::FromHandle(hwnd_) == control_; }

  static bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }
  // An element of a standard control (a list's row): all the system's.
  bool StdChild(const VARIANT& v) const {
    return kind_ == TObjKind::Standard && std_ && !IsSelf(v);
  }

  // A container described by the program (a page named after its tab).
  bool Described() const {
    const TAccInfo* info = Find(control_);
    return kind_ == TObjKind::Container && info && info->Role > 0;
  }

  static bool IsSecret(const TControl* c) {
    const TAccInfo* info = Find(c);
    if (info && info->Secret) return true;
    auto* edit = dynamic_cast<const TEdit*>(c);
    return edit && edit->Masked();
  }

  std::vector<TControl*> Children() const {
    auto* container = dynamic_cast<TContainer*>(control_);
    return container ? ExposedChildren(container) : std::vector<TControl*>();
  }

  // The control a child id names; null for the object itself. Child ids of
  // a standard object belong to the system's object (list items).
  HRESULT Resolve(const VARIANT& v, TControl** out) const {
    *out = nullptr;
    if (v.vt != VT_I4) return E_INVALIDARG;
    if (v.lVal == CHILDID_SELF) return S_OK;
    if (kind_ != TObjKind::Container) return kind_ == TObjKind::Standard ? S_OK : E_INVALIDARG;
    std::vector<TControl*> children = Children();
    if (v.lVal < 0 || v.lVal > static_cast<long>(children.size())) return E_INVALIDARG;
    *out = children[static_cast<size_t>(v.lVal - 1)];
    return S_OK;
  }

  HRESULT GiveChild(TControl* c, long id, VARIANT* out) const {
    if (IsWindowed(c)) {
      IAccessible* acc = CreateObject(static_cast<TWinControl*>(c));
      if (!acc) return S_FALSE;
      out->vt = VT_DISPATCH;
      out->pdispVal = acc;
      return S_OK;
    }
    out->vt = VT_I4;
    out->lVal = id;
    return S_OK;
  }

  HRESULT PostAction(TControl* c) const {
    if (DefaultActionOf(c).empty()) return DISP_E_MEMBERNOTFOUND;
    if (!EnabledNow(c) || !ShownNow(c)) return E_FAIL;
    if (IsWindowed(c)) return PostMessageW(c->Handle(), BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    HWND parent = c->Parent() ? c->Parent()->Handle() : nullptr;
    return parent && PostMessageW(parent, ActionMessage(), 0, reinterpret_cast<LPARAM>(c)) ? S_OK
                                                                                           : E_FAIL;
  }

  LONG refs_ = 1;
  HWND hwnd_;
  TWinControl* control_;
  TObjKind kind_;
  IAccessible* std_;
};

// A new object for a toolkit window (one reference), or null.
IAccessible* CreateObject(TWinControl* control) {
  if (!control || !control->Handle()) return nullptr;
  TObjKind kind = TObjKind::Standard;
  if (dynamic_cast<TContainer*>(control)) kind = TObjKind::Container;
  if (control->Kind() == TKind::PicButton) kind = TObjKind::Button;
  IAccessible* std = nullptr;
  if (FAILED(CreateStdAccessibleObject(control->Handle(), OBJID_CLIENT, IID_IAccessible,
                                       reinterpret_cast<void**>(&std))))
    std = nullptr;
  if (kind == TObjKind::Standard && !std) return nullptr;
  return new TAccObject(control, kind, std);
}

// ---- the window hook --------------------------------------------------------------------

bool AnswerGetObject(TWinControl* control, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (!control || !control->Handle()) return false;
  if (static_cast<LONG>(lp) != OBJID_CLIENT) return false;
  EnsureCom();
  IAccessible* acc = CreateObject(control);
  if (!acc) return false;
  result = LresultFromObject(IID_IAccessible, wp, acc);
  acc->Release();
  // A failure leaves the answer to the system's own object.
  return result > 0;
}

void RunAction(TWinControl* control, LPARAM lp) {
  auto* container = dynamic_cast<TContainer*>(control);
  if (!container) return;
  auto* target = reinterpret_cast<TControl*>(lp);
  const auto& list = container->Controls();
  // Only a control that is still here, still shown and enabled.
  if (std::find(list.begin(), list.end(), target) == list.end()) return;
  if (IsWindowed(target) || !ShownNow(target) || !EnabledNow(target)) return;
  ClickLikeMouse(container, target);
}

}  // namespace

bool HandleMessage(TWinControl* control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_GETOBJECT) return AnswerGetObject(control, wp, lp, result);
  if (msg != ActionMessage()) return false;
  RunAction(control, lp);
  result = 0;
  return true;
}

}  // namespace ui::access
