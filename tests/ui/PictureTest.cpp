// Pictures from resources and files, the disabled variant, image lists and
// icons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicture.h"

using namespace wutest;

namespace {

TEST(Picture, BuiltInPicturesLoadFromTheResourcesAndAMissingOneChangesNothing) {
  TPicture mark;
  ASSERT_TRUE(mark.LoadFromResource("ImgMark"));
  EXPECT_EQ(mark.Width(), 8);
  EXPECT_EQ(mark.Height(), 8);
  EXPECT_TRUE(mark.HasAlpha());
  TPicture copy = mark;
  EXPECT_FALSE(mark.LoadFromResource("NoSuchPicture"));
  EXPECT_TRUE(mark.SameAs(copy));
  TPicture empty;
  EXPECT_FALSE(empty.LoadFromResource("NoSuchPicture"));
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Width(), 0);
  empty.Draw(GetDC(nullptr), 0, 0);  // drawing nothing is harmless
}

TEST(Picture, FilesLoadByExtensionAndBadFilesLeaveThePictureAlone) {
  TempDir dir;
  WriteText(dir / "a.bmp", Bmp(3, 5, RGB(0xFF, 0, 0), RGB(0, 0, 0xFF)));
  TPicture p;
  ASSERT_TRUE(p.LoadFromFile(dir / "a.bmp"));
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Height(), 5);
  EXPECT_EQ(p.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(p.Pixel(2, 4), 0xFF0000FFu);
  EXPECT_EQ(p.Pixel(3, 0), 0u);  // outside

  TPicture before = p;
  WriteText(dir / "a.txt", Bmp(3, 5, 0, 0));
  EXPECT_FALSE(p.LoadFromFile(dir / "a.txt"));  // not a picture extension
  WriteText(dir / "broken.png", "\x89PNG\r\n\x1a\nnot really a picture");
  EXPECT_FALSE(p.LoadFromFile(dir / "broken.png"));
  WriteText(dir / "empty.png", "");
  EXPECT_FALSE(p.LoadFromFile(dir / "empty.png"));
  EXPECT_FALSE(p.LoadFromFile(dir / "missing.png"));
  EXPECT_FALSE(p.LoadFromFile(dir.Path() + "noext"));
  EXPECT_TRUE(p.SameAs(before));
}

TEST(Picture, TheDisabledVariantIsGreyLighterAndKeepsTransparency) {
  TPicture mark;
  ASSERT_TRUE(mark.LoadFromResource("ImgMark"));
  TPicture grey = mark.Disabled();
  ASSERT_EQ(grey.Width(), 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      uint32_t o = mark.Pixel(x, y), g = grey.Pixel(x, y);
      EXPECT_EQ(o >> 24, g >> 24);
      if ((g >> 24) == 0) continue;
      uint32_t r = (g >> 16) & 0xFF;
      EXPECT_EQ(r, (g >> 8) & 0xFF);
      EXPECT_EQ(r, g & 0xFF);
      uint32_t gray = (((o >> 16) & 0xFF) * 30 + ((o >> 8) & 0xFF) * 59 + (o & 0xFF) * 11) / 100;
      EXPECT_GE(r + 1, gray);
    }
  }
}

TEST(Picture, ImageListsCutTheirStripIntoSquareCells) {
  TPicture strip;
  ASSERT_TRUE(strip.LoadFromResource("ImgsType"));
  TImageList list(nullptr, "ImgsType");
  list.SetPicture(strip);
  EXPECT_EQ(list.CellWidth(), 16);
  EXPECT_EQ(list.Count(), 4);
  TPicture cell = list.CellPicture(2);
  ASSERT_EQ(cell.Width(), 16);
  for (int x = 0; x < 16; x += 3) EXPECT_EQ(cell.Pixel(x, 8), strip.Pixel(32 + x, 8));
  EXPECT_TRUE(list.CellPicture(4).Empty());
  HICON icon = list.Icon(1);
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(list.Icon(1), icon);  // kept, not made again
  EXPECT_EQ(list.Icon(4), nullptr);
  EXPECT_EQ(list.Icon(-1), nullptr);
  ASSERT_NE(list.Handle(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 4);

  TImageList none(nullptr, "ImgsNone");
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(none.Icon(0), nullptr);
  EXPECT_EQ(none.Handle(), nullptr);
}

TEST(Picture, SystemIconsKeepTheirShapeAsPictures) {
  TPicture p;
  ASSERT_TRUE(p.LoadFromIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32516)), 32, 32));
  EXPECT_EQ(p.Width(), 32);
  int opaque = 0, clear = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      (p.Pixel(x, y) >> 24) == 255 ? ++opaque : (p.Pixel(x, y) >> 24) == 0 ? ++clear : 0;
  EXPECT_GT(opaque, 100);
  EXPECT_GT(clear, 10);
  EXPECT_FALSE(p.LoadFromIcon(nullptr, 32, 32));
  EXPECT_EQ(p.Width(), 32);
}

// The picture drawn over white, as 0xRRGGBB values.
std::vector<uint32_t> Render(const TPicture& p) {
  BITMAPINFO bi{};
  bi.bmiHeader = {
      sizeof(BITMAPINFOHEADER), p.PixelWidth(), -p.PixelHeight(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r{0, 0, p.PixelWidth(), p.PixelHeight()};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  p.Draw(dc, 0, 0);
  GdiFlush();
  std::vector<uint32_t> out(static_cast<uint32_t*>(bits),
                            static_cast<uint32_t*>(bits) + static_cast<size_t>(r.right) * r.bottom);
  for (uint32_t& v : out) v &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
  return out;
}

TEST(PictureHolding, PixelsAreMadeOnFirstUseGivenBackAndMadeAgainAlike) {
  TPicture bg, face;
  ASSERT_TRUE(bg.LoadFromResource("ImgMainInfo"));
  ASSERT_TRUE(face.LoadFromResource("ImgBtnScan"));
  // Sizes come from the header: laying out needs no pixels.
  EXPECT_EQ(bg.Width(), 600);
  EXPECT_EQ(bg.Height(), 440);
  EXPECT_FALSE(bg.Decoded());
  TPicture grey = face.Disabled(), cell = bg.Crop(RECT{10, 20, 60, 50});
  EXPECT_FALSE(grey.Decoded());
  EXPECT_EQ(grey.Width(), face.Width());
  EXPECT_EQ(cell.Width(), 50);

  const std::vector<uint32_t> first = Render(bg), firstGrey = Render(grey),
                              firstCell = Render(cell);
  EXPECT_TRUE(bg.Decoded());
  EXPECT_TRUE(grey.Decoded());
  EXPECT_GT(TPicture::DecodedBytes(), 600u * 440 * 4);
  EXPECT_NE(first[0], 0xFFFFFFu);  // something was drawn

  EXPECT_GE(TPicture::ReleasePixels(), 4);
  EXPECT_FALSE(bg.Decoded());
  EXPECT_FALSE(face.Decoded());
  EXPECT_FALSE(grey.Decoded());
  // Made again in any order, from a released source too.
  EXPECT_EQ(Render(cell), firstCell);
  EXPECT_EQ(Render(grey), firstGrey);
  EXPECT_EQ(Render(bg), first);
}

TEST(PictureHolding, APictureDrawnIntoThroughItsHandleKeepsTheDrawing) {
  TPicture canvas = TPicture::CreateOpaque(20, 10, RGB(0, 0, 255));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, canvas.Handle());
  RECT r{0, 0, 5, 5};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &r, red);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(red);
  TPicture::ReleasePixels();
  EXPECT_TRUE(canvas.Decoded());
  EXPECT_EQ(canvas.Pixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(canvas.Pixel(10, 5), 0xFF0000FFu);

  // A file's picture is made again from its own copy of the bytes.
  TempDir dir;
  WriteText(dir / "a.bmp", Bmp(3, 5, RGB(0xFF, 0, 0), RGB(0, 0, 0xFF)));
  TPicture file;
  ASSERT_TRUE(file.LoadFromFile(dir / "a.bmp"));
  DeleteFileA((dir / "a.bmp").c_str());
  TPicture::ReleasePixels();
  EXPECT_FALSE(file.Decoded());
  EXPECT_EQ(file.Pixel(0, 0), 0xFFFF0000u);
}

TEST(PictureHolding, HidingTheLastShownFormGivesThePixelsBack) {
  TPicture bg;
  ASSERT_TRUE(bg.LoadFromResource("ImgAboutBG"));
  TForm main(nullptr, "FormA"), other(nullptr, "FormB");
  main.SetVisible(true);
  other.SetVisible(true);
  Render(bg);
  main.SetVisible(false);  // another form is still on screen
  EXPECT_TRUE(bg.Decoded());
  other.SetVisible(false);
  EXPECT_FALSE(bg.Decoded());
}

// ---- Sets per DPI ----------------------------------------------------------------

TPicture WithSets(const char* name) {
  TPicture p, v150, v200;
  EXPECT_TRUE(p.LoadFromResource(name));
  EXPECT_TRUE(v150.LoadFromResource((std::string(name) + "_150").c_str()));
  EXPECT_TRUE(v200.LoadFromResource((std::string(name) + "_200").c_str()));
  p.AddVariant(v150, 144);
  p.AddVariant(v200, 192);
  return p;
}

// Channels of two straight ARGB values differ by at most tolerance.
bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

TEST(PictureSets, EachDpiDrawsItsOwnSetOrTheNearestLargerOneScaledMadeOnce) {
  TPicture scan = WithSets("ImgBtnScan"), v150;
  ASSERT_TRUE(v150.LoadFromResource("ImgBtnScan_150"));
  // A set of its own: the very pixels, 96-DPI size unchanged.
  TPicture at144 = scan.ForDpi(144);
  EXPECT_EQ(at144.Dpi(), 144u);
  EXPECT_EQ(at144.Width(), 100);
  ASSERT_EQ(at144.PixelWidth(), 150);
  for (int y = 0; y < 45; y += 4)
    for (int x = 0; x < 150; x += 7) ASSERT_EQ(at144.Pixel(x, y), v150.Pixel(x, y));

  // 120 DPI: the 150 % set made smaller; 240: the 200 % set made larger;
  // 72: the 100 % set made smaller.
  struct {
    UINT dpi;
    int w, h;
  } scaled[] = {{120, 125, 38}, {240, 250, 75}, {72, 75, 23}};
  for (const auto& c : scaled) {
    SCOPED_TRACE(c.dpi);
    TPicture p = scan.ForDpi(c.dpi);
    EXPECT_EQ(std::make_pair(p.PixelWidth(), p.PixelHeight()), std::make_pair(c.w, c.h));
    EXPECT_EQ(p.Width(), 100);
    EXPECT_TRUE(p.SameAs(scan.ForDpi(c.dpi)));  // made once
    // The face in the middle is the face of the set it came from, and the
    // border is not faded into the transparent surroundings.
    EXPECT_EQ(p.Pixel(c.w / 2, c.h / 2) >> 24, 255u);
    EXPECT_TRUE(Near(p.Pixel(c.w / 2, c.h / 2), v150.Pixel(75, 22), 12));
    EXPECT_GT(p.Pixel(c.w / 2, 0) >> 24, 128u);
  }
  // Scaled copies give their pixels back, and come back alike.
  TPicture at120 = scan.ForDpi(120);
  const std::vector<uint32_t> first = Render(at120);
  EXPECT_TRUE(at120.Decoded());
  TPicture::ReleasePixels();
  EXPECT_FALSE(at120.Decoded());
  EXPECT_EQ(Render(scan.ForDpi(120)), first);

  // A stretch to a size a set has draws that set 1:1, unblended.
  TPicture canvas = TPicture::CreateOpaque(150, 45, RGB(0, 0, 0));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, canvas.Handle());
  scan.StretchDraw(dc, RECT{0, 0, 150, 45});
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(canvas.Pixel(75, 22), v150.Pixel(75, 22));
}

TEST(PictureSets, CropsAndDisabledFacesKeepEverySet) {
  TPicture bg = WithSets("ImgMainInfo"), v200;
  ASSERT_TRUE(v200.LoadFromResource("ImgMainInfo_200"));
  // The page's place in the window, cut from every set alike.
  TPicture page = bg.Crop(RECT{24, 116, 576, 392});
  EXPECT_EQ(page.SetDpis(), (std::vector<UINT>{96, 144, 192}));
  EXPECT_EQ(page.Width(), 552);
  TPicture page200 = page.ForDpi(192);
  ASSERT_EQ(std::make_pair(page200.PixelWidth(), page200.PixelHeight()), std::make_pair(1104, 552));
  for (int y = 0; y < 552; y += 37)
    for (int x = 0; x < 1104; x += 53) ASSERT_EQ(page200.Pixel(x, y), v200.Pixel(48 + x, 232 + y));
  // Odd edges round alike in every set, so neighbouring cuts still touch.
  TPicture left = bg.Crop(RECT{0, 0, 5, 3}), right = bg.Crop(RECT{5, 0, 9, 3});
  EXPECT_EQ(left.ForDpi(144).PixelWidth() + right.ForDpi(144).PixelWidth(), 14);

  TPicture scan = WithSets("ImgBtnScan"), grey = scan.Disabled();
  EXPECT_EQ(grey.SetDpis(), scan.SetDpis());
  TPicture grey200 = grey.ForDpi(192);
  ASSERT_EQ(grey200.PixelWidth(), 200);
  const uint32_t g = grey200.Pixel(100, 30);
  EXPECT_TRUE(((g >> 16) & 0xFF) == (g & 0xFF) && ((g >> 8) & 0xFF) == (g & 0xFF)) << std::hex << g;
}

TEST(PictureSets, ImageListsGiveCellsAndIconsAtEachDpiAndKeepTheirHandles) {
  TImageList types(nullptr, "ImgsType"), arrows(nullptr, "ImgsSort");
  types.SetPicture(WithSets("ImgsType"));
  arrows.SetPicture(WithSets("ImgsSort"));
  const auto cell = [](HIMAGELIST list) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    return std::make_pair(cx, cy);
  };
  HIMAGELIST at96 = types.Handle(), at144 = types.Handle(144);
  ASSERT_TRUE(at96 && at144);
  EXPECT_EQ(types.Handle(96), at96);
  EXPECT_EQ(cell(at96), std::make_pair(16, 16));
  EXPECT_EQ(cell(at144), std::make_pair(24, 24));
  EXPECT_EQ(cell(arrows.Handle(144)).first, 18);  // its own cell size, scaled
  // A new strip refills the lists a list view may hold.
  types.SetPicture(WithSets("ImgsType"));
  EXPECT_EQ(types.Handle(144), at144);
  EXPECT_EQ(ImageList_GetImageCount(at144), 4);

  for (int size : {16, 20, 24, 32}) {
    HICON icon = types.Icon(2, size);
    ASSERT_NE(icon, nullptr) << size;
    EXPECT_EQ(types.Icon(2, size), icon) << size;  // kept per size
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof(bm), &bm);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(std::make_pair(bm.bmWidth, bm.bmHeight), std::make_pair(LONG{size}, LONG{size}));
  }
  EXPECT_EQ(types.Icon(4, 24), nullptr);
  // At 24 pixels the cell is the 150 % drawing itself (edge pixels lose a
  // little in the icon's mask; whole ones must agree).
  TPicture icon24, v150;
  ASSERT_TRUE(icon24.LoadFromIcon(types.Icon(0, 24), 24, 24, 144));
  ASSERT_TRUE(v150.LoadFromResource("ImgsType_150"));
  EXPECT_EQ(icon24.Width(), 16);
  int whole = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const uint32_t a = v150.Pixel(x, y) >> 24;
      if (a != 0 && a != 255) continue;
      ++whole;
      ASSERT_TRUE(Near(icon24.Pixel(x, y), v150.Pixel(x, y), 2)) << x << "," << y;
    }
  EXPECT_GT(whole, 24 * 24 / 2);
}

TEST(PictureSets, TheProgramIconHoldsADrawingForEverySize) {
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    TPicture p;
    ASSERT_TRUE(p.LoadFromIcon(icon, size, size)) << size;
    // The tile fills the icon but for a small margin; its corners are clear.
    EXPECT_EQ(p.Pixel(size / 2, size / 2) >> 24, 255u) << size;
    EXPECT_EQ(p.Pixel(0, 0) >> 24, 0u) << size;
    DestroyIcon(icon);
  }
}

}  // namespace
