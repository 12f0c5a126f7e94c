// Program time of two hot paths, measured inside one process with the
// simulated OMXWL.DLL beside it. Every library entry point is wrapped by a
// timer, so the library's own time is reported apart from the program's.
// Not part of the product; run by tools/bench/cost.sh.
//
//   costbench [ROUNDS]
//
// - status sample: CNICAdapter::CollectStatus (what the worker does every
//   two seconds) plus the link page's Refresh; baseline: one empty round of
//   the message pump that carries the sample's notice.
// - survey fill: the survey page fetching and showing 256 networks and
//   painting the list; baseline: the same 256 rows of texts and icons put
//   into a plain list view of the same size and painted.
// Figures are medians over the rounds, with the slowest round beside them.
#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "clock.h"
#include "adapter/Ucomxlib.h"
#include "adapter/Unicadapter.h"
#include "app/Uapplication.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uformres.h"
#include "ui/Uform.h"

namespace {


// Time spent inside the library, in ms, since the start.
double g_LibraryMs = 0;

template <auto Member, class F>
struct Timed;
template <auto Member, class... A>
struct Timed<Member, int32_t(OMXWL_API*)(A...)> {
  static inline int32_t(OMXWL_API* original)(A...) = nullptr;
  static int32_t OMXWL_API Call(A... a) {
    const double t0 = Now();
    const int32_t r = original(a...);
    g_LibraryMs += Now() - t0;
    return r;
  }
};

// Puts a timing wrapper in front of every entry point: the library is bound
// again through a table of wrappers that call the loaded DLL.
void TimeLibraryCalls() {
  // One more reference, so that rebinding does not unload the DLL.
  char path[MAX_PATH] = {};
  if (HMODULE dll = GetModuleHandleA("OMXWL.DLL")) {
    GetModuleFileNameA(dll, path, sizeof path);
    LoadLibraryA(path);
  }
  OmxEntryTable table{};
#define WU_TIME_ENTRY(name, args)                                          \
  Timed<&OmxEntryTable::name, PFN_##name>::original = g_OmxLib.name.Raw(); \
  table.name = &Timed<&OmxEntryTable::name, PFN_##name>::Call;
  OMXWL_ENTRY_POINTS(WU_TIME_ENTRY)
#undef WU_TIME_ENTRY
  g_OmxLib.BindTable(table);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Program and library time of one measured step.
struct Sample {
  double total = 0, library = 0;
  double Program() const { return total - library; }
};

template <class F>
Sample Measure(F&& step) {
  const double lib0 = g_LibraryMs;
  const double t0 = Now();
  step();
  Sample s;
  s.total = Now() - t0;
  s.library = g_LibraryMs - lib0;
  return s;
}

struct Stats {
  std::vector<double> values;
  void Add(double v) { values.push_back(v); }
  double Median() {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
  }
  double Max() { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

void Report(const char* label, Stats& program, Stats& library, const char* unit = "ms") {
  std::printf("%-44s program %8.3f %s (max %8.3f), library %8.3f %s\n", label, program.Median(),
              unit, program.Max(), library.Median(), unit);
}

std::string ExeDir() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

void WriteWorld(const std::string& path) {
  const std::string text =
      "[World]\r\nScanTime=0\r\nAssociateTime=0\r\n"
      "[Adapter Ombrix USB]\r\nHardwareId=USB\\VID_1D4F&PID_0A71\r\nInstance=OMX0001\r\n"
      "Description=Ombrix 802.11a/b/g USB Wireless Adapter\r\nMAC=00:1D:4F:6A:21:07\r\n"
      "Domain=FCC\r\nBands=a,b,g\r\nPresent=1\r\n"
      "[Network Open]\r\nSSID=Bench-Open\r\nBSSID=00:1D:4F:10:00:01\r\nChannel=6\r\nType=g\r\n"
      "Security=0\r\nSignal=-48\r\nJitter=0\r\n"
      "[Faults]\r\nScanCount=256\r\n";
  HANDLE h =
      CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  CloseHandle(h);
}

DeviceRec BenchDevice() {
  DeviceRec d{};
  SetField(d.Description, "Ombrix 802.11a/b/g USB Wireless Adapter");
  SetField(d.HardwareId, "VID_1D4F&PID_0A71");
  SetField(d.Tag, "0001");
  return d;
}

// A page in a shown form of its own, over a stopped adapter object (the
// benchmark calls what the worker would).
template <class Page>
struct PageHost {
  explicit PageHost(CNICAdapter& adapter) : form(nullptr, "FormBench") {
    form.SetClientSize(600, 440);
    page = new Page(&form, &form);
    page->InitPage();
    page->Show();
    form.Show();
    page->AttachAdapter(&adapter, kAttach, kModeStation);
    Pump();
  }
  ~PageHost() { page->DonePage(); }
  TForm form;
  Page* page;
};

void StatusSample(CNICAdapter& adapter, int rounds) {
  PageHost<TFrameLinkInfo> host(adapter);
  // Connected, so Refresh shows every value.
  WLProfile prof = adapter.DefProf;
  SetField(prof.Ssid1, "Bench-Open");
  adapter.Connect(prof);
  adapter.DoConnect();
  for (int i = 0; i < 50; ++i) {
    adapter.CollectStatus();
    WLStatus s{};
    adapter.GetStatus(s);
    if (s.MediaState == 0) break;
    Sleep(20);
  }
  WLStatus s{};
  adapter.GetStatus(s);
  if (s.MediaState != 0) std::puts("(the adapter did not connect; the sample shows no link)");
  host.page->AdapterNotify(&adapter, kNotifyConnecting, 0);

  Stats collectP, collectL, refreshP, refreshL, paintP, paintL, baseP, baseL;
  HWND window = host.form.Handle();
  for (int i = 0; i < rounds; ++i) {
    Sample c = Measure([&] { adapter.CollectStatus(); });
    Sample r = Measure([&] { host.page->AdapterNotify(&adapter, kNotifyStatus, 0); });
    Sample p = Measure([&] { UpdateWindow(window); });
    Sample b = Measure([&] {
      PostMessageA(window, WM_NULL, 0, 0);
      Pump();
    });
    collectP.Add(c.Program() * 1000);
    collectL.Add(c.library * 1000);
    refreshP.Add(r.Program() * 1000);
    refreshL.Add(r.library * 1000);
    paintP.Add(p.Program() * 1000);
    paintL.Add(p.library * 1000);
    baseP.Add(b.Program() * 1000);
    baseL.Add(b.library * 1000);
    Pump();
  }
  std::printf("status sample, median of %d rounds (microseconds):\n", rounds);
  Report("  CollectStatus (worker thread)", collectP, collectL, "us");
  Report("  link page Refresh (interface thread)", refreshP, refreshL, "us");
  Report("  paint of the changed values", paintP, paintL, "us");
  Report("  baseline: one empty round of the pump", baseP, baseL, "us");
}

struct PlainRow {
  std::string ssid, channel, signal;
  int image;
};

// The same rows put into a plain list view the plain way: redraw off,
// one insert and three texts a row, redraw on, paint.
Sample PlainFill(HWND parent, const TImageList* icons, const std::vector<PlainRow>& rows) {
  HWND lv = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS, 40, 150, 330,
                            186, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  if (icons)
    SendMessageA(lv, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons->Handle()));
  const char* captions[] = {"", "SSID", "Channel", "Signal"};
  const int widths[] = {26, 150, 64, 64};
  for (int c = 0; c < 4; ++c) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(captions[c]);
    col.cx = widths[c];
    SendMessageA(lv, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
  }
  UpdateWindow(parent);
  Sample s = Measure([&] {
    SendMessageA(lv, WM_SETREDRAW, FALSE, 0);
    int index = 0;
    for (const PlainRow& r : rows) {
      LVITEMA item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE;
      item.iItem = index;
      item.pszText = const_cast<char*>("");
      item.iImage = r.image;
      const int at =
          static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
      const std::string* texts[] = {&r.ssid, &r.channel, &r.signal};
      for (int c = 0; c < 3; ++c) {
        LVITEMA sub{};
        sub.iSubItem = c + 1;
        sub.pszText = const_cast<char*>(texts[c]->c_str());
        SendMessageA(lv, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
      }
      ++index;
    }
    SendMessageA(lv, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(lv);
  });
  DestroyWindow(lv);
  Pump();
  return s;
}

void SurveyFill(CNICAdapter& adapter, int rounds) {
  PageHost<TFrameSurvey> host(adapter);
  TFrameSurvey* page = host.page;
  adapter.StartSiteSurvey();
  Sleep(50);
  HWND window = host.form.Handle();

  Stats fetchP, fetchL, fillP, fillL, paintP, paintL, totalP, totalL, plain;
  int shown = 0;
  for (int i = 0; i < rounds; ++i) {
    std::vector<SiteEntry> entries;
    Sample fetch = Measure([&] { adapter.GetSiteList(entries); });
    // The page's timer step fetches and fills; the fetch is taken out.
    Sample all = Measure([&] { page->TimerSurveyTimer(); });
    Sample paint = Measure([&] {
      UpdateWindow(window);
      RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    shown = page->LvSite->RowCount();
    fetchP.Add(fetch.Program());
    fetchL.Add(fetch.library);
    fillP.Add(all.Program() - fetch.Program());
    fillL.Add(all.library - fetch.library);
    paintP.Add(paint.Program());
    paintL.Add(paint.library);
    totalP.Add(all.Program() + paint.Program());
    totalL.Add(all.library + paint.library);
    Pump();
    // The rows the plain list gets are the page's own texts.
    if (i == 0) {
      std::vector<PlainRow> rows;
      for (int r = 0; r < page->LvSite->RowCount(); ++r) {
        TLvRow* row = page->LvSite->Row(r);
        rows.push_back({row->SubItem(0), row->SubItem(1), row->SubItem(2), row->ImageIndex()});
      }
      for (int k = 0; k < rounds; ++k)
        plain.Add(PlainFill(window, FormRes->ImageList("ImgsType"), rows).Program());
    }
  }
  Stats none;
  none.Add(0);
  std::printf("survey list of %d networks, median of %d rounds (milliseconds):\n", shown, rounds);
  Report("  fetch (GetSiteList)", fetchP, fetchL);
  Report("  fill (rows, sort, selection)", fillP, fillL);
  Report("  paint", paintP, paintL);
  Report("  shown: fill and paint", totalP, totalL);
  Report("  baseline: plain list view, fill and paint", plain, none);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::string dir = ExeDir();
  g_GlobalVar.LocateFiles(dir + "WirelessUtility.exe");
  g_GlobalVar.LoadCommonStrings();
  NotifyMsg = RegisterWindowMessageA("WuCostBench_NotifyMsg");
  const std::string world = dir + "costbench.world";
  WriteWorld(world);
  SetEnvironmentVariableA("OMXWL_WORLD", world.c_str());
  if (!g_OmxLib.Bind(dir + "OMXWL.DLL")) return std::puts("OMXWL.DLL not bound"), 2;
  TimeLibraryCalls();
  g_OmxLib.OMXWL_SetWLProfileDir("WuCostBench");
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  Application.Initialize();
  FormRes = new TFormRes(nullptr);
  {
    CNICAdapter adapter(nullptr, 0, BenchDevice());
    SurveyFill(adapter, rounds);
    StatusSample(adapter, rounds * 10);
  }
  delete FormRes;
  g_OmxLib.Unbind();
  DeleteFileA(world.c_str());
  return 0;
}
