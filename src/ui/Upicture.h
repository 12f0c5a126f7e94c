// Pictures: 32-bit images with alpha, loaded through GDI+ from the module's
// RCDATA resources or from files, drawn with GDI; and image lists, which are
// horizontal strips of equal cells.
//
// A picture keeps its pixels only while they are used: built-in pictures stay
// compressed in the module until first drawn, and ReleasePixels drops the
// pixels of every picture that can make them again (from its compressed
// bytes, or from the picture it derives from), for a program that waits
// hidden most of the day.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ui/Ucontrol.h"

// A picture may hold its pixels in several sets, each made for a DPI (the
// built-in pictures come at 1x, 1.5x and 2x). Width() and Height() are in
// 96-DPI units, whatever the set; ForDpi picks the set for a window. The
// set a picture was loaded or made with is its own; Draw, Pixel, DrawPart
// and CreateIcon work on that set's pixels.
class TPicture {
 public:
  TPicture() = default;

  bool Empty() const { return !data_; }
  // Size in 96-DPI units.
  int Width() const { return data_ ? width_ : 0; }
  int Height() const { return data_ ? height_ : 0; }
  // Size of this set's pixels, and the DPI they are made for.
  int PixelWidth() const { return data_ ? data_->width : 0; }
  int PixelHeight() const { return data_ ? data_->height : 0; }
  UINT Dpi() const { return dpi_; }
  // The DPIs of the sets held, ascending (scaled copies not counted).
  std::vector<UINT> SetDpis() const;
  // Adds a set of pixels made for dpi (a larger drawing of the same
  // picture); a set for a DPI already held replaces it.
  void AddVariant(const TPicture& pixels, UINT dpi);
  // The picture as drawn at dpi: the set made for it, else the nearest set
  // above scaled down smoothly, else the largest scaled up (made once and
  // kept). Its pixel size is the 96-DPI size at that scale.
  TPicture ForDpi(UINT dpi) const;
  bool HasAlpha() const { return data_ && data_->Ensure() && data_->hasAlpha; }

  // A PNG (or any format GDI+ reads) from an RCDATA resource of the module
  // (the program itself when null). False leaves the picture unchanged.
  bool LoadFromResource(const char* name, HMODULE module = nullptr);
  // A file; the format is chosen by the extension (.png .bmp .jpg .jpeg
  // .gif .tif .tiff .ico). False leaves the picture unchanged.
  bool LoadFromFile(const std::string& path);
  bool LoadFromMemory(const void* bytes, size_t size);
  // An icon drawn at width x height pixels (its alpha kept), as the set for
  // dpi; false leaves it unchanged.
  bool LoadFromIcon(HICON icon, int width, int height, UINT dpi = ui::dpi::kBase);
  void Clear() { *this = TPicture(); }

  // An opaque picture of the given pixel size, made for dpi, filled with a
  // colour; GDI may draw into Handle() (copies of a picture share the same
  // bitmap, and a picture whose handle was taken keeps its pixels for good).
  static TPicture CreateOpaque(int width, int height, COLORREF fill, UINT dpi = ui::dpi::kBase);
  HBITMAP Handle() const;

  // Drawing is in pixels, 1:1 with this set's pixels (after ForDpi).
  void Draw(HDC dc, int x, int y) const;
  // The set for dpi at pixel point (x, y): ForDpi(dpi).Draw(dc, x, y).
  void DrawAt(HDC dc, int x, int y, UINT dpi) const;
  // Stretched smoothly into a pixel rectangle, from the smallest set at
  // least as large (else the largest).
  void StretchDraw(HDC dc, const RECT& dest) const;
  // Draws the part src (in this set's pixels) with its top-left corner at
  // pixel point (x, y).
  void DrawPart(HDC dc, int x, int y, const RECT& src) const;

  // The face of a disabled control: desaturated and lighter, every set.
  TPicture Disabled() const;
  // A part of the picture (in 96-DPI units) as its own picture, every set
  // cut alike (edges scaled, so neighbouring parts still touch).
  TPicture Crop(const RECT& src) const;
  // Icon of the part src (in this set's pixels; the caller destroys it);
  // null when empty.
  HICON CreateIcon(const RECT& src) const;
  // Straight (not premultiplied) ARGB value of a pixel of this set, 0
  // outside.
  uint32_t Pixel(int x, int y) const;
  // True when both share the same bitmap (copies of one picture).
  bool SameAs(const TPicture& other) const { return data_ == other.data_; }

  // True while the pixels are in memory.
  bool Decoded() const { return data_ && data_->bitmap; }
  // Drops the pixels of every picture that can make them again; the next
  // draw makes them. Returns the number of pictures released.
  static int ReleasePixels();
  // Bytes of pixels in memory over all pictures.
  static size_t DecodedBytes();

 private:
  friend class TImageList;
  struct TData;
  // Every set of one picture, shared by its copies (a change makes a new
  // one), and the scaled copies made for DPIs without a set of their own.
  struct TSets {
    std::vector<std::pair<UINT, std::shared_ptr<TData>>> sets;  // by DPI, ascending
    mutable std::mutex lock;
    mutable std::map<UINT, std::shared_ptr<TData>> scaled;
  };
  struct TData {
    mutable int width = 0;  // learnt by the first decode when not known before
    mutable int height = 0;
    mutable bool hasAlpha = false;
    // How the pixels are made again after a release: from compressed bytes
    // (in the module, or owned), or by a function (a derived picture). A
    // picture without either, or pinned, keeps its pixels.
    const unsigned char* encoded = nullptr;
    size_t encodedSize = 0;
    std::vector<unsigned char> ownBytes;
    std::function<bool(const TData&)> make;
    mutable bool pinned = false;
    mutable bool failed = false;       // the bytes did not decode: no retry
    mutable HBITMAP bitmap = nullptr;  // premultiplied BGRA DIB section, top-down
    mutable uint32_t* bits = nullptr;
    TData();
    ~TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;
    // Pixels in memory; false when they cannot be had.
    bool Ensure() const;
    bool Allocate() const;
    void Release() const;
    bool Decode() const;
    // Stores straight ARGB pixels premultiplied into the bitmap.
    void StoreArgb(const uint32_t* argb) const;
  };
  static std::shared_ptr<TData> Make(int width, int height, std::vector<uint32_t> argb);
  static std::shared_ptr<TData> Derived(int width, int height,
                                        std::function<bool(const TData&)> make);
  bool SetEncoded(const unsigned char* bytes, size_t size, std::vector<unsigned char> own);
  // Makes data the picture's only set, made for dpi.
  void Assign(std::shared_ptr<TData> data, UINT dpi);
  // The picture's sets with f applied to each, as a new picture of the
  // given 96-DPI size (sets f refuses are left out).
  TPicture MapSets(
      int width, int height,
      const std::function<std::shared_ptr<TData>(const std::shared_ptr<TData>&, UINT)>& f) const;
  // Pixels of src resampled to width x height, made when needed.
  static std::shared_ptr<TData> Scaled(const std::shared_ptr<TData>& src, int width, int height);
  // The part src (in pixels) of a set, made when needed.
  static std::shared_ptr<TData> CropPixels(const std::shared_ptr<TData>& whole, const RECT& src);

  std::shared_ptr<TData> data_;  // this set
  UINT dpi_ = ui::dpi::kBase;
  int width_ = 0;  // 96-DPI size
  int height_ = 0;
  std::shared_ptr<const TSets> sets_;  // every set; null while there is only this one
};

// An image list: a strip of equal cells side by side. Cell width 0 means
// square cells as high as the strip. Cells are in 96-DPI units; the strip
// may hold sets for several DPIs like any picture.
class TImageList : public TComponent {
 public:
  TImageList(TComponent* owner, std::string name, int cellWidth = 0, int cellHeight = 0);
  ~TImageList() override;

  void SetPicture(const TPicture& strip);
  const TPicture& Picture() const { return strip_; }
  int CellWidth() const;
  int CellHeight() const;
  int Count() const;

  // Draws a cell at pixel point (x, y) as it looks at 96 DPI.
  void Draw(HDC dc, int x, int y, int index) const;
  // Draws a cell at pixel point (x, y) as it looks at dpi.
  void Draw(HDC dc, int x, int y, int index, UINT dpi) const;
  // Cell as a picture (every set); empty when the index is out of range.
  TPicture CellPicture(int index) const;
  // Icon of a cell at its 96-DPI size, owned by the list; null when the
  // index is out of range.
  HICON Icon(int index) const;
  // Icon of a cell at size x size pixels (the system's small icon size for
  // a DPI), drawn from the set for that size, owned by the list; null when
  // the index is out of range.
  HICON Icon(int index, int size) const;
  // A common-controls image list of the cells at 96 DPI, owned by the list.
  HIMAGELIST Handle() const;
  // The same at dpi: square 16-unit cells at the system's small icon size
  // for it, other cells scaled. One list per DPI, kept across SetPicture
  // (list views hold it).
  HIMAGELIST Handle(UINT dpi) const;

 private:
  RECT CellRect(int index) const;
  // Cell size in pixels at dpi.
  SIZE CellPixels(UINT dpi) const;
  // Icon of a cell at exactly width x height pixels (the caller destroys it).
  HICON MakeIcon(int index, int width, int height) const;
  void Fill(HIMAGELIST list, UINT dpi) const;
  void DropHandles() const;

  TPicture strip_;
  int cellWidth_;
  int cellHeight_;
  mutable std::map<UINT, HIMAGELIST> handles_;
  mutable std::map<std::pair<int, int>, std::vector<HICON>> icons_;  // by pixel size
};
