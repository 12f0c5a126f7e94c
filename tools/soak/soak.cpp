// Soak: the whole program (main window, pages, adapter worker, device
// detection) in this one process over the simulated OMXWL.DLL, driven for
// N cycles of scanning, connecting with every kind of profile, adding,
// editing and deleting profiles, unplugging and plugging, resume and console
// switches, while the library's fault knobs (delays, failures, crashes)
// move from cycle to cycle. Afterwards no profile may be lost or doubled and
// the process's handles, GDI and USER objects and private bytes must have
// stayed flat. A watchdog reports a deadlock instead of hanging.
//
//   wusoak.exe [--cycles N] [--seed S] [--stall SECONDS]
//
// Exit code 0: passed; 1: a check failed; 3: the watchdog saw no progress.
#include <windows.h>
// after windows.h
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "scratch.h"
#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uformmain.h"
#include "workers/Uthrddetect.h"

namespace {

// ---- progress and the watchdog ---------------------------------------------------

std::atomic<DWORD> g_LastProgress{0};
std::atomic<int> g_Cycle{0};
std::atomic<const char*> g_Step{"start"};
DWORD g_StallMs = 120000;

// Time spent per step, for the figures.
std::map<std::string, DWORD> g_StepMs;
DWORD g_StepStart = 0;

void Step(const char* step) {
  const DWORD now = GetTickCount();
  if (g_StepStart) g_StepMs[g_Step.load()] += now - g_StepStart;
  g_StepStart = now;
  g_Step = step;
  g_LastProgress = now;
}

DWORD WINAPI Watchdog(LPVOID) {
  for (;;) {
    Sleep(1000);
    const DWORD idle = GetTickCount() - g_LastProgress;
    if (idle < g_StallMs) continue;
    std::printf(
        "soak: DEADLOCK: no progress for %lu s in cycle %d, step \"%s\"; library lock held by "
        "thread %lu\n",
        static_cast<unsigned long>(idle / 1000), g_Cycle.load(), g_Step.load(),
        static_cast<unsigned long>(librarylock::Holder()));
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
  }
}

// Pumps this thread's messages until done() or ms have passed.
template <class F>
bool WaitFor(F done, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Pump(DWORD ms) {
  WaitFor([] { return false; }, ms);
}

// ---- the world and its fault knobs --------------------------------------------------

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
}

// Entry points whose faults the program must ride out without losing a
// profile: everything but detection and the reads of the profile list. A
// store or a removal the library refuses leaves the list as it was.
const char* const kFaultEntries[] = {"SetWLProfile",
                                     "DeleteWLProfile",
                                     "SiteSurveyScan",
                                     "SiteSurveyGet",
                                     "GetWLANStatus",
                                     "SetWLANStatus",
                                     "WLProfileToWLStatus",
                                     "GetNetworkInfo",
                                     "SetNetworkInfo",
                                     "QueryOID",
                                     "SetOID",
                                     "GetAllowedChannel",
                                     "EnumCertificates",
                                     "Get_ZeroConfig",
                                     "GetWLANDomain",
                                     "GetWLANDriverPath",
                                     "FrequencyToChannel",
                                     "IPDataToStr"};
// Entries that may only be slowed down.
const char* const kDelayEntries[] = {"SetWLProfile", "DeleteWLProfile", "EnumWLProfiles",
                                     "GetWLProfile", "DevDetect"};

class World {
 public:
  World(std::string path, std::string base) : path_(std::move(path)), base_(std::move(base)) {
    Replace(base_, "ScanTime=1500", "ScanTime=100");
    Replace(base_, "AssociateTime=1000", "AssociateTime=100");
  }
  void Write(bool present, const std::string& faults) {
    std::string text = "; generation " + std::to_string(++generation_) + "\r\n" + base_;
    Replace(text, "Present=1", present ? "Present=1" : "Present=0");
    text += "\r\n" + faults;
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    DWORD put = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);
  }

 private:
  std::string path_, base_;
  int generation_ = 0;
};

struct Counts {
  int scans = 0, connects = 0, added = 0, edited = 0, deleted = 0;
  int unplugs = 0, consoles = 0, resumes = 0;
  int delays = 0, fails = 0, crashes = 0;
  int errors = 0;
};

// ---- profiles of every kind ---------------------------------------------------------

WLProfile Kind(const WLProfile& base, int kind, const char* name) {
  WLProfile p = base;
  SetField(p.ProfileName, name);
  SetField(p.NetInfo.NI_sz_CurProfile, name);
  p.NetworkMode = 1;
  p.EncryptionMethod = 0;
  p.AuthenticationMode = 0;
  p.WEPEncryptionLevel = 0;
  switch (kind) {
    case 0:
      SetField(p.Ssid1, "Ombrix-Open");
      break;
    case 1:
      SetField(p.Ssid1, "Ombrix-WEP64");
      p.EncryptionMethod = 1, p.WEPEncryptionLevel = 1, p.WEPKeyFormat = 1, p.DefaultKey = 0;
      SetField(p.WEPKey1, "A70CEB1960");
      break;
    case 2:
      SetField(p.Ssid1, "Ombrix-WEP128");
      p.EncryptionMethod = 1, p.WEPEncryptionLevel = 2, p.WEPKeyFormat = 2, p.DefaultKey = 0;
      SetField(p.WEPKey1, "OmbrixKey128!");
      break;
    case 3:
      SetField(p.Ssid1, "Ombrix-WPA-TKIP");
      p.EncryptionMethod = 2, p.AuthenticationMode = 4, p.WPAEncryptionType = 1;
      SetField(p.WPAPassphrase, "OmbrixTKIP");
      break;
    case 4:
      SetField(p.Ssid1, "Ombrix-WPA2-AES");
      p.EncryptionMethod = 6, p.AuthenticationMode = 7, p.WPAEncryptionType = 2;
      SetField(p.WPAPassphrase, "OmbrixAES2");
      break;
    case 5:
      SetField(p.Ssid1, "Ombrix-Corp");
      p.EncryptionMethod = 7, p.AuthenticationMode = 6, p.WPAEncryptionType = 2;
      p.MS8021xAuthMode = 3, p.PeapEap = 2;
      SetField(p.LoginName, "alice");
      SetField(p.LoginPassword, "wonderland");
      break;
    case 6:
      SetField(p.Ssid1, "Ombrix-Radius");
      p.EncryptionMethod = 5, p.MS8021xAuthMode = 4;
      SetField(p.LoginName, "bob");
      SetField(p.LoginPassword, "builder");
      break;
    default:
      SetField(p.Ssid1, "Ombrix-AdHoc");
      p.NetworkMode = 0, p.Channel = 10;
      break;
  }
  return p;
}
constexpr int kKinds = 8;

// ---- resources -------------------------------------------------------------------------

struct Figures {
  DWORD handles = 0, gdi = 0, user = 0, threads = 0;
  SIZE_T privateBytes = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<DWORD*>(count);
  EnumChildWindows(wnd, &CountChild, count);
  return TRUE;
}

// The process's windows, message-only ones included: the USER objects that
// matter here, counted by hand where the system does not count them.
DWORD CountWindows() {
  DWORD n = 0;
  EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&n));
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) ++n;
  }
  return n;
}

Figures Measure() {
  Figures f;
  if (!GetProcessHandleCount(GetCurrentProcess(), &f.handles) || f.handles == 0) {
    // Counted by hand: every value that names a handle of this process.
    f.handles = 0;
    for (uintptr_t h = 4; h < 0x20000; h += 4) {
      DWORD flags = 0;
      if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++f.handles;
    }
  }
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap != INVALID_HANDLE_VALUE) {
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te))
      f.threads += te.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
  }
  f.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  f.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (f.user == 0) f.user = CountWindows();
  // Committed private memory, region by region.
  MEMORY_BASIC_INFORMATION mbi;
  for (const char* at = nullptr; VirtualQuery(at, &mbi, sizeof mbi) == sizeof mbi;
       at = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) f.privateBytes += mbi.RegionSize;
    if (reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize <
        reinterpret_cast<uintptr_t>(at))
      break;
  }
  return f;
}

void PrintFigures(const char* label, const Figures& f) {
  std::printf("  %-10s threads %3lu  handles %5lu  GDI %5lu  windows %4lu  private %8.2f MB\n",
              label, static_cast<unsigned long>(f.threads), static_cast<unsigned long>(f.handles),
              static_cast<unsigned long>(f.gdi), static_cast<unsigned long>(f.user),
              f.privateBytes / 1048576.0);
}

// ---- the driver ------------------------------------------------------------------------

class Soak {
 public:
  Soak(World& world, int cycles, unsigned seed) : world_(world), cycles_(cycles), rng_(seed) {}

  int Run() {
    form_ = FormMain;
    if (!WaitAdapter(true)) return Fail("the adapter was never selected");
    for (const WLProfile& p : form_->Adapter()->ProfList) expected_[FieldText(p.ProfileName)] = 1;

    const int warmup = std::min(20, cycles_ / 5);
    const int every = std::max(1, cycles_ / 10);
    for (int k = 0; k < cycles_; ++k) {
      g_Cycle = k;
      Cycle(k);
      if (k + 1 == warmup) {
        Settle();
        base_ = Measure();
        std::printf("soak: after %d warm-up cycles\n", warmup);
        PrintFigures("baseline", base_);
      } else if ((k + 1) % every == 0) {
        Pump(300);
        char label[16];
        std::snprintf(label, sizeof label, "cycle %d", k + 1);
        last_ = Measure();
        PrintFigures(label, last_);
      }
      std::fflush(stdout);
    }
    // A last replug reads every profile back from the library.
    Replug("final replug");
    Settle();
    last_ = Measure();
    return Report();
  }

  Counts counts;

 private:
  int Fail(const char* what) {
    std::printf("soak: FAILED in cycle %d: %s\n", g_Cycle.load(), what);
    ++counts.errors;
    return 1;
  }

  bool WaitAdapter(bool present) {
    return WaitFor([&] { return (form_->Adapter() != nullptr) == present && !form_->Releasing(); },
                   30000);
  }

  // The worker and the pages catch up; nothing of the last cycle is still
  // on its way when the figures are taken.
  void Settle() {
    Step("settle");
    world_.Write(true, "");
    Pump(2500);
  }

  std::string Faults() {
    std::string text = "[Faults]\r\n";
    std::uniform_int_distribution<int> n(0, 2);
    const int count = n(rng_);
    for (int i = 0; i < count; ++i) {
      const char* entry = kFaultEntries[rng_() % std::size(kFaultEntries)];
      switch (rng_() % 4) {
        case 0:
          text += std::string("Fail.") + entry + "=1\r\n";
          ++counts.fails;
          break;
        case 1:
          text += std::string("Crash.") + entry + "=1\r\n";
          ++counts.crashes;
          break;
        default:
          text += std::string("Delay.") + entry + "=" + std::to_string(20 + rng_() % 200) + "\r\n";
          ++counts.delays;
          break;
      }
    }
    if (rng_() % 3 == 0) {
      const char* entry = kDelayEntries[rng_() % std::size(kDelayEntries)];
      text += std::string("Delay.") + entry + "=" + std::to_string(10 + rng_() % 100) + "\r\n";
      ++counts.delays;
    }
    return text.find('.') == std::string::npos ? "" : text;
  }

  void Cycle(int k) {
    Step("fault knobs");
    world_.Write(true, Faults());
    Pump(30);
    CNICAdapter* a = form_->Adapter();
    if (!a) {
      Fail("no adapter at the start of a cycle");
      Replug("recovery replug");
      return;
    }

    Step("scan");
    a->StartSiteSurvey();
    if (form_->FrameSurvey1) form_->FrameSurvey1->BtnScanClick();
    Pump(120);
    std::vector<SiteEntry> sites;
    a->GetSiteList(sites);
    ++counts.scans;

    Step("connect");
    a->Connect(Kind(a->ProfList.empty() ? WLProfile{} : a->ProfList.front(), k % kKinds,
                    "(EditingProfile)"));
    ++counts.connects;
    Pump(50);

    Step("profiles");
    const std::string name = "Soak-" + std::to_string(k);
    WLProfile p =
        Kind(a->ProfList.empty() ? WLProfile{} : a->ProfList.front(), k % kKinds, name.c_str());
    if (a->AddProfile(p)) {
      ++counts.added;
      expected_[name] = 1;
    }
    SetField(p.Ssid2, "edited");
    if (a->UpdateProfile(p, name)) ++counts.edited;
    const std::string old = "Soak-" + std::to_string(k - 3);
    if (expected_.count(old) && a->DeleteProfile(kStationList, old)) {
      ++counts.deleted;
      expected_.erase(old);
    }
    Pump(30);

    switch (k % 20) {
      case 9:
      case 19:
        Replug("unplug and plug");
        break;
      case 4: {
        Step("console switch");
        world_.Write(true, "");
        HWND detect = g_ThrdDetect ? g_ThrdDetect->Window() : nullptr;
        if (!detect) {
          Fail("no detection window");
          break;
        }
        SendMessageA(detect, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 0);
        if (!WaitAdapter(false)) Fail("the adapter stayed after a console disconnect");
        SendMessageA(detect, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 0);
        if (!WaitAdapter(true)) Fail("the adapter did not come back after a console connect");
        ++counts.consoles;
        CheckProfiles();
        break;
      }
      case 14: {
        Step("resume");
        if (HWND detect = g_ThrdDetect ? g_ThrdDetect->Window() : nullptr) {
          SendMessageA(detect, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
          // With device-interface notifications registered a resume needs
          // no pass of its own: the adapter stays.
          if (!WaitAdapter(true)) Fail("the adapter went after a resume");
          ++counts.resumes;
        }
        break;
      }
      default:
        break;
    }
  }

  void Replug(const char* step) {
    Step(step);
    world_.Write(false, "");
    if (!WaitAdapter(false)) Fail("the adapter was not released when unplugged");
    Step("plug");
    world_.Write(true, "");
    if (!WaitAdapter(true)) Fail("the adapter was not selected when plugged");
    ++counts.unplugs;
    CheckProfiles();
  }

  // A fresh adapter object read the list from the library: every profile
  // the soak kept is there exactly once, and nothing else.
  void CheckProfiles() {
    Step("check profiles");
    CNICAdapter* a = form_->Adapter();
    if (!a) return;
    std::map<std::string, int> found;
    for (const WLProfile& p : a->ProfList) ++found[FieldText(p.ProfileName)];
    for (const auto& [name, n] : found) {
      if (n > 1) {
        std::printf("soak: profile %s is there %d times\n", name.c_str(), n);
        ++counts.errors;
      } else if (!expected_.count(name)) {
        std::printf("soak: profile %s should be gone\n", name.c_str());
        ++counts.errors;
      }
    }
    for (const auto& entry : expected_) {
      if (!found.count(entry.first)) {
        std::printf("soak: profile %s was lost\n", entry.first.c_str());
        ++counts.errors;
      }
    }
    // The library, the stored order and the list on screen agree.
    std::vector<std::string> list, order, rows;
    for (const WLProfile& p : a->ProfList) list.push_back(FieldText(p.ProfileName));
    const int n = a->ReadSet("ProfCount", 0);
    for (int i = 0; i < n; ++i) order.push_back(a->ReadSet("Prof" + std::to_string(i), ""));
    if (order != list) {
      std::printf("soak: the stored order differs from the list\n");
      ++counts.errors;
    }
    std::vector<std::string> library = StoredNames();
    if (form_->FrameProfile1)
      for (int i = 0; i < form_->FrameProfile1->LvProf->RowCount(); ++i)
        rows.push_back(form_->FrameProfile1->LvProf->Row(i)->SubItem(0));
    std::sort(list.begin(), list.end());
    std::sort(library.begin(), library.end());
    std::sort(rows.begin(), rows.end());
    if (library != list) {
      std::printf("soak: the library's profiles differ from the list\n");
      ++counts.errors;
    }
    if (!a->UseWZC && rows != list) {
      std::printf("soak: the list on screen differs from the profiles\n");
      ++counts.errors;
    }
    profilesChecked_ = found.size();
  }

  int Report() {
    const auto grow = [](long long from, long long to) { return to - from; };
    const long long dh = grow(base_.handles, last_.handles), dg = grow(base_.gdi, last_.gdi),
                    du = grow(base_.user, last_.user);
    const double dp = (static_cast<double>(last_.privateBytes) - base_.privateBytes) / 1048576.0;
    std::printf(
        "soak: %d cycles: %d scans, %d connects (%d kinds), profiles %d added, %d edited, "
        "%d deleted; %d unplug/plug, %d console switches, %d resumes; fault knobs: "
        "%d delays, %d failures, %d crashes\n",
        cycles_, counts.scans, counts.connects, kKinds, counts.added, counts.edited, counts.deleted,
        counts.unplugs, counts.consoles, counts.resumes, counts.delays, counts.fails,
        counts.crashes);
    std::printf("soak: profiles at the end: %zu, as expected: %s\n", profilesChecked_,
                counts.errors ? "no" : "yes");
    PrintFigures("baseline", base_);
    PrintFigures("end", last_);
    std::printf("soak: growth: handles %+lld, GDI %+lld, windows %+lld, private bytes %+.2f MB\n",
                dh, dg, du, dp);
    // Flat: what one cycle leaks shows after a thousand of them.
    bool flat = dh <= 25 && dg <= 25 && du <= 25 && dp <= 4.0;
    if (!flat) std::printf("soak: resources did not stay flat\n");
    std::printf("soak: time by step (s):");
    Step("report");
    for (const auto& [step, ms] : g_StepMs) std::printf(" %s %.1f;", step.c_str(), ms / 1000.0);
    std::printf("\n");
    const bool passed = flat && counts.errors == 0;
    std::printf("soak: %s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
  }

  World& world_;
  int cycles_;
  std::mt19937 rng_;
  TFormMain* form_ = nullptr;
  std::map<std::string, int> expected_;
  size_t profilesChecked_ = 0;
  Figures base_, last_;
};


}  // namespace

int main(int argc, char** argv) {
  int cycles = 1000;
  unsigned seed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--cycles") cycles = std::max(1, std::atoi(argv[i + 1]));
    if (arg == "--seed") seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    if (arg == "--stall") g_StallMs = std::max(10, std::atoi(argv[i + 1])) * 1000u;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // A test run may scale the program's own periods, as for the tests.
  if (const char* scale = std::getenv("WU_TIME_SCALE")) timescale::Set(std::atof(scale));

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string exeDir = std::string(exe).substr(0, std::string(exe).find_last_of('\\') + 1);
  const std::string dir = TempFolder("WuSoak");
  const std::string root = "WuSoak" + std::to_string(GetCurrentProcessId());
  {
    std::ofstream(dir + "WirelessUtility.bin", std::ios::binary)
        << "[Setting]\r\nProfRoot=" << root << "\r\nHWID0=VID_1D4F&PID_0A71\r\n";
  }
  std::string base = ReadFile(WU_DEFAULT_WORLD);
  if (base.empty()) {
    std::printf("soak: cannot read the default world %s\n", WU_DEFAULT_WORLD);
    return 1;
  }
  World world(dir + "soak.world", base);
  world.Write(true, "");
  SetEnvironmentVariableA("OMXWL_WORLD", (dir + "soak.world").c_str());

  g_GlobalVar.LocateFiles(dir + "WirelessUtility.exe");
  g_GlobalVar.OsVersionCode = 7;
  g_GlobalVar.CmdFlags = CmdTrayIcon;
  g_GlobalVar.LoadCommonStrings();
  NotifyMsg = RegisterWindowMessageA(("WuSoak_NotifyMsg_" + root).c_str());
  if (!g_OmxLib.Bind(exeDir + "OMXWL.DLL")) {
    std::printf("soak: cannot bind %sOMXWL.DLL\n", exeDir.c_str());
    return 1;
  }
  g_OmxLib.OMXWL_SetWLProfileDir(root.c_str());
  Application.Initialize();

  Step("start");
  CloseHandle(CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr));
  const DWORD start = GetTickCount();
  std::printf("soak: %d cycles, seed %u\n", cycles, seed);
  if (!CreateMainForm(CmdTrayIcon)) {
    std::printf("soak: the main window could not be made\n");
    return 1;
  }
  Soak soak(world, cycles, seed);
  const int result = soak.Run();
  std::printf("soak: %.1f s in all, %.2f s a cycle\n", (GetTickCount() - start) / 1000.0,
              (GetTickCount() - start) / 1000.0 / cycles);

  Step("end");
  delete FormMain;
  Pump(200);
  RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root).c_str());
  RemoveAppDataFolder(root);
  RemoveTree(dir);
  std::fflush(stdout);
  // The library's own threads need no orderly end.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
