#pragma once
// Conversions between UTF-8 (the program's own text) and the Windows code pages that publications and
// settings files written on the old platform use. Numbers are Windows code page numbers (1251, 1252, 932, ...).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::core {

// The code page used for text files that are not valid UTF-8 when nothing else is known about them.
inline constexpr int kDefaultLegacyCodePage = 1251;

// Length of the valid UTF-8 sequence at bytes[i] (shortest form, no surrogates) and its code point in `c`;
// 0 when the bytes there are not valid UTF-8. Inline: it sits in the lexer's innermost loop.
inline size_t decodeUtf8Sequence(std::string_view bytes, size_t i, char32_t& c) {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, min = 0x80, c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, min = 0x800, c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, min = 0x10000, c = b0 & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() - i < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(bytes[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return len;
}

// True when the bytes form valid UTF-8 (shortest forms only, no surrogates).
bool isValidUtf8(std::string_view bytes);

// The iconv name of a Windows code page number, or an empty string when the number is unknown.
std::string codePageName(int codePage);

// A byte-order mark at the start of a text: the code page it announces (65001 UTF-8, 1200 and 1201 UTF-16
// little- and big-endian, 12000 and 12001 UTF-32 little- and big-endian) and its length in bytes.
struct ByteOrderMark {
  int codePage;
  size_t length;
};
std::optional<ByteOrderMark> byteOrderMark(std::string_view bytes);

// The byte-order mark of one of the code pages above, or an empty string for any other code page.
std::string byteOrderMarkBytes(int codePage);

// Decodes bytes of the given code page to UTF-8. Bytes that cannot be decoded become U+FFFD; an unknown
// code page is treated as Windows-1252. Never throws.
std::string toUtf8(std::string_view bytes, int codePage);

// Encodes UTF-8 text in the given code page; nullopt when some character has no representation there.
std::optional<std::string> fromUtf8(std::string_view utf8, int codePage);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t c);

// Counts the characters (code points) of valid UTF-8 text and returns the byte length of its first
// `maxChars` characters.
size_t utf8PrefixBytes(std::string_view utf8, size_t maxChars);

}  // namespace lumora::core
