#pragma once
// The CSS reader: style sheets (STYLE elements and linked sheets) and STYLE attributes. There is no syntax
// tree: characters are read once, each selector becomes a key of the document's style list and each
// declaration (shorthands expanded) goes straight to the style list or to the element's property set.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "html/html_lexer.h"
#include "html/html_style_list.h"
#include "html/html_style_props.h"

namespace lumora::html {

// Next character of a sheet, 0 at the end.
using TStyleCharSource = std::function<char()>;

// Reads a whole sheet into StyleList. CurrentChar: the first character; on return the character that ended
// the sheet, upper-cased ("<" of the end tag for a STYLE element, 0 at the end of the input). In a linked
// sheet (IsLinked) "<" does not end the sheet. Base: the directory of a linked sheet, for relative url()s;
// empty leaves url()s as written.
void ReadStyleSheet(TStyleList& StyleList, char& CurrentChar, const TStyleCharSource& Source, bool IsLinked,
                    const std::string& Base);

// A linked sheet's text (any line ends), Base = the sheet's own directory for relative url()s.
void readLinkedStyleSheet(TStyleList& StyleList, std::string_view Text, const std::string& Base);

// The content of a STYLE element, read straight from the lexer just after the <STYLE> start tag was read
// as the current token. Afterwards the lexer's current character is the "<" that ended the sheet (or the
// end of input), so its next NextToken() reads the end tag.
void readStyleElement(TStyleList& StyleList, THtmlLexer& Lexer);

// Declarations of a STYLE attribute into PropertySet.
void ReadInlineStyle(std::string_view Text, TProperties& PropertySet);

// The property set of a tag's STYLE attribute, or null when the tag has none.
std::shared_ptr<TProperties> parseStyleAttribute(const TAttributeList& Attributes);

}  // namespace lumora::html
