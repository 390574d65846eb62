#include "audio/id3v2.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

namespace lumora::audio {

namespace {

constexpr std::array<const char*, 12> kFrameIds = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON",
                                                   "COMM", "TCOM", "TENC", "TCOP", "TLAN", "WXXX"};
enum Slot { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder, kCopyright,
            kLanguage, kLink };

std::string trimmed(std::string_view s) {
  size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  return std::string(s.substr(begin, end - begin));
}

// Drops the first `skip` characters, then everything up to and including the first zero byte (the end of
// a frame's description), then trims.
std::string afterDescription(std::string_view raw, size_t skip) {
  raw.remove_prefix(std::min(skip, raw.size()));
  const size_t zero = raw.find('\0');
  if (zero != std::string_view::npos) raw.remove_prefix(zero + 1);
  return trimmed(raw);
}

int32_t trackNumber(std::string_view raw) {
  std::string text = trimmed(raw);
  const size_t slash = text.find('/');
  if (slash != std::string::npos) text.resize(slash);
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;  // a plus sign is a valid integer's sign too
  int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last && first != last ? value : 0;
}

uint32_t bigEndian32(const unsigned char* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}

}  // namespace

void TID3v2::Clear() { *this = TID3v2(); }

bool TID3v2::ReadTag(const std::string& fileName) {
  Clear();
  std::unique_ptr<FileByteSource> source = FileByteSource::open(fileName);
  return source != nullptr && ReadTag(*source);
}

bool TID3v2::ReadTag(ByteSource& source) {
  Clear();
  std::array<unsigned char, 10> header{};
  if (!source.readAt(0, header.data(), header.size())) return false;
  if (std::memcmp(header.data(), "ID3", 3) != 0) return true;
  TagFound = true;
  MajorVersion = header[3];
  // The size bytes are taken whole, as the tag's writers of the time did.
  const int64_t size = (int64_t{header[6]} << 21) + (int64_t{header[7]} << 14) + (int64_t{header[8]} << 7) +
                       int64_t{header[9]} + 10;
  const uint64_t fileSize = source.size();
  TagSize = static_cast<uint64_t>(size) > fileSize ? 0 : static_cast<int32_t>(size);
  if (MajorVersion != 3 || TagSize <= 0) return true;

  std::array<std::string, kFrameIds.size()> raw;
  uint64_t pos = 10;
  while (pos < static_cast<uint64_t>(TagSize) && pos < fileSize) {
    std::array<unsigned char, 10> frame{};
    if (!source.readAt(pos, frame.data(), frame.size())) break;
    if (frame[0] < 'A' || frame[0] > 'Z') break;  // padding or garbage
    const uint32_t frameSize = bigEndian32(frame.data() + 4);
    if (frameSize >= 0x80000000u) break;
    const uint64_t dataPos = pos + frame.size();
    if (frameSize > fileSize - std::min(fileSize, dataPos)) break;  // leads past the end of the file
    std::string text(kFrameTextSize, '\0');
    const size_t take = std::min<size_t>(frameSize, kFrameTextSize);
    if (take > 0 && !source.readAt(dataPos, text.data(), take)) break;
    const std::string_view id(reinterpret_cast<const char*>(frame.data()), 4);
    for (size_t slot = 0; slot < kFrameIds.size(); ++slot) {
      if (id == kFrameIds[slot]) raw[slot] = std::move(text);  // a later frame replaces an earlier one
    }
    pos = dataPos + frameSize;
  }

  Title = trimmed(raw[kTitle]);
  Artist = trimmed(raw[kArtist]);
  Album = trimmed(raw[kAlbum]);
  TrackNumber = trackNumber(raw[kTrack]);
  Year = trimmed(raw[kYear]);
  Genre = trimmed(raw[kGenre]);
  if (const size_t close = Genre.rfind(')'); close != std::string::npos) Genre.erase(0, close + 1);
  Comment = afterDescription(raw[kComment], 4);
  Composer = trimmed(raw[kComposer]);
  Encoder = trimmed(raw[kEncoder]);
  Copyright = trimmed(raw[kCopyright]);
  Language = trimmed(raw[kLanguage]);
  Link = afterDescription(raw[kLink], 1);
  return true;
}

}  // namespace lumora::audio
