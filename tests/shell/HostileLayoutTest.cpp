// Position and visibility overrides of any content on the real main window
// and its pages, and message boxes with hostile texts and button captions:
// every page still paints, and the window lives on.
#include <functional>

#include "FuzzSupport.h"
#include "config/Unotify.h"
#include "shell/Uformmsgbox.h"
#include "tformmain_support.h"

using namespace mainwin;

namespace {

struct Target {
  std::string section;  // base name: "<base>_CtrlPos", "<base>_Visible"
  std::string control;
};

// Every control the layout walk reaches, under the section it reads.
void Collect(TComponent* owner, const std::string& base, std::vector<Target>& out) {
  for (TComponent* c : owner->Components()) {
    TControl* control = c->AsControl();
    if (!control) continue;
    if (!control->Components().empty()) Collect(control, base + "_" + control->Name(), out);
    out.push_back({base, control->Name()});
  }
}

std::string Positions(std::mt19937& rng) {
  static const char* const kEdges[] = {"2147483647", "-2147483648", "0",      "-1",     "32767",
                                       "32768",      "65535",       "-32768", "100000", "5"};
  std::string value;
  const int n = static_cast<int>(fuzz::Below(rng, 7));
  for (int i = 0; i < n; ++i) {
    if (i) value += fuzz::Chance(rng, 80) ? "," : " ";
    const uint32_t pick = fuzz::Below(rng, 10);
    value += pick < 5   ? std::string(kEdges[fuzz::Below(rng, 10)])
             : pick < 8 ? std::to_string(static_cast<int>(fuzz::Below(rng, 900)) - 100)
                        : fuzz::HostileNumber(rng);
  }
  return fuzz::Chance(rng, 10) ? fuzz::HostileText(rng, 40) : value;
}

void Repaint(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  PumpMessages();
}

}  // namespace

TEST(HostileLayout, OverridesOfAnyContentLeaveEveryPagePainting) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  auto* form = new TFormMain(nullptr);
  form->Start(0);
  form->Show();
  std::vector<Target> targets;
  Collect(form, "FormMain", targets);
  ASSERT_GT(targets.size(), 20u);

  std::vector<std::string> written;
  fuzz::Run(
      "HostileLayout.OverridesOfAnyContentLeaveEveryPagePainting", 7700, 8,
      [&](std::mt19937& rng, uint32_t) {
        for (const std::string& section : written)
          WritePrivateProfileStringA(section.c_str(), nullptr, nullptr,
                                     g_GlobalVar.SettingsPath.c_str());
        written.clear();
        const int changes = 5 + static_cast<int>(fuzz::Below(rng, 60));
        for (int i = 0; i < changes; ++i) {
          const Target& t = targets[fuzz::Below(rng, static_cast<uint32_t>(targets.size()))];
          const bool visibility = fuzz::Chance(rng, 30);
          const std::string section = t.section + (visibility ? "_Visible" : "_CtrlPos");
          g_GlobalVar.InfoWriteString(section, t.control,
                                      visibility ? fuzz::HostileNumber(rng) : Positions(rng));
          written.push_back(section);
        }
        form->ApplyLayout(form, "FormMain");
        for (int page : {kPageLinkInfo, kPageSurvey, kPageProfile, kPageLinkInfo}) {
          SendMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, page);
          PumpMessages();
          Repaint(form->Handle());
        }
        ASSERT_TRUE(IsWindow(form->Handle()));

        // A message box with a hostile text and button captions.
        WriteText(g_GlobalVar.StringFilePath,
                  "[BtnCaption]\r\nBtnOk=" + fuzz::HostileText(rng, 300) +
                      "\r\nBtnYes=" + fuzz::HostileText(rng, 30) +
                      "\r\n[Utility]\r\nMsgTitle=" + fuzz::HostileText(rng, 600) + "\r\n");
        std::string text = fuzz::HostileText(rng, 1500);
        for (int i = static_cast<int>(fuzz::Below(rng, 60)); i > 0; --i) text += "\\n";
        bool answered = false;
        Every(20, [&] {
          auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
          if (!box) return false;
          Repaint(box->Handle());
          box->BtnOk->Click();
          answered = true;
          return true;
        });
        const int flags = static_cast<int>(fuzz::Below(rng, 256));
        const int result = ShowMsgBox(form->Handle(), text, flags);
        EXPECT_TRUE(answered);
        EXPECT_TRUE(result == IDOK || result == IDYES) << result;
      },
      20);
  delete form;
}
