// The rules of the profile wizard that need no window: the order of its
// pages, the band rule, the security types offered, the checks of names and
// network names, the ad-hoc modes and channels, the band choice and the
// summary of a profile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/Udefine.h"

namespace wizardlogic {

// The wizard's pages.
enum class TWizPage {
  None,
  NetType,
  WlMode,
  Wireless,
  Security,
  WEP,
  WPAPSK,
  Dot11,
  Confirm,
  Active
};

// Longest profile name and network name a profile holds.
constexpr size_t kNameChars = sizeof(WLProfile::ProfileName) - 1;
constexpr size_t kSsidChars = 32;

// The detail page of a security type: WEP, WPA-PSK, 802.1X, or None for
// types without one (none, LEAP, unknown).
TWizPage DetailPageOf(int32_t security);

// The first page: the network type page, or in key-only mode the detail
// page of the profile's security type (the confirm page without one).
TWizPage FirstPage(int flags, int32_t security);

// The band page is shown for infrastructure profiles outside key-only mode
// on an adapter that can use more than one of the three bands.
bool BandRule(int flags, int32_t networkMode, bool haveAdapter, int32_t supportMode);

// The page after the current one, from the working profile as the current
// page has just written it.
TWizPage NextPage(TWizPage current, const WLProfile& work, bool bandRule);

// Security types offered on the security page, in list order. switchOn
// reads a per-adapter switch (default on).
std::vector<int32_t> OfferedSecurity(int32_t networkMode, int32_t osVersion,
                                     const std::function<bool(const char*)>& switchOn);
// Index to select among the offered types for a profile's type: its own,
// else its WPA/WPA2 sibling, else the first; -1 when nothing is offered.
int PickSecurity(const std::vector<int32_t>& offered, int32_t security);

// Check of a profile name (UTF-8) on the network type page.
enum class TNameCheck { Ok, Empty, Reserved, Exists, BadChar, TooLong };
// name: as typed, never cut; exists: a lookup without regard to case. A
// character the store (code page cp) cannot hold gives BadChar and its text
// in refused; more than kNameChars store bytes gives TooLong. In edit mode
// the name the profile entered with is accepted again, compared exactly.
TNameCheck CheckProfileName(const std::string& name, const std::string& apDefaultName,
                            const std::function<bool(const std::string&)>& exists, bool editMode,
                            const std::string& nameOnEntry, std::string* refused = nullptr,
                            UINT cp = CP_ACP);
// The message of a failed check (the Exists text names the profile, the
// BadChar text the refused character).
std::string NameCheckMessage(TNameCheck check, const std::string& name,
                             const std::string& refused = std::string());
// UTF-8 text cut to at most chars store bytes (code page cp), never inside
// a character.
std::string CutText(const std::string& text, size_t chars, UINT cp = CP_ACP);
// The name of a new profile: the default name, or when a profile has it
// the first free "<name>_<n>" (n from 1 to 9998; the last is taken even when
// it is in use). The name is shortened, at a character, so that the number
// fits the field.
std::string NewProfileName(const std::string& name,
                           const std::function<bool(const std::string&)>& exists, UINT cp = CP_ACP);

// ---- ad-hoc modes and channels ----
struct TModeItem {
  std::string Text;
  int32_t Value;  // ad-hoc wireless mode: 1 802.11b, 2 802.11a, 3 802.11g
};
// Modes offered for the usable ad-hoc bands: protocol names with 802.11g
// ad hoc allowed, band names (2.4 and 5 GHz) without.
std::vector<TModeItem> AdHocModeItems(int32_t usableBands, bool adHocG);

// Where the channels of an ad-hoc mode come from.
struct TAdHocChannels {
  const char* Setting;  // per-adapter channel-list setting
  int32_t Band;         // band asked of the library
  bool FiveGHz;         // the fallback is the 5 GHz default channel
};
// False for an unknown mode.
bool AdHocChannelsOf(int32_t mode, TAdHocChannels& out);

// ---- band page ----
struct TBandBox {
  bool Shown;
  int32_t Tag;  // band bits the box stands for (0 when hidden)
  bool Checked;
  int TextIndex;  // display string of its band
};
// The three boxes (802.11b, 802.11g, 802.11a) for an adapter's wireless mode
// and the profile's.
std::vector<TBandBox> BandBoxes(int32_t supportMode, int32_t profileMode);
// After the bands changed: an ad-hoc band the new mode cannot use moves to
// one it can (5 GHz first), with the default channel of that band.
void FitAdHocBand(int32_t usableBands, int32_t defChB, int32_t defChA, WLProfile& work);

// ---- summary of a profile (confirm page and profile details) ----
struct TProfileSummary {
  std::string Ssid, NetType, WlMode, Channel, Security;
};
// adHocG: the adapter's "EnableAdHocG" switch; without an adapter an ad-hoc
// mode shows "Auto".
TProfileSummary Summarize(const WLProfile& p, bool haveAdapter, bool adHocG);

}  // namespace wizardlogic
