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

}  // namespace lumora::core
