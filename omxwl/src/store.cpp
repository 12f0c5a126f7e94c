#include "store.h"

#include <shlobj.h>
#include <windows.h>

#include <cstring>

#include "debug.h"
#include "library.h"
#include "text.h"

namespace omx {
namespace {

constexpr char kMagic[8] = {'O', 'M', 'X', 'W', 'L', 'P', 'R', 'F'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxProfiles = 4096;
constexpr uint32_t kMaxStoreBytes = 64u << 20;
const char kStoreName[] = "WLProfiles.dat";
const char kTempName[] = "WLProfiles.tmp";

uint32_t Crc32(const uint8_t* p, size_t n) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    ready = true;
  }
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::vector<uint8_t> Serialize(const std::vector<StoredProfile>& list) {
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  Put32(&out, kVersion);
  Put32(&out, static_cast<uint32_t>(list.size()));
  Put32(&out, sizeof(WLProfile));
  for (const StoredProfile& p : list) {
    out.push_back(static_cast<uint8_t>(p.name.size()));
    out.insert(out.end(), p.name.begin(), p.name.end());
    const auto* rec = reinterpret_cast<const uint8_t*>(&p.record);
    out.insert(out.end(), rec, rec + sizeof(WLProfile));
  }
  Put32(&out, Crc32(out.data(), out.size()));
  return out;
}

StoreLoad Deserialize(const std::vector<uint8_t>& data, std::vector<StoredProfile>* list,
                      std::string* why) {
  const size_t header = sizeof kMagic + 12;
  if (data.size() < header + 4 || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0) {
    *why = "not a profile store";
    return StoreLoad::Corrupt;
  }
  uint32_t version = Get32(&data[8]);
  if (version > kVersion) {
    *why = Format("written by a newer library (version %u)", version);
    return StoreLoad::TooNew;
  }
  if (version == 0 || Get32(&data[16]) != sizeof(WLProfile)) {
    *why = "unknown record layout";
    return StoreLoad::Corrupt;
  }
  if (Crc32(data.data(), data.size() - 4) != Get32(&data[data.size() - 4])) {
    *why = "checksum mismatch";
    return StoreLoad::Corrupt;
  }
  uint32_t count = Get32(&data[12]);
  if (count > kMaxProfiles) {
    *why = "too many profiles";
    return StoreLoad::Corrupt;
  }
  size_t pos = header, end = data.size() - 4;
  uint32_t parsed = 0;
  list->clear();
  for (uint32_t i = 0; i < count; ++i) {
    if (pos >= end) break;
    size_t n = data[pos++];
    if (n == 0 || n > kMaxProfileName || end - pos < n + sizeof(WLProfile)) break;
    StoredProfile p;
    p.name.assign(reinterpret_cast<const char*>(&data[pos]), n);
    pos += n;
    std::memcpy(&p.record, &data[pos], sizeof(WLProfile));
    pos += sizeof(WLProfile);
    if (p.name.find('\0') != std::string::npos) break;
    ++parsed;
    bool duplicate = false;
    for (const StoredProfile& q : *list) duplicate = duplicate || q.name == p.name;
    if (duplicate)
      Trace("profile store holds \"%s\" twice; the first one counts", Escaped(p.name).c_str());
    else
      list->push_back(std::move(p));
  }
  if (pos != end || parsed != count) {
    *why = "malformed profile entries";
    list->clear();
    return StoreLoad::Corrupt;
  }
  return StoreLoad::Ok;
}

// Serialises read-modify-write of one store file across processes.
class StoreMutex {
 public:
  explicit StoreMutex(const std::string& file) {
    std::string key = Upper(file);
    std::string name = Format("Local\\OMXWL_ProfileStore_%08X",
                              Crc32(reinterpret_cast<const uint8_t*>(key.data()), key.size()));
    h_ = CreateMutexA(nullptr, FALSE, name.c_str());
    if (h_) {
      DWORD r = WaitForSingleObject(h_, 10000);
      held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
      if (!held_) Trace("profile store is busy in another process; going on without it");
    }
  }
  ~StoreMutex() {
    if (held_) ReleaseMutex(h_);
    if (h_) CloseHandle(h_);
  }
  StoreMutex(const StoreMutex&) = delete;
  StoreMutex& operator=(const StoreMutex&) = delete;

 private:
  HANDLE h_ = nullptr;
  bool held_ = false;
};

bool ValidName(const char* name, std::string* out) {
  bool cut = false;
  *out = InText(name, kMaxProfileName + 1, &cut);
  return name && !cut && !out->empty() && out->size() <= kMaxProfileName;
}

}  // namespace

bool ValidProfileRoot(const std::string& root) {
  if (root.empty() || root.size() > 100 || root == "." || root == "..") return false;
  for (char c : root)
    if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
  if (root.back() == '.' || root.back() == ' ') return false;
  std::string base = Upper(root.substr(0, root.find('.')));
  static const char* const reserved[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* r : reserved)
    if (base == r) return false;
  if (base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
      base[3] >= '1' && base[3] <= '9')
    return false;
  return true;
}

bool AppDataFolder(std::string* folder) {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetEnvironmentVariableA("APPDATA", buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) {
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, buf))) return false;
    n = static_cast<DWORD>(strnlen(buf, MAX_PATH));
  }
  std::string f(buf, n);
  while (!f.empty() && (f.back() == '\\' || f.back() == '/')) f.pop_back();
  if (f.empty()) return false;
  *folder = f;
  return true;
}

StoreLoad ReadStore(const std::string& file, std::vector<StoredProfile>* list, std::string* why) {
  list->clear();
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return StoreLoad::Missing;
    *why = Format("cannot open it (error %lu)", e);
    return StoreLoad::IoError;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    *why = Format("cannot size it (error %lu)", GetLastError());
    CloseHandle(h);
    return StoreLoad::IoError;
  }
  if (size.QuadPart > kMaxStoreBytes) {
    CloseHandle(h);
    *why = "larger than any profile store";
    return StoreLoad::Corrupt;
  }
  std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  bool ok =
      data.empty() || ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  DWORD e = GetLastError();
  CloseHandle(h);
  if (!ok) {
    *why = Format("cannot read it (error %lu)", e);
    return StoreLoad::IoError;
  }
  data.resize(got);
  return Deserialize(data, list, why);
}

bool WriteStore(const std::string& file, const std::string& temp,
                const std::vector<StoredProfile>& list, std::string* why) {
  std::vector<uint8_t> data = Serialize(list);
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *why = Format("cannot create %s (error %lu)", temp.c_str(), GetLastError());
    return false;
  }
  DWORD put = 0;
  bool ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr) &&
            put == data.size() && FlushFileBuffers(h);
  DWORD e = GetLastError();
  CloseHandle(h);
  if (ok && !MoveFileExA(temp.c_str(), file.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    e = GetLastError();
  }
  if (!ok) {
    DeleteFileA(temp.c_str());  // the old store stays as it was
    *why = Format("cannot write %s (error %lu)", file.c_str(), e);
  }
  return ok;
}

bool MoveStoreAside(const std::string& file, std::string* movedTo) {
  std::string stem = file;
  size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > stem.find_last_of('\\')) stem.resize(dot);
  for (int i = 0; i < 100; ++i) {
    std::string target = i == 0 ? stem + ".bad" : Format("%s.%d.bad", stem.c_str(), i);
    if (MoveFileExA(file.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      *movedTo = target;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return false;
}

// ---- the library's profile entry points ----

bool Library::StoreFile(std::string* file, std::string* dir) const {
  const std::string& root = dirRoot_.empty() ? initRoot_ : dirRoot_;
  std::string appData;
  if (root.empty() || !AppDataFolder(&appData)) return false;
  *dir = appData + "\\" + root;
  *file = *dir + "\\" + kStoreName;
  return true;
}

// Runs fn(list, changed) on the store's profiles; writes them back when fn
// says it changed them. A store that cannot be read is never overwritten:
// an unreadable one is moved aside first, a newer or locked one refuses
// writes.
template <class Fn>
int32_t Library::WithStore(bool write, Fn fn) {
  std::string file, dir, why;
  if (!StoreFile(&file, &dir)) {
    Trace("no profile folder: call OMXWL_Initial or OMXWL_SetWLProfileDir with a root first");
    return 0;
  }
  StoreMutex mutex(file);
  std::vector<StoredProfile> list;
  switch (ReadStore(file, &list, &why)) {
    case StoreLoad::Ok:
    case StoreLoad::Missing:
      break;
    case StoreLoad::Corrupt: {
      std::string moved;
      if (MoveStoreAside(file, &moved)) {
        Trace("profile store %s is unreadable (%s); kept as %s, starting empty", file.c_str(),
              why.c_str(), moved.c_str());
      } else {
        Trace("profile store %s is unreadable (%s) and cannot be moved aside", file.c_str(),
              why.c_str());
        if (write) return 0;
      }
      list.clear();
      break;
    }
    case StoreLoad::TooNew:
    case StoreLoad::IoError:
      Trace("profile store %s: %s", file.c_str(), why.c_str());
      if (write) return 0;
      list.clear();
      break;
  }
  bool changed = false;
  int32_t result = fn(list, changed);
  if (changed) {
    CreateDirectoryA(dir.c_str(), nullptr);
    if (!WriteStore(file, dir + "\\" + kTempName, list, &why)) {
      Trace("profile store: %s", why.c_str());
      return 0;
    }
  }
  return result;
}

int32_t Library::Initial(const char* root, int32_t flags) {
  bool cut = false;
  std::string r = InText(root, 256, &cut);
  Lock guard(this);
  initFlags_ = flags;
  Advance(GetTickCount());
  if (!root || cut || !ValidProfileRoot(r)) {
    Trace("Initial: \"%s\" cannot name a profile folder", r.c_str());
    return 0;
  }
  initRoot_ = r;
  return 1;
}

int32_t Library::SetWLProfileDir(const char* root) {
  bool cut = false;
  std::string r = InText(root, 256, &cut);
  if (!root || cut || !ValidProfileRoot(r)) {
    Trace("SetWLProfileDir: \"%s\" cannot name a profile folder", r.c_str());
    return 0;
  }
  Lock guard(this);
  dirRoot_ = r;
  return 1;
}

int32_t Library::GetWLProfile(const char* name, WLProfile* profile) {
  std::string n;
  if (!profile || !ValidName(name, &n)) return 0;
  Lock guard(this);
  return WithStore(false, [&](std::vector<StoredProfile>& list, bool&) -> int32_t {
    for (const StoredProfile& p : list)
      if (p.name == n) {
        std::memcpy(profile, &p.record, sizeof(WLProfile));
        return 1;
      }
    return 0;
  });
}

int32_t Library::SetWLProfile(const char* name, const WLProfile* profile) {
  std::string n;
  if (!profile || !ValidName(name, &n)) return 0;
  Lock guard(this);
  return WithStore(true, [&](std::vector<StoredProfile>& list, bool& changed) -> int32_t {
    changed = true;
    for (StoredProfile& p : list)
      if (p.name == n) {
        std::memcpy(&p.record, profile, sizeof(WLProfile));
        return 1;
      }
    StoredProfile p;
    p.name = n;
    std::memcpy(&p.record, profile, sizeof(WLProfile));
    list.push_back(std::move(p));
    return 1;
  });
}

int32_t Library::EnumWLProfiles(int32_t index, char* name) {
  if (!name || index < 0) return 0;
  Lock guard(this);
  return WithStore(false, [&](std::vector<StoredProfile>& list, bool&) -> int32_t {
    if (static_cast<size_t>(index) >= list.size()) return 0;
    const std::string& n = list[index].name;
    PutText(name, std::min<size_t>(256, n.size() + 1), n);
    return 1;
  });
}

int32_t Library::DeleteWLProfile(const char* name) {
  std::string n;
  if (!ValidName(name, &n)) return 0;
  Lock guard(this);
  return WithStore(true, [&](std::vector<StoredProfile>& list, bool& changed) -> int32_t {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].name == n) {
        list.erase(list.begin() + i);
        changed = true;
        return 1;
      }
    return 0;
  });
}

int32_t Library::RegExportProfile(const char* name, const char* path) {
  bool cut = false;
  std::string target = InText(path, MAX_PATH + 1, &cut);
  if (!path || cut || target.empty()) return 0;
  std::string n;
  bool all = !name || !name[0];
  if (!all && !ValidName(name, &n)) return 0;
  Lock guard(this);
  return WithStore(false, [&](std::vector<StoredProfile>& list, bool&) -> int32_t {
    std::vector<StoredProfile> chosen;
    for (const StoredProfile& p : list)
      if (all || p.name == n) chosen.push_back(p);
    std::string why;
    if (chosen.empty()) return 0;
    if (!WriteStore(target, target + ".tmp", chosen, &why)) {
      Trace("RegExportProfile: %s", why.c_str());
      return 0;
    }
    return static_cast<int32_t>(chosen.size());
  });
}

int32_t Library::RegImportProfile(const char* path) {
  bool cut = false;
  std::string source = InText(path, MAX_PATH + 1, &cut);
  if (!path || cut || source.empty()) return 0;
  std::vector<StoredProfile> incoming;
  std::string why;
  if (ReadStore(source, &incoming, &why) != StoreLoad::Ok) {
    Trace("RegImportProfile: %s is not a profile export (%s)", source.c_str(),
          why.empty() ? "missing" : why.c_str());
    return 0;
  }
  if (incoming.empty()) return 0;
  Lock guard(this);
  return WithStore(true, [&](std::vector<StoredProfile>& list, bool& changed) -> int32_t {
    for (const StoredProfile& in : incoming) {
      bool replaced = false;
      for (StoredProfile& p : list)
        if (p.name == in.name) {
          p.record = in.record;
          replaced = true;
        }
      if (!replaced) list.push_back(in);
    }
    changed = true;
    return static_cast<int32_t>(incoming.size());
  });
}

}  // namespace omx
