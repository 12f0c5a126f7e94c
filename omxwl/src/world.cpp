#include "world.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "radio.h"
#include "text.h"

namespace omx {

const char kNetClassGuidText[] = "{ad498944-762f-11d0-8dcb-00c04fc3358c}";

namespace {

constexpr size_t kPrefixLength = sizeof "OMXWL_" - 1;

// Without the "OMXWL_" that every exported name starts with.
const char* const kEntryNames[kEntryCount] = {
#define OMX_ENTRY_NAME(name, args) #name + kPrefixLength,
    OMXWL_ENTRY_POINTS(OMX_ENTRY_NAME)
#undef OMX_ENTRY_NAME
};

const char kDefaultWorld[] =
#include "default_world.inc"
    ;

bool ParseInt(const std::string& s, int64_t lo, int64_t hi, int64_t* out) {
  if (s.empty() || s.size() > 12) return false;
  size_t i = 0;
  bool neg = false;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    v = v * 10 + (s[i] - '0');
  }
  if (neg) v = -v;
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ParseBool(const std::string& s, bool* out) {
  std::string u = Upper(s);
  if (u == "1" || u == "YES" || u == "TRUE" || u == "ON") {
    *out = true;
    return true;
  }
  if (u == "0" || u == "NO" || u == "FALSE" || u == "OFF") {
    *out = false;
    return true;
  }
  return false;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseMac(const std::string& s, Mac* out) {
  // 00:1D:4F:6A:21:07, 00-1D-4F-6A-21-07 or 001D4F6A2107
  std::string digits;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == ':' || c == '-') {
      if (digits.size() % 2 != 0 || digits.empty()) return false;
      continue;
    }
    if (Hex(c) < 0) return false;
    digits.push_back(c);
  }
  if (digits.size() != 12) return false;
  for (int i = 0; i < 6; ++i)
    (*out)[i] = static_cast<uint8_t>(Hex(digits[2 * i]) * 16 + Hex(digits[2 * i + 1]));
  return true;
}

bool ParseIp(const std::string& s, std::array<uint8_t, 4>* out) {
  std::array<uint8_t, 4> ip{};
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    size_t end = s.find('.', pos);
    if (part == 3) {
      if (end != std::string::npos) return false;
      end = s.size();
    } else if (end == std::string::npos) {
      return false;
    }
    int64_t v;
    std::string piece = s.substr(pos, end - pos);
    if (piece.empty() || piece[0] == '-' || piece[0] == '+' || !ParseInt(piece, 0, 255, &v))
      return false;
    ip[part] = static_cast<uint8_t>(v);
    pos = end + 1;
  }
  *out = ip;
  return true;
}

std::vector<std::string> SplitList(const std::string& s) {
  std::vector<std::string> items;
  std::string cur;
  for (char c : s) {
    if (c == ',' || c == ' ' || c == '\t' || c == '/') {
      if (!cur.empty()) items.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) items.push_back(cur);
  return items;
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}

bool IsHexText(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return Hex(c) >= 0; });
}

enum class Kind { None, World, Adapter, Network, Certificate, Dhcp, Faults };

class Parser {
 public:
  Parser(World* w, std::string* err) : w_(w), err_(err) {}

  bool Run(const std::string& text) {
    size_t pos = 0;
    int lineNo = 0;
    while (pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string line = Trim(std::string_view(text).substr(pos, end - pos));
      ++lineNo;
      line_ = lineNo;
      pos = end + 1;
      if (lineNo == 1 && line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF &&
          static_cast<unsigned char>(line[1]) == 0xBB &&
          static_cast<unsigned char>(line[2]) == 0xBF)
        line = Trim(line.substr(3));
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        if (line.back() != ']') return Fail("a section header must end with ]");
        if (!StartSection(Trim(line.substr(1, line.size() - 2)))) return false;
        continue;
      }
      size_t eq = line.find('=');
      if (eq == std::string::npos) return Fail("expected key=value, [section], or a ; comment");
      std::string key = Trim(line.substr(0, eq));
      std::string value = Unquote(Trim(line.substr(eq + 1)));
      if (key.empty()) return Fail("empty key");
      if (kind_ == Kind::None) return Fail("key before the first section");
      if (!keys_.insert(Upper(key)).second) return Fail("key " + key + " given twice");
      if (!Key(key, value)) return false;
    }
    line_ = 0;
    return Finish();
  }

 private:
  bool Fail(const std::string& why) {
    if (line_ > 0)
      *err_ = Format("line %d: %s", line_, why.c_str());
    else
      *err_ = why;
    return false;
  }

  bool StartSection(const std::string& header) {
    if (!FinishSection()) return false;
    keys_.clear();
    size_t sp = header.find_first_of(" \t");
    std::string type = Upper(header.substr(0, sp));
    std::string name = sp == std::string::npos ? std::string() : Trim(header.substr(sp));
    sectionName_ = header;
    auto once = [&](bool* seen, Kind k) {
      if (!name.empty()) return Fail("section [" + header + "] takes no name");
      if (*seen) return Fail("section [" + header + "] given twice");
      *seen = true;
      kind_ = k;
      return true;
    };
    if (type == "WORLD") return once(&seenWorld_, Kind::World);
    if (type == "DHCP") {
      w_->dhcp.present = true;
      return once(&seenDhcp_, Kind::Dhcp);
    }
    if (type == "FAULTS") return once(&seenFaults_, Kind::Faults);
    if (type != "ADAPTER" && type != "NETWORK" && type != "CERTIFICATE")
      return Fail("unknown section [" + header +
                  "] (World, Adapter <name>, Network <name>, Certificate <name>, DHCP, Faults)");
    if (name.empty()) return Fail("section [" + header + "] needs a name");
    if (!names_.insert(type + " " + Upper(name)).second)
      return Fail("section [" + header + "] given twice");
    if (type == "ADAPTER") {
      kind_ = Kind::Adapter;
      w_->adapters.emplace_back();
      w_->adapters.back().section = name;
    } else if (type == "NETWORK") {
      kind_ = Kind::Network;
      w_->networks.emplace_back();
      w_->networks.back().section = name;
      wepPhrase_.clear();
      wepLevelBits_ = 0;
    } else {
      kind_ = Kind::Certificate;
      w_->certificates.emplace_back();
      w_->certificates.back().section = name;
      w_->certificates.back().kind = kCertNone;
    }
    return true;
  }

  bool Int(const std::string& key, const std::string& v, int64_t lo, int64_t hi, int64_t* out) {
    if (!ParseInt(v, lo, hi, out))
      return Fail(Format("%s must be a whole number from %lld to %lld", key.c_str(),
                         static_cast<long long>(lo), static_cast<long long>(hi)));
    return true;
  }

  bool Bool(const std::string& key, const std::string& v, bool* out) {
    if (!ParseBool(v, out)) return Fail(key + " must be 1 or 0");
    return true;
  }

  bool Text(const std::string& key, const std::string& v, size_t max, std::string* out) {
    if (v.size() > max)
      return Fail(
          Format("%s is longer than %u characters", key.c_str(), static_cast<unsigned>(max)));
    *out = v;
    return true;
  }

  bool Key(const std::string& key, const std::string& v) {
    std::string k = Upper(key);
    int64_t n;
    switch (kind_) {
      case Kind::World:
        if (k == "SCANTIME") {
          if (!Int(key, v, 0, 60000, &n)) return false;
          w_->scanTimeMs = static_cast<uint32_t>(n);
        } else if (k == "ASSOCIATETIME") {
          if (!Int(key, v, 0, 60000, &n)) return false;
          w_->associateTimeMs = static_cast<uint32_t>(n);
        } else if (k == "SENSITIVITY") {
          if (!Int(key, v, -120, -1, &n)) return false;
          w_->sensitivity = static_cast<int32_t>(n);
        } else {
          return Unknown(key);
        }
        return true;
      case Kind::Adapter:
        return AdapterKey(w_->adapters.back(), key, k, v);
      case Kind::Network:
        return NetworkKey(w_->networks.back(), key, k, v);
      case Kind::Certificate: {
        CertificateDef& c = w_->certificates.back();
        if (k == "KIND") {
          std::string u = Upper(v);
          if (u == "USER" || u == "1")
            c.kind = kCertUser;
          else if (u == "CA" || u == "3")
            c.kind = kCertAuthority;
          else
            return Fail("Kind must be User or CA");
        } else if (k == "NAME") {
          return Text(key, v, 63, &c.name);
        } else if (k == "DISPLAY") {
          return Text(key, v, 255, &c.display);
        } else {
          return Unknown(key);
        }
        return true;
      }
      case Kind::Dhcp: {
        std::array<uint8_t, 4>* ip = nullptr;
        if (k == "ADDRESS") ip = &w_->dhcp.address;
        if (k == "MASK") ip = &w_->dhcp.mask;
        if (k == "GATEWAY") ip = &w_->dhcp.gateway;
        if (k == "DNS1") ip = &w_->dhcp.dns1;
        if (k == "DNS2") ip = &w_->dhcp.dns2;
        if (!ip) return Unknown(key);
        if (!ParseIp(v, ip)) return Fail(key + " must be an address like 192.168.1.10");
        return true;
      }
      case Kind::Faults:
        return FaultKey(key, k, v);
      case Kind::None:
        break;
    }
    return Unknown(key);
  }

  bool Unknown(const std::string& key) {
    return Fail("unknown key " + key + " in [" + sectionName_ + "]");
  }

  bool AdapterKey(AdapterDef& a, const std::string& key, const std::string& k,
                  const std::string& v) {
    if (k == "HARDWAREID") {
      if (v.find('#') != std::string::npos) return Fail("HardwareId must not contain #");
      return Text(key, v, 63, &a.hardwareId);
    }
    if (k == "INSTANCE") {
      if (v.empty() || v.find_first_of("\\#/") != std::string::npos)
        return Fail("Instance must be a non-empty name without \\, / or #");
      return Text(key, v, 63, &a.instance);
    }
    if (k == "DESCRIPTION") return Text(key, v, 127, &a.description);
    if (k == "MAC") {
      if (!ParseMac(v, &a.mac)) return Fail("MAC must look like 00:1D:4F:6A:21:07");
      return true;
    }
    if (k == "DOMAIN") {
      if (v.empty()) return Fail("Domain must not be empty");
      return Text(key, v, 255, &a.domain);
    }
    if (k == "BANDS") {
      int bits = 0;
      for (const std::string& item : SplitList(Upper(v))) {
        for (char c : item) {
          if (c == 'A')
            bits |= kBandA;
          else if (c == 'B')
            bits |= kBandB;
          else if (c == 'G')
            bits |= kBandG;
          else
            return Fail("Bands takes the letters a, b and g");
        }
      }
      if (!bits) return Fail("Bands must name at least one of a, b, g");
      a.bands = bits;
      return true;
    }
    if (k == "DRIVER") {
      if (v.empty()) return Fail("Driver must not be empty");
      return Text(key, v, 255, &a.driver);
    }
    if (k == "PRESENT") return Bool(key, v, &a.present);
    return Unknown(key);
  }

  bool NetworkKey(NetworkDef& net, const std::string& key, const std::string& k,
                  const std::string& v) {
    int64_t n;
    if (k == "SSID" || k == "SSIDHEX") {
      // A name is given one way: a second one could only contradict the first.
      if (keys_.count(k == "SSID" ? "SSIDHEX" : "SSID"))
        return Fail(key + " in [" + sectionName_ + "]: a network takes SSID or SSIDHex, not both");
      if (k == "SSID") {
        if (v.empty() || v.size() > 32) return Fail("SSID must have 1 to 32 characters");
        net.ssid = v;
        return true;
      }
      // Any bytes at all, a zero byte included: names as real networks send them.
      if (v.empty() || v.size() > 64 || v.size() % 2 != 0 || !IsHexText(v))
        return Fail(key + " in [" + sectionName_ +
                    "] must be 1 to 32 bytes written as pairs of hex digits");
      net.ssid.clear();
      for (size_t i = 0; i < v.size(); i += 2)
        net.ssid.push_back(static_cast<char>(Hex(v[i]) * 16 + Hex(v[i + 1])));
      return true;
    }
    if (k == "BSSID") {
      if (!ParseMac(v, &net.bssid)) return Fail("BSSID must look like 00:1D:4F:10:00:01");
      if (net.bssid == Mac{}) return Fail("BSSID must not be all zero");
      return true;
    }
    if (k == "CHANNEL") {
      if (!Int(key, v, 1, 200, &n)) return false;
      if (!ChannelBands(static_cast<int32_t>(n)))
        return Fail("Channel must be 1 to 14 (2.4 GHz) or 32 to 177 (5 GHz)");
      net.channel = static_cast<int32_t>(n);
      return true;
    }
    if (k == "TYPE") {
      std::string u = Upper(v);
      if (u.rfind("802.11", 0) == 0) u = u.substr(6);
      if (u == "B")
        net.netType = kNetTypeB;
      else if (u == "A")
        net.netType = kNetTypeA;
      else if (u == "G")
        net.netType = kNetTypeG;
      else
        return Fail("Type must be a, b or g");
      typeGiven_ = true;
      return true;
    }
    if (k == "MODE") {
      std::string u = Upper(v);
      if (u == "INFRASTRUCTURE" || u == "INFRA")
        net.infrastructure = true;
      else if (u == "ADHOC" || u == "AD-HOC" || u == "IBSS")
        net.infrastructure = false;
      else
        return Fail("Mode must be Infrastructure or AdHoc");
      return true;
    }
    if (k == "SECURITY") {
      if (!Int(key, v, 0, 99999, &n)) return false;
      net.security = static_cast<int32_t>(n);
      return true;
    }
    if (k == "SIGNAL") {
      if (!Int(key, v, -120, -1, &n)) return false;
      net.signal = static_cast<int32_t>(n);
      return true;
    }
    if (k == "JITTER") {
      if (!Int(key, v, 0, 30, &n)) return false;
      net.jitter = static_cast<int32_t>(n);
      return true;
    }
    if (k == "HIDDEN") return Bool(key, v, &net.hidden);
    if (k.size() == 7 && k.rfind("WEPKEY", 0) == 0 && k[6] >= '1' && k[6] <= '4') {
      std::vector<uint8_t> bytes;
      if (!WepKeyToBytes(v, &bytes))
        return Fail(key + " must be 10, 26 or 32 hex digits or 5, 13 or 16 characters");
      net.wepKeys[k[6] - '1'] = bytes;
      return true;
    }
    if (k == "WEPPASSPHRASE") {
      if (v.empty()) return Fail("WEPPassphrase must not be empty");
      wepPhrase_ = v;
      return true;
    }
    if (k == "WEPLEVEL") {
      if (v != "64" && v != "128") return Fail("WEPLevel must be 64 or 128");
      wepLevelBits_ = v == "64" ? 64 : 128;
      return true;
    }
    if (k == "PSK") {
      bool ok = (v.size() >= 8 && v.size() <= 63) || (v.size() == 64 && IsHexText(v));
      if (!ok) return Fail("PSK must have 8 to 63 characters or 64 hex digits");
      net.psk = v;
      return true;
    }
    if (k == "EAP") {
      net.eapMethods.clear();
      for (const std::string& item : SplitList(Upper(v))) {
        int32_t m = item == "TLS"    ? kEapTls
                    : item == "TTLS" ? kEapTtls
                    : item == "PEAP" ? kEapPeap
                    : item == "LEAP" ? kEapLeap
                    : item == "MD5"  ? kEapMd5
                                     : 0;
        if (!m) return Fail("EAP takes TLS, TTLS, PEAP, LEAP and MD5");
        if (std::find(net.eapMethods.begin(), net.eapMethods.end(), m) == net.eapMethods.end())
          net.eapMethods.push_back(m);
      }
      if (net.eapMethods.empty()) return Fail("EAP must name at least one method");
      return true;
    }
    if (k == "PEAPINNER") {
      net.peapInner.clear();
      for (const std::string& item : SplitList(Upper(v))) {
        if (item == "GTC")
          net.peapInner.push_back(1);
        else if (item == "MSCHAPV2" || item == "MS-CHAPV2")
          net.peapInner.push_back(2);
        else
          return Fail("PeapInner takes MSCHAPv2 and GTC");
      }
      return true;
    }
    if (k == "USER") return Text(key, v, 259, &net.user);
    if (k == "PASSWORD") return Text(key, v, 259, &net.password);
    if (k == "CERTIFICATE") return Text(key, v, 63, &net.certificate);
    if (k == "SERVERCA") return Text(key, v, 63, &net.serverCA);
    return Unknown(key);
  }

  bool FaultKey(const std::string& key, const std::string& k, const std::string& v) {
    FaultDef& f = w_->faults;
    int64_t n;
    const bool crash = k.rfind("CRASH.", 0) == 0;
    if (k.rfind("DELAY.", 0) == 0 || k.rfind("FAIL.", 0) == 0 || crash) {
      bool delay = k[0] == 'D';
      std::string name = key.substr(delay || crash ? 6 : 5);
      Entry entry;
      if (!FindEntry(name, &entry))
        return Fail(key + " names no entry point of the library (" + name + ")");
      const size_t index = static_cast<size_t>(entry);
      if (delay) {
        if (!Int(key, v, 0, 600000, &n)) return false;
        f.delayMs[index] = static_cast<uint32_t>(n);
      } else if (crash) {
        bool on;
        if (!Bool(key, v, &on)) return false;
        f.crash[index] = on;
      } else {
        bool on;
        if (!Bool(key, v, &on)) return false;
        f.fail[index] = on;
      }
      return true;
    }
    if (k == "SCANMALFORMED") return Bool(key, v, &f.scanMalformed);
    if (k == "AUTHFAIL") return Bool(key, v, &f.authFail);
    if (k == "STATUSAGAIN") return Bool(key, v, &f.statusAgain);
    if (k == "SCANCOUNT") {
      if (!Int(key, v, 0, 1000000, &n)) return false;
      f.scanCount = static_cast<int32_t>(n);
      return true;
    }
    if (k == "CHANNELCOUNT") {
      if (!Int(key, v, 0, 1000000, &n)) return false;
      f.channelCount = static_cast<int32_t>(n);
      return true;
    }
    return Unknown(key);
  }

  // Checks that need the whole section.
  bool FinishSection() {
    switch (kind_) {
      case Kind::Adapter: {
        AdapterDef& a = w_->adapters.back();
        if (a.hardwareId.empty()) return SectionFail("needs HardwareId");
        if (a.mac == Mac{}) return SectionFail("needs MAC");
        if (a.instance.empty())
          a.instance = Format("OMX%04u", static_cast<unsigned>(w_->adapters.size()));
        for (size_t i = 0; i + 1 < w_->adapters.size(); ++i)
          if (w_->adapters[i].Key() == a.Key())
            return SectionFail("has the same HardwareId and Instance as [Adapter " +
                               w_->adapters[i].section + "]");
        break;
      }
      case Kind::Network:
        if (!FinishNetwork(w_->networks.back())) return false;
        break;
      case Kind::Certificate: {
        CertificateDef& c = w_->certificates.back();
        if (c.kind == kCertNone) return SectionFail("needs Kind (User or CA)");
        if (c.name.empty()) {
          if (c.section.size() > 63) return SectionFail("needs a Name of at most 63 characters");
          c.name = c.section;
        }
        if (c.display.empty()) c.display = c.name;
        break;
      }
      default:
        break;
    }
    typeGiven_ = false;
    kind_ = Kind::None;
    return true;
  }

  bool SectionFail(const std::string& why) { return Fail("section [" + sectionName_ + "] " + why); }

  bool FinishNetwork(NetworkDef& net) {
    if (net.ssid.empty()) return SectionFail("needs SSID or SSIDHex");
    if (net.bssid == Mac{}) return SectionFail("needs BSSID");
    if (!net.channel) return SectionFail("needs Channel");
    bool five = ChannelBands(net.channel) == kBandA;
    if (!typeGiven_) net.netType = five ? kNetTypeA : kNetTypeG;
    if (five != (net.netType == kNetTypeA))
      return SectionFail("has a Type that does not fit its channel (a is 5 GHz, b and g 2.4 GHz)");
    if (net.channel == 14 && net.netType != kNetTypeB)
      return SectionFail("uses channel 14, which is 802.11b only");

    bool anyKey = std::any_of(net.wepKeys.begin(), net.wepKeys.end(),
                              [](const std::vector<uint8_t>& k) { return !k.empty(); });
    if (!wepPhrase_.empty()) {
      if (anyKey) return SectionFail("gives both WEPKey and WEPPassphrase");
      if (!wepLevelBits_) return SectionFail("needs WEPLevel (64 or 128) with WEPPassphrase");
      if (wepLevelBits_ == 64) {
        uint8_t keys[4][5];
        Wep64FromPhrase(wepPhrase_, keys);
        for (int i = 0; i < 4; ++i) net.wepKeys[i].assign(keys[i], keys[i] + 5);
      } else {
        uint8_t key[13];
        Wep128FromPhrase(wepPhrase_, key);
        for (int i = 0; i < 4; ++i) net.wepKeys[i].assign(key, key + 13);
      }
      anyKey = true;
    } else if (wepLevelBits_) {
      if (!anyKey) return SectionFail("gives WEPLevel without WEPPassphrase");
    }
    net.wepLevel = 0;
    for (const std::vector<uint8_t>& k : net.wepKeys) {
      if (k.empty()) continue;
      int32_t level = WepLevelOfBytes(k.size());
      if (net.wepLevel && level != net.wepLevel)
        return SectionFail("has WEP keys of different sizes");
      net.wepLevel = level;
    }
    if (wepLevelBits_ && net.wepLevel != (wepLevelBits_ == 64 ? 1 : 2))
      return SectionFail("has keys that do not match WEPLevel");

    SecKind kind = KindOfCode(net.security);
    bool dot1x = kind == SecKind::Wpa || kind == SecKind::Wpa2 || kind == SecKind::WpaWpa2;
    bool psk = kind == SecKind::WpaPsk || kind == SecKind::Wpa2Psk || kind == SecKind::WpaWpa2Psk;
    if (kind == SecKind::Wep) {
      if (anyKey && net.Uses8021X()) return SectionFail("gives both WEP keys and EAP");
      if (!anyKey && !net.Uses8021X())
        return SectionFail("uses WEP (Security=1) but gives no WEPKey, WEPPassphrase or EAP");
    } else if (anyKey) {
      return SectionFail("gives WEP keys but its Security code is not 1");
    }
    if (psk && net.psk.empty()) return SectionFail("uses a pre-shared key but gives no PSK");
    if (!psk && !net.psk.empty())
      return SectionFail("gives PSK but its Security code is not a PSK one");
    if (dot1x && !net.Uses8021X()) return SectionFail("uses 802.1X but gives no EAP methods");
    if (net.Uses8021X()) {
      if (!dot1x && kind != SecKind::Wep)
        return SectionFail("gives EAP but its Security code is not 1, 10-15, 110-115 or 1010-1015");
      if (!net.infrastructure) return SectionFail("is ad hoc and cannot use 802.1X");
      if (net.user.empty()) return SectionFail("needs User for 802.1X");
      for (int32_t m : net.eapMethods) {
        if (m == kEapTls && net.certificate.empty())
          return SectionFail("offers TLS but gives no Certificate");
        if (m != kEapTls && net.password.empty())
          return SectionFail("offers a password method but gives no Password");
      }
    }
    return true;
  }

  bool Finish() {
    if (!FinishSection()) return false;
    std::set<std::string> ids;
    for (const NetworkDef& n : w_->networks) {
      std::string id = HexUpper(n.bssid.data(), 6);
      if (!ids.insert(id).second)
        return Fail("network [" + n.section + "] has the BSSID of another network");
    }
    return true;
  }

  World* w_;
  std::string* err_;
  int line_ = 0;
  Kind kind_ = Kind::None;
  std::string sectionName_;
  std::set<std::string> keys_;
  std::set<std::string> names_;
  bool seenWorld_ = false, seenDhcp_ = false, seenFaults_ = false;
  bool typeGiven_ = false;
  std::string wepPhrase_;
  int wepLevelBits_ = 0;
};

}  // namespace

std::string AdapterDef::Key() const {
  return Upper(hardwareId) + "\\" + Upper(instance);
}

std::string AdapterDef::InstanceId() const {
  return hardwareId + "\\" + instance;
}

std::string AdapterDef::InterfacePath() const {
  std::string id = hardwareId;
  std::replace(id.begin(), id.end(), '\\', '#');
  return "\\\\?\\" + id + "#" + instance + "#" + kNetClassGuidText + "\\OMXWL";
}

bool ParseWorld(const std::string& text, World* world, std::string* error) {
  World w;
  std::string err;
  Parser p(&w, &err);
  if (!p.Run(text)) {
    if (error) *error = err;
    return false;
  }
  *world = std::move(w);
  return true;
}

const char* DefaultWorldText() {
  return kDefaultWorld;
}

const char* EntryName(Entry entry) {
  const int i = static_cast<int>(entry);
  return i >= 0 && i < kEntryCount ? kEntryNames[i] : "?";
}

bool FindEntry(std::string_view name, Entry* entry) {
  if (name.size() > kPrefixLength && EqualsNoCase(name.substr(0, kPrefixLength), "OMXWL_"))
    name.remove_prefix(kPrefixLength);
  for (int i = 0; i < kEntryCount; ++i) {
    if (EqualsNoCase(name, kEntryNames[i])) {
      *entry = static_cast<Entry>(i);
      return true;
    }
  }
  return false;
}

}  // namespace omx
