// GIF decoding and strip composition against giflib (decoding) and ImageMagick (composition of animations),
// reading the headers only, and frames that claim more than a page image may hold.

#include <gif_lib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <tuple>

#include "image_test_support.h"
#include "image/gif_decoder.h"
#include "image/gif_image.h"

namespace lumora::image {
namespace {

using testing::gifFixtures;
using testing::readBytes;
using testing::samePixels;

struct RefFrames {
  int Width = 0, Height = 0;
  std::vector<std::vector<Pixel>> Colors;        // composed frames
  std::vector<std::vector<uint8_t>> Transparent;  // 1 where the frame shows the background
};

// giflib decodes; frames are composed the way browsers do: disposal 1 keeps, 2 clears the frame's area to
// the background (transparent, when the GIF has transparency), 3 restores what was there before.
RefFrames giflibFrames(const std::filesystem::path& path) {
  RefFrames ref;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif || DGifSlurp(gif) != GIF_OK) {
    ADD_FAILURE() << "giflib cannot read " << path;
    if (gif) DGifCloseFile(gif, &error);
    return ref;
  }
  const int w = gif->SWidth, h = gif->SHeight;
  ref.Width = w, ref.Height = h;
  bool anyTransparent = false;
  for (int i = 0; i < gif->ImageCount; ++i) {
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK && gcb.TransparentColor != NO_TRANSPARENT_COLOR)
      anyTransparent = true;
  }
  std::vector<Pixel> canvas(size_t(w * h), kBlack);
  std::vector<uint8_t> clear(size_t(w * h), anyTransparent ? 1 : 0);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, i, &gcb);
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    auto savedCanvas = canvas;
    auto savedClear = clear;
    const GifImageDesc& d = image.ImageDesc;
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        int sx = d.Left + x, sy = d.Top + y;
        if (sx >= w || sy >= h) continue;
        int index = image.RasterBits[y * d.Width + x];
        if (index == gcb.TransparentColor) continue;
        GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
        canvas[size_t(sy * w + sx)] = makePixel(c.Red, c.Green, c.Blue);
        clear[size_t(sy * w + sx)] = 0;
      }
    ref.Colors.push_back(canvas);
    ref.Transparent.push_back(clear);
    if (gcb.DisposalMode == DISPOSE_BACKGROUND && anyTransparent) {
      for (int y = d.Top; y < std::min(h, d.Top + d.Height); ++y)
        for (int x = d.Left; x < std::min(w, d.Left + d.Width); ++x) clear[size_t(y * w + x)] = 1;
    } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
      canvas = savedCanvas;
      clear = savedClear;
    }
  }
  DGifCloseFile(gif, &error);
  return ref;
}

std::shared_ptr<TGIFImage> load(const std::string& name, std::string* error = nullptr) {
  auto bytes = readBytes(gifFixtures() / name);
  bool single = true;
  return CreateGifFromStream(bytes.data(), bytes.size(), single, {}, error);
}

void expectSameFrames(const std::filesystem::path& path) {
  SCOPED_TRACE(path.filename().string());
  RefFrames ref = giflibFrames(path);
  auto bytes = readBytes(path);
  bool single = true;
  std::string error;
  auto gif = CreateGifFromStream(bytes.data(), bytes.size(), single, {}, &error);
  ASSERT_TRUE(gif) << error;
  ASSERT_EQ(gif->FrameCount, int(ref.Colors.size()));
  ASSERT_EQ(gif->Width, ref.Width);
  ASSERT_EQ(gif->Height, ref.Height);
  for (int i = 0; i < gif->FrameCount; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i + 1));
    EXPECT_TRUE(samePixels(ref.Colors[size_t(i)], gif->frameBitmap(i + 1).Pixels, ref.Width, false));
    auto mask = gif->frameMask(i + 1);
    if (mask)
      EXPECT_EQ(mask->Bits, ref.Transparent[size_t(i)]);
    else
      EXPECT_EQ(std::count(ref.Transparent[size_t(i)].begin(), ref.Transparent[size_t(i)].end(), 1), 0);
  }
}

TEST(ImageGif, GeneratedFixturesMatchGiflib) {
  for (const char* name : {"static87.gif", "interlaced.gif", "fulltable.gif", "local.gif", "oversize.gif",
                           "tallinterlaced.gif", "dispose0t.gif", "dispose1t.gif", "dispose2t.gif",
                           "dispose3t.gif", "dispose0o.gif", "dispose1o.gif", "dispose3o.gif", "comment.gif"})
    expectSameFrames(gifFixtures() / name);
}

TEST(ImageGif, MagickFixturesMatchGiflib) {
  lumora::testing::TempDir dir;
  struct Case {
    const char* name;
    const char* command;
  } cases[] = {
      {"photo.gif", "-size 97x61 -seed 4 plasma: -colors 256"},
      {"photo_interlaced.gif", "-size 83x47 -seed 5 plasma: -colors 64 -interlace GIF"},
      {"anim.gif",
       "-size 40x30 -seed 6 plasma: -colors 32 \\( -size 40x30 -seed 7 plasma: -colors 16 \\) "
       "\\( -size 40x30 xc:none -fill red -draw 'circle 20,15 20,5' \\) -set dispose previous -loop 0"},
      {"anim_offsets.gif",
       "-dispose background -size 30x30 xc:none -fill blue -draw 'rectangle 2,2 12,12' "
       "\\( -size 8x8 xc:green -repage +15+15 \\) \\( -size 5x9 xc:yellow -repage +3+18 \\)"},
  };
  for (const Case& c : cases) {
    auto path = dir / c.name;
    ASSERT_EQ(testing::run(std::string("convert ") + c.command + " " + testing::quoted(path)), 0) << c.name;
    expectSameFrames(path);
  }
}

// ImageMagick composes transparent animations independently of both decoders: the shown pixels must agree.
TEST(ImageGif, TransparentAnimationsComposeLikeImageMagick) {
  for (int disposal = 0; disposal < 4; ++disposal) {
    std::string name = "dispose" + std::to_string(disposal) + "t.gif";
    SCOPED_TRACE(name);
    auto gif = load(name);
    ASSERT_TRUE(gif);
    lumora::testing::TempDir dir;
    ASSERT_EQ(testing::run("convert " + testing::quoted(gifFixtures() / name) + " -coalesce -depth 8 '" +
                           (dir / "f-%d.pam").string() + "'"),
              0);
    for (int i = 0; i < gif->FrameCount; ++i) {
      testing::RefImage ref;
      ASSERT_TRUE(testing::readPam(dir / ("f-" + std::to_string(i) + ".pam"), ref));
      TBitmap shown = applyMaskAsAlpha(gif->frameBitmap(i + 1), gif->frameMask(i + 1).get());
      for (size_t p = 0; p < ref.Pixels.size(); ++p) {
        if (pixelAlpha(ref.Pixels[p]) == 0) ref.Pixels[p] = 0;  // colour of invisible pixels does not matter
        if (pixelAlpha(shown.Pixels[p]) == 0) shown.Pixels[p] = 0;
      }
      EXPECT_TRUE(samePixels(ref.Pixels, shown.Pixels, ref.Width, true)) << "frame " << i + 1;
    }
  }
}

TEST(ImageGif, DisposalTwoOnAnOpaqueGifDrawsOver) {
  auto gif = load("dispose2o.gif");
  ASSERT_TRUE(gif);
  EXPECT_FALSE(gif->Transparent);
  EXPECT_FALSE(gif->frameMask(3));
  // Frame 2 (the sprite at 4,3) has disposal 2; frame 3 still shows it.
  EXPECT_EQ(gif->frameBitmap(3).at(5, 4), gif->frameBitmap(2).at(5, 4));
  EXPECT_EQ(gif->frameBitmap(3).at(5, 4), makePixel(40, 40, 40));
  // With transparency, the same area shows the background in frame 3.
  auto transparent = load("dispose2t.gif");
  ASSERT_TRUE(transparent);
  EXPECT_TRUE(transparent->frameMask(3)->transparentAt(5, 4));
  EXPECT_FALSE(transparent->frameMask(2)->transparentAt(5, 4));
}

TEST(ImageGif, FrameValuesDelaysAndLoops) {
  struct Case {
    const char* name;
    int iterations;
  } cases[] = {{"loop0.gif", 0}, {"loop2.gif", 3}, {"noloop.gif", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto gif = load(c.name);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->Iterations, c.iterations);
    ASSERT_EQ(gif->FrameCount, 3);
    EXPECT_TRUE(gif->Animated);
    // Delays 0, 1 and 50 hundredths.
    EXPECT_EQ(gif->Frames[0].Delay, 30);
    EXPECT_EQ(gif->Frames[1].Delay, 30);
    EXPECT_EQ(gif->Frames[2].Delay, 500);
  }
  auto gif = load("local.gif");
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->Frames[1].Left, 5);
  EXPECT_EQ(gif->Frames[1].Top, 3);
  EXPECT_EQ(gif->Frames[1].Width, 12);
  EXPECT_EQ(gif->Frames[1].Height, 9);
}

TEST(ImageGif, FrameTallerThanTheScreenIsCut) {
  auto gif = load("oversize.gif");
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->Frames[0].Height, 6);
  EXPECT_EQ(gif->frameBitmap(1).Height, 6);
}

TEST(ImageGif, ErrorsBeforeAndAfterTheFirstImage) {
  std::string error;
  EXPECT_FALSE(load("badext_first.gif", &error));
  EXPECT_EQ(error, "TGif: unknown extension: 0099");

  auto later = load("badext_later.gif");
  ASSERT_TRUE(later);
  EXPECT_EQ(later->FrameCount, 2);

  auto truncated = load("truncated.gif");
  ASSERT_TRUE(truncated);
  EXPECT_EQ(truncated->FrameCount, 1);
  EXPECT_EQ(truncated->frameBitmap(1).at(0, 0), makePixel(0, 255, 0));
}

TEST(ImageGif, ReadErrorsCarryTheirTexts) {
  auto bytes = readBytes(gifFixtures() / "static87.gif");
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    const char* message;
  };
  std::vector<Case> cases;
  auto signature = bytes;
  signature[3] = '7', signature[4] = '7';
  cases.push_back({"signature", signature, "TGif: Invalid GIF Signature Code"});
  cases.push_back({"no image", {bytes.begin(), bytes.begin() + 13 + 12}, "TGif: No Image Description"});
  auto noTable = bytes;
  noTable[10] &= 0x7F;  // the global table's bytes then read as blocks
  cases.push_back({"unknown block", noTable, "TGif: Unknown Graphics Operation Code"});
  std::vector<uint8_t> gce(bytes.begin(), bytes.begin() + 25);
  gce.insert(gce.end(), {0x21, 0xF9, 0x05, 0, 0, 0, 0, 0});
  cases.push_back({"control size", gce, "TGif: Invalid Extension Block Size"});
  std::vector<uint8_t> term(bytes.begin(), bytes.begin() + 25);
  term.insert(term.end(), {0x21, 0xF9, 0x04, 0, 0, 0, 0, 7});
  cases.push_back({"terminator", term, "TGif: Invalid Extension Block Terminator"});
  std::vector<uint8_t> zero(bytes.begin(), bytes.begin() + 25);
  zero.insert(zero.end(), {0x2C, 0, 0, 0, 0, 0, 0, 4, 0, 0, 2, 0, 0x3B});
  cases.push_back({"zero size", zero, "TGif: Zero width or height"});
  std::vector<uint8_t> codeSize(bytes.begin(), bytes.begin() + 25);
  codeSize.insert(codeSize.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 12, 1, 0, 0, 0x3B});
  cases.push_back({"code size", codeSize, "TGif: Invalid LZW Code Size"});
  std::vector<uint8_t> lzw(bytes.begin(), bytes.begin() + 25);
  // Codes (3 bits): clear (4), root 1, then 7, beyond the next free entry (6).
  lzw.insert(lzw.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 2, 0xCC, 0x01, 0, 0x3B});
  cases.push_back({"lzw data", lzw, "TGif: Invalid LZW Data Format"});
  std::vector<uint8_t> eof(bytes.begin(), bytes.begin() + 25);
  eof.insert(eof.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 9, 1, 2});
  cases.push_back({"short block", eof, "TGif: Unexpected end of file"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ReadGif(c.data.data(), c.data.size());
      ADD_FAILURE() << "read";
    } catch (const EGifError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(ImageGif, HostileScreenSizeFailsCleanly) {
  std::string error;
  EXPECT_FALSE(load("huge_screen.gif", &error));
  EXPECT_EQ(error, "TGif: Animated GIF too large");
  // Many frames of a screen that is fine once but not 2000 times.
  std::vector<uint8_t> data = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x1F, 0x40, 0x1F, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  for (int i = 0; i < 2000; ++i) data.insert(data.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0});
  data.push_back(0x3B);
  bool single = true;
  EXPECT_FALSE(CreateGifFromStream(data.data(), data.size(), single, {}, &error));
  EXPECT_EQ(error, "TGif: Animated GIF too large");
}

// A GIF89a with a `width` x `height` screen, a two-colour global table and `blocks` after it.
std::vector<uint8_t> gifFile(int width, int height, const std::vector<uint8_t>& blocks) {
  std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                            uint8_t(height >> 8), 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  // Appended byte by byte: GCC 12's -Warray-bounds misreads a range insert into this vector at -O2.
  std::copy(blocks.begin(), blocks.end(), std::back_inserter(b));
  b.push_back(0x3B);
  return b;
}

// An image block of `width` x `height` at the origin whose data are the LZW codes `lzw` (code size 2).
std::vector<uint8_t> imageBlock(int width, int height, const std::vector<uint8_t>& lzw) {
  std::vector<uint8_t> b = {0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), 0, 2};
  for (size_t at = 0; at < lzw.size(); at += 255) {
    size_t n = std::min<size_t>(255, lzw.size() - at);
    b.push_back(uint8_t(n));
    b.insert(b.end(), lzw.begin() + std::ptrdiff_t(at), lzw.begin() + std::ptrdiff_t(at + n));
  }
  b.push_back(0);
  return b;
}

// About `bytes` of LZW codes (code size 2) that expand as far as LZW can: every code names the longest
// string so far, so each byte stands for up to some 2700 pixels.
std::vector<uint8_t> expandingLzw(size_t bytes) {
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int bits = 0;
  auto put = [&](int code, int size) {
    acc |= uint32_t(code) << bits;
    for (bits += size; bits >= 8; bits -= 8, acc >>= 8) out.push_back(uint8_t(acc));
  };
  put(4, 3);  // clear
  put(0, 3);  // a root
  int next = 6, size = 3;
  while (out.size() < bytes) {
    put(next < 4096 ? next : 4095, size);  // the previous string and its own first colour, or the longest
    if (next < 4096 && ++next == (1 << size) && size < 12) ++size;
  }
  put(5, size);  // end
  if (bits > 0) out.push_back(uint8_t(acc));
  return out;
}

TEST(ImageGif, FramesDeclaringMorePixelsThanTheLimitAreRefused) {
  // Pixels beyond a small screen are decoded and dropped: what a frame declares must count.
  std::vector<uint8_t> eightFrames, nineFrames;
  for (int i = 0; i < 8; ++i) {
    auto block = imageBlock(8192, 1024, {});
    eightFrames.insert(eightFrames.end(), block.begin(), block.end());
  }
  nineFrames = eightFrames;
  auto ninth = imageBlock(8192, 1024, {});
  nineFrames.insert(nineFrames.end(), ninth.begin(), ninth.end());
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    bool refused;
  } cases[] = {
      {"one frame of 65535 x 65535 on a 1 x 1 screen", gifFile(1, 1, imageBlock(65535, 65535, expandingLzw(64 << 10))), true},
      {"nine frames of 8 megapixels", gifFile(1, 1, nineFrames), true},
      {"eight frames of 8 megapixels", gifFile(1, 1, eightFrames), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto start = std::chrono::steady_clock::now();
    std::string error, headerError;
    bool single = true;
    auto gif = CreateGifFromStream(c.data.data(), c.data.size(), single, {}, &error);
    auto headers = ReadGifHeaders(c.data.data(), c.data.size(), {}, &headerError);
    if (c.refused) {
      EXPECT_FALSE(gif);
      EXPECT_EQ(error, "TGif: Animated GIF too large");
      EXPECT_FALSE(headers);
      EXPECT_EQ(headerError, error);
      // Decoding the 170 million pixels the first one's data stands for would take seconds.
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    } else {
      ASSERT_TRUE(gif) << error;
      EXPECT_EQ(gif->FrameCount, 8);
      ASSERT_TRUE(headers) << headerError;
      EXPECT_EQ(headers->FrameCount, 8);
    }
  }
}

// Reading the headers only keeps what a full read keeps, frame by frame, or fails the same way.
TEST(ImageGif, HeadersTellWhatDecodingReads) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(gifFixtures()))
    inputs.emplace_back(entry.path().filename().string(), readBytes(entry.path()));
  // Codes (3 bits): clear, root 1, end; in a bad frame clear, root 1, then 7 beyond the next free entry.
  auto good = imageBlock(2, 2, {0x4C, 0x01}), bad = imageBlock(2, 2, {0xCC, 0x01});
  std::vector<uint8_t> goodThenBad = good;
  goodThenBad.insert(goodThenBad.end(), bad.begin(), bad.end());
  inputs.emplace_back("bad codes in the first frame", gifFile(2, 2, bad));
  inputs.emplace_back("bad codes in the second frame", gifFile(2, 2, goodThenBad));
  inputs.emplace_back("codes past the frame's last pixel", gifFile(2, 2, imageBlock(2, 2, expandingLzw(300))));
  ASSERT_GT(inputs.size(), 10u);
  for (const auto& [name, bytes] : inputs) {
    SCOPED_TRACE(name);
    std::string error, headerError;
    bool single = true;
    auto gif = CreateGifFromStream(bytes.data(), bytes.size(), single, {}, &error);
    auto headers = ReadGifHeaders(bytes.data(), bytes.size(), {}, &headerError);
    ASSERT_EQ(bool(headers), bool(gif)) << error << headerError;
    if (!gif) {
      EXPECT_EQ(headerError, error);
      continue;
    }
    EXPECT_FALSE(headers->Strip);
    EXPECT_EQ(headers->FrameCount, gif->FrameCount);
    EXPECT_EQ(headers->Width, gif->Width);
    EXPECT_EQ(headers->Height, gif->Height);
    EXPECT_EQ(headers->Iterations, gif->Iterations);
    EXPECT_EQ(headers->Transparent, gif->Transparent);
    ASSERT_EQ(headers->Frames.size(), gif->Frames.size());
    for (size_t i = 0; i < gif->Frames.size(); ++i) {
      const TgfFrame &h = headers->Frames[i], &g = gif->Frames[i];
      EXPECT_EQ(std::tie(h.Disposal, h.Left, h.Top, h.Width, h.Height, h.Delay),
                std::tie(g.Disposal, g.Left, g.Top, g.Width, g.Height, g.Delay))
          << "frame " << i + 1;
    }
  }
}

}  // namespace
}  // namespace lumora::image
