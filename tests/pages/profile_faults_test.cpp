// The profile store under a library that refuses or crashes: each library
// call of add, edit, rename, delete, import, export and the load that
// rewrites the stored order fails (and then crashes) once, one call at a
// time. Afterwards the library, the stored order and the list on screen
// agree, and no profile stored before is gone (a rename may leave the old
// or the new name). Also the import's own rules: names that differ only in
// letter case, the reserved name, and a record stored under another name.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "pages/station/Uframeprofile.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// Calls into the library from the test, under its lock.
template <class F>
auto WithLibrary(F f) {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CLibraryGuard lib(stop, nullptr);
  auto result = f(static_cast<bool>(lib));
  lib.Release();
  CloseHandle(stop);
  return result;
}

std::vector<std::string> LibraryNames() {
  return WithLibrary([](bool locked) {
    std::vector<std::string> names;
    for (int i = 0; locked && i < 256; ++i) {
      char b[256] = {};
      if (g_OmxLib.OMXWL_EnumWLProfiles(i, b) != 1) break;
      names.push_back(FieldText(b, sizeof b));
    }
    return names;
  });
}

// The world of the test with one knob at a time. A marker knob on a call
// that nothing here uses tells when the library has read the file.
class FaultWorld {
 public:
  explicit FaultWorld(MainWindowEnv& env) : path_(dir_ / "faults.world") {
    Write("");
    SetEnvironmentVariableA("OMXWL_WORLD", path_.c_str());
    env.Rebind();
  }
  bool Set(const std::string& knob) {
    Write(knob.empty() ? "" : "[Faults]\r\n" + knob + "=1\r\nFail.GetWLANDomain=1\r\n");
    return WaitUntil([&] { return Marked() == !knob.empty(); }, kGenerous);
  }

 private:
  static bool Marked() {
    return WithLibrary([](bool locked) {
      char domain[64] = {};
      return locked && g_OmxLib.OMXWL_GetWLANDomain(domain) != 1;
    });
  }
  void Write(const std::string& faults) {
    WriteText(path_, "; generation " + std::to_string(++generation_) +
                         "\r\n[Adapter Ombrix USB]\r\nHardwareId=USB\\VID_1D4F&PID_0A71\r\n"
                         "Instance=OMX0001\r\nDescription=Ombrix Test Adapter\r\n"
                         "MAC=00:1D:4F:6A:21:07\r\n" +
                         std::string(kOpenNetwork) + faults);
  }
  TempDir dir_;
  std::string path_;
  int generation_ = 0;
};

struct Bench {
  Bench() : world(env), host(nullptr, "FormHost") {
    adapter = std::make_unique<CNICAdapter>(nullptr, 0, TestDevice());
    page = new TFrameProfile(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(adapter.get(), kAttach, kModeStation);
    page->OnFileDialog = [this](bool, std::string& path) {
      path = Answer;
      return !Answer.empty();
    };
    // Every message box is answered with OK, its text kept. The timer may
    // fire once more after the bench is gone: it holds only what it shares.
    Every(20, [boxes = boxes_] {
      if (boxes->Done) return true;
      if (auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm())) {
        boxes->Texts.push_back(box->LbMsg->Caption());
        box->BtnOk->Click();
      }
      return boxes->Done;
    });
  }
  ~Bench() {
    boxes_->Done = true;
    page->AttachAdapter(adapter.get(), kDetach, kModeStation);
    page->DonePage();
  }

  // The adapter object made afresh, as at the next start: the list is read
  // and the order rewritten.
  void Reload() {
    page->AttachAdapter(adapter.get(), kDetach, kModeStation);
    adapter.reset();
    adapter = std::make_unique<CNICAdapter>(nullptr, 0, TestDevice());
    page->AttachAdapter(adapter.get(), kAttach, kModeStation);
  }
  std::vector<std::string> ListNames() const { return Names(adapter->ProfList); }
  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (int i = 0; i < page->LvProf->RowCount(); ++i)
      out.push_back(page->LvProf->Row(i)->SubItem(0));
    return out;
  }
  std::vector<std::string> StoredOrder() const {
    std::vector<std::string> out;
    const int n = adapter->ReadSet("ProfCount", 0);
    for (int i = 0; i < n; ++i) out.push_back(adapter->ReadSet("Prof" + std::to_string(i), ""));
    return out;
  }
  bool Select(const std::string& name) {
    for (int i = 0; i < page->LvProf->RowCount(); ++i)
      if (page->LvProf->Row(i)->SubItem(0) == name) {
        page->LvProf->ClearSelection();
        page->LvProf->SelectRow(i);
        return true;
      }
    return false;
  }
  // The wizard's save of an edit: Edit on the row, a change, Save, the
  // wizard closed again.
  bool Edit(const std::string& name, const std::function<void(WLProfile&)>& change) {
    if (!Select(name)) return false;
    page->BtnEditClick();
    change(g_GlobalVar.WorkProfile);
    const bool saved = page->SaveProfile(kProfEditMode);
    page->EnterPage(nullptr, kModeStation, 0);
    return saved;
  }
  bool Add(const std::string& name) {
    g_GlobalVar.WorkProfile = adapter->DefProf;
    SetField(g_GlobalVar.WorkProfile.ProfileName, name);
    SetField(g_GlobalVar.WorkProfile.Ssid1, "TestOpen");
    return page->SaveProfile(0);
  }

  MainWindowEnv env;
  FaultWorld world;
  TempDir files;
  TForm host;
  std::unique_ptr<CNICAdapter> adapter;
  TFrameProfile* page = nullptr;
  std::string Answer;
  std::vector<std::string>& Boxes() { return boxes_->Texts; }

 private:
  struct BoxTexts {
    bool Done = false;
    std::vector<std::string> Texts;
  };
  std::shared_ptr<BoxTexts> boxes_ = std::make_shared<BoxTexts>();
};

struct Operation {
  const char* Name;
  std::vector<const char*> Calls;
  std::function<void(Bench&, int step)> Run;
};

TEST(ProfileFaults,
     EveryStoreCallFailingOrCrashingLeavesLibraryOrderAndListAgreeingAndLosesNothing) {
  Bench b;
  ASSERT_TRUE(b.env.Bound());
  ASSERT_EQ(b.ListNames(), std::vector<std::string>{"Default"});
  for (const char* n : {"Home", "Office", "Cafe", "Guest"}) ASSERT_TRUE(b.Add(n));
  const std::string all = b.files / "all.wlprof";
  b.Answer = all;
  b.page->MenuItExportAllClick();
  ASSERT_TRUE(FileExists(all));
  ASSERT_TRUE(b.adapter->DeleteProfile(kStationList, "Guest"));
  b.page->AttachAdapter(b.adapter.get(), kDetach, kModeStation);
  b.page->AttachAdapter(b.adapter.get(), kAttach, kModeStation);

  std::string renamedFrom, renamedTo, deleted;
  const std::vector<Operation> ops = {
      {"add", {"SetWLProfile"}, [](Bench& b, int i) { b.Add("New" + std::to_string(i)); }},
      {"edit",
       {"SetWLProfile"},
       [](Bench& b, int i) {
         b.Edit("Home", [i](WLProfile& p) { SetField(p.Ssid1, "Edited" + std::to_string(i)); });
       }},
      {"rename",
       {"SetWLProfile", "DeleteWLProfile"},
       [&](Bench& b, int i) {
         renamedFrom = b.ListNames().back();
         renamedTo = "Moved" + std::to_string(i);
         b.Edit(renamedFrom, [&](WLProfile& p) { SetField(p.ProfileName, renamedTo); });
       }},
      {"delete",
       {"DeleteWLProfile", "GetWLProfile"},
       [&](Bench& b, int) {
         deleted = b.ListNames().back();
         if (b.Select(deleted)) b.page->BtnDeleteClick();
       }},
      {"import",
       {"EnumWLProfiles", "RegImportProfile", "GetWLProfile", "SetWLProfile", "DeleteWLProfile"},
       [&](Bench& b, int) {
         b.Answer = all;
         b.page->MenuItImportClick();
       }},
      {"export",
       {"EnumWLProfiles", "RegExportProfile"},
       [](Bench& b, int i) {
         b.Answer = b.files / ("one" + std::to_string(i) + ".wlprof");
         if (b.Select("Home")) b.page->MenuItExportClick();
         b.page->MenuItExportAllClick();
       }},
      {"reorder", {"EnumWLProfiles", "GetWLProfile", "SetWLProfile"}, [](Bench& b, int) {
         b.Reload();
       }}};

  int step = 0;
  for (const Operation& op : ops) {
    for (const char* call : op.Calls) {
      for (const char* how : {"Fail.", "Crash."}) {
        const std::string knob = std::string(how) + call;
        SCOPED_TRACE(std::string(op.Name) + " with " + knob);
        const std::vector<std::string> before = LibraryNames();
        const std::vector<std::string> orderBefore = b.StoredOrder();
        renamedFrom.clear();
        deleted.clear();
        ASSERT_TRUE(b.world.Set(knob));
        b.Boxes().clear();
        op.Run(b, ++step);
        ASSERT_TRUE(b.world.Set(""));

        const std::vector<std::string> after = LibraryNames();
        for (const std::string& name : before)
          EXPECT_TRUE(Has(after, name) || (name == renamedFrom && Has(after, renamedTo)) ||
                      name == deleted)
              << name << " was lost";
        // A list the library could not read shows whole at the next load,
        // in the order it had.
        const bool readFault =
            std::string(call) == "EnumWLProfiles" || std::string(call) == "GetWLProfile";
        if (readFault && Sorted(after) != Sorted(b.ListNames())) {
          b.Reload();
          if (std::string(op.Name) == "reorder") {
            EXPECT_EQ(b.StoredOrder(), orderBefore) << "a failed load keeps the order";
          }
        }
        EXPECT_EQ(Sorted(after), Sorted(b.ListNames())) << "library and list";
        EXPECT_EQ(b.StoredOrder(), b.ListNames()) << "stored order and list";
        EXPECT_EQ(Sorted(b.Rows()), Sorted(b.ListNames())) << "screen and list";
        // A refusal the user caused is explained.
        if (std::string(op.Name) == "delete" && after == before) {
          EXPECT_TRUE(std::any_of(b.Boxes().begin(), b.Boxes().end(), [](const std::string& t) {
            return t.find("could not be removed") != std::string::npos;
          }));
        }
      }
    }
  }
}

TEST(ProfileFaults, ImportFoldsLetterCaseDropsTheReservedNameAndNamesRecordsAsStored) {
  Bench b;
  ASSERT_TRUE(b.env.Bound());
  ASSERT_TRUE(b.Add("Home"));
  ASSERT_TRUE(b.Add("Office"));

  // A file as another program might write it: "home" beside "Home", the
  // working profile's reserved name, and a record whose own name is not
  // the one it is stored under.
  auto stored = [](const char* key, const char* own, const char* ssid) {
    WLProfile p{};
    SetField(p.ProfileName, own);
    SetField(p.Ssid1, ssid);
    return WithLibrary(
        [&](bool locked) { return locked && g_OmxLib.OMXWL_SetWLProfile(key, &p) == 1; });
  };
  const std::string file = b.files / "odd.wlprof";
  {
    // Made in a store of its own, then exported.
    ASSERT_TRUE(WithLibrary([](bool locked) {
      return locked &&
             g_OmxLib.OMXWL_SetWLProfileDir(
                 (std::string("WuOdd") + std::to_string(GetCurrentProcessId())).c_str()) == 1;
    }));
    ASSERT_TRUE(stored("home", "home", "NewHomeNet"));
    ASSERT_TRUE(stored("(EditingProfile)", "(EditingProfile)", "Work"));
    ASSERT_TRUE(stored("Cafe", "Bistro", "CafeNet"));
    ASSERT_EQ(WithLibrary([&](bool locked) {
                return locked ? g_OmxLib.OMXWL_RegExportProfile("", file.c_str()) : 0;
              }),
              3);
    for (const char* n : {"home", "(EditingProfile)", "Cafe"})
      WithLibrary([n](bool locked) { return locked && g_OmxLib.OMXWL_DeleteWLProfile(n); });
    WithLibrary([&](bool locked) {
      return locked && g_OmxLib.OMXWL_SetWLProfileDir(b.env.Root().c_str()) == 1;
    });
  }

  b.Answer = file;
  b.page->MenuItImportClick();
  ASSERT_FALSE(b.Boxes().empty());
  EXPECT_EQ(b.Boxes().back(),
            "Not every profile of odd.wlprof could be imported. The profiles that were there are "
            "kept.");
  // "home" replaced "Home" under its name; the reserved name was not taken;
  // "Cafe" is known by the name it is stored under.
  EXPECT_EQ(Sorted(LibraryNames()),
            (std::vector<std::string>{"Cafe", "Default", "Home", "Office"}));
  EXPECT_EQ(Sorted(b.Rows()), Sorted(LibraryNames()));
  EXPECT_EQ(b.StoredOrder(), b.ListNames());
  const auto home =
      std::find_if(b.adapter->ProfList.begin(), b.adapter->ProfList.end(),
                   [](const WLProfile& p) { return FieldText(p.ProfileName) == "Home"; });
  ASSERT_NE(home, b.adapter->ProfList.end());
  EXPECT_EQ(FieldText(home->Ssid1), "NewHomeNet");
  // Every row can be deleted again.
  for (const char* n : {"Cafe", "Home"})
    EXPECT_TRUE(b.adapter->DeleteProfile(kStationList, n)) << n;
  EXPECT_EQ(Sorted(LibraryNames()), (std::vector<std::string>{"Default", "Office"}));
}

}  // namespace
