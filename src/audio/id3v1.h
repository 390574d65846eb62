#pragma once
// Reader of the 128-byte ID3v1 / ID3v1.1 tag at the end of a file. Text is kept byte for byte.

#include <cstdint>
#include <string>

#include "audio/byte_source.h"

namespace lumora::audio {

class TID3v1 {
 public:
  static constexpr int kGenreCount = 148;

  void Clear();
  // False (fields cleared) when the file cannot be read or is shorter than 128 bytes; true otherwise,
  // with TagFound telling whether the last 128 bytes begin with "TAG".
  bool ReadTag(const std::string& fileName);
  bool ReadTag(ByteSource& source);
  // The genre's name, empty for an index of 148 or more.
  std::string GenreName() const;

  bool TagFound = false;
  uint8_t TagRevision = 1;
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Comment;
  uint8_t TrackNumber = 0;
  uint8_t GenreIndex = 255;
};

// The genre names, index 0 ("Blues") to 147 ("Synthpop").
const char* const* GenreNames();

}  // namespace lumora::audio
