// The program's windows as a screen reader reads them, in English and in
// German: the main window's tabs, buttons and pages, the link page's lamps,
// the chart, the about box and the message box. A tab's default action
// switches the page; every control a person can click has a name, a role
// and a default action.
#include <string>

#include "common/AccessTest.h"
#include "pages/station/Uformchart.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformabout.h"
#include "shell/Uformmsgbox.h"
#include "tformmain_support.h"
#include "ui/Uaccessible.h"
#include "ui/Upicbutton.h"

using namespace mainwin;

namespace {

const std::string kDataDir = std::string("Z:") + WU_SOURCE_DIR + "\\data\\";

// The texts a screen reader reads, per language.
struct Words {
  std::string settings;
  std::string linkInfo, siteSurvey, adapter, help, about, press, switchTab, signal0, signal7;
  std::string quality0;
  std::string chart, close, transmit0, transmitName, question, yes, no;
};

const Words kEnglish{"",
                     "Link Info",
                     "Site Survey",
                     "Adapter",
                     "Help",
                     "About",
                     "Press",
                     "Switch",
                     "Signal: 0 of 10",
                     "Signal: 7 of 10",
                     "Link quality: 0 of 10",
                     "Throughput Chart",
                     "Close",
                     "Transmit: 0 Kbps",
                     "Transmit",
                     "Question",
                     "Yes",
                     "No"};
const Words kGerman{"StringFile=" + kDataDir + "WirelessUtility.de.ini\r\n",
                    "Verbindung",
                    "Netzwerke",
                    "Adapter",
                    "Hilfe",
                    "Info",
                    "Dr\xFC"
                    "cken",
                    "Wechseln",
                    "Signal: 0 von 10",
                    "Signal: 7 von 10",
                    "Verbindungsqualit\xE4t: 0 von 10",
                    "Durchsatzdiagramm",
                    "Schlie\xDF"
                    "en",
                    "Senden: 0 Kbps",
                    "Senden",
                    "Frage",
                    "Ja",
                    "Nein"};

std::string Lines(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) out += "\n  " + s;
  return out;
}

class ScreenReader : public ::testing::TestWithParam<const Words*> {
 protected:
  void TearDown() override { delete form; }
  const Words& W() const { return *GetParam(); }
  AccNode Node(IAccessible* root, const std::string& name, long role) {
    AccNode n;
    EXPECT_TRUE(FindNode(root, name, role, &n)) << "no \"" << name << "\" of role " << role;
    return n;
  }

  MainWindowEnv env{GetParam()->settings};
  TFormMain* form = nullptr;
};

TEST_P(ScreenReader, TheMainWindowsTabsSwitchPagesAndEveryPageCanBeUsed) {
  form = new TFormMain(nullptr);
  form->Show();
  Pump(20);
  AccPtr root = ClientObject(form->Handle());
  ASSERT_TRUE(root);

  AccNode link = Node(root.get(), W().linkInfo, ROLE_SYSTEM_PAGETAB);
  EXPECT_TRUE(link.state & STATE_SYSTEM_SELECTED);
  EXPECT_FALSE(link.state & STATE_SYSTEM_INVISIBLE);
  EXPECT_EQ(link.action, W().switchTab);
  AccNode survey = Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PAGETAB);
  EXPECT_FALSE(survey.state & STATE_SYSTEM_SELECTED);
  // The page shown is named after its tab.
  AccNode page = Node(root.get(), W().linkInfo, ROLE_SYSTEM_PROPERTYPAGE);
  EXPECT_FALSE(page.state & STATE_SYSTEM_INVISIBLE);
  // The footer's picture buttons.
  for (const std::string& name : {W().help, W().about}) {
    AccNode b = Node(root.get(), name, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(b.action, W().press) << name;
  }

  // The tab's default action switches the page, as its click does.
  WinEventLog log;
  ASSERT_EQ(survey.DoDefault(), S_OK);
  ASSERT_TRUE(WaitUntil([&] { return form->CurrentPage() == form->FrameSurvey1; }, kGenerous));
  EXPECT_EQ(form->CurrentTab(), form->LbSiteSurvey);
  survey = Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PAGETAB);
  EXPECT_TRUE(survey.state & STATE_SYSTEM_SELECTED);
  EXPECT_FALSE(Node(root.get(), W().linkInfo, ROLE_SYSTEM_PAGETAB).state & STATE_SYSTEM_SELECTED);
  EXPECT_FALSE(Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PROPERTYPAGE).state &
               STATE_SYSTEM_INVISIBLE);
  Pump(50);
  if (log.Hooked()) {
    EXPECT_EQ(log.Count(EVENT_OBJECT_SELECTION, form->Handle(), survey.id), 1);
  }

  // Every page a tab shows can be used without seeing it.
  for (TTabLabel* tab : {form->LbLinkInfo, form->LbSiteSurvey, form->LbProfile, form->LbAdapter}) {
    form->SwitchPage(tab, 0);
    Pump(20);
    int checked = 0;
    EXPECT_TRUE(Unusable(root.get(), &checked).empty())
        << tab->Caption() << ":" << Lines(Unusable(root.get()));
    // The four tabs, the footer's two buttons and the page's own controls.
    EXPECT_GE(checked, 7) << tab->Caption();
  }
}

TEST_P(ScreenReader, TheLampsAreReadAsCountsAndTheirChangesAnnounced) {
  form = new TFormMain(nullptr);
  form->Show();
  TFrameLinkInfo* link = form->FrameLinkInfo1;
  AccPtr root = ClientObject(link->Handle());
  ASSERT_TRUE(root);
  // No link: both rows are there, none lit.
  AccNode signal = Node(root.get(), W().signal0, ROLE_SYSTEM_INDICATOR);
  EXPECT_FALSE(signal.state & STATE_SYSTEM_INVISIBLE);
  AccNode quality = Node(root.get(), W().quality0, ROLE_SYSTEM_INDICATOR);
  // The row covers its ten lamps.
  RECT first = link->SignalLamps[0]->BoundsRect(), last = link->SignalLamps[9]->BoundsRect();
  MapWindowPoints(link->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&first), 2);
  MapWindowPoints(link->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&last), 2);
  EXPECT_EQ(signal.location.left, first.left);
  EXPECT_EQ(signal.location.right, last.right);

  // Seven lamps lit, as a sample of -61 dBm shows them.
  WinEventLog log;
  for (int i = 0; i < 7; ++i) link->SignalLamps[i]->Show();
  Pump(50);
  AccNode lit = Node(root.get(), W().signal7, ROLE_SYSTEM_INDICATOR);
  EXPECT_EQ(lit.id, signal.id);
  if (log.Hooked()) {
    EXPECT_GE(log.Count(EVENT_OBJECT_NAMECHANGE, link->Handle(), signal.id), 1);
    EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, link->Handle(), quality.id), 0);
  }
  // The chart button is there, unavailable without an adapter.
  AccNode chart = Node(root.get(), W().chart, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_TRUE(chart.state & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_NE(chart.DoDefault(), S_OK);
}

TEST_P(ScreenReader, TheChartIsReadAsItsTwoRates) {
  TFormChart chart;
  chart.Show();
  AccPtr root = ClientObject(chart.Handle());
  ASSERT_TRUE(root);
  AccNode tx = Node(root.get(), W().transmit0, ROLE_SYSTEM_CHART);
  EXPECT_TRUE(tx.state & STATE_SYSTEM_READONLY);
  // The number beside it is an edit named by its caption.
  AccNode edit = Node(root.get(), W().transmitName, ROLE_SYSTEM_TEXT);
  EXPECT_EQ(edit.value, "0");
  AccNode close = Node(root.get(), W().close, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(close.action, W().press);
  EXPECT_TRUE(Unusable(root.get()).empty()) << Lines(Unusable(root.get()));

  WinEventLog log;
  chart.EdtTx->SetText("512");
  chart.ResetChart();
  Pump(50);
  if (log.Hooked()) {
    EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, chart.Handle(), tx.id), 1);
  }
  // Unchanged numbers are not announced again.
  log.Clear();
  chart.ResetChart();
  Pump(50);
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, chart.Handle(), tx.id), 0);
  chart.Hide();
}

TEST_P(ScreenReader, TheAboutBoxAndTheMessageBoxCanBeAnswered) {
  {
    TFormAbout about;
    about.Show();
    AccPtr root = ClientObject(about.Handle());
    ASSERT_TRUE(root);
    EXPECT_EQ(Node(root.get(), W().close, ROLE_SYSTEM_PUSHBUTTON).action, W().press);
    EXPECT_TRUE(Unusable(root.get()).empty()) << Lines(Unusable(root.get()));
    about.Hide();
  }
  // A question answered "No" through its button's default action.
  const std::string text = "Really remove 'Home'?";
  std::string icon, message;
  HRESULT pressed = E_FAIL;
  Every(20, [&] {
    auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
    if (!box || !IsWindowVisible(box->Handle())) return false;
    AccPtr root = ClientObject(box->Handle());
    AccNode n;
    if (root && FindNode(root.get(), W().question, ROLE_SYSTEM_GRAPHIC, &n)) icon = n.name;
    if (root && FindNode(root.get(), text, ROLE_SYSTEM_STATICTEXT, &n)) message = n.name;
    EXPECT_EQ(Unusable(root.get()), std::vector<std::string>());
    if (root && FindNode(root.get(), W().no, ROLE_SYSTEM_PUSHBUTTON, &n)) pressed = n.DoDefault();
    if (FAILED(pressed)) box->Close();
    return true;
  });
  EXPECT_EQ(ShowMsgBox(nullptr, text, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(pressed, S_OK);
  EXPECT_EQ(icon, W().question);
  EXPECT_EQ(message, text);
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenReader, ::testing::Values(&kEnglish, &kGerman),
                         [](const ::testing::TestParamInfo<const Words*>& info) {
                           return std::string(info.param == &kEnglish ? "English" : "German");
                         });

TEST(AccessibleTexts, TranslatedCountsCannotReadWhatIsNotThere) {
  using accessnames::FillIn;
  EXPECT_EQ(FillIn("Signal: %d of %d", "4", "10"), "Signal: 4 of 10");
  EXPECT_EQ(FillIn("%s: %d", "a", "b"), "a: b");
  // Marks a translator got wrong: nothing is read from nowhere.
  EXPECT_EQ(FillIn("%n%x %d %d %d%", "1", "2"), "%n%x 1 2 %");
  EXPECT_EQ(FillIn("100%", "1"), "100%");
}

}  // namespace
