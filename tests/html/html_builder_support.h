#pragma once
// Building pages headless for the builder tests, and looking at the result through the dump.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "html/html_document.h"
#include "html/html_dump.h"
#include "html/html_parser.h"

namespace lumora::html::testing {

// Events: what the page's announcements go to while it is built.
inline std::unique_ptr<TSectionList> build(const std::string& html, const THtmlDocumentEvents& events = {},
                                           THtmlHost* host = nullptr) {
  auto doc = std::make_unique<TSectionList>(host);
  doc->Events = events;
  doc->SetDefaults();
  ParseHtmlText(html, *doc);
  return doc;
}

// The dump's lines without their indentation.
inline std::vector<std::string> dumpLines(const TSectionList& doc) {
  std::vector<std::string> lines;
  std::istringstream in(dumpDocument(doc));
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find_first_not_of(' ')));
  return lines;
}

// The lines that start with Prefix.
inline std::vector<std::string> linesStarting(const TSectionList& doc, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : dumpLines(doc))
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

// The text of every section, in document order, as the dump quotes it.
inline std::vector<std::string> sectionTexts(const TSectionList& doc) {
  std::vector<std::string> out;
  for (const std::string& l : dumpLines(doc)) {
    for (const std::string kind : {"TSection text=", "TPreFormated text="}) {
      if (l.rfind(kind, 0) != 0) continue;
      // The quoted text ends at the first quote that is not escaped.
      size_t i = kind.size() + 1;
      std::string text;
      for (; i < l.size() && l[i] != '"'; ++i) {
        if (l[i] == '\\' && i + 1 < l.size()) text += l[i++];
        text += l[i];
      }
      out.push_back(text);
    }
  }
  return out;
}

inline size_t count(const TSectionList& doc, const std::string& prefix) { return linesStarting(doc, prefix).size(); }

}  // namespace lumora::html::testing
