// Style sheets and STYLE attributes from a page: the input up to its first NUL is a sheet, read as a linked
// sheet and as the content of a STYLE element through the lexer; the rest is a STYLE attribute. The rules
// are then applied to a few elements so that their values are converted. Any bytes: no crash, no hang.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/css_parser.h"
#include "html/html_lexer.h"
#include "html/html_style_list.h"
#include "html/html_style_props.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::html;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  const std::string_view sheet = input.substr(0, nul);
  const std::string_view inlineText = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

  TStyleList styles;
  styles.BuildDefaults("Times New Roman", "Courier New", 10, 15, 1, true, 0x0000FF, 0x800080, 0xFF0000, 0, 12);
  readLinkedStyleSheet(styles, sheet, "c:\\pub\\css\\");
  readLinkedStyleSheet(styles, sheet, "http://h/a/css/");

  THtmlLexer lexer;
  lexer.setDocument("<style>" + std::string(sheet) + "</style><p>", 1252);
  try {
    lexer.begin();
    lexer.NextToken();
    if (lexer.Sy == StyleSy) readStyleElement(styles, lexer);
    lexer.NextToken();
  } catch (const EParseError&) {
  }

  auto inlineStyle = std::make_shared<TProperties>();
  ReadInlineStyle(inlineText, *inlineStyle);

  TPropStack stack;
  stack.push(std::make_unique<TProperties>(*styles.find("default")));
  static const char* const kTags[][4] = {
      {"div", "", "top", ""}, {"ul", "x", "", ""}, {"li", "", "", ""}, {"a", "note", "top", "link"}, {"p", "a.b", "", ""}};
  int depth = 0;
  for (const auto& t : kTags) {
    auto element = std::make_unique<TProperties>();
    element->InheritFrom(t[0], stack.last());
    element->ApplyRules(styles, stack, stack.count() - 1, t[0], t[1], t[2], t[3], "",
                        ++depth == 5 ? inlineStyle : nullptr);
    (void)element->lineHeightPixels(16);
    (void)element->BackgroundImageUrl();
    stack.push(std::move(element));
  }
  return 0;
}
