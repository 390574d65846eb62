#pragma once
// The generated pages the engine's benchmarks build and lay out:
//   book   chapters of ordinary paragraphs (several sentences each) between lists, tables and a form;
//   dense  the same elements with a line of text each: an element every hundred bytes or so, the worst
//          case for the per-element costs;
//   tables rows of small tables with links and nested cells, the costliest case for layout.

#include <string>

namespace lumora::bench {

inline std::string makeStyleSheet() {
  std::string css = "<style type=\"text/css\">\n<!--\n";
  const char* tags[] = {"p", "td", "th", "li", "a", "h2", "div", "span", "ul", "table"};
  for (int i = 0; i < 60; ++i) {
    const char* tag = tags[i % 10];
    css += std::string(tag) + ".c" + std::to_string(i) + " { color: #" + std::to_string(100000 + i * 37) +
           "; margin: 2px 4px; font: bold 12px/1.4 Arial, sans-serif }\n";
  }
  css += "body { background: #ffffff; font-family: \"Times New Roman\", serif }\n"
         "ul li a { color: navy; text-decoration: none }\n"
         "table td p { margin-top: 0 }\n"
         "a:hover { color: red }\n"
         "#top, #bottom { border: 1px solid silver; padding: 3px }\n"
         "-->\n</style>\n";
  return css;
}

inline std::string makePage(size_t size, bool dense) {
  const std::string words = "The quick brown fox jumps over the lazy dog and the reader follows the links";
  std::string block;
  if (!dense) {
    // A chapter's worth of ordinary prose before the structured parts.
    const std::string sentence = "Every page of the publication is read from the folder beside the reader, "
                                 "and the reader keeps its place while the pages turn. ";
    for (int p = 0; p < 6; ++p) {
      block += "<p>";
      for (int s = 0; s < 5; ++s) block += sentence;
      block += "<a href=\"notes.htm#n" + std::to_string(p) + "\">note</a> " + sentence + "<i>" + words + "</i>. ";
      block += sentence + "</p>\r\n";
    }
  }
  block += "<h2 class=c5>Chapter heading with <i>emphasis</i></h2>\r\n";
  block += "<p class=c0 align=justify>" + words + " <b>" + words + "</b> <a href=\"chapter12.htm#top\">" + words +
           "</a> &amp; &hellip; " + words + "<br>\r\n" + words + "</p>\r\n";
  block += "<ul class=c8><li><a href=a.htm>" + words + "</a><li>" + words + "<li style=\"color: green\">" + words +
           "</ul>\r\n";
  block += "<ol start=3 type=i><li>" + words + "<li>" + words + "</ol>\r\n";
  block += "<table border=1 width=\"100%\" cellpadding=2 cellspacing=0 class=c9><tr><th>Name</th><th>Value</th></tr>"
           "<tr><td valign=top class=c1>" + words + "</td><td bgcolor=#eeeeee><font color=red size=+1>" + words +
           "</font></td></tr><tr><td colspan=2><p>" + words + "</td></tr></table>\r\n";
  block += "<div class=c6 id=top><span class=c7>" + words + "</span> <font face=\"Courier New\">" + words +
           "</font></div>\r\n";
  block += "<form action=submit.htm><input type=text name=q value=\"search\"> <select name=s><option>One"
           "<option selected>Two</select></form>\r\n";
  std::string page = "<html><head><title>Benchmark</title>" + makeStyleSheet() + "</head><body>\r\n";
  while (page.size() < size) page += block;
  return page + "</body></html>\r\n";
}

inline std::string makeTablePage(size_t size) {
  const std::string words = "The quick brown fox jumps over the lazy dog";
  std::string block = "<table border=1 cellpadding=3 width=\"90%\"><tr><th>Item</th><th>Count</th><th>Note</th></tr>";
  for (int r = 0; r < 6; ++r) {
    block += "<tr><td><a href=\"item" + std::to_string(r) + ".htm\">" + words + "</a></td><td align=right>" +
             std::to_string(r * 17) + "</td><td><table width=\"100%\"><tr><td>" + words + "</td><td>" + words +
             "</td></tr></table></td></tr>";
  }
  block += "</table>\r\n<p>" + words + " " + words + "</p>\r\n";
  std::string page = "<html><head><title>Tables</title>" + makeStyleSheet() + "</head><body>\r\n";
  while (page.size() < size) page += block;
  return page + "</body></html>\r\n";
}

}  // namespace lumora::bench
