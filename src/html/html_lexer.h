#pragma once
// The HTML lexer: document bytes become tokens (a tag with its attributes, a run of text, or the end of
// input) whose characters are 16-bit and carry their source positions. One lexer serves one parse at a
// time; an include feeds text into the running lexer instead of starting another one.

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_codepage.h"
#include "html/html_common.h"
#include "html/html_host.h"  // TIncludeType
#include "html/html_symbols.h"

namespace lumora::html {

inline constexpr const char* kOpenCommentMessage = "Open Comment at End of HTML File";

class EParseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class THtmlLexer {
 public:
  // Includes processed in one pass before further include comments are skipped as plain comments, so an
  // include that names itself cannot loop forever.
  static constexpr int kMaxIncludes = 10000;

  THtmlLexer();

  // Takes the document and prepares it: NUL characters, byte-order mark, Japanese 7-bit text. `codePage` is
  // the document's code page unless the text itself says otherwise (see DocCodePage afterwards).
  void setDocument(std::string text, int codePage);
  // Back to the start of the prepared document, with the first character read (may throw EParseError).
  void begin();

  // Reads one character: line-end pairs are one CR, LF becomes CR, a tab a space. NUL at the end of input.
  char ReadChar() {
    // The common case inline: a document byte that no rule changes.
    if (!incActive_ && docPos_ < doc_.size()) {
      const char c = doc_[docPos_];
      if (static_cast<unsigned char>(c) > '\r') {
        ++docPos_;
        ++pos_;
        prevRaw_ = c;
        LCh = c;
        LCToken = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        LCPos = pos_;
        if ((docPos_ & (kProgressStep - 1)) == 0) reportProgress();
        return c;
      }
    }
    return readCharSlow();
  }
  // ReadChar, with comments, declarations and <% %> blocks removed (unless in plain-text mode).
  char NextChar() {
    ReadChar();
    if (LCh == '<' && !PlainText) removeMarkupAtLt();
    return LCh;
  }
  // Skips spaces and line ends.
  void SkipBlanks();
  // Reads the next token into Sy, Token, Attributes, TagPos and HeadingLevel.
  void NextToken();
  // Reads a text token of preformatted content: every space is kept; it ends before "<" (unless in plain-text
  // mode), a line end or a control character. References are decoded except in plain-text mode.
  void nextPreformattedText();

  // The character-set part of a META content-type: applies the first character-set name in `content`, or
  // UTF-8 when it says "utf-8", to DocCodePage (EUC-JP also converts the unread document once). Returns
  // the set and code page applied; nothing after a byte-order mark or when nothing matched.
  std::optional<CharSetCodePage> applyContentType(std::string_view content);

  // The prepared document (after the input preparation above).
  const std::string& Document() const { return doc_; }
  // Bytes of the document read so far.
  size_t bytesRead() const { return docPos_; }

  // --- Current state ---
  Symb Sy = EofSy;
  char LCh = 0;      // current character
  char LCToken = 0;  // the current character upper-cased (a to z only)
  int LCPos = -1;    // source position of the current character
  int TagPos = 0;    // position of the "<" of the most recent tag
  int HeadingLevel = 0;
  TokenObj Token;
  TAttributeList Attributes;

  // --- Settings ---
  int DocCodePage = kSystemCodePage;    // attributes are stored in it
  int TextCodePage = kSystemCodePage;   // text runs are converted through it (the builder follows the styles)
  int SystemCodePage = kSystemCodePage; // what the default character set means
  bool BomSeen = false;                 // a byte-order mark said the text is Unicode: META charsets are ignored
  bool PlainText = false;               // "<" is ordinary text and comments stay
  bool CountingPass = false;            // text is not collected, IDs are not recorded, no progress
  bool InComment = false;
  TIncludeType OnInclude;
  int MaxIncludes = kMaxIncludes;
  // Called whenever the read pointer reaches a multiple of 4096 bytes (not in the counting pass).
  std::function<void(size_t bytesRead, size_t total)> OnProgress;
  // Called for an ID attribute with a non-empty value, with the current position (not in the counting pass).
  std::function<void(const std::string& id, int pos)> OnIdAttribute;

 private:
  enum class RefKind { Literal, Byte, Wide };
  struct RefResult {
    RefKind kind = RefKind::Literal;
    char16_t wide = 0;
    char byte = 0;
    int pos = 0;
  };

  static constexpr size_t kProgressStep = 4096;

  char readCharSlow();
  void removeMarkupAtLt();
  char peekRaw() const;
  void advance(bool raw) {
    if (raw) {
      ReadChar();
    } else {
      NextChar();
    }
  }
  void reportProgress();
  void skipDeclaration();
  void skipCommentBody();
  void skipServerBlock();
  void readInclude();

  void readTag();
  bool readAttribute();
  void readQuotedValue(TAttribute& a);
  void readUnquotedValue(TAttribute& a, bool numeric);
  void readText(bool literalLt);
  void addTextByte(char c, int pos);
  void addTextRun(const unsigned char* bytes, size_t count, int firstPos);
  void flushPending(int codePage);

  RefResult readReference(bool raw, bool inAttribute);
  void DecodeTextReference(int codePage);
  void DecodeAttributeReference(int codePage, std::string& value, bool raw);

  std::string doc_;
  size_t docPos_ = 0;
  std::string inc_;
  size_t incPos_ = 0;
  bool incActive_ = false;
  int pos_ = -1;
  char prevRaw_ = 0;
  int includes_ = 0;
  bool eucJpConverted_ = false;
  bool openComment_ = false;
  int bomBytes_ = 0;  // bytes of a removed UTF-8 byte-order mark, which positions still count  // the input ended inside a comment; the next token raises it

  // Text bytes waiting for conversion (multi-byte characters), and how the current run decodes bytes.
  TCharCollection pending_;
  int textCodePage_ = 0;
  DirectDecoder direct_{};
  TCharCollection refLiteral_;
  std::string tagName_;
};

// The integer of an attribute value: its leading number rounded to the nearest integer (ties to even),
// or nothing when the text does not start with a number.
std::optional<int> leadingNumber(std::string_view text);

}  // namespace lumora::html
