#pragma once
// The document builder: HTML text (or plain text) into the document model.

#include <functional>
#include <string>

#include "html/html_document.h"
#include "html/html_lexer.h"

namespace lumora::html {

// Nesting the builder follows. Deeper structure is flattened: a block element (list, division, heading,
// list item) opened deeper than kMaxBlockNesting is read as if its tag were absent, and the property stack
// holds at most kMaxPropStack sets (a further element's set is not pushed; its end tag then closes the
// nearest open element of that name, if any). This keeps recursion within the stack even with a sanitizer's
// large frames, and keeps every push, pop and end-tag search bounded on pages of 100,000 unclosed tags.
inline constexpr int kMaxBlockNesting = 120;
inline constexpr size_t kMaxPropStack = 250;
inline constexpr int kMaxTableNesting = 10;
inline constexpr int kTooManyLinks = 400;

// Text: the page's bytes. The document must have had Clear() and SetDefaults(...) (the caller's job); what
// the page announces on the way (META, LINK, BGSOUND, includes, scripts, objects) goes to Document.Events.
void ParseHtmlText(std::string Text, TSectionList& Document);
// The text becomes one preformatted block; "<" is ordinary text.
void ParsePlainText(std::string Text, TSectionList& Document);

}  // namespace lumora::html
