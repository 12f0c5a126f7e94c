// World files of any content: the parser either refuses a file with a reason
// or gives a world whose every text fits the records it ends up in; and the
// library, run on such worlds, never writes past the buffers of its callers.
#include <algorithm>
#include <cstring>
#include <set>

#include "../FuzzSupport.h"
#include "omxwl_fixture.h"
#include "world.h"

namespace {

constexpr int kMaxChannels = 512;  // the most a channel query may write

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Values that pass or just miss the parser's limits.
std::string EdgeValue(std::mt19937& rng) {
  const char fill = static_cast<char>('!' + fuzz::Below(rng, 94));
  switch (fuzz::Below(rng, 8)) {
    case 0:
      return std::string(31 + fuzz::Below(rng, 3), fill);  // around an SSID
    case 1:
      return std::string(62 + fuzz::Below(rng, 3), fill);  // around a hardware id
    case 2:
      return std::string(126 + fuzz::Below(rng, 3), fill);  // around a description
    case 3:
      return std::string(254 + fuzz::Below(rng, 3), fill);  // around a domain or driver
    case 4:
      return std::string(258 + fuzz::Below(rng, 3), fill);  // around a user or password
    case 5:
      return fuzz::HostileNumber(rng);
    case 6:
      return "%s%n%s%n" + std::string(fuzz::Below(rng, 30), fill);
    default:
      return fuzz::HostileText(rng, 300);
  }
}

// The default world with lines dropped, doubled, moved or given other values,
// and now and then bytes changed anywhere.
std::string MutatedWorld(std::mt19937& rng, const std::string& base) {
  std::vector<std::string> lines = Lines(base);
  const int edits = 1 + static_cast<int>(fuzz::Below(rng, 6));
  for (int e = 0; e < edits && !lines.empty(); ++e) {
    const size_t at = fuzz::Below(rng, static_cast<uint32_t>(lines.size()));
    std::string& line = lines[at];
    switch (fuzz::Below(rng, 5)) {
      case 0:
        lines.erase(lines.begin() + at);
        break;
      case 1:
        lines.insert(lines.begin() + at, line);
        break;
      case 2:
        std::swap(line, lines[fuzz::Below(rng, static_cast<uint32_t>(lines.size()))]);
        break;
      default: {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) line = line.substr(0, eq + 1) + EdgeValue(rng);
        break;
      }
    }
  }
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  if (fuzz::Chance(rng, 15))
    text = fuzz::Mutate(rng, text, 1 + static_cast<int>(fuzz::Below(rng, 5)));
  return text;
}

// What the library copies into fixed fields must fit them.
void ExpectFits(const omx::World& w) {
  for (const omx::AdapterDef& a : w.adapters) {
    EXPECT_FALSE(a.hardwareId.empty());
    EXPECT_LE(a.hardwareId.size(), 63u);
    EXPECT_LE(a.instance.size(), 63u);
    EXPECT_LE(a.description.size(), 127u);
    EXPECT_FALSE(a.domain.empty());
    EXPECT_LE(a.domain.size(), 255u);
    EXPECT_LE(a.driver.size(), 255u);
    EXPECT_NE(a.bands & 7, 0);
  }
  std::set<omx::Mac> bssids;
  for (const omx::NetworkDef& n : w.networks) {
    EXPECT_GE(n.ssid.size(), 1u);
    EXPECT_LE(n.ssid.size(), 32u);
    EXPECT_NE(n.bssid, omx::Mac{});
    EXPECT_TRUE(bssids.insert(n.bssid).second);
    EXPECT_TRUE((n.channel >= 1 && n.channel <= 14) || (n.channel >= 32 && n.channel <= 177))
        << n.channel;
    EXPECT_LE(n.user.size(), 259u);
    EXPECT_LE(n.password.size(), 259u);
    EXPECT_LE(n.psk.size(), 64u);
    for (const auto& key : n.wepKeys) EXPECT_LE(key.size(), 16u);
  }
  for (const omx::CertificateDef& c : w.certificates) {
    EXPECT_TRUE(c.kind == 1 || c.kind == 3);
    EXPECT_FALSE(c.name.empty());
    EXPECT_LE(c.name.size(), 63u);
    EXPECT_LE(c.display.size(), 255u);
  }
}

bool Calm(const omx::World& w) {
  return std::all_of(w.faults.delayMs.begin(), w.faults.delayMs.end(),
                     [](uint32_t d) { return d == 0; });
}

}  // namespace

TEST(HostileWorld, ParserRefusesWithAReasonOrGivesAWorldThatFits) {
  const std::string base = DefaultWorldText();
  int accepted = 0;
  fuzz::Run("HostileWorld.ParserRefusesWithAReasonOrGivesAWorldThatFits", 5500, 3000,
            [&](std::mt19937& rng, uint32_t) {
              const std::string text = MutatedWorld(rng, base);
              omx::World world;
              std::string why;
              if (omx::ParseWorld(text, &world, &why)) {
                ++accepted;
                ExpectFits(world);
              } else {
                EXPECT_FALSE(why.empty());
              }
            });
  // Most changes make the file invalid; some must still pass for the test to
  // reach the limits of an accepted world.
  EXPECT_GT(accepted, 0);
}

class HostileWorldLibrary : public OmxTest {};

TEST_F(HostileWorldLibrary, CallsOnChangedWorldsStayInsideTheCallersBuffers) {
  const std::string base = DefaultWorldText();
  fuzz::Run(
      "HostileWorldLibrary.CallsOnChangedWorldsStayInsideTheCallersBuffers", 6600, 6,
      [&](std::mt19937& rng, uint32_t) {
        // A changed world the parser takes (the fault knobs left calm, so no
        // call is held up), or now and then one it refuses.
        std::string text;
        omx::World world;
        for (int tries = 0; tries < 400; ++tries) {
          text = MutatedWorld(rng, base);
          std::string why;
          if (omx::ParseWorld(text, &world, &why) ? Calm(world) : fuzz::Chance(rng, 2)) break;
        }
        Load(text);
        if (HasFatalFailure()) return;

        constexpr uint8_t kGuard = 0xCD;
        DetectRec rec;
        std::memset(&rec, 0, sizeof rec);
        const std::string id = world.adapters.empty() ? "" : world.adapters[0].hardwareId;
        std::memcpy(rec.HardwareId, id.data(), std::min<size_t>(id.size(), 63));
        api_.OMXWL_DevDetect(&rec);
        EXPECT_TRUE(memchr(rec.Description, 0, sizeof rec.Description));

        for (auto call : {api_.OMXWL_GetWLANDomain, api_.OMXWL_GetWLANDriverPath}) {
          char text256[256 + 16];
          std::memset(text256, kGuard, sizeof text256);
          call(text256);
          for (size_t i = 256; i < sizeof text256; ++i)
            ASSERT_EQ(static_cast<uint8_t>(text256[i]), kGuard) << "byte " << i;
          EXPECT_TRUE(memchr(text256, 0, 256));
        }

        api_.OMXWL_SiteSurveyScan();
        SiteList sites;
        uint32_t length = sizeof sites;
        api_.OMXWL_SiteSurveyGet(&sites, &length);
        for (uint32_t i = 0; i < std::min<uint32_t>(sites.Count, kMaxSiteEntries); ++i)
          EXPECT_LE(sites.Entries[i].SsidLength, 32u);

        std::vector<int32_t> channels(kMaxChannels + 16, 0x0BADF00D);
        for (int32_t band : {1, 2, 4}) {
          std::fill(channels.begin(), channels.end(), 0x0BADF00D);
          const std::string domain = world.adapters.empty() ? "FCC" : world.adapters[0].domain;
          api_.OMXWL_GetAllowedChannel(channels.data(), band, domain.c_str());
          for (int i = kMaxChannels; i < kMaxChannels + 16; ++i)
            ASSERT_EQ(channels[i], 0x0BADF00D) << "band " << band;
        }

        const CertEntry* certs = nullptr;
        const int32_t n = api_.OMXWL_EnumCertificates(&certs, 1);
        for (int32_t i = 0; certs && i < n; ++i)
          EXPECT_TRUE(memchr(certs[i].Name, 0, sizeof certs[i].Name));

        WLProfile open =
            OpenProfile(world.networks.empty() ? "ANY" : world.networks[0].ssid.c_str());
        Apply(open);
        WLStatus status{};
        int32_t again = 0;
        api_.OMXWL_GetWLANStatus(&again, &status);
        EXPECT_LE(status.SsidLength, 32u);
        Unload();
      },
      50);
}
