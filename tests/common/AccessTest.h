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

namespace wutest {

struct AccRelease {
  void operator()(IAccessible* acc) const {
    if (acc) acc->Release();
  }
};
using AccPtr = std::unique_ptr<IAccessible, AccRelease>;

inline std::string Narrow(BSTR b) {
  if (!b) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, b, static_cast<int>(SysStringLen(b)), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, b, static_cast<int>(SysStringLen(b)), s.data(), n, nullptr,
                      nullptr);
  return s;
}

inline VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
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

  VARIANT Self() const { return Child(id); }
  HRESULT DoDefault() const { return acc->accDoDefaultAction(Child(id)); }
};

inline AccNode Read(IAccessible* acc, long id) {
  AccNode n;
  acc->AddRef();
  n.acc.reset(acc);
  n.id = id;
  VARIANT self = Child(id);
  BSTR b = nullptr;
  if (acc->get_accName(self, &b) == S_OK) n.name = Narrow(b);
  SysFreeString(b);
  b = nullptr;
  if (acc->get_accDefaultAction(self, &b) == S_OK) n.action = Narrow(b);
  SysFreeString(b);
  b = nullptr;
  n.valueResult = acc->get_accValue(self, &b);
  n.value = Narrow(b);
  SysFreeString(b);
  VARIANT v;
  VariantInit(&v);
  if (acc->get_accRole(self, &v) == S_OK && v.vt == VT_I4) n.role = v.lVal;
  VariantClear(&v);
  if (acc->get_accState(self, &v) == S_OK && v.vt == VT_I4) n.state = v.lVal;
  VariantClear(&v);
  long x = 0, y = 0, w = 0, h = 0;
  if (acc->accLocation(&x, &y, &w, &h, self) == S_OK) n.location = {x, y, x + w, y + h};
  return n;
}

// The client object of a window, as a screen reader asks for it.
inline AccPtr ClientObject(HWND hwnd) {
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&acc))))
    return nullptr;
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
    if (k.vt == VT_DISPATCH && k.pdispVal) {
      IAccessible* child = nullptr;
      if (SUCCEEDED(
              k.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
        out.push_back(Read(child, CHILDID_SELF));
        child->Release();
      }
    } else if (k.vt == VT_I4) {
      out.push_back(Read(acc, k.lVal));
    }
    VariantClear(&k);
  }
  return out;
}

// Every object and element below acc, depth first.
inline void Walk(IAccessible* acc, const std::function<void(const AccNode&)>& visit,
                 int depth = 0) {
  if (depth > 12) return;
  for (AccNode& n : Children(acc)) {
    visit(n);
    if (n.id == CHILDID_SELF) Walk(n.acc.get(), visit, depth + 1);
  }
}

// The first shown node below acc with this name (and role, when not 0).
inline bool FindNode(IAccessible* acc, const std::string& name, long role, AccNode* found,
                     int depth = 0) {
  if (depth > 12) return false;
  for (AccNode& n : Children(acc)) {
    if (n.state & STATE_SYSTEM_INVISIBLE) continue;
    if (n.name == name && (role == 0 || n.role == role)) {
      *found = std::move(n);
      return true;
    }
    if (n.id == CHILDID_SELF && FindNode(n.acc.get(), name, role, found, depth + 1)) return true;
  }
  return false;
}

// Every name and value below acc, for looking for a secret.
inline std::vector<std::string> AllTexts(IAccessible* acc) {
  std::vector<std::string> texts;
  Walk(acc, [&texts](const AccNode& n) {
    texts.push_back(n.name);
    texts.push_back(n.value);
  });
  return texts;
}

inline void Pump(DWORD ms = 50) {
  DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

// The WinEvents of this process while it lives (delivered by the message
// loop; Pump lets them in).
class WinEventLog {
 public:
  struct Event {
    DWORD event;
    HWND hwnd;
    LONG object, child;
  };
  WinEventLog() {
    Current() = this;
    hook_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_END, nullptr, &WinEventLog::Proc,
                            GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  ~WinEventLog() {
    if (hook_) UnhookWinEvent(hook_);
    Current() = nullptr;
  }
  WinEventLog(const WinEventLog&) = delete;
  WinEventLog& operator=(const WinEventLog&) = delete;

  bool Hooked() const { return hook_ != nullptr; }
  void Clear() { events_.clear(); }
  int Count(DWORD event, HWND hwnd, LONG child) const {
    int n = 0;
    for (const Event& e : events_)
      n += e.event == event && e.hwnd == hwnd && e.object == OBJID_CLIENT && e.child == child;
    return n;
  }

 private:
  static WinEventLog*& Current() {
    static WinEventLog* current = nullptr;
    return current;
  }
  static void CALLBACK Proc(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
    if (Current()) Current()->events_.push_back({event, hwnd, object, child});
  }
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<Event> events_;
};

}  // namespace wutest

namespace wutest {

// What a screen reader cannot use below acc: every shown control a person
// can click or type into needs a name, and the ones a click acts on a
// default action. One line per fault.
// checked counts the controls looked at.
inline std::vector<std::string> Unusable(IAccessible* acc, int* checked = nullptr) {
  std::vector<std::string> faults;
  int count = 0;
  Walk(acc, [&faults, &count](const AccNode& n) {
    if (n.state & STATE_SYSTEM_INVISIBLE) return;
    const bool clicked = n.role == ROLE_SYSTEM_PUSHBUTTON || n.role == ROLE_SYSTEM_PAGETAB ||
                         n.role == ROLE_SYSTEM_CHECKBUTTON || n.role == ROLE_SYSTEM_RADIOBUTTON;
    const bool typed =
        n.role == ROLE_SYSTEM_TEXT || n.role == ROLE_SYSTEM_COMBOBOX || n.role == ROLE_SYSTEM_LIST;
    if (!clicked && !typed) return;
    ++count;
    const std::string what = "role " + std::to_string(n.role) + " \"" + n.name + "\"";
    if (n.name.empty()) faults.push_back(what + " has no name");
    if (clicked && n.action.empty()) faults.push_back(what + " has no default action");
  });
  if (checked) *checked = count;
  return faults;
}

}  // namespace wutest
