#include "ui/Upicture.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <new>

// The GDI+ headers expect min and max in scope.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "app/Udebug.h"
#include "config/Uunicode.h"

namespace {

void EnsureGdiplus() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Started once and never shut down: no GDI+ object outlives a load.
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
      LogWrite("GdiplusStartup failed");
  });
}

constexpr int kMaxSide = 16384;

inline uint32_t Premultiply(uint32_t argb) {
  uint32_t a = argb >> 24;
  if (a == 255) return argb;
  if (a == 0) return 0;
  uint32_t r = ((argb >> 16) & 0xFF) * a / 255;
  uint32_t g = ((argb >> 8) & 0xFF) * a / 255;
  uint32_t b = (argb & 0xFF) * a / 255;
  return (a << 24) | (r << 16) | (g << 8) | b;
}

inline uint32_t Unpremultiply(uint32_t p) {
  uint32_t a = p >> 24;
  if (a == 255 || a == 0) return a == 0 ? 0 : p;
  uint32_t r = std::min<uint32_t>(255, ((p >> 16) & 0xFF) * 255 / a);
  uint32_t g = std::min<uint32_t>(255, ((p >> 8) & 0xFF) * 255 / a);
  uint32_t b = std::min<uint32_t>(255, (p & 0xFF) * 255 / a);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

HBITMAP CreateDib(int width, int height, uint32_t** bits, bool topDown) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = topDown ? -height : height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = static_cast<uint32_t*>(p);
  return bmp;
}

// Straight ARGB of a pixel of a premultiplied bitmap.
inline uint32_t Straight(const uint32_t* bits, size_t i, bool hasAlpha) {
  // GDI leaves the alpha byte of opaque pictures at zero when it draws.
  return hasAlpha ? Unpremultiply(bits[i]) : bits[i] | 0xFF000000u;
}

RECT ClipToPicture(const RECT& src, int width, int height) {
  RECT all{0, 0, width, height}, r;
  if (!IntersectRect(&r, &src, &all)) return RECT{0, 0, 0, 0};
  return r;
}

// Every picture's data, for ReleasePixels; any thread may make a picture.
std::mutex g_registryLock;
std::vector<const void*> g_registry;

// Width and height from a PNG's header, without decoding it.
bool PngSize(const unsigned char* b, size_t n, int* width, int* height) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n < 33 || std::memcmp(b, kSignature, 8) != 0 || std::memcmp(b + 12, "IHDR", 4) != 0)
    return false;
  auto be32 = [](const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  };
  uint32_t w = be32(b + 16), h = be32(b + 20);
  if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

}  // namespace

TPicture::TData::TData() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  g_registry.push_back(this);
}

TPicture::TData::~TData() {
  if (bitmap) DeleteObject(bitmap);
  std::lock_guard<std::mutex> lock(g_registryLock);
  g_registry.erase(std::find(g_registry.begin(), g_registry.end(), this));
}

bool TPicture::TData::Allocate() const {
  if (bitmap) return true;
  bitmap = CreateDib(width, height, &bits, true);
  if (bitmap && bits) return true;
  if (bitmap) DeleteObject(bitmap);
  bitmap = nullptr;
  bits = nullptr;
  return false;
}

void TPicture::TData::Release() const {
  if (!bitmap || pinned || (!encoded && !make)) return;
  DeleteObject(bitmap);
  bitmap = nullptr;
  bits = nullptr;
}

bool TPicture::TData::Ensure() const {
  if (bitmap) return true;
  if (failed || (!encoded && !make)) return false;
  bool ok = make ? Allocate() && make(*this) : Decode();
  GdiFlush();
  if (!ok) {
    failed = true;
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
    bits = nullptr;
    LogWrite("TPicture: cannot make the pixels of a %dx%d picture", width, height);
  }
  return ok;
}

void TPicture::TData::StoreArgb(const uint32_t* argb) const {
  GdiFlush();
  hasAlpha = false;
  const size_t n = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < n; ++i) {
    if ((argb[i] >> 24) != 255) hasAlpha = true;
    bits[i] = Premultiply(argb[i]);
  }
}

// Decodes the compressed bytes straight into the bitmap. A picture whose size
// is not known yet takes the decoded size; one whose size is known must get it.
bool TPicture::TData::Decode() const {
  if (!encoded || encodedSize == 0 || encodedSize > 0x7FFFFFFF) return false;
  EnsureGdiplus();
  IStream* stream = SHCreateMemStream(encoded, static_cast<UINT>(encodedSize));
  if (!stream) return false;
  Gdiplus::Bitmap* bmp = Gdiplus::Bitmap::FromStream(stream);
  bool ok = false;
  if (bmp && bmp->GetLastStatus() == Gdiplus::Ok) {
    int w = static_cast<int>(bmp->GetWidth()), h = static_cast<int>(bmp->GetHeight());
    bool sized = w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide &&
                 ((width == 0 && height == 0) || (w == width && h == height));
    if (sized) {
      width = w;
      height = h;
    }
    if (sized && Allocate()) {
      GdiFlush();
      Gdiplus::BitmapData bd{};
      bd.Width = w;
      bd.Height = h;
      bd.Stride = w * 4;
      bd.PixelFormat = PixelFormat32bppARGB;
      bd.Scan0 = bits;
      Gdiplus::Rect rc(0, 0, w, h);
      if (bmp->LockBits(&rc, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                        PixelFormat32bppARGB, &bd) == Gdiplus::Ok) {
        bmp->UnlockBits(&bd);
        StoreArgb(bits);  // in place: one pixel read before it is written
        ok = true;
      }
    }
  }
  delete bmp;
  stream->Release();
  return ok;
}

std::shared_ptr<TPicture::TData> TPicture::Make(int width, int height, std::vector<uint32_t> argb) {
  auto d = std::make_shared<TData>();
  d->width = width;
  d->height = height;
  if (!d->Allocate()) return nullptr;
  d->StoreArgb(argb.data());
  GdiFlush();
  return d;
}

std::shared_ptr<TPicture::TData> TPicture::Derived(int width, int height,
                                                   std::function<bool(const TData&)> make) {
  auto d = std::make_shared<TData>();
  d->width = width;
  d->height = height;
  d->make = std::move(make);
  return d;
}

void TPicture::Assign(std::shared_ptr<TData> data, UINT dpi) {
  *this = TPicture();
  if (!data) return;
  data_ = std::move(data);
  dpi_ = dpi ? dpi : ui::dpi::kBase;
  width_ = ui::dpi::Unscale(data_->width, dpi_);
  height_ = ui::dpi::Unscale(data_->height, dpi_);
  auto sets = std::make_shared<TSets>();
  sets->sets.emplace_back(dpi_, data_);
  sets_ = std::move(sets);
}

std::vector<UINT> TPicture::SetDpis() const {
  std::vector<UINT> out;
  if (sets_)
    for (const auto& s : sets_->sets) out.push_back(s.first);
  return out;
}

void TPicture::AddVariant(const TPicture& pixels, UINT dpi) {
  if (!pixels.data_ || dpi == 0) return;
  if (!data_) return Assign(pixels.data_, dpi);
  // A new list: copies of this picture keep theirs.
  auto sets = std::make_shared<TSets>();
  sets->sets = sets_->sets;
  auto at = std::find_if(sets->sets.begin(), sets->sets.end(),
                         [dpi](const auto& s) { return s.first >= dpi; });
  if (at != sets->sets.end() && at->first == dpi)
    at->second = pixels.data_;
  else
    sets->sets.emplace(at, dpi, pixels.data_);
  if (dpi == dpi_) data_ = pixels.data_;
  sets_ = std::move(sets);
}

TPicture TPicture::ForDpi(UINT dpi) const {
  if (!data_ || dpi == 0 || dpi == dpi_) return *this;
  TPicture out = *this;
  out.dpi_ = dpi;
  for (const auto& s : sets_->sets) {
    if (s.first == dpi) {
      out.data_ = s.second;
      return out;
    }
  }
  std::lock_guard<std::mutex> lock(sets_->lock);
  std::shared_ptr<TData>& made = sets_->scaled[dpi];
  if (!made) {
    // Scaling down from the nearest larger drawing loses the least.
    const auto* from = &sets_->sets.back();
    for (const auto& s : sets_->sets) {
      if (s.first > dpi) {
        from = &s;
        break;
      }
    }
    made = Scaled(from->second, std::max(1, ui::dpi::Scale(width_, dpi)),
                  std::max(1, ui::dpi::Scale(height_, dpi)));
  }
  if (!made) {
    sets_->scaled.erase(dpi);
    return *this;
  }
  out.data_ = made;
  return out;
}

void TPicture::DrawAt(HDC dc, int x, int y, UINT dpi) const {
  ForDpi(dpi).Draw(dc, x, y);
}

std::shared_ptr<TPicture::TData> TPicture::Scaled(const std::shared_ptr<TData>& src, int width,
                                                  int height) {
  if (!src || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  return Derived(width, height, [src](const TData& d) {
    if (!src->Ensure()) return false;
    GdiFlush();
    const size_t n = static_cast<size_t>(d.width) * d.height;
    d.hasAlpha = src->hasAlpha;
    if (src->width == d.width && src->height == d.height) {
      std::memcpy(d.bits, src->bits, n * 4);
      return true;
    }
    EnsureGdiplus();
    // Premultiplied in and out, so transparent pixels lend no colour to
    // their neighbours; edges mirrored, so the border does not fade.
    Gdiplus::Bitmap from(src->width, src->height, src->width * 4,
                         src->hasAlpha ? PixelFormat32bppPARGB : PixelFormat32bppRGB,
                         reinterpret_cast<BYTE*>(src->bits));
    Gdiplus::Bitmap to(d.width, d.height, d.width * 4, PixelFormat32bppPARGB,
                       reinterpret_cast<BYTE*>(d.bits));
    std::fill_n(d.bits, n, 0u);
    bool ok = false;
    {
      Gdiplus::Graphics g(&to);
      Gdiplus::ImageAttributes wrap;
      wrap.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
      g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
      g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
      g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
      ok = g.GetLastStatus() == Gdiplus::Ok &&
           g.DrawImage(&from, Gdiplus::Rect(0, 0, d.width, d.height), 0, 0, src->width, src->height,
                       Gdiplus::UnitPixel, &wrap) == Gdiplus::Ok;
      g.Flush(Gdiplus::FlushIntentionSync);
    }
    if (ok && !d.hasAlpha)
      for (size_t i = 0; i < n; ++i) d.bits[i] |= 0xFF000000u;
    return ok;
  });
}

std::shared_ptr<TPicture::TData> TPicture::CropPixels(const std::shared_ptr<TData>& whole,
                                                      const RECT& src) {
  if (!whole) return nullptr;
  RECT s = ClipToPicture(src, whole->width, whole->height);
  int w = s.right - s.left, h = s.bottom - s.top;
  if (w <= 0 || h <= 0) return nullptr;
  // Made from the whole picture when first needed; the stored pixels are
  // copied as they are: no rounding on the way.
  return Derived(w, h, [whole, s](const TData& d) {
    if (!whole->Ensure()) return false;
    GdiFlush();
    for (int y = 0; y < d.height; ++y)
      std::memcpy(d.bits + static_cast<size_t>(y) * d.width,
                  whole->bits + static_cast<size_t>(s.top + y) * whole->width + s.left,
                  static_cast<size_t>(d.width) * 4);
    d.hasAlpha = whole->hasAlpha;
    return true;
  });
}

TPicture TPicture::MapSets(
    int width, int height,
    const std::function<std::shared_ptr<TData>(const std::shared_ptr<TData>&, UINT)>& f) const {
  TPicture out;
  if (!data_) return out;
  auto sets = std::make_shared<TSets>();
  std::shared_ptr<TData> own;
  for (const auto& s : sets_->sets) {
    std::shared_ptr<TData> m = f(s.second, s.first);
    if (!m) continue;
    sets->sets.emplace_back(s.first, m);
    if (s.second == data_) own = m;
  }
  // A scaled copy (after ForDpi) is mapped as well, as the picture's own.
  if (!own) own = f(data_, dpi_);
  if (!own) return out;
  if (sets->sets.empty()) sets->sets.emplace_back(dpi_, own);
  out.data_ = std::move(own);
  out.dpi_ = dpi_;
  out.width_ = width;
  out.height_ = height;
  out.sets_ = std::move(sets);
  return out;
}

bool TPicture::SetEncoded(const unsigned char* bytes, size_t size, std::vector<unsigned char> own) {
  if (!bytes || size == 0 || size > 0x7FFFFFFF) return false;
  auto d = std::make_shared<TData>();
  d->ownBytes = std::move(own);
  d->encoded = d->ownBytes.empty() ? bytes : d->ownBytes.data();
  d->encodedSize = size;
  // The module's own PNGs are trusted to decode when first drawn; anything
  // else is decoded now, so that a bad file is refused at once.
  if (!d->ownBytes.empty() || !PngSize(bytes, size, &d->width, &d->height)) {
    if (!d->Decode()) return false;
    GdiFlush();
  }
  Assign(std::move(d), ui::dpi::kBase);
  return true;
}

bool TPicture::LoadFromMemory(const void* bytes, size_t size) {
  if (!bytes || size == 0 || size > 0x7FFFFFFF) return false;
  const auto* b = static_cast<const unsigned char*>(bytes);
  return SetEncoded(b, size, std::vector<unsigned char>(b, b + size));
}

HBITMAP TPicture::Handle() const {
  if (!data_ || !data_->Ensure()) return nullptr;
  data_->pinned = true;  // the caller may keep the handle or draw into it
  return data_->bitmap;
}

int TPicture::ReleasePixels() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  int released = 0;
  for (const void* p : g_registry) {
    const auto* d = static_cast<const TData*>(p);
    const bool had = d->bitmap != nullptr;
    d->Release();
    if (had && !d->bitmap) ++released;
  }
  return released;
}

size_t TPicture::DecodedBytes() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  size_t bytes = 0;
  for (const void* p : g_registry) {
    const auto* d = static_cast<const TData*>(p);
    if (d->bitmap) bytes += static_cast<size_t>(d->width) * d->height * 4;
  }
  return bytes;
}

bool TPicture::LoadFromResource(const char* name, HMODULE module) {
  if (!name) return false;
  if (!module) module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!res) return false;
  HGLOBAL loaded = LoadResource(module, res);
  DWORD size = SizeofResource(module, res);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  // Resources stay mapped with the module: the picture points at them.
  return bytes && SetEncoded(static_cast<const unsigned char*>(bytes), size, {});
}

bool TPicture::LoadFromFile(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const char* const known[] = {"png", "bmp", "jpg", "jpeg", "gif", "tif", "tiff", "ico"};
  if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return ext == k; }))
    return false;
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  std::vector<unsigned char> bytes;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20);
  try {
    if (ok) bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok) {
    DWORD read = 0;
    ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
         read == bytes.size();
  }
  CloseHandle(file);
  return ok && LoadFromMemory(bytes.data(), bytes.size());
}

bool TPicture::LoadFromIcon(HICON icon, int width, int height, UINT dpi) {
  if (!icon || width <= 0 || height <= 0 || width > 256 || height > 256) return false;
  // Drawn once on black and once on white: the difference gives the alpha
  // of icons with and without an alpha channel alike.
  uint32_t* black = nullptr;
  uint32_t* white = nullptr;
  HBITMAP b1 = CreateDib(width, height, &black, true);
  HBITMAP b2 = CreateDib(width, height, &white, true);
  bool ok = b1 && b2;
  if (ok) {
    HDC dc = CreateCompatibleDC(nullptr);
    RECT r{0, 0, width, height};
    HGDIOBJ old = SelectObject(dc, b1);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ok = DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL) != FALSE;
    SelectObject(dc, b2);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ok = ok && DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL) != FALSE;
    SelectObject(dc, old);
    DeleteDC(dc);
    GdiFlush();
  }
  std::shared_ptr<TData> made;
  if (ok) {
    std::vector<uint32_t> argb(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < argb.size(); ++i) {
      uint32_t k = black[i], w = white[i];
      uint32_t kg = (k >> 8) & 0xFF, wg = (w >> 8) & 0xFF;
      uint32_t a = 255 - (wg > kg ? wg - kg : 0);
      if (a == 0) continue;
      // On black the colour is premultiplied by the alpha.
      uint32_t r = std::min<uint32_t>(255, ((k >> 16) & 0xFF) * 255 / a);
      uint32_t g = std::min<uint32_t>(255, ((k >> 8) & 0xFF) * 255 / a);
      uint32_t bl = std::min<uint32_t>(255, (k & 0xFF) * 255 / a);
      argb[i] = (a << 24) | (r << 16) | (g << 8) | bl;
    }
    made = Make(width, height, std::move(argb));
  }
  if (b1) DeleteObject(b1);
  if (b2) DeleteObject(b2);
  if (!made) return false;
  Assign(std::move(made), dpi);
  return true;
}

TPicture TPicture::CreateOpaque(int width, int height, COLORREF fill, UINT dpi) {
  TPicture p;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return p;
  const uint32_t argb =
      0xFF000000u | (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
  p.Assign(Derived(width, height,
                   [argb](const TData& d) {
                     std::fill_n(d.bits, static_cast<size_t>(d.width) * d.height, argb);
                     d.hasAlpha = false;
                     return true;
                   }),
           dpi);
  return p;
}

void TPicture::Draw(HDC dc, int x, int y) const {
  DrawPart(dc, x, y, RECT{0, 0, PixelWidth(), PixelHeight()});
}

void TPicture::DrawPart(HDC dc, int x, int y, const RECT& src) const {
  if (!data_) return;
  RECT s = ClipToPicture(src, PixelWidth(), PixelHeight());
  int w = s.right - s.left, h = s.bottom - s.top;
  if (w <= 0 || h <= 0 || !data_->Ensure()) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, data_->bitmap);
  if (data_->hasAlpha) {
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, mem, s.left, s.top, w, h, bf);
  } else {
    BitBlt(dc, x, y, w, h, mem, s.left, s.top, SRCCOPY);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

void TPicture::StretchDraw(HDC dc, const RECT& dest) const {
  if (!data_) return;
  int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (w <= 0 || h <= 0) return;
  // The smallest set that needs no enlarging, else the largest.
  std::shared_ptr<TData> from = data_;
  if (from->width != w || from->height != h) {
    from = sets_->sets.back().second;
    for (const auto& s : sets_->sets) {
      if (s.second->width >= w && s.second->height >= h) {
        from = s.second;
        break;
      }
    }
  }
  if (w == from->width && h == from->height) {
    TPicture exact;
    exact.data_ = from;
    return exact.Draw(dc, dest.left, dest.top);
  }
  if (!from->Ensure()) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, from->bitmap);
  if (from->hasAlpha) {
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, dest.left, dest.top, w, h, mem, 0, 0, from->width, from->height, bf);
  } else {
    int mode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, dest.left, dest.top, w, h, mem, 0, 0, from->width, from->height, SRCCOPY);
    SetStretchBltMode(dc, mode);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

uint32_t TPicture::Pixel(int x, int y) const {
  if (!data_ || x < 0 || y < 0 || x >= PixelWidth() || y >= PixelHeight() || !data_->Ensure())
    return 0;
  GdiFlush();
  return Straight(data_->bits, static_cast<size_t>(y) * PixelWidth() + x, data_->hasAlpha);
}

TPicture TPicture::Crop(const RECT& src) const {
  RECT s = ClipToPicture(src, Width(), Height());
  if (s.right <= s.left || s.bottom <= s.top) return TPicture();
  return MapSets(s.right - s.left, s.bottom - s.top,
                 [s](const std::shared_ptr<TData>& set, UINT dpi) {
                   return CropPixels(set, ui::dpi::ScaleRect(s, dpi));
                 });
}

TPicture TPicture::Disabled() const {
  // Made when first drawn: most buttons are never disabled.
  return MapSets(Width(), Height(), [](const std::shared_ptr<TData>& normal, UINT) {
    return Derived(normal->width, normal->height, [normal](const TData& d) {
      if (!normal->Ensure()) return false;
      GdiFlush();
      const size_t n = static_cast<size_t>(d.width) * d.height;
      std::vector<uint32_t> argb(n);
      for (size_t i = 0; i < n; ++i) {
        uint32_t c = Straight(normal->bits, i, normal->hasAlpha);
        uint32_t a = c >> 24;
        uint32_t gray = (((c >> 16) & 0xFF) * 30 + ((c >> 8) & 0xFF) * 59 + (c & 0xFF) * 11) / 100;
        uint32_t v = gray + (255 - gray) * 45 / 100;
        argb[i] = (a << 24) | (v << 16) | (v << 8) | v;
      }
      d.StoreArgb(argb.data());
      return true;
    });
  });
}

HICON TPicture::CreateIcon(const RECT& src) const {
  RECT s = ClipToPicture(src, PixelWidth(), PixelHeight());
  int w = s.right - s.left, h = s.bottom - s.top;
  if (!data_ || w <= 0 || h <= 0 || !data_->Ensure()) return nullptr;
  uint32_t* bits = nullptr;
  HBITMAP color = CreateDib(w, h, &bits, false);
  if (!color) return nullptr;
  int maskStride = ((w + 15) / 16) * 2;
  std::vector<unsigned char> mask(static_cast<size_t>(maskStride) * h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = Pixel(s.left + x, s.top + y);
      // Bottom-up colour rows; the mask is top-down.
      bits[static_cast<size_t>(h - 1 - y) * w + x] = c;
      if ((c >> 24) < 128) mask[static_cast<size_t>(y) * maskStride + x / 8] |= 0x80 >> (x % 8);
    }
  }
  GdiFlush();
  HBITMAP monochrome = CreateBitmap(w, h, 1, 1, mask.data());
  ICONINFO ii{TRUE, 0, 0, monochrome, color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(color);
  DeleteObject(monochrome);
  return icon;
}

// ---- TImageList ---------------------------------------------------------------------

TImageList::TImageList(TComponent* owner, std::string name, int cellWidth, int cellHeight)
    : TComponent(owner, std::move(name), TKind::ImageList),
      cellWidth_(cellWidth),
      cellHeight_(cellHeight) {}

TImageList::~TImageList() {
  DropHandles();
  for (const auto& h : handles_) ImageList_Destroy(h.second);
}

int TImageList::CellWidth() const {
  return cellWidth_ > 0 ? cellWidth_ : strip_.Height();
}
int TImageList::CellHeight() const {
  return cellHeight_ > 0 ? cellHeight_ : strip_.Height();
}

int TImageList::Count() const {
  int cw = CellWidth();
  return cw > 0 && !strip_.Empty() ? strip_.Width() / cw : 0;
}

RECT TImageList::CellRect(int index) const {
  int cw = CellWidth();
  return RECT{index * cw, 0, index * cw + cw, CellHeight()};
}

SIZE TImageList::CellPixels(UINT dpi) const {
  const int cw = CellWidth(), ch = CellHeight();
  if (cw == 16 && ch == 16) {
    // Small icons: the system's size for the DPI, as list views draw them.
    const int m = ui::dpi::Metric(SM_CXSMICON, dpi);
    if (m > 0) return SIZE{m, m};
  }
  return SIZE{ui::dpi::Scale(cw, dpi), ui::dpi::Scale(ch, dpi)};
}

HICON TImageList::MakeIcon(int index, int width, int height) const {
  if (index < 0 || index >= Count() || width <= 0 || height <= 0) return nullptr;
  // The set drawn for the DPI at which a cell is this wide; a cell that
  // still differs (other cell shapes, odd sizes) is resampled.
  const UINT dpi = static_cast<UINT>(MulDiv(width, ui::dpi::kBase, CellWidth()));
  TPicture set = strip_.ForDpi(dpi);
  TPicture cell;
  cell.Assign(TPicture::CropPixels(set.data_, ui::dpi::ScaleRect(CellRect(index), dpi)), dpi);
  if (cell.Empty()) return nullptr;
  if (cell.PixelWidth() != width || cell.PixelHeight() != height)
    cell.Assign(TPicture::Scaled(cell.data_, width, height), dpi);
  return cell.CreateIcon(RECT{0, 0, width, height});
}

void TImageList::DropHandles() const {
  for (const auto& sized : icons_)
    for (HICON i : sized.second)
      if (i) DestroyIcon(i);
  icons_.clear();
}

void TImageList::Fill(HIMAGELIST list, UINT dpi) const {
  const SIZE cell = CellPixels(dpi);
  ImageList_SetIconSize(list, cell.cx, cell.cy);  // also empties it
  for (int i = 0; i < Count(); ++i) {
    HICON icon = MakeIcon(i, cell.cx, cell.cy);
    if (icon) {
      ImageList_AddIcon(list, icon);
      DestroyIcon(icon);
    }
  }
}

void TImageList::SetPicture(const TPicture& strip) {
  strip_ = strip;
  DropHandles();
  // Keep the handles: list views may hold them.
  for (const auto& h : handles_) Fill(h.second, h.first);
}

void TImageList::Draw(HDC dc, int x, int y, int index) const {
  Draw(dc, x, y, index, ui::dpi::kBase);
}

void TImageList::Draw(HDC dc, int x, int y, int index, UINT dpi) const {
  if (index < 0 || index >= Count()) return;
  strip_.ForDpi(dpi).DrawPart(dc, x, y, ui::dpi::ScaleRect(CellRect(index), dpi));
}

TPicture TImageList::CellPicture(int index) const {
  if (index < 0 || index >= Count()) return TPicture();
  return strip_.Crop(CellRect(index));
}

HICON TImageList::Icon(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  std::vector<HICON>& made = icons_[{CellWidth(), CellHeight()}];
  if (made.size() != static_cast<size_t>(Count()))
    made.assign(static_cast<size_t>(Count()), nullptr);
  if (!made[index]) made[index] = MakeIcon(index, CellWidth(), CellHeight());
  return made[index];
}

HICON TImageList::Icon(int index, int size) const {
  if (index < 0 || index >= Count() || size <= 0 || size > 256) return nullptr;
  std::vector<HICON>& made = icons_[{size, size}];
  if (made.size() != static_cast<size_t>(Count()))
    made.assign(static_cast<size_t>(Count()), nullptr);
  if (!made[index]) made[index] = MakeIcon(index, size, size);
  return made[index];
}

HIMAGELIST TImageList::Handle() const {
  return Handle(ui::dpi::kBase);
}

HIMAGELIST TImageList::Handle(UINT dpi) const {
  if (dpi == 0) dpi = ui::dpi::kBase;
  auto at = handles_.find(dpi);
  if (at != handles_.end()) return at->second;
  const SIZE cell = CellPixels(dpi);
  if (cell.cx <= 0 || cell.cy <= 0) return nullptr;
  HIMAGELIST list =
      ImageList_Create(cell.cx, cell.cy, ILC_COLOR32 | ILC_MASK, std::max(1, Count()), 1);
  if (!list) return nullptr;
  handles_[dpi] = list;
  Fill(list, dpi);
  return list;
}
