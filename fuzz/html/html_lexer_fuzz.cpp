// Any bytes through the lexer: the first byte picks the code page and the modes, the rest is the document.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "html/html_lexer.h"

namespace {

constexpr int kCodePages[] = {1252, 1251, 65001, 932, 936, 949, 950, 1361, 874, 28592, 20866, 4242};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

using namespace lumora::html;

// The symbols and tag positions of a whole document, read without the options that only change text.
std::vector<std::pair<Symb, int>> symbols(const std::string& document, int codePage, bool plainText, bool counting) {
  std::vector<std::pair<Symb, int>> out;
  THtmlLexer lexer;
  lexer.PlainText = plainText;
  lexer.CountingPass = counting;
  lexer.setDocument(document, codePage);
  try {
    lexer.begin();
    for (lexer.NextToken(); lexer.Sy != EofSy; lexer.NextToken()) out.emplace_back(lexer.Sy, lexer.TagPos);
  } catch (const EParseError&) {
    out.emplace_back(EofSy, -1);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::string document(reinterpret_cast<const char*>(data + 1), size - 1);
  const int codePage = kCodePages[(mode & 0x0F) % std::size(kCodePages)];
  // Collecting text or not must not change what the tokens are.
  check(symbols(document, codePage, mode & 0x10, false) == symbols(document, codePage, mode & 0x10, true));

  THtmlLexer lexer;
  lexer.PlainText = (mode & 0x10) != 0;
  lexer.CountingPass = (mode & 0x20) != 0;
  if (mode & 0x40) {
    lexer.OnInclude = [](const std::string& command, const std::vector<std::string>& params, std::string& s) {
      if (command == "r") s = "<!--#r-->";  // names itself
      else if (!command.empty()) s = "<p class=\"" + command + "\">&amp;" + std::to_string(params.size());
    };
  }
  lexer.MaxIncludes = 50;  // the guard itself is the same at any limit; keep runs fast
  lexer.OnIdAttribute = [](const std::string& id, int) { check(!id.empty()); };
  lexer.setDocument(document, codePage);
  try {
    lexer.begin();
    for (int guard = 0; guard < 1000000; ++guard) {
      lexer.NextToken();
      if (lexer.Sy == EofSy) break;
      const auto& positions = lexer.Token.positions();
      check(positions.size() == lexer.Token.S().size());
      // A UTF-16 page is lexed as UTF-8, and its positions count those bytes.
      const size_t limit = std::max(size, lexer.Document().size());
      for (size_t i = 0; i < positions.size(); ++i) {
        check(positions[i] >= 0 && positions[i] < static_cast<int>(limit));
        if (i > 0) check(positions[i] >= positions[i - 1]);
      }
      if (lexer.Sy == MetaSy) {
        if (const TAttribute* content = lexer.Attributes.find(ContentSy)) {
          if (lexer.applyContentType(content->Name)) lexer.TextCodePage = lexer.DocCodePage;
        }
      }
      lexer.Attributes.theClass();
      lexer.Attributes.theID();
      lexer.Attributes.asStrings();
      for (size_t i = 0; i < lexer.Attributes.count(); ++i) {
        const TAttribute& a = lexer.Attributes[i];
        wideToUtf8(toWide(a.Name, a.CodePage));
      }
      if ((lexer.Sy == ScriptSy || lexer.Sy == StyleSy) && lexer.LCh == '>') lexer.NextChar();
    }
  } catch (const EParseError&) {
    // An unterminated comment ends the parse; what came before stands.
  }
  return 0;
}
