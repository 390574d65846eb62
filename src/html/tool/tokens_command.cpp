#include "html/tool/tokens_command.h"

#include <nlohmann/json.hpp>

#include "core/paths.h"
#include "html/html_lexer.h"

namespace lumora::html {

namespace {

using json = nlohmann::ordered_json;

void writeLine(std::ostream& out, const json& line) {
  out << line.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
}

std::string attributeValueUtf8(const TAttribute& a) { return wideToUtf8(toWide(a.Name, a.CodePage)); }

// The META content-type step of the document builder, so legacy pages come out in the right code page.
void applyMeta(THtmlLexer& lexer) {
  const TAttribute* httpEquiv = lexer.Attributes.find(HttpEquivSy);
  const TAttribute* content = lexer.Attributes.find(ContentSy);
  if (httpEquiv == nullptr || content == nullptr || !core::equalsIgnoreAsciiCase(httpEquiv->Name, "content-type")) {
    return;
  }
  if (lexer.applyContentType(content->Name)) lexer.TextCodePage = lexer.DocCodePage;
}

}  // namespace

int writeTokens(const std::string& document, std::ostream& out) {
  THtmlLexer lexer;
  const int defaultCodePage = documentDefaultCodePage(document);
  lexer.SystemCodePage = defaultCodePage;
  lexer.setDocument(document, defaultCodePage);
  try {
    lexer.begin();
    for (;;) {
      lexer.NextToken();
      const Symb sy = lexer.Sy;
      if (sy == EofSy) {
        writeLine(out, json{{"kind", "eof"}});
        break;
      }
      if (sy == TextSy) {
        const int pos = lexer.Token.count() ? lexer.Token.positions()[0] : lexer.TagPos;
        writeLine(out, json{{"kind", "text"}, {"text", wideToUtf8(lexer.Token.S())}, {"pos", pos}});
      } else if (sy == UnknownSy) {
        writeLine(out, json{{"kind", "unknown"}, {"pos", lexer.TagPos}});
      } else if (isEndTag(sy)) {
        json line{{"kind", "end"}, {"tag", std::string(tagName(sy))}, {"pos", lexer.TagPos}};
        if (sy == HEndSy) line["heading"] = lexer.HeadingLevel;
        writeLine(out, line);
      } else {
        json attrs = json::array();
        for (size_t i = 0; i < lexer.Attributes.count(); ++i) {
          const TAttribute& a = lexer.Attributes[i];
          attrs.push_back(json::array({a.WhichName, attributeValueUtf8(a)}));
        }
        writeLine(out, json{{"kind", "start"},
                            {"tag", std::string(tagName(sy))},
                            {"pos", lexer.TagPos},
                            {"heading", lexer.HeadingLevel},
                            {"attrs", attrs}});
        if (sy == MetaSy) applyMeta(lexer);
        // A script or style reader would start at the ">"; here the content is read on as tokens.
        if ((sy == ScriptSy || sy == StyleSy) && lexer.LCh == '>') lexer.NextChar();
      }
    }
  } catch (const EParseError& e) {
    writeLine(out, json{{"kind", "error"}, {"message", e.what()}});
  }
  out.flush();
  return out ? 0 : 1;
}

}  // namespace lumora::html
