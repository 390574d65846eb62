// ID3v1 reader over arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "audio/id3v1.h"
#include "audio/track_hint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumora::audio::MemoryByteSource source(std::string_view(reinterpret_cast<const char*>(data), size));
  lumora::audio::TID3v1 tag;
  if (tag.ReadTag(source)) lumora::audio::trackHintForDisplay(lumora::audio::composeTrackHint(tag));
  return 0;
}
