// Pictures from resources and files, the disabled variant, image lists and
// icons.
#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
