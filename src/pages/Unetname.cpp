#include "pages/Unetname.h"

#include "adapter/Unames.h"
#include "config/Uunicode.h"

std::string TNetNameField::Load(const WLProfile& p) {
  return Load(SsidBytes(p));
}

std::string TNetNameField::Load(const std::string& bytes) {
  bytes_ = bytes;
  shown_ = SsidDisplay(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return shown_;
}

TNetNameField::Check TNetNameField::Take(const std::string& text, std::string& bytes) const {
  if (text.empty()) return Check::Empty;
  if (text == shown_ && !bytes_.empty()) {
    bytes = bytes_;
    return Check::Ok;
  }
  if (TypedSsid(text, bytes)) return Check::Ok;
  return text.size() > 32 ? Check::TooLong : Check::BadChar;
}

std::string TNetNameField::Message(Check check, const std::string& text) {
  switch (check) {
    case Check::TooLong:
      return FormatText(
          g_GlobalVar.StrFileRead("Message", "ErLongSSID",
                                  "The network name is %s bytes long; it may have at most 32."),
          std::to_string(text.size()));
    case Check::BadChar:
      return g_GlobalVar.StrFileRead("Message", "ErBadSSID",
                                     "The network name cannot hold control characters.");
    default:
      return std::string();
  }
}

std::string ZeroSsidMessage(const SiteEntry& e) {
  if (!SsidHasZero(e)) return std::string();
  return FormatText(
      g_GlobalVar.StrFileRead(
          "Message", "ErZeroSSID",
          "The network '%s' has a zero byte in its name; this utility cannot join it."),
      SsidText(e));
}
