// The rules of the station pages that need no window: lamp counts, rate
// texts and measurements, row icons, the order of survey rows, the offered
// transmission rates and the authentication shown for a link.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/Udefine.h"

namespace stationlogic {

constexpr int kLampCount = 10;

// Lit lamps of a row for a level in dBm (each lamp stands for 10 %; a level
// of 0 counts as -95 dBm).
int LampCount(int32_t dbm);

// "5.5 Mbps" for 11, "54 Mbps" for 108: a rate in units of 500 kbit/s and
// the unit text.
std::string RateText(int32_t rate, const std::string& unit);

// Transfer rate in kbit/s from two byte counters elapsedMs apart; 0 when
// the counter went backwards (the adapter was reset) or no time passed.
float KbitRate(uint64_t now, uint64_t before, uint32_t elapsedMs);

// Icon of a list row: 0 open infrastructure, 1 open ad hoc, 2 protected
// infrastructure, 3 protected ad hoc.
int NetworkIcon(bool secured, int32_t infraMode);

// The rates offered for a band from a comma list of a per-adapter setting,
// in the order of the list: entries that are not integers are skipped, the
// first value below 1 ends the list, at most 256 values are taken.
std::vector<int32_t> OfferedRates(const std::string& setting);

// -1, 0 or 1, the order of two survey rows by a column: 2 channel number, 3
// signal level, others their texts without regard to case; reversed when
// descending.
int CompareSites(int column, bool ascending, int channelA, int channelB, int32_t signalA,
                 int32_t signalB, const std::string& textA, const std::string& textB);

// Case-insensitive order of two texts (-1, 0, 1), reversed when descending.
int CompareTexts(const std::string& a, const std::string& b, bool ascending);

// Common-table index of the authentication shown on the link page: from the
// profile being applied when there is one (haveProfile), else from the link's
// 802.11 authentication mode. -1: nothing to show.
int AuthenIndex(bool haveProfile, int32_t encryptionMethod, int32_t dot1xMethod,
                int32_t linkAuthMode);

}  // namespace stationlogic
