// Pictures: 32-bit images with alpha, loaded through GDI+ from the module's
// RCDATA resources or from files, drawn with GDI; and image lists, which are
// horizontal strips of equal cells.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/Ucontrol.h"

class TPicture {
 public:
  TPicture() = default;

  bool Empty() const { return !data_; }
  int Width() const { return data_ ? data_->width : 0; }
  int Height() const { return data_ ? data_->height : 0; }
  bool HasAlpha() const { return data_ && data_->hasAlpha; }

  // A PNG (or any format GDI+ reads) from an RCDATA resource of the module
  // (the program itself when null). False leaves the picture unchanged.
  bool LoadFromResource(const char* name, HMODULE module = nullptr);
  // A file; the format is chosen by the extension (.png .bmp .jpg .jpeg
  // .gif .tif .tiff .ico). False leaves the picture unchanged.
  bool LoadFromFile(const std::string& path);
  bool LoadFromMemory(const void* bytes, size_t size);
  // An icon at the given size (its alpha kept); false leaves it unchanged.
  bool LoadFromIcon(HICON icon, int width, int height);
  void Clear() { data_.reset(); }

  // An opaque picture of the given size filled with a colour; GDI may draw
  // into Handle() (copies of a picture share the same bitmap).
  static TPicture CreateOpaque(int width, int height, COLORREF fill);
  HBITMAP Handle() const { return data_ ? data_->bitmap : nullptr; }

  void Draw(HDC dc, int x, int y) const;
  void StretchDraw(HDC dc, const RECT& dest) const;
  // Draws the part src of the picture with its top-left corner at (x, y).
  void DrawPart(HDC dc, int x, int y, const RECT& src) const;

  // The face of a disabled control: desaturated and lighter.
  TPicture Disabled() const;
  // A part of the picture as its own picture.
  TPicture Crop(const RECT& src) const;
  // Icon of the part src (the caller destroys it); null when empty.
  HICON CreateIcon(const RECT& src) const;
  // Straight (not premultiplied) ARGB value of a pixel, 0 outside.
  uint32_t Pixel(int x, int y) const;
  // True when both share the same bitmap (copies of one picture).
  bool SameAs(const TPicture& other) const { return data_ == other.data_; }

 private:
  struct Data {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<uint32_t> straight;  // ARGB, top-down
    HBITMAP bitmap = nullptr;        // premultiplied BGRA DIB section, top-down
    uint32_t* bits = nullptr;
    ~Data();
  };
  static std::shared_ptr<Data> Make(int width, int height, std::vector<uint32_t> argb);
  std::shared_ptr<Data> data_;
};

// An image list: a strip of equal cells side by side. Cell width 0 means
// square cells as high as the strip.
class TImageList : public TComponent {
 public:
  TImageList(TComponent* owner, std::string name, int cellWidth = 0, int cellHeight = 0);
  ~TImageList() override;

  void SetPicture(const TPicture& strip);
  const TPicture& Picture() const { return strip_; }
  int CellWidth() const;
  int CellHeight() const;
  int Count() const;

  void Draw(HDC dc, int x, int y, int index) const;
  // Cell as a picture; empty when the index is out of range.
  TPicture CellPicture(int index) const;
  // Icon of a cell, owned by the list; null when the index is out of range.
  HICON Icon(int index) const;
  // A common-controls image list of the cells, owned by the list.
  HIMAGELIST Handle() const;

 private:
  RECT CellRect(int index) const;
  void DropHandles() const;

  TPicture strip_;
  int cellWidth_;
  int cellHeight_;
  mutable HIMAGELIST handle_ = nullptr;
  mutable std::vector<HICON> icons_;
};
