#pragma once
// Document bytes to 16-bit characters and back, by Windows code page number, and the character-set
// names of META and FONT declarations. Conversions never fail: bytes a code page cannot decode become
// U+FFFD, characters it cannot encode become "?".

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::html {

inline constexpr int kUtf8CodePage = 65001;
// The platform's own 8-bit code page (what Windows calls the ANSI code page) is UTF-8 here.
inline constexpr int kSystemCodePage = kUtf8CodePage;
// What publications written for Russian Windows meant by the OEM and Macintosh code pages.
inline constexpr int kOemCodePage = 866;
inline constexpr int kMacCodePage = 10000;
// Code page of documents that declare nothing and are not valid UTF-8 (the program's legacy default).
inline constexpr int kLegacyDocumentCodePage = 1251;

// Character-set numbers with a meaning of their own.
inline constexpr int kAnsiCharSet = 0;
inline constexpr int kDefaultCharSet = 1;
inline constexpr int kShiftJisCharSet = 128;
inline constexpr int kEastEuropeCharSet = 238;
// A table value that stands for East European with ISO-8859-2 instead of Windows-1250.
inline constexpr int kIso88592CharSet = 31;

// The code page of a document that declares none: UTF-8 when its bytes are valid UTF-8, otherwise the
// legacy code page.
int documentDefaultCodePage(std::string_view bytes);

struct CharSetName {
  std::string_view Name;
  int CharSet;
  // The exact code page when the set number alone would decode the text wrongly (KOI8, ISO-8859-x); 0 when
  // the set number decides.
  int CodePage;
  bool EucJp;  // "euc-jp": the document is converted to Shift_JIS and the set becomes 128
};

// The 47 names in search order.
std::span<const CharSetName> charSetNames();

// The first table name that occurs anywhere in `text` (compared lower-cased).
std::optional<CharSetName> findCharSet(std::string_view text);

struct CharSetCodePage {
  int CharSet;
  int CodePage;
};

// The set and code page stored when a character set is applied; a set without a code page of its own
// keeps `previousCodePage`. `systemCodePage` is what the default and symbol sets mean.
CharSetCodePage charSetToCodePage(int charSet, int previousCodePage, int systemCodePage = kSystemCodePage);

// The set and code page for a name found by findCharSet.
CharSetCodePage charSetNameToCodePage(const CharSetName& name, int previousCodePage,
                                      int systemCodePage = kSystemCodePage);

// True when documents in this code page can be decoded (otherwise conversions use the system code page).
bool isSupportedCodePage(int codePage);

// Appends the characters of `bytes` to `out`. With `positions` (one per byte), each appended character
// also gets the position of its first byte appended to `outPositions`.
void appendWide(std::string_view bytes, int codePage, std::u16string& out, const int* positions = nullptr,
                std::vector<int>* outPositions = nullptr);
std::u16string toWide(std::string_view bytes, int codePage);

// How the lexer may decode single bytes without collecting them first: every byte through `Table` (a
// single-byte code page), or only bytes below 0x80, which stand for themselves (UTF-8, double-byte code
// pages, where a byte below 0x80 can still be the second byte of a pair).
struct DirectDecoder {
  const char16_t* Table;  // 256 entries
  bool AsciiOnly;
  bool Utf8;
};
DirectDecoder directDecoderFor(int codePage);

// Encodes 16-bit text in a code page; characters without a representation become "?".
std::string wideToMultiByte(std::u16string_view text, int codePage);

// UTF-8 of 16-bit text; unpaired surrogates become U+FFFD.
std::string wideToUtf8(std::u16string_view text);

// Bytes of the character at the start of `bytes` (0 for NUL or no bytes).
size_t charLength(std::string_view bytes, int codePage);

// Japanese documents in the 7-bit (ISO-2022-JP) form: detection and conversion to Shift_JIS.
bool isJisEncoded(std::string_view text);
std::string jisToShiftJis(std::string_view text);
// Converts EUC-JP bytes from `from` on to Shift_JIS in place (the length does not change).
void eucJpToShiftJis(std::string& text, size_t from);

}  // namespace lumora::html
