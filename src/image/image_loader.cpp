#include "image/image_loader.h"

#include <cstring>
#include <new>
#include <vector>

#include "core/file_read.h"
#include "core/paths.h"
#include "image/bmp_decoder.h"
#include "image/gif_image.h"
#include "image/jpeg_decoder.h"
#include "image/png_image.h"

namespace lumora::image {

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Files are inspected only when longer than this; streams are decoded only when longer than kMinStream.
constexpr size_t kMinFile = 9;
constexpr size_t kMinStream = 19;

constexpr const char* kNotAPicture = "not a picture this program reads";
constexpr const char* kOutOfMemory = "out of memory";

}  // namespace

TImageFormat DetectImageFormat(const uint8_t* data, size_t size) {
  if (size >= 5 && std::memcmp(data, "GIF8", 4) == 0) return data[4] == '9' ? TImageFormat::Gif89 : TImageFormat::Gif87;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return TImageFormat::Bmp;
  if (size >= 4 && data[0] == 0x89 && std::memcmp(data + 1, "PNG", 3) == 0) return TImageFormat::Png;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return TImageFormat::Jpeg;
  return TImageFormat::None;
}

std::optional<Pixel> pngTransparentColor(const uint8_t* data, size_t size) {
  static constexpr uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, signature, 8) != 0) return std::nullopt;
  size_t pos = 8;
  int colorType = -1;
  std::vector<uint8_t> palette;
  while (size - pos >= 8) {
    uint32_t length = be32(data + pos);
    const uint8_t* type = data + pos + 4;
    const uint8_t* body = data + pos + 8;
    size_t available = size - pos - 8;
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (available < 13) return std::nullopt;
      colorType = body[9];
      if (colorType != 2 && colorType != 3) return std::nullopt;
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      size_t n = std::min<size_t>({length, 768, available});
      palette.assign(body, body + n - n % 3);
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      if (colorType != 3) return std::nullopt;
      size_t n = std::min<size_t>({length, 256, available});
      for (size_t i = 0; i < n; ++i)
        if (body[i] == 0) {
          if (3 * i + 2 >= palette.size()) return std::nullopt;
          return makePixel(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
        }
      return std::nullopt;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      return std::nullopt;
    }
    if (available < uint64_t(length) + 4) return std::nullopt;
    pos += 12 + size_t(length);
  }
  return std::nullopt;
}

TImage readGifImage(const uint8_t* data, size_t size, int& transparency, std::shared_ptr<TMask>& mask) {
  TImage result;
  bool single = true;
  std::shared_ptr<TGIFImage> gif = CreateGifFromStream(data, size, single);
  if (!gif) return result;
  if (!single) {
    result.Gif = gif;
    return result;
  }
  try {
    result.Bitmap = std::make_shared<TBitmap>(gif->frameBitmap(1));
    if (gif->Transparent) {
      mask = gif->frameMask(1);
      transparency = kMaskTransparent;
    } else if (transparency == kLowerLeftColor) {
      mask = MakeTransparencyMask(*result.Bitmap);
      if (!mask) transparency = kOpaque;
    }
  } catch (const std::bad_alloc&) {
    mask.reset();
    return {};
  }
  return result;
}

std::shared_ptr<TBitmap> DecodeImageStream(const uint8_t* data, size_t size, int& transparency,
                                           std::shared_ptr<TMask>& mask, std::string* error) {
  try {
    std::shared_ptr<TBitmap> bitmap;
    std::optional<Pixel> paletteColor;
    switch (DetectImageFormat(data, size)) {
      case TImageFormat::Jpeg:
        transparency = kOpaque;
        bitmap = std::make_shared<TBitmap>(decodeJpeg(data, size).Bitmap);
        break;
      case TImageFormat::Png: {
        paletteColor = pngTransparentColor(data, size);
        if (paletteColor) transparency = kPngPalette;
        TPNGImage png;
        png.LoadFromStream(data, size);
        bitmap = std::make_shared<TBitmap>(png.takeBitmap());
        break;
      }
      case TImageFormat::Bmp:
        bitmap = std::make_shared<TBitmap>(decodeBmp(data, size));
        break;
      default:
        if (error) *error = kNotAPicture;
        return nullptr;
    }
    if (transparency == kLowerLeftColor) {
      mask = MakeTransparencyMask(*bitmap);
      if (!mask) transparency = kOpaque;
    } else if (transparency == kPngPalette) {
      mask = MakeTransparencyMask(*bitmap, &*paletteColor);
      if (mask) {
        for (size_t i = 0; i < bitmap->Pixels.size(); ++i)
          if (mask->Bits[i]) bitmap->Pixels[i] = 0;  // black, and transparent for a blending painter
      } else {
        transparency = kOpaque;
      }
    }
    return bitmap;
  } catch (const std::bad_alloc&) {
    if (error) *error = kOutOfMemory;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  mask.reset();
  return nullptr;
}

std::optional<TImageInfo> ReadImageInfo(const uint8_t* data, size_t size, const DecodeLimits& limits,
                                        std::string* error) {
  TImageInfo info;
  info.Format = DetectImageFormat(data, size);
  try {
    TImageSize picture;
    switch (info.Format) {
      case TImageFormat::Gif87:
      case TImageFormat::Gif89: {
        std::shared_ptr<TGIFImage> gif = ReadGifHeaders(data, size, limits, error);
        if (!gif) return std::nullopt;
        info.Width = gif->Width;
        info.Height = gif->Height;
        info.FrameCount = gif->FrameCount;
        info.Iterations = gif->Iterations;
        for (const TgfFrame& f : gif->Frames) info.Delays.push_back(f.Delay);
        return info;
      }
      case TImageFormat::Png: {
        TPNGImage png;
        png.ReadHeader(data, size, limits);
        picture = {int(png.Width()), int(png.Height())};
        if (pngTransparentColor(data, size)) info.Transparency = kPngPalette;
        break;
      }
      case TImageFormat::Bmp:
        picture = readBmpHeader(data, size, limits);
        break;
      case TImageFormat::Jpeg:
        picture = readJpegHeader(data, size, limits);
        break;
      default:
        if (error) *error = kNotAPicture;
        return std::nullopt;
    }
    info.Width = picture.Width;
    info.Height = picture.Height;
    return info;
  } catch (const std::bad_alloc&) {
    if (error) *error = kOutOfMemory;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  return std::nullopt;
}

TImage ReadImageStream(const uint8_t* data, size_t size, int& transparency, std::shared_ptr<TMask>& mask) {
  TImage result;
  mask.reset();
  if (!data || size <= kMinStream) return result;
  result.Bitmap = DecodeImageStream(data, size, transparency, mask);
  return result;
}

TImage ReadImageFile(const std::filesystem::path& name, int& transparency, std::shared_ptr<TMask>& mask) {
  mask.reset();
  std::filesystem::path path = core::resolveCaseInsensitive(core::toLocalSeparators(name.string()));
  // A page may name a device, a FIFO or a huge file: only regular files within the limit are read.
  std::optional<std::string> bytes;
  try {
    bytes = core::readRegularFile(path, core::kMaxImageFileBytes);
  } catch (const std::bad_alloc&) {
    return {};
  }
  if (!bytes || bytes->size() <= kMinFile) return {};
  const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
  TImageFormat format = DetectImageFormat(data, bytes->size());
  if (format == TImageFormat::Gif87 || format == TImageFormat::Gif89)
    return readGifImage(data, bytes->size(), transparency, mask);
  return ReadImageStream(data, bytes->size(), transparency, mask);
}

}  // namespace lumora::image
