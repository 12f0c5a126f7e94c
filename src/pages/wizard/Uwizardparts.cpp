#include "pages/wizard/Uwizardparts.h"

#include <exception>

#include "app/Udebug.h"
#include "config/Udefine.h"

namespace wizardparts {

TPicButton* MakeBarButton(TPropertyPageFrame* page, const std::string& name,
                          const std::string& caption, const char* face, int slot) {
  TPicButton* button =
      pageparts::MakeButton(page, page, name, caption, face, 0, pageparts::kButtonTop);
  button->SetLeft(pageparts::kButtonRight - slot * (button->Width() + pageparts::kButtonGap));
  return button;
}

std::string MessageText(const char* key, const char* def) {
  return g_GlobalVar.StrFileRead("Message", key, def);
}

void Warn(const TControl* page, const std::string& text) {
  g_GlobalVar.ShowMsgBox(page ? page->Handle() : nullptr, text, MB_ICONWARNING);
}

bool FocusFirst(TWinControl* control) {
  try {
    if (!control || !control->CanFocus()) return false;
    control->SetFocus();
    if (control->Kind() == TKind::Edit) static_cast<TEdit*>(control)->SelectAll();
    return true;
  } catch (const std::exception& e) {
    LogWrite("Exception(FocusFirst): %s", e.what());
  }
  return false;
}

}  // namespace wizardparts
