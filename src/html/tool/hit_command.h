#pragma once
// "lumora-html hit FILE [--width N] [--metrics fixed|system] X Y": what lies at the document point (X, Y)
// of the page laid out N pixels wide (800 unless given), as one JSON object on one line:
//
//   {"link":"...","target":"...","title":"...","position":N,"image":"..."}
//
//   link:     the link under the point as the page wrote it (an ISMAP image adds "?x,y", an image map
//             gives its area's HREF, a table cell its HREF)
//   target:   that link's target frame
//   title:    the hint text shown there (the link's, the image's, the cell's or the block's TITLE)
//   position: the document character position the caret goes to for a click there
//   image:    the SRC of the image whose picture is under the point
//
// A field is absent when there is nothing of its kind there (target also when the link names no frame).
// Y counts from the top of the document, not of a window.

#include <ostream>
#include <string>

#include "html/html_host.h"

namespace lumora::html {

// Builds the page at `path` (its bytes in `document`) with `Host`, lays it out `Width` pixels wide and
// writes what lies at (X, Y). Returns the process exit status.
int writeHit(const std::string& path, const std::string& document, THtmlHost& Host, int Width, int X, int Y,
             std::ostream& out);

}  // namespace lumora::html
