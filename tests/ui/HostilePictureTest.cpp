// Picture files of the image directory ("Res_Path") with damaged or lying
// contents: a load either gives a picture of the size it claims or fails,
// and never throws.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "FuzzSupport.h"
#include "ui/Upicture.h"

namespace {

std::vector<uint8_t> ResourceBytes(const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, name, MAKEINTRESOURCEA(10));
  if (!res) return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, res)));
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, res));
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<uint8_t>(bigEndian ? v >> (24 - 8 * i) : v >> (8 * i));
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// A PNG that claims the given size but carries the pixels of a tiny one.
std::vector<uint8_t> LyingPng(std::vector<uint8_t> png, uint32_t width, uint32_t height) {
  // Signature (8), then IHDR: length (4), type (4), width, height at 16, 20.
  Put32(png, 16, width, true);
  Put32(png, 20, height, true);
  Put32(png, 29, Crc32(&png[12], 17), true);
  return png;
}

// A bitmap file with a header of random numbers around sane ones.
std::vector<uint8_t> RandomBmp(std::mt19937& rng) {
  const size_t pixels = fuzz::Below(rng, 4096);
  std::vector<uint8_t> b(14 + 40 + pixels);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()), false);
  Put32(b, 10, fuzz::Chance(rng, 80) ? 54 : rng(), false);
  Put32(b, 14, 40, false);
  auto side = [&] {
    static const uint32_t kSides[] = {1, 2, 16, 16384, 16385, 65535, 0, 0xFFFFFFFF, 0x80000000};
    return fuzz::Chance(rng, 50) ? kSides[fuzz::Below(rng, 9)] : fuzz::Below(rng, 64);
  };
  Put32(b, 18, side(), false);
  Put32(b, 22, side(), false);
  b[26] = 1;
  static const uint8_t kBits[] = {1, 4, 8, 16, 24, 32, 0, 7, 255};
  b[28] = kBits[fuzz::Below(rng, 9)];
  Put32(b, 30, fuzz::Chance(rng, 70) ? 0 : fuzz::Below(rng, 8), false);  // compression
  Put32(b, 46, fuzz::Chance(rng, 70) ? 0 : rng(), false);                // colours used
  for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<uint8_t>(rng());
  return b;
}

void ExpectSoundLoad(const std::vector<uint8_t>& bytes) {
  TPicture p;
  bool loaded = false;
  EXPECT_NO_THROW(loaded = p.LoadFromMemory(bytes.data(), bytes.size()));
  if (loaded) {
    EXPECT_GT(p.Width(), 0);
    EXPECT_GT(p.Height(), 0);
  } else {
    EXPECT_TRUE(p.Empty());
  }
}

}  // namespace

TEST(HostilePicture, DamagedOrLyingFilesLoadOrFailWithoutThrowing) {
  const std::vector<uint8_t> png = ResourceBytes("ImgMark");
  ASSERT_GT(png.size(), 33u);
  // The largest size a picture may have, the first one beyond it, and far
  // beyond: the pixels would need a gigabyte or more.
  for (uint32_t side : {16384u, 16385u, 65535u, 0x7FFFFFFFu}) {
    SCOPED_TRACE(side);
    ExpectSoundLoad(LyingPng(png, side, side));
  }
  fuzz::Run("HostilePicture.DamagedOrLyingFilesLoadOrFailWithoutThrowing", 8800, 150,
            [&](std::mt19937& rng, uint32_t) {
              if (fuzz::Chance(rng, 50)) {
                ExpectSoundLoad(RandomBmp(rng));
                return;
              }
              std::vector<uint8_t> bytes = png;
              const int edits = 1 + static_cast<int>(fuzz::Below(rng, 8));
              for (int e = 0; e < edits; ++e)
                bytes[fuzz::Below(rng, static_cast<uint32_t>(bytes.size()))] =
                    static_cast<uint8_t>(rng());
              if (fuzz::Chance(rng, 30)) bytes.resize(fuzz::Below(rng, bytes.size()) + 1);
              ExpectSoundLoad(bytes);
            });
}
