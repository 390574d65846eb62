// The image cache across document loads: reuse, ageing and purging, usage counts, shared animated GIFs.

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "image/gif_image.h"
#include "image/image_cache.h"

namespace lumora::image {
namespace {

class ImageCache : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(testing::run("convert -size 6x4 xc:teal '" + (dir_ / "a.png").string() + "'"), 0);
    ASSERT_EQ(testing::run("convert -size 6x4 xc:navy -fill red -draw 'point 0,3' BMP3:'" +
                           (dir_ / "b.bmp").string() + "'"),
              0);
    std::filesystem::copy_file(testing::gifFixtures() / "loop0.gif", dir_ / "anim.gif");
  }
  // One image element of a page asking for `name`.
  TImage load(const std::string& name, bool* fromCache = nullptr, int transparency = 0,
              std::shared_ptr<TMask>* maskOut = nullptr) {
    bool cached = false;
    std::shared_ptr<TMask> mask;
    TImage image = loadImageWithCache(cache_, (dir_ / name).string(), transparency, cached, mask);
    if (fromCache) *fromCache = cached;
    if (maskOut) *maskOut = mask;
    return image;
  }
  std::string key(const std::string& name) { return TStringBitmapList::makeKey((dir_ / name).string()); }
  // The document is left: its elements give their pictures back, and the next load ages the cache.
  void nextPage(std::initializer_list<std::string> shown) {
    for (const auto& name : shown) cache_.ReleaseImage(key(name));
    cache_.AgeAndPurge();
  }

  lumora::testing::TempDir dir_;
  TStringBitmapList cache_;
};

TEST_F(ImageCache, ReusesPicturesAcrossPageLoads) {
  bool fromCache = true;
  TImage first = load("a.png", &fromCache);
  ASSERT_TRUE(first.Bitmap);
  EXPECT_FALSE(fromCache);
  EXPECT_EQ(cache_.Item(cache_.indexOf(key("a.png"))).UsageCount, 1);
  TImage second = load("a.png", &fromCache);  // a second element on the same page
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(second.Bitmap, first.Bitmap);
  EXPECT_EQ(cache_.Item(cache_.indexOf(key("a.png"))).UsageCount, 2);

  nextPage({"a.png", "a.png"});
  EXPECT_EQ(cache_.Item(cache_.indexOf(key("a.png"))).UsageCount, 0);
  TImage again = load("a.png", &fromCache);
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(again.Bitmap, first.Bitmap);
  EXPECT_EQ(cache_.Item(cache_.indexOf(key("a.png"))).AccessAge, 0);
}

TEST_F(ImageCache, SourcesDifferingInCaseShareOneItem) {
  TImage lower = load("a.png");
  bool fromCache = false;
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  std::string upper = "  " + (dir_ / "A.PNG").string() + " ";
  TImage other = loadImageWithCache(cache_, upper, transparency, fromCache, mask);
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(other.Bitmap, lower.Bitmap);
  EXPECT_EQ(cache_.count(), 1);
}

TEST_F(ImageCache, UnusedPicturesAgeOutAfterTheLimit) {
  struct Case {
    int limit;
    int survivingLoads;
  } cases[] = {{0, 0}, {1, 1}, {4, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE("limit " + std::to_string(c.limit));
    cache_.Clear();
    cache_.SetCacheLimit(c.limit);
    load("a.png");
    nextPage({"a.png"});
    for (int i = 1; i <= c.survivingLoads; ++i) {
      EXPECT_EQ(cache_.indexOf(key("a.png")) >= 0, true) << "after " << i << " loads";
      cache_.AgeAndPurge();
    }
    EXPECT_EQ(cache_.indexOf(key("a.png")), -1);
    bool fromCache = true;
    load("a.png", &fromCache);
    EXPECT_FALSE(fromCache);  // decoded again
  }
}

TEST_F(ImageCache, PicturesInUseAreNeverPurged) {
  cache_.SetCacheLimit(0);
  TImage kept = load("a.png");
  load("b.bmp");
  nextPage({"b.bmp"});  // a.png's element lives on (a frame that was not reloaded)
  for (int i = 0; i < 10; ++i) cache_.AgeAndPurge();
  EXPECT_GE(cache_.indexOf(key("a.png")), 0);
  EXPECT_EQ(cache_.indexOf(key("b.bmp")), -1);
  EXPECT_EQ(cache_.Item(cache_.indexOf(key("a.png"))).AccessAge, 11);
}

TEST_F(ImageCache, SetCacheLimitPurgesOlderUnusedItems) {
  EXPECT_EQ(cache_.cacheLimit(), 4);
  load("a.png");
  load("b.bmp");
  nextPage({"a.png"});
  cache_.AgeAndPurge();
  cache_.AgeAndPurge();  // both are 3 loads old; b.bmp is still in use
  cache_.SetCacheLimit(2);
  EXPECT_EQ(cache_.indexOf(key("a.png")), -1);
  EXPECT_GE(cache_.indexOf(key("b.bmp")), 0);
  EXPECT_EQ(cache_.cacheLimit(), 2);
}

TEST_F(ImageCache, AddImageKeepsTheFirstItemForAKey) {
  auto item = std::make_unique<TBitmapItem>();
  item->Image.Bitmap = std::make_shared<TBitmap>(2, 2);
  EXPECT_TRUE(cache_.AddImage("X", std::move(item)));
  auto duplicate = std::make_unique<TBitmapItem>();
  auto other = std::make_shared<TBitmap>(3, 3);
  duplicate->Image.Bitmap = other;
  EXPECT_FALSE(cache_.AddImage("X", std::move(duplicate)));
  EXPECT_EQ(GetImageWidth(cache_.Item(0).Image), 2);
  EXPECT_EQ(other.use_count(), 1);  // the caller's picture is untouched
}

TEST_F(ImageCache, LowerLeftMaskIsMadeOnceAndShared) {
  std::shared_ptr<TMask> first, second, plain;
  int transparency = kLowerLeftColor;
  load("b.bmp", nullptr, transparency, &first);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->transparentAt(0, 3));
  load("b.bmp", nullptr, kLowerLeftColor, &second);
  EXPECT_EQ(second, first);
  EXPECT_EQ(cache_.Item(cache_.indexOf(key("b.bmp"))).Transparency, kLowerLeftColor);
}

TEST_F(ImageCache, AnimatedGifsShareOneStrip) {
  TImage a = load("anim.gif");
  bool fromCache = false;
  TImage b = load("anim.gif", &fromCache);
  ASSERT_TRUE(a.Gif);
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(a.Gif, b.Gif);
  // Each element animates its own copy.
  auto copyA = CopyGif(*a.Gif), copyB = CopyGif(*b.Gif);
  EXPECT_EQ(copyA->Strip, copyB->Strip);
  copyA->SetCurrentFrame(3);
  EXPECT_EQ(copyB->CurrentFrame, 1);
  std::weak_ptr<const ThtBitmap> strip = a.Gif->Strip;
  a = b = {};
  cache_.Clear();
  EXPECT_FALSE(strip.expired());
  copyA.reset();
  copyB.reset();
  EXPECT_TRUE(strip.expired());
}

TEST_F(ImageCache, FailedPicturesAreNotCached) {
  lumora::testing::writeFile(dir_ / "broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(30, 'x'));
  EXPECT_FALSE(load("broken.png"));
  EXPECT_FALSE(load("missing.gif"));
  EXPECT_FALSE(load(""));
  EXPECT_EQ(cache_.count(), 0);
}

}  // namespace
}  // namespace lumora::image
