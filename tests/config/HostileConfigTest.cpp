// Settings and string files of any content, the profile INI form read from
// them, texts of the string file used as formats, and the comma lists of
// positions and rates: nothing crashes, every field stays terminated, and a
// profile once read survives being written and read again unchanged.
#include <gtest/gtest.h>

#include <cstring>

#include "FuzzSupport.h"
#include "app/TestSupport.h"
#include "config/Udefine.h"
#include "config/Uinifile.h"
#include "config/Uutility.h"
#include "shell/Uformbase.h"

using namespace wutest;

namespace {

const char* const kProfileKeys[] = {"Channel",
                                    "AdHocBand",
                                    "TxRate",
                                    "NetworkMode",
                                    "ABGMode",
                                    "ProfileName",
                                    "Ssid1",
                                    "Ssid2",
                                    "Ssid3",
                                    "WEPEncryptionLevel",
                                    "PassPhrase",
                                    "WEPKey1",
                                    "WEPKey2",
                                    "WEPKey3",
                                    "WEPKey4",
                                    "DefaultKey",
                                    "WEPKeyFormat",
                                    "AuthenticationMode",
                                    "EncryptionMethod",
                                    "WPAEncryptionType",
                                    "WPAPassphrase",
                                    "FragThreshold",
                                    "RTSThreshold",
                                    "PreambleMode",
                                    "PowerMode",
                                    "LoginName",
                                    "LoginPassword",
                                    "DomainName",
                                    "sCertificate",
                                    "sCertAuthority",
                                    "ValidateServerCert",
                                    "MS8021xAuthMode",
                                    "PeapEap",
                                    "ApplyNetwork",
                                    "bQosEnabled",
                                    "NI_sz_CurProfile",
                                    "NI_wFlags",
                                    "NI_wNetFlags",
                                    "NI_wPPPFlags",
                                    "NI_wEthWINSMode",
                                    "NI_VPI",
                                    "NI_VCI",
                                    "NI_wEncapsulation",
                                    "NI_IpAddr",
                                    "NI_IpMask",
                                    "NI_IpGate1",
                                    "NI_IpGate2",
                                    "NI_IpDNS1",
                                    "NI_IpDNS2",
                                    "NI_IpWINS1",
                                    "NI_IpWINS2",
                                    "NI_strScopeId",
                                    "NI_strHostName",
                                    "NI_strDomain",
                                    "NI_strDomSufSearch",
                                    "NI_strLoginUsr",
                                    "NI_strLoginPsw",
                                    "NI_strLoginDom"};

std::string Value(std::mt19937& rng) {
  switch (fuzz::Below(rng, 6)) {
    case 0:
      return fuzz::HostileNumber(rng);
    case 1:
      return fuzz::HostileText(rng, 300);
    case 2:  // longer than any field and than the reader's first buffer
      return std::string(300 + fuzz::Below(rng, 3000),
                         static_cast<char>('A' + fuzz::Below(rng, 26)));
    case 3:  // an address, well formed or not
      return fuzz::Mutate(rng, "C0A8010A", static_cast<int>(fuzz::Below(rng, 3)));
    case 4:
      return "\"" + fuzz::HostileText(rng, 40) + (fuzz::Chance(rng, 50) ? "\"" : "");
    default:
      return fuzz::HostileText(rng, 12);
  }
}

std::string EndOfLine(std::mt19937& rng) {
  static const char* const kEnds[] = {"\r\n", "\n", "\r\n", "\r", "\r\n\r\n"};
  return kEnds[fuzz::Below(rng, 5)];
}

// An INI text: the sections and keys the program reads, with hostile values,
// among garbage lines.
std::string RandomIni(std::mt19937& rng, bool settings) {
  std::string text;
  const int sections = 1 + static_cast<int>(fuzz::Below(rng, 5));
  for (int s = 0; s < sections; ++s) {
    static const char* const kSettingsSections[] = {"Setting", "LastApplyProf", "Setting",
                                                    "LastApplyProf", "FormMain_CtrlPos"};
    static const char* const kStringSections[] = {"Utility", "Common", "Message", "Menu",
                                                  "BtnCaption"};
    std::string section =
        settings ? kSettingsSections[fuzz::Below(rng, 5)] : kStringSections[fuzz::Below(rng, 5)];
    if (fuzz::Chance(rng, 10)) section = fuzz::HostileText(rng, 20);
    text += (fuzz::Chance(rng, 5) ? "[" + section : "[" + section + "]") + EndOfLine(rng);
    const int keys = static_cast<int>(fuzz::Below(rng, 40));
    for (int k = 0; k < keys; ++k) {
      std::string key;
      const uint32_t pick = fuzz::Below(rng, 10);
      if (pick < 4) {
        key = kProfileKeys[fuzz::Below(rng, sizeof kProfileKeys / sizeof kProfileKeys[0])];
      } else if (pick < 6) {
        key = CommonStringKey(static_cast<int>(fuzz::Below(rng, kCommonStringCount)));
      } else if (pick < 8) {
        static const char* const kOthers[] = {"HWID0",    "HWID1",    "HWID2",      "HWID15",
                                              "HWID16",   "ProfRoot", "AppTitle",   "MsgTitle",
                                              "Res_Path", "HelpFile", "UseUtility", "RemoveProf"};
        key = kOthers[fuzz::Below(rng, sizeof kOthers / sizeof kOthers[0])];
      } else if (pick < 9) {
        key = fuzz::HostileText(rng, 16);
      }
      if (fuzz::Chance(rng, 5)) {
        text += fuzz::HostileText(rng, 80) + EndOfLine(rng);  // not a key=value line
        continue;
      }
      text += key + (fuzz::Chance(rng, 20) ? " = " : "=") + Value(rng) + EndOfLine(rng);
    }
  }
  if (fuzz::Chance(rng, 20))
    text = fuzz::Mutate(rng, text, 1 + static_cast<int>(fuzz::Below(rng, 8)));
  return text;
}

std::string RandomStringFileName(std::mt19937& rng) {
  static const char* const kNames[] = {"Prog.ini", "Prog.ini", "missing.ini", "sub\\Prog.ini",
                                       "",         "  ",       "%s%n.ini",    "Prog.ini\""};
  if (fuzz::Chance(rng, 10)) return std::string(300, 'n') + ".ini";
  return kNames[fuzz::Below(rng, sizeof kNames / sizeof kNames[0])];
}

template <size_t N>
void ExpectTerminated(const char (&field)[N], const char* name) {
  EXPECT_NE(std::memchr(field, 0, N), nullptr) << name << " is not terminated";
}

void ExpectTextsTerminated(const WLProfile& p) {
#define TERMINATED(f) ExpectTerminated(p.f, #f)
  TERMINATED(ProfileName), TERMINATED(Ssid1), TERMINATED(Ssid2), TERMINATED(Ssid3);
  TERMINATED(PassPhrase), TERMINATED(WEPKey1), TERMINATED(WEPKey2), TERMINATED(WEPKey3);
  TERMINATED(WEPKey4), TERMINATED(WPAPassphrase), TERMINATED(LoginName);
  TERMINATED(LoginPassword), TERMINATED(DomainName), TERMINATED(sCertificate);
  TERMINATED(sCertAuthority), TERMINATED(NetInfo.NI_sz_CurProfile);
  TERMINATED(NetInfo.NI_strScopeId), TERMINATED(NetInfo.NI_strHostName);
  TERMINATED(NetInfo.NI_strDomain), TERMINATED(NetInfo.NI_strDomSufSearch);
  TERMINATED(NetInfo.NI_strLoginUsr), TERMINATED(NetInfo.NI_strLoginPsw);
  TERMINATED(NetInfo.NI_strLoginDom);
#undef TERMINATED
}

void ClearPadding(WLProfile& p) {
  std::memset(p.Pad577, 0, sizeof p.Pad577);
  p.Pad2189 = 0;
  p.Pad3227 = 0;
}

}  // namespace

TEST(HostileFiles, SettingsAndStringFilesOfAnyContent) {
  fuzz::Run("HostileFiles.SettingsAndStringFilesOfAnyContent", 1100, 40,
            [](std::mt19937& rng, uint32_t) {
              TempDir dir;
              CreateDirectoryA((dir / "sub").c_str(), nullptr);
              const std::string stringFile = RandomStringFileName(rng);
              std::string settings = RandomIni(rng, true);
              if (fuzz::Chance(rng, 80))
                settings = "[Setting]\r\nStringFile=" + stringFile + "\r\n" + settings;
              WriteText(dir / "Prog.bin", settings);
              const std::string strings = RandomIni(rng, false);
              WriteText(dir / "Prog.ini", strings);
              WriteText(dir / "sub\\Prog.ini", strings);

              CFAGlobalVar var;
              var.LocateFiles(dir / "Prog.exe");

              EXPECT_LE(var.HwIdList.size(), 16u);
              for (const std::string& id : var.HwIdList) EXPECT_FALSE(id.empty());
              EXPECT_EQ(var.MutexName, var.ProfRoot + "_Mutex");
              EXPECT_EQ(var.NotifyMsgName, var.ProfRoot + "_NotifyMsg");

              // Texts of the string file that the program uses as formats.
              const std::string arg = "<" + fuzz::HostileText(rng, 70) + ">";
              for (const char* key : {"UseUtility", "RemoveProf"}) {
                const std::string format = var.StrFileRead("Message", key, "Use %s?");
                const std::string out = FormatText(format, arg);
                EXPECT_LE(out.size(), format.size() + arg.size()) << key;
                EXPECT_LE(ExpandLineBreaks(out).size(), out.size());
              }
              for (int i = 0; i < kCommonStringCount; ++i) {
                EXPECT_LE(FormatText(var.CommonStrings[i], arg).size(),
                          var.CommonStrings[i].size() + arg.size());
              }

              // The last applied profile as the file has it: every text terminated,
              // and once read it is written and read back unchanged.
              WLProfile read;
              fuzz::Scramble(rng, &read, sizeof read);
              if (!var.ProfFromIniFile("LastApplyProf", read)) return;
              ExpectTextsTerminated(read);
              EXPECT_LE(static_cast<uint8_t>(read.ApplyNetwork), 1);
              EXPECT_LE(static_cast<uint8_t>(read.bQosEnabled), 1);
              var.ProfToIniFile(read, "Again");
              WLProfile again;
              std::memset(&again, 0xA5, sizeof again);
              ASSERT_TRUE(var.ProfFromIniFile("Again", again));
              ClearPadding(read);
              ClearPadding(again);
              EXPECT_EQ(std::memcmp(&read, &again, sizeof read), 0)
                  << "a profile read from the file changed on its way back";
            });
}

TEST(HostileFiles, FormatsLineBreaksAndCommaLists) {
  fuzz::Run(
      "HostileFiles.FormatsLineBreaksAndCommaLists", 2200, 3000, [](std::mt19937& rng, uint32_t) {
        const std::string format = fuzz::HostileText(rng, 60);
        const std::string arg = fuzz::HostileText(rng, 20);
        const std::string out = FormatText(format, arg);
        EXPECT_LE(out.size(), format.size() + arg.size());
        if (format.find('%') == std::string::npos) {
          EXPECT_EQ(out, format);
        }
        EXPECT_LE(ExpandLineBreaks(format).size(), format.size());

        // Positions of the layout sections and the rate and channel lists follow
        // one comma-list rule; the list reader never writes past its capacity.
        std::string list;
        const int items = static_cast<int>(fuzz::Below(rng, 12));
        for (int i = 0; i < items; ++i) {
          list += fuzz::Chance(rng, 70) ? fuzz::HostileNumber(rng) : fuzz::HostileText(rng, 6);
          list += fuzz::Chance(rng, 70) ? "," : (fuzz::Chance(rng, 50) ? " " : " , ");
        }
        const std::string cleaned = std::string(list.c_str());  // the positions stop at a zero
        const std::vector<int> positions = layout::CommaIntegers(cleaned);
        const int capacity = static_cast<int>(fuzz::Below(rng, 6));
        std::vector<int32_t> values(capacity + 4, 0x5EEDCAFE);
        const int found = ParseIntList(cleaned, values.data(), capacity);
        ASSERT_EQ(static_cast<size_t>(found), positions.size()) << "[" << cleaned << "]";
        for (int i = 0; i < capacity && i < found; ++i) EXPECT_EQ(values[i], positions[i]);
        for (int i = std::min(found, capacity); i < capacity + 4; ++i)
          EXPECT_EQ(values[i], 0x5EEDCAFE)
              << "written past the first " << found << " of " << capacity;
      });
}
