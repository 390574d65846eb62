#include "html/html_lexer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>

#include "core/codepage.h"
#include "html/html_entities.h"

namespace lumora::html {

namespace {

constexpr size_t kMaxNulReplaced = 100;
constexpr size_t kMaxTagNameLength = 255;
constexpr size_t kMaxReferenceName = 11;

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isAlpha(c) || isDigit(c); }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int digitValue(char c, bool hex) {
  if (isDigit(c)) return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Bytes a text run takes over as they are: everything but controls, spaces, "<" and "&".
constexpr std::array<bool, 256> kPlainTextByte = [] {
  std::array<bool, 256> t{};
  for (int b = 0x21; b < 256; ++b) t[b] = b != '<' && b != '&';
  return t;
}();

std::string_view trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// Windows-1252 meaning of a byte 127..159 where the document's own code page has none (UTF-8).
char16_t windows1252(char byte) { return toWide(std::string_view(&byte, 1), 1252)[0]; }

}  // namespace

std::optional<int> leadingNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !(isDigit(text[0]) || text[0] == '.')) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end == text.data()) return std::nullopt;
  value = std::nearbyint(negative ? -value : value);
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

THtmlLexer::THtmlLexer() = default;

void THtmlLexer::setDocument(std::string text, int codePage) {
  // A byte-order mark says the text is Unicode. Pages saved as "Unicode" (UTF-16 or UTF-32) are read as the
  // UTF-8 they stand for, before their NUL bytes could be taken for NUL characters; their positions count
  // the UTF-8 bytes. After a UTF-8 mark positions still count the mark's bytes as stored.
  bomBytes_ = 0;
  BomSeen = false;
  if (const auto mark = core::byteOrderMark(text); mark && mark->codePage != kUtf8CodePage) {
    text = core::toUtf8(std::string_view(text).substr(mark->length), mark->codePage);
    BomSeen = true;
  } else if (text.size() > 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text.erase(0, 3);
    BomSeen = true;
    bomBytes_ = 3;
  }
  // NUL characters: the first ones become spaces, after that the document ends.
  size_t nuls = 0;
  for (size_t i = text.find('\0'); i != std::string::npos; i = text.find('\0', i + 1)) {
    if (nuls == kMaxNulReplaced) {
      text.resize(i);
      break;
    }
    text[i] = ' ';
    ++nuls;
  }
  DocCodePage = codePage;
  if (BomSeen) {
    DocCodePage = kUtf8CodePage;
  } else if (isJisEncoded(text)) {
    text = jisToShiftJis(text);
    DocCodePage = charSetToCodePage(kShiftJisCharSet, codePage).CodePage;
  }
  TextCodePage = DocCodePage;
  doc_ = std::move(text);
  eucJpConverted_ = false;
  docPos_ = 0;
  pos_ = bomBytes_ - 1;
  inc_.clear();
  incPos_ = 0;
  incActive_ = false;
}

void THtmlLexer::begin() {
  docPos_ = 0;
  pos_ = bomBytes_ - 1;
  inc_.clear();
  incPos_ = 0;
  incActive_ = false;
  prevRaw_ = 0;
  includes_ = 0;
  InComment = false;
  openComment_ = false;
  Sy = EofSy;
  HeadingLevel = 0;
  Token.Clear();
  Attributes.Clear();
  NextChar();
}

void THtmlLexer::reportProgress() {
  if (OnProgress && !CountingPass) OnProgress(docPos_, doc_.size());
}

char THtmlLexer::readCharSlow() {
  char c;
  for (;;) {
    if (incActive_) {
      if (incPos_ >= inc_.size()) {
        incActive_ = false;
        inc_.clear();
        incPos_ = 0;
        continue;
      }
      c = inc_[incPos_++];
    } else if (docPos_ < doc_.size()) {
      c = doc_[docPos_++];
      ++pos_;
      if ((docPos_ & (kProgressStep - 1)) == 0) reportProgress();
    } else {
      c = '\0';
    }
    // CR LF and LF CR are one line end.
    if ((c == '\n' && prevRaw_ == '\r') || (c == '\r' && prevRaw_ == '\n')) {
      prevRaw_ = 0;
      continue;
    }
    prevRaw_ = c;
    break;
  }
  if (c == '\n') {
    c = '\r';
  } else if (c == '\t') {
    c = ' ';
  }
  LCh = c;
  LCToken = upper(c);
  LCPos = pos_;
  // The input ends inside a comment: the comment ends here, and the error waits for the next token so that
  // the token being read (text or a tag before the comment) is still delivered.
  if (c == '\0' && InComment) openComment_ = true;
  return c;
}

char THtmlLexer::peekRaw() const {
  if (incActive_ && incPos_ < inc_.size()) return inc_[incPos_];
  return docPos_ < doc_.size() ? doc_[docPos_] : '\0';
}

// At "<": removes any comments, declarations and server blocks that start here, leaving the character
// after them current.
void THtmlLexer::removeMarkupAtLt() {
  while (LCh == '<' && !PlainText) {
    const char next = peekRaw();
    if (next == '!') {
      skipDeclaration();
    } else if (next == '%') {
      skipServerBlock();
    } else {
      break;
    }
    ReadChar();
  }
}

void THtmlLexer::SkipBlanks() {
  while (LCh == ' ' || LCh == '\r') NextChar();
}

// At "<" before "!": a comment, an include directive or a declaration such as DOCTYPE; ends on its ">".
void THtmlLexer::skipDeclaration() {
  InComment = true;
  ReadChar();  // "!"
  ReadChar();
  if (LCh == '-') {
    ReadChar();
    if (LCh == '-') {
      ReadChar();
      if (LCh == '#' && OnInclude && includes_ < MaxIncludes) {
        readInclude();
      } else {
        skipCommentBody();
      }
      InComment = false;
      return;
    }
  }
  while (LCh != '>' && LCh != '\0') ReadChar();
  InComment = false;
}

// Reads up to the end of a comment: two or more "-", optional blanks, an optional "!", then ">".
void THtmlLexer::skipCommentBody() {
  for (;;) {
    if (LCh != '-') {
      if (LCh == '\0') return;
      ReadChar();
      continue;
    }
    int dashes = 0;
    while (LCh == '-') {
      ++dashes;
      ReadChar();
    }
    if (dashes < 2) continue;
    while (LCh == ' ' || LCh == '\r') ReadChar();
    if (LCh == '!') ReadChar();
    if (LCh == '>') return;
  }
}

void THtmlLexer::skipServerBlock() {
  ReadChar();  // "%"
  for (;;) {
    ReadChar();
    if (LCh == '\0') return;
    if (LCh == '%' && peekRaw() == '>') {
      ReadChar();
      return;
    }
  }
}

// At "#" of <!--#command name=value ...-->.
void THtmlLexer::readInclude() {
  ++includes_;
  ReadChar();
  std::string command;
  while (isAlnum(LCh) || LCh == '_') {
    command += LCh;
    ReadChar();
  }
  std::vector<std::string> params;
  for (;;) {
    while (LCh == ' ' || LCh == '\r') ReadChar();
    if (!isAlpha(LCh)) break;
    std::string param;
    while (isAlnum(LCh) || LCh == '_') {
      param += LCh;
      ReadChar();
    }
    param += '=';
    while (LCh == ' ' || LCh == '\r') ReadChar();
    if (LCh == '=') {
      ReadChar();
      while (LCh == ' ' || LCh == '\r') ReadChar();
      if (LCh == '"' || LCh == '\'') {
        const char quote = LCh;
        ReadChar();
        while (LCh != quote && LCh != '\0') {
          if (LCh == '&') {
            DecodeAttributeReference(DocCodePage, param, true);
            continue;
          }
          param += LCh == '\r' ? ' ' : LCh;
          ReadChar();
        }
        ReadChar();
      } else {
        while (LCh != ' ' && LCh != '\r' && LCh != '-' && LCh != '>' && LCh != '\0') {
          param += LCh;
          ReadChar();
        }
      }
    }
    params.push_back(std::move(param));
  }
  skipCommentBody();
  if (openComment_) return;  // never closed: not an include
  std::string included;
  OnInclude(command, params, included);
  if (included.empty()) return;
  // A NUL would end the whole input early.
  for (char& c : included) {
    if (c == '\0') c = ' ';
  }
  if (incActive_) included.append(inc_, incPos_);
  inc_ = std::move(included);
  incPos_ = 0;
  incActive_ = true;
}

void THtmlLexer::NextToken() {
  if (openComment_) throw EParseError(kOpenCommentMessage);
  Token.Clear();
  HeadingLevel = 0;
  if (LCh == '\0') {
    Sy = EofSy;
  } else if (LCh == '<' && !PlainText) {
    readTag();
  } else {
    if (static_cast<unsigned char>(LCh) < 9) LCh = '?';
    readText(false);
  }
}

void THtmlLexer::nextPreformattedText() {
  if (openComment_) throw EParseError(kOpenCommentMessage);
  Token.Clear();
  HeadingLevel = 0;
  Sy = TextSy;
  textCodePage_ = TextCodePage;
  direct_ = directDecoderFor(textCodePage_);
  pending_.Clear();
  for (;;) {
    const char c = LCh;
    if ((c == '<' && !PlainText) || c == '\r' || static_cast<unsigned char>(c) < 9) break;
    if (c == '&' && !PlainText) {
      DecodeTextReference(textCodePage_);
      continue;
    }
    if (!CountingPass) addTextByte(c, LCPos);
    NextChar();
  }
  flushPending(textCodePage_);
}

void THtmlLexer::flushPending(int codePage) {
  if (pending_.count() == 0) return;
  Token.addString(pending_, codePage);
  pending_.Clear();
}

// One byte of the current text run: decoded at once where the code page allows, else collected.
void THtmlLexer::addTextByte(char c, int pos) {
  const auto b = static_cast<unsigned char>(c);
  if (!direct_.AsciiOnly) {
    Token.addUnicodeChar(direct_.Table[b], pos);
  } else if (b < 0x80 && (direct_.Utf8 || pending_.count() == 0)) {
    flushPending(textCodePage_);
    Token.addUnicodeChar(static_cast<char16_t>(b), pos);
  } else {
    pending_.add(c, pos);
  }
}

// A run of ordinary bytes of the current text run, as addTextByte would take them one by one.
void THtmlLexer::addTextRun(const unsigned char* bytes, size_t count, int firstPos) {
  if (!direct_.AsciiOnly) {
    Token.addDecodedRun(bytes, count, firstPos, direct_.Table);
    return;
  }
  size_t i = 0;
  while (i < count) {
    size_t j = i + 1;
    if (bytes[i] < 0x80 && (direct_.Utf8 || pending_.count() == 0)) {
      while (j < count && bytes[j] < 0x80) ++j;
      flushPending(textCodePage_);
      Token.addDecodedRun(bytes + i, j - i, firstPos + static_cast<int>(i), direct_.Table);
    } else {
      // Bytes of multi-byte characters; in a double-byte code page everything after them waits as well.
      while (j < count && (bytes[j] >= 0x80 || !direct_.Utf8)) ++j;
      pending_.addRun(std::string_view(reinterpret_cast<const char*>(bytes) + i, j - i),
                      firstPos + static_cast<int>(i));
    }
    i = j;
  }
}

void THtmlLexer::readText(bool literalLt) {
  Sy = TextSy;
  textCodePage_ = TextCodePage;
  direct_ = directDecoderFor(textCodePage_);
  pending_.Clear();
  const bool collect = !CountingPass;
  if (literalLt && collect) addTextByte('<', TagPos);
  // Inside a run of spaces, tabs and line ends, which becomes one space at the run's first position.
  bool spaceRun = false;
  for (;;) {
    const char c = LCh;
    if ((c == '<' && !PlainText) || static_cast<unsigned char>(c) < 9) break;
    if (c == ' ' || c == '\r') {
      if (!spaceRun && collect) addTextByte(' ', LCPos);
      spaceRun = true;
      NextChar();
      continue;
    }
    spaceRun = false;
    if (c == '&') {
      DecodeTextReference(textCodePage_);
      continue;
    }
    if (collect) addTextByte(c, LCPos);
    // Take what follows straight from the document, up to the next byte that needs a closer look.
    if (!incActive_) {
      const size_t start = docPos_;
      const size_t limit = std::min(doc_.size(), (start / kProgressStep + 1) * kProgressStep);
      const auto* bytes = reinterpret_cast<const unsigned char*>(doc_.data());
      const int firstPos = pos_ + 1;
      size_t end = start;
      while (end < limit) {
        const unsigned char b = bytes[end];
        if (kPlainTextByte[b]) {
          size_t runEnd = end + 1;
          while (runEnd < limit && kPlainTextByte[bytes[runEnd]]) ++runEnd;
          if (collect) addTextRun(bytes + end, runEnd - end, firstPos + static_cast<int>(end - start));
          spaceRun = false;
          end = runEnd;
        } else if (b == ' ' || b == '\t' || b == '\r' || b == '\n') {
          if (!spaceRun && collect) addTextByte(' ', firstPos + static_cast<int>(end - start));
          spaceRun = true;
          ++end;
        } else {
          break;
        }
      }
      if (end > start) {
        pos_ += static_cast<int>(end - start);
        docPos_ = end;
        prevRaw_ = doc_[end - 1];
        if (end % kProgressStep == 0) reportProgress();
      }
    }
    NextChar();
  }
  flushPending(textCodePage_);
}

THtmlLexer::RefResult THtmlLexer::readReference(bool raw, bool inAttribute) {
  RefResult r;
  r.pos = LCPos;
  refLiteral_.Clear();
  refLiteral_.add('&', LCPos);
  advance(raw);
  if (LCh == '#') {
    refLiteral_.add('#', LCPos);
    advance(raw);
    bool hex = false;
    if (LCh == 'x' || LCh == 'X') {
      hex = true;
      refLiteral_.add(LCh, LCPos);
      advance(raw);
    }
    uint32_t value = 0;
    int digits = 0;
    for (int d; (d = digitValue(LCh, hex)) >= 0;) {
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
      ++digits;
      refLiteral_.add(LCh, LCPos);
      advance(raw);
    }
    if (digits == 0) return r;
    if (LCh == ';') advance(raw);
    value &= 0xFFFF;
    if (value == 9) {
      r.kind = RefKind::Byte, r.byte = ' ';
    } else if (value < 32) {
      r.kind = RefKind::Byte, r.byte = '?';
    } else if (value >= 127 && value <= 159) {
      r.kind = RefKind::Byte, r.byte = static_cast<char>(value);
    } else {
      r.kind = RefKind::Wide, r.wide = static_cast<char16_t>(value);
    }
    return r;
  }
  if (!isAlnum(LCh)) return r;
  std::string name;
  while (name.size() < kMaxReferenceName && isAlnum(LCh)) {
    name += LCh;
    refLiteral_.add(LCh, LCPos);
    advance(raw);
  }
  const std::optional<char16_t> value = lookupEntity(name);
  if (!value || (inAttribute && *value > 255 && LCh != ';')) return r;
  if (LCh == ';') advance(raw);
  r.kind = RefKind::Wide, r.wide = *value;
  return r;
}

void THtmlLexer::DecodeTextReference(int codePage) {
  RefResult r = readReference(false, false);
  if (CountingPass) return;
  if (r.kind == RefKind::Byte && codePage == kUtf8CodePage && static_cast<unsigned char>(r.byte) >= 127) {
    r.kind = RefKind::Wide, r.wide = windows1252(r.byte);
  }
  switch (r.kind) {
    case RefKind::Literal:
      for (size_t i = 0; i < refLiteral_.count(); ++i) {
        addTextByte(refLiteral_.asString()[i], refLiteral_.positions()[i]);
      }
      break;
    case RefKind::Byte:
      addTextByte(r.byte, r.pos);
      break;
    case RefKind::Wide:
      flushPending(codePage);
      Token.addUnicodeChar(r.wide, r.pos);
      break;
  }
}

void THtmlLexer::DecodeAttributeReference(int codePage, std::string& value, bool raw) {
  RefResult r = readReference(raw, true);
  if (r.kind == RefKind::Byte && codePage == kUtf8CodePage && static_cast<unsigned char>(r.byte) >= 127) {
    r.kind = RefKind::Wide, r.wide = windows1252(r.byte);
  }
  switch (r.kind) {
    case RefKind::Literal:
      value += refLiteral_.asString();
      break;
    case RefKind::Byte:
      value += r.byte;
      break;
    case RefKind::Wide:
      value += wideToMultiByte(std::u16string_view(&r.wide, 1), codePage);
      break;
  }
}

void THtmlLexer::readTag() {
  TagPos = LCPos;
  NextChar();
  bool endTag = false;
  if (LCh == '/') {
    endTag = true;
    NextChar();
  } else if (LCh != '?' && !isAlpha(LCh)) {
    readText(true);
    return;
  }
  tagName_.clear();
  size_t length = 0;
  for (;;) {
    const char u = LCToken;
    if (!(isDigit(u) || (u >= 'A' && u <= 'Z') || u == '_' || u == '/')) break;
    if (u == '/' && length > 0) break;
    if (tagName_.size() < kMaxTagNameLength) tagName_ += u;
    ++length;
    NextChar();
    if (length == 1 && tagName_ == "H" && LCh >= '1' && LCh <= '6') break;
  }
  Sy = tagName_.empty() ? UnknownSy : lookupTag(tagName_, endTag);
  SkipBlanks();
  if ((Sy == HSy || Sy == HEndSy) && LCh >= '1' && LCh <= '6') {
    HeadingLevel = LCh - '0';
    NextChar();
  }
  Attributes.Clear();
  while (readAttribute()) {
  }
  while (LCh != '>' && LCh != '\0') NextChar();
  // The content readers of SCRIPT and STYLE start at the ">".
  if (LCh == '>' && Sy != ScriptSy && Sy != StyleSy) NextChar();
}

bool THtmlLexer::readAttribute() {
  SkipBlanks();
  if (!isAlpha(LCh)) return false;
  TAttribute& a = Attributes.addNew();
  while (isAlnum(LCh) || LCh == '-') {
    a.WhichName += LCToken;
    NextChar();
  }
  a.Which = lookupAttribute(a.WhichName);
  // A bare BORDER means a border of 1.
  a.Value = a.Which == BorderSy ? 1 : 0;
  a.CodePage = DocCodePage;
  SkipBlanks();
  if (LCh == '=') {
    NextChar();
    SkipBlanks();
    if (LCh == '"' || LCh == '\'') {
      readQuotedValue(a);
    } else {
      readUnquotedValue(a, LCh == '+' || LCh == '-' || isDigit(LCh));
    }
  }
  if (a.Which == IdSy && !a.Name.empty() && !CountingPass && OnIdAttribute) OnIdAttribute(a.Name, pos_);
  return true;
}

void THtmlLexer::readQuotedValue(TAttribute& a) {
  const char quote = LCh;
  const bool keepLineEnds = a.Which == TitleSy || a.Which == AltSy;
  // A quoted value is taken literally: "<!" or "<%" inside it starts nothing.
  ReadChar();
  while (LCh != quote && LCh != '\0') {
    if (LCh == '&') {
      DecodeAttributeReference(a.CodePage, a.Name, true);
    } else {
      if (LCh != '\r') {
        a.Name += LCh;
      } else if (keepLineEnds) {
        a.Name += "\r\n";
      }
      ReadChar();
    }
  }
  if (LCh == quote) NextChar();
  std::string_view text = trim(a.Name);
  const size_t percent = text.find('%');
  if (percent != std::string_view::npos && percent + 1 == text.size()) text.remove_suffix(1);
  if (!text.empty() && (text[0] == '+' || text[0] == '-' || text[0] == '.' || isDigit(text[0]))) {
    if (const std::optional<int> n = leadingNumber(text)) a.Value = *n;
  } else {
    a.Value = 0;
  }
}

void THtmlLexer::readUnquotedValue(TAttribute& a, bool numeric) {
  while (LCh != '\0' && LCh != ' ' && LCh != '\r' && LCh != '>' && !(numeric && LCh == '%')) {
    if (LCh == '&') {
      DecodeAttributeReference(a.CodePage, a.Name, false);
    } else {
      a.Name += LCh;
      NextChar();
    }
  }
  if (!numeric) return;
  SkipBlanks();
  if (const std::optional<int> n = leadingNumber(a.Name)) a.Value = *n;
  if (LCh == '%') {
    a.Name += '%';
    NextChar();
  }
}

std::optional<CharSetCodePage> THtmlLexer::applyContentType(std::string_view content) {
  if (BomSeen) return std::nullopt;
  if (const std::optional<CharSetName> name = findCharSet(content)) {
    if (name->EucJp && !eucJpConverted_) {
      // The current character is part of the rest when it came from the document.
      const size_t from = (!incActive_ && LCh != '\0' && docPos_ > 0) ? docPos_ - 1 : docPos_;
      const char before = from < doc_.size() ? doc_[from] : '\0';
      eucJpToShiftJis(doc_, from);
      eucJpConverted_ = true;
      if (from < docPos_ && doc_[from] != before) {
        LCh = doc_[from];
        LCToken = upper(LCh);
      }
    }
    const CharSetCodePage applied = charSetNameToCodePage(*name, DocCodePage, SystemCodePage);
    DocCodePage = applied.CodePage;
    return applied;
  }
  std::string lower(content);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower.find("utf-8") == std::string::npos) return std::nullopt;
  DocCodePage = kUtf8CodePage;
  return CharSetCodePage{kAnsiCharSet, kUtf8CodePage};
}

}  // namespace lumora::html
