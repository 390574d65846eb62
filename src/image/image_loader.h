#pragma once
// The image loader: recognises a picture by its first bytes, decodes it and prepares its transparency mask.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/image_types.h"

namespace lumora::image {

enum class TImageFormat { None, Gif89, Gif87, Bmp, Png, Jpeg };

TImageFormat DetectImageFormat(const uint8_t* data, size_t size);

// The colour of the first fully transparent palette entry of a palette PNG (its tRNS), if any.
std::optional<Pixel> pngTransparentColor(const uint8_t* data, size_t size);

// What a picture's headers tell, read without decoding its pixels.
struct TImageInfo {
  TImageFormat Format = TImageFormat::None;
  int Width = 0, Height = 0;
  int FrameCount = 1;
  int Iterations = 1;          // GIF: as TGIFImage counts them
  std::vector<int> Delays;     // GIF: each frame's, in milliseconds
  int Transparency = kOpaque;  // BMP, PNG, JPEG: the kind DecodeImageStream gives when none is asked for
};

// Fails (with `error` set, when given, to the decoder's message) wherever decoding would refuse the headers,
// pictures beyond `limits` among them.
std::optional<TImageInfo> ReadImageInfo(const uint8_t* data, size_t size, const DecodeLimits& limits = {},
                                        std::string* error = nullptr);

// `transparency` comes in as 0 or 1 (1: the lower-left colour is to be transparent) and goes out as the
// kind in force; `mask` is set when the picture has one. Failures give none (an empty TImage), out of
// memory included. A file is read only when it is a regular file of at most core::kMaxImageFileBytes.
TImage ReadImageFile(const std::filesystem::path& name, int& transparency, std::shared_ptr<TMask>& mask);
TImage ReadImageStream(const uint8_t* data, size_t size, int& transparency, std::shared_ptr<TMask>& mask);
// BMP, PNG and JPEG only. A failure gives none, with `error` (when given) set to the decoder's message.
std::shared_ptr<TBitmap> DecodeImageStream(const uint8_t* data, size_t size, int& transparency,
                                           std::shared_ptr<TMask>& mask, std::string* error = nullptr);
// A GIF: several frames stay a TGIFImage; one frame becomes a bitmap with the GIF's mask.
TImage readGifImage(const uint8_t* data, size_t size, int& transparency, std::shared_ptr<TMask>& mask);

}  // namespace lumora::image
