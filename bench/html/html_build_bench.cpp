// Lexer + builder + cascade over generated 10 MB pages with a style sheet, tables, lists, links, forms and
// inline styles. Prints the throughput (median of five builds) and the peak memory one build added, as a
// multiple of the page's size, for two pages:
//   book   chapters of ordinary paragraphs (several sentences each) between lists, tables and a form;
//   dense  the same elements with a line of text each: an element every hundred bytes or so, the worst
//          case for the per-element costs.
//
//   html_build_bench [MEGABYTES] [book|dense]   (both pages when no kind is given)

#include <sys/resource.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/html_document.h"
#include "html/html_parser.h"

namespace {

using namespace lumora::html;

std::string makeStyleSheet() {
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

std::string makePage(size_t size, bool dense) {
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

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

long peakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void measure(const char* kind, double megabytes) {
  const std::string page = makePage(static_cast<size_t>(megabytes * 1024 * 1024), std::string(kind) == "dense");
  const double pageMb = static_cast<double>(page.size()) / (1024.0 * 1024.0);

  std::vector<double> seconds;
  long addedKb = 0;
  for (int run = 0; run < 5; ++run) {
    const long before = peakRssKb();
    TSectionList document;
    document.Clear();
    document.SetDefaults();
    // Processor time of this thread: the build is single-threaded, and a virtual machine's wall clock
    // also counts the time other guests took.
    const double start = threadSeconds();
    ParseHtmlText(page, document);
    seconds.push_back(threadSeconds() - start);
    // The first build sets the peak; later ones reuse the memory it freed.
    if (run == 0) addedKb = peakRssKb() - before;
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  std::printf("%s page: %.2f MB\n", kind, pageMb);
  std::printf("  build (processor time): median %.3f s, %.1f MB/s (best %.1f MB/s)\n", median, pageMb / median,
              pageMb / seconds.front());
  std::printf("  peak memory added by one build: %.1f MB = %.2f x the page\n", static_cast<double>(addedKb) / 1024.0,
              static_cast<double>(addedKb) / 1024.0 / pageMb);
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
  const std::string kind = argc > 2 ? argv[2] : "";
  if (kind.empty()) {
    // The peak a process reached never goes down, so each page is measured in a process of its own.
    for (const char* k : {"book", "dense"}) {
      const std::string command = std::string(argv[0]) + " " + std::to_string(megabytes) + " " + k;
      if (std::system(command.c_str()) != 0) return 1;
    }
    return 0;
  }
  measure(kind.c_str(), megabytes);
  return 0;
}
