// Kill test: the program (main window, profile page, adapter worker) runs in
// a child process over the simulated OMXWL.DLL and adds, edits, renames,
// imports and connects profiles through the profile page, one operation
// after another, writing each one's start and end to a journal. This
// driver ends it with TerminateProcess at seeded random moments and starts
// it again. After every restart:
//   - every profile stored before the interrupted operation is still stored,
//     in its old or its new form (a rename: the old or the new name);
//   - the stored order lists exactly the stored profiles, once each, and the
//     list on screen shows the same;
//   - "LastApplyProf" is one whole profile (all its fields from one edit) or
//     reads as absent.
//
//   wukill.exe [--kills N] [--seed S]         the driver
//   wukill.exe --child DIR --seed S           the program (started by the driver)
//
// Exit code 0: passed; 1: a check failed; 2: the program did not come up.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scratch.h"
#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "pages/station/Uframeprofile.h"
#include "shell/Uformmain.h"

namespace {

constexpr const char* kHwId = "VID_1D4F&PID_0A71";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

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

// Every field that a check can see carries the same tag, so a section made
// of two profiles shows two tags.
void Tag(WLProfile& p, const std::string& tag) {
  SetField(p.Ssid1, "S" + tag);
  SetField(p.WPAPassphrase, "P" + tag);
  SetField(p.LoginName, "L" + tag);
  SetField(p.sCertificate, "C" + tag);
  SetField(p.NetInfo.NI_strHostName, "H" + tag);
}

// The tag of a record, empty when its fields disagree.
std::string TagOf(const WLProfile& p) {
  const std::string s = FieldText(p.Ssid1);
  if (s.empty() || s[0] != 'S') return "?";
  const std::string tag = s.substr(1);
  const bool whole =
      FieldText(p.WPAPassphrase) == "P" + tag && FieldText(p.LoginName) == "L" + tag &&
      FieldText(p.sCertificate) == "C" + tag && FieldText(p.NetInfo.NI_strHostName) == "H" + tag;
  return whole ? tag : std::string();
}

// ---- the program, in the child ----------------------------------------------------------

class Journal {
 public:
  explicit Journal(const std::string& path) {
    file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~Journal() { CloseHandle(file_); }
  // One write per line: what the system has taken survives the kill.
  void Line(const std::string& text) {
    const std::string line = text + "\r\n";
    DWORD put = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
  }

 private:
  HANDLE file_;
};

int Child(const std::string& dir, unsigned seed) {
  const std::string root = ReadFile(dir + "root.txt");
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string exeDir = std::string(exe).substr(0, std::string(exe).find_last_of('\\') + 1);
  SetEnvironmentVariableA("OMXWL_WORLD", (dir + "kill.world").c_str());
  g_GlobalVar.LocateFiles(dir + "WirelessUtility.exe");
  g_GlobalVar.OsVersionCode = 6;
  g_GlobalVar.CmdFlags = CmdTrayIcon;
  g_GlobalVar.LoadCommonStrings();
  NotifyMsg = RegisterWindowMessageA(("WuKill_NotifyMsg_" + root).c_str());
  if (!g_OmxLib.Bind(exeDir + "OMXWL.DLL")) {
    std::printf("kill: the program cannot bind %sOMXWL.DLL\n", exeDir.c_str());
    return 2;
  }
  g_OmxLib.OMXWL_SetWLProfileDir(root.c_str());
  Application.Initialize();
  if (!CreateMainForm(CmdTrayIcon)) {
    std::printf("kill: the program's main window could not be made\n");
    return 2;
  }
  TFormMain* form = FormMain;
  TFrameProfile* page = form->FrameProfile1;
  Journal journal(dir + "journal.txt");
  auto ready = [&] {
    CNICAdapter* a = form->Adapter();
    return a && !form->Releasing() &&
           page->LvProf->RowCount() == static_cast<int>(a->ProfList.size());
  };
  if (!WaitFor(ready, 60000)) {
    std::printf("kill: the program found no adapter (%s)\n",
                form->Adapter() ? "its list differs from the page" : "none selected");
    return 2;
  }
  std::string rows = "READY";
  for (int i = 0; i < page->LvProf->RowCount(); ++i) rows += " " + page->LvProf->Row(i)->SubItem(0);
  journal.Line(rows);

  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, ReadFile(dir + "go.txt").c_str());
  WaitFor([go] { return !go || WaitForSingleObject(go, 0) == WAIT_OBJECT_0; }, INFINITE);

  std::mt19937 rng(seed);
  auto rowNames = [&] {
    std::vector<std::string> names;
    for (int i = 0; i < page->LvProf->RowCount(); ++i)
      names.push_back(page->LvProf->Row(i)->SubItem(0));
    return names;
  };
  auto select = [&](const std::string& name) {
    for (int i = 0; i < page->LvProf->RowCount(); ++i)
      if (page->LvProf->Row(i)->SubItem(0) == name) {
        page->LvProf->ClearSelection();
        page->LvProf->SelectRow(i);
        return true;
      }
    return false;
  };
  auto fresh = [&](const char* prefix) { return prefix + std::to_string(rng() % 100000); };
  for (;;) {
    CNICAdapter* a = form->Adapter();
    if (!a) {
      WaitFor(ready, 10000);
      continue;
    }
    std::vector<std::string> names = rowNames();
    names.erase(std::remove(names.begin(), names.end(), "Default"), names.end());
    const std::string pick = names.empty() ? "" : names[rng() % names.size()];
    const int what = names.size() < 4 ? 0 : static_cast<int>(rng() % 5);
    if (what == 0) {
      const std::string name = fresh("K");
      journal.Line("BEGIN add " + name);
      g_GlobalVar.WorkProfile = a->DefProf;
      SetField(g_GlobalVar.WorkProfile.ProfileName, name);
      Tag(g_GlobalVar.WorkProfile, fresh("T"));
      page->SaveProfile(0);
    } else if (what == 1 || what == 2) {
      const std::string to = what == 2 ? fresh("K") : pick;
      journal.Line((what == 2 ? "BEGIN rename " : "BEGIN edit ") + pick + " " + to);
      select(pick);
      page->BtnEditClick();
      SetField(g_GlobalVar.WorkProfile.ProfileName, to);
      Tag(g_GlobalVar.WorkProfile, fresh("T"));
      page->SaveProfile(kProfEditMode);
      page->EnterPage(nullptr, kModeStation, 0);
    } else if (what == 3) {
      journal.Line("BEGIN import");
      page->ImportFile(dir + "import.wlprof");
    } else {
      journal.Line("BEGIN connect " + pick);
      select(pick);
      page->BtnActivateClick();
      // The worker applies it and records it as the last one.
      WaitFor([] { return false; }, 300 + rng() % 900);
    }
    journal.Line("END");
    WaitFor([] { return false; }, 20);
  }
}

// ---- the driver -------------------------------------------------------------------------

struct Model {
  std::set<std::string> Stored;                 // names that must be there
  std::vector<std::set<std::string>> EitherOf;  // of each set, one must be there
};

class Driver {
 public:
  Driver(std::string dir, std::string root, unsigned seed)
      : dir_(std::move(dir)), root_(std::move(root)), rng_(seed), seed_(seed) {}

  int Run(int kills) {
    int errors = 0;
    for (int k = 0; k <= kills; ++k) {
      PROCESS_INFORMATION child{};
      if (!Start(child)) {
        std::printf("kill: the program did not come up after kill %d\n", k);
        return 2;
      }
      errors += Check(k);
      if (k == kills) {
        TerminateProcess(child.hProcess, 0);
        WaitForSingleObject(child.hProcess, 10000);
        CloseHandle(child.hProcess);
        break;
      }
      SetEvent(go_);
      Sleep(200 + rng_() % 2800);
      TerminateProcess(child.hProcess, 9);
      WaitForSingleObject(child.hProcess, 10000);
      CloseHandle(child.hProcess);
      ResetEvent(go_);
      ++killed_;
      Learn();
    }
    std::printf(
        "kill: %d kills; operations finished %d, interrupted %d (add %d, edit %d, rename %d, "
        "import %d, connect %d); profiles lost: %d; LastApplyProf whole %d, absent %d, "
        "unfinished and refused %d\n",
        killed_, finished_,
        interrupted_["add"] + interrupted_["edit"] + interrupted_["rename"] +
            interrupted_["import"] + interrupted_["connect"],
        interrupted_["add"], interrupted_["edit"], interrupted_["rename"], interrupted_["import"],
        interrupted_["connect"], lost_, whole_, absent_, refused_);
    std::printf("kill: %s\n", errors ? "FAILED" : "PASSED");
    return errors ? 1 : 0;
  }

  void Prepare() {
    go_ = CreateEventA(nullptr, TRUE, FALSE,
                       ("WuKillGo" + std::to_string(GetCurrentProcessId())).c_str());
    std::ofstream(dir_ + "go.txt", std::ios::binary) << "WuKillGo" << GetCurrentProcessId();
  }

 private:
  bool Start(PROCESS_INFORMATION& pi) {
    DeleteFileA((dir_ + "journal.txt").c_str());
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    // Without its last backslash, which would escape the closing quote.
    const std::string folder = dir_.substr(0, dir_.size() - 1);
    std::string cmd = "\"" + std::string(exe) + "\" --child \"" + folder + "\" --seed " +
                      std::to_string(seed_ * 1000 + killed_);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
      return false;
    CloseHandle(pi.hThread);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 90000) {
      if (ReadFile(dir_ + "journal.txt").rfind("READY", 0) == 0) return true;
      if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        std::printf("kill: the program ended with exit code %lu before it was ready\n",
                    static_cast<unsigned long>(code));
        CloseHandle(pi.hProcess);
        return false;
      }
    }
    TerminateProcess(pi.hProcess, 9);
    CloseHandle(pi.hProcess);
    return false;
  }

  // What the journal of the killed run says was done and left undone.
  void Learn() {
    const std::vector<std::string> lines = Lines(ReadFile(dir_ + "journal.txt"));
    std::vector<std::string> open;
    for (const std::string& line : lines) {
      const std::vector<std::string> w = Words(line);
      if (w.empty()) continue;
      if (w[0] == "BEGIN") {
        open = w;
      } else if (w[0] == "END" && !open.empty()) {
        ++finished_;
        Apply(open, true);
        open.clear();
      }
    }
    if (!open.empty()) {
      ++interrupted_[open[1]];
      Apply(open, false);
    }
  }

  void Apply(const std::vector<std::string>& op, bool done) {
    if (op.size() >= 4 && op[1] == "rename" && model_.Stored.count(op[2])) {
      model_.Stored.erase(op[2]);
      if (done)
        model_.Stored.insert(op[3]);
      else
        model_.EitherOf.push_back({op[2], op[3]});
    }
    // An add or an import that finished must have stored its profiles;
    // one interrupted may or may not have.
    if (done && op.size() >= 3 && op[1] == "add") model_.Stored.insert(op[2]);
    if (done && op[1] == "import")
      for (const char* n : {"Imported1", "Imported2"}) model_.Stored.insert(n);
  }

  std::vector<std::string> StoredOrder() {
    const std::string key = "Software\\" + root_ + "\\WLAdapter\\" + kHwId + "-9999";
    auto value = [&key](const std::string& name, DWORD type, void* data, DWORD size) {
      return RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), type, nullptr, data,
                          &size) == ERROR_SUCCESS;
    };
    DWORD count = 0;
    std::vector<std::string> out;
    if (!value("ProfCount", RRF_RT_REG_DWORD, &count, sizeof count)) return out;
    for (DWORD i = 0; i < count && i < 4096; ++i) {
      char text[256] = {};
      value("Prof" + std::to_string(i), RRF_RT_REG_SZ, text, sizeof text - 1);
      out.push_back(text);
    }
    return out;
  }

  static std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
  }

  int Check(int k) {
    int errors = 0;
    auto fail = [&](const std::string& what) {
      std::printf("kill: after kill %d: %s\n", k, what.c_str());
      ++errors;
    };
    const std::vector<std::string> names = StoredNames();
    const std::set<std::string> stored(names.begin(), names.end());
    if (stored.size() != names.size()) fail("a name is stored twice");
    for (const std::string& n : model_.Stored)
      if (!stored.count(n)) {
        fail("profile " + n + " was lost");
        ++lost_;
      }
    for (const auto& either : model_.EitherOf)
      if (std::none_of(either.begin(), either.end(),
                       [&](const std::string& n) { return stored.count(n) > 0; })) {
        fail("profile " + *either.begin() + " was lost in a rename");
        ++lost_;
      }
    const std::vector<std::string> order = StoredOrder();
    if (std::set<std::string>(order.begin(), order.end()) != stored || order.size() != names.size())
      fail("the stored order does not list exactly the stored profiles (order: " + Joined(order) +
           "; stored: " + Joined(names) + ")");
    std::vector<std::string> rows = Words(Lines(ReadFile(dir_ + "journal.txt")).front());
    rows.erase(rows.begin());
    if (std::set<std::string>(rows.begin(), rows.end()) != stored || rows.size() != names.size())
      fail("the list on screen differs from the stored profiles");

    CFAGlobalVar var;
    var.LocateFiles(dir_ + "WirelessUtility.exe");
    WLProfile last{};
    if (var.ProfFromIniFileChecked("LastApplyProf", last)) {
      ++whole_;
      if (TagOf(last).empty()) fail("LastApplyProf mixes two profiles");
    } else if (var.InfoSectionExists("LastApplyProf")) {
      ++refused_;
    } else {
      ++absent_;
    }
    // From now on, what is stored is what must stay.
    model_.Stored = stored;
    model_.EitherOf.clear();
    return errors;
  }

  std::string dir_, root_;
  std::mt19937 rng_;
  unsigned seed_;
  HANDLE go_ = nullptr;
  Model model_;
  int killed_ = 0, finished_ = 0, lost_ = 0, whole_ = 0, absent_ = 0, refused_ = 0;
  std::map<std::string, int> interrupted_;
};


// The file that every import reads: two tagged profiles, made in a store
// of their own.
bool MakeImportFile(const std::string& path) {
  const std::string scratch = "WuKillImport" + std::to_string(GetCurrentProcessId());
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool made = false;
  {
    CLibraryGuard lib(stop, nullptr);
    if (lib && g_OmxLib.OMXWL_SetWLProfileDir(scratch.c_str()) == 1) {
      for (const char* n : {"Imported1", "Imported2"}) {
        WLProfile p{};
        p.NetworkMode = 1;
        SetField(p.ProfileName, n);
        Tag(p, std::string("I") + n);
        g_OmxLib.OMXWL_SetWLProfile(n, &p);
      }
      made = g_OmxLib.OMXWL_RegExportProfile("", path.c_str()) == 2;
      for (const char* n : {"Imported1", "Imported2"}) g_OmxLib.OMXWL_DeleteWLProfile(n);
    }
  }
  CloseHandle(stop);
  RemoveAppDataFolder(scratch);
  return made;
}

}  // namespace

int main(int argc, char** argv) {
  int kills = 20;
  unsigned seed = 1;
  std::string childDir;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--kills") kills = std::max(1, std::atoi(argv[i + 1]));
    if (arg == "--seed") seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    if (arg == "--child") childDir = argv[i + 1];
  }
  if (!childDir.empty()) return Child(childDir + "\\", seed);
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string exeDir = std::string(exe).substr(0, std::string(exe).find_last_of('\\') + 1);
  const std::string dir = TempFolder("WuKill");
  const std::string root = "WuKill" + std::to_string(GetCurrentProcessId());
  std::ofstream(dir + "root.txt", std::ios::binary) << root;
  std::ofstream(dir + "WirelessUtility.bin", std::ios::binary)
      << "[Setting]\r\nProfRoot=" << root << "\r\nHWID0=" << kHwId << "\r\n";
  std::string world = ReadFile(WU_DEFAULT_WORLD);
  const size_t at = world.find("AssociateTime=");
  if (at != std::string::npos) world.replace(at, world.find('\n', at) - at, "AssociateTime=100\r");
  std::ofstream(dir + "kill.world", std::ios::binary) << world;
  SetEnvironmentVariableA("OMXWL_WORLD", (dir + "kill.world").c_str());
  if (!g_OmxLib.Bind(exeDir + "OMXWL.DLL")) {
    std::printf("kill: cannot bind %sOMXWL.DLL\n", exeDir.c_str());
    return 1;
  }
  if (!MakeImportFile(dir + "import.wlprof")) {
    std::printf("kill: the import file could not be made\n");
    return 1;
  }
  g_OmxLib.OMXWL_SetWLProfileDir(root.c_str());
  std::printf("kill: %d kills, seed %u\n", kills, seed);
  const DWORD start = GetTickCount();
  Driver driver(dir, root, seed);
  driver.Prepare();
  const int result = driver.Run(kills);
  std::printf("kill: %.1f s in all\n", (GetTickCount() - start) / 1000.0);

  if (result != 0) {
    // What a failed run left is what tells why: the folder, the library's
    // store and the registry key stay for a look.
    std::printf("kill: kept %s, the store %s and HKCU\\Software\\%s\n", dir.c_str(), root.c_str(),
                root.c_str());
  } else {
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + root).c_str());
    RemoveAppDataFolder(root);
    RemoveTree(dir);
  }
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
