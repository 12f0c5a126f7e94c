// The program's windows as a screen reader reads them, in English and in
// German: the main window's tabs, buttons and pages, the link page's lamps,
// the chart, the about box and the message box.
#include <string>

#include "common/AccessTest.h"
#include "pages/station/Uformchart.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframeprofile.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformabout.h"
#include "shell/Uformmsgbox.h"
#include "tformmain_support.h"

using namespace mainwin;

namespace {

// The texts a screen reader reads, per language.
struct Words {
  std::string settings, linkInfo, siteSurvey, profile, help, about, press, switchTab, signal0,
      signal7, quality0, chart, close, transmit0, transmit, receive0, receive, question, no;
};

const Words kEnglish{"",
                     "Link Info",
                     "Site Survey",
                     "Profile",
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
                     "Receive: 0 Kbps",
                     "Receive",
                     "Question",
                     "No"};
const Words kGerman{"StringFile=Z:" WU_SOURCE_DIR "\\data\\WirelessUtility.de.ini\r\n",
                    "Verbindung",
                    "Netzwerke",
                    "Profile",
                    "Hilfe",
                    "Info",
                    "Dr\xC3\xBC"
                    "cken",
                    "Wechseln",
                    "Signal: 0 von 10",
                    "Signal: 7 von 10",
                    "Verbindungsqualit\xC3\xA4t: 0 von 10",
                    "Durchsatzdiagramm",
                    "Schlie\xC3\x9F"
                    "en",
                    "Senden: 0 Kbps",
                    "Senden",
                    "Empfangen: 0 Kbps",
                    "Empfangen",
                    "Frage",
                    "Nein"};

class ScreenReader : public ::testing::TestWithParam<const Words*> {
 protected:
  void TearDown() override { delete form; }
  const Words& W() const { return *GetParam(); }
  static AccNode Node(IAccessible* root, const std::string& name, long role) {
    AccNode n;
    EXPECT_TRUE(FindNode(root, name, role, &n)) << "no \"" << name << "\" of role " << role;
    return n;
  }
  static void Usable(IAccessible* root, int atLeast, const std::string& where) {
    int checked = 0;
    EXPECT_EQ(Unusable(root, &checked), "") << where;
    EXPECT_GE(checked, atLeast) << where;
  }

  MainWindowEnv env{GetParam()->settings};
  TFormMain* form = nullptr;
};

TEST_P(ScreenReader, TheMainWindowsTabsSwitchPagesAndEveryPageCanBeUsed) {
  form = new TFormMain(nullptr);
  form->Show();
  AccPtr root = ClientObject(form->Handle());
  ASSERT_TRUE(root);
  AccNode link = Node(root.get(), W().linkInfo, ROLE_SYSTEM_PAGETAB);
  EXPECT_TRUE(link.state & STATE_SYSTEM_SELECTED);
  EXPECT_EQ(link.action, W().switchTab);
  Node(root.get(), W().linkInfo, ROLE_SYSTEM_PROPERTYPAGE);  // the page, named by its tab
  for (const std::string& name : {W().help, W().about})
    EXPECT_EQ(Node(root.get(), name, ROLE_SYSTEM_PUSHBUTTON).action, W().press) << name;

  WinEventLog log;
  AccNode survey = Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PAGETAB);
  ASSERT_EQ(survey.DoDefault(), S_OK);
  ASSERT_TRUE(WaitUntil([&] { return form->CurrentPage() == form->FrameSurvey1; }, kGenerous));
  EXPECT_TRUE(Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PAGETAB).state & STATE_SYSTEM_SELECTED);
  EXPECT_FALSE(Node(root.get(), W().linkInfo, ROLE_SYSTEM_PAGETAB).state & STATE_SYSTEM_SELECTED);
  Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PROPERTYPAGE);
  Pump();
  EXPECT_EQ(log.Count(EVENT_OBJECT_SELECTION, form->Handle(), survey.id), 1);

  // Chosen as a click chooses it, the tab holds the focus of the strip: the
  // focused object is the tab, and it said so.
  auto focusedChild = [&root] {
    VARIANT v;
    VariantInit(&v);
    const HRESULT hr = root->get_accFocus(&v);
    const long id = hr == S_OK && v.vt == VT_I4 ? v.lVal : -1;
    VariantClear(&v);
    return id;
  };
  const long focusedTab = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;
  EXPECT_EQ(GetFocus(), form->Handle());
  EXPECT_EQ(Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PAGETAB).state & focusedTab, focusedTab);
  EXPECT_EQ(Node(root.get(), W().linkInfo, ROLE_SYSTEM_PAGETAB).state & focusedTab,
            STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(focusedChild(), survey.id);
  EXPECT_GE(log.Count(EVENT_OBJECT_FOCUS, form->Handle(), survey.id), 1);
  // The arrow key moves the focus and the choice to the next tab, which
  // says so; Tab leaves the strip for the page.
  AccNode profile = Node(root.get(), W().profile, ROLE_SYSTEM_PAGETAB);
  MSG right{form->Handle(), WM_KEYDOWN, VK_RIGHT, 1, 0, {0, 0}};
  ASSERT_TRUE(TForm::DialogMessage(form->Handle(), right));
  EXPECT_EQ(form->CurrentPage(), form->FrameProfile1);
  Pump();
  EXPECT_EQ(Node(root.get(), W().profile, ROLE_SYSTEM_PAGETAB).state & focusedTab, focusedTab);
  EXPECT_FALSE(Node(root.get(), W().siteSurvey, ROLE_SYSTEM_PAGETAB).state & STATE_SYSTEM_FOCUSED);
  EXPECT_EQ(focusedChild(), profile.id);
  EXPECT_GE(log.Count(EVENT_OBJECT_FOCUS, form->Handle(), profile.id), 1);
  MSG tab{form->Handle(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
  ASSERT_TRUE(TForm::DialogMessage(form->Handle(), tab));
  EXPECT_TRUE(IsChild(form->FrameProfile1->Handle(), GetFocus()));
  EXPECT_FALSE(Node(root.get(), W().profile, ROLE_SYSTEM_PAGETAB).state & STATE_SYSTEM_FOCUSED);
  EXPECT_NE(focusedChild(), profile.id);

  // Four tabs, two footer buttons and the page's own controls.
  for (TTabLabel* tab : {form->LbLinkInfo, form->LbSiteSurvey, form->LbProfile, form->LbAdapter}) {
    form->SwitchPage(tab, 0);
    Usable(root.get(), 7, tab->Caption());
  }
}

TEST_P(ScreenReader, EachRowOfLampsIsOneIndicatorReadAsACount) {
  form = new TFormMain(nullptr);
  form->Show();
  TFrameLinkInfo* link = form->FrameLinkInfo1;
  AccPtr root = ClientObject(link->Handle());
  ASSERT_TRUE(root);
  // No link: both rows are there, none lit, each over its ten lamps.
  AccNode signal = Node(root.get(), W().signal0, ROLE_SYSTEM_INDICATOR);
  AccNode quality = Node(root.get(), W().quality0, ROLE_SYSTEM_INDICATOR);
  RECT row{link->SignalLamps[0]->Left(), link->SignalLamps[0]->Top(),
           link->SignalLamps[9]->BoundsRect().right, link->SignalLamps[0]->BoundsRect().bottom};
  MapWindowPoints(link->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&row), 2);
  EXPECT_EQ(signal.location, row);

  WinEventLog log;
  for (int i = 0; i < 7; ++i) link->SignalLamps[i]->Show();  // as -61 dBm lights them
  Pump();
  EXPECT_EQ(Node(root.get(), W().signal7, ROLE_SYSTEM_INDICATOR).id, signal.id);
  EXPECT_GE(log.Count(EVENT_OBJECT_NAMECHANGE, link->Handle(), signal.id), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, link->Handle(), quality.id), 0);
  AccNode chart = Node(root.get(), W().chart, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_TRUE(chart.state & STATE_SYSTEM_UNAVAILABLE) << "no adapter";
  EXPECT_NE(chart.DoDefault(), S_OK);
}

TEST_P(ScreenReader, TheChartIsReadAsItsTwoRates) {
  TFormChart chart;
  chart.Show();
  AccPtr root = ClientObject(chart.Handle());
  ASSERT_TRUE(root);
  AccNode tx = Node(root.get(), W().transmit0, ROLE_SYSTEM_CHART);
  AccNode rx = Node(root.get(), W().receive0, ROLE_SYSTEM_CHART);
  EXPECT_NE(rx.id, tx.id);
  EXPECT_EQ(Node(root.get(), W().transmit, ROLE_SYSTEM_TEXT).value, "0");
  EXPECT_EQ(Node(root.get(), W().receive, ROLE_SYSTEM_TEXT).value, "0");
  EXPECT_EQ(Node(root.get(), W().close, ROLE_SYSTEM_PUSHBUTTON).action, W().press);
  Usable(root.get(), 3, "chart");

  WinEventLog log;
  chart.EdtTx->SetText("512");
  chart.ResetChart();
  chart.ResetChart();  // unchanged numbers: not announced again
  Pump();
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, chart.Handle(), tx.id), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, chart.Handle(), rx.id), 0);
  // The receive rate is read from its own field, and announced on its own.
  chart.EdtRx->SetText("48");
  EXPECT_EQ(Node(root.get(), W().receive + ": 48 Kbps", ROLE_SYSTEM_CHART).id, rx.id);
  EXPECT_EQ(Node(root.get(), W().transmit0, ROLE_SYSTEM_CHART).id, tx.id);
  chart.ResetChart();
  Pump();
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, chart.Handle(), rx.id), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, chart.Handle(), tx.id), 1);
  chart.Hide();
}

TEST_P(ScreenReader, TheAboutBoxAndTheMessageBoxCanBeAnswered) {
  {
    TFormAbout about;
    about.Show();
    AccPtr root = ClientObject(about.Handle());
    ASSERT_TRUE(root);
    EXPECT_EQ(Node(root.get(), W().close, ROLE_SYSTEM_PUSHBUTTON).action, W().press);
    Usable(root.get(), 1, "about");
    about.Hide();
  }
  // A question answered "No" through its button's default action.
  const std::string text = "Really remove 'Home'?";
  HRESULT pressed = E_FAIL;
  Every(20, [&] {
    auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
    if (!box || !IsWindowVisible(box->Handle())) return false;
    AccPtr root = ClientObject(box->Handle());
    const AccNode self = Read(root.get(), CHILDID_SELF);
    EXPECT_EQ(self.role, ROLE_SYSTEM_DIALOG);
    EXPECT_EQ(self.name, g_GlobalVar.MsgTitle);
    Node(root.get(), W().question, ROLE_SYSTEM_GRAPHIC);
    Node(root.get(), text, ROLE_SYSTEM_STATICTEXT);
    Usable(root.get(), 2, "message box");
    pressed = Node(root.get(), W().no, ROLE_SYSTEM_PUSHBUTTON).DoDefault();
    if (FAILED(pressed)) box->Close();
    return true;
  });
  EXPECT_EQ(ShowMsgBox(nullptr, text, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(pressed, S_OK);
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenReader, ::testing::Values(&kEnglish, &kGerman),
                         [](const ::testing::TestParamInfo<const Words*>& info) {
                           return std::string(info.param == &kEnglish ? "English" : "German");
                         });

TEST(AccessibleTexts, ATranslatedCountCannotReadWhatIsNotThere) {
  using accessnames::FillIn;
  EXPECT_EQ(FillIn("Signal: %d of %d", "4", "10"), "Signal: 4 of 10");
  EXPECT_EQ(FillIn("%n%x %d %d %d%", "1", "2"), "%n%x 1 2 %");
}

}  // namespace
