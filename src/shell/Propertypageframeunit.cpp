#include "shell/Propertypageframeunit.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "app/Udebug.h"
#include "config/Udefine.h"
#include "shell/Uformbase.h"
#include "ui/Usortlv.h"

TPropertyPageFrame::TPropertyPageFrame(TComponent* owner, TContainer* parent, std::string name)
    : TFrame(owner, parent, std::move(name)) {}

TImage* TPropertyPageFrame::PlaceMarkImage(TLabel* label, const TPicture* picture) {
  if (!label || !picture) return nullptr;
  int right = label->Left() - 6;
  return layout::MarkImage(this, this, label, picture, right - picture->Width());
}

void TPropertyPageFrame::LocalisePage(const std::string& section) {
  for (TComponent* c : Components()) {
    switch (c->Kind()) {
      case TKind::Label:
      case TKind::ValueLabel:
      case TKind::TabLabel:
      case TKind::CheckBox:
      case TKind::Panel: {
        TControl* control = c->AsControl();
        control->SetCaption(g_GlobalVar.StrFileRead(section, control->Name(), control->Caption()));
        break;
      }
      case TKind::ListView: {
        auto* list = static_cast<TSortLv*>(c);
        for (int i = 0; i < list->ColumnCount(); ++i) {
          char key[160];
          std::snprintf(key, sizeof(key), "%s_Col%d", list->Name().c_str(), i);
          list->SetColumnCaption(i, g_GlobalVar.StrFileRead(section, key, list->ColumnCaption(i)));
        }
        break;
      }
      default:
        break;
    }
  }
}

void TPropertyPageFrame::FitLabelPair(TLabel* label, TControl* value, int right) {
  layout::FitLabelPair(label, value, right);
}

void TPropertyPageFrame::ShrinkCaption(TLabel* label) {
  if (!label) return;
  auto known = std::find_if(shrinkable_.begin(), shrinkable_.end(),
                            [label](const auto& entry) { return entry.first == label; });
  if (known == shrinkable_.end())
    shrinkable_.emplace_back(label, label->Font().Height);
  else
    label->SetFontHeight(known->second);
  if (label->TextExtent(label->Caption()).cx > label->Width()) label->SetFontHeight(-11);
}

void TPropertyPageFrame::DpiChanged(UINT oldDpi, UINT newDpi) {
  TFrame::DpiChanged(oldDpi, newDpi);
  LayoutText();
}

bool TPropertyPageFrame::EnterPage(TPropertyPageFrame* previous, int mode, int) {
  if (mode == kDirForward) prevPage_ = previous;
  return true;
}

bool TPropertyPageFrame::LeavePage(TPropertyPageFrame*, int mode, int) {
  if (mode == kDirBack) prevPage_ = nullptr;
  return true;
}

void TPropertyPageFrame::InitHidden(const char* context) {
  try {
    InitPage();
  } catch (const std::exception& e) {
    LogWrite("Exception(%s %s): %s", context, Name().c_str(), e.what());
  }
  Hide();
}

void TPropertyPageFrame::FinishLateBuild(TControl* after, int left, int top, int width, int height,
                                         const char* context) {
  StandAfter(after);
  SetBounds(left, top, width, height);
  layout::ApplyLateLayout(this);
  InitHidden(context);
}
