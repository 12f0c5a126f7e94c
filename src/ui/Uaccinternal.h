// What the screen-reader side's units share (Uaccessible.cpp, Uaccobject.cpp,
// Uaccevents.cpp); not for the rest of the program.
#pragma once

#include <windows.h>

#include <vector>

class TControl;
class TContainer;

namespace ui::access::detail {

bool IsWindowed(const TControl* c);
// Where a control is drawn, in pixels of its parent's client area.
RECT AreaOf(const TControl* c);
// Shown as a screen reader sees it: a row of lamps is there with none lit.
bool ShownNow(const TControl* c);
bool EnabledNow(const TControl* c);
// The children of a container's object, in z-order.
std::vector<TControl*> ExposedChildren(const TContainer* container);

}  // namespace ui::access::detail
