// Labels painted by their parent: plain captions, values cut with an
// ellipsis, and the main window's tab captions.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Ucontrol.h"

// Static text painted by its parent, transparent unless a colour is set.
class TLabel : public TGraphicControl {
 public:
  TLabel(TComponent* owner, TContainer* parent, std::string name, const std::string& caption = "",
         TKind kind = TKind::Label);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  // Cut a text that does not fit with an ellipsis at the end.
  bool EllipsisEnd() const { return ellipsis_; }
  void SetEllipsisEnd(bool on);
  // "&" marks an accelerator; when off the text is shown as it is.
  bool ShowAccelChar() const { return showAccel_; }
  void SetShowAccelChar(bool on);

  // DrawText flags of this label's alignment, wrapping and prefix setting.
  UINT TextFlags() const;
  // Size of the caption as DrawText measures it with TextFlags, in 96-DPI
  // units rounded up (measured in pixels at the label's DPI); a wrapping
  // label measures within its current width.
  SIZE MeasureCaption() const;
  // The caption as it is drawn (cut with the ellipsis when it must be).
  std::string DisplayText() const;
  // Colour the caption is drawn in.
  virtual COLORREF TextColor() const;

  void Paint(HDC dc) override;

 protected:
  // MeasureCaption in pixels at the label's DPI.
  SIZE MeasurePixels() const;

 private:
  UINT DrawFlags() const;
  RECT TextRect(HDC dc) const;

  TAlignment alignment_ = TAlignment::Left;
  TTextLayout layout_ = TTextLayout::Top;
  bool wordWrap_ = false;
  bool ellipsis_ = false;
  bool showAccel_ = true;
};

// A label that shows a value: cut with an ellipsis, no accelerators.
class TValueLabel : public TLabel {
 public:
  TValueLabel(TComponent* owner, TContainer* parent, std::string name,
              const std::string& caption = "");
};

// A tab caption with three colours: normal, under the mouse, selected.
class TTabLabel : public TLabel {
 public:
  TTabLabel(TComponent* owner, TContainer* parent, std::string name,
            const std::string& caption = "");

  COLORREF NormalColor;
  COLORREF HoverColor;
  COLORREF SelectedColor;
  bool Selected() const { return selected_; }
  void SetSelected(bool on);
  bool Hover() const { return hover_; }
  COLORREF TextColor() const override;
  void SetColors(COLORREF normal, COLORREF hover, COLORREF selected);
  // A focus rectangle around the caption: the tab holds the focus of the
  // strip (the window that draws the tabs has the focus; Left and Right
  // move on). A screen reader hears the tab take it.
  bool FocusMark() const { return focusMark_; }
  void SetFocusMark(bool on);

  void MouseEnter() override;
  void MouseLeave() override;
  void Paint(HDC dc) override;

 private:
  bool selected_ = false;
  bool hover_ = false;
  bool focusMark_ = false;
};
