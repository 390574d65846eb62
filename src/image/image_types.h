#pragma once
// The pictures the image code hands to the rest of the program. Plain pixel buffers, no toolkit types: the
// viewer turns them into its own images for painting.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/geometry.h"

namespace lumora::image {

using core::TRect;

// One pixel is 0xAARRGGBB (the byte order B, G, R, A in memory on little-endian machines).
using Pixel = uint32_t;

constexpr Pixel makePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return (Pixel(a) << 24) | (Pixel(r) << 16) | (Pixel(g) << 8) | Pixel(b);
}
constexpr uint8_t pixelRed(Pixel p) { return uint8_t(p >> 16); }
constexpr uint8_t pixelGreen(Pixel p) { return uint8_t(p >> 8); }
constexpr uint8_t pixelBlue(Pixel p) { return uint8_t(p); }
constexpr uint8_t pixelAlpha(Pixel p) { return uint8_t(p >> 24); }
constexpr Pixel kBlack = makePixel(0, 0, 0);

// Leaves new elements uninitialised, so a decoder that writes every pixel does not clear the picture first.
template <typename T>
struct DefaultInitAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  DefaultInitAllocator() = default;
  template <typename U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using PixelVector = std::vector<Pixel, DefaultInitAllocator<Pixel>>;
struct UninitializedTag {};
inline constexpr UninitializedTag kUninitialized{};

// Where a host keeps what it made of a picture for drawing (an image of its own toolkit), so that a picture
// is converted once and not on every draw. A copy of a bitmap starts without one, since its pixels may be
// changed; a bitmap whose own pixels change after it was drawn calls reset().
class THostImageCache {
 public:
  struct TEntry {
    virtual ~TEntry() = default;
  };
  THostImageCache() = default;
  THostImageCache(const THostImageCache&) {}
  THostImageCache(THostImageCache&&) noexcept = default;
  THostImageCache& operator=(const THostImageCache&) {
    entry_.reset();
    return *this;
  }
  THostImageCache& operator=(THostImageCache&&) noexcept = default;
  TEntry* get() const { return entry_.get(); }
  void set(std::unique_ptr<TEntry> Entry) const { entry_ = std::move(Entry); }
  void reset() const { entry_.reset(); }

 private:
  mutable std::unique_ptr<TEntry> entry_;
};

// A decoded picture. Rows run from the top; `HasAlpha` tells the painter to blend the alpha channel
// (otherwise every pixel is opaque).
struct TBitmap {
  int Width = 0;
  int Height = 0;
  bool HasAlpha = false;
  PixelVector Pixels;
  THostImageCache HostCache;

  TBitmap() = default;
  TBitmap(int width, int height, Pixel fill = kBlack)
      : Width(width), Height(height), Pixels(size_t(width) * size_t(height), fill) {}
  // For decoders that write every pixel themselves.
  TBitmap(int width, int height, UninitializedTag)
      : Width(width), Height(height), Pixels(size_t(width) * size_t(height)) {}
  Pixel at(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
  Pixel& at(int x, int y) { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// A monochrome mask of the same size as its picture: 1 (white) is transparent, 0 (black) shows the pixel.
struct TMask {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Bits;

  TMask() = default;
  TMask(int width, int height, uint8_t fill)
      : Width(width), Height(height), Bits(size_t(width) * size_t(height), fill) {}
  bool transparentAt(int x, int y) const { return Bits[size_t(y) * size_t(Width) + size_t(x)] != 0; }
};

// Transparency kinds a picture comes with.
enum TransparencyKind : int {
  kOpaque = 0,
  kLowerLeftColor = 1,   // the colour of the lower-left pixel is transparent (requested by the element)
  kMaskTransparent = 2,  // a mask came with the image (GIF transparency, or a colour given by the page)
  kPngPalette = 3,       // PNG palette transparency: transparent pixels are black and the mask marks them
};

// Upper bounds for a decode. Hostile headers claim enormous pictures; a decoder refuses them before it
// allocates anything. Tools that run many decodes (fuzzers) pass smaller limits.
struct DecodeLimits {
  // Pixels of one page image, every frame of a GIF's strip counted: 64 megapixels (8192 x 8192), a
  // 256 MB bitmap. A decoder's working memory besides the bitmap is bounded by the same number.
  uint64_t MaxPixels = uint64_t(1) << 26;
};

// The size a picture's headers declare.
struct TImageSize {
  int Width = 0;
  int Height = 0;
};

class TGIFImage;

// What the loader returns: a still bitmap or an animated GIF (several frames), or nothing.
struct TImage {
  std::shared_ptr<TBitmap> Bitmap;
  std::shared_ptr<TGIFImage> Gif;

  explicit operator bool() const { return Bitmap || Gif; }
};

// Raised for an object that is not a picture this program knows.
class EGDIPlus : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

int GetImageWidth(const TImage& image);
int GetImageHeight(const TImage& image);

// A mask of the pixels whose colour (alpha ignored) equals `color`, or that of the lower-left pixel when no
// colour is given. Empty pictures give no mask.
std::shared_ptr<TMask> MakeTransparencyMask(const TBitmap& bitmap, const Pixel* color = nullptr);

// `bitmap` with alpha 0 where `mask` is transparent (and kept elsewhere); a bitmap passed as an rvalue is
// changed in place instead of copied.
TBitmap applyMaskAsAlpha(TBitmap bitmap, const TMask* mask);

}  // namespace lumora::image
