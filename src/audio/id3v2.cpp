#include "audio/id3v2.h"

#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "core/codepage.h"

namespace lumora::audio {

namespace {

constexpr std::array<const char*, 12> kFrameIds = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON",
                                                   "COMM", "TCOM", "TENC", "TCOP", "TLAN", "WXXX"};
enum Slot { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder, kCopyright,
            kLanguage, kLink };

// Header flags.
constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kTagExtendedHeader = 0x40;

// The text encodings a frame declares in its first byte.
constexpr uint8_t kLatin1 = 0;    // read as the program reads any 8-bit text (UTF-8, else the legacy code page)
constexpr uint8_t kUtf16 = 1;     // with a byte-order mark
constexpr uint8_t kUtf16Be = 2;
constexpr uint8_t kUtf8 = 3;

std::string trimmed(std::string_view s) {
  size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  return std::string(s.substr(begin, end - begin));
}

uint32_t bigEndian32(const unsigned char* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}

// Seven bits per byte, so that no size holds a false sync pattern.
uint32_t syncsafe32(const unsigned char* b) {
  return (uint32_t{b[0] & 0x7Fu} << 21) | (uint32_t{b[1] & 0x7Fu} << 14) | (uint32_t{b[2] & 0x7Fu} << 7) |
         uint32_t{b[3] & 0x7Fu};
}

// A version 4 frame size is syncsafe; writers that ignored that rule set high bits, and their size is read
// as a plain number.
uint32_t frameSizeV4(const unsigned char* b) {
  return ((b[0] | b[1] | b[2] | b[3]) & 0x80) != 0 ? bigEndian32(b) : syncsafe32(b);
}

// Drops the zero byte that unsynchronisation puts after every 0xFF. `afterFF` carries a 0xFF that ended
// the previous piece.
void resynchronise(std::string_view raw, std::string& out, bool& afterFF) {
  for (char c : raw) {
    const auto b = static_cast<unsigned char>(c);
    if (!(afterFF && b == 0)) out += c;
    afterFF = b == 0xFF;
  }
}

// The tag read front to back from `begin`, optionally undoing unsynchronisation as it goes. Every raw byte
// gives at most one byte of content, so asking for as many raw bytes as are missing never overshoots, and
// position() is always the raw position of the next unread byte.
class TagReader {
 public:
  TagReader(ByteSource& source, uint64_t begin, bool unsynchronised)
      : source_(source), position_(begin), unsync_(unsynchronised) {}

  uint64_t position() const { return position_; }

  bool read(std::string& out, size_t n) {
    out.clear();
    if (!unsync_) {
      if (n > remaining()) return false;
      out.resize(n);
      if (n > 0 && !source_.readAt(position_, out.data(), n)) return false;
      position_ += n;
      return true;
    }
    std::string raw;
    while (out.size() < n) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(n - out.size(), remaining()));
      if (want == 0) return false;
      raw.resize(want);
      if (!source_.readAt(position_, raw.data(), want)) return false;
      position_ += want;
      resynchronise(raw, out, afterFF_);
    }
    return true;
  }

  bool skip(uint64_t n) {
    if (!unsync_) {
      if (n > remaining()) return false;
      position_ += n;
      return true;
    }
    std::string piece;
    while (n > 0) {
      if (!read(piece, static_cast<size_t>(std::min<uint64_t>(n, 1 << 16)))) return false;
      n -= piece.size();
    }
    return true;
  }

 private:
  uint64_t remaining() const { return source_.size() - std::min(source_.size(), position_); }

  ByteSource& source_;
  uint64_t position_;
  bool unsync_;
  bool afterFF_ = false;
};

// The bytes of a frame that are looked at, and whether the frame went on beyond them.
struct FrameText {
  std::string bytes;
  bool cut = false;
};

bool isUtf16(uint8_t encoding) { return encoding == kUtf16 || encoding == kUtf16Be; }

// Text split at the first terminator of its encoding (a zero byte, or a zero 16-bit unit).
struct SplitText {
  std::string_view value;                 // before the terminator, or all of it without one
  std::optional<std::string_view> rest;  // after the terminator
};

SplitText splitAtTerminator(std::string_view text, uint8_t encoding) {
  if (isUtf16(encoding)) {
    for (size_t i = 0; i + 1 < text.size(); i += 2)
      if (text[i] == '\0' && text[i + 1] == '\0') return {text.substr(0, i), text.substr(i + 2)};
    return {text, std::nullopt};
  }
  const size_t zero = text.find('\0');
  if (zero == std::string_view::npos) return {text, std::nullopt};
  return {text.substr(0, zero), text.substr(zero + 1)};
}

// `cut`: the bytes end where the text was cut short, so a pair it split is dropped.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian, bool cut) {
  std::string out;
  auto unit = [&](size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        core::appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (cut && u >= 0xD800 && u <= 0xDBFF && i + 3 >= bytes.size()) break;
    core::appendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? char32_t{0xFFFD} : u);
  }
  return out;
}

// Without the start of a UTF-8 sequence that the end of the bytes cut short.
std::string_view withoutCutSequence(std::string_view bytes) {
  for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? bytes.substr(0, bytes.size() - back) : bytes;
  }
  return bytes;
}

// One value (up to its terminator) of text in the given encoding, as UTF-8. `cut` says the text was cut
// short at the end, so a character it split is dropped rather than shown broken.
std::string decodeValue(std::string_view text, uint8_t encoding, bool cut) {
  const SplitText split = splitAtTerminator(text, encoding);
  const std::string_view value = split.value;
  cut = cut && !split.rest;  // a value that ended before the cut is whole
  switch (encoding) {
    case kUtf16:
      if (value.size() >= 2 && static_cast<unsigned char>(value[0]) == 0xFE &&
          static_cast<unsigned char>(value[1]) == 0xFF)
        return utf16ToUtf8(value.substr(2), true, cut);
      if (value.size() >= 2 && static_cast<unsigned char>(value[0]) == 0xFF &&
          static_cast<unsigned char>(value[1]) == 0xFE)
        return utf16ToUtf8(value.substr(2), false, cut);
      return utf16ToUtf8(value, false, cut);  // no mark: the order Windows writes
    case kUtf16Be: return utf16ToUtf8(value, true, cut);
    case kUtf8: return core::toUtf8(cut ? withoutCutSequence(value) : value, 65001);
    default: {
      if (core::isValidUtf8(value)) return std::string(value);
      if (cut && core::isValidUtf8(withoutCutSequence(value))) return std::string(withoutCutSequence(value));
      return core::toUtf8(value, core::kDefaultLegacyCodePage);
    }
  }
}

// A text frame's value: the encoding byte, then the text. A first byte that names no encoding is taken as
// text in the 8-bit encoding.
std::string textFrameValue(const FrameText& frame) {
  std::string_view bytes = frame.bytes;
  if (bytes.empty()) return {};
  const auto encoding = static_cast<uint8_t>(bytes[0]);
  if (encoding > kUtf8) return decodeValue(bytes, kLatin1, frame.cut);
  return decodeValue(bytes.substr(1), encoding, frame.cut);
}

// COMM and WXXX: the encoding byte, `skip` more bytes (COMM's language), a description ended by a
// terminator, then the value. Without a terminator everything after the skipped bytes is the value.
std::string afterDescription(const FrameText& frame, size_t skip, bool valueIsLatin1) {
  std::string_view bytes = frame.bytes;
  if (bytes.empty()) return {};
  auto encoding = static_cast<uint8_t>(bytes[0]);
  if (encoding > kUtf8) encoding = kLatin1;
  bytes.remove_prefix(std::min(bytes.size(), 1 + skip));
  const SplitText split = splitAtTerminator(bytes, encoding);
  // A link is always 8-bit text, whatever encoding its description has.
  return decodeValue(split.rest.value_or(split.value), valueIsLatin1 ? kLatin1 : encoding, frame.cut);
}

int32_t trackNumber(std::string_view text) {
  std::string t = trimmed(text);
  const size_t slash = t.find('/');
  if (slash != std::string::npos) t.resize(slash);
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (first != last && *first == '+') ++first;  // a plus sign is a valid integer's sign too
  int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last && first != last ? value : 0;
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
  if ((MajorVersion != 3 && MajorVersion != 4) || TagSize <= 0) return true;
  const bool v4 = MajorVersion == 4;
  const bool tagUnsynchronised = (header[5] & kTagUnsynchronised) != 0;

  // Version 3 unsynchronises the whole tag; version 4 each frame by itself.
  TagReader tag(source, 10, tagUnsynchronised && !v4);
  std::string bytes;
  if ((header[5] & kTagExtendedHeader) != 0) {
    // Its size counts itself in version 4, not in version 3.
    if (!tag.read(bytes, 4)) return true;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const uint32_t extended = v4 ? syncsafe32(b) : bigEndian32(b);
    if ((v4 && extended < 4) || !tag.skip(v4 ? extended - 4 : extended)) return true;
  }

  std::array<FrameText, kFrameIds.size()> raw;
  while (tag.position() < static_cast<uint64_t>(TagSize) && tag.position() < fileSize) {
    if (!tag.read(bytes, 10)) break;
    const auto* frame = reinterpret_cast<const unsigned char*>(bytes.data());
    if (frame[0] < 'A' || frame[0] > 'Z') break;  // padding or garbage
    const uint32_t frameSize = v4 ? frameSizeV4(frame + 4) : bigEndian32(frame + 4);
    if (frameSize >= 0x80000000u) break;
    if (frameSize > fileSize - std::min(fileSize, tag.position())) break;  // leads past the end of the file
    const std::string_view id(reinterpret_cast<const char*>(frame), 4);
    const uint8_t format = frame[9];
    // What comes before the frame's text (a group byte, a data length), and frames whose data cannot be
    // read as it is (compressed or encrypted).
    size_t prefix = 0;
    bool readable = true;
    bool unsynchronised = false;
    if (v4) {
      prefix = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
      readable = (format & 0x0C) == 0;
      unsynchronised = tagUnsynchronised || (format & 0x02) != 0;
    } else {
      prefix = (format & 0x20) ? 1 : 0;
      readable = (format & 0xC0) == 0;
    }
    size_t slot = kFrameIds.size();
    for (size_t i = 0; i < kFrameIds.size(); ++i)
      if (id == kFrameIds[i]) slot = i;
    if (v4 && id == "TDRC") slot = kYear;  // version 4 keeps the year in the recording time
    if (slot == kFrameIds.size() || !readable || frameSize < prefix) {
      if (!tag.skip(frameSize)) break;
      continue;
    }
    if (!tag.skip(prefix)) break;
    const uint64_t dataSize = frameSize - prefix;
    // Unsynchronised data may take two stored bytes for one.
    const size_t take = static_cast<size_t>(std::min<uint64_t>(dataSize, unsynchronised ? 2 * kFrameTextSize : kFrameTextSize));
    FrameText text;
    if (!tag.read(bytes, take) || !tag.skip(dataSize - take)) break;
    if (unsynchronised) {
      bool afterFF = false;
      resynchronise(bytes, text.bytes, afterFF);
    } else {
      text.bytes = bytes;
    }
    text.cut = dataSize > take || text.bytes.size() > kFrameTextSize;
    if (text.bytes.size() > kFrameTextSize) text.bytes.resize(kFrameTextSize);
    raw[slot] = std::move(text);  // a later frame replaces an earlier one
  }

  Title = trimmed(textFrameValue(raw[kTitle]));
  Artist = trimmed(textFrameValue(raw[kArtist]));
  Album = trimmed(textFrameValue(raw[kAlbum]));
  TrackNumber = trackNumber(textFrameValue(raw[kTrack]));
  Year = trimmed(textFrameValue(raw[kYear]));
  Genre = trimmed(textFrameValue(raw[kGenre]));
  if (const size_t close = Genre.rfind(')'); close != std::string::npos) Genre.erase(0, close + 1);
  Comment = trimmed(afterDescription(raw[kComment], 3, false));
  Composer = trimmed(textFrameValue(raw[kComposer]));
  Encoder = trimmed(textFrameValue(raw[kEncoder]));
  Copyright = trimmed(textFrameValue(raw[kCopyright]));
  Language = trimmed(textFrameValue(raw[kLanguage]));
  Link = trimmed(afterDescription(raw[kLink], 0, true));
  return true;
}

}  // namespace lumora::audio
