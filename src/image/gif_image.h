#pragma once
// TGIFImage: a GIF with all its frames composed once into one horizontal strip (and a mask strip), plus the
// playing state the document drives with its animation timer.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/image_types.h"

namespace lumora::image {

struct TGifData;

// A bitmap with an optional mask and whether the mask is in use.
struct ThtBitmap {
  TBitmap Bitmap;
  std::shared_ptr<const TMask> Mask;
  bool MaskInUse = false;
};

struct TgfFrame {
  int Disposal = 0;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Delay = 30;  // milliseconds
};

// Composes the frames into the strip: cell i (x from i x width) shows frame i drawn over the composed
// previous frames.
ThtBitmap BuildStrip(const TGifData& gif);

class TGIFImage {
 public:
  // Where a frame goes: the cell of the strip to draw into the target rectangle.
  struct DrawCall {
    const ThtBitmap* Strip = nullptr;
    TRect Source;
    TRect Target;
    bool UseMask = false;
  };

  int FrameCount = 0;
  bool Animated = false;
  int Width = 0, Height = 0;
  int Iterations = 1;  // 0: endless
  bool Transparent = false;
  std::shared_ptr<const ThtBitmap> Strip;
  std::vector<TgfFrame> Frames;
  int CurrentFrame = 1;  // 1-based
  int CurrentIteration = 1;
  bool Visible = true;
  bool IsCopy = false;
  int PreviousDisposal = 0;

  bool Animate() const { return animate_; }
  // Time stamps are milliseconds of a monotonic clock; the overloads without one read the system's.
  void SetAnimate(bool on);
  void SetAnimate(bool on, int64_t nowMs);
  void SetCurrentFrame(int n);
  // One timer tick; true when the frame changed (the last drawing rectangle is passed to `invalidate`).
  bool AnimationTick(const std::function<void(const TRect&)>& invalidate);
  bool AnimationTick(int64_t nowMs, const std::function<void(const TRect&)>& invalidate);
  // Remembers the rectangle for invalidation and tells what to draw there (nothing when invisible).
  std::optional<DrawCall> DrawGif(int x, int y, int w, int h);
  const TRect& lastDrawRect() const { return lastRect_; }
  int currentDelay() const { return currentDelay_; }

  // The first cell as its own bitmap and mask (no mask for an opaque GIF), made on first request.
  std::shared_ptr<const TBitmap> FirstFrameBitmap();
  std::shared_ptr<const TMask> FirstFrameMask();
  // Any composed frame (1-based) as a bitmap with its mask.
  TBitmap frameBitmap(int frame) const;
  std::shared_ptr<TMask> frameMask(int frame) const;

  static int64_t nowMs();

 private:
  friend std::shared_ptr<TGIFImage> CopyGif(const TGIFImage& source);
  bool animate_ = false;
  int64_t lastChange_ = 0;
  int currentDelay_ = 0;
  TRect lastRect_;
  std::shared_ptr<const TBitmap> firstFrame_;
  std::shared_ptr<const TMask> firstMask_;
};

// Any failure gives none. `singleFrame` is true when the GIF has fewer than two frames.
std::shared_ptr<TGIFImage> CreateGifFromStream(const uint8_t* data, size_t size, bool& singleFrame,
                                               const DecodeLimits& limits = {}, std::string* error = nullptr);
// A regular file within the image file limit; anything else gives none.
std::shared_ptr<TGIFImage> CreateGifFromFile(const std::filesystem::path& name, bool& singleFrame);
// The same values as CreateGifFromStream (frames, size, loop count, delays, transparency) without the strip:
// what the blocks tell, read without composing or keeping a pixel. Strip stays empty; fails wherever
// reading the GIF fails for CreateGifFromStream.
std::shared_ptr<TGIFImage> ReadGifHeaders(const uint8_t* data, size_t size, const DecodeLimits& limits = {},
                                          std::string* error = nullptr);
// A copy that shares the strip and has its own frames and playing state.
std::shared_ptr<TGIFImage> CopyGif(const TGIFImage& source);

}  // namespace lumora::image
