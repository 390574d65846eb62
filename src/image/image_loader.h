#pragma once
// The image loader: recognises a picture by its first bytes, decodes it and prepares its transparency mask.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "image/image_types.h"

namespace lumora::image {

enum class TImageFormat { None, Gif89, Gif87, Bmp, Png, Jpeg };

TImageFormat DetectImageFormat(const uint8_t* data, size_t size);

// The colour of the first fully transparent palette entry of a palette PNG (its tRNS), if any.
std::optional<Pixel> pngTransparentColor(const uint8_t* data, size_t size);

// `transparency` comes in as 0 or 1 (1: the lower-left colour is to be transparent) and goes out as the
// kind in force; `mask` is set when the picture has one. Failures give none (an empty TImage).
TImage ReadImageFile(const std::filesystem::path& name, int& transparency, std::shared_ptr<TMask>& mask);
TImage ReadImageStream(const uint8_t* data, size_t size, int& transparency, std::shared_ptr<TMask>& mask);
// BMP, PNG and JPEG only.
std::shared_ptr<TBitmap> DecodeImageStream(const uint8_t* data, size_t size, int& transparency,
                                           std::shared_ptr<TMask>& mask);
// A GIF: several frames stay a TGIFImage; one frame becomes a bitmap with the GIF's mask.
TImage readGifImage(const uint8_t* data, size_t size, int& transparency, std::shared_ptr<TMask>& mask);

}  // namespace lumora::image
