#include "e2e/Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "config/Uunicode.h"

using namespace wutest;

namespace e2e {

namespace {

constexpr const char* kTitle = "Ombrix Wireless Utility";

std::string SourceFile(const std::string& relative) {
  std::ifstream in(std::string(WU_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The shipped settings file with a profile root of the test's own.
std::string Settings(const std::string& root) {
  std::string text = SourceFile("data/WirelessUtility.bin");
  const std::string key = "\nProfRoot=";
  const size_t at = text.find(key);
  if (at != std::string::npos) {
    const size_t end = text.find('\n', at + 1);
    text.replace(at, end - at, key + root + "\r");
  } else {
    text += "\r\n[Setting]\r\nProfRoot=" + root + "\r\n";
  }
  return text;
}

struct Collect {
  DWORD pid;
  const char* cls;
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK FindInChildren(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<Collect*>(lp);
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpiA(cls, c->cls) != 0 || !IsWindowVisible(w)) return TRUE;
  if (!c->caption->empty()) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    if (*c->caption != Utf8(text)) return TRUE;
  }
  c->found = w;
  return FALSE;
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
      break;
    default:
      break;
  }
  return in;
}

// The display scale a program started now draws at. Asked of the window,
// Wine answers with the asking process's own scale, read when it started;
// the prefix's setting is what the program read at its start.
UINT StartDpi() {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  DWORD dpi = 0, size = sizeof dpi;
  if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD,
                   nullptr, &dpi, &size) == ERROR_SUCCESS &&
      dpi >= 48 && dpi <= 960)
    return dpi;
  const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  const UINT v = getDpiForWindow ? getDpiForWindow(GetDesktopWindow()) : 0;
  return v ? v : 96;
}

}  // namespace

// ---- TPinger ------------------------------------------------------------------------------

void TPinger::Start(HWND window) {
  Stop();
  window_ = window;
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
}

void TPinger::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void TPinger::SetContext(const std::string& what) {
  std::lock_guard<std::mutex> lock(mutex_);
  context_ = what;
}

std::string TPinger::LongestContext() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return longestContext_;
}

void TPinger::Run() {
  while (!stop_ && IsWindow(window_)) {
    std::string context;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      context = context_;
    }
    const UINT_PTR lock0 = reinterpret_cast<UINT_PTR>(GetPropA(window_, "WuLibLockWaitUs"));
    const DWORD t0 = GetTickCount();
    DWORD_PTR result = 0;
    const LRESULT ok =
        SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, kPingLimitMs, &result);
    const DWORD took = GetTickCount() - t0;
    if (!IsWindow(window_)) break;  // the window went while we waited
    const UINT_PTR lock1 = reinterpret_cast<UINT_PTR>(GetPropA(window_, "WuLibLockWaitUs"));
    ++pings_;
    if (!ok) ++unanswered_;
    if (took > longest_) {
      longest_ = took;
      longestLock_ = std::min<DWORD>(took, static_cast<DWORD>((lock1 - lock0) / 1000));
      std::lock_guard<std::mutex> lock(mutex_);
      longestContext_ = context;
    }
    Sleep(20);
  }
}

// ---- TProgram: life --------------------------------------------------------------------------

TProgram::TProgram(const std::string& worldExtra) {
  const std::string bin = ModuleDir();
  exe_ = dir_ / "WirelessUtility.exe";
  CopyFileA((bin + "WirelessUtility.exe").c_str(), exe_.c_str(), FALSE);
  CopyFileA((bin + "OMXWL.DLL").c_str(), (dir_ / "OMXWL.DLL").c_str(), FALSE);
  root_ = "WuE2E" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
  WriteText(dir_ / "WirelessUtility.bin", Settings(root_));
  WriteText(dir_ / "WirelessUtility.ini", SourceFile("data/WirelessUtility.ini"));
  WriteText(dir_ / "OMXWL.world", SourceFile("data/OMXWL.world") + worldExtra);
  WriteText(dir_ / "WirelessUtility.Log", "");
  SetEnvironmentVariableA("OMXWL_WORLD", nullptr);  // the stage's own world
}

TProgram::~TProgram() {
  pinger_.Stop();
  if (Running()) Close();
  process_.reset();
  RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
  wutest::RemoveAppDataFolder(root_);
}

void TProgram::KeepWorldSections(const std::vector<std::string>& sections) {
  std::string kept;
  bool keep = false;
  for (const std::string& line : SplitLines(SourceFile("data/OMXWL.world"))) {
    if (!line.empty() && line[0] == '[') {
      const std::string name = line.substr(1, line.find(']') - 1);
      keep = name == "World" || std::find(sections.begin(), sections.end(), name) != sections.end();
    }
    if (keep) kept += line + "\r\n";
  }
  WriteText(dir_ / "OMXWL.world", kept);
}

bool TProgram::Start() {
  dpi_ = StartDpi();
  process_ = std::make_unique<ChildProcess>(exe_, "/UI", dir_.Path());
  if (!process_->Started()) return false;
  // The main window of this process, shown.
  WaitFor([&] {
    for (HWND w : WindowsOf(Pid(), "WuForm")) {
      char text[128] = {};
      GetWindowTextA(w, text, sizeof text);
      if (std::string(text) == kTitle && IsWindowVisible(w)) main_ = w;
    }
    return main_ != nullptr || !Running();
  });
  if (!main_) return false;
  uiThread_ = GetWindowThreadProcessId(main_, nullptr);
  pinger_.Start(main_);
  // The adapter is selected and its profile list read.
  if (!WaitFor([&] { return Log().find("Select Dev:") != std::string::npos || !Running(); }))
    return false;
  Foreground();
  return Running();
}

bool TProgram::Close() {
  const bool frozen = pinger_.Unanswered() > 0;
  pinger_.Stop();
  if (!process_) return true;
  if (frozen) {
    // It would not hear /Close either.
    TerminateProcess(process_->Handle(), 99);
    process_->WaitExit(kGenerous);
    return false;
  }
  if (Running()) {
    wutest::ChildProcess closer(exe_, "/Close", dir_.Path());
    closer.WaitExit(kGenerous);
  }
  return process_->WaitExit(kGenerous);
}

// ---- TProgram: input ----------------------------------------------------------------------------

void TProgram::Key(WORD vk, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> in;
  for (WORD m : modifiers) in.push_back(KeyInput(m, false));
  in.push_back(KeyInput(vk, false));
  in.push_back(KeyInput(vk, true));
  for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
    in.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Sleep(30);
}

void TProgram::Type(const std::string& text) {
  for (wchar_t ch : Wide(text)) {
    // A character on the keyboard goes as its key (with Shift at most); any
    // other as the UTF-16 unit itself, which the system hands to the focused
    // window as WM_CHAR through the program's own message loop.
    const SHORT scan = ch < 0x80 ? VkKeyScanW(ch) : -1;
    if (scan != -1 && !(HIBYTE(scan) & ~1)) {
      const WORD vk = LOBYTE(scan);
      if (HIBYTE(scan) & 1)
        Key(vk, {VK_SHIFT});
      else
        Key(vk);
      continue;
    }
    INPUT in[2] = {};
    for (INPUT& i : in) {
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = ch;
      i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(30);
  }
}

void TProgram::ClickAt(POINT p) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3] = {};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = static_cast<LONG>((p.x * 65535 + w / 2) / std::max(1, w - 1));
    i.mi.dy = static_cast<LONG>((p.y * 65535 + h / 2) / std::max(1, h - 1));
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in[0], sizeof(INPUT));
  Sleep(30);
  SendInput(2, &in[1], sizeof(INPUT));
  Sleep(30);
}

void TProgram::Click(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void TProgram::ClickClient(int x, int y) {
  const int dpi = static_cast<int>(Dpi());
  POINT p{MulDiv(x, dpi, 96), MulDiv(y, dpi, 96)};
  ClientToScreen(main_, &p);
  ClickAt(p);
}

void TProgram::Foreground() {
  HWND target = Active() ? Active() : main_;
  AllowSetForegroundWindow(Pid());
  SetForegroundWindow(target);
  if (GetForegroundWindow() != target) {
    // A click on the window's own background takes the foreground as a
    // person's would (the top band of the main window shows only a picture).
    if (target == main_) ClickClient(300, 30);
  }
  Settle();
}

void TProgram::Settle(DWORD ms) {
  Sleep(ms);
  for (int i = 0; i < 2 && main_; ++i) {
    DWORD_PTR r = 0;
    SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, kPingLimitMs, &r);
  }
}

// ---- TProgram: looking
// ---------------------------------------------------------------------------

std::vector<HWND> TProgram::ShownWindows() const {
  std::vector<HWND> shown;
  for (HWND w : WindowsOf(Pid()))
    if (IsWindowVisible(w)) shown.push_back(w);
  return shown;
}

bool TProgram::MenuOpen() const {
  for (HWND w : ShownWindows())
    if (ClassOf(w) == "#32768") return true;
  return false;
}

HWND TProgram::Find(const char* cls, const std::string& caption) const {
  for (HWND top : ShownWindows()) {
    Collect c{Pid(), cls, &caption, nullptr};
    EnumChildWindows(top, FindInChildren, reinterpret_cast<LPARAM>(&c));
    if (c.found) return c.found;
  }
  return nullptr;
}

HWND TProgram::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(uiThread_, &info) ? info.hwndFocus : nullptr;
}

HWND TProgram::Active() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(uiThread_, &info) ? info.hwndActive : nullptr;
}

std::string TProgram::Text(HWND w) const {
  // Asked of the window itself: for another process's edit the system keeps
  // only its first text, and across processes the text comes in UTF-16.
  wchar_t wide[256] = {};
  DWORD_PTR got = 0;
  if (w)
    SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                        kPingLimitMs, &got);
  return Utf8(wide);
}

std::string TProgram::ClassOf(HWND w) const {
  char cls[64] = {};
  if (w) GetClassNameA(w, cls, sizeof cls);
  return cls;
}

HWND TProgram::MessageBox() const {
  for (HWND w : ShownWindows()) {
    if (w == main_ || ClassOf(w) != "WuForm") continue;
    // The text is painted, not a window text: the box is the form with
    // the message title (the program's title in the shipped string file).
    if (Text(w) != kTitle) continue;
    return w;
  }
  return nullptr;
}

bool TProgram::WaitFor(const std::function<bool()>& condition, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    // A frozen or ended program reaches nothing more.
    if (pinger_.Unanswered() > 0 || !Running()) return false;
    if (GetTickCount() - start >= ms) return false;
    Sleep(20);
  }
}

bool TProgram::WaitFocus(const std::string& cls, const std::string& caption, DWORD ms) {
  return WaitFor(
      [&] {
        HWND f = Focus();
        return f && ClassOf(f) == cls && (caption.empty() || Text(f) == caption) &&
               IsWindowVisible(f);
      },
      ms);
}

// ---- TProgram: results
// ---------------------------------------------------------------------------

std::string TProgram::Status() const {
  static std::atomic<int> n{0};
  const std::string out = dir_ / ("status" + std::to_string(++n) + ".txt");
  return wutest::RunToEnd(exe_, "/Status", dir_.Path(), out, "", kGenerous).Out;
}

bool TProgram::WaitLinked(const std::string& ssid, bool withAddress, DWORD ms) const {
  const DWORD start = GetTickCount();
  for (;;) {
    const std::string s = Status();
    if (s.find("state: connected") != std::string::npos &&
        s.find("network: " + ssid + "\r\n") != std::string::npos &&
        (!withAddress || s.find("ip: 192.168.77.23") != std::string::npos))
      return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(500);
  }
}

std::vector<std::string> TProgram::ProfileOrder() const {
  std::vector<std::string> names;
  HKEY adapters;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\" + root_ + "\\WLAdapter").c_str(), 0, KEY_READ,
                    &adapters) != ERROR_SUCCESS)
    return names;
  char sub[256] = {};
  if (RegEnumKeyA(adapters, 0, sub, sizeof sub) == ERROR_SUCCESS) {
    HKEY key;
    if (RegOpenKeyExA(adapters, sub, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      DWORD count = 0, size = sizeof count;
      RegQueryValueExA(key, "ProfCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
      for (DWORD i = 0; i < count && i < 256; ++i) {
        char name[128] = {};
        DWORD n = sizeof name - 1;
        if (RegQueryValueExA(key, ("Prof" + std::to_string(i)).c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(name), &n) == ERROR_SUCCESS)
          names.push_back(name);
      }
      RegCloseKey(key);
    }
  }
  RegCloseKey(adapters);
  return names;
}

std::string TProgram::Log() const {
  return ReadText(dir_ / "WirelessUtility.Log");
}

std::string TProgram::ExceptionLine() const {
  for (const std::string& line : SplitLines(Log()))
    if (line.find("Exception(") != std::string::npos) return line;
  return std::string();
}

int ListCount(HWND list) {
  return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

int ListSelected(HWND list) {
  return list ? static_cast<int>(
                    SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
              : -1;
}

}  // namespace e2e
