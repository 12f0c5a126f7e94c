// The profile list store. The library keeps the profiles by name; the
// adapter keeps the lists in memory and their order in its registry key.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"

namespace {

// A library that never ends its enumeration, or a stored count gone wild,
// must not keep the user interface thread busy forever.
constexpr int32_t kMaxProfiles = 4096;

// The name the library keeps the record under (store text).
std::string NameOf(const WLProfile& p) {
  return FieldText(p.ProfileName);
}

// The record's name as the program's text (UTF-8): the registry's order and
// every caller speak this.
std::string TextOf(const WLProfile& p) {
  return ProfileNameText(p);
}

const char* CountValue(int kind) {
  return kind == kAPList ? "APProfCount" : "ProfCount";
}

std::string ItemValue(int kind, size_t index) {
  char text[32];
  snprintf(text, sizeof text, kind == kAPList ? "APProf%u" : "Prof%u",
           static_cast<unsigned>(index));
  return text;
}

// The profile of exactly this name, else the first one that differs from it
// only in letter case: with "Home" and "home" both stored, "home" is "home".
int FindByName(const std::vector<WLProfile>& list, const std::string& name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (TextOf(list[i]) == name) return static_cast<int>(i);
  for (size_t i = 0; i < list.size(); ++i)
    if (SameName(TextOf(list[i]), name)) return static_cast<int>(i);
  return -1;
}

// The library holds a record of exactly this store name (lock held).
bool LibraryHas(const std::string& storeName) {
  WLProfile probe{};
  return g_OmxLib.OMXWL_GetWLProfile(storeName.c_str(), &probe) == 1;
}

// A name the library can keep: 1 to 64 characters, and not the name of the
// working profile that is applied without being stored.
bool ValidStoreName(const std::string& name) {
  if (!name.empty() && name != kEditingProfile) return true;
  LogWrite("Profile name \"%s\" cannot be stored", EscapeControls(FromCodePage(name)).c_str());
  return false;
}

// The name field always carries its terminator when it leaves the store.
WLProfile WithTerminatedName(const WLProfile& record) {
  WLProfile copy = record;
  SetField(copy.ProfileName, NameOf(record));
  return copy;
}

}  // namespace

bool CNICAdapter::ReadProfileList(int kind, std::vector<WLProfile>& list) {
  LogWrite("CNICAdapter::ReadProfileList()");
  std::vector<WLProfile> scratch;
  int32_t listed = 0, unreadable = 0;
  CLibraryGuard lib(StopEvent, this);
  if (!lib) return false;
  const WLProfile& templ = kind == kAPList ? DefAPProf : DefProf;
  // The record listed as text, as the program keeps it; false when the
  // library cannot read it.
  auto readRecord = [&](const std::string& text, WLProfile& record) {
    // Fields the library does not fill keep the template's values.
    record = templ;
    if (g_OmxLib.OMXWL_GetWLProfile(text.c_str(), &record) != 1) return false;
    if (kind != kStationList) return true;
    // The program knows a profile by the name the library keeps it under:
    // a record carrying another name could be neither changed nor deleted.
    if (NameOf(record) != text && text.size() < sizeof record.ProfileName) {
      LogWrite("ReadProfileList: %s is stored as %s",
               EscapeControls(ProfileNameText(record)).c_str(),
               EscapeControls(FromCodePage(text)).c_str());
      SetField(record.ProfileName, text);
    }
    record = WithTerminatedName(record);
    SetField(record.NetInfo.NI_sz_CurProfile, NameOf(record));
    return true;
  };
  for (int32_t index = 0; index < kMaxProfiles; ++index) {
    char name[256] = {};
    if (g_OmxLib.OMXWL_EnumWLProfiles(index, name) != 1) break;
    ++listed;
    WLProfile record;
    if (!readRecord(FieldText(name, sizeof name), record)) {
      ++unreadable;
      continue;
    }
    if (kind != kStationList) continue;
    scratch.push_back(record);
  }
  lib.Release();

  const int32_t stored = std::clamp(ReadSet(CountValue(kind), 0), 0, kMaxProfiles);
  int32_t named = 0;
  std::vector<std::pair<size_t, std::string>> unlisted;  // place in list, store name
  for (int32_t i = 0; i < stored; ++i) {
    const std::string name = ReadSet(ItemValue(kind, i), "");
    if (!name.empty()) ++named;
    int found = FindByName(scratch, name);
    if (found < 0) {
      std::string storeName;
      if (kind == kStationList && !name.empty() && ToStore(name, storeName))
        unlisted.emplace_back(list.size(), storeName);
      continue;
    }
    list.push_back(scratch[found]);
    scratch.erase(scratch.begin() + found);
  }
  // A name of the order the library did not list may still be stored: an
  // enumeration that stopped early (refused or faulted past the first
  // index) is only part of the store. Such a record keeps its place.
  int32_t hidden = 0;
  if (!unlisted.empty() && listed > 0) {
    CLibraryGuard again(StopEvent, this);
    if (!again) return false;
    for (auto it = unlisted.rbegin(); it != unlisted.rend(); ++it) {
      WLProfile record;
      if (!LibraryHas(it->second) || !readRecord(it->second, record)) continue;
      list.insert(list.begin() + static_cast<ptrdiff_t>(it->first), record);
      ++hidden;
    }
  }
  // Profiles added behind the program's back follow in library order.
  list.insert(list.end(), scratch.begin(), scratch.end());

  if (hidden > 0) {
    LogWrite(
        "ReadProfileList: the library listed %d profiles but holds %d more of the stored "
        "order; the list is partial, order kept",
        static_cast<int>(listed), static_cast<int>(hidden));
    return false;
  }
  // A library that lists nothing while the order names profiles, or that
  // cannot read what it lists, is failing for the moment: the profiles are
  // likely still there, and so is their order.
  if (unreadable > 0 || (listed == 0 && named > 0)) {
    LogWrite("ReadProfileList: %d of %d profiles read, %d named in the stored order; order kept",
             static_cast<int>(listed - unreadable), static_cast<int>(listed),
             static_cast<int>(named));
    return false;
  }
  WriteSet(CountValue(kind), static_cast<int32_t>(list.size()));
  for (size_t i = 0; i < list.size(); ++i) WriteSet(ItemValue(kind, i), TextOf(list[i]));
  for (int32_t i = static_cast<int32_t>(list.size()); i < stored; ++i)
    SetDeleteKey(ItemValue(kind, i));
  return true;
}

void CNICAdapter::GetProfileList(int kind, std::vector<WLProfile>& out) const {
  LogWrite("CNICAdapter::GetProfileList()");
  const std::vector<WLProfile>& list = ListOf(kind);
  out.insert(out.end(), list.begin(), list.end());
}

bool CNICAdapter::AddProfile(const WLProfile& record) {
  LogWrite("CNICAdapter::AddProfile()");
  const WLProfile copy = WithTerminatedName(record);
  const std::string name = TextOf(copy);
  if (IsProfileExist(name)) return UpdateProfile(copy, name);
  if (!ValidStoreName(NameOf(copy))) return false;

  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return false;
    // Not in the list but held by the library (a list read in part): a
    // new record would silently replace one the user cannot see.
    if (LibraryHas(NameOf(copy))) {
      LogWrite("AddProfile: %s is stored but not listed; not replaced",
               EscapeControls(name).c_str());
      return false;
    }
    if (!StoreRecord(NameOf(copy), copy)) return false;
  }

  ProfList.push_back(copy);
  WriteSet("ProfCount", static_cast<int32_t>(ProfList.size()));
  WriteSet(ItemValue(kStationList, ProfList.size() - 1), name);
  PostNotify(kNotifyProfiles, 0);
  return true;
}

bool CNICAdapter::UpdateProfile(const WLProfile& record, const std::string& oldName) {
  LogWrite("CNICAdapter::UpdateProfile()");
  const int pos = FindByName(ProfList, oldName);
  if (pos < 0) return false;
  const WLProfile copy = WithTerminatedName(record);
  const std::string text = TextOf(copy);
  const std::string name = NameOf(copy);
  // The library's own (case-sensitive) name of the profile being replaced.
  const std::string stored = NameOf(ProfList[pos]);
  const std::string storedText = TextOf(ProfList[pos]);
  if (!ValidStoreName(name)) return false;
  const int other = FindByName(ProfList, text);
  if (other >= 0 && other != pos) {
    LogWrite("UpdateProfile: %s would replace another profile", EscapeControls(text).c_str());
    return false;
  }

  bool oldKept = false;
  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return false;
    // A new name the list does not show may still be stored (a list read
    // in part): that record is not replaced.
    if (name != stored && other < 0 && LibraryHas(name)) {
      LogWrite("UpdateProfile: %s is stored but not listed; not replaced",
               EscapeControls(text).c_str());
      return false;
    }
    // The new record first: until the library has it, the old one stays.
    if (!StoreRecord(name, copy)) return false;
    if (name != stored && !RemoveRecord(stored)) {
      // Both are stored now; both are listed, so neither is lost from view.
      LogWrite("UpdateProfile: %s could not be removed and is kept",
               EscapeControls(storedText).c_str());
      oldKept = true;
    }
  }

  const WLProfile old = ProfList[pos];
  ProfList[pos] = copy;
  WriteSet(ItemValue(kStationList, pos), text);
  if (oldKept) {
    ProfList.push_back(old);
    WriteSet("ProfCount", static_cast<int32_t>(ProfList.size()));
    WriteSet(ItemValue(kStationList, ProfList.size() - 1), storedText);
  }
  PostNotify(kNotifyProfiles, 0);
  return true;
}

bool CNICAdapter::DeleteProfile(int kind, const std::string& name) {
  LogWrite("CNICAdapter::DeleteProfile()");
  std::vector<WLProfile>& list = ListOf(kind);
  const int pos = FindByName(list, name);
  if (pos < 0) return false;
  const std::string stored = NameOf(list[pos]);

  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return false;
    if (!RemoveRecord(stored)) return false;
  }

  list.erase(list.begin() + pos);
  const size_t m = list.size();
  SetDeleteKey(ItemValue(kind, m));
  WriteSet(CountValue(kind), static_cast<int32_t>(m));
  for (size_t i = pos; i < m; ++i) WriteSet(ItemValue(kind, i), TextOf(list[i]));
  PostNotify(kNotifyProfiles, kind == kAPList ? kNotifyAPSide : 0);
  return true;
}

bool CNICAdapter::StoreRecord(const std::string& name, const WLProfile& record) {
  LogWrite("call OMXWL_SetWLProfile");
  const int32_t r = g_OmxLib.OMXWL_SetWLProfile(name.c_str(), &record);
  LogWrite("call OMXWL_SetWLProfile end %d", static_cast<int>(r));
  return r == 1;
}

bool CNICAdapter::RemoveRecord(const std::string& name) {
  LogWrite("call OMXWL_DeleteWLProfile");
  const int32_t r = g_OmxLib.OMXWL_DeleteWLProfile(name.c_str());
  LogWrite("call OMXWL_DeleteWLProfile end %d", static_cast<int>(r));
  if (r == 1) return true;
  // A refusal for a profile the library no longer has is no refusal: the
  // row would otherwise stay for ever.
  return !LibraryHas(name);
}

bool CNICAdapter::StoredProfileExists(const std::string& name) {
  // A name the store cannot hold cannot be stored under.
  std::string store;
  if (!ToStore(name, store)) return false;
  CLibraryGuard lib(StopEvent, this);
  if (!lib) return true;
  return LibraryHas(store);
}

bool CNICAdapter::IsProfileExist(const std::string& name) const {
  return FindByName(ProfList, name) >= 0 || FindByName(APProfList, name) >= 0;
}

std::string CNICAdapter::GetLastProfName(int kind) const {
  const std::string last = ReadSet(kind == kAPList ? "LastAPProf" : "LastProf", "");
  if (last.empty() || FindByName(ListOf(kind), last) < 0) return std::string();
  return last;
}

void CNICAdapter::GetLastApplyProf(WLProfile& out) const {
  if (!g_GlobalVar.ProfFromIniFileChecked("LastApplyProf", out)) out = DefProf;
}
