// Pictures and paint boxes, painted by their parent.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/Ucontrol.h"
#include "ui/Upicture.h"

// A picture, at the top-left, centred or stretched over the bounds.
class TImage : public TGraphicControl {
 public:
  TImage(TComponent* owner, TContainer* parent, std::string name);

  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  bool Center() const { return center_; }
  void SetCenter(bool on);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  // Bounds take the picture's size.
  void FitToPicture();

  void Paint(HDC dc) override;

 private:
  TPicture picture_;
  bool center_ = false;
  bool stretch_ = false;
};

// An area that its owner paints.
class TPaintBox : public TGraphicControl {
 public:
  TPaintBox(TComponent* owner, TContainer* parent, std::string name);
  // dc origin at the box's top-left corner; rect is the box (0, 0, w, h)
  // in pixels at the box's DPI (offsets inside it through Px()).
  std::function<void(HDC dc, const RECT& rect)> OnPaint;
  void Paint(HDC dc) override;
};
