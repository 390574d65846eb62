#pragma once
// TPNGImage: the program's own PNG decoder (zlib inflates the image data). Every colour type and bit depth
// decodes to 8 bits per channel; the alpha channel and tRNS transparency are kept so the painter can blend.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/image_types.h"

namespace lumora::image {

class EPNGImageException : public std::runtime_error {
 public:
  // `text` is one of the kPng... texts; the message wraps it in the handler's standard sentence.
  explicit EPNGImageException(const std::string& text);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

inline constexpr const char* kPngCorruptedData = "Can't read the PNG image, it has corrupted data. ";
inline constexpr const char* kPngNoIhdr =
    "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.";
inline constexpr const char* kPngNoData = "The current image being loaded has no data and could not be loaded.";
inline constexpr const char* kPngInvalidPalette = "The current image being loaded has an invalid palette!";
inline constexpr const char* kPngUnknownColorType = "Could not read the image because it has an unknown color type.";
inline constexpr const char* kPngUnknownFilter =
    "The image could not be loaded because it uses an unknown set of filter types.";
inline constexpr const char* kPngUnknownInterlace = "The image has an unknown interlace method.";
inline constexpr const char* kPngUnknownCriticalChunk =
    "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.";
inline constexpr const char* kPngMissingPalette = "The current image requeries a palette but it is not avaliable.";
inline constexpr const char* kPngInvalidHeader =
    "Invalid Portable Graphics Network image, it has an invalid file header.";
// A header whose picture would pass the decode limits (its size, or the rows decoding it needs).
inline constexpr const char* kPngTooLarge = "The current image is too large to be loaded.";

// The gAMA correction table for a gamma value stored x 100000, and its inverse.
std::array<uint8_t, 256> pngGammaTable(uint32_t gamma);
std::array<uint8_t, 256> pngInverseGammaTable(const std::array<uint8_t, 256>& correction);

// One chunk of the file as read. The image data is inflated straight from the input, so IDAT chunks are
// listed with their type only.
struct TChunk {
  std::string Type;
  std::vector<uint8_t> Data;
};

class TPNGImage {
 public:
  // Decodes `size` bytes; throws EPNGImageException on any error (the image is then empty).
  void LoadFromStream(const uint8_t* data, size_t size, const DecodeLimits& limits = {});
  // Reads and checks everything but the image data itself (which is not inflated): afterwards Width(),
  // Height() and the header values are set, or the exception LoadFromStream would raise for them is thrown.
  void ReadHeader(const uint8_t* data, size_t size, const DecodeLimits& limits = {});

  const TBitmap& Bitmap() const { return bitmap_; }
  TBitmap takeBitmap() { return std::move(bitmap_); }
  const std::vector<TChunk>& chunks() const { return chunks_; }

  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  int bitDepth() const { return bitDepth_; }
  int colorType() const { return colorType_; }
  bool Interlaced() const { return interlace_ == 1; }
  bool hasGamma() const { return hasGamma_; }
  const std::array<uint8_t, 256>& gammaTable() const { return gamma_; }
  const std::array<uint8_t, 256>& inverseGammaTable() const { return inverseGamma_; }

 private:
  struct ChunkRef {
    uint32_t type;
    const uint8_t* data;
    uint32_t length;
  };
  // Everything up to the image data; returns the index of the first IDAT chunk in `refs`.
  size_t readHeaders(const uint8_t* data, size_t size, const DecodeLimits& limits, std::vector<ChunkRef>& refs);
  void readChunks(const uint8_t* data, size_t size, std::vector<ChunkRef>& refs);
  void readHeader(const ChunkRef& ihdr, const DecodeLimits& limits);
  int channels() const;
  void decodeImage(const std::vector<ChunkRef>& refs, size_t firstIdat);

  TBitmap bitmap_;
  std::vector<TChunk> chunks_;
  uint32_t width_ = 0, height_ = 0;
  int bitDepth_ = 0, colorType_ = 0, interlace_ = 0;
  bool hasGamma_ = false;
  std::array<uint8_t, 256> gamma_{}, inverseGamma_{};
  std::vector<uint8_t> palette_;  // PLTE bytes as read
  std::vector<uint8_t> trns_;     // tRNS bytes as read
};

}  // namespace lumora::image
