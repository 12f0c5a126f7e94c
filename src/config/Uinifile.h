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

// Parses an integer as the INI reader does: blanks around it allowed, an
// optional sign, decimal digits or 0x and hexadecimal digits. False when the
// text is anything else or does not fit 64 bits.
bool ParseIniInteger(const std::string& text, int64_t& value);

// The form in which a text is written so that the private-profile reader
// gives it back unchanged: line breaks cannot be stored and become blanks;
// a text with blanks at either end, or enclosed in a pair of equal quotes,
// is enclosed in double quotes (the reader strips one pair).
std::string IniStoredForm(const std::string& value);
