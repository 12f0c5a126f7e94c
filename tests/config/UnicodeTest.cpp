// Text conversions: network names shown as one line, store text that never
// changes a character silently, cuts that never split a character.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "config/Uunicode.h"

namespace {

using namespace std::string_literals;

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

// Strictness is seen where it counts: a byte sequence that is not UTF-8 is
// shown in the code page, never decoded (an overlong '/', a surrogate).
TEST(Unicode, NetworkNamesShowAsOneDistinctLine) {
  for (const std::string& bad : {"\xE0\x80\xAF"s, "\xF4\x90\x80\x80"s, "\xE6\x97"s, "\x80"s})
    EXPECT_FALSE(IsUtf8(bad)) << testing::PrintToString(bad);
  EXPECT_TRUE(IsUtf8("a\0b\xF4\x8F\xBF\xBF"s));
  const std::string full32 = std::string(29, 'a') + "\xE6\x97\xA5";  // ends in a 3-byte character
  const std::tuple<std::string, UINT, std::string> cases[] = {
      // bytes, code page, shown
      {"\xF0\x9F\x98\x80 Hotspot", 1252, "\xF0\x9F\x98\x80 Hotspot"},
      {"Caf\xE9", 1252, "Caf\xC3\xA9"},
      {"\xCF\xF0\xE8", 1251, "\xD0\x9F\xD1\x80\xD0\xB8"},     // "При" in 1251
      {"\x93\xFA\x96\x7B", 932, "\xE6\x97\xA5\xE6\x9C\xAC"},  // "日本" in 932
      {"\x81 x\x82", 932, "\\x81 x\\x82"},  // lead byte before a bad one, lead byte at the end
      {"\xC0\xAF", 1252, "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", 1252, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\x81\xE9", 1252, "\\x81\xC3\xA9"},  // undefined in 1252: a C1 code
      {"\xC2\x85z", 1252, "\\x85z"},        // NEL in UTF-8
      {"a\0b"s, 1252, "a\\x00b"},
      {"x\r\nstate\t\x7F", 1252, "x\\x0D\\x0Astate\\x09\\x7F"},
      {"a\\x41", 1252, "a\\\\x41"},  // a typed escape stays apart from a real byte
      {full32, 1252, full32},
      {"a" + full32, 1252, std::string(30, 'a') + "\xC3\xA6\xE2\x80\x94"},  // cut to 32: now 1252
      {std::string(40, 'z'), 1252, std::string(32, 'z')},
  };
  for (const auto& [bytes, cp, shown] : cases)
    EXPECT_EQ(SsidDisplay(Bytes(bytes), bytes.size(), cp), shown) << testing::PrintToString(bytes);
  EXPECT_EQ(SsidDisplay(nullptr, 5), "");
}

TEST(Unicode, StoreTextHoldsACharacterExactlyOrNamesIt) {
  // text, code page, held, the stored bytes or the refused character
  const std::tuple<std::string, UINT, bool, std::string> cases[] = {
      {"Caf\xC3\xA9 \xE2\x82\xAC", 1252, true, "Caf\xE9 \x80"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 1251, true, "\xCF\xF0\xE8"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", 932, true, "\x93\xFA\x96\x7B"},
      {"\xE6\x97\xA5", CP_UTF8, true, "\xE6\x97\xA5"},
      {"Caf\xC3\xA9 \xC4\x81x", 1252, false, "\xC4\x81"},  // 'ā' would best-fit to 'a'
      {"a\xF0\x9F\x98\x80", 1252, false, "\xF0\x9F\x98\x80"},
      {"e\xCC\x81", 1252, false, "\xCC\x81"},  // combining acute
      {"ok\xC0\xAF", 1252, false, "\\xC0"},    // not UTF-8
      {"a\0b"s, 1252, false, "\\x00"},         // a store field ends at a zero
  };
  for (const auto& [utf8, cp, ok, stored] : cases) {
    std::string out = "before", refused = "none";
    EXPECT_EQ(ToStore(utf8, out, &refused, cp), ok) << testing::PrintToString(utf8);
    EXPECT_EQ(ok ? out : refused, stored) << testing::PrintToString(utf8);
    if (!ok) EXPECT_EQ(out, "before") << "left alone";
  }
}

TEST(Unicode, NamesAreProposedWholeAndTypedNamesRefusedRatherThanCut) {
  const std::string nihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
  // network name, store bytes at most, code page, proposed name
  const std::tuple<std::string, size_t, UINT, std::string> cases[] = {
      {"Caf\xC3\xA9 M\xC3\xBCller", 64, 1252, "Caf\xC3\xA9 M\xC3\xBCller"},
      {"x\r\nstate", 64, 1252, "x__state"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 64, 1252, "___"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 64, 1251, "\xD0\x9F\xD1\x80\xD0\xB8"},
      {"a\\b\x81", 64, 1252, "a\\b_"},
      {nihongo, 5, 932, "\xE6\x97\xA5\xE6\x9C\xAC"},  // 2+2 of 5
      {nihongo, 5, CP_UTF8, "\xE6\x97\xA5"},          // 3 of 5
      {nihongo, 2, 1252, "__"},
      {std::string(32, 'n'), 31, 1252, std::string(31, 'n')},
  };
  for (const auto& [ssid, max, cp, name] : cases)
    EXPECT_EQ(ProposedName(Bytes(ssid), ssid.size(), max, cp), name)
        << testing::PrintToString(ssid);

  std::string bytes = "kept";
  for (const std::string& typed : {std::string(33, 'a'), "a\tb"s, "a\xC2\x85"s, "\xC0\xAF"s})
    EXPECT_FALSE(TypedSsid(typed, bytes)) << testing::PrintToString(typed);
  EXPECT_EQ(bytes, "kept");
  const std::string full = std::string(29, 'a') + "\xE6\x97\xA5";  // 32 bytes
  EXPECT_TRUE(TypedSsid(full, bytes));
  EXPECT_EQ(bytes, full);
}

TEST(Unicode, WideRoundTripNamesCompareWithoutCaseAndControlsNeverBreakALine) {
  const std::string mixed = "Caf\xC3\xA9 \xD0\x96 \xE6\x97\xA5 \xF0\x9F\x98\x80";
  EXPECT_EQ(Wide(mixed), L"Caf\u00E9 \u0416 \u65E5 \U0001F600");
  EXPECT_EQ(Utf8(Wide(mixed)), mixed);
  EXPECT_TRUE(SameName("caf\xC3\xA9 \xD0\xB6", "CAF\xC3\x89 \xD0\x96"));  // é/É, ж/Ж
  EXPECT_FALSE(SameName("Cafe", "Caf\xC3\xA9"));
  EXPECT_FALSE(SameName("Home", "Home "));
  EXPECT_EQ(EscapeControls("a\\b\r\n\xC2\x85\x7F Caf\xC3\xA9\xE9"),
            "a\\b\\x0D\\x0A\\x85\\x7F Caf\xC3\xA9\\xE9");  // NEL is C1; a bad byte shown
}

}  // namespace
