#pragma once
// "lumora-html tokens FILE": the lexer's tokens of a document, one JSON object per line.

#include <ostream>
#include <string>

namespace lumora::html {

// Writes the tokens of `document` to `out`. The document's code page is found as a single-document viewer
// finds it: byte-order mark, Japanese 7-bit text, META content-type, otherwise UTF-8 when the bytes are
// valid UTF-8 and the legacy code page when not. Returns the process exit status.
int writeTokens(const std::string& document, std::ostream& out);

}  // namespace lumora::html
