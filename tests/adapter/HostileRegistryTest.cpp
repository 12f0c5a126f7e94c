// Per-adapter registry values of every type and size, and a stored profile
// order gone wild: each read gives its value or the default, the names fit
// their fields, and every profile of the library is listed exactly once.
#include <algorithm>
#include <set>

#include "FuzzSupport.h"
#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"
#include "config/Uunicode.h"

namespace {

const char* const kNames[] = {
    "Domain",      "SupportMode",  "DefBand",    "DefChB",     "DefChA",        "DefProfName",
    "DefProfSSID", "DefAPBand",    "DefAPChB",   "DefAPChA",   "DefAPProfName", "DefAPProfSSID",
    "ProfName",    "ProfSSID",     "APProfName", "APProfSSID", "EnableAntenna", "EnableZeroCfg",
    "AntennaMode", "EnableAdHocG", "AdHocB",     "AdHocG",     "AdHocA",        "NicDesc",
    "ProfCount",   "Prof0",        "Prof1",      "Prof2",      "LastProf",      "AutoRenewIP",
    "InitConnect", "TxRateB",      "AdHocChB",   "EnableWEP",  "WEP152"};

struct Stored {
  DWORD type;
  std::vector<uint8_t> data;
};

Stored RandomValue(std::mt19937& rng) {
  static const DWORD kTypes[] = {REG_DWORD,     REG_DWORD,           REG_SZ,    REG_SZ,
                                 REG_EXPAND_SZ, REG_BINARY,          REG_QWORD, REG_MULTI_SZ,
                                 REG_NONE,      REG_DWORD_BIG_ENDIAN};
  Stored v{kTypes[fuzz::Below(rng, sizeof kTypes / sizeof kTypes[0])], {}};
  size_t size;
  switch (fuzz::Below(rng, 5)) {
    case 0:
      size = 4;
      break;
    case 1:
      size = fuzz::Below(rng, 9);
      break;
    case 2:
      size = 60 + fuzz::Below(rng, 20);  // around the name field
      break;
    case 3:
      size = 20000 + fuzz::Below(rng, 50000);
      break;
    default:
      size = fuzz::Below(rng, 300);
      break;
  }
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ) {
    const std::string text = fuzz::HostileText(rng, size);
    v.data.assign(text.begin(), text.end());
    if (fuzz::Chance(rng, 60)) v.data.push_back(0);  // often terminated, not always
  } else {
    v.data = fuzz::RandomBytes(rng, size);
  }
  return v;
}

// Library profiles with distinct names, some differing only in case.
std::vector<std::string> LibraryNames(std::mt19937& rng) {
  std::vector<std::string> names;
  const int n = static_cast<int>(fuzz::Below(rng, 7));
  for (int i = 0; i < n; ++i) {
    std::string name =
        fuzz::Chance(rng, 20) && !names.empty() ? names.back() : "P" + std::to_string(i);
    for (char& c : name) c = fuzz::Chance(rng, 50) ? static_cast<char>(std::tolower(c)) : c;
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

}  // namespace

TEST(HostileRegistry, ValuesOfAnyTypeAndSizeAndAWildProfileOrder) {
  fuzz::Run("HostileRegistry.ValuesOfAnyTypeAndSizeAndAWildProfileOrder", 3300, 12,
            [](std::mt19937& rng, uint32_t) {
              // The settings file's fallbacks: "Setting", the bare hardware id
              // and the adapter's own section, with hostile values.
              std::string settings;
              for (const char* section :
                   {"", "[VID_1D4F&PID_0A71]\r\n", "[VID_1D4F&PID_0A71-9999]\r\n"}) {
                settings += section;
                for (const char* name : kNames) {
                  if (!fuzz::Chance(rng, 15)) continue;
                  settings += std::string(name) + "=" +
                              (fuzz::Chance(rng, 50) ? fuzz::HostileNumber(rng)
                                                     : fuzz::HostileText(rng, 120)) +
                              "\r\n";
                }
              }
              TestEnv env(settings);
              const std::vector<std::string> library = LibraryNames(rng);
              for (const std::string& name : library)
                fake::g->profiles.emplace_back(name, fake::Profile(name, "Net" + name));

              std::map<std::string, Stored> stored;
              for (const char* name : kNames) {
                if (!fuzz::Chance(rng, 40)) continue;
                stored[name] = RandomValue(rng);
              }
              if (fuzz::Chance(rng, 50)) {  // a count that promises more than there is
                const DWORD count =
                    fuzz::Chance(rng, 50) ? static_cast<DWORD>(rng()) : fuzz::Below(rng, 12);
                stored["ProfCount"] = {REG_DWORD, {}};
                stored["ProfCount"].data.assign(reinterpret_cast<const uint8_t*>(&count),
                                                reinterpret_cast<const uint8_t*>(&count) + 4);
              }
              const std::string key = env.AdapterKey();
              for (const auto& [name, v] : stored) {
                ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), v.type,
                                          v.data.data(), static_cast<DWORD>(v.data.size())),
                          ERROR_SUCCESS);
              }

              CNICAdapter a(nullptr, 0, TestEnv::Device());

              // A value is taken only when it has the type and size asked for.
              for (const auto& [name, v] : stored) {
                if (name == "ProfCount" || name.rfind("Prof", 0) == 0) continue;
                const int32_t asInt = a.ReadSet(name, static_cast<int32_t>(-7));
                if (v.type == REG_DWORD && v.data.size() == 4) {
                  EXPECT_EQ(asInt, *reinterpret_cast<const int32_t*>(v.data.data())) << name;
                } else {
                  EXPECT_EQ(asInt, -7) << name;
                }
                const std::string asText = a.ReadSet(name, std::string("<default>"));
                if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) {
                  // Written here in the code page, read as the program's
                  // UTF-8 text.
                  const std::string expect = FromCodePage(std::string_view(
                      reinterpret_cast<const char*>(v.data.data()),
                      strnlen(reinterpret_cast<const char*>(v.data.data()), v.data.size())));
                  EXPECT_EQ(asText, expect) << name;
                } else {
                  EXPECT_EQ(asText, "<default>") << name;
                }
              }

              // Names are UTF-8 that fit the record's field as store text.
              std::string store;
              EXPECT_FALSE(a.DefProfName.empty());
              EXPECT_TRUE(ToStore(a.DefProfName, store));
              EXPECT_LE(store.size(), 64u);
              EXPECT_LE(a.DefProfSSID.size(), 32u);
              EXPECT_FALSE(a.DefAPProfName.empty());
              EXPECT_TRUE(ToStore(a.DefAPProfName, store));
              EXPECT_LE(store.size(), 64u);
              for (const WLProfile* p : {&a.DefProf, &a.DefAPProf}) {
                EXPECT_TRUE(memchr(p->ProfileName, 0, sizeof p->ProfileName));
                EXPECT_TRUE(memchr(p->Ssid1, 0, sizeof p->Ssid1));
                EXPECT_TRUE(memchr(p->NetInfo.NI_sz_CurProfile, 0, 260));
              }

              // Every library profile once, whatever order was stored; the
              // first profile only when the library had none.
              std::vector<WLProfile> list;
              a.GetProfileList(kStationList, list);
              std::multiset<std::string> listed, expected(library.begin(), library.end());
              for (const WLProfile& p : list) listed.insert(FieldText(p.ProfileName));
              // An order that names profiles the library does not list is
              // kept, and no first profile is made over them.
              const bool kept = !env.LogLines("order kept").empty();
              if (library.empty() && kept) {
                EXPECT_TRUE(list.empty());
              } else if (library.empty()) {
                ASSERT_EQ(list.size(), 1u);
                EXPECT_EQ(FieldText(list[0].ProfileName), a.DefProfName);
              } else {
                EXPECT_FALSE(kept);
                EXPECT_EQ(listed, expected);
              }
              if (!kept) {
                EXPECT_EQ(env.Reg("ProfCount"), "#" + std::to_string(list.size()));
                for (size_t i = 0; i < list.size(); ++i)
                  EXPECT_EQ(env.Reg("Prof" + std::to_string(i)), FieldText(list[i].ProfileName));
              }

              const std::string last = a.GetLastProfName(kStationList);
              EXPECT_TRUE(last.empty() || a.IsProfileExist(last)) << last;
              const int32_t usable = a.GetUsableAdHocBand(static_cast<int32_t>(rng()));
              EXPECT_EQ(usable & ~(Band11b | Band11g | Band11a), 0);
              int32_t channels[kMaxChannels];
              EXPECT_GE(a.GetAllowedCh(channels, kMaxChannels, 7), 0);
            });
}
