// Pictures from resources and files, the disabled variant, image lists and
// icons.
#include <gtest/gtest.h>

#include <cstring>

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
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.Width(), -p.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r{0, 0, p.Width(), p.Height()};
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

  const std::vector<uint32_t> first = Render(bg), firstGrey = Render(grey), firstCell = Render(cell);
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

}  // namespace
