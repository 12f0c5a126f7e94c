// Network names on the station pages, over the simulated library with
// networks named by any bytes: each survey row shows its name on one line,
// joining keeps the exact bytes, a zero byte inside is refused by name, and
// the link page and the balloons show the name as the lists do.
#include <memory>
#include <string>
#include <vector>

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uformmsgbox.h"
#include "shell/Utraynotes.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

const std::string kCafeMueller = "Caf\xC3\xA9 M\xC3\xBCller";
const std::string kLast32 = std::string(29, 'a') + "\xE6\x97\xA5";

std::string Network(int i, const std::string& key, const std::string& value, int signal) {
  char bssid[32];
  snprintf(bssid, sizeof bssid, "00:1D:4F:20:00:%02X", i);
  return "[Network " + std::to_string(i) + "]\r\n" + key + "=" + value + "\r\nBSSID=" + bssid +
         "\r\nChannel=6\r\nType=g\r\nSecurity=0\r\nSignal=" + std::to_string(signal) +
         "\r\nJitter=0\r\n";
}

// Every name the pages must tell apart: UTF-8, Latin-1, not UTF-8 at all, a
// zero byte inside, a control, and 32 bytes ending in a 3-byte character.
struct Named {
  std::string bytes, shown;
};
const std::vector<Named>& Names() {
  static const std::vector<Named> names = {
      {kCafeMueller, kCafeMueller},        {"Caf\xE9", "Caf\xC3\xA9"},  {"\xC3\x28x", "\xC3\x83(x"},
      {std::string("A\0B", 3), "A\\x00B"}, {"Tab\tNet", "Tab\\x09Net"}, {kLast32, kLast32},
  };
  return names;
}

std::string World() {
  return Network(1, "SSID", kCafeMueller, -40) + Network(2, "SSIDHex", "436166E9", -45) +
         Network(3, "SSIDHex", "C32878", -50) + Network(4, "SSIDHex", "410042", -55) +
         Network(5, "SSIDHex", "546162094E6574", -60) + Network(6, "SSID", kLast32, -65);
}

template <class Page>
class PageOnAdapter {
 public:
  PageOnAdapter() : host(nullptr, "FormHost"), adapter(nullptr, 0, TestDevice()) {
    page = new Page(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(&adapter, kAttach, kModeStation);
  }
  ~PageOnAdapter() {
    page->AttachAdapter(&adapter, kDetach, kModeStation);
    page->DonePage();
  }
  TForm host;
  CNICAdapter adapter;
  Page* page;
};

int RowOf(TSortLv* list, const std::string& shown) {
  for (int i = 0; i < list->RowCount(); ++i)
    if (list->Row(i)->SubItem(0) == shown) return i;
  return -1;
}

}  // namespace

TEST(NetworkNames, SurveyRowsShowEachNameAndJoiningKeepsItsBytesOrRefusesAZeroByName) {
  MainWindowEnv env("", 6, World());
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameSurvey> p;
  TSortLv* list = p.page->LvSite;
  ASSERT_TRUE(WaitUntil([&] { return list->RowCount() == 6; }, kGenerous));

  // Every box is answered and kept, for as long as this test runs.
  auto boxes = std::make_shared<std::vector<std::string>>();
  auto done = std::make_shared<bool>(false);
  Every(20, [boxes, done] {
    if (*done) return true;
    if (auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm())) {
      boxes->push_back(box->LbMsg->Caption());
      box->BtnOk->Click();
    }
    return false;
  });
  for (const Named& n : Names()) {
    const int row = RowOf(list, n.shown);
    ASSERT_GE(row, 0) << n.shown;
    list->SelectRow(row);
    SetField(g_GlobalVar.WorkProfile.ProfileName, "untouched");
    boxes->clear();
    p.page->BtnConnectClick();
    if (n.bytes.find('\0') != std::string::npos) {
      EXPECT_EQ(*boxes, std::vector<std::string>{"The network 'A\\x00B' has a zero byte in its "
                                                 "name; this utility cannot join it."});
      EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.ProfileName), "untouched")
          << "nothing was made of it";
      continue;
    }
    EXPECT_TRUE(boxes->empty()) << n.shown;
    EXPECT_EQ(SsidBytes(g_GlobalVar.WorkProfile), n.bytes) << n.shown;
  }
  *done = true;

  // The Latin-1 name joins that very network, not one that merely looks
  // like it.
  list->SelectRow(RowOf(list, "Caf\xC3\xA9"));
  p.page->BtnConnectClick();
  EXPECT_TRUE(Linked(p.adapter, "Caf\xE9"));
  WLProfile applied{};
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  EXPECT_EQ(SsidBytes(applied), "Caf\xE9");
}

TEST(NetworkNames, TheLinkPageAndTheBalloonsNameTheNetworkAsTheListsDo) {
  MainWindowEnv env("", 6, World());
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameLinkInfo> p;
  TForm owner(nullptr, "FormNotes");
  CTrayNotes notes(&owner, nullptr);
  std::vector<std::string> shown;
  notes.Show = [&shown](const std::string&, const std::string& text) {
    shown.push_back(text);
    return true;
  };

  for (const std::string& bytes : {kCafeMueller, std::string("Tab\tNet")}) {
    WLProfile work = p.adapter.DefProf;
    SetField(work.ProfileName, "Caf\xE9 M\xFCller");  // store text, 1252
    ASSERT_TRUE(SetSsidBytes(work, bytes));
    p.adapter.Connect(work);
    ASSERT_TRUE(Linked(p.adapter, bytes));
    WLProfile applied{};
    ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
    p.page->AdapterNotify(&p.adapter, kNotifyConnecting, 0);
    p.page->AdapterNotify(&p.adapter, kNotifyStatus, 0);
    WLStatus s{};
    p.adapter.GetStatus(s);
    notes.LinkSample(s.MediaState == 0, SsidText(s));
    if (bytes == kCafeMueller) {
      EXPECT_EQ(p.page->LblSSID->Caption(), kCafeMueller);
      EXPECT_EQ(p.page->LblProfName->Caption(), kCafeMueller) << "the profile name as UTF-8";
    } else {
      EXPECT_EQ(p.page->LblSSID->Caption(), "Tab\\x09Net") << "one line";
    }
  }
  notes.LinkSample(false, "");
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), "Connected to " + kCafeMueller);
  // The balloons that followed within the gate's interval wait; the last
  // one names the dropped network as shown.
  EXPECT_TRUE(WaitUntil([&] { return shown.size() >= 2; }, kGenerous));
  EXPECT_EQ(shown.back(), "Disconnected from Tab\\x09Net");
}
