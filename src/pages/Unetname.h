// A network name in an edit field: the page keeps the bytes it was given and
// the text it showed for them, so an untouched field stores the very bytes
// (a Latin-1 name, a name shown with escapes); a changed one is the user's
// UTF-8 text, refused rather than cut.
#pragma once

#include <string>

#include "config/Udefine.h"

class TNetNameField {
 public:
  enum class Check { Ok, Empty, TooLong, BadChar };

  // The name the field starts with (a profile's Ssid1); returns its text.
  std::string Load(const WLProfile& p);
  std::string Load(const std::string& bytes);
  // The bytes for the field's text: the loaded bytes when it still shows
  // what Load returned, else the text as UTF-8 if it is a network name.
  Check Take(const std::string& text, std::string& bytes) const;
  // The message of a failed Take (Empty has the caller's own).
  static std::string Message(Check check, const std::string& text);

 private:
  std::string bytes_, shown_;
};

// The message refusing a network whose name holds a zero byte after its
// first: such a name cannot be held in a profile. Empty when it can.
std::string ZeroSsidMessage(const SiteEntry& e);
