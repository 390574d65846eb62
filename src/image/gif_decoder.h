#pragma once
// TGif: reads a GIF (87a or 89a) into frames of colour indices. The frames are composed into a strip by
// TGIFImage (gif_image.h).

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/image_types.h"

namespace lumora::image {

// Indices of the GIF error table.
enum GifError : int {
  kGifInvalidSignature = 1,
  kGifNoColorTable = 2,
  kGifUnknownOperation = 4,
  kGifInvalidExtensionSize = 5,
  kGifSpecialMessage = 6,
  kGifInvalidTerminator = 7,
  kGifInvalidLzwCodeSize = 12,
  kGifInvalidLzwData = 13,
  kGifNoImage = 18,
  kGifUnexpectedEof = 24,
  kGifTooLarge = 25,
  kGifZeroSize = 26,
};

// The text of an error index (0 to 27).
const char* gifErrorText(int index);

// Message "TGif: <text>".
class EGifError : public std::runtime_error {
 public:
  EGifError(int index, const std::string& text);
  explicit EGifError(int index) : EGifError(index, gifErrorText(index)) {}
  int index() const { return index_; }

 private:
  int index_;
};

struct TGifFrameData {
  int Left = 0, Top = 0, Width = 0, Height = 0;  // Height is cut to the logical screen's height
  bool Interlaced = false;
  int Delay = 1;              // hundredths of a second, at least 1
  int Disposal = 0;           // 0 to 3
  int TransparentIndex = -1;  // -1: none
  int ColorTable = 0;         // index into TGifData::ColorTables
  // The frame's indices for the part that lies on the logical screen (VisibleWidth x VisibleHeight).
  int VisibleWidth = 0, VisibleHeight = 0;
  std::vector<uint8_t> Indices;
};

struct TGifData {
  int ScreenWidth = 0, ScreenHeight = 0;
  int LoopCount = -1;  // -1 when the file has no NETSCAPE block
  bool Transparent = false;
  // The colour tables as read, the global one first when there is one: opaque colours, as many as the table
  // holds (indices past its end are black). Frames share the global table instead of each keeping a copy.
  std::vector<std::vector<Pixel>> ColorTables;
  std::vector<TGifFrameData> Frames;
};

// How much of a GIF ReadGif takes in: the frames' pixels, or only what the blocks tell about the frames.
// Headers still parses each frame's compressed data (without keeping a pixel), so both read the same frames.
enum class TGifRead { Pixels, Headers };

// Bytes of the 24-bit strip (rows padded to 4 bytes) plus a bitmap header, as the size limits count them.
uint64_t gifStripBytes(int width, int height, size_t frames);

// Reads the whole GIF. Throws EGifError when no frame could be read; an error after the first frame ends
// reading and keeps the frames read so far. Every cell of the strip counts against `limits`, and so does
// every pixel a frame declares (pixels beyond the logical screen are decoded and dropped): a GIF that
// passes them is refused whole (error 25).
TGifData ReadGif(const uint8_t* data, size_t size, const DecodeLimits& limits = {}, TGifRead what = TGifRead::Pixels);

}  // namespace lumora::image
