#pragma once
// Text views of a built document, for `lumora-html dump FILE`, `lumora-html text FILE`, tests and publishers.
//
// dumpDocument: one line per item, children indented by two spaces per level. The format is stable; extend it
// only by adding new key=value pairs at the end of a line or new line kinds.
//
//   document title="..." base="..." target="..." background=#rrggbb bgimage="..." too-many-links=no
//   <Block class> tag="p." display=block float=none position=static margin=T,R,B,L padding=T,R,B,L
//       border=T,R,B,L align="center"                     (TBlock, TBodyBlock, THRBlock, TTableBlock, ...)
//     TBlockLI adds: list=ordered|unordered|definition|none item="li" number=N type="1" level=N
//       marker=decimal|disc|circle|square|lower-alpha|upper-alpha|lower-roman|upper-roman|image|none
//       text="V."
//     TTableBlock adds: width=N|N%% (per mille shown as a percentage) placement=N hspace=N vspace=N
//     margins: top and bottom as resolved when the block was made ("14p" = paragraph space), left and right,
//     paddings and border widths as the style gave them ("-" unset, "auto", a number, or the CSS text)
//   TSection text="..." justify=left|center|right|justify clear=none|left|right|both [nobreak-text]
//   TPreFormated text="..."
//     text escapes: \n line break (code 8), \o image or panel (code 4), \c form control (code 2), \_ no-break
//     space, \" and \\, \xNN other control characters; everything else is UTF-8
//     run N "Family" 12pt [bold] [italic] [underline] [strike] #rrggbb [link="url"] [target="t"]
//       (a font run starting at character N)
//     image N src="..." alt="..." align=N float=none|left|right width=N[%] height=N[%] [map="NAME"]
//     panel N name="..."
//     control N <control class> name="..."
//   THorzLine size=N align=left|center|right width=N[%] color=#rrggbb|none [noshade]
//   TPage
//   ThtmlTable border=N cellpadding=N cellspacing=N colspecs=N
//     row type=body|head|foot [bgcolor=#rrggbb] [height=N[%]]
//       cell td|th colspan=N rowspan=N valign=N [width=N|N%] [bgcolor=#rrggbb] [href="..."] [align="..."]
//         (the cell's items, one level deeper)
//   form N method="Get" action="..." target="..." enctype="..."
//     <control class> name="..." value="..." [extra data of the kind] [disabled] [readonly]
//   map "NAME" areas=N
//     area shape=rect|circle|poly href="..." target="..." title="..."   (one line per area, in order)
//   name "id" -> <class of the target>
//
// documentText: the text as a reader reads it, one section (line of text) per line, UTF-8; list items start
// with their marker ("1. ", "* "), images and controls are left out.

#include <string>

#include "html/html_document.h"

namespace lumora::html {

std::string dumpDocument(const TSectionList& Document);
std::string documentText(const TSectionList& Document);

}  // namespace lumora::html
