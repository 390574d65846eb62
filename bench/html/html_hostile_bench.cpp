// Pages made of nothing but markup, the shapes that cost a document model the most per byte. Each is built
// and turned into text as `lumora-html text` does, in a process of its own; prints the processor time and
// the peak memory the build added, against the targets: no more than max(100 x the page, 64 MB) and 3 s.
//
//   html_hostile_bench [PAGE]   (every page when none is given)


#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "html/html_document.h"
#include "html/html_dump.h"
#include "html/html_parser.h"

namespace {

using namespace lumora::html;

struct Page {
  const char* name;
  std::function<std::string()> make;
};

std::string repeat(const std::string& piece, int n) {
  std::string s;
  s.reserve(piece.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) s += piece;
  return s;
}

const std::vector<Page>& pages() {
  static const std::vector<Page> all = {
      {"ul-li", [] { return repeat("<ul><li>", 1000000) + "x"; }},
      {"li", [] { return repeat("<li>x", 1000000); }},
      {"td", [] { return "<table>" + repeat("<td>x", 1000000); }},
      {"p", [] { return repeat("<p>x", 1000000); }},
      {"br", [] { return repeat("<br>x", 1000000); }},
      {"pre-lines", [] { return "<pre>" + std::string(5000000, '\n'); }},
  };
  return all;
}

using lumora::bench::peakRssKb;
using lumora::bench::threadSeconds;

int measure(const Page& page) {
  const std::string text = page.make();
  const double pageMb = static_cast<double>(text.size()) / (1024.0 * 1024.0);
  const long before = peakRssKb();
  const double start = threadSeconds();
  size_t written = 0;
  {
    TSectionList document;
    document.SetDefaults();
    ParseHtmlText(text, document);
    written = documentText(document).size();
  }
  const double seconds = threadSeconds() - start;
  const double addedMb = static_cast<double>(peakRssKb() - before) / 1024.0;
  const double memoryTarget = std::max(100 * pageMb, 64.0);
  const bool within = addedMb <= memoryTarget && seconds <= 3.0;
  std::printf("%-10s %5.2f MB page: %6.3f s, %7.1f MB (%5.1f x the page; target %.0f MB, 3 s), text %zu bytes: %s\n",
              page.name, pageMb, seconds, addedMb, addedMb / pageMb, memoryTarget, written,
              within ? "within" : "OVER");
  return within ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    for (const Page& page : pages())
      if (page.name == std::string(argv[1])) return measure(page);
    std::fprintf(stderr, "unknown page %s\n", argv[1]);
    return 2;
  }
  // The peak a process reached never goes down, so each page is measured in a process of its own.
  int over = 0;
  for (const Page& page : pages())
    if (std::system((std::string(argv[0]) + " " + page.name).c_str()) != 0) ++over;
  return over == 0 ? 0 : 1;
}
