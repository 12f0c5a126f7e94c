// Every window of the program at 96, 120, 144 and 192 DPI in English,
// German, French and Russian, in one process (the DPI override), measured in pixels as the
// screen shows it. Then a window moved to another scale keeps its state.
#include <cstdlib>
#include <string>
#include <vector>

#include "common/AccessTest.h"
#include "common/PixelFit.h"
#include "pages/station/Uformchart.h"
#include "pages/station/Uframeprofile.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframenettype.h"
#include "pages/wizard/Uframeprofset.h"
#include "shell/Uformabout.h"
#include "shell/Uformmsgbox.h"
#include "tformmain_support.h"
#include "ui/Uaccessible.h"
#include "ui/Usortlv.h"

using namespace mainwin;

namespace {

const std::string kDataDir = std::string("Z:") + WU_SOURCE_DIR + "\\data\\";

std::string Str(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

RECT ClientOf(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// One window at one scale and language; each fault names the window, the
// control, the scale and the language.
class ScaleWalk {
 public:
  ScaleWalk(std::vector<std::string>& faults, std::string where, UINT dpi)
      : faults_(faults), where_(std::move(where)), dpi_(dpi) {}

  void Fault(const std::string& what) { faults_.push_back(where_ + ": " + what); }

  // Every control owned, at any depth, by root: captions and list columns
  // fit, fonts grow with the scale, windowed children lie inside their
  // parent and apart from each other.
  void Walk(const TComponent* root) {
    for (const TComponent* c : root->Components()) {
      if (auto* control = const_cast<TComponent*>(c)->AsControl()) Check(control);
      Walk(c);
    }
  }

  // A caption the control shows at another time (a heading per mode).
  void Fits(TControl* control, const std::string& caption) {
    const std::string saved = control->Caption();
    control->SetCaption(caption);
    Fit(PathOf(control) + " \"" + caption + "\"", CaptionFit(control));
    control->SetCaption(saved);
  }

  void ClientIs(const TForm* form, int width, int height) {
    const RECT r = ClientOf(form->Handle()), want{0, 0, Scale(width), Scale(height)};
    if (!(r == want)) Fault(form->Name() + " client " + Str(r) + ", not " + Str(want));
  }

  // A screen reader finds every exposed child of every shown container
  // where it is drawn on the screen.
  void Locations(const TContainer* container) {
    if (!container->Handle() || !IsWindowVisible(container->Handle())) return;
    std::vector<TControl*> exposed;
    for (TControl* c : container->Controls())
      if (ui::access::Exposed(c)) exposed.push_back(c);
    AccPtr acc = ClientObject(container->Handle());
    if (!acc) return Fault(PathOf(container) + " has no object for a screen reader");
    const std::vector<AccNode> nodes = Children(acc.get());
    if (nodes.size() != exposed.size())
      Fault(PathOf(container) + " shows a screen reader " + std::to_string(nodes.size()) +
            " children of " + std::to_string(exposed.size()));
    for (size_t i = 0; i < nodes.size() && i < exposed.size(); ++i, ++Located) {
      RECT drawn = PixelRectOf(exposed[i]);
      MapWindowPoints(container->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&drawn), 2);
      const RECT told = nodes[i].location;
      // A row of lamps is read as one element over the whole row.
      if (nodes[i].role == ROLE_SYSTEM_INDICATOR ? !Inside(drawn, told) : !(told == drawn))
        Fault(PathOf(exposed[i]) + " read at " + Str(told) + ", drawn at " + Str(drawn));
    }
    for (const TControl* c : container->Controls())
      if (auto* inner = dynamic_cast<const TContainer*>(c)) Locations(inner);
  }

  int Checked = 0;
  int Located = 0;

 private:
  int Scale(int v) const { return ui::dpi::Scale(v, dpi_); }

  void Fit(const std::string& what, const TFit& fit) {
    if (!fit.Checked) return;
    ++Checked;
    if (!fit.Fits())
      Fault(what + " needs " + std::to_string(fit.Need) + " px, has " + std::to_string(fit.Room));
  }

  void Check(TControl* c) {
    Fit(PathOf(c) + " \"" + c->Caption() + "\"", CaptionFit(c));
    if (auto* list = dynamic_cast<const TSortLv*>(c))
      for (int i = 0; i < list->ColumnCount(); ++i)
        Fit(PathOf(c) + " column \"" + list->ColumnCaption(i) + "\"", ColumnFit(list, i));
    // A control drawing text with the font of 96 DPI at 192 shows it at half size.
    const TKind kind = c->Kind();
    if (!c->Caption().empty() || kind == TKind::Edit || kind == TKind::ComboBox ||
        kind == TKind::ListView) {
      const int want = std::abs(Scale(c->Font().Height)), got = FontPixelHeight(DrawnFont(c));
      if (std::abs(got - want) > 1)
        Fault(PathOf(c) + " font " + std::to_string(got) + " px, not " + std::to_string(want));
    }
    auto* container = dynamic_cast<const TContainer*>(c);
    if (!container || !container->Handle()) return;
    const RECT client = ClientOf(container->Handle());
    std::vector<std::pair<const TControl*, RECT>> windows;
    for (const TControl* child : container->Controls()) {
      const RECT r = PixelRectOf(child);
      if (!child->Visible() || r.right <= r.left || r.bottom <= r.top) continue;
      if (!Inside(r, client)) Fault(PathOf(child) + " at " + Str(r) + " leaves " + Str(client));
      if (!child->Handle()) continue;
      RECT both;
      for (const auto& [other, o] : windows)
        if (IntersectRect(&both, &r, &o))
          Fault(PathOf(child) + " at " + Str(r) + " overlaps " + other->Name() + " " + Str(o));
      windows.emplace_back(child, r);
    }
  }

  std::vector<std::string>& faults_;
  std::string where_;
  UINT dpi_;
};

// The background (its logo and word mark) is the picture drawn for the
// scale, pixel for pixel, not the 1x one enlarged. (Which set a scale
// without one of its own takes is the picture's matter.)
void CheckBackground(ScaleWalk& walk, HWND window, UINT dpi) {
  if (dpi != 96 && dpi != 144 && dpi != 192) return;
  const char* name = dpi == 96 ? "ImgMainInfo" : dpi == 144 ? "ImgMainInfo_150" : "ImgMainInfo_200";
  TPicture set;
  if (!set.LoadFromResource(name)) return walk.Fault(std::string("no picture ") + name);
  const Snapshot shot(window);
  const RECT block = ui::dpi::ScaleRect(RECT{16, 8, 200, 66}, dpi);
  double sum = 0;
  for (int y = block.top; y < block.bottom; ++y)
    for (int x = block.left; x < block.right; ++x)
      for (int s = 0; s < 24; s += 8)
        sum += std::abs(static_cast<int>((shot.At(x, y) >> s) & 0xFF) -
                        static_cast<int>((set.Pixel(x, y) >> s) & 0xFF));
  const double mean = sum / (3.0 * (block.right - block.left) * (block.bottom - block.top));
  if (mean > 1)
    walk.Fault("background " + Str(block) + " differs from " + name + " by " +
               std::to_string(mean));
}

void Pump() {
  MSG msg;
  for (int i = 0; i < 3; ++i, Sleep(10))
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
}

TEST(DisplayScale, EveryWindowFitsAndDrawsForItsScaleInEveryLanguage) {
  std::vector<std::string> faults;
  int checked = 0;
  for (const std::string language : {"", ".de", ".fr", ".ru"}) {
    for (UINT dpi : {96u, 120u, 144u, 192u}) {
      const std::string at = " @" + std::to_string(dpi) + language;
      ScopedDpi scale(dpi);
      // A layout from the settings file is in 96-DPI units like every layout.
      MainWindowEnv env("StringFile=" + kDataDir + "WirelessUtility" + language +
                            ".ini\r\n[FormMain_CtrlPos]\r\nBtnHelp=518,404,30,30\r\n",
                        7);
      auto* form = new TFormMain(nullptr);
      form->PrepareTrayMenu();
      TFrameProfSet* wizard = form->FrameProfile1->EnsureWizard();
      form->EnsureAPPages();
      form->Show();
      Pump();
      ScaleWalk walk(faults, "FormMain" + at, dpi);
      if (form->FormDpi() != dpi) walk.Fault("draws at " + std::to_string(form->FormDpi()));
      walk.Walk(form);
      const auto text = [](const char* section, const char* key) {
        return g_GlobalVar.StrFileRead(section, key, "");
      };
      walk.Fits(wizard->FrameNetType1->LbEdtMode, text("FrameNetType", "LbAdd"));
      walk.Fits(wizard->FrameNetType1->LbEdtMode, text("FrameNetType", "LbEdt"));
      walk.Fits(wizard->Frame8021X1->LbInner, text("FrameDot11", "LbInnerPEAP"));
      walk.ClientIs(form, 600, 440);
      CheckBackground(walk, form->Handle(), dpi);
      walk.Locations(form);
      if (walk.Located < 20)
        walk.Fault("a screen reader found only " + std::to_string(walk.Located));
      const RECT help = PixelRectOf(form->BtnHelp);
      if (!(help == ui::dpi::ScaleRect(RECT{518, 404, 548, 434}, dpi)))
        walk.Fault("BtnHelp from the layout at " + Str(help));
      checked += walk.Checked;
      delete form;

      TFormChart chart;
      TFormAbout about;
      TFormMsgBox box;
      ScaleWalk chartWalk(faults, "FormChart" + at, dpi), aboutWalk(faults, "FormAbout" + at, dpi),
          boxWalk(faults, "FormMsgBox" + at, dpi);
      chartWalk.Walk(&chart);
      chartWalk.ClientIs(&chart, 460, 300);
      aboutWalk.Walk(&about);
      aboutWalk.ClientIs(&about, 380, 240);
      for (int buttons : {MB_OK, MB_OKCANCEL, MB_YESNO}) {
        box.Prepare(nullptr, text("Message", "ErEmySSID"), buttons | MB_ICONQUESTION);
        boxWalk.Walk(&box);
      }
      checked += chartWalk.Checked + aboutWalk.Checked + boxWalk.Checked;
    }
  }
  EXPECT_EQ(ui::dpi::Override(), 0u);
  // Only a walk that reached the pages proves anything: about 150 captions
  // per window set, eight times.
  EXPECT_GT(checked, 8 * 150);
  std::string lines;
  for (const std::string& s : faults) lines += "\n  " + s;
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults:" << lines;
}

TEST(DisplayScale, AWindowMovedToAnotherScaleKeepsPageFocusAndTypedText) {
  MainWindowEnv env("", 6);
  ASSERT_TRUE(env.Bound());
  auto* form = new TFormMain(nullptr);
  form->Start(0);
  ASSERT_TRUE(WaitAdapter(form, true));
  form->Show();
  form->SwitchPage(form->LbProfile, 0);
  ASSERT_TRUE(form->FrameProfile1->OpenWizard(kPageProfile, 0));
  TEdit* name = form->FrameProfile1->EnsureWizard()->FrameNetType1->EdtName;
  ASSERT_TRUE(name->Showing());
  name->SetFocus();
  name->SetText("Cafe upstairs");
  SendMessageA(name->Handle(), EM_SETSEL, 2, 6);
  const RECT logical = name->BoundsRect();

  for (UINT dpi : {192u, 96u}) {
    SCOPED_TRACE("moved to " + std::to_string(dpi));
    form->ApplyDpi(dpi, nullptr);
    Pump();
    EXPECT_EQ(form->FormDpi(), dpi);
    EXPECT_EQ(ClientOf(form->Handle()),
              (RECT{0, 0, ui::dpi::Scale(600, dpi), ui::dpi::Scale(440, dpi)}));
    EXPECT_EQ(form->CurrentPage(), form->FrameProfile1);
    EXPECT_TRUE(name->Showing());
    EXPECT_EQ(GetFocus(), name->Handle());
    EXPECT_EQ(name->Text(), "Cafe upstairs");
    DWORD from = 0, to = 0;
    SendMessageA(name->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(DWORD{2}, DWORD{6}));
    EXPECT_EQ(name->BoundsRect(), logical) << "the layout is kept in 96-DPI units";
    EXPECT_EQ(PixelRectOf(name), ui::dpi::ScaleRect(logical, dpi));
    EXPECT_EQ(FontPixelHeight(DrawnFont(name)), std::abs(ui::dpi::Scale(name->Font().Height, dpi)));
  }
  delete form;
}

}  // namespace
