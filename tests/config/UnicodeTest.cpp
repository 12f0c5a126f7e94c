// Text conversions: network names shown as one line, store text that never
// changes a character silently, cuts that never split a character.
#include <gtest/gtest.h>

#include <string>

#include "config/Uunicode.h"

namespace {

using namespace std::string_literals;

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

std::string Show(const std::string& s, UINT cp) {
  return SsidDisplay(Bytes(s), s.size(), cp);
}

TEST(Unicode, StrictUtf8) {
  struct Case {
    std::string text;
    bool valid;
  } cases[] = {
      {"", true},
      {"a\0b"s, true},
      {"\xF0\x9F\x98\x80", true},
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
      {"\xC0\xAF", false},          // overlong '/'
      {"\xE0\x80\xAF", false},      // overlong in three bytes
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xE6\x97", false},          // cut
      {"\x80", false},              // lone continuation
  };
  for (const Case& c : cases) EXPECT_EQ(IsUtf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(Unicode, NetworkNamesShowAsOneDistinctLine) {
  const std::string full32 = std::string(29, 'a') + "\xE6\x97\xA5";  // ends in a 3-byte character
  const std::string over33 = std::string(30, 'a') + "\xE6\x97\xA5";
  struct Case {
    std::string bytes;
    UINT cp;
    std::string shown;
  } cases[] = {
      {"Caf\xC3\xA9 M\xC3\xBCller", 1252, "Caf\xC3\xA9 M\xC3\xBCller"},
      {"Caf\xE9", 1252, "Caf\xC3\xA9"},
      {"\xF0\x9F\x98\x80 Hotspot", 1252, "\xF0\x9F\x98\x80 Hotspot"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 1252, "\xD0\x9F\xD1\x80\xD0\xB8"},  // "При" in UTF-8
      {"\xCF\xF0\xE8", 1251, "\xD0\x9F\xD1\x80\xD0\xB8"},              // "При" in 1251
      {"\x93\xFA\x96\x7B", 932, "\xE6\x97\xA5\xE6\x9C\xAC"},           // "日本" in 932
      {"\x81 x\x82", 932, "\\x81 x\\x82"},     // lead byte before a bad one, lead byte at the end
      {"\xC0\xAF", 1252, "\xC3\x80\xC2\xAF"},  // overlong: its bytes, never '/'
      {"\xED\xA0\x80", 1252, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\x81\xE9", 1252, "\\x81\xC3\xA9"},  // undefined in 1252: a C1 code
      {"\xC2\x85z", 1252, "\\x85z"},        // NEL in UTF-8
      {"a\0b"s, 1252, "a\\x00b"},
      {"x\r\nstate: connected", 1252, "x\\x0D\\x0Astate: connected"},
      {"tab\there\x7F", 1252, "tab\\x09here\\x7F"},
      {"a\\x41", 1252, "a\\\\x41"},  // a typed escape stays apart from a real byte
      {full32, 1252, full32},
      {over33, 1252, std::string(30, 'a') + "\xC3\xA6\xE2\x80\x94"},  // cut to 32: now 1252
      {std::string(40, 'z'), 1252, std::string(32, 'z')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(c.bytes, c.cp), c.shown) << testing::PrintToString(c.bytes) << " in " << c.cp;
  }
  EXPECT_EQ(SsidDisplay(nullptr, 5), "");
}

TEST(Unicode, StoreTextHoldsACharacterExactlyOrNamesIt) {
  struct Case {
    std::string utf8;
    UINT cp;
    bool ok;
    std::string stored;  // or the refused character
  } cases[] = {
      {"Caf\xC3\xA9 \xE2\x82\xAC", 1252, true, "Caf\xE9 \x80"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 1251, true, "\xCF\xF0\xE8"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", 932, true, "\x93\xFA\x96\x7B"},
      {"\xE6\x97\xA5", CP_UTF8, true, "\xE6\x97\xA5"},
      {"", 1252, true, ""},
      {"Caf\xC3\xA9 \xC4\x81x", 1252, false, "\xC4\x81"},  // 'ā' would best-fit to 'a'
      {"a\xF0\x9F\x98\x80", 1252, false, "\xF0\x9F\x98\x80"},
      {"e\xCC\x81", 1252, false, "\xCC\x81"},  // combining acute
      {"ok\xC0\xAF", 1252, false, "\\xC0"},    // not UTF-8
      {"a\0b"s, 1252, false, "\\x00"},         // a store field ends at a zero
  };
  for (const Case& c : cases) {
    std::string out = "before", refused = "none";
    EXPECT_EQ(ToStore(c.utf8, out, &refused, c.cp), c.ok) << testing::PrintToString(c.utf8);
    EXPECT_EQ(c.ok ? out : refused, c.stored) << testing::PrintToString(c.utf8);
    if (!c.ok) {
      EXPECT_EQ(out, "before");
    }
  }
}

TEST(Unicode, ProposedNamesNeverCutInsideACharacter) {
  struct Case {
    std::string ssid;
    size_t max;
    UINT cp;
    std::string name;
  } cases[] = {
      {"Caf\xC3\xA9 M\xC3\xBCller", 64, 1252, "Caf\xC3\xA9 M\xC3\xBCller"},
      {"x\r\nstate", 64, 1252, "x__state"},
      {"\xF0\x9F\x98\x80 Hotspot", 64, 1252, "_ Hotspot"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 64, 1252, "___"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", 64, 1251, "\xD0\x9F\xD1\x80\xD0\xB8"},
      {"a\\b\x81", 64, 1252, "a\\b_"},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 5, 932, "\xE6\x97\xA5\xE6\x9C\xAC"},  // 2+2 of 5
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 5, CP_UTF8, "\xE6\x97\xA5"},          // 3 of 5
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 2, 1252, "__"},
      {std::string(32, 'n'), 31, 1252, std::string(31, 'n')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProposedName(Bytes(c.ssid), c.ssid.size(), c.max, c.cp), c.name)
        << testing::PrintToString(c.ssid) << " in " << c.cp;
  }
}

TEST(Unicode, TypedNamesAreRefusedRatherThanCut) {
  std::string bytes = "kept";
  EXPECT_FALSE(TypedSsid(std::string(33, 'a'), bytes));
  EXPECT_FALSE(TypedSsid("a\tb", bytes));
  EXPECT_FALSE(TypedSsid("a\xC2\x85", bytes));
  EXPECT_FALSE(TypedSsid("\xC0\xAF", bytes));
  EXPECT_EQ(bytes, "kept");
  const std::string full = std::string(29, 'a') + "\xE6\x97\xA5";
  EXPECT_TRUE(TypedSsid(full, bytes));
  EXPECT_EQ(bytes, full);
}

TEST(Unicode, WideRoundTripAndSurrogatePairsAtTheEdge) {
  const std::string mixed =
      "Caf\xC3\xA9 \xD0\x96\xD0\xB8 \xE6\x97\xA5 \xF0\x9F\x98\x80 \xE2\x82\xAC";
  const std::wstring wide = Wide(mixed);
  EXPECT_EQ(wide, L"Caf\u00E9 \u0416\u0438 \u65E5 \U0001F600 \u20AC");
  EXPECT_EQ(Utf8(wide), mixed);
  EXPECT_EQ(FromCodePage("\xCF\xF0\xE8", 1251), "\xD0\x9F\xD1\x80\xD0\xB8");
  EXPECT_EQ(FromCodePage("Caf\xE9", 1252), "Caf\xC3\xA9");

  const std::wstring pair = L"ab\U0001F600";  // a, b, high, low
  const struct {
    size_t units;
    const wchar_t* cut;
  } cuts[] = {{4, L"ab\U0001F600"}, {3, L"ab"}, {2, L"ab"}, {1, L"a"}, {0, L""},
              {9, L"ab\U0001F600"}};
  for (const auto& c : cuts) {
    std::wstring text = pair;
    CutUtf16(text, c.units);
    EXPECT_EQ(text, c.cut) << c.units;
  }
}

TEST(Unicode, NamesCompareWithoutCaseAndControlsNeverBreakALine) {
  EXPECT_TRUE(SameName("Home", "HOME"));
  EXPECT_TRUE(SameName("caf\xC3\xA9 \xD0\xB6", "CAF\xC3\x89 \xD0\x96"));  // é/É, ж/Ж
  EXPECT_FALSE(SameName("Cafe", "Caf\xC3\xA9"));
  EXPECT_FALSE(SameName("Home", "Home "));

  EXPECT_EQ(EscapeControls("x\r\nstate: connected"), "x\\x0D\\x0Astate: connected");
  EXPECT_EQ(EscapeControls("a\\b \xC2\x85 \x7F"), "a\\b \\x85 \\x7F");  // NEL is C1
  EXPECT_EQ(EscapeControls("Caf\xC3\xA9\xE9"), "Caf\xC3\xA9\\xE9");
}

}  // namespace
