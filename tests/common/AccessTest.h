// Helpers of the screen-reader tests: the objects of a window as a screen
// reader reaches them (AccessibleObjectFromWindow, AccessibleChildren), read
// into plain records, and the WinEvents the program fires.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <oleacc.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/Uunicode.h"

namespace wutest {

struct AccRelease {
  void operator()(IAccessible* acc) const { acc->Release(); }
};
using AccPtr = std::unique_ptr<IAccessible, AccRelease>;

inline VARIANT Child(long id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// One object or simple element, as a screen reader reads it.
struct AccNode {
  AccPtr acc;   // the object (a simple element's parent)
  long id = 0;  // CHILDID_SELF, or the simple element's id
  std::string name, action, value;
  HRESULT valueResult = S_OK;
  long role = 0, state = 0;
  RECT location{};
  HRESULT DoDefault() const { return acc->accDoDefaultAction(Child(id)); }
};

inline AccNode Read(IAccessible* acc, long id) {
  AccNode n;
  acc->AddRef();
  n.acc.reset(acc);
  n.id = id;
  auto text = [](BSTR b) {
    std::string s = Utf8(std::wstring_view(b ? b : L"", SysStringLen(b)));
    SysFreeString(b);
    return s;
  };
  BSTR b = nullptr;
  if (acc->get_accName(Child(id), &b) == S_OK) n.name = text(b);
  b = nullptr;
  if (acc->get_accDefaultAction(Child(id), &b) == S_OK) n.action = text(b);
  b = nullptr;
  n.valueResult = acc->get_accValue(Child(id), &b);
  n.value = text(b);
  VARIANT v;
  VariantInit(&v);
  if (acc->get_accRole(Child(id), &v) == S_OK && v.vt == VT_I4) n.role = v.lVal;
  if (acc->get_accState(Child(id), &v) == S_OK && v.vt == VT_I4) n.state = v.lVal;
  long x = 0, y = 0, w = 0, h = 0;
  if (acc->accLocation(&x, &y, &w, &h, Child(id)) == S_OK) n.location = {x, y, x + w, y + h};
  return n;
}

inline AccPtr ClientObject(HWND hwnd) {
  IAccessible* acc = nullptr;
  AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                             reinterpret_cast<void**>(&acc));
  return AccPtr(acc);
}

// The children of an object, in order: objects and simple elements.
inline std::vector<AccNode> Children(IAccessible* acc) {
  std::vector<AccNode> out;
  long count = 0;
  if (FAILED(acc->get_accChildCount(&count)) || count <= 0) return out;
  std::vector<VARIANT> kids(static_cast<size_t>(count));
  LONG got = 0;
  if (FAILED(AccessibleChildren(acc, 0, count, kids.data(), &got))) return out;
  for (LONG i = 0; i < got; ++i) {
    VARIANT& k = kids[static_cast<size_t>(i)];
    IAccessible* child = nullptr;
    if (k.vt == VT_DISPATCH && k.pdispVal &&
        SUCCEEDED(k.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
      out.push_back(Read(child, CHILDID_SELF));
      child->Release();
    } else if (k.vt == VT_I4) {
      out.push_back(Read(acc, k.lVal));
    }
    VariantClear(&k);
  }
  return out;
}

// Every object and element below acc, depth first.
inline void Walk(IAccessible* acc, const std::function<void(AccNode&)>& visit, int depth = 0) {
  for (AccNode& n : Children(acc)) {
    // visit may take the node.
    AccPtr inner;
    if (n.id == CHILDID_SELF && depth < 12) {
      n.acc->AddRef();
      inner.reset(n.acc.get());
    }
    visit(n);
    if (inner) Walk(inner.get(), visit, depth + 1);
  }
}

// The first shown node below acc with this name and role.
inline bool FindNode(IAccessible* acc, const std::string& name, long role, AccNode* found) {
  bool done = false;
  Walk(acc, [&](AccNode& n) {
    if (!done && !(n.state & STATE_SYSTEM_INVISIBLE) && n.name == name && n.role == role) {
      *found = std::move(n);
      done = true;
    }
  });
  return done;
}

// Every name and value below acc, for looking for a secret.
inline std::vector<std::string> AllTexts(IAccessible* acc) {
  std::vector<std::string> texts;
  Walk(acc, [&texts](AccNode& n) { texts.insert(texts.end(), {n.name, n.value}); });
  return texts;
}

// What a screen reader cannot use below acc: every shown control a person
// can click or type into needs a name, and the ones a click acts on a
// default action. One line per fault; checked counts the controls seen.
inline std::string Unusable(IAccessible* acc, int* checked) {
  std::string faults;
  *checked = 0;
  Walk(acc, [&](AccNode& n) {
    if (n.state & STATE_SYSTEM_INVISIBLE) return;
    const long r = n.role;
    const bool clicked = r == ROLE_SYSTEM_PUSHBUTTON || r == ROLE_SYSTEM_PAGETAB ||
                         r == ROLE_SYSTEM_CHECKBUTTON || r == ROLE_SYSTEM_RADIOBUTTON;
    if (!clicked && r != ROLE_SYSTEM_TEXT && r != ROLE_SYSTEM_COMBOBOX && r != ROLE_SYSTEM_LIST)
      return;
    ++*checked;
    if (n.name.empty() || (clicked && n.action.empty()))
      faults += "\n  role " + std::to_string(r) + " \"" + n.name + "\" action \"" + n.action + "\"";
  });
  return faults;
}

inline void Pump(DWORD ms = 50) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(1);
  } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

// The WinEvents on client objects of this process while it lives; Pump
// lets them in.
class WinEventLog {
 public:
  WinEventLog() {
    Current() = this;
    hook_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_END, nullptr, &Proc,
                            GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  ~WinEventLog() {
    if (hook_) UnhookWinEvent(hook_);
    Current() = nullptr;
  }
  bool Hooked() const { return hook_ != nullptr; }
  void Clear() { events_.clear(); }
  int Count(DWORD event, HWND hwnd, LONG child) const {
    int n = 0;
    for (const Event& e : events_) n += e.event == event && e.hwnd == hwnd && e.child == child;
    return n;
  }

 private:
  struct Event {
    DWORD event;
    HWND hwnd;
    LONG child;
  };
  static WinEventLog*& Current() {
    static WinEventLog* current = nullptr;
    return current;
  }
  static void CALLBACK Proc(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
    if (Current() && object == OBJID_CLIENT) Current()->events_.push_back({event, hwnd, child});
  }
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<Event> events_;
};

}  // namespace wutest
