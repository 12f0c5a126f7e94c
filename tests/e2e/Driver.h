// Drives the real WirelessUtility.exe from a second process, as a person
// would: real keys and clicks through SendInput (Wine delivers them through
// the program's message loop and the dialog manager), while a thread pings
// the main window with WM_NULL all along and records every wait.
//
// Each TProgram stages the program in a temp folder of its own, with the
// simulated library, the shipped string file, settings file and default
// world, a debug log, and a profile root (registry key, profile folder,
// instance mutex) nobody else uses.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/TestSupport.h"

namespace e2e {

// Longest time one ping may go unanswered before the program counts as frozen.
constexpr DWORD kPingLimitMs = 5000;
// Bound for a state the program reaches by itself (a page, a link, a box).
constexpr DWORD kGenerous = 30000;

// Pings a window with WM_NULL (SendMessageTimeout, 5 s) until stopped.
class TPinger {
 public:
  TPinger() = default;
  ~TPinger() { Stop(); }
  void Start(HWND window);
  void Stop();
  // The longest answer so far, in ms, and how many pings went unanswered.
  DWORD LongestMs() const { return longest_; }
  int Unanswered() const { return unanswered_; }
  long Pings() const { return pings_; }
  // Of the longest answer, the part the interface thread spent waiting for
  // the library lock (the program adds every such wait up in a property of
  // its main window, "WuLibLockWaitUs").
  DWORD LongestLockMs() const { return longestLock_; }
  // What the test was doing while the longest wait happened (SetContext).
  std::string LongestContext() const;
  void SetContext(const std::string& what);

 private:
  void Run();
  HWND window_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<DWORD> longest_{0};
  std::atomic<DWORD> longestLock_{0};
  std::atomic<int> unanswered_{0};
  std::atomic<long> pings_{0};
  mutable std::mutex mutex_;
  std::string context_, longestContext_;
};

class TProgram {
 public:
  // worldExtra is appended to the default world.
  explicit TProgram(const std::string& worldExtra = "");
  ~TProgram();
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  // Before Start: the default world with only these sections (and
  // [World]), e.g. {"Adapter Ombrix USB", "Network WPA-PSK TKIP", "DHCP"}.
  void KeepWorldSections(const std::vector<std::string>& sections);
  // Starts the program with /UI, waits for its shown main window and the
  // adapter, brings it to the foreground and starts pinging.
  bool Start();
  // /Close, then waits for the end; the process is ended if it does not.
  bool Close();
  bool Running() const { return process_ && process_->Running(); }
  DWORD Pid() const { return process_ ? process_->Id() : 0; }
  HWND Main() const { return main_; }
  TPinger& Pinger() { return pinger_; }

  // ---- input -------------------------------------------------------------------------
  // A key with modifiers held (VK_CONTROL, VK_SHIFT, VK_MENU), pressed and
  // released.
  void Key(WORD vk, std::initializer_list<WORD> modifiers = {});
  // UTF-8 text: ASCII key by key with the shift state it needs, any other
  // character as a Unicode key event (KEYEVENTF_UNICODE).
  void Type(const std::string& text);
  // A left click at a point of the screen, or at the centre of a window.
  void ClickAt(POINT screen);
  void Click(HWND window);
  // A click at a point of the main window's client area, given in 96-DPI
  // units as the layout writes it: scaled by the window's DPI.
  void ClickClient(int x, int y);
  // A click on a tab of the main window (0 is the left-most).
  void ClickTab(int index) { ClickClient(24 + index * 138 + 65, 95); }
  // The DPI the program draws at: the display scale it started under.
  UINT Dpi() const { return dpi_; }
  // The foreground goes to the program's active window (it takes input).
  void Foreground();
  // Lets the program take in what was sent: a short pause and two pings.
  void Settle(DWORD ms = 120);

  // ---- looking ---------------------------------------------------------------------------
  // A visible control of the program with this class and caption (any top
  // level window of it); null when none.
  HWND Find(const char* cls, const std::string& caption = std::string()) const;
  HWND Button(const std::string& caption) const { return Find("WuPicButton", caption); }
  // The program's focus window and active window (its interface thread).
  HWND Focus() const;
  HWND Active() const;
  // A window's text as UTF-8, read in UTF-16.
  std::string Text(HWND w) const;
  std::string ClassOf(HWND w) const;
  // A shown message box of the program; null when none.
  HWND MessageBox() const;
  // Visible top-level windows of the program.
  std::vector<HWND> ShownWindows() const;
  // A menu of the program is open (the system menu, a popup menu).
  bool MenuOpen() const;

  bool WaitFor(const std::function<bool()>& condition, DWORD ms = kGenerous);
  bool WaitFocus(const std::string& cls, const std::string& caption = std::string(),
                 DWORD ms = kGenerous);

  // ---- results ---------------------------------------------------------------------------
  // /Status of the running instance: "key: value" lines.
  std::string Status() const;
  // Waits until /Status shows a link to this network (with the world's
  // DHCP address when withAddress).
  bool WaitLinked(const std::string& ssid, bool withAddress = true, DWORD ms = 60000) const;
  // The stored profile order of the adapter (Prof0, Prof1, ...).
  std::vector<std::string> ProfileOrder() const;
  std::string Log() const;
  // The first "Exception(" line of the debug log, else empty.
  std::string ExceptionLine() const;
  const std::string& Folder() const { return dir_.Path(); }

 private:
  wutest::TempDir dir_;
  std::string exe_, root_;
  std::unique_ptr<wutest::ChildProcess> process_;
  HWND main_ = nullptr;
  DWORD uiThread_ = 0;
  UINT dpi_ = 96;
  TPinger pinger_;
};

// Rows of a list view of the program, and the first selected one (-1: none).
int ListCount(HWND list);
int ListSelected(HWND list);

}  // namespace e2e
