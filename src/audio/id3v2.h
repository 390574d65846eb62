#pragma once
// Reader of twelve text frames of an ID3v2.3 or ID3v2.4 tag at the start of a file, cleaned up for
// display. Text comes out as UTF-8 from every encoding a frame can declare: 8-bit text (UTF-8 when it is
// valid, else the legacy code page, as the program reads 8-bit text elsewhere), UTF-16 with a byte-order
// mark, UTF-16BE and UTF-8. A zero inside a value ends that value only.

#include <cstdint>
#include <string>

#include "audio/byte_source.h"

namespace lumora::audio {

class TID3v2 {
 public:
  // Bytes of a frame's data that are looked at.
  static constexpr size_t kFrameTextSize = 250;

  void Clear();
  // False when fewer than 10 bytes can be read; true otherwise, with TagFound telling whether the file
  // begins with "ID3". Frames are read for major versions 3 and 4 (syncsafe frame sizes, unsynchronised
  // tags and frames, an extended header); compressed and encrypted frames are passed over. A damaged
  // frame ends the reading and keeps what was read before it.
  bool ReadTag(const std::string& fileName);
  bool ReadTag(ByteSource& source);

  bool TagFound = false;
  uint8_t MajorVersion = 0;
  int32_t TagSize = 0;
  std::string Title;
  std::string Artist;
  std::string Album;
  int32_t TrackNumber = 0;
  std::string Year;
  std::string Genre;
  std::string Comment;
  std::string Composer;
  std::string Encoder;
  std::string Copyright;
  std::string Language;
  std::string Link;
};

}  // namespace lumora::audio
