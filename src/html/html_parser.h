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
// Blocks and table cells each cost the better part of a kilobyte, and pages of nothing but
// "<li>" or "<td>" would otherwise cost hundreds of times their size. A page may have one for every
// kBytesPerBlock bytes, and at least the document's MaxBlocks (200,000 unless set); beyond that such tags
// are read as if they were absent (a space keeps the words apart) and their content goes on in the block or
// cell that is open. Real pages stay below it: a page of nested tables has a cell or block for some 40 bytes. Its MaxSections (500,000) bounds the runs of text between blocks and line ends: past
// it a BR or the end of a preformatted line becomes a line-break code inside the open section, which shows
// the same.
inline constexpr size_t kMaxPropStack = 250;
inline constexpr int kMaxTableNesting = 10;
inline constexpr size_t kBytesPerBlock = 32;
inline constexpr int kTooManyLinks = 400;

// Text: the page's bytes. The document must have had Clear() and SetDefaults(...) (the caller's job); what
// the page announces on the way (META, LINK, BGSOUND, includes, scripts, objects) goes to Document.Events.
void ParseHtmlText(std::string Text, TSectionList& Document);
// The text becomes one preformatted block; "<" is ordinary text.
void ParsePlainText(std::string Text, TSectionList& Document);

}  // namespace lumora::html
