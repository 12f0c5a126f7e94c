// The simulated adapter as a station: detection, NDIS objects, site survey,
// association and status.
#include <algorithm>
#include <cstring>

#include "debug.h"
#include "library.h"
#include "radio.h"
#include "text.h"

namespace omx {
namespace {

// NDIS status codes for the object calls.
constexpr int32_t kNdisNotSupported = static_cast<int32_t>(0xC00000BB);
constexpr int32_t kNdisAdapterNotFound = static_cast<int32_t>(0xC001000E);
constexpr int32_t kNdisInvalidLength = static_cast<int32_t>(0xC0010014);
constexpr int32_t kNdisInvalidData = static_cast<int32_t>(0xC0010015);
constexpr int32_t kNdisBufferTooShort = static_cast<int32_t>(0xC0010016);
constexpr int32_t kNdisInvalidOid = static_cast<int32_t>(0xC0010017);

// Transmit rate in 500 kbit/s units from the link's type and signal.
uint8_t RateFor(NetType netType, int32_t signal) {
  if (signal == 0) signal = -40;  // own ad-hoc network: nobody far away
  if (netType == kNetTypeB) {
    if (signal >= -70) return 22;
    if (signal >= -80) return 11;
    if (signal >= -86) return 4;
    return 2;
  }
  if (signal >= -65) return 108;
  if (signal >= -72) return 96;
  if (signal >= -78) return 72;
  if (signal >= -84) return 48;
  return 24;
}

bool PskMatches(const std::string& want, const StatusOverlay& p) {
  std::string got = GetField(p.WPAPassphrase);
  if (want.size() == 64 && got.size() == 64) return EqualsNoCase(want, got);  // raw hex key
  return want == got;
}

// The profile's transmit key as bytes, checked against its level.
bool ProfileWepKey(const StatusOverlay& p, std::vector<uint8_t>* bytes) {
  if (p.DefaultKey < 0 || p.DefaultKey > 3) return false;
  size_t want = WepKeyBytes(p.WEPEncryptionLevel);
  if (!want) return false;
  return WepKeyToBytes(GetField(p.WEPKeys[p.DefaultKey]), bytes) && bytes->size() == want;
}

SiteEntry MakeEntry(const uint8_t bssid[6], const std::string& ssid, int32_t security,
                    int32_t signal, NetType netType, int32_t channel, bool infrastructure) {
  SiteEntry e{};
  e.Length = sizeof(SiteEntry);
  std::memcpy(e.Bssid, bssid, 6);
  size_t n = std::min<size_t>(ssid.size(), sizeof e.Ssid);
  e.SsidLength = static_cast<uint32_t>(n);
  std::memcpy(e.Ssid, ssid.data(), n);
  e.SecurityCode = security;
  e.SignalLevel = signal;
  e.NetType = netType;
  e.Frequency = ChannelToFrequency(channel);
  e.InfraMode = infrastructure ? 1 : 0;
  // the library's own bytes: channel and beacon period
  int32_t beacon = 100;
  std::memcpy(e.Lib60, &channel, 4);
  std::memcpy(e.Lib60 + 4, &beacon, 4);
  return e;
}

}  // namespace

// ---- state helpers (lock held) ----

AdapterState& Library::StateOf(const AdapterDef& def) {
  auto it = states_.find(def.Key());
  if (it == states_.end()) {
    it = states_.emplace(def.Key(), AdapterState{}).first;
    it->second.ipConfig.NI_wNetFlags = 1;  // DHCP
  }
  return it->second;
}

// The adapter the library talks to: the one DevDetect found last, else the
// first present one. Null while that adapter is unplugged.
const AdapterDef* Library::Selected(AdapterState** state) {
  const AdapterDef* def = nullptr;
  if (selected_.empty()) {
    for (const AdapterDef& a : world_.adapters)
      if (a.present) {
        selected_ = a.Key();
        break;
      }
  }
  for (const AdapterDef& a : world_.adapters)
    if (a.Key() == selected_) def = &a;
  if (!def || !def->present) return nullptr;
  AdapterState& st = StateOf(*def);
  if (state) *state = &st;
  return def;
}

std::string Library::DomainOf(const AdapterDef& def, const AdapterState& st) const {
  return st.domainOverride.empty() ? def.domain : st.domainOverride;
}

bool Library::InRange(const NetworkDef& n) const {
  return n.signal >= world_.sensitivity;
}

bool Library::Audible(const AdapterDef& def, const AdapterState& st, const NetworkDef& n) const {
  if (!st.radioOn || !InRange(n)) return false;
  int band = ChannelBands(n.channel);
  if (!(def.bands & band)) return false;
  return ChannelAllowed(DomainOf(def, st), band, n.channel);
}

bool Library::HasCertificate(CertKind kind, const std::string& name) const {
  for (const CertificateDef& c : world_.certificates)
    if (c.kind == kind && c.name == name) return true;
  return false;
}

bool Library::EapAccepts(const NetworkDef& n, const StatusOverlay& p, bool leapOnly) const {
  int32_t method = leapOnly ? kEapLeap : p.MS8021xAuthMode;
  if (std::find(n.eapMethods.begin(), n.eapMethods.end(), method) == n.eapMethods.end())
    return false;
  if (GetField(p.LoginName) != n.user) return false;
  if (method == kEapTls) {
    std::string cert = GetField(p.sCertificate);
    if (cert != n.certificate || !HasCertificate(kCertUser, cert)) return false;
  } else if (GetField(p.LoginPassword) != n.password) {
    return false;
  }
  if (method == kEapPeap && !n.peapInner.empty()) {
    int32_t inner = p.PeapEap == 0 ? 2 : p.PeapEap;
    if (std::find(n.peapInner.begin(), n.peapInner.end(), inner) == n.peapInner.end()) return false;
  }
  if (method == kEapTls || method == kEapTtls || method == kEapPeap) {
    // An empty authority trusts any server.
    std::string ca = GetField(p.sCertAuthority);
    if (!ca.empty() && (ca != n.serverCA || !HasCertificate(kCertAuthority, ca))) return false;
  }
  return true;
}

bool Library::Accepts(const NetworkDef& n, const StatusOverlay& p) const {
  int32_t t = p.EncryptionMethod;
  switch (KindOfCode(n.security)) {
    case SecKind::Open:
    case SecKind::Other:
      return t == kSecNone;
    case SecKind::Wep: {
      if (n.Uses8021X())
        return (t == kSecRadius && EapAccepts(n, p, false)) ||
               (t == kSecLeap && EapAccepts(n, p, true));
      if (t != kSecWep || p.WEPEncryptionLevel != n.wepLevel) return false;
      std::vector<uint8_t> key;
      return ProfileWepKey(p, &key) && !n.wepKeys[p.DefaultKey].empty() &&
             key == n.wepKeys[p.DefaultKey];
    }
    case SecKind::WpaPsk:
      return t == kSecWpaPsk && PskMatches(n.psk, p);
    case SecKind::Wpa2Psk:
      return t == kSecWpa2Psk && PskMatches(n.psk, p);
    case SecKind::WpaWpa2Psk:
      return (t == kSecWpaPsk || t == kSecWpa2Psk) && PskMatches(n.psk, p);
    case SecKind::Wpa:
      return t == kSecWpa && EapAccepts(n, p, false);
    case SecKind::Wpa2:
      return t == kSecWpa2 && EapAccepts(n, p, false);
    case SecKind::WpaWpa2:
      return (t == kSecWpa || t == kSecWpa2) && EapAccepts(n, p, false);
  }
  return false;
}

// Finds where the applied settings lead: the strongest audible network that
// lets them in, or (ad hoc) a network of our own when the name is not heard.
bool Library::FindTarget(const AdapterDef& def, const AdapterState& st, LinkTarget* target) {
  const StatusOverlay& p = st.profile;
  if (world_.faults.authFail) return false;
  std::string ssid = GetField(p.Ssid);
  bool infrastructure = p.NetworkMode == 1;
  int bands = ModeToBands(p.ABGMode) & def.bands;
  // An empty name or "ANY" joins any network that lets the settings in.
  bool wildcard = infrastructure && (ssid.empty() || ssid == "ANY");
  const NetworkDef* best = nullptr;
  bool nameHeard = false;
  for (const NetworkDef& n : world_.networks) {
    if (!Audible(def, st, n) || n.infrastructure != infrastructure) continue;
    if (wildcard ? n.hidden : n.ssid != ssid) continue;
    nameHeard = true;
    if (!(bands & ChannelBands(n.channel))) continue;
    if (!Accepts(n, p)) continue;
    if (!best || n.signal > best->signal) best = &n;
  }
  if (best) {
    target->ownAdHoc = false;
    target->bssid = best->bssid;
    target->ssid = best->ssid;
    target->channel = best->channel;
    // a g network talks b to a client without g
    target->netType = best->netType == kNetTypeG && !(bands & kBandG) ? kNetTypeB : best->netType;
    target->infrastructure = best->infrastructure;
    target->baseSignal = best->signal;
    target->jitter = best->jitter;
    return true;
  }
  if (infrastructure || ssid.empty() || nameHeard || !st.radioOn) return false;

  // Start our own ad-hoc network.
  int32_t t = p.EncryptionMethod;
  if (t != kSecNone && t != kSecWep && t != kSecWpaPsk && t != kSecWpa2Psk) return false;
  std::vector<uint8_t> key;
  if (t == kSecWep && !ProfileWepKey(p, &key)) return false;
  if ((t == kSecWpaPsk || t == kSecWpa2Psk) && GetField(p.WPAPassphrase).size() < 8) return false;
  int band = p.AdHocBand == 2 ? kBandA : p.AdHocBand == 1 ? kBandB : kBandG;
  if (p.AdHocBand != 1 && p.AdHocBand != 2 && p.AdHocBand != 3) {
    band = (def.bands & kBandG) ? kBandG : (def.bands & kBandB) ? kBandB : kBandA;
  }
  if (!(def.bands & band)) return false;
  std::string domain = DomainOf(def, st);
  int32_t channel = p.Channel;
  if (!ChannelAllowed(domain, band, channel)) {
    std::vector<int32_t> allowed = AllowedChannels(domain, band, false);
    if (allowed.empty()) return false;
    int32_t preferred = band == kBandA ? 36 : 11;
    channel = std::find(allowed.begin(), allowed.end(), preferred) != allowed.end() ? preferred
                                                                                    : allowed[0];
  }
  target->ownAdHoc = true;
  uint32_t r = Random();
  target->bssid = {static_cast<uint8_t>((def.mac[0] | 0x02) & 0xFE),
                   def.mac[1],
                   def.mac[2],
                   static_cast<uint8_t>(r),
                   static_cast<uint8_t>(r >> 8),
                   static_cast<uint8_t>(r >> 16)};
  target->ssid = ssid;
  target->channel = channel;
  target->netType = NetTypeOfBand(band);
  target->infrastructure = false;
  target->baseSignal = 0;
  target->jitter = 0;
  return true;
}

int32_t Library::SampleSignal(int32_t base, int32_t jitter) {
  if (base == 0) return 0;
  int32_t s = base;
  if (jitter > 0) s += static_cast<int32_t>(Random() % (2 * jitter + 1)) - jitter;
  return std::min(s, -1);  // 0 would mean "no value"
}

void Library::DropLink(AdapterState& st, bool forget) {
  if (forget) {
    st.link = LinkState::Idle;
    st.profile = StatusOverlay{};
  } else if (st.link == LinkState::Linked) {
    st.link = LinkState::Searching;
  }
  st.target = LinkTarget{};
}

void Library::Advance(uint32_t now) {
  for (const AdapterDef& a : world_.adapters)
    if (a.present) AdvanceAdapter(a, StateOf(a), now);
}

void Library::AdvanceAdapter(const AdapterDef& def, AdapterState& st, uint32_t now) {
  if (st.scanning && now - st.scanStartedAt >= world_.scanTimeMs) {
    st.lastScan = BuildScan(def, st);
    st.scanning = false;
  }
  if (st.link == LinkState::Linked) {
    bool valid = st.radioOn && !world_.faults.authFail;
    if (valid && st.target.ownAdHoc) {
      valid = ChannelAllowed(DomainOf(def, st), ChannelBands(st.target.channel), st.target.channel);
    } else if (valid) {
      valid = false;
      for (const NetworkDef& n : world_.networks) {
        if (n.bssid != st.target.bssid || n.ssid != st.target.ssid) continue;
        if (Audible(def, st, n) && n.infrastructure == st.target.infrastructure &&
            Accepts(n, st.profile)) {
          valid = true;
          st.target.baseSignal = n.signal;  // signals move with the world
          st.target.jitter = n.jitter;
        }
      }
    }
    if (!valid) {
      Trace("link to \"%s\" lost", Escaped(st.target.ssid).c_str());
      DropLink(st, false);
      st.pendingSince = now;
    } else {
      uint32_t dt = std::min<uint32_t>(now - st.trafficAt, 10000);
      st.trafficAt = now;
      st.rxRate = std::clamp<uint32_t>(st.rxRate / 100 * (90 + Random() % 21), 2000, 400000);
      st.txRate = std::clamp<uint32_t>(st.txRate / 100 * (90 + Random() % 21), 500, 100000);
      st.rxBytes += static_cast<uint64_t>(st.rxRate) * dt / 1000;
      st.txBytes += static_cast<uint64_t>(st.txRate) * dt / 1000;
    }
  }
  if (st.link == LinkState::Searching) {
    LinkTarget t;
    if (!FindTarget(def, st, &t)) {
      st.pendingSince = now;
    } else if (now - st.pendingSince >= world_.associateTimeMs) {
      st.target = t;
      st.link = LinkState::Linked;
      st.trafficAt = now;
      Trace("linked to \"%s\"%s", Escaped(t.ssid).c_str(),
            t.ownAdHoc ? " (own ad-hoc network)" : "");
    }
  }
}

std::vector<SiteEntry> Library::BuildScan(const AdapterDef& def, AdapterState& st) {
  std::vector<SiteEntry> out;
  for (const NetworkDef& n : world_.networks) {
    if (!Audible(def, st, n)) continue;
    out.push_back(MakeEntry(n.bssid.data(), n.hidden ? std::string() : n.ssid, n.security,
                            SampleSignal(n.signal, n.jitter), n.netType, n.channel,
                            n.infrastructure));
  }
  const FaultDef& f = world_.faults;
  if (f.scanMalformed) {
    const uint8_t longId[6] = {0x02, 0xBA, 0xD0, 0, 0, 1};
    SiteEntry e = MakeEntry(longId, "Overlong-Name", 0, -70, kNetTypeG, 6, true);
    e.SsidLength = 40;  // above the 32 an SSID can have
    out.push_back(e);
    const uint8_t emptyId[6] = {0x02, 0xBA, 0xD0, 0, 0, 2};
    e = MakeEntry(emptyId, "", 0, -70, kNetTypeG, 6, true);
    e.SsidLength = 8;  // a length, but the name starts with a zero byte
    out.push_back(e);
    const uint8_t zeroId[6] = {};
    out.push_back(MakeEntry(zeroId, "Zero-BSSID", 0, -70, kNetTypeG, 6, true));
    if (!out.empty()) out.push_back(out.front());  // the same network twice
  }
  if (f.scanCount > 0) {
    for (int i = 0; out.size() < static_cast<size_t>(kMaxSiteEntries); ++i) {
      const uint8_t id[6] = {
          0x02, 0xF1, 0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
      out.push_back(MakeEntry(id, Format("Filler-%03d", i), 0, -88, kNetTypeG, 1 + i % 11, true));
    }
  }
  if (out.size() > static_cast<size_t>(kMaxSiteEntries)) out.resize(kMaxSiteEntries);
  return out;
}

void Library::FillStatus(const AdapterDef& def, AdapterState& st, WLStatus* status) {
  (void)def;
  std::memset(status, 0, sizeof *status);
  if (st.link != LinkState::Idle) std::memcpy(OverlayOf(status), &st.profile, sizeof st.profile);
  if (st.link != LinkState::Linked) {
    status->MediaState = 1;
    return;
  }
  const LinkTarget& t = st.target;
  std::memcpy(status->Bssid, t.bssid.data(), 6);
  size_t n = std::min<size_t>(t.ssid.size(), sizeof status->Ssid);
  status->SsidLength = static_cast<uint32_t>(n);
  std::memcpy(status->Ssid, t.ssid.data(), n);
  int32_t signal = t.ownAdHoc ? 0 : SampleSignal(t.baseSignal, t.jitter);
  status->SignalLevel = signal;
  status->LinkLevel = signal;
  status->InfraMode = t.infrastructure ? 1 : 0;
  status->Frequency = ChannelToFrequency(t.channel);
  status->AuthMode = st.profile.AuthenticationMode;
  status->RxTotal = st.rxBytes;
  status->TxTotal = st.txBytes;
  status->RxCounter = st.rxBytes;
  status->TxCounter = st.txBytes;
  status->Security = st.profile.EncryptionMethod;
  status->NetType = t.netType;
  status->TxRate = RateFor(t.netType, signal);
  status->MediaState = 0;
}

// ---- entry points ----

int32_t Library::EnumAvailableDevice(int32_t index, DetectRec* rec) {
  if (!rec || index < 0) return 0;
  Lock guard(this);
  int32_t i = 0;
  for (const AdapterDef& a : world_.adapters) {
    if (!a.present) continue;
    if (i++ == index) {
      PutField(rec->HardwareId, a.hardwareId);
      PutField(rec->Description, a.description);
      return 1;
    }
  }
  return 0;
}

int32_t Library::DevDetect(DetectRec* rec) {
  if (!rec) return 0;
  std::string id = Upper(GetField(rec->HardwareId));
  Lock guard(this);
  Advance(GetTickCount());
  for (const AdapterDef& a : world_.adapters) {
    if (!a.present) continue;
    if (!id.empty() && Upper(a.hardwareId).find(id) == std::string::npos) continue;
    PutField(rec->Description, a.description);
    selected_ = a.Key();
    return 1;
  }
  return 0;
}

int32_t Library::QueryOID(uint32_t oid, void* buf, uint32_t len, uint32_t* written) {
  Lock guard(this);
  Advance(GetTickCount());
  AdapterState* st = nullptr;
  const AdapterDef* def = Selected(&st);
  if (written) *written = 0;
  if (!def) return kNdisAdapterNotFound;
  uint8_t value[6] = {};
  uint32_t need = 0;
  switch (oid) {
    case OMXWL_OID_GEN_MEDIA_CONNECT_STATUS: {
      uint32_t v = st->link == LinkState::Linked ? 0 : 1;
      std::memcpy(value, &v, 4);
      need = 4;
      break;
    }
    case OMXWL_OID_802_3_CURRENT_ADDRESS:
      std::memcpy(value, def->mac.data(), 6);
      need = 6;
      break;
    case OMXWL_OID_802_11_INFRASTRUCTURE_MODE: {
      uint32_t v =
          st->link == LinkState::Linked ? (st->target.infrastructure ? 1 : 0) : st->infraMode;
      std::memcpy(value, &v, 4);
      need = 4;
      break;
    }
    case OMXWL_OID_PRIVATE_ANTENNA:
      value[0] = st->antenna;
      need = 1;
      break;
    default:
      return kNdisInvalidOid;
  }
  if (!buf || len < need) {
    if (written) *written = need;  // what the caller needs
    return kNdisBufferTooShort;
  }
  std::memcpy(buf, value, need);
  if (written) *written = need;
  return 0;
}

int32_t Library::SetOID(uint32_t oid, const void* buf, uint32_t len) {
  Lock guard(this);
  Advance(GetTickCount());
  AdapterState* st = nullptr;
  if (!Selected(&st)) return kNdisAdapterNotFound;
  switch (oid) {
    case OMXWL_OID_802_11_INFRASTRUCTURE_MODE: {
      if (!buf || len < 4) return kNdisInvalidLength;
      uint32_t v;
      std::memcpy(&v, buf, 4);
      if (v > 2) return kNdisInvalidData;  // IBSS, infrastructure, automatic
      st->infraMode = v;
      return 0;
    }
    case OMXWL_OID_PRIVATE_ANTENNA:
      if (!buf || len < 1) return kNdisInvalidLength;
      st->antenna = *static_cast<const uint8_t*>(buf);
      return 0;
    case OMXWL_OID_GEN_MEDIA_CONNECT_STATUS:
    case OMXWL_OID_802_3_CURRENT_ADDRESS:
      return kNdisNotSupported;  // read-only
    default:
      return kNdisInvalidOid;
  }
}

int32_t Library::SiteSurveyScan() {
  Lock guard(this);
  uint32_t now = GetTickCount();
  Advance(now);
  AdapterState* st = nullptr;
  if (!Selected(&st) || !st->radioOn) return 0;
  if (!st->scanning) {  // a scan under way is not restarted
    st->scanning = true;
    st->scanStartedAt = now;
  }
  Wake();
  return 1;
}

int32_t Library::SiteSurveyGet(SiteList* list, uint32_t* len) {
  if (!list || !len) return 0;
  uint32_t capacity = *len;
  Lock guard(this);
  Advance(GetTickCount());
  AdapterState* st = nullptr;
  if (!Selected(&st) || capacity < sizeof(uint32_t)) {
    *len = 0;
    return 0;
  }
  size_t fit = std::min<size_t>({st->lastScan.size(), (capacity - 4) / sizeof(SiteEntry),
                                 static_cast<size_t>(kMaxSiteEntries)});
  uint32_t count = world_.faults.scanCount > 0 ? static_cast<uint32_t>(world_.faults.scanCount)
                                               : static_cast<uint32_t>(fit);
  auto* out = reinterpret_cast<uint8_t*>(list);
  std::memcpy(out, &count, 4);
  if (fit) std::memcpy(out + 4, st->lastScan.data(), fit * sizeof(SiteEntry));
  *len = static_cast<uint32_t>(4 + fit * sizeof(SiteEntry));
  return 1;
}

int32_t Library::GetWLANStatus(int32_t* again, WLStatus* status) {
  if (!status) return 0;
  Lock guard(this);
  Advance(GetTickCount());
  AdapterState* st = nullptr;
  const AdapterDef* def = Selected(&st);
  if (!def) return 0;
  FillStatus(*def, *st, status);
  int32_t more = 0;
  if (world_.faults.statusAgain) {
    more = st->againPending ? 0 : 1;
    st->againPending = !st->againPending;
  } else {
    st->againPending = false;
  }
  if (again) *again = more;
  return 1;
}

int32_t Library::WLProfileToWLStatus(const WLProfile* profile, WLStatus* status) {
  if (!profile || !status) return 0;
  StatusOverlay ov{};
  ov.Magic = kOverlayMagic;
  ov.Version = kOverlayVersion;
  ov.NetworkMode = profile->NetworkMode;
  ov.Channel = profile->Channel;
  ov.AdHocBand = profile->AdHocBand;
  ov.ABGMode = profile->ABGMode;
  ov.EncryptionMethod = profile->EncryptionMethod;
  ov.AuthenticationMode = profile->AuthenticationMode;
  ov.WPAEncryptionType = profile->WPAEncryptionType;
  ov.WEPEncryptionLevel = profile->WEPEncryptionLevel;
  ov.DefaultKey = profile->DefaultKey;
  ov.WEPKeyFormat = profile->WEPKeyFormat;
  ov.MS8021xAuthMode = profile->MS8021xAuthMode;
  ov.PeapEap = profile->PeapEap;
  ov.TxRate = profile->TxRate;
  ov.PowerMode = profile->PowerMode;
  ov.PreambleMode = profile->PreambleMode;
  PutField(ov.ProfileName, GetField(profile->ProfileName));
  std::string ssid = GetField(profile->Ssid1).substr(0, 32);
  PutField(ov.Ssid, ssid);
  PutField(ov.WEPKeys[0], GetField(profile->WEPKey1));
  PutField(ov.WEPKeys[1], GetField(profile->WEPKey2));
  PutField(ov.WEPKeys[2], GetField(profile->WEPKey3));
  PutField(ov.WEPKeys[3], GetField(profile->WEPKey4));
  PutField(ov.WPAPassphrase, GetField(profile->WPAPassphrase));
  PutField(ov.LoginName, GetField(profile->LoginName));
  PutField(ov.LoginPassword, GetField(profile->LoginPassword));
  PutField(ov.sCertificate, GetField(profile->sCertificate));
  PutField(ov.sCertAuthority, GetField(profile->sCertAuthority));
  std::memcpy(OverlayOf(status), &ov, sizeof ov);
  // what a reader of the record sees before the link is up
  status->SsidLength = static_cast<uint32_t>(ssid.size());
  std::memset(status->Ssid, 0, sizeof status->Ssid);
  std::memcpy(status->Ssid, ssid.data(), ssid.size());
  status->InfraMode = profile->NetworkMode == 1 ? 1 : 0;
  status->AuthMode = profile->AuthenticationMode;
  status->Security = profile->EncryptionMethod;
  status->Frequency = profile->NetworkMode == 1 ? 0 : ChannelToFrequency(profile->Channel);
  status->MediaState = 1;
  return 1;
}

int32_t Library::SetWLANStatus(int32_t* word, WLStatus* status) {
  if (!status) return 0;
  StatusOverlay p;
  std::memcpy(&p, OverlayOf(status), sizeof p);
  if (p.Magic != kOverlayMagic || p.Version != kOverlayVersion) {
    Trace("SetWLANStatus: the record was not built by OMXWL_WLProfileToWLStatus");
    return 0;
  }
  if (p.EncryptionMethod < kSecNone || p.EncryptionMethod > kSecWpa2) {
    Trace("SetWLANStatus: unknown security type %d", p.EncryptionMethod);
    return 0;
  }
  // The record came from outside: re-terminate its texts.
  PutField(p.ProfileName, GetField(p.ProfileName));
  PutField(p.Ssid, GetField(p.Ssid));
  for (auto& key : p.WEPKeys) PutField(key, GetField(key));
  PutField(p.WPAPassphrase, GetField(p.WPAPassphrase));
  PutField(p.LoginName, GetField(p.LoginName));
  PutField(p.LoginPassword, GetField(p.LoginPassword));
  PutField(p.sCertificate, GetField(p.sCertificate));
  PutField(p.sCertAuthority, GetField(p.sCertAuthority));

  Lock guard(this);
  uint32_t now = GetTickCount();
  Advance(now);
  AdapterState* st = nullptr;
  if (!Selected(&st) || !st->radioOn) return 0;
  DropLink(*st, true);
  st->profile = p;
  st->link = LinkState::Searching;
  st->pendingSince = now;
  ++st->assocSeq;
  if (word) *word = static_cast<int32_t>(st->assocSeq);
  Trace("associating with \"%s\" (profile \"%s\")", Escaped(GetField(p.Ssid)).c_str(),
        Escaped(GetField(p.ProfileName)).c_str());
  Wake();
  return 1;
}

int32_t Library::GetNetworkInfo(NetworkInfo* info) {
  if (!info) return 0;
  Lock guard(this);
  Advance(GetTickCount());
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  NetworkInfo r = st->ipConfig;
  PutField(r.NI_sz_CurProfile,
           st->link == LinkState::Idle ? std::string() : GetField(st->profile.ProfileName));
  if (r.NI_wNetFlags & 1) {  // DHCP: the server's answer, once linked to an access point
    bool answered =
        st->link == LinkState::Linked && st->target.infrastructure && world_.dhcp.present;
    const DhcpDef& d = world_.dhcp;
    std::array<uint8_t, 4> zero{};
    std::memcpy(r.NI_IpAddr, (answered ? d.address : zero).data(), 4);
    std::memcpy(r.NI_IpMask, (answered ? d.mask : zero).data(), 4);
    std::memcpy(r.NI_IpGate1, (answered ? d.gateway : zero).data(), 4);
    std::memset(r.NI_IpGate2, 0, 4);
    std::memcpy(r.NI_IpDNS1, (answered ? d.dns1 : zero).data(), 4);
    std::memcpy(r.NI_IpDNS2, (answered ? d.dns2 : zero).data(), 4);
  }
  *info = r;
  return 1;
}

int32_t Library::SetNetworkInfo(const NetworkInfo* info) {
  if (!info) return 0;
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  st->ipConfig = *info;
  return 1;
}

int32_t Library::GetWLANDriverPath(char* path) {
  if (!path) return 0;
  Lock guard(this);
  const AdapterDef* def = Selected(nullptr);
  if (!def) return 0;
  PutText(path, std::min<size_t>(256, def->driver.size() + 1), def->driver);
  return 1;
}

int32_t Library::GetZeroConfig(int32_t* on) {
  if (!on) return 0;
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  *on = st->zeroConfig ? 1 : 0;
  return 1;
}

int32_t Library::SetZeroConfig(int32_t on) {
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  st->zeroConfig = on != 0;
  return 1;
}

int32_t Library::GetWLANDomain(char* domain) {
  if (!domain) return 0;
  Lock guard(this);
  AdapterState* st = nullptr;
  const AdapterDef* def = Selected(&st);
  if (!def) return 0;
  std::string d = DomainOf(*def, *st);
  PutText(domain, std::min<size_t>(256, d.size() + 1), d);
  return 1;
}

int32_t Library::SetWLANDomain(const char* domain) {
  bool cut = false;
  std::string d = Trim(InText(domain, 256, &cut));
  if (cut || !IsKnownDomain(d)) {
    Trace("SetWLANDomain: unknown regulatory domain");
    return 0;
  }
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  st->domainOverride = Upper(d);
  Advance(GetTickCount());  // a link on a channel the domain forbids goes down
  return 1;
}

int32_t Library::Disconnect() {
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  DropLink(*st, true);
  return 1;
}

int32_t Library::EnableDevice(int32_t enable) {
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st)) return 0;
  st->radioOn = enable != 0;
  if (!st->radioOn) {
    DropLink(*st, true);
    st->scanning = false;
    st->lastScan.clear();
  }
  return 1;
}

int32_t Library::GetCurrentProfile(char* name) {
  if (!name) return 0;
  Lock guard(this);
  AdapterState* st = nullptr;
  if (!Selected(&st) || st->link == LinkState::Idle) {
    name[0] = 0;
    return 0;
  }
  std::string n = GetField(st->profile.ProfileName);
  PutText(name, n.size() + 1, n);
  return 1;
}

int32_t Library::EnumCertificates(const CertEntry** entries, int32_t kind) {
  Lock guard(this);
  if (kind != kCertUser && kind != kCertAuthority) {
    if (entries) *entries = &noCert_;
    return 0;
  }
  std::vector<CertEntry>& v = kind == kCertUser ? userCerts_ : authorityCerts_;
  v.clear();
  for (const CertificateDef& c : world_.certificates) {
    if (c.kind != kind) continue;
    CertEntry e{};
    PutField(e.Display, c.display);
    PutField(e.Name, c.name);
    v.push_back(e);
  }
  if (entries) *entries = v.empty() ? &noCert_ : v.data();
  return static_cast<int32_t>(v.size());
}

int32_t Library::GetAllowedChannel(int32_t* channels, int32_t band, const char* domain, bool ap) {
  int bands = band & kBandMask;
  bool cut = false;
  std::string d = Trim(InText(domain, 256, &cut));
  if (!bands || cut) return 0;
  Lock guard(this);
  AdapterState* st = nullptr;
  const AdapterDef* def = Selected(&st);
  if (d.empty()) {
    if (!def) return 0;
    d = DomainOf(*def, *st);
  }
  if (def) bands &= def->bands;
  std::vector<int32_t> set = AllowedChannels(d, bands, ap);
  if (set.empty()) {
    if (!IsKnownDomain(d)) Trace("no channels for the unknown domain \"%s\"", d.c_str());
    return 0;
  }
  if (set.size() > 512) set.resize(512);
  if (channels) std::memcpy(channels, set.data(), set.size() * sizeof(int32_t));
  if (world_.faults.channelCount > 0) return world_.faults.channelCount;
  return static_cast<int32_t>(set.size());
}

}  // namespace omx
