#include "pages/wizard/Uwizardlogic.h"

#include "adapter/Unames.h"
#include "config/Unotify.h"
#include "config/Uunicode.h"

namespace wizardlogic {

TWizPage DetailPageOf(int32_t security) {
  switch (security) {
    case EncWEP:
      return TWizPage::WEP;
    case EncWPA_PSK:
    case EncWPA2_PSK:
      return TWizPage::WPAPSK;
    case EncWPA:
    case EncRADIUS:
    case EncWPA2:
      return TWizPage::Dot11;
    default:
      return TWizPage::None;
  }
}

TWizPage FirstPage(int flags, int32_t security) {
  if (!(flags & kProfKeyOnly)) return TWizPage::NetType;
  const TWizPage detail = DetailPageOf(security);
  return detail == TWizPage::None ? TWizPage::Confirm : detail;
}

bool BandRule(int flags, int32_t networkMode, bool haveAdapter, int32_t supportMode) {
  if ((flags & kProfKeyOnly) || networkMode != 1 || !haveAdapter) return false;
  const int32_t bands = CFAGlobalVar::ModeToBands(supportMode);
  int count = 0;
  for (int32_t bit : {Band11b, Band11a, Band11g})
    if (bands & bit) ++count;
  return count > 1;
}

TWizPage NextPage(TWizPage current, const WLProfile& work, bool bandRule) {
  const TWizPage afterSecurity = bandRule ? TWizPage::Wireless : TWizPage::Confirm;
  switch (current) {
    case TWizPage::NetType:
      return work.NetworkMode == 1 ? TWizPage::Security : TWizPage::WlMode;
    case TWizPage::WlMode:
      return TWizPage::Security;
    case TWizPage::Security: {
      const TWizPage detail = DetailPageOf(work.EncryptionMethod);
      return detail == TWizPage::None ? afterSecurity : detail;
    }
    case TWizPage::WEP:
    case TWizPage::WPAPSK:
    case TWizPage::Dot11:
      return afterSecurity;
    case TWizPage::Wireless:
      return TWizPage::Confirm;
    default:
      return TWizPage::NetType;
  }
}

std::vector<int32_t> OfferedSecurity(int32_t networkMode, int32_t osVersion,
                                     const std::function<bool(const char*)>& switchOn) {
  std::vector<int32_t> out;
  auto offer = [&](const char* name, int32_t type) {
    if (switchOn(name)) out.push_back(type);
  };
  offer("EnableNone", EncNone);
  offer("EnableWEP", EncWEP);
  // Ad-hoc networks know no more than WEP.
  if (networkMode != 1) return out;
  if (osVersion > 5) {
    offer("EnableWPA", EncWPA);
    offer("EnableWPA2", EncWPA2);
    offer("EnableWPA_PSK", EncWPA_PSK);
    offer("EnableWPA2_PSK", EncWPA2_PSK);
  } else {
    offer("EnableWPA", EncWPA);
    offer("EnableWPA_PSK", EncWPA_PSK);
  }
  offer("EnableRADIUS", EncRADIUS);
  return out;
}

int PickSecurity(const std::vector<int32_t>& offered, int32_t security) {
  auto find = [&](int32_t type) {
    for (size_t i = 0; i < offered.size(); ++i)
      if (offered[i] == type) return static_cast<int>(i);
    return -1;
  };
  int index = find(security);
  if (index < 0) {
    int32_t sibling = -1;
    switch (security) {
      case EncWPA:
        sibling = EncWPA2;
        break;
      case EncWPA2:
        sibling = EncWPA;
        break;
      case EncWPA_PSK:
        sibling = EncWPA2_PSK;
        break;
      case EncWPA2_PSK:
        sibling = EncWPA_PSK;
        break;
      default:
        break;
    }
    if (sibling >= 0) index = find(sibling);
  }
  if (index < 0 && !offered.empty()) index = 0;
  return index;
}

std::string CutText(const std::string& text, size_t chars, UINT cp) {
  std::string store;
  if (text.size() <= chars) return text;
  if (ToStore(text, store, nullptr, cp) && store.size() <= chars) return text;
  return StorableName(text, chars, cp);
}

std::string NewProfileName(const std::string& name,
                           const std::function<bool(const std::string&)>& exists, UINT cp) {
  if (name.empty() || !exists(name)) return name;
  std::string candidate;
  for (int i = 1; i <= 9998; ++i) {
    // A long name gives way to the number: a cut number would name an
    // existing profile again.
    const std::string suffix = "_" + std::to_string(i);
    candidate = CutText(name, kNameChars - suffix.size(), cp) + suffix;
    if (!exists(candidate)) break;
  }
  return candidate;
}

TNameCheck CheckProfileName(const std::string& typed, const std::string& apDefaultName,
                            const std::function<bool(const std::string&)>& exists, bool editMode,
                            const std::string& nameOnEntry, std::string* refused, UINT cp) {
  const std::string& name = typed;
  if (refused) refused->clear();
  if (name.empty()) return TNameCheck::Empty;
  if (name == kEditingProfile || name == apDefaultName) return TNameCheck::Reserved;
  // Never cut: a cut name is not the one the user chose, and would be
  // stored beside the profile it was cut to.
  std::string store;
  if (!ToStore(name, store, refused, cp)) return TNameCheck::BadChar;
  if (store.size() > kNameChars) return TNameCheck::TooLong;
  // The lookup ignores case, the edited profile's own name does not: a
  // change of case alone would leave two names that the library mixes up.
  if (exists(name) && !(editMode && name == nameOnEntry)) return TNameCheck::Exists;
  return TNameCheck::Ok;
}

std::string NameCheckMessage(TNameCheck check, const std::string& name,
                             const std::string& refused) {
  switch (check) {
    case TNameCheck::Empty:
      return g_GlobalVar.StrFileRead("Message", "ErEmyProfName", "Profile Name can't be empty!");
    case TNameCheck::Reserved:
      return g_GlobalVar.StrFileRead(
          "Message", "ErSysProfName",
          "This profile name is used by the system. Please enter a different name.");
    case TNameCheck::Exists:
      return FormatText(g_GlobalVar.StrFileRead("Message", "ErSamProfName",
                                                "%s already exists. Please enter another name."),
                        "'" + name + "'");
    case TNameCheck::BadChar:
      return FormatText(g_GlobalVar.StrFileRead("Message", "ErProfChar",
                                                "'%s' cannot be used in a profile name."),
                        refused);
    case TNameCheck::TooLong:
      return g_GlobalVar.StrFileRead("Message", "ErLongProfName",
                                     "The profile name is too long; it may have at most 64 bytes.");
    default:
      return "";
  }
}

std::vector<TModeItem> AdHocModeItems(int32_t usable, bool adHocG) {
  const std::string* common = g_GlobalVar.CommonStrings;
  std::vector<TModeItem> items;
  if (adHocG) {
    if (usable & Band11b) items.push_back({common[cs802B], 1});
    if (usable & Band11g) items.push_back({common[cs802G], 3});
    if (usable & Band11a) items.push_back({common[cs802A], 2});
  } else {
    if (usable & Band11b) items.push_back({"2.4 " + common[csGHz], 1});
    if (usable & Band11a) items.push_back({"5 " + common[csGHz], 2});
  }
  return items;
}

bool AdHocChannelsOf(int32_t mode, TAdHocChannels& out) {
  switch (mode) {
    case 1:
      out = {"AdHocChB", Band11b, false};
      return true;
    case 2:
      out = {"AdHocChA", Band11a, true};
      return true;
    case 3:
      out = {"AdHocChG", Band11g, false};
      return true;
    default:
      return false;
  }
}

std::vector<TBandBox> BandBoxes(int32_t supportMode, int32_t profileMode) {
  const int32_t a = CFAGlobalVar::ModeToBands(supportMode);
  const int32_t p = a & CFAGlobalVar::ModeToBands(profileMode);
  auto box = [&](int32_t bit, int32_t tag, int text) {
    const bool shown = (a & bit) != 0;
    return TBandBox{shown, shown ? tag : 0, shown && (p & bit) != 0, text};
  };
  return {box(Band11b, Band11b, cs802B), box(Band11g, a & 0x204, cs802G),
          box(Band11a, a & 0x102, cs802A)};
}

void FitAdHocBand(int32_t usable, int32_t defChB, int32_t defChA, WLProfile& work) {
  if (usable & CFAGlobalVar::ModeToBands(work.AdHocBand)) return;
  if (usable & Band11a) {
    work.AdHocBand = 2;
    work.Channel = defChA;
  } else if (usable & (Band11g | Band11b)) {
    work.AdHocBand = (usable & Band11g) ? 3 : 1;
    work.Channel = defChB;
  }
}

TProfileSummary Summarize(const WLProfile& p, bool haveAdapter, bool adHocG) {
  const std::string* common = g_GlobalVar.CommonStrings;
  TProfileSummary s;
  s.Ssid = SsidText(p);
  if (p.NetworkMode == 1) {
    s.NetType = common[csInfrastructure];
    s.WlMode = CFAGlobalVar::ModeListText(p.ABGMode);
  } else {
    s.NetType = common[csAdHoc];
    s.WlMode = haveAdapter ? g_GlobalVar.BandText(p.AdHocBand, adHocG) : common[csAuto];
  }
  s.Channel = p.NetworkMode != 1 && p.Channel != 0 ? std::to_string(p.Channel) : common[csAuto];
  s.Security = g_GlobalVar.SecurityText(p.EncryptionMethod);
  return s;
}

}  // namespace wizardlogic
