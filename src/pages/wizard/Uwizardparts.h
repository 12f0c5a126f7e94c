// Building blocks of the wizard pages: the page background, the buttons of
// the action bar, the warning of a failed check and the first focus.
#pragma once

#include <string>

#include "pages/station/Upageparts.h"

namespace wizardparts {

// Slots of the action bar, right to left: the right-most button, the one
// left of it, the one left of that.
constexpr int kSlotRight = 0;
constexpr int kSlotMiddle = 1;
constexpr int kSlotLeft = 2;
// Controls of a wizard page stay above the action bar.
constexpr int kContentBottom = 224;

// A button of the action bar in a slot.
TPicButton* MakeBarButton(TPropertyPageFrame* page, const std::string& name,
                          const std::string& caption, const char* face, int slot);
// A text of section "Message".
std::string MessageText(const char* key, const char* def);
// The message of a failed check, with the warning icon, owned by the page.
void Warn(const TControl* page, const std::string& text);
// Focuses the control where the user types first; an edit gets its text
// selected, so typing replaces it. False when it cannot take the focus now.
bool FocusFirst(TWinControl* control);

}  // namespace wizardparts
