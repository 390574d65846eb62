#pragma once
// "lumora-html dump FILE" and "lumora-html text FILE": the document model of a page, built headless.

#include <ostream>
#include <string>

namespace lumora::html {

// Builds the page at `path` (its text already read into `document`) and writes dumpDocument (or, with
// `textOnly`, documentText) to `out`. Returns the process exit status.
int writeDocument(const std::string& path, const std::string& document, bool textOnly, std::ostream& out);

}  // namespace lumora::html
