// Playing an animated GIF: timing, loop counts, frame selection and the copies that share one strip.

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "image/gif_image.h"

namespace lumora::image {
namespace {

std::shared_ptr<TGIFImage> load(const std::string& name) {
  auto bytes = testing::readBytes(testing::gifFixtures() / name);
  bool single = true;
  return CreateGifFromStream(bytes.data(), bytes.size(), single);
}

// Ticks every 40 ms (the document's timer) until the animation stops or `limit` ms pass; returns the frames
// shown, in order, starting with the first.
std::vector<int> play(TGIFImage& gif, int64_t limit, int64_t* stoppedAt = nullptr) {
  std::vector<int> shown{gif.CurrentFrame};
  gif.SetAnimate(true, 0);
  for (int64_t t = 50; t <= limit && gif.Animate(); t += 40)
    if (gif.AnimationTick(t, nullptr)) shown.push_back(gif.CurrentFrame);
  if (stoppedAt) *stoppedAt = gif.Animate() ? -1 : 0;
  return shown;
}

TEST(ImageGifAnimation, LoopCountsDecideHowOftenItPlays) {
  struct Case {
    const char* name;
    size_t plays;  // 0: still running at the end
  } cases[] = {{"noloop.gif", 1}, {"loop2.gif", 3}, {"loop0.gif", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto gif = load(c.name);
    ASSERT_TRUE(gif);
    int64_t stopped = 0;
    auto shown = play(*gif, 20000, &stopped);
    if (c.plays == 0) {
      EXPECT_EQ(stopped, -1);
      EXPECT_GT(shown.size(), 30u);
    } else {
      EXPECT_EQ(stopped, 0);
      EXPECT_EQ(shown.size(), 3 * c.plays);
      EXPECT_EQ(gif->CurrentFrame, 3);  // stays on its last frame
    }
  }
}

TEST(ImageGifAnimation, FramesShowForTheirDelays) {
  auto gif = load("noloop.gif");  // delays 30, 30, 500 ms
  ASSERT_TRUE(gif);
  gif->SetAnimate(true, 1000);
  EXPECT_FALSE(gif->AnimationTick(1029, nullptr));
  EXPECT_TRUE(gif->AnimationTick(1030, nullptr));
  EXPECT_EQ(gif->CurrentFrame, 2);
  EXPECT_TRUE(gif->AnimationTick(1060, nullptr));
  EXPECT_EQ(gif->CurrentFrame, 3);
  EXPECT_EQ(gif->currentDelay(), 500);
  EXPECT_FALSE(gif->AnimationTick(1559, nullptr));
  EXPECT_FALSE(gif->AnimationTick(1560, nullptr));  // last frame of the only play: stops
  EXPECT_FALSE(gif->Animate());
  EXPECT_EQ(gif->CurrentFrame, 3);
}

TEST(ImageGifAnimation, TickInvalidatesTheLastDrawingRectangle) {
  auto gif = load("loop0.gif");
  ASSERT_TRUE(gif);
  auto call = gif->DrawGif(10, 20, 16, 8);
  ASSERT_TRUE(call);
  EXPECT_EQ(call->Source, (TRect{0, 0, 8, 8}));
  EXPECT_EQ(call->Target, (TRect{10, 20, 26, 28}));
  std::vector<TRect> invalidated;
  gif->SetAnimate(true, 0);
  gif->AnimationTick(100, [&](const TRect& r) { invalidated.push_back(r); });
  ASSERT_EQ(invalidated.size(), 1u);
  EXPECT_EQ(invalidated[0], (TRect{10, 20, 26, 28}));
  EXPECT_EQ(gif->DrawGif(0, 0, 8, 8)->Source, (TRect{8, 0, 16, 8}));
  gif->Visible = false;
  EXPECT_FALSE(gif->DrawGif(0, 0, 8, 8));
}

TEST(ImageGifAnimation, SetCurrentFrameWraps) {
  auto gif = load("loop0.gif");
  ASSERT_TRUE(gif);
  struct Step {
    int set, expected;
  } steps[] = {{2, 2}, {4, 1}, {0, 3}, {-5, 3}, {3, 3}};
  for (const Step& s : steps) {
    gif->SetCurrentFrame(s.set);
    EXPECT_EQ(gif->CurrentFrame, s.expected) << "set " << s.set;
  }
}

TEST(ImageGifAnimation, CopiesShareTheStripButPlayOnTheirOwn) {
  auto gif = load("loop0.gif");
  ASSERT_TRUE(gif);
  auto a = CopyGif(*gif), b = CopyGif(*gif);
  EXPECT_EQ(a->Strip, gif->Strip);
  EXPECT_EQ(b->Strip, gif->Strip);
  EXPECT_TRUE(a->IsCopy);
  a->SetAnimate(true, 0);
  a->AnimationTick(40, nullptr);
  EXPECT_EQ(a->CurrentFrame, 2);
  EXPECT_EQ(b->CurrentFrame, 1);
  EXPECT_EQ(gif->CurrentFrame, 1);
  // The strip outlives the original.
  std::weak_ptr<const ThtBitmap> strip = gif->Strip;
  gif.reset();
  b.reset();
  EXPECT_FALSE(strip.expired());
  EXPECT_EQ(a->frameBitmap(2).at(0, 0), makePixel(0, 255, 0));
}

TEST(ImageGifAnimation, FirstFrameBitmapAndMask) {
  auto opaque = load("loop0.gif");
  ASSERT_TRUE(opaque);
  EXPECT_EQ(opaque->FirstFrameBitmap()->at(3, 3), makePixel(255, 0, 0));
  EXPECT_EQ(opaque->FirstFrameBitmap(), opaque->FirstFrameBitmap());
  EXPECT_FALSE(opaque->FirstFrameMask());
  auto transparent = load("dispose1t.gif");
  ASSERT_TRUE(transparent);
  ASSERT_TRUE(transparent->FirstFrameMask());
  EXPECT_TRUE(transparent->FirstFrameMask()->transparentAt(0, 0));
  EXPECT_FALSE(transparent->FirstFrameMask()->transparentAt(1, 0));
}

}  // namespace
}  // namespace lumora::image
