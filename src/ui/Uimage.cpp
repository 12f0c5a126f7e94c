#include "ui/Uimage.h"

// ---- TImage / TPaintBox -----------------------------------------------------------------

TImage::TImage(TComponent* owner, TContainer* parent, std::string name)
    : TGraphicControl(owner, parent, std::move(name), TKind::Image) {
  StoreBounds(0, 0, 105, 105);
}

void TImage::SetPicture(const TPicture& picture) {
  picture_ = picture;
  Invalidate();
}

void TImage::SetCenter(bool on) {
  center_ = on;
  Invalidate();
}

void TImage::SetStretch(bool on) {
  stretch_ = on;
  Invalidate();
}

void TImage::FitToPicture() {
  SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
}

void TImage::Paint(HDC dc) {
  if (picture_.Empty()) return;
  if (stretch_) {
    picture_.StretchDraw(dc, RECT{0, 0, PixelWidth(), PixelHeight()});
  } else if (center_) {
    const TPicture drawn = picture_.ForDpi(Dpi());
    drawn.Draw(dc, (PixelWidth() - drawn.PixelWidth()) / 2,
               (PixelHeight() - drawn.PixelHeight()) / 2);
  } else {
    picture_.DrawAt(dc, 0, 0, Dpi());
  }
}

TPaintBox::TPaintBox(TComponent* owner, TContainer* parent, std::string name)
    : TGraphicControl(owner, parent, std::move(name), TKind::PaintBox) {
  StoreBounds(0, 0, 105, 105);
}

void TPaintBox::Paint(HDC dc) {
  Fire(OnPaint, dc, RECT{0, 0, PixelWidth(), PixelHeight()});
}
