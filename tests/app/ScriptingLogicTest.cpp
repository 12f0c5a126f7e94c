// The script switches as plain logic: what the command line asks for, and
// the request and reply that travel between the processes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Uscript.h"
#include "app/Uscriptrun.h"
#include "config/Uunicode.h"

using namespace script;

namespace {

struct Parsed {
  bool Found;
  Request R;
  std::string Usage;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "WirelessUtility.exe");
  Parsed p{};
  p.Found = ParseCommandLine(static_cast<int>(args.size()), args.data(), p.R, p.Usage);
  return p;
}

TEST(ScriptCommandLine, SwitchesMatchWholeInAnyCaseAndTakeTheirArguments) {
  EXPECT_FALSE(Parse({}).Found);
  EXPECT_FALSE(Parse({"/UI", "/TrayIcon", "Home"}).Found);
  EXPECT_FALSE(Parse({"/Connect=Home", "/status:1"}).Found);

  Parsed p = Parse({"/UI", "/connect", "My Home"});
  ASSERT_TRUE(p.Found);
  EXPECT_EQ(p.Usage, "");
  EXPECT_EQ(p.R.Cmd, Command::Connect);
  EXPECT_EQ(p.R.Name, "My Home");

  p = Parse({"/EXPORT", "out.wlprof"});
  EXPECT_EQ(p.R.Cmd, Command::Export);
  EXPECT_EQ(p.R.File, "out.wlprof");
  EXPECT_EQ(p.R.Name, "");  // every profile
  p = Parse({"/Export", "out.wlprof", "Office", "/TrayIcon"});
  EXPECT_EQ(p.R.Name, "Office");
  EXPECT_EQ(p.Usage, "");
  // A switch after the file is not taken for the name.
  p = Parse({"/Export", "out.wlprof", "/Service"});
  EXPECT_EQ(p.R.Name, "");

  p = Parse({"/import", "in.wlprof"});
  EXPECT_EQ(p.R.Cmd, Command::Import);
  EXPECT_EQ(p.R.File, "in.wlprof");
  EXPECT_EQ(Parse({"/Status"}).R.Cmd, Command::Status);
  EXPECT_EQ(Parse({"/disconnect"}).R.Cmd, Command::Disconnect);
}

TEST(ScriptCommandLine, MissingArgumentsAndSecondSwitchesAreUsageErrors) {
  for (const auto& args : std::vector<std::vector<const char*>>{
           {"/Connect"},
           {"/Connect", "/UI"},
           {"/Connect", ""},
           {"/Export"},
           {"/Import", "/Close"},
           {"/Status", "/Disconnect"},
           {"/Connect", "A", "/Connect", "B"},
       }) {
    Parsed p = Parse(args);
    EXPECT_TRUE(p.Found) << args[0];
    EXPECT_NE(p.Usage, "") << args[0] << " " << (args.size() > 1 ? args[1] : "");
  }
  EXPECT_NE(Parse({"/Connect", std::string(65, 'n').c_str()}).Usage, "");
  EXPECT_EQ(Parse({"/Connect", std::string(64, 'n').c_str()}).Usage, "");
}

// Names and files arrive as UTF-8; a name is limited as the store counts it
// (cp1252 here: 64 "é" are 64 bytes; no store holds "Ж", so only the lookup
// refuses 64 of them), a path in UTF-16 units. The same limits and a UTF-8
// check hold for what another process sends.
TEST(ScriptCommandLine, UnicodeNamesAndPathsAreTakenAndLimitedAsStoredAndPassed) {
  std::string e64, zhe64, path259 = "C:\\";
  for (int i = 0; i < 64; ++i) e64 += "\xC3\xA9", zhe64 += "\xD0\x96";
  while (Wide(path259).size() < kMaxPath) path259 += "\xC3\xA9";
  const std::string e65 = e64 + "\xC3\xA9", path260 = path259 + "x";
  for (const auto& [name, ok] :
       {std::pair{e64, true}, {zhe64, true}, {e65, false}, {zhe64 + zhe64, false}})
    EXPECT_EQ(Parse({"/Connect", name.c_str()}).Usage.empty(), ok) << name.size();
  EXPECT_EQ(Parse({"/Import", path259.c_str()}).Usage, "");
  EXPECT_EQ(Parse({"/Import", path260.c_str()}).Usage, kTextPathTooLong);
  const Request requests[] = {
      {Command::Connect, e64, ""},       {Command::Export, "\xF0\x9F\x98\x80 Hotspot", path259},
      {Command::Connect, e65, ""},       {Command::Import, "", path260},
      {Command::Connect, "Caf\xE9", ""}, {Command::Import, "", "C:\\\xC3"}};
  for (size_t i = 0; i < std::size(requests); ++i) {
    const std::string data = EncodeRequest(requests[i]);
    Request got;
    EXPECT_EQ(DecodeRequest(data.data(), data.size(), got), i < 2) << i;
    EXPECT_TRUE(i >= 2 || (got.Name == requests[i].Name && got.File == requests[i].File)) << i;
  }
}

TEST(ScriptExchange, RequestsAndRepliesSurviveTheTripAndBrokenOnesAreRefused) {
  Request sent{Command::Export, "Office", "Z:\\tmp\\out.wlprof"};
  const std::string data = EncodeRequest(sent);
  Request got;
  ASSERT_TRUE(DecodeRequest(data.data(), data.size(), got));
  EXPECT_EQ(got.Cmd, Command::Export);
  EXPECT_EQ(got.Name, "Office");
  EXPECT_EQ(got.File, "Z:\\tmp\\out.wlprof");

  // Cut short, one byte more, another tag or command, a field too many or
  // too long, or arguments the command does not take.
  EXPECT_FALSE(DecodeRequest(data.data(), data.size() - 1, got));
  EXPECT_FALSE(DecodeRequest((data + "x").data(), data.size() + 1, got));
  EXPECT_FALSE(DecodeRequest(nullptr, 10, got));
  std::string other = data;
  other[3] = '9';
  EXPECT_FALSE(DecodeRequest(other.data(), other.size(), got));
  const std::string garbage(
      "WUS1\0"
      "7\0\0\0",
      10);
  EXPECT_FALSE(DecodeRequest(garbage.data(), garbage.size(), got));
  const std::string extra = data + std::string("more\0", 5);
  EXPECT_FALSE(DecodeRequest(extra.data(), extra.size(), got));
  const std::string longName = EncodeRequest({Command::Connect, std::string(65, 'a'), ""});
  EXPECT_FALSE(DecodeRequest(longName.data(), longName.size(), got));
  const std::string noName = EncodeRequest({Command::Connect, "", ""});
  EXPECT_FALSE(DecodeRequest(noName.data(), noName.size(), got));
  const std::string statusWithFile = EncodeRequest({Command::Status, "", "x"});
  EXPECT_FALSE(DecodeRequest(statusWithFile.data(), statusWithFile.size(), got));
  EXPECT_EQ(got.Cmd, Command::Export);  // untouched by the refusals

  const Reply reply{kExitNoProfile, "out\r\n", "There is no stored profile named 'x'.\r\n"};
  const std::string r = EncodeReply(reply);
  Reply back;
  ASSERT_TRUE(DecodeReply(r.data(), r.size(), back));
  EXPECT_EQ(back.Code, kExitNoProfile);
  EXPECT_EQ(back.Out, reply.Out);
  EXPECT_EQ(back.Err, reply.Err);
  EXPECT_FALSE(DecodeReply(data.data(), data.size(), back));  // a request is no reply
}

TEST(ScriptNames, ExactNameFirstThenLetterCase) {
  const std::vector<std::string> names{"home", "Office", "HOME", "Home"};
  EXPECT_EQ(MatchName(names, "Home"), 3);
  EXPECT_EQ(MatchName(names, "hOmE"), 0);
  EXPECT_EQ(MatchName(names, "office"), 1);
  EXPECT_EQ(MatchName(names, "Offic"), -1);
  EXPECT_EQ(MatchName({}, "x"), -1);
}

TEST(ScriptStatus, OneKeyAndValueALineAndNoStaleValuesWithoutALink) {
  StatusInfo s;
  s.Adapter = "Ombrix Test Adapter";
  s.Connected = true;
  s.Profile = "Office";
  s.Network = "Ombrix-Open";
  s.SignalDbm = -48;
  s.Ip = "192.168.77.23";
  EXPECT_EQ(FormatStatus(s),
            "adapter: Ombrix Test Adapter\r\nstate: connected\r\nprofile: Office\r\n"
            "network: Ombrix-Open\r\nsignal: -48 dBm\r\nip: 192.168.77.23\r\n");
  s.Connected = false;
  EXPECT_EQ(FormatStatus(s),
            "adapter: Ombrix Test Adapter\r\nstate: disconnected\r\nprofile: \r\nnetwork: \r\n"
            "signal: \r\nip: \r\n");
  s.Connected = true;
  s.Managed = true;
  EXPECT_NE(FormatStatus(s).find("state: managed by Windows\r\nprofile: \r\n"), std::string::npos);
}

// Texts with a hostile name are one line without a zero byte, so a reply
// holding them comes back whole; other text stays exact UTF-8. (/Status
// lines: ScriptingProcess, through the real instance.)
TEST(ScriptReplies, HostileNamesCannotForgeLinesOrFieldsAndOtherTextStaysUtf8) {
  const std::string hostile("a\0b\r\nc\x7F\xC2\x85\xC3\xA9", 11);
  for (const std::string& text :
       {NoProfileText(hostile), ConnectingText(hostile), RefusedText(hostile),
        ExportedText(2, hostile), ImportedText(1, hostile), ImportPartlyText(1, 1, hostile),
        NotExportText(hostile)}) {
    EXPECT_EQ(text.find_first_of(std::string("\0\r\n\x7F", 4)), std::string::npos) << text;
    EXPECT_NE(text.find("a\\x00b\\x0D\\x0Ac\\x7F\\x85\xC3\xA9"), std::string::npos) << text;
    const std::string data = EncodeReply(Failure(kExitNoProfile, text));
    Reply back;
    EXPECT_TRUE(DecodeReply(data.data(), data.size(), back) && back.Err == text + "\r\n") << text;
  }
}

// What goes to a pipe (or a file: the same call) is the UTF-8 bytes,
// exactly, without a byte-order mark; long text is written whole.
TEST(ScriptOutput, APipeGetsTheExactUtf8Bytes) {
  std::string sent;
  while (sent.size() < 100000)
    sent += "network: \xF0\x9F\x98\x80 Hotspot\r\nprofile: Caf\xC3\xA9 \xD0\x96\r\n";
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 20));
  WriteText(write, sent);
  CloseHandle(write);
  std::string got;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(read, buf, sizeof buf, &n, nullptr) && n > 0) got.append(buf, n);
  CloseHandle(read);
  EXPECT_TRUE(got == sent) << got.size() << " bytes of " << sent.size();
}

}  // namespace
