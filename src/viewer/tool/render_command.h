#pragma once
// "lumora-html render FILE -o OUT.png [--width N] [--height H | --full] [--metrics system|fixed]": the page
// as the reader shows it, painted on Qt's offscreen platform into a PNG, with its pictures and style sheets
// read from the page's folder. Width 800 and height 600 unless given; --full paints the whole document
// (up to kMaxRenderHeight pixels). With the fixed metrics every character is a filled box of its advance
// and the font's cell height in the text colour, so a render is the same on every machine; form controls
// show as sunken boxes of their fixed size there. With the installed fonts the form controls are the
// reader's own widgets, drawn where the page puts them.

#include <string>

#include "html/html_host.h"

namespace lumora::viewer {

inline constexpr int kMaxRenderHeight = 30000;

struct TRenderOptions {
  int Width = 800;
  int Height = 600;
  bool Full = false;
  bool Fixed = false;
  std::string Output;
};

// Builds, lays out and paints the page at Path (its bytes in Document) and writes the PNG. Needs a
// QApplication (the page's form controls are widgets). Returns the process exit status (messages go to standard error).
int renderPage(const std::string& Path, const std::string& Document, const TRenderOptions& Options);

}  // namespace lumora::viewer
