// Profile files, and the adapter's operations built on them: export,
// import with a fresh station list, and dropping the link.
#include "adapter/Uprofilefile.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"

namespace {

// A library that never ends its enumeration must not hold the caller.
constexpr int32_t kMaxProfiles = 4096;

}  // namespace

namespace profilefile {

std::string StoredName(const std::string& name, HANDLE stopEvent, CThread* thread) {
  if (name.empty()) return std::string();
  CLibraryGuard lib(stopEvent, thread);
  if (!lib) return std::string();
  std::string folded;
  for (int32_t index = 0; index < kMaxProfiles; ++index) {
    char buffer[256] = {};
    if (g_OmxLib.OMXWL_EnumWLProfiles(index, buffer) != 1) break;
    const std::string stored = FromCodePage(FieldText(buffer, sizeof buffer));
    if (stored == name) return stored;
    if (folded.empty() && SameName(stored, name)) folded = stored;
  }
  return folded;
}

int32_t Export(const std::string& storedName, const std::string& path, HANDLE stopEvent,
               CThread* thread) {
  std::string storeName, storePath;
  if (!ToStore(storedName, storeName) || !ToStore(path, storePath)) {
    LogWrite("Export: name or path not in the system code page");
    return 0;
  }
  CLibraryGuard lib(stopEvent, thread);
  if (!lib) return 0;
  LogWrite("call OMXWL_RegExportProfile");
  const int32_t n = g_OmxLib.OMXWL_RegExportProfile(storeName.c_str(), storePath.c_str());
  LogWrite("call OMXWL_RegExportProfile end %d", static_cast<int>(n));
  return n > 0 ? n : 0;
}

namespace {

std::vector<std::string> StoredNames() {
  std::vector<std::string> names;
  for (int32_t index = 0; index < kMaxProfiles; ++index) {
    char buffer[256] = {};
    if (g_OmxLib.OMXWL_EnumWLProfiles(index, buffer) != 1) break;
    names.push_back(FieldText(buffer, sizeof buffer));
  }
  return names;
}

// A bucket for names that may be the same but for letter case: ASCII letters
// folded, every other character (and the letters some other character folds
// to) as one mark. SameName decides within a bucket.
std::wstring CaseBucket(const std::string& storeName) {
  std::wstring key = Wide(FromCodePage(storeName));
  for (wchar_t& c : key) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c >= 0x80 || c == L'I' || c == L'K' || c == L'S') c = L'?';
  }
  return key;
}

// Names already met, found by exact name or by name in another letter case
// without walking them all.
class NameIndex {
 public:
  explicit NameIndex(const std::vector<std::string>& names) {
    for (const std::string& n : names) Add(n);
  }
  void Add(const std::string& name) {
    if (exact_.insert(name).second) buckets_[CaseBucket(name)].push_back(name);
  }
  bool Has(const std::string& name) const { return exact_.count(name) != 0; }
  // The first name met that is name itself, else one that differs from it
  // only in letter case; null when none.
  const std::string* Same(const std::string& name) const {
    const auto bucket = buckets_.find(CaseBucket(name));
    if (bucket == buckets_.end()) return nullptr;
    for (const std::string& k : bucket->second)
      if (k == name) return &k;
    const std::string text = FromCodePage(name);
    for (const std::string& k : bucket->second)
      if (SameName(FromCodePage(k), text)) return &k;
    return nullptr;
  }

 private:
  std::unordered_set<std::string> exact_;
  std::unordered_map<std::wstring, std::vector<std::string>> buckets_;
};

// The most records a file of this size can hold: every record travels whole.
uint64_t RecordsAtMost(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return size / sizeof(WLProfile);
}

// Stores the record of name `from` under `to`, carrying that name itself;
// when to differs from from, the record under from is removed. True when
// the library took it.
bool Restore(const std::string& from, const std::string& to) {
  WLProfile record{};
  if (g_OmxLib.OMXWL_GetWLProfile(from.c_str(), &record) != 1) return false;
  if (FieldText(record.ProfileName) == to && from == to) return true;
  SetField(record.ProfileName, to);
  SetField(record.NetInfo.NI_sz_CurProfile, to);
  if (g_OmxLib.OMXWL_SetWLProfile(to.c_str(), &record) != 1) return false;
  return from == to || g_OmxLib.OMXWL_DeleteWLProfile(from.c_str()) == 1;
}

}  // namespace

int32_t Import(const std::string& path, HANDLE stopEvent, CThread* thread, int32_t* refused) {
  if (refused) *refused = 0;
  std::string storePath;
  if (!ToStore(path, storePath)) {
    LogWrite("Import: path not in the system code page");
    return 0;
  }
  CLibraryGuard lib(stopEvent, thread);
  if (!lib) return 0;
  const std::vector<std::string> before = StoredNames();
  // The library holds at most kMaxProfiles: a merge that may pass that is
  // refused before the store is touched, as a store past it is lost whole.
  const uint64_t incoming = RecordsAtMost(path);
  if (before.size() + incoming > static_cast<uint64_t>(kMaxProfiles)) {
    LogWrite(
        "Import: the store holds %u profiles and the file up to %u; more than %d are "
        "never stored, nothing imported",
        static_cast<unsigned>(before.size()), static_cast<unsigned>(incoming),
        static_cast<int>(kMaxProfiles));
    return 0;
  }
  LogWrite("call OMXWL_RegImportProfile");
  const int32_t n = g_OmxLib.OMXWL_RegImportProfile(storePath.c_str());
  LogWrite("call OMXWL_RegImportProfile end %d", static_cast<int>(n));
  if (n <= 0) return 0;

  // The library takes any name as it comes; the program knows a profile by
  // its name without regard to case, never stores the working profile's
  // name, and needs the record to carry the name it is stored under.
  const NameIndex old(before);
  NameIndex kept(before);
  int32_t dropped = 0, merged = 0;
  std::unordered_set<std::string> taken;  // names this import gave a record
  for (const std::string& name : StoredNames()) {
    const bool added = !old.Has(name);
    if (name == kEditingProfile) {
      if (!added) continue;
      if (g_OmxLib.OMXWL_DeleteWLProfile(name.c_str()) != 1)
        LogWrite("Import: %s could not be removed", FromCodePage(name).c_str());
      LogWrite("Import: %s is reserved and not imported", FromCodePage(name).c_str());
      ++dropped;
      continue;
    }
    const std::string* same = added ? kept.Same(name) : nullptr;
    if (same) {
      // "home" from the file replaces "Home", under the name it had; the
      // later record wins, as the library's own replacing does. Two such
      // names from the one file are one profile.
      const std::string target = *same;
      if (!taken.insert(target).second) ++merged;
      if (!Restore(name, target)) {
        LogWrite("Import: %s could not replace %s", FromCodePage(name).c_str(),
                 FromCodePage(target).c_str());
        g_OmxLib.OMXWL_DeleteWLProfile(name.c_str());
        ++dropped;
      }
      continue;
    }
    if (added) {
      kept.Add(name);
      taken.insert(name);
    }
    WLProfile record{};
    if (g_OmxLib.OMXWL_GetWLProfile(name.c_str(), &record) == 1 &&
        FieldText(record.ProfileName) != name && !Restore(name, name)) {
      // Listed under its stored name all the same (ReadProfileList).
      LogWrite("Import: %s could not take its stored name", FromCodePage(name).c_str());
      if (added) ++dropped;
    }
  }
  if (refused) *refused = dropped;
  return n - merged;
}

}  // namespace profilefile

std::string CNICAdapter::StoredProfileName(const std::string& name) {
  return profilefile::StoredName(name, StopEvent, this);
}

int32_t CNICAdapter::ExportProfiles(const std::string& storedName, const std::string& path) {
  LogWrite("CNICAdapter::ExportProfiles()");
  return profilefile::Export(storedName, path, StopEvent, this);
}

int32_t CNICAdapter::ImportProfiles(const std::string& path, int32_t* refused) {
  LogWrite("CNICAdapter::ImportProfiles()");
  int32_t dropped = 0;
  const int32_t n = profilefile::Import(path, StopEvent, this, &dropped);
  if (refused) *refused = dropped;
  if (n == 0) return 0;
  // The stored order keeps its names; the new ones follow at the end.
  std::vector<WLProfile> fresh;
  if (!ReadProfileList(kStationList, fresh)) {
    // What could not be read back stays listed as it was, so nothing
    // vanishes from view; the import is reported as partial.
    // The library's names are exact: "home" read back does not stand for
    // "Home" that was not.
    for (const WLProfile& old : ProfList) {
      const std::string name = ProfileNameText(old);
      if (std::none_of(fresh.begin(), fresh.end(),
                       [&name](const WLProfile& p) { return ProfileNameText(p) == name; }))
        fresh.push_back(old);
    }
    if (refused && *refused == 0) *refused = 1;
  }
  ProfList.swap(fresh);
  PostNotify(kNotifyProfiles, 0);
  return n;
}

void CNICAdapter::Disconnect() {
  FuncList.Add({this, &CNICAdapter::DoDisconnect});
  SetEvent(FuncEvent);
}

void CNICAdapter::DoDisconnect() {
  LogWrite("CNICAdapter::DoDisconnect()");
  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return;
    LogWrite("call OMXWL_Disconnect");
    const int32_t r = g_OmxLib.OMXWL_Disconnect();
    LogWrite("call OMXWL_Disconnect end %d", static_cast<int>(r));
  }
  // A sample at once, so the window shows the drop without waiting.
  CollectStatus();
  LogWrite("CNICAdapter::DoDisconnect() end");
}
