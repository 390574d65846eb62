#pragma once
// The document builder: HTML text (or plain text) into the document model.

#include <functional>
#include <string>

#include "html/html_document.h"
#include "html/html_lexer.h"

namespace lumora::html {

using TLinkType = std::function<void(const std::string& Rel, const std::string& Rev, const std::string& Href)>;
using TMetaType =
    std::function<void(const std::string& HttpEq, const std::string& Name, const std::string& Content)>;
using TSoundType = std::function<void(const std::string& Src, int Loop, bool Terminate)>;

struct THtmlParseCallbacks {
  TLinkType OnLink;
  TMetaType OnMeta;
  TSoundType OnSoundRequest;
  TIncludeType OnInclude;
};

// Nesting the builder follows. Deeper structure is flattened: a block element (list, division, heading,
// list item) opened deeper than kMaxBlockNesting is read as if its tag were absent, and the property stack
// holds at most kMaxPropStack sets (a further element's set is not pushed; its end tag then closes the
// nearest open element of that name, if any). This keeps recursion within the stack even with a sanitizer's
// large frames, and keeps every push, pop and end-tag search bounded on pages of 100,000 unclosed tags.
inline constexpr int kMaxBlockNesting = 120;
inline constexpr size_t kMaxPropStack = 250;
inline constexpr int kMaxTableNesting = 10;
inline constexpr int kTooManyLinks = 400;

// Text: the page's bytes. The document must have had Clear() and SetDefaults(...) (the caller's job).
void ParseHtmlText(std::string Text, TSectionList& Document, const THtmlParseCallbacks& Callbacks = {});
// The text becomes one preformatted block; "<" is ordinary text.
void ParsePlainText(std::string Text, TSectionList& Document);

}  // namespace lumora::html
