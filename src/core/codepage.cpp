#include "core/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace lumora::core {

namespace {

// Owns one iconv descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Length of the valid UTF-8 sequence at the start of s, or 0 when it is not valid.
size_t validSequenceLength(std::string_view s) {
  char32_t c;
  return decodeUtf8Sequence(s, 0, c);
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t len = validSequenceLength(bytes);
    if (len == 0) return false;
    bytes.remove_prefix(len);
  }
  return true;
}

size_t utf8PrefixBytes(std::string_view utf8, size_t maxChars) {
  size_t pos = 0;
  for (size_t n = 0; n < maxChars && pos < utf8.size(); ++n) {
    const size_t len = validSequenceLength(utf8.substr(pos));
    pos += len == 0 ? 1 : len;
  }
  return pos;
}

std::string codePageName(int codePage) {
  switch (codePage) {
    case 65001: return "UTF-8";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 12000: return "UTF-32LE";
    case 12001: return "UTF-32BE";
    case 437: case 737: case 775: case 850: case 852: case 855: case 857: case 860: case 861: case 862:
    case 863: case 864: case 865: case 866: case 869: case 874:
      return "CP" + std::to_string(codePage);
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 20932: return "EUC-JP";
    case 50220: case 50221: case 50222: return "ISO-2022-JP";
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 52936: return "HZ-GB-2312";
    case 54936: return "GB18030";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    default: break;
  }
  if (codePage >= 1250 && codePage <= 1258) return "CP" + std::to_string(codePage);
  if (codePage >= 28591 && codePage <= 28606) return "ISO-8859-" + std::to_string(codePage - 28590);
  return {};
}

std::optional<ByteOrderMark> byteOrderMark(std::string_view bytes) {
  // UTF-32LE first: its mark begins with the UTF-16LE one.
  for (const int codePage : {12000, 12001, 65001, 1200, 1201}) {
    const std::string mark = byteOrderMarkBytes(codePage);
    if (bytes.substr(0, mark.size()) == mark) return ByteOrderMark{codePage, mark.size()};
  }
  return std::nullopt;
}

std::string byteOrderMarkBytes(int codePage) {
  switch (codePage) {
    case 65001: return "\xEF\xBB\xBF";
    case 1200: return "\xFF\xFE";
    case 1201: return "\xFE\xFF";
    case 12000: return std::string("\xFF\xFE\0\0", 4);
    case 12001: return std::string("\0\0\xFE\xFF", 4);
    default: return {};
  }
}

std::string toUtf8(std::string_view bytes, int codePage) {
  std::string name = codePageName(codePage);
  if (name.empty()) name = "CP1252";
  if (name == "UTF-8") {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
      const size_t len = validSequenceLength(bytes);
      if (len == 0) {
        appendUtf8(out, 0xFFFD);
        bytes.remove_prefix(1);
      } else {
        out.append(bytes.substr(0, len));
        bytes.remove_prefix(len);
      }
    }
    return out;
  }
  Converter conv("UTF-8", name.c_str());
  if (!conv.ok()) return toUtf8(bytes, 1252);
  // A bad unit of UTF-16 or UTF-32 is skipped whole, so the units after it keep their alignment.
  const size_t unit = codePage == 1200 || codePage == 1201 ? 2 : codePage == 12000 || codePage == 12001 ? 4 : 1;
  std::string out;
  out.reserve(bytes.size() * 2);
  std::vector<char> buffer(4096);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t rc = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An undecodable or truncated sequence: mark it and go on with the next byte.
      appendUtf8(out, 0xFFFD);
      const size_t skip = std::min(unit, inLeft);
      in += skip;
      inLeft -= skip;
      iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8, int codePage) {
  const std::string name = codePageName(codePage);
  if (name.empty()) return std::nullopt;
  if (name == "UTF-8") {
    if (!isValidUtf8(utf8)) return std::nullopt;
    return std::string(utf8);
  }
  Converter conv(name.c_str(), "UTF-8");
  if (!conv.ok()) return std::nullopt;
  std::string out;
  out.reserve(utf8.size());
  std::vector<char> buffer(4096);
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  while (true) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t rc = iconv(conv.get(), inLeft > 0 ? &in : nullptr, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      return std::nullopt;
    }
    if (inLeft == 0) {
      // Flush any shift state of stateful encodings.
      outPtr = buffer.data();
      outLeft = buffer.size();
      iconv(conv.get(), nullptr, nullptr, &outPtr, &outLeft);
      out.append(buffer.data(), buffer.size() - outLeft);
      return out;
    }
  }
}

TUnicodeBom unicodeBomOf(std::string_view b) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
  // UTF-32 LE starts like UTF-16 LE: test it first.
  if (b.size() >= 4 && at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0) return {TUnicodeForm::Utf32LE, 4};
  if (b.size() >= 4 && at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF) return {TUnicodeForm::Utf32BE, 4};
  if (b.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) return {TUnicodeForm::Utf16LE, 2};
  if (b.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) return {TUnicodeForm::Utf16BE, 2};
  return {};
}

std::string utf8FromUnicode(std::string_view b, TUnicodeForm Form) {
  const auto at = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[i])); };
  std::string out;
  out.reserve(b.size());
  if (Form == TUnicodeForm::Utf32LE || Form == TUnicodeForm::Utf32BE) {
    const bool le = Form == TUnicodeForm::Utf32LE;
    for (size_t i = 0; i + 4 <= b.size(); i += 4) {
      const uint32_t c = le ? at(i) | at(i + 1) << 8 | at(i + 2) << 16 | at(i + 3) << 24
                            : at(i + 3) | at(i + 2) << 8 | at(i + 1) << 16 | at(i) << 24;
      appendUtf8(out, c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : static_cast<char32_t>(c));
    }
    return out;
  }
  if (Form != TUnicodeForm::Utf16LE && Form != TUnicodeForm::Utf16BE) return std::string(b);
  const bool le = Form == TUnicodeForm::Utf16LE;
  const auto unit = [&](size_t i) { return le ? at(i) | at(i + 1) << 8 : at(i) << 8 | at(i + 1); };
  for (size_t i = 0; i + 2 <= b.size(); i += 2) {
    const uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 4 <= b.size()) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, static_cast<char32_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
        i += 2;
        continue;
      }
    }
    appendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : static_cast<char32_t>(u));
  }
  return out;
}

std::string unicodeFromUtf8(std::string_view utf8, TUnicodeForm Form) {
  std::string out;
  const auto put = [&](uint32_t v, int bytes, bool le) {
    for (int k = 0; k < bytes; ++k) {
      const int shift = le ? 8 * k : 8 * (bytes - 1 - k);
      out += static_cast<char>((v >> shift) & 0xFF);
    }
  };
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    size_t n = decodeUtf8Sequence(utf8, i, c);
    if (n == 0) c = 0xFFFD, n = 1;
    i += n;
    switch (Form) {
      case TUnicodeForm::Utf32LE: put(c, 4, true); break;
      case TUnicodeForm::Utf32BE: put(c, 4, false); break;
      case TUnicodeForm::Utf16LE:
      case TUnicodeForm::Utf16BE: {
        const bool le = Form == TUnicodeForm::Utf16LE;
        if (c >= 0x10000) {
          put(0xD800 + ((c - 0x10000) >> 10), 2, le);
          put(0xDC00 + ((c - 0x10000) & 0x3FF), 2, le);
        } else {
          put(c, 2, le);
        }
        break;
      }
      case TUnicodeForm::None: appendUtf8(out, c); break;
    }
  }
  return out;
}

}  // namespace lumora::core
