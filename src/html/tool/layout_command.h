#pragma once
// "lumora-html layout FILE [--width N] [--metrics fixed|system]": the page laid out, one JSON object a line,
// in document order, depth first, with document coordinates in pixels. The format (kept stable):
//
//   {"kind":"document","width":W,"height":H,"maxWidth":M}
//   {"kind":"block","tag":"P","depth":D,"x":..,"y":..,"w":..,"h":..,"content":[x,y,w,h],
//    "float":"none|left|right","position":"static|relative|absolute"}
//       x, y, w, h: the border box (inside the margins); content: the content box
//   {"kind":"line","depth":D,"x":..,"y":..,"w":..,"h":..,"baseline":..,"text":"...","hyphen":false}
//       x: the left edge of the first character drawn; y: the top of the line, its space above included;
//       h: the line's full height (spaces above and below included); w: the text width without trailing
//       spaces, a drawn hyphen included; baseline: the baseline's y; text: the characters in UTF-8 without trailing spaces and control
//       codes; hyphen: the line ends at a soft hyphen (a "-" is drawn)
//   {"kind":"image","x":..,"y":..,"w":..,"h":..,"src":"...","float":"none|left|right"}
//   {"kind":"marker","text":"V.","x":..,"baseline":..}   list markers; "disc", "circle" or "square" for the
//       drawn ones; x their left edge
//   {"kind":"table","x":..,"y":..,"w":..,"h":..,"rows":R,"cols":C}
//   {"kind":"cell","row":r,"col":c,"rowSpan":..,"colSpan":..,"x":..,"y":..,"w":..,"h":..}  (without spacing)
//   {"kind":"rule","x":..,"y":..,"w":..,"h":..}
//   {"kind":"control","type":"text|password|checkbox|radio|button|submit|reset|file|image|select|listbox|
//    textarea","x":..,"y":..,"w":..,"h":..}  where the layout puts the control and its size: the host's
//       (the reader's own widgets with --metrics system, the fixed sizes with --metrics fixed)

#include <ostream>
#include <string>

#include "html/html_host.h"

namespace lumora::html {

// Builds the page at `path` (its bytes in `document`) with `Host` (its metrics realise the fonts, its image
// host supplies the pictures), lays it out `Width` pixels wide and writes the lines above. Returns the
// process exit status.
int writeLayout(const std::string& path, const std::string& document, THtmlHost& Host, int Width,
                std::ostream& out);

}  // namespace lumora::html
