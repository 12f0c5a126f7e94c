// Drives and watches a running WirelessUtility.exe from a second process,
// for the benchmarks in this folder. Not part of the product.
//
//   wubench wait                    until the main window exists (20 s)
//   wubench show | hide             show the window, or hide it as its close box does
//   wubench page link|profile|survey
//   wubench click CAPTION [--cycle] press a button; --cycle waits until it was
//                                   disabled and is enabled again (a scan)
//   wubench items                   rows of the first list view on show
//   wubench ping STOPFILE [TITLE]   pings the window (or the top-level window
//                                   TITLE) every 10 ms until STOPFILE exists,
//                                   then prints the longest wait
#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/Unotify.h"

namespace {

const char* const kTitle = "Ombrix Wireless Utility";
const char* const kLockProp = "WuLibLockWaitUs";

HWND MainWindow(DWORD waitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindWindowA("WuForm", kTitle);
    if (w || GetTickCount() - start > waitMs) return w;
    Sleep(1);
  }
}

UINT NotifyMsg() { return RegisterWindowMessageA("Ombrix_NotifyMsg"); }

struct FindChild {
  const char* caption;
  const char* cls;
  HWND found;
};

BOOL CALLBACK FindChildProc(HWND w, LPARAM lp) {
  auto* f = reinterpret_cast<FindChild*>(lp);
  char cls[64] = {}, text[128] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (_stricmp(cls, f->cls) != 0 || !IsWindowVisible(w)) return TRUE;
  if (f->caption) {
    GetWindowTextA(w, text, sizeof text);
    if (std::strcmp(text, f->caption) != 0) return TRUE;
  }
  f->found = w;
  return FALSE;
}

HWND Child(HWND main, const char* cls, const char* caption) {
  FindChild f{caption, cls, nullptr};
  EnumChildWindows(main, FindChildProc, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// The program's user-interface thread adds every wait for the library lock
// to a property of its main window, in microseconds.
double LockWaitMs(HWND main) {
  return static_cast<double>(reinterpret_cast<UINT_PTR>(GetPropA(main, kLockProp))) / 1000.0;
}

bool WaitUntil(bool (*done)(HWND, const char*), HWND main, const char* arg, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done(main, arg)) {
    if (GetTickCount() - start > ms) return false;
    Sleep(5);
  }
  return true;
}

int Ping(const char* stopFile, const char* title) {
  HWND main = title ? FindWindowA(nullptr, title) : MainWindow(20000);
  if (!main) return std::puts("no main window"), 2;
  double longest = 0, longestLock = 0, total = 0;
  long pings = 0, slow = 0;
  while (GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES && IsWindow(main)) {
    const double lock0 = LockWaitMs(main);
    const double t0 = Now();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
    const double took = Now() - t0;
    const double lock = LockWaitMs(main) - lock0;
    ++pings;
    total += took;
    if (took > 50) ++slow;
    if (took > longest) {
      longest = took;
      longestLock = lock < took ? lock : took;
    }
    Sleep(10);
  }
  std::printf("pings %ld, longest %.1f ms (library lock %.1f ms, program %.1f ms), over 50 ms: %ld\n",
              pings, longest, longestLock, longest - longestLock, slow);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return std::puts("usage: wubench wait|show|hide|page|click|items|ping ..."), 1;
  const std::string cmd = argv[1];
  if (cmd == "ping" && argc > 2) return Ping(argv[2], argc > 3 ? argv[3] : nullptr);
  HWND main = MainWindow(cmd == "wait" ? 20000 : 5000);
  if (!main) return std::puts("no main window"), 2;
  if (cmd == "wait") return 0;
  if (cmd == "show") return PostMessageA(main, NotifyMsg(), kNotifyShow, 0) ? 0 : 3;
  if (cmd == "hide") return PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 3;
  if (cmd == "page" && argc > 2) {
    const std::string p = argv[2];
    const int code = p == "survey" ? kPageSurvey : p == "profile" ? kPageProfile : kPageLinkInfo;
    return PostMessageA(main, NotifyMsg(), kNotifyShowPage, code) ? 0 : 3;
  }
  if (cmd == "items") {
    HWND lv = Child(main, WC_LISTVIEWA, nullptr);
    std::printf("%ld\n", lv ? static_cast<long>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0)) : -1L);
    return 0;
  }
  if (cmd == "click" && argc > 2) {
    const char* caption = argv[2];
    auto enabled = [](HWND m, const char* c) {
      HWND b = Child(m, "WuPicButton", c);
      return b && IsWindowEnabled(b);
    };
    if (!WaitUntil(+enabled, main, caption, 20000)) return std::puts("button not enabled"), 4;
    PostMessageA(Child(main, "WuPicButton", caption), BM_CLICK, 0, 0);
    if (argc > 3 && std::strcmp(argv[3], "--cycle") == 0) {
      auto disabled = [](HWND m, const char* c) {
        HWND b = Child(m, "WuPicButton", c);
        return b && !IsWindowEnabled(b);
      };
      WaitUntil(+disabled, main, caption, 5000);
      if (!WaitUntil(+enabled, main, caption, 20000)) return std::puts("button stays off"), 4;
    }
    return 0;
  }
  return std::puts("unknown command"), 1;
}
