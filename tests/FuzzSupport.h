// Seeded, randomised robustness tests: every case draws from its own seed,
// so a failure names the one case to replay.
//
//   WU_FUZZ_ITERATIONS=N  run N cases per test instead of the short default
//   WU_FUZZ_SEED=S        start at seed S (with N=1: replay exactly that case)
//
// A crash inside a case prints its seed before the process dies.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

inline uint32_t& CurrentSeed() {
  static uint32_t seed = 0;
  return seed;
}

inline const char*& CurrentTest() {
  static const char* name = nullptr;
  return name;
}

inline LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr,
               "\n*** %s crashed (exception %08lx) in the case of seed %u; replay with "
               "WU_FUZZ_SEED=%u WU_FUZZ_ITERATIONS=1\n",
               CurrentTest() ? CurrentTest() : "fuzz case",
               info ? static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode) : 0ul,
               CurrentSeed(), CurrentSeed());
  std::fflush(stderr);
  return EXCEPTION_CONTINUE_SEARCH;
}

inline unsigned long EnvNumber(const char* name, unsigned long def) {
  char text[32] = {};
  const DWORD n = GetEnvironmentVariableA(name, text, sizeof text);
  if (n == 0 || n >= sizeof text) return def;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text, &end, 10);
  return end && *end == 0 ? v : def;
}

// Cases of one test: the default, or WU_FUZZ_ITERATIONS divided by cost (for
// tests whose cases each start something expensive), at least one.
inline int Iterations(int def, int cost = 1) {
  const unsigned long n = EnvNumber("WU_FUZZ_ITERATIONS", 0);
  if (n == 0) return def;
  const unsigned long scaled = n / static_cast<unsigned long>(cost > 0 ? cost : 1);
  return scaled == 0 ? 1 : static_cast<int>(scaled > 10000000ul ? 10000000ul : scaled);
}

// Runs body(rng, seed) for each case; seeds follow each other from the test's
// fixed default (or WU_FUZZ_SEED). The seed goes into every failure message.
template <class Body>
void Run(const char* test, uint32_t defaultSeed, int defaultCases, Body&& body, int cost = 1) {
  const uint32_t first = static_cast<uint32_t>(EnvNumber("WU_FUZZ_SEED", defaultSeed));
  const int cases = Iterations(defaultCases, cost);
  LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ReportCrash);
  CurrentTest() = test;
  for (int i = 0; i < cases; ++i) {
    const uint32_t seed = first + static_cast<uint32_t>(i);
    CurrentSeed() = seed;
    std::mt19937 rng(seed);
    const std::string replay = std::string(test) +
                               ": replay with WU_FUZZ_SEED=" + std::to_string(seed) +
                               " WU_FUZZ_ITERATIONS=1";
    ::testing::ScopedTrace trace(__FILE__, __LINE__, replay);
    body(rng, seed);
    if (::testing::Test::HasFatalFailure()) break;
  }
  CurrentTest() = nullptr;
  SetUnhandledExceptionFilter(previous);
}

// ---- generators --------------------------------------------------------------

inline uint32_t Below(std::mt19937& rng, uint32_t n) {
  return n ? rng() % n : 0;
}

inline bool Chance(std::mt19937& rng, uint32_t percent) {
  return Below(rng, 100) < percent;
}

// Numbers that break careless readers: limits, signs, overflow, junk.
inline std::string HostileNumber(std::mt19937& rng) {
  static const char* const kTexts[] = {"0",
                                       "1",
                                       "-1",
                                       "2147483647",
                                       "2147483648",
                                       "-2147483648",
                                       "-2147483649",
                                       "4294967295",
                                       "4294967296",
                                       "99999999999999999999",
                                       "0x7fffffff",
                                       "0xFFFFFFFF",
                                       "0x",
                                       "+",
                                       "-",
                                       " 12 ",
                                       "1e9",
                                       "12abc",
                                       "--5",
                                       "0000000000000000000000042",
                                       "256",
                                       "65535",
                                       "65536",
                                       "-32768",
                                       "",
                                       "1,2",
                                       "\"7\"",
                                       "%d",
                                       "9223372036854775807",
                                       "-9223372036854775808"};
  if (Chance(rng, 70)) return kTexts[Below(rng, sizeof kTexts / sizeof kTexts[0])];
  return std::to_string(static_cast<int32_t>(rng()));
}

// Texts with printf conversions, quotes, separators, control and high bytes.
inline std::string HostileText(std::mt19937& rng, size_t maxLength) {
  static const char* const kPieces[] = {"%s",   "%n",
                                        "%d",   "%x",
                                        "%%",   "%",
                                        "%1$s", "%99999s",
                                        "%.*s", "\\n",
                                        "\"",   "'",
                                        "=",    ";",
                                        "[",    "]",
                                        ",",    " ",
                                        "\t",   "\r",
                                        "\n",   "\x01",
                                        "\x7f", "\xe4",
                                        "\xff", "(EditingProfile)",
                                        "ANY",  "..\\..\\",
                                        "C:\\", "&",
                                        "#",    "{}",
                                        "\\"};
  const size_t length =
      Chance(rng, 10) ? maxLength : Below(rng, static_cast<uint32_t>(maxLength) + 1);
  std::string s;
  while (s.size() < length) {
    if (Chance(rng, 30)) {
      s += kPieces[Below(rng, sizeof kPieces / sizeof kPieces[0])];
    } else {
      s += static_cast<char>(Chance(rng, 80) ? ' ' + Below(rng, 95) : 1 + Below(rng, 255));
    }
  }
  s.resize(length);
  return s;
}

inline std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n) {
  std::vector<uint8_t> b(n);
  for (uint8_t& v : b) v = static_cast<uint8_t>(rng());
  return b;
}

// Fills a record with random bytes; some cases keep zeroes so that texts
// come both terminated and not.
inline void Scramble(std::mt19937& rng, void* data, size_t n) {
  auto* p = static_cast<uint8_t*>(data);
  const uint32_t density = Below(rng, 101);
  for (size_t i = 0; i < n; ++i) p[i] = Chance(rng, density) ? static_cast<uint8_t>(rng()) : 0;
}

// A text changed a little: bytes flipped, pieces deleted, repeated or
// replaced by hostile ones.
inline std::string Mutate(std::mt19937& rng, std::string text, int edits) {
  for (int e = 0; e < edits; ++e) {
    const size_t at = text.empty() ? 0 : Below(rng, static_cast<uint32_t>(text.size()));
    const size_t span = 1 + Below(rng, 40);
    switch (Below(rng, 6)) {
      case 0:
        if (!text.empty()) text[at] = static_cast<char>(rng());
        break;
      case 1:
        text.erase(at, span);
        break;
      case 2:
        text.insert(at, text.substr(at, span));
        break;
      case 3:
        text.insert(at, HostileText(rng, 40));
        break;
      case 4:
        text.insert(at, HostileNumber(rng));
        break;
      default:
        text.insert(at, std::string(1 + Below(rng, 600), static_cast<char>(' ' + Below(rng, 95))));
        break;
    }
  }
  return text;
}

}  // namespace fuzz
