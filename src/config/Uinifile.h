// An INI file reached through the Windows private-profile functions with a
// full path. Reads return whole texts of any length; writes keep every text
// readable back as it was written.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Thrown when the system refuses a write (read-only file, missing folder).
class CIniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CIniFile {
 public:
  explicit CIniFile(std::string path) : path_(std::move(path)) {}
  const std::string& FileName() const { return path_; }

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
  std::string path_;
};

// Changes to an INI file made on a copy beside it, which then takes the
// file's place in one step. The profile writer empties the file and writes
// it again for every key: a program killed meanwhile would leave it cut short
// (the profile root or the adapter ids gone with the rest), and another
// program reading it then finds every key absent. With the copy, the file is
// always the old one or the new one.
class CIniReplace {
 public:
  explicit CIniReplace(const std::string& path);
  // A copy that was not put in place is removed.
  ~CIniReplace();
  CIniReplace(const CIniReplace&) = delete;
  CIniReplace& operator=(const CIniReplace&) = delete;

  // Where the changes go: the copy, or the file itself when no copy could
  // be made (its folder does not exist, say).
  const CIniFile& File() const { return target_; }
  // Puts the copy in the file's place. When another program holds the file
  // so that it cannot be replaced, the copy's text is written over it.
  // False when neither worked; the file then keeps what it had.
  bool Commit();

 private:
  std::string path_, temp_;
  CIniFile target_;
  bool direct_ = false;
  bool done_ = false;
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
