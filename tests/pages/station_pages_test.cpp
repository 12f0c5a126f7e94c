// The station pages on a real adapter object over the simulated library:
// the profile page's list, last-profile connection and removal; the survey
// page's scan, order and joining; the adapter page's rate list; the link
// page's values, lamps and rates.
#include <algorithm>
#include <cstring>

#include "adapter/Unicadapter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframeadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "pages/station/Ustationlogic.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

constexpr const char* kThreeNetworks =
    "[Network Z]\r\nSSID=Zeta\r\nBSSID=00:1D:4F:10:00:0A\r\nChannel=1\r\nType=g\r\n"
    "Security=0\r\nSignal=-40\r\nJitter=0\r\n"
    "[Network A]\r\nSSID=alpha\r\nBSSID=00:1D:4F:10:00:0B\r\nChannel=11\r\nType=b\r\n"
    "Security=1\r\nWEPPassphrase=ombrix\r\nWEPLevel=64\r\nSignal=-70\r\nJitter=0\r\n"
    "[Network M]\r\nSSID=Mid\r\nBSSID=00:1D:4F:10:00:0C\r\nChannel=6\r\nType=g\r\n"
    "Mode=AdHoc\r\nSecurity=0\r\nSignal=-55\r\nJitter=0\r\n";

// A page in a form of its own, on an adapter that reports to nobody.
template <class Page>
class PageOnAdapter {
 public:
  explicit PageOnAdapter(int mode = kModeStation)
      : host(nullptr, "FormHost"), adapter(nullptr, 0, TestDevice()) {
    page = new Page(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(&adapter, kAttach, mode);
  }
  ~PageOnAdapter() {
    page->AttachAdapter(&adapter, kDetach, kModeStation);
    page->DonePage();
  }
  TForm host;
  CNICAdapter adapter;
  Page* page;
};

std::vector<std::string> Column(TSortLv* list, int subItem) {
  std::vector<std::string> out;
  for (int i = 0; i < list->RowCount(); ++i) out.push_back(list->Row(i)->SubItem(subItem));
  return out;
}

// ---- profile page -------------------------------------------------------------------

TEST(ProfilePage, ListsProfilesByNameAndConnectsTheLastOneOrElseTheFirst) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameProfile> p;
  for (const char* name : {"beta", "Alpha"}) {
    WLProfile prof = p.adapter.DefProf;
    SetField(prof.ProfileName, name);
    SetField(prof.NetInfo.NI_sz_CurProfile, name);
    SetField(prof.Ssid1, std::string(name) + "Net");
    prof.EncryptionMethod = name[0] == 'b' ? EncWPA2_PSK : EncNone;
    ASSERT_TRUE(p.adapter.AddProfile(prof));
  }
  p.page->AttachAdapter(&p.adapter, kDetach, kModeStation);
  p.page->AttachAdapter(&p.adapter, kAttach, kModeStation);
  EXPECT_EQ(Column(p.page->LvProf, 0), (std::vector<std::string>{"Alpha", "beta", "Default"}));
  EXPECT_EQ(p.page->LvProf->Row(1)->ImageIndex(), 2) << "protected infrastructure";
  EXPECT_EQ(p.page->LvProf->SelectedIndex(), 0);
  EXPECT_EQ(p.page->LblNetType->Caption(), "Infrastructure");
  EXPECT_EQ(p.page->LblTxRate->Caption(), "Auto");
  EXPECT_TRUE(p.page->BtnActivate->Enabled());

  p.adapter.WriteSet("LastProf", "beta");
  p.page->InitConnect();
  EXPECT_TRUE(env.Logged("Connect last => beta"));
  // The last profile was deleted meanwhile: the first row is taken.
  ASSERT_TRUE(p.adapter.DeleteProfile(kStationList, "beta"));
  p.page->InitConnect();
  EXPECT_TRUE(env.Logged("Connect last => Alpha"));
  // Switched off: nothing.
  p.adapter.WriteSet("InitConnect", false);
  p.page->InitConnect();
  const auto log = env.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Connect last => Alpha"), 1);
}

TEST(ProfilePage, TheAppliedProfileIsHighlightedUntilItChanges) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameProfile> p;
  ASSERT_EQ(p.page->LvProf->RowCount(), 1);
  TLvRow* row = p.page->LvProf->Row(0);
  EXPECT_EQ(p.page->LvProf->OnRowColor(*row), CLR_NONE);
  p.adapter.Connect(*TFrameProfile::RowProfile(row));
  WLProfile applied{};
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  p.page->AdapterNotify(&p.adapter, kNotifyConnecting, 0);
  EXPECT_NE(p.page->LvProf->OnRowColor(*row), CLR_NONE);
  // An edited copy is another profile.
  g_GlobalVar.WorkProfile = *TFrameProfile::RowProfile(row);
  g_GlobalVar.WorkProfile.TxRate = 108;
  ASSERT_TRUE(p.page->SaveProfile(kProfEditMode));
  EXPECT_EQ(p.page->LvProf->OnRowColor(*p.page->LvProf->Row(0)), CLR_NONE);
}

TEST(ProfilePage, RemovingAskedRowsSelectsTheNextOneAndCancelKeepsThem) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameProfile> p;
  WLProfile prof = p.adapter.DefProf;
  SetField(prof.ProfileName, "Zulu");
  ASSERT_TRUE(p.adapter.AddProfile(prof));
  p.page->AttachAdapter(&p.adapter, kDetach, kModeStation);
  p.page->AttachAdapter(&p.adapter, kAttach, kModeStation);
  ASSERT_EQ(p.page->LvProf->RowCount(), 2);

  std::string asked;
  auto answer = [&asked](bool ok) {
    Every(20, [&asked, ok] {
      auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (!box) return false;
      asked = box->LbMsg->Caption();
      (ok ? box->BtnOk : box->BtnCancel)->Click();
      return true;
    });
  };
  p.page->LvProf->SelectRow(1);
  answer(false);
  p.page->BtnDeleteClick();
  EXPECT_EQ(asked, "Really remove 'Zulu'?");
  EXPECT_EQ(p.page->LvProf->RowCount(), 2);

  answer(true);
  p.page->BtnDeleteClick();
  EXPECT_FALSE(p.adapter.IsProfileExist("Zulu"));
  ASSERT_EQ(p.page->LvProf->RowCount(), 1);
  EXPECT_EQ(p.page->LvProf->SelectedIndex(), 0) << "the new last row";

  answer(true);
  p.page->BtnDeleteClick();
  EXPECT_EQ(p.page->LvProf->RowCount(), 0);
  EXPECT_FALSE(p.page->BtnDelete->Enabled());
  EXPECT_FALSE(p.page->BtnActivate->Enabled());
}

TEST(ProfilePage, WhileWindowsManagesTheAdapterTheListIsEmpty) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameProfile> p;
  ASSERT_GT(p.page->LvProf->RowCount(), 0);
  p.page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOn);
  EXPECT_TRUE(p.page->Blocked());
  EXPECT_EQ(p.page->LvProf->RowCount(), 0);
  p.page->InitConnect();
  EXPECT_FALSE(env.Logged("Connect last => Default"));
  p.page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOff);
  EXPECT_EQ(p.page->LvProf->RowCount(), 1);
  // A second "utility manages it" fills the list once, not twice.
  p.page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOff);
  EXPECT_EQ(p.page->LvProf->RowCount(), 1);
}

// ---- site survey page --------------------------------------------------------------

TEST(SurveyPage, ListsNetworksStrongestFirstAndSortsByClickedColumns) {
  MainWindowEnv env("", 6, kThreeNetworks);
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameSurvey> p;
  EXPECT_TRUE(p.page->PlSearch->Visible()) << "the first result is being fetched";
  TSortLv* list = p.page->LvSite;
  ASSERT_TRUE(WaitUntil([&] { return list->RowCount() == 3; }, kGenerous));
  EXPECT_FALSE(p.page->PlSearch->Visible());
  EXPECT_TRUE(p.page->BtnScan->Enabled());
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Zeta", "Mid", "alpha"}));
  EXPECT_EQ(list->Row(0)->ImageIndex(), 0);
  EXPECT_EQ(list->Row(1)->ImageIndex(), 1) << "open ad hoc";
  EXPECT_EQ(list->Row(2)->ImageIndex(), 2) << "protected infrastructure";
  EXPECT_EQ(list->Row(2)->SubItem(1), "11");
  EXPECT_FALSE(p.page->LblTime->Caption().empty());
  EXPECT_EQ(p.page->LblMAC->Caption(), "00:1D:4F:10:00:0A");

  list->ClickColumn(3);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"alpha", "Mid", "Zeta"}));
  list->ClickColumn(3);
  list->ClickColumn(1);  // keeps descending: Z to A
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Zeta", "Mid", "alpha"}));
  list->ClickColumn(1);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"alpha", "Mid", "Zeta"}));
  list->ClickColumn(2);  // channels as numbers: 1, 6, 11
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"1", "6", "11"}));
  list->ClickColumn(0);
  EXPECT_EQ(list->SortColunm(), 2) << "the icon column is not sortable";

  // A new scan empties the list and the details of the old choice.
  p.page->BtnScanClick();
  EXPECT_EQ(list->RowCount(), 0);
  EXPECT_TRUE(p.page->PlSearch->Visible());
  EXPECT_FALSE(p.page->BtnScan->Enabled());
  EXPECT_FALSE(p.page->BtnConnect->Enabled());
  EXPECT_EQ(p.page->LblMAC->Caption(), "");
  ASSERT_TRUE(WaitUntil([&] { return list->RowCount() == 3; }, kGenerous));
  EXPECT_EQ(list->SortColunm(), 2) << "the chosen order stays";
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"1", "6", "11"}));
}

TEST(SurveyPage, AnOpenNetworkIsJoinedAtOnceAProtectedOneGoesToTheProfilePage) {
  MainWindowEnv env("", 6, kThreeNetworks);
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameSurvey> p;
  TSortLv* list = p.page->LvSite;
  ASSERT_TRUE(WaitUntil([&] { return list->RowCount() == 3; }, kGenerous));

  list->SelectRow(2);  // alpha, WEP
  ASSERT_EQ(p.page->LblEncry->Caption(), "WEP");
  p.page->BtnConnectClick();
  EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.ProfileName), "(EditingProfile)");
  EXPECT_EQ(g_GlobalVar.WorkProfile.EncryptionMethod, EncWEP);
  WLProfile applied{};
  Sleep(300);
  EXPECT_FALSE(p.adapter.GetAppliedProf(applied)) << "a protected network needs its key first";

  list->SelectRow(0);  // Zeta, open
  p.page->BtnConnectClick();
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  EXPECT_EQ(FieldText(applied.Ssid1), "Zeta");
  EXPECT_EQ(FieldText(applied.ProfileName), "(EditingProfile)");
  ASSERT_TRUE(Linked(p.adapter));
  p.page->AdapterNotify(&p.adapter, kNotifyStatus, 0);
  EXPECT_NE(list->OnRowColor(*list->Row(0)), CLR_NONE) << "the associated row is marked";
  EXPECT_EQ(list->OnRowColor(*list->Row(1)), CLR_NONE);
}

TEST(SurveyPage, NothingIsScannedWhileWindowsManagesTheAdapter) {
  MainWindowEnv env("", 6, kThreeNetworks);
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameSurvey> p;
  ASSERT_TRUE(WaitUntil([&] { return p.page->LvSite->RowCount() == 3; }, kGenerous));
  p.page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOn);
  EXPECT_TRUE(p.page->ScanBlocked());
  EXPECT_EQ(p.page->LvSite->RowCount(), 0);
  EXPECT_FALSE(p.page->BtnScan->Enabled());
  EXPECT_FALSE(p.page->BtnConnect->Enabled());
  // Entering with the no-scan flag shows the last result and starts nothing.
  EXPECT_TRUE(p.page->EnterPage(nullptr, kDirNone, kSurveyNoScan));
  EXPECT_FALSE(p.page->PlSearch->Visible());
}

// ---- adapter settings page ---------------------------------------------------------

TEST(AdapterPage, TheRateListShowsTheBandsRatesFromTheTop) {
  MainWindowEnv env("TxRateG=2,4,11,22,12,18,24,36,48,72,96,108\r\nTxRateB=2,x,4,0,22\r\n");
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameAdapter> p;
  TComboBox* rates = p.page->CmbTxRate;
  p.page->InitTxRate(3);
  std::vector<std::string> texts;
  for (int i = 0; i < rates->Count(); ++i) texts.push_back(rates->ItemText(i));
  EXPECT_EQ(texts, (std::vector<std::string>{"Auto", "54 Mbps", "48 Mbps", "36 Mbps", "24 Mbps",
                                             "18 Mbps", "12 Mbps", "9 Mbps", "6 Mbps", "11 Mbps",
                                             "5.5 Mbps", "2 Mbps", "1 Mbps"}));
  EXPECT_EQ(rates->ItemValue(0), 15);
  EXPECT_EQ(p.page->RateListBand(), 3);

  p.page->InitTxRate(1);
  ASSERT_EQ(rates->Count(), 3);
  EXPECT_EQ(rates->ItemText(1), "2 Mbps");
  EXPECT_EQ(rates->ItemText(2), "1 Mbps");
  p.page->InitTxRate(2);  // no "TxRateA": Auto alone
  EXPECT_EQ(rates->Count(), 1);
  p.page->InitTxRate(7);
  EXPECT_EQ(rates->Count(), 1) << "an unknown band keeps the list";
  EXPECT_EQ(p.page->RateListBand(), 2);
  EXPECT_TRUE(env.Logged("TFrameAdapter::InitTxRate NetworkType 7"));
}

TEST(AdapterPage, SavingWritesTheChoicesIntoTheAppliedProfileAndAppliesIt) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameAdapter> p;
  EXPECT_TRUE(p.page->BtnSave->Enabled());
  // Nothing applied yet: saving changes nothing.
  p.page->BtnSaveClick();
  WLProfile applied{};
  EXPECT_FALSE(p.adapter.GetAppliedProf(applied));

  WLProfile odd = p.adapter.DefProf;
  odd.PreambleMode = 7;
  odd.PowerMode = 2;
  p.adapter.Connect(odd);
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  p.page->EnterPage(nullptr, kDirNone, 0);
  EXPECT_EQ(p.page->CmbPreamble->SelectedValue(-1), 2) << "an unknown preamble shows Auto";
  EXPECT_EQ(p.page->CmbPower->SelectedValue(-1), 2);
  p.page->CmbPower->SelectByValue(1);
  // This host stores nothing for the page: the user is told, and the
  // choices are applied all the same.
  std::string box;
  Every(20, [&box] {
    auto* b = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
    if (!b) return false;
    box = b->LbMsg->Caption();
    b->BtnOk->Click();
    return true;
  });
  WLProfile wizards = p.adapter.DefProf;
  SetField(wizards.ProfileName, "Being edited");
  g_GlobalVar.WorkProfile = wizards;
  p.page->BtnSaveClick();
  EXPECT_TRUE(env.Logged("modify profile Default"));
  EXPECT_EQ(box, "The profile could not be saved. Please try again.");
  EXPECT_EQ(std::memcmp(&g_GlobalVar.WorkProfile, &wizards, sizeof wizards), 0)
      << "a working profile the wizard may hold is left alone";
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied) && applied.PowerMode == 1; },
                        kGenerous));
}

// ---- link information page ---------------------------------------------------------

TEST(LinkPage, ShowsTheLinkRenewsTheAddressOnceAndMeasuresRatesFromTheSecondSample) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameLinkInfo> p;
  EXPECT_TRUE(p.page->BtnTChart->Enabled()) << "the utility manages the adapter: a chart";
  WLProfile work = p.adapter.DefProf;
  SetField(work.ProfileName, kEditingProfile);
  p.adapter.Connect(work);
  WLProfile applied{};
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  p.page->AdapterNotify(&p.adapter, kNotifyConnecting, 0);
  EXPECT_TRUE(p.page->Connecting());
  ASSERT_TRUE(Linked(p.adapter));

  p.page->AdapterNotify(&p.adapter, kNotifyStatus, 0);
  EXPECT_FALSE(p.page->Connecting());
  EXPECT_EQ(p.page->LblSSID->Caption(), "TestOpen");
  EXPECT_EQ(p.page->LblChannel->Caption(), "6");
  EXPECT_EQ(p.page->LblMAC->Caption(), "00:1D:4F:10:00:01");
  EXPECT_EQ(p.page->LblNetType->Caption(), "Infrastructure");
  EXPECT_EQ(p.page->LblProfName->Caption(), "") << "the working profile has no name to show";
  WLStatus s{};
  p.adapter.GetStatus(s);
  // An open profile shows how the link authenticated.
  EXPECT_EQ(p.page->LblAuthen->Caption(),
            g_GlobalVar.CommonStrings[stationlogic::AuthenIndex(true, EncNone, 0, s.AuthMode)]);
  EXPECT_EQ(p.page->LblTransRate->Caption(), "") << "rates need two samples";
  EXPECT_EQ(p.page->LitLamps(false), stationlogic::LampCount(s.SignalLevel));
  EXPECT_EQ(p.page->LitLamps(true), stationlogic::LampCount(s.LinkLevel));
  EXPECT_GT(p.page->LitLamps(false), 0);

  Sleep(300);
  p.page->AdapterNotify(&p.adapter, kNotifyStatus, 0);
  EXPECT_NE(p.page->LblTransRate->Caption().find(" Kbps"), std::string::npos);
  EXPECT_NE(p.page->LblRecvReate->Caption().find(" Kbps"), std::string::npos);
  const auto log = env.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "IPConfig 0x3"), 1);

  // Windows takes over: everything is cleared.
  p.page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOn);
  EXPECT_EQ(p.page->LblSSID->Caption(), "");
  EXPECT_EQ(p.page->LitLamps(false), 0);
}

TEST(LinkPage, WithAutoRenewOffTheAddressIsLeftAlone) {
  MainWindowEnv env("AutoRenewIP=0\r\n");
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameLinkInfo> p;
  p.adapter.Connect(p.adapter.DefProf);
  WLProfile applied{};
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  p.page->AdapterNotify(&p.adapter, kNotifyConnecting, 0);
  ASSERT_TRUE(Linked(p.adapter));
  p.page->AdapterNotify(&p.adapter, kNotifyStatus, 0);
  EXPECT_EQ(p.page->LblProfName->Caption(), "Default");
  EXPECT_FALSE(env.Logged("IPConfig 0x3"));
}

// ---- access-point information page ---------------------------------------------------

TEST(APInfoPage, TakesTheAdapterOnlyInAccessPointModeAndStartsTheStoredAccessPoint) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  {
    PageOnAdapter<TFrameAPInfo> station(kModeStation);
    EXPECT_EQ(station.page->Adapter(), nullptr);
    EXPECT_FALSE(station.page->BtnRefresh->Enabled());
  }
  PageOnAdapter<TFrameAPInfo> p(kModeAP);
  EXPECT_EQ(p.page->Adapter(), &p.adapter);
  EXPECT_TRUE(p.page->BtnRefresh->Enabled());
  g_GlobalVar.APProfile = p.adapter.DefAPProf;
  p.page->ConnectLast();
  EXPECT_TRUE(env.Logged("Connect last => Default_SoftAP"));
}

}  // namespace
