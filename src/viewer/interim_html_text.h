#pragma once
// Interim page view, text extraction: turns a page into paragraphs of plain text and links, with its TITLE.
// It knows only enough HTML to make a publication readable and navigable until the HTML engine draws pages.

#include <string>
#include <string_view>
#include <vector>

namespace lumora::viewer {

struct TextRun {
  std::string text;  // UTF-8, white space already collapsed
  std::string href;  // non-empty for a link
  bool bold = false;
};

struct Paragraph {
  std::vector<TextRun> runs;
  int heading = 0;  // 1..6 for H1..H6
  bool preformatted = false;
};

struct PageText {
  std::string title;
  std::vector<Paragraph> paragraphs;
};

// `bytes` is the file as read; text that is not valid UTF-8 is taken as Windows-1251.
PageText extractPageText(std::string_view bytes);

}  // namespace lumora::viewer
