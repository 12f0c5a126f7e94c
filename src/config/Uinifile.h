// An INI file reached through the Windows private-profile functions with a
// full path. Reads return whole texts of any length; writes keep every text
// readable back as it was written.
//
// A file that starts with a UTF-8 byte-order mark is read and written by our
// own parser instead: Windows' profile functions do not know that mark (they
// would take it for part of the first line and write code-page bytes into a
// UTF-8 file). Such a file is read once per change of its size or time and
// kept in memory; one larger than kMaxUtf8IniBytes is refused (logged; every
// key reads as absent and nothing is written to it).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Thrown when the system refuses a write (read-only file, missing folder).
class CIniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr size_t kMaxUtf8IniBytes = 1u << 20;

// The text of an INI file (without its byte-order mark) with the rules of the
// private-profile reader the program relies on: the first section of a name
// and the first key of a name in it count; section and key names compare
// without regard to ASCII letter case; blanks around names and values are
// trimmed and one pair of equal quotes around a value stripped; a line that
// starts with ';' is a comment; escapes such as "\n" stay as written.
class CIniText {
 public:
  explicit CIniText(std::string_view text);
  // False when the section or the key is absent.
  bool Find(std::string_view section, std::string_view key, std::string& value) const;
  // Key names of the first section of that name, in file order.
  std::vector<std::string> Keys(std::string_view section) const;

 private:
  struct Entry {
    std::string Key, Value;
  };
  struct Section {
    std::string Name;
    std::vector<Entry> Entries;
  };
  const Section* Lookup(std::string_view section) const;
  std::vector<Section> sections_;
};

// text with key of the first section of that name set to value (already in
// its stored form): the key's line is rewritten in place, a new key goes
// after the last entry of its section, a new section at the end. Every other
// byte of text is kept.
std::string IniTextWithValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

class CIniFile {
 public:
  // path is UTF-8.
  struct Snapshot;  // defined where files are read

  explicit CIniFile(std::string path) : path_(std::move(path)) {}
  const std::string& FileName() const { return path_; }

  // True when the file starts with a UTF-8 byte-order mark.
  bool IsUtf8() const;

  // Display text: the value as UTF-8, def (already UTF-8) when absent. A
  // file without the mark holds text in code page cp.
  std::string ReadText(const std::string& section, const std::string& key, const std::string& def,
                       UINT cp = CP_ACP) const;
  // Writes UTF-8 text; into a file without the mark only when code page cp
  // holds every character exactly (CIniWriteError naming the first that it
  // cannot hold, and nothing written).
  void WriteText(const std::string& section, const std::string& key, const std::string& utf8,
                 UINT cp = CP_ACP) const;

  // The value, or def when the key is absent. An empty value is returned as
  // the empty text.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal (or 0x-hexadecimal) integer; def when absent or unparsable.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  // "0" is false, any other integer true; def when absent or unparsable.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key,
                   const std::string& value) const;
  void WriteInteger(const std::string& section, const std::string& key, int32_t value) const;
  void WriteBool(const std::string& section, const std::string& key, bool value) const;

  // Key names of a section in file order (empty when the section is absent).
  std::vector<std::string> ReadSectionKeys(const std::string& section) const;
  // A section exists when it holds at least one key.
  bool SectionExists(const std::string& section) const;
  // Keys compare without regard to letter case, as the system does.
  bool ValueExists(const std::string& section, const std::string& key) const;

 private:
  // What is known of the file: taken at the first use of this object and
  // kept for its life (a profile is read or written through one object, key
  // by key), dropped when this object writes the file.
  std::shared_ptr<const Snapshot> Known() const;
  mutable std::shared_ptr<const Snapshot> known_;

  // utf8, if given, tells whether the file carries the UTF-8 mark.
  bool Lookup(const std::string& section, const std::string& key, std::string& value,
              bool* utf8 = nullptr) const;
  std::string path_;
  // Not empty: every write throws CIniWriteError with this text (a file
  // that CIniReplace could not make a copy of).
  std::string refused_;
  friend class CIniReplace;
};

// Changes to an INI file made on a copy beside it, which then takes the
// file's place in one step. The profile writer empties the file and writes
// it again for every key: a program killed meanwhile would leave it cut short
// (the profile root or the adapter ids gone with the rest), and another
// program reading it then finds every key absent. With the copy, the file is
// always the old one or the new one, and it is never written in place: when
// no copy can be made or the copy cannot take the file's place, nothing is
// written (logged "CIniReplace: <file> ...") and the file keeps its old
// contents whole.
class CIniReplace {
 public:
  explicit CIniReplace(const std::string& path);
  // A copy that was not put in place is removed.
  ~CIniReplace();
  CIniReplace(const CIniReplace&) = delete;
  CIniReplace& operator=(const CIniReplace&) = delete;

  // Where the changes go: the copy. When none could be made, the file
  // itself, to be read only: every write throws CIniWriteError.
  const CIniFile& File() const { return target_; }
  // Puts the copy in the file's place, retried for about a second while
  // another program holds the file. False when no copy was made or it could
  // not take the file's place: the file then keeps what it had. Call it only
  // after every write succeeded; a second call gives the first one's result.
  bool Commit();

 private:
  std::string path_, temp_;
  CIniFile target_;
  HANDLE lock_;          // held from the copy until it is moved or removed
  bool copied_ = false;  // the copy exists and is ours to move or remove
  bool done_ = false, committed_ = false;
};

// Parses an integer as the INI reader does: blanks around it allowed, an
// optional sign, decimal digits or 0x and hexadecimal digits. False when the
// text is anything else or does not fit 64 bits.
bool ParseIniInteger(const std::string& text, int64_t& value);

// The form in which a text is written so that the private-profile reader
// gives it back unchanged: line breaks cannot be stored and become blanks;
// a text with blanks at either end, or enclosed in a pair of equal quotes,
// is enclosed in double quotes (the reader strips one pair).
std::string IniStoredForm(const std::string& value);
