#include "config/Uinifile.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Uunicode.h"

namespace {

// No value can hold these bytes: the reader never returns a control
// character sequence like this from a text file line.
const char kAbsent[] = "\x01\x02\x03<absent>\x03\x02\x01";

// Upper bound for one read; far beyond any sane INI value, it only keeps a
// damaged file from making the reader grow without end.
constexpr DWORD kMaxRead = 16u << 20;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Calls GetPrivateProfileStringA with a buffer that grows until the result
// fits. listMode: the result is a double-zero-terminated list (section or
// key names), whose truncation the system reports as size - 2.
std::string ReadProfile(const char* section, const char* key, const char* def,
                        const std::string& path, bool listMode) {
  std::string buffer;
  DWORD size = 512;
  for (;;) {
    buffer.assign(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, path.c_str());
    const DWORD full = listMode ? size - 2 : size - 1;
    if (n < full || size >= kMaxRead) {
      if (n > size) n = size;
      buffer.resize(n);
      return buffer;
    }
    size *= 4;
  }
}

const char kBom[] = "\xEF\xBB\xBF";

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// One line of an INI text as the reader sees it.
struct Line {
  enum Kind { Other, Header, Pair } Type = Other;
  std::string_view Name, Value;
};

Line ParseLine(std::string_view raw) {
  Line line;
  const std::string_view s = Trim(raw);
  if (s.empty() || s.front() == ';') return line;
  if (s.front() == '[') {
    line.Type = Line::Header;
    const size_t close = s.find(']');
    line.Name =
        Trim(s.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return line;
  }
  line.Type = Line::Pair;
  const size_t eq = s.find('=');
  line.Name = Trim(s.substr(0, eq));
  if (eq == std::string_view::npos) return line;
  std::string_view v = Trim(s.substr(eq + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  line.Value = v;
  return line;
}

// Calls f(line, start, end) for every line of text; end excludes the break.
template <typename F>
void ForEachLine(std::string_view text, F f) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    size_t cut = end;
    if (cut > start && text[cut - 1] == '\r') --cut;
    f(text.substr(start, cut - start), start, next);
    start = next;
  }
}

// A file's size and last write: a change of either means a new text.
struct Stamp {
  bool Exists = false;
  ULONGLONG Size = 0, Written = 0;
  bool operator==(const Stamp& o) const {
    return Exists == o.Exists && Size == o.Size && Written == o.Written;
  }
};

Stamp StampOf(const std::wstring& path) {
  Stamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.Exists = true;
  stamp.Size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.Written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                  data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

// Up to limit + 1 bytes of a file (so that a larger one shows as such);
// false when it cannot be opened or read.
bool ReadBytes(const std::wstring& path, size_t limit, std::string& out) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  out.clear();
  char buffer[65536];
  bool ok = true;
  while (out.size() <= limit) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(sizeof buffer, limit + 1 - out.size()));
    if (!ReadFile(h, buffer, want, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    out.append(buffer, got);
  }
  CloseHandle(h);
  if (out.size() > limit + 1) out.resize(limit + 1);
  return ok;
}

bool StartsWithBom(std::string_view bytes) {
  return bytes.substr(0, 3) == kBom;
}

}  // namespace

// What the program knows of one file: whether it carries the mark and, if
// so, its parsed text, for as long as its stamp stays the same.
struct CIniFile::Snapshot {
  Stamp FileStamp;
  bool Utf8 = false;
  std::shared_ptr<const CIniText> Text;
};

namespace {

using Snapshot = CIniFile::Snapshot;

std::mutex g_cacheLock;
std::map<std::wstring, std::shared_ptr<const Snapshot>> g_cache;

std::shared_ptr<const Snapshot> SnapshotOf(const std::string& path) {
  const std::wstring wide = Wide(path);
  const Stamp stamp = StampOf(wide);
  {
    std::lock_guard<std::mutex> hold(g_cacheLock);
    auto it = g_cache.find(wide);
    if (it != g_cache.end() && it->second->FileStamp == stamp) return it->second;
  }
  auto snap = std::make_shared<Snapshot>();
  snap->FileStamp = stamp;
  // A file without the mark is left to the system's reader: only its first
  // bytes are looked at.
  std::string bytes;
  if (stamp.Exists && ReadBytes(wide, 2, bytes) && StartsWithBom(bytes) &&
      ReadBytes(wide, kMaxUtf8IniBytes + 3, bytes) && StartsWithBom(bytes)) {
    snap->Utf8 = true;
    if (bytes.size() > kMaxUtf8IniBytes + 3) {
      LogWrite("INI file larger than %u bytes, not read: %s",
               static_cast<unsigned>(kMaxUtf8IniBytes), path.c_str());
      snap->Text = std::make_shared<CIniText>("");
    } else {
      snap->Text = std::make_shared<CIniText>(std::string_view(bytes).substr(3));
    }
  }
  std::lock_guard<std::mutex> hold(g_cacheLock);
  // Tests make many files; the program itself reads two.
  if (g_cache.size() >= 32) g_cache.clear();
  g_cache[wide] = snap;
  return snap;
}

void Forget(const std::string& path) {
  std::lock_guard<std::mutex> hold(g_cacheLock);
  g_cache.erase(Wide(path));
}

// The path as the A profile functions take it: in the code page, or the
// short form of an existing file whose name the code page cannot hold.
// Empty when neither exists (an empty path would name the system's own
// file).
std::string AnsiPath(const std::string& path) {
  std::string ansi;
  if (ToStore(path, ansi)) return ansi;
  const std::wstring wide = Wide(path);
  std::wstring shortPath(MAX_PATH, L'\0');
  const DWORD n =
      GetShortPathNameW(wide.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (n > 0 && n < shortPath.size()) {
    shortPath.resize(n);
    if (ToStore(Utf8(shortPath), ansi)) return ansi;
  }
  return std::string();
}

}  // namespace

CIniText::CIniText(std::string_view text) {
  Section* current = nullptr;
  ForEachLine(text, [&](std::string_view raw, size_t, size_t) {
    const Line line = ParseLine(raw);
    if (line.Type == Line::Header) {
      sections_.push_back(Section{std::string(line.Name), {}});
      current = &sections_.back();
    } else if (line.Type == Line::Pair && current && !line.Name.empty()) {
      current->Entries.push_back(Entry{std::string(line.Name), std::string(line.Value)});
    }
  });
}

const CIniText::Section* CIniText::Lookup(std::string_view section) const {
  for (const Section& s : sections_) {
    if (SameAscii(s.Name, section)) return &s;
  }
  return nullptr;
}

bool CIniText::Find(std::string_view section, std::string_view key, std::string& value) const {
  const Section* s = Lookup(section);
  if (!s) return false;
  for (const Entry& e : s->Entries) {
    if (SameAscii(e.Key, key)) {
      value = e.Value;
      return true;
    }
  }
  return false;
}

std::vector<std::string> CIniText::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = Lookup(section)) {
    for (const Entry& e : s->Entries) keys.push_back(e.Key);
  }
  return keys;
}

std::string IniTextWithValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
  const std::string breakText =
      text.find("\r\n") != std::string_view::npos || text.find('\n') == std::string_view::npos
          ? "\r\n"
          : "\n";
  const std::string pair = std::string(key) + "=" + std::string(value);
  bool inSection = false, sectionSeen = false, done = false;
  size_t insertAt = std::string_view::npos;  // after the section's last entry
  size_t replaceFrom = 0, replaceTo = 0;
  ForEachLine(text, [&](std::string_view raw, size_t start, size_t next) {
    if (done) return;
    const Line line = ParseLine(raw);
    if (line.Type == Line::Header) {
      if (inSection) done = true;  // only the first section of the name counts
      if (!done && !sectionSeen && SameAscii(line.Name, section)) {
        inSection = sectionSeen = true;
        insertAt = next;
      }
      return;
    }
    if (!inSection || line.Type != Line::Pair) return;
    if (SameAscii(line.Name, key)) {
      replaceFrom = start;
      replaceTo = start + raw.size();
      done = true;
      insertAt = std::string_view::npos;
      return;
    }
    insertAt = next;
  });
  std::string out(text);
  if (replaceTo > replaceFrom) return out.replace(replaceFrom, replaceTo - replaceFrom, pair);
  if (sectionSeen) {
    // The section's header or last entry may be the file's last line
    // without a break.
    std::string insert = pair + breakText;
    if (insertAt > 0 && out[insertAt - 1] != '\n') insert = breakText + insert;
    return out.insert(insertAt, insert);
  }
  if (!out.empty() && out.back() != '\n') out += breakText;
  out += "[" + std::string(section) + "]" + breakText + pair + breakText;
  return out;
}

bool ParseIniInteger(const std::string& text, int64_t& value) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  if (i == end) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == end) return false;
  uint64_t magnitude = 0;
  for (; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c)) {
      digit = std::toupper(c) - 'A' + 10;
    } else {
      return false;
    }
    if (magnitude > (static_cast<uint64_t>(INT64_MAX) + 1 - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  if (!negative && magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

std::string IniStoredForm(const std::string& value) {
  std::string v = value;
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (v.empty()) return v;
  const char first = v.front(), last = v.back();
  const bool blankEnds = IsBlank(first) || IsBlank(last);
  const bool quoted = v.size() >= 2 && (first == '"' || first == '\'') && last == first;
  if (blankEnds || quoted) return '"' + v + '"';
  return v;
}

std::shared_ptr<const CIniFile::Snapshot> CIniFile::Known() const {
  if (!known_) known_ = SnapshotOf(path_);
  return known_;
}

bool CIniFile::IsUtf8() const {
  return Known()->Utf8;
}

bool CIniFile::Lookup(const std::string& section, const std::string& key, std::string& value,
                      bool* utf8) const {
  const auto snap = Known();
  if (utf8) *utf8 = snap->Utf8;
  if (snap->Utf8) return snap->Text->Find(section, key, value);
  const std::string ansi = AnsiPath(path_);
  if (ansi.empty()) return false;
  value = ReadProfile(section.c_str(), key.c_str(), kAbsent, ansi, false);
  return value != kAbsent;
}

std::string CIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  std::string v;
  return Lookup(section, key, v) ? v : def;
}

std::string CIniFile::ReadText(const std::string& section, const std::string& key,
                               const std::string& def, UINT cp) const {
  std::string v;
  bool utf8 = false;
  if (!Lookup(section, key, v, &utf8)) return def;
  return utf8 ? v : FromCodePage(v, cp);
}

void CIniFile::WriteText(const std::string& section, const std::string& key,
                         const std::string& utf8, UINT cp) const {
  if (IsUtf8()) return WriteString(section, key, utf8);
  std::string bytes, refused;
  if (!ToStore(utf8, bytes, &refused, cp)) {
    throw CIniWriteError("'" + refused + "' cannot be held in " + path_);
  }
  WriteString(section, key, bytes);
}

int32_t CIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t def) const {
  int64_t v;
  if (!ParseIniInteger(ReadString(section, key, ""), v)) return def;
  if (v < INT32_MIN || v > INT32_MAX) return def;
  return static_cast<int32_t>(v);
}

bool CIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void CIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) const {
  if (!refused_.empty()) throw CIniWriteError(refused_);
  const std::string stored = IniStoredForm(value);
  if (IsUtf8()) {
    // Read afresh, not from the snapshot: another writer may have been here.
    const std::wstring wide = Wide(path_);
    std::string bytes;
    if (!ReadBytes(wide, kMaxUtf8IniBytes + 3, bytes) || !StartsWithBom(bytes) ||
        bytes.size() > kMaxUtf8IniBytes + 3) {
      throw CIniWriteError("Unable to write to " + path_);
    }
    const std::string text =
        kBom + IniTextWithValue(std::string_view(bytes).substr(3), section, key, stored);
    Forget(path_);
    known_.reset();
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = h != INVALID_HANDLE_VALUE &&
                    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok) throw CIniWriteError("Unable to write to " + path_);
    return;
  }
  const std::string ansi = AnsiPath(path_);
  if (ansi.empty() ||
      !WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(), ansi.c_str())) {
    throw CIniWriteError("Unable to write to " + path_);
  }
}

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh copy of path at temp, or an empty place there when path does not
// exist yet; false when temp cannot be made.
bool PrepareCopy(const std::string& path, const std::string& temp) {
  if (Exists(path)) return CopyFileW(Wide(path).c_str(), Wide(temp).c_str(), FALSE) != 0;
  DeleteFileW(Wide(temp).c_str());
  HANDLE h = CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// One writer of a file at a time, in this process and in any other: two
// would share the copy, and one could move it in while the other had it
// emptied. Named after the file's full path in any letter case.
HANDLE TakeWriterLock(const std::string& path) {
  std::wstring full(MAX_PATH, L'\0');
  const std::wstring wide = Wide(path);
  DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  full = n > 0 && n < full.size() ? full.substr(0, n) : wide;
  CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
  uint32_t hash = 2166136261u;  // FNV-1a
  for (wchar_t c : full) {
    hash = (hash ^ (c & 0xFF)) * 16777619u;
    hash = (hash ^ (c >> 8)) * 16777619u;
  }
  char name[48];
  snprintf(name, sizeof name, "WuIniWriter_%08X", static_cast<unsigned>(hash));
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!mutex) return nullptr;
  // A writer that died holding it leaves it abandoned: ours then.
  const DWORD r = WaitForSingleObject(mutex, timescale::Ms(5000));
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) return mutex;
  CloseHandle(mutex);
  SetLastError(ERROR_SHARING_VIOLATION);
  return nullptr;
}

}  // namespace

CIniReplace::CIniReplace(const std::string& path)
    : path_(path), temp_(path + ".new"), target_(temp_), lock_(TakeWriterLock(path)) {
  if (lock_ && PrepareCopy(path_, temp_)) {
    copied_ = true;
    return;
  }
  // Written in place, the file would be cut short for a moment, and for
  // good if the program died then: it is left as it is.
  const DWORD error = GetLastError();
  LogWrite("CIniReplace: %s could not be copied to %s (error %u%s); nothing written", path_.c_str(),
           temp_.c_str(), static_cast<unsigned>(error), lock_ ? "" : ", another writer holds it");
  target_ = CIniFile(path_);
  target_.refused_ = "Unable to write to " + path_;
}

CIniReplace::~CIniReplace() {
  // A copy that failed half-way stays; the next one is made over it.
  if (copied_ && !done_) DeleteFileW(Wide(temp_).c_str());
  if (lock_) {
    ReleaseMutex(lock_);
    CloseHandle(lock_);
  }
}

bool CIniReplace::Commit() {
  if (done_) return committed_;
  done_ = true;
  if (!copied_) return false;  // logged when the copy failed
  Forget(path_);
  // A file that another program holds open cannot be replaced; readers
  // hold it only for a moment.
  const DWORD start = GetTickCount(), bound = timescale::Ms(1000);
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(Wide(temp_).c_str(), Wide(path_).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      committed_ = true;
      return true;
    }
    if (GetTickCount() - start >= bound) break;
    Sleep(attempt < 10 ? 1 : timescale::Ms(10));
  }
  // Not written over instead: that too empties the file before it fills
  // it again, which is what the copy is there to prevent.
  const DWORD error = GetLastError();
  LogWrite("CIniReplace: %s could not be replaced (error %u); left as it was, nothing written",
           path_.c_str(), static_cast<unsigned>(error));
  DeleteFileW(Wide(temp_).c_str());
  return false;
}

void CIniFile::WriteInteger(const std::string& section, const std::string& key,
                            int32_t value) const {
  WriteString(section, key, std::to_string(value));
}

void CIniFile::WriteBool(const std::string& section, const std::string& key, bool value) const {
  WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> CIniFile::ReadSectionKeys(const std::string& section) const {
  const auto snap = Known();
  if (snap->Utf8) return snap->Text->Keys(section);
  std::vector<std::string> keys;
  const std::string ansi = AnsiPath(path_);
  if (ansi.empty()) return keys;
  const std::string list = ReadProfile(section.c_str(), nullptr, "", ansi, true);
  size_t start = 0;
  while (start < list.size()) {
    size_t zero = list.find('\0', start);
    if (zero == std::string::npos) zero = list.size();
    if (zero > start) keys.emplace_back(list, start, zero - start);
    start = zero + 1;
  }
  return keys;
}

bool CIniFile::SectionExists(const std::string& section) const {
  return !ReadSectionKeys(section).empty();
}

bool CIniFile::ValueExists(const std::string& section, const std::string& key) const {
  for (const std::string& k : ReadSectionKeys(section)) {
    if (lstrcmpiA(k.c_str(), key.c_str()) == 0) return true;
  }
  return false;
}
