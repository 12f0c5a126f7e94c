#include "pages/station/Upageparts.h"

#include <cstdio>
#include <exception>

#include "app/Udebug.h"
#include "config/Udefine.h"
#include "pages/station/Ustationlogic.h"
#include "shell/Uformres.h"
#include "ui/Upalette.h"

namespace pageparts {

const TPicture& Picture(const char* name) {
  static const TPicture empty;
  if (!FormRes || !name) return empty;
  TImage* image = FormRes->Image(name);
  return image ? image->Picture() : empty;
}

const TImageList* Images(const char* name) {
  if (!FormRes || !name) return nullptr;
  return FormRes->ImageList(name);
}

TImage* MakeBackground(TPropertyPageFrame* page, const char* picture, TContainer* parent) {
  const TPicture& p = Picture(picture);
  const int width = p.Empty() ? kPageWidth : p.Width();
  const int height = p.Empty() ? kPageHeight : p.Height();
  page->SetBounds(page->Left(), page->Top(), width, height);
  auto* image = new TImage(page, parent ? parent : page, "ImgBG");
  image->SetPicture(p);
  image->SetBounds(0, 0, width, height);
  return image;
}

TLabel* MakeHeading(TComponent* owner, TContainer* parent, const std::string& name,
                    const std::string& caption, int left, int top, int width) {
  auto* label = new TLabel(owner, parent, name, caption);
  TFont f = label->Font();
  f.Bold = true;
  f.Color = palette::Heading;
  label->SetFont(f);
  label->SetShowAccelChar(false);
  label->SetBounds(left, top, width, kRowHeight);
  return label;
}

TLabel* MakeCaption(TComponent* owner, TContainer* parent, const std::string& name,
                    const std::string& caption, int left, int top) {
  auto* label = new TLabel(owner, parent, name, caption);
  label->SetFontColor(palette::CaptionText);
  label->SetShowAccelChar(false);
  label->SetBounds(left, top, 100, kRowHeight);
  return label;
}

TValueLabel* MakeValue(TComponent* owner, TContainer* parent, const std::string& name, int left,
                       int top, int width) {
  auto* label = new TValueLabel(owner, parent, name);
  label->SetFontColor(palette::Text);
  label->SetBounds(left, top, width, kRowHeight);
  return label;
}

void LabelRows::Add(TLabel*& caption, TValueLabel*& value, const std::string& captionName,
                    const std::string& valueName, const std::string& text) {
  caption = MakeCaption(Owner, Parent, captionName, text, CaptionLeft, Top);
  value = MakeValue(Owner, Parent, valueName, ValueLeft, Top, ValueWidth);
  Top += Pitch;
}

TLabel* FieldRows::Caption(const std::string& name, const std::string& text) const {
  TLabel* label = MakeCaption(Owner, Parent, name, text, CaptionLeft, Top + 4);
  label->SetWidth(FieldLeft - CaptionLeft - CaptionGap);
  return label;
}

TComboBox* FieldRows::Combo(const std::string& name) const {
  auto* list = new TComboBox(Owner, Parent, name);
  list->SetBounds(FieldLeft, Top, FieldWidth, 200);
  return list;
}

TEdit* FieldRows::Edit(const std::string& name) const {
  auto* edit = new TEdit(Owner, Parent, name);
  edit->SetBounds(FieldLeft, Top, FieldWidth, 21);
  return edit;
}

TPicButton* MakeButton(TComponent* owner, TContainer* parent, const std::string& name,
                       const std::string& caption, const char* face, int left, int top) {
  auto* button = new TPicButton(owner, parent, name, caption);
  const std::string on = std::string(face) + "On";
  const TPicture& normal = Picture(face);
  const TPicture& hover = Picture(on.c_str());
  button->SetFaces(normal, hover, hover);
  if (!normal.Empty()) {
    button->FitToFace();
    button->SetBounds(left, top, button->Width(), button->Height());
  } else {
    button->SetBounds(left, top, 100, 30);
  }
  return button;
}

void LocaliseButtons(TPropertyPageFrame* page, const std::string& section) {
  for (TComponent* c : page->Components()) {
    if (c->Kind() != TKind::PicButton) continue;
    TControl* button = c->AsControl();
    button->SetCaption(g_GlobalVar.StrFileRead(section, button->Name(), button->Caption()));
  }
}

void FocusControl(TWinControl* control, const TControl* page, const char* where) {
  try {
    if (control && control->CanFocus() && page && page->Parent() && page->Parent()->Visible())
      control->SetFocus();
  } catch (const std::exception& e) {
    LogWrite("Exception(%s): %s", where, e.what());
  }
}

std::string RateText(int rate) {
  return stationlogic::RateText(rate, g_GlobalVar.CommonStrings[csMbps]);
}

}  // namespace pageparts
