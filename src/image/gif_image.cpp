#include "image/gif_image.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>

#include "core/file_read.h"
#include "image/gif_decoder.h"

namespace lumora::image {

namespace {

// Copies cell `from` of the strip (and mask) over cell `to`.
void copyCell(TBitmap& strip, TMask* mask, int cellWidth, int from, int to) {
  for (int y = 0; y < strip.Height; ++y) {
    Pixel* row = &strip.Pixels[size_t(y) * size_t(strip.Width)];
    std::copy(row + from * cellWidth, row + (from + 1) * cellWidth, row + to * cellWidth);
    if (mask) {
      uint8_t* m = &mask->Bits[size_t(y) * size_t(mask->Width)];
      std::copy(m + from * cellWidth, m + (from + 1) * cellWidth, m + to * cellWidth);
    }
  }
}

}  // namespace

ThtBitmap BuildStrip(const TGifData& gif) {
  const int w = gif.ScreenWidth, h = gif.ScreenHeight;
  const int n = int(gif.Frames.size());
  ThtBitmap result;
  result.Bitmap = TBitmap(w * n, h, kBlack);
  std::shared_ptr<TMask> mask;
  if (gif.Transparent) mask = std::make_shared<TMask>(w * n, h, 1);
  TBitmap& strip = result.Bitmap;
  const size_t stride = size_t(strip.Width);
  // Disposal 3 restores what was there before the frame, so the next cell starts from that state.
  TBitmap savedCell;
  TMask savedMask;

  for (int i = 0; i < n; ++i) {
    const TGifFrameData& f = gif.Frames[size_t(i)];
    const bool restore = f.Disposal == 3 && i + 1 < n;
    if (restore) {
      savedCell = TBitmap(w, h);
      if (mask) savedMask = TMask(w, h, 1);
      for (int y = 0; y < h; ++y) {
        std::copy_n(&strip.Pixels[size_t(y) * stride + size_t(i) * size_t(w)], w, &savedCell.Pixels[size_t(y) * size_t(w)]);
        if (mask)
          std::copy_n(&mask->Bits[size_t(y) * stride + size_t(i) * size_t(w)], w, &savedMask.Bits[size_t(y) * size_t(w)]);
      }
    }
    std::array<Pixel, 256> colors;
    colors.fill(kBlack);
    const std::vector<Pixel>& table = gif.ColorTables[size_t(f.ColorTable)];
    std::copy(table.begin(), table.end(), colors.begin());
    const int cellX = i * w + f.Left;
    for (int y = 0; y < f.VisibleHeight && f.VisibleWidth > 0; ++y) {
      const uint8_t* src = &f.Indices[size_t(y) * size_t(f.VisibleWidth)];
      const size_t rowStart = size_t(f.Top + y) * stride + size_t(cellX);
      Pixel* dst = &strip.Pixels[rowStart];
      uint8_t* m = mask ? &mask->Bits[rowStart] : nullptr;
      for (int x = 0; x < f.VisibleWidth; ++x) {
        int index = src[x];
        if (index != f.TransparentIndex) {
          dst[x] = colors[size_t(index)];
          if (m) m[x] = 0;
        }
        // A transparent pixel keeps the cell as it is: black and transparent in the first cell, the
        // previous frame's pixel in later ones.
      }
    }
    if (i + 1 < n) {
      if (restore) {
        for (int y = 0; y < h; ++y) {
          std::copy_n(&savedCell.Pixels[size_t(y) * size_t(w)], w, &strip.Pixels[size_t(y) * stride + size_t(i + 1) * size_t(w)]);
          if (mask)
            std::copy_n(&savedMask.Bits[size_t(y) * size_t(w)], w, &mask->Bits[size_t(y) * stride + size_t(i + 1) * size_t(w)]);
        }
      } else {
        copyCell(strip, mask.get(), w, i, i + 1);
        // Disposal 2 restores the background: with a mask the area becomes transparent; an opaque GIF has
        // no background to show, so the next frame is drawn over this one.
        if (f.Disposal == 2 && mask) {
          for (int y = 0; y < f.VisibleHeight; ++y)
            std::fill_n(&mask->Bits[size_t(f.Top + y) * stride + size_t((i + 1) * w + f.Left)], f.VisibleWidth, 1);
        }
      }
    }
  }
  result.Mask = mask;
  result.MaskInUse = mask != nullptr;
  return result;
}

int64_t TGIFImage::nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void TGIFImage::SetAnimate(bool on) { SetAnimate(on, nowMs()); }

void TGIFImage::SetAnimate(bool on, int64_t now) {
  if (on == animate_) return;
  animate_ = on;
  if (on && FrameCount > 1) {
    currentDelay_ = std::max(Frames[size_t(CurrentFrame - 1)].Delay, 1);
    lastChange_ = now;
  }
}

bool TGIFImage::AnimationTick(const std::function<void(const TRect&)>& invalidate) {
  return AnimationTick(nowMs(), invalidate);
}

bool TGIFImage::AnimationTick(int64_t now, const std::function<void(const TRect&)>& invalidate) {
  if (!animate_ || FrameCount < 2) return false;
  if (now - lastChange_ < currentDelay_) return false;
  lastChange_ = now;
  if (CurrentFrame == FrameCount) {
    if (Iterations > 0 && CurrentIteration >= Iterations) {
      SetAnimate(false, now);
      return false;
    }
    ++CurrentIteration;
  }
  PreviousDisposal = Frames[size_t(CurrentFrame - 1)].Disposal;
  CurrentFrame = CurrentFrame == FrameCount ? 1 : CurrentFrame + 1;
  if (invalidate) invalidate(lastRect_);
  currentDelay_ = std::max(Frames[size_t(CurrentFrame - 1)].Delay, 1);
  return true;
}

void TGIFImage::SetCurrentFrame(int n) {
  if (n == CurrentFrame) return;
  if (CurrentFrame >= 1 && CurrentFrame <= FrameCount) PreviousDisposal = Frames[size_t(CurrentFrame - 1)].Disposal;
  if (n > FrameCount) n = 1;
  if (n <= 0) n = FrameCount;
  CurrentFrame = n;
  if (firstFrame_) PreviousDisposal = 2;
}

std::optional<TGIFImage::DrawCall> TGIFImage::DrawGif(int x, int y, int w, int h) {
  lastRect_ = {x, y, x + w, y + h};
  if (!Visible || FrameCount == 0 || !Strip) return std::nullopt;
  DrawCall call;
  call.Strip = Strip.get();
  call.Source = {(CurrentFrame - 1) * Width, 0, CurrentFrame * Width, Height};
  call.Target = lastRect_;
  call.UseMask = Strip->MaskInUse;
  return call;
}

TBitmap TGIFImage::frameBitmap(int frame) const {
  TBitmap out(Width, Height);
  if (!Strip || frame < 1 || frame > FrameCount) return out;
  const TBitmap& s = Strip->Bitmap;
  for (int y = 0; y < Height; ++y)
    std::copy_n(&s.Pixels[size_t(y) * size_t(s.Width) + size_t(frame - 1) * size_t(Width)], Width,
                &out.Pixels[size_t(y) * size_t(Width)]);
  return out;
}

std::shared_ptr<TMask> TGIFImage::frameMask(int frame) const {
  if (!Strip || !Strip->Mask || frame < 1 || frame > FrameCount) return nullptr;
  const TMask& s = *Strip->Mask;
  auto out = std::make_shared<TMask>(Width, Height, 1);
  for (int y = 0; y < Height; ++y)
    std::copy_n(&s.Bits[size_t(y) * size_t(s.Width) + size_t(frame - 1) * size_t(Width)], Width,
                &out->Bits[size_t(y) * size_t(Width)]);
  return out;
}

std::shared_ptr<const TBitmap> TGIFImage::FirstFrameBitmap() {
  if (!firstFrame_) firstFrame_ = std::make_shared<TBitmap>(frameBitmap(1));
  return firstFrame_;
}

std::shared_ptr<const TMask> TGIFImage::FirstFrameMask() {
  if (!Transparent) return nullptr;
  if (!firstMask_) firstMask_ = frameMask(1);
  return firstMask_;
}

namespace {

// Everything but the strip.
std::shared_ptr<TGIFImage> imageOf(const TGifData& gif) {
  auto image = std::make_shared<TGIFImage>();
  image->FrameCount = int(gif.Frames.size());
  image->Animated = image->FrameCount > 1;
  image->Width = gif.ScreenWidth;
  image->Height = gif.ScreenHeight;
  image->Iterations = gif.LoopCount < 0 ? 1 : gif.LoopCount > 0 ? gif.LoopCount + 1 : 0;
  image->Transparent = gif.Transparent;
  for (const TGifFrameData& f : gif.Frames)
    image->Frames.push_back({f.Disposal, f.Left, f.Top, f.Width, f.Height, std::max(30, f.Delay * 10)});
  if (image->Animated) image->PreviousDisposal = 2;
  return image;
}

std::shared_ptr<TGIFImage> readGif(const uint8_t* data, size_t size, bool& singleFrame, const DecodeLimits& limits,
                                   std::string* error, TGifRead what) {
  singleFrame = true;
  try {
    TGifData gif = ReadGif(data, size, limits, what);
    std::shared_ptr<TGIFImage> image = imageOf(gif);
    if (what == TGifRead::Pixels) image->Strip = std::make_shared<ThtBitmap>(BuildStrip(gif));
    singleFrame = image->FrameCount < 2;
    return image;
  } catch (const std::bad_alloc&) {
    if (error) *error = "out of memory";
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<TGIFImage> CreateGifFromStream(const uint8_t* data, size_t size, bool& singleFrame,
                                               const DecodeLimits& limits, std::string* error) {
  return readGif(data, size, singleFrame, limits, error, TGifRead::Pixels);
}

std::shared_ptr<TGIFImage> ReadGifHeaders(const uint8_t* data, size_t size, const DecodeLimits& limits,
                                          std::string* error) {
  bool singleFrame = true;
  return readGif(data, size, singleFrame, limits, error, TGifRead::Headers);
}

std::shared_ptr<TGIFImage> CreateGifFromFile(const std::filesystem::path& name, bool& singleFrame) {
  singleFrame = true;
  std::optional<std::string> bytes = core::readRegularFile(name, core::kMaxImageFileBytes);
  if (!bytes) return nullptr;
  return CreateGifFromStream(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), singleFrame);
}

std::shared_ptr<TGIFImage> CopyGif(const TGIFImage& source) {
  auto copy = std::make_shared<TGIFImage>();
  copy->FrameCount = source.FrameCount;
  copy->Animated = source.Animated;
  copy->Width = source.Width;
  copy->Height = source.Height;
  copy->Iterations = source.Iterations;
  copy->Transparent = source.Transparent;
  copy->Strip = source.Strip;
  copy->Frames = source.Frames;
  copy->IsCopy = true;
  copy->PreviousDisposal = source.Animated ? 2 : 0;
  return copy;
}

}  // namespace lumora::image
