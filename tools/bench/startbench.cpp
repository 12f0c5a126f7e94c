// Where the start-up time goes: the program's start-up steps, in the order
// the program takes them, each timed, inside one process beside the staged
// program (its settings, string file, world and OMXWL.DLL). Not part of the
// product; run by tools/bench/startup.sh.
//
//   startbench
//
// Phases: the process start until this code runs (Wine's own), the settings
// and string file, the library load with OMXWL_Initial, the image
// resources, the main window's construction, Start, showing the window and
// its first paint, and the adapter's selection from the message loop. Then,
// apart and on a scratch window, each page's and the profile wizard's
// creation and localisation (InitPage), to say what the construction is
// made of; these run after the main window, so they are warm figures.
#include <windows.h>

#include <cstdio>
#include <string>

#include "clock.h"
#include "adapter/Ucomxlib.h"
#include "app/Uapplication.h"
#include "config/Udefine.h"
#include "pages/ap/Uframeapcfg.h"
#include "pages/ap/Uframeapfilter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframeadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "pages/wizard/Uframeprofset.h"
#include "shell/Uformmain.h"
#include "shell/Uformres.h"
#include "ui/Uform.h"

namespace {


// Milliseconds since the process was created, from its creation time.
double SinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

class Phases {
 public:
  Phases() : start_(Now()), last_(start_) {}
  void Mark(const char* what) {
    const double t = Now();
    std::printf("  %-58s %8.1f ms  (at %8.1f ms)\n", what, t - last_, t - start_);
    std::fflush(stdout);
    last_ = t;
  }

 private:
  double start_, last_;
};

std::string ExePath() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  return exe;
}

// Dispatches messages until ready() holds or ms pass; false on time-out.
template <class F>
bool PumpUntil(F&& ready, DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (!ready()) {
    if (GetTickCount() - start > ms) return false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

template <class Page>
void TimePage(const char* label, TForm& host) {
  const double t0 = Now();
  auto* page = new Page(&host, &host);
  const double t1 = Now();
  page->InitPage();
  const double t2 = Now();
  std::printf("  %-34s created %7.1f ms, InitPage %7.1f ms\n", label, t1 - t0, t2 - t1);
}

}  // namespace

int main() {
  std::printf("  %-58s %8.1f ms\n", "process created until the program's code runs (Wine)",
              SinceProcessStart());
  Phases phases;
  // The executable is named after the staged program so that the settings
  // and string file are the program's own.
  std::string exe = ExePath();
  exe = exe.substr(0, exe.find_last_of('\\') + 1) + "WirelessUtility.exe";
  g_GlobalVar.CmdFlags = CmdUI;
  g_GlobalVar.OsVersionCode = ClassifyWindowsVersion(ReadWindowsVersion());
  g_GlobalVar.LocateFiles(exe);
  NotifyMsg = RegisterWindowMessageA(g_GlobalVar.NotifyMsgName.c_str());
  phases.Mark("settings and string file");
  if (!g_OmxLib.Bind(g_GlobalVar.ExeDir + "OMXWL.DLL")) {
    std::puts("OMXWL.DLL could not be bound");
    return 1;
  }
  g_OmxLib.OMXWL_SetWLProfileDir(g_GlobalVar.ProfRoot.c_str());
  phases.Mark("library load, OMXWL_Initial, OMXWL_SetWLProfileDir");

  Application.Initialize();
  Application.Title = g_GlobalVar.AppTitle;
  auto* res = new TFormRes(nullptr);
  phases.Mark("image resources (TFormRes)");
  auto* form = new TFormMain(nullptr);
  FormMain = form;
  Application.MainWindow = form->Handle();
  phases.Mark("main window constructed (pages, localisation, layout)");
  form->Start(CmdUI);
  phases.Mark("Start (detection thread, tray icon)");
  ShowWindow(form->Handle(), SW_SHOW);
  UpdateWindow(form->Handle());
  phases.Mark("shown and first paint");
  if (PumpUntil([&] { return form->Adapter() != nullptr && !form->Releasing(); }, 20000))
    phases.Mark("adapter selected from the message loop (incl. the 100 ms first pass)");
  else
    phases.Mark("no adapter within 20 s");
  PumpUntil([] { return false; }, 300);

  std::puts("  pages on a scratch window, each created and initialised (warm):");
  {
    TForm host(nullptr, "FormBench");
    host.SetClientSize(600, 440);
    TimePage<TFrameLinkInfo>("link information page", host);
    TimePage<TFrameSurvey>("site survey page", host);
    TimePage<TFrameProfile>("profile page (with what it builds)", host);
    TimePage<TFrameProfSet>("profile wizard alone", host);
    TimePage<TFrameAdapter>("adapter page", host);
    TimePage<TFrameAPInfo>("access-point information page", host);
    TimePage<TFrameAPCfg>("access-point configuration page", host);
    TimePage<TFrameAPFilter>("access-point MAC filter page", host);
  }

  form->MenuItCloseClick();
  PumpUntil([] { return FormMain == nullptr; }, 10000);
  delete res;
  g_OmxLib.Unbind();
  return 0;
}
