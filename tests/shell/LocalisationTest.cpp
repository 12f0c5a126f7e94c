// Every translated string file in the real windows: every caption of the
// main window, its pages, the wizard's pages, the chart, the about box and
// the message box fits its control at the shipped layout (in pixels, with
// the control's own font), and none is left in English. The help button
// opens the help viewer, or says why it cannot.
#include <optional>
#include <set>

#include "common/PixelFit.h"
#include "config/Uunicode.h"
#include "pages/station/Uformchart.h"
#include "pages/station/Uframeprofile.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframenettype.h"
#include "pages/wizard/Uframeprofset.h"
#include "shell/Uformabout.h"
#include "shell/Uformmsgbox.h"
#include "tformmain_support.h"
#include "ui/Umenu.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"

using namespace mainwin;

namespace {

const std::string kDataDir = std::string("Z:") + WU_SOURCE_DIR + "\\data\\";

// Every value of a string file as UTF-8: a caption that is none of them was
// not translated. A file without the UTF-8 mark is in code page 1252.
std::set<std::string> Values(const std::string& path) {
  std::set<std::string> out;
  std::string text = ReadText(path);
  const bool utf8 = text.rfind("\xEF\xBB\xBF", 0) == 0;
  if (utf8) text.erase(0, 3);
  for (const std::string& line : SplitLines(text)) {
    const size_t eq = line.find('=');
    if (line.empty() || line[0] == ';' || line[0] == '[' || eq == std::string::npos) continue;
    out.insert(utf8 ? line.substr(eq + 1) : FromCodePage(line.substr(eq + 1), 1252));
  }
  return out;
}

// Checks the captions of every component owned, at any depth, by root.
class CaptionCheck {
 public:
  explicit CaptionCheck(const std::set<std::string>& translated) : translated_(translated) {}

  void Walk(const TComponent* root) {
    for (const TComponent* c : root->Components()) {
      Check(c);
      Walk(c);
    }
  }

  // A caption the control shows at some other time (a heading per mode).
  void Fits(TControl* control, const std::string& caption) {
    const std::string saved = control->Caption();
    control->SetCaption(caption);
    Check(control);
    control->SetCaption(saved);
  }

  std::vector<std::string> CutOff, English, Outside;
  int Checked = 0;

 private:
  void Check(const TComponent* c) {
    if (c->Kind() == TKind::MenuItem) {
      // Menus size themselves; their captions are still texts to translate.
      const std::string& caption = static_cast<const TMenuItem*>(c)->Caption();
      if (HasLetters(caption) && !translated_.count(caption))
        English.push_back(PathOf(c) + " \"" + caption + "\"");
      return;
    }
    auto* control = const_cast<TComponent*>(c)->AsControl();
    if (control) CheckPlace(control);
    if (!control || control->Caption().empty()) {
      if (c->Kind() == TKind::ListView) CheckColumns(static_cast<const TSortLv*>(c));
      return;
    }
    const std::string caption = control->Caption();
    // In pixels, with the font the control draws with, at its DPI.
    const TFit fit = CaptionFit(control);
    if (!fit.Checked) return;
    ++Checked;
    if (!fit.Fits())
      CutOff.push_back(PathOf(c) + " \"" + caption + "\" needs " + std::to_string(fit.Need) +
                       " px, has " + std::to_string(fit.Room));
    if (control->Visible() && HasLetters(caption) && !translated_.count(caption) &&
        !SetOnEntry(c->Name()))
      English.push_back(PathOf(c) + " \"" + caption + "\"");
  }

  // A longer caption pushes the value beside it to the right: it must stay
  // inside its page, with room for a value.
  void CheckPlace(const TControl* control) {
    const TControl* parent = control->Parent();
    if (!parent || control->Kind() == TKind::Form) return;
    if (control->Left() < 0 || control->Left() + control->Width() > parent->Width())
      Outside.push_back(PathOf(control) + " at " + std::to_string(control->Left()) + "+" +
                        std::to_string(control->Width()) + " in " +
                        std::to_string(parent->Width()));
    switch (control->Kind()) {
      case TKind::ValueLabel:
      case TKind::Edit:
      case TKind::ComboBox:
        if (control->Width() < 40)
          Outside.push_back(PathOf(control) + " is " + std::to_string(control->Width()) + " wide");
        break;
      default:
        break;
    }
  }

  static bool HasLetters(const std::string& text) {
    for (wchar_t ch : Wide(text))
      if (IsCharAlphaW(ch)) return true;
    return false;
  }
  // Placeholders that the page replaces whenever it is entered: the
  // wizard's heading per mode, the band names from the shared words.
  static bool SetOnEntry(const std::string& name) {
    return name == "LbEdtMode" || name.rfind("LbBand", 0) == 0;
  }

  void CheckColumns(const TSortLv* list) {
    for (int i = 0; i < list->ColumnCount(); ++i) {
      const std::string caption = list->ColumnCaption(i);
      if (caption.empty()) continue;
      ++Checked;
      if (!ColumnFit(list, i).Fits())
        CutOff.push_back(PathOf(list) + " column " + std::to_string(i) + " \"" + caption + "\"");
      if (HasLetters(caption) && !translated_.count(caption))
        English.push_back(PathOf(list) + " \"" + caption + "\"");
    }
  }

  const std::set<std::string>& translated_;
};

std::string Lines(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) out += "\n  " + s;
  return out;
}

// A string file and one of its texts, which proves the file was read.
struct Language {
  const char* Name;
  const char* File;
  const char* SiteInfo;
};

class TranslatedWindows : public ::testing::TestWithParam<Language> {
 protected:
  TranslatedWindows() : check(translated) {}
  void TearDown() override { delete form; }

  std::set<std::string> translated = Values(kDataDir + GetParam().File);
  MainWindowEnv env{"StringFile=" + kDataDir + GetParam().File + "\r\n", 7};
  TFormMain* form = nullptr;
  CaptionCheck check;
};

INSTANTIATE_TEST_SUITE_P(
    Languages, TranslatedWindows,
    ::testing::Values(
        Language{"German", "WirelessUtility.de.ini", "Netzwerkdetails"},
        Language{"French", "WirelessUtility.fr.ini", "Informations sur le r\xC3\xA9seau"},
        Language{"Russian", "WirelessUtility.ru.ini",
                 "\xD0\xA1\xD0\xB2\xD0\xB5\xD0\xB4\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x8F \xD0\xBE "
                 "\xD1\x81\xD0\xB5\xD1\x82\xD0\xB8"}),
    [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.Name); });

TEST_P(TranslatedWindows, EveryCaptionIsTranslatedAndFitsItsControl) {
  ASSERT_EQ(g_GlobalVar.StrFileRead("FrameSurvey", "LbSiteInfo", ""), GetParam().SiteInfo);
  form = new TFormMain(nullptr);
  form->PrepareTrayMenu();  // the tray menu takes its texts when it pops up
  // The parts built when first used are built now, so that the walk meets them.
  TFrameProfSet* wizard = form->FrameProfile1->EnsureWizard();
  form->EnsureAPPages();
  check.Walk(form);

  // Headings that change with the mode the page is in.
  check.Fits(wizard->FrameNetType1->LbEdtMode,
             g_GlobalVar.StrFileRead("FrameNetType", "LbAdd", ""));
  check.Fits(wizard->FrameNetType1->LbEdtMode,
             g_GlobalVar.StrFileRead("FrameNetType", "LbEdt", ""));
  check.Fits(wizard->Frame8021X1->LbInner,
             g_GlobalVar.StrFileRead("FrameDot11", "LbInnerPEAP", ""));
  check.Fits(wizard->Frame8021X1->LbInner, g_GlobalVar.StrFileRead("FrameDot11", "LbInner", ""));

  TFormChart chart;
  check.Walk(&chart);
  TFormAbout about;
  check.Walk(&about);
  TFormMsgBox box;
  for (int buttons : {MB_OK, MB_OKCANCEL, MB_YESNO}) {
    box.Prepare(nullptr, g_GlobalVar.StrFileRead("Message", "ErEmySSID", ""), buttons);
    check.Walk(&box);
  }

  // Only a walk that reached the pages proves anything.
  EXPECT_GT(check.Checked, 150);
  EXPECT_TRUE(check.CutOff.empty()) << "cut off:" << Lines(check.CutOff);
  EXPECT_TRUE(check.English.empty()) << "not translated:" << Lines(check.English);
  EXPECT_TRUE(check.Outside.empty()) << "out of place:" << Lines(check.Outside);
}

class HelpButton : public ::testing::Test {
 protected:
  static HWND Viewer() {
    for (HWND w : WindowsOf(GetCurrentProcessId(), "HH Parent"))
      if (IsWindowVisible(w)) return w;
    return nullptr;
  }
  void TearDown() override {
    if (HWND w = Viewer()) DestroyWindow(w);
    delete form;
    env.reset();
  }
  std::optional<MainWindowEnv> env;
  TFormMain* form = nullptr;
};

TEST_F(HelpButton, OpensTheShippedHelpFileInTheViewer) {
  // The settings file as shipped, beside a copy of the built help file.
  EXPECT_NE(ReadText(kDataDir + "WirelessUtility.bin").find("\nHelpFile=WirelessUtility.chm"),
            std::string::npos);
  env.emplace("HelpFile=WirelessUtility.chm\r\n");
  ASSERT_TRUE(CopyFileA((ModuleDir() + "WirelessUtility.chm").c_str(),
                        (g_GlobalVar.ExeDir + "WirelessUtility.chm").c_str(), FALSE));
  form = new TFormMain(nullptr);
  form->Show();
  form->BtnHelp->Click();
  HWND viewer = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (viewer = Viewer()) != nullptr; }, kGenerous));
  char title[128] = {};
  GetWindowTextA(viewer, title, sizeof title);
  EXPECT_STREQ(title, "Ombrix Wireless Utility Help");
  EXPECT_EQ(TFormBase::TopModalForm(), nullptr);
  DestroyWindow(viewer);
}

TEST_F(HelpButton, AMissingHelpFileIsReportedNotIgnored) {
  env.emplace("HelpFile=NoSuchHelp.chm\r\n");
  form = new TFormMain(nullptr);
  form->Show();
  std::string text;
  Every(20, [&] {
    auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
    if (!box) return false;
    text = box->LbMsg->Caption();
    box->BtnOk->Click();
    return true;
  });
  form->BtnHelp->Click();
  EXPECT_EQ(text, "The help file " + g_GlobalVar.ExeDir + "NoSuchHelp.chm could not be opened.");
  EXPECT_EQ(Viewer(), nullptr);
}

}  // namespace
