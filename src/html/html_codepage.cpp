#include "html/html_codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "core/codepage.h"

namespace lumora::html {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

constexpr CharSetName kCharSetNames[] = {
    {"1252", 0, 0, false},       {"8859-1", 0, 0, false},     {"1253", 161, 0, false},
    {"8859-7", 161, 28597, false}, {"1250", 238, 0, false},   {"8859-2", 31, 0, false},
    {"1251", 204, 0, false},     {"8859-5", 204, 28595, false}, {"koi", 204, 20866, false},
    {"866", 204, 866, false},    {"1254", 162, 0, false},     {"8859-3", 162, 28593, false},
    {"8859-9", 162, 28599, false}, {"1257", 186, 0, false},   {"8859-4", 186, 28594, false},
    {"932", 128, 0, false},      {"949", 129, 0, false},      {"936", 134, 0, false},
    {"950", 136, 0, false},      {"1255", 177, 0, false},     {"1256", 178, 0, false},
    {"1258", 163, 0, false},     {"874", 222, 0, false},      {"ansi", 0, 0, false},
    {"default", 1, 0, false},    {"symbol", 2, 0, false},     {"shiftjis", 128, 0, false},
    {"shift_jis", 128, 0, false}, {"x-sjis", 128, 0, false},  {"hangeul", 129, 0, false},
    {"gb2312", 134, 0, false},   {"big5", 136, 0, false},     {"oem", 255, 0, false},
    {"johab", 130, 0, false},    {"hebrew", 177, 0, false},   {"arabic", 178, 0, false},
    {"greek", 161, 0, false},    {"turkish", 162, 0, false},  {"vietnamese", 163, 0, false},
    {"thai", 222, 0, false},     {"easteurope", 238, 0, false}, {"russian", 204, 0, false},
    {"euc-kr", 129, 0, false},   {"5601", 129, 0, false},     {"euc-jp", 128, 0, true},
    {"8859-15", 0, 0, false}, {"tis-620", 222, 0, false},
};
static_assert(std::size(kCharSetNames) == 47);

// iconv name of a code page this module can decode byte by byte (stateless, at most two bytes a character).
std::string iconvName(int codePage) {
  if (codePage == 1361) return "JOHAB";
  const std::string name = core::codePageName(codePage);
  if (name.empty() || name == "UTF-8" || name.rfind("UTF-16", 0) == 0 || name == "ISO-2022-JP" ||
      name == "HZ-GB-2312" || name == "GB18030" || name == "EUC-JP") {
    return {};
  }
  return name;
}

// Decoding and encoding tables of one code page, built once through iconv.
struct CodePageTable {
  std::array<char16_t, 256> single{};
  std::array<bool, 256> lead{};
  std::vector<char16_t> pairs;  // (lead << 8 | trail), only when the code page has lead bytes
  bool hasLeads = false;

  std::once_flag reverseOnce;
  std::unordered_map<char16_t, uint16_t> reverse;  // character -> byte or (lead << 8 | trail)

  const std::unordered_map<char16_t, uint16_t>& encoder() {
    std::call_once(reverseOnce, [this] {
      for (int b = 0; b < 256; ++b) {
        if (!lead[b] && single[b] != kReplacement) reverse.emplace(single[b], static_cast<uint16_t>(b));
      }
      for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i] != kReplacement) reverse.emplace(pairs[i], static_cast<uint16_t>(i));
      }
    });
    return reverse;
  }
};

class Iconv {
 public:
  explicit Iconv(const std::string& from) : cd_(iconv_open("UTF-16LE", from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // One character from exactly these bytes: the character, 0 when the bytes are an incomplete sequence,
  // or U+FFFD when they are invalid or decode to anything but one 16-bit character.
  char16_t convert(const char* bytes, size_t size, bool& incomplete) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[16];
    char* in = const_cast<char*>(bytes);
    size_t inLeft = size;
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    incomplete = false;
    const size_t rc = iconv(cd_, &in, &inLeft, &out, &outLeft);
    if (rc == static_cast<size_t>(-1)) {
      incomplete = errno == EINVAL;
      return kReplacement;
    }
    // Flush characters held back for composition (Windows-1258).
    iconv(cd_, nullptr, nullptr, &out, &outLeft);
    if (sizeof buffer - outLeft != 2) return kReplacement;
    return static_cast<char16_t>(static_cast<unsigned char>(buffer[0]) |
                                 (static_cast<unsigned char>(buffer[1]) << 8));
  }

 private:
  iconv_t cd_;
};

std::unique_ptr<CodePageTable> buildTable(int codePage) {
  const std::string name = iconvName(codePage);
  if (name.empty()) return nullptr;
  Iconv conv(name);
  if (!conv.ok()) return nullptr;
  auto table = std::make_unique<CodePageTable>();
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    bool incomplete = false;
    table->single[b] = b == 0 ? u'\0' : conv.convert(&byte, 1, incomplete);
    table->lead[b] = incomplete;
    table->hasLeads = table->hasLeads || incomplete;
  }
  if (table->hasLeads) {
    table->pairs.assign(65536, kReplacement);
    for (int l = 0; l < 256; ++l) {
      if (!table->lead[l]) continue;
      for (int t = 1; t < 256; ++t) {
        const char pair[2] = {static_cast<char>(l), static_cast<char>(t)};
        bool incomplete = false;
        table->pairs[(l << 8) | t] = conv.convert(pair, 2, incomplete);
      }
    }
  }
  return table;
}

CodePageTable* tableFor(int codePage) {
  // The last table used on this thread, so the hot path takes no lock.
  thread_local int cachedCodePage = -1;
  thread_local CodePageTable* cachedTable = nullptr;
  if (codePage == cachedCodePage) return cachedTable;
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<CodePageTable>> tables;
  std::lock_guard lock(mutex);
  auto it = tables.find(codePage);
  if (it == tables.end()) it = tables.emplace(codePage, buildTable(codePage)).first;
  cachedCodePage = codePage;
  cachedTable = it->second.get();
  return cachedTable;
}

void appendUtf8Wide(std::string_view bytes, std::u16string& out, const int* positions,
                    std::vector<int>* outPositions) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const int pos = positions ? positions[i] : 0;
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      if (positions) outPositions->push_back(pos);
      ++i;
      continue;
    }
    char32_t c = 0;
    const size_t len = core::decodeUtf8Sequence(bytes, i, c);
    if (len == 0) {
      out += kReplacement;
      if (positions) outPositions->push_back(pos);
      ++i;
    } else if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 | (c >> 10));
      out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
      if (positions) outPositions->insert(outPositions->end(), 2, pos);
      i += len;
    } else {
      out += static_cast<char16_t>(c);
      if (positions) outPositions->push_back(pos);
      i += len;
    }
  }
}

// The JIS X 0208 row/cell pair (both 33..126) as its two Shift_JIS bytes.
void jisPairToShiftJis(unsigned j1, unsigned j2, char& s1, char& s2) {
  const unsigned first = ((j1 + 1) / 2) + ((j1 >= 33 && j1 <= 94) ? 112 : 176);
  const unsigned second = (j1 & 1) ? j2 + 31 + (j2 >= 96 ? 1 : 0) : j2 + 126;
  s1 = static_cast<char>(first & 0xFF);
  s2 = static_cast<char>(second & 0xFF);
}

}  // namespace

int documentDefaultCodePage(std::string_view bytes) {
  return core::isValidUtf8(bytes) ? kUtf8CodePage : kLegacyDocumentCodePage;
}

std::span<const CharSetName> charSetNames() { return kCharSetNames; }

std::optional<CharSetName> findCharSet(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const CharSetName& entry : kCharSetNames) {
    if (lower.find(entry.Name) != std::string::npos) return entry;
  }
  return std::nullopt;
}

CharSetCodePage charSetToCodePage(int charSet, int previousCodePage, int systemCodePage) {
  switch (charSet) {
    case 0: return {0, 1252};
    case 1: return {1, systemCodePage};
    case 2: return {2, systemCodePage};
    case 31: return {kEastEuropeCharSet, 28592};
    case 77: return {77, kMacCodePage};
    case 128: return {128, 932};
    case 129: return {129, 949};
    case 130: return {130, 1361};
    case 134: return {134, 936};
    case 136: return {136, 950};
    case 161: return {161, 1253};
    case 162: return {162, 1254};
    case 163: return {163, 1258};
    case 177: return {177, 1255};
    case 178: return {178, 1256};
    case 186: return {186, 1257};
    case 204: return {204, 1251};
    case 222: return {222, 874};
    case 238: return {238, 1250};
    case 255: return {255, kOemCodePage};
    default: return {charSet, previousCodePage};
  }
}

CharSetCodePage charSetNameToCodePage(const CharSetName& name, int previousCodePage, int systemCodePage) {
  CharSetCodePage result = charSetToCodePage(name.CharSet, previousCodePage, systemCodePage);
  if (name.CodePage != 0) result.CodePage = name.CodePage;
  return result;
}

bool isSupportedCodePage(int codePage) { return codePage == kUtf8CodePage || tableFor(codePage) != nullptr; }

void appendWide(std::string_view bytes, int codePage, std::u16string& out, const int* positions,
                std::vector<int>* outPositions) {
  if (positions && outPositions == nullptr) positions = nullptr;
  if (codePage != kUtf8CodePage && tableFor(codePage) == nullptr) codePage = kSystemCodePage;
  if (codePage == kUtf8CodePage) {
    appendUtf8Wide(bytes, out, positions, outPositions);
    return;
  }
  const CodePageTable& table = *tableFor(codePage);
  if (!table.hasLeads) {
    const size_t start = out.size();
    out.resize(start + bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) out[start + i] = table.single[static_cast<unsigned char>(bytes[i])];
    if (positions) outPositions->insert(outPositions->end(), positions, positions + bytes.size());
    return;
  }
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (positions) outPositions->push_back(positions[i]);
    if (table.lead[b] && i + 1 < bytes.size()) {
      const char16_t c = table.pairs[(b << 8) | static_cast<unsigned char>(bytes[i + 1])];
      if (c != kReplacement) {
        out += c;
        i += 2;
        continue;
      }
    }
    // A single byte, or a lead byte without a valid trail byte (which is then read on its own).
    out += table.lead[b] ? kReplacement : table.single[b];
    ++i;
  }
}

DirectDecoder directDecoderFor(int codePage) {
  static constexpr std::array<char16_t, 256> kIdentity = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<char16_t>(b);
    return t;
  }();
  if (codePage != kUtf8CodePage) {
    if (const CodePageTable* table = tableFor(codePage)) {
      if (!table->hasLeads) return {table->single.data(), false, false};
      return {kIdentity.data(), true, false};
    }
  }
  // UTF-8, and unknown code pages, which are read as UTF-8.
  return {kIdentity.data(), true, true};
}

std::u16string toWide(std::string_view bytes, int codePage) {
  std::u16string out;
  appendWide(bytes, codePage, out);
  return out;
}

std::string wideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    core::appendUtf8(out, c);
  }
  return out;
}

std::string wideToMultiByte(std::u16string_view text, int codePage) {
  if (codePage != kUtf8CodePage && tableFor(codePage) == nullptr) codePage = kSystemCodePage;
  if (codePage == kUtf8CodePage) return wideToUtf8(text);
  const auto& encoder = tableFor(codePage)->encoder();
  std::string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    const auto it = encoder.find(c);
    if (it == encoder.end()) {
      out += '?';
    } else if (it->second > 0xFF) {
      out += static_cast<char>(it->second >> 8);
      out += static_cast<char>(it->second & 0xFF);
    } else {
      out += static_cast<char>(it->second);
    }
  }
  return out;
}

size_t charLength(std::string_view bytes, int codePage) {
  if (bytes.empty() || bytes[0] == '\0') return 0;
  const auto b = static_cast<unsigned char>(bytes[0]);
  size_t len = 1;
  if (codePage == kUtf8CodePage) {
    if (b >= 0xC0 && b <= 0xDF) len = 2;
    else if (b >= 0xE0 && b <= 0xEF) len = 3;
    else if (b >= 0xF0 && b <= 0xF7) len = 4;
  } else if (const CodePageTable* table = tableFor(codePage); table && table->lead[b]) {
    len = 2;
  }
  return std::min(len, bytes.size());
}

bool isJisEncoded(std::string_view text) {
  const size_t a = text.find("\x1b$@");
  const size_t b = text.find("\x1b$B");
  if (a == std::string_view::npos && b == std::string_view::npos) return false;
  size_t later = a == std::string_view::npos ? b : (b == std::string_view::npos ? a : std::max(a, b));
  return text.find("\x1b(J", later) != std::string_view::npos || text.find("\x1b(B", later) != std::string_view::npos;
}

std::string jisToShiftJis(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool doubleByte = false;
  int pending = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned b = static_cast<unsigned char>(text[i]) & 0x7F;
    if (b == 0x1B && i + 2 < text.size()) {
      const unsigned b1 = static_cast<unsigned char>(text[i + 1]) & 0x7F;
      const unsigned b2 = static_cast<unsigned char>(text[i + 2]) & 0x7F;
      if (b1 == '(' && (b2 == 'B' || b2 == 'J')) {
        doubleByte = false, pending = -1, i += 2;
        continue;
      }
      if (b1 == '$' && (b2 == '@' || b2 == 'B')) {
        doubleByte = true, pending = -1, i += 2;
        continue;
      }
    }
    if (!doubleByte) {
      out += static_cast<char>(b);
    } else if (b < 0x21) {
      // Line ends and controls keep their place even where a writer forgot to switch back.
      out += static_cast<char>(b);
      pending = -1;
    } else if (pending < 0) {
      pending = static_cast<int>(b);
    } else {
      char s1, s2;
      jisPairToShiftJis(static_cast<unsigned>(pending), b, s1, s2);
      out += s1;
      out += s2;
      pending = -1;
    }
  }
  return out;
}

void eucJpToShiftJis(std::string& text, size_t from) {
  size_t pending = std::string::npos;
  for (size_t i = from; i < text.size(); ++i) {
    const unsigned b = static_cast<unsigned char>(text[i]);
    if (b <= 160) {
      pending = std::string::npos;
    } else if (pending == std::string::npos) {
      pending = i;
    } else {
      jisPairToShiftJis(static_cast<unsigned char>(text[pending]) & 0x7F, b & 0x7F, text[pending], text[i]);
      pending = std::string::npos;
    }
  }
}

}  // namespace lumora::html
