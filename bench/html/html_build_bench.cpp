// Lexer + builder + cascade over generated 10 MB pages with a style sheet, tables, lists, links, forms and
// inline styles. Prints the throughput (median of five builds) and the peak memory one build added, as a
// multiple of the page's size, for two pages:
//   book   chapters of ordinary paragraphs (several sentences each) between lists, tables and a form;
//   dense  the same elements with a line of text each: an element every hundred bytes or so, the worst
//          case for the per-element costs.
//
//   html_build_bench [MEGABYTES] [book|dense]   (both pages when no kind is given)


#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "html/html_document.h"
#include "html/html_parser.h"
#include "bench_pages.h"

namespace {

using namespace lumora::html;
using lumora::bench::makePage;

using lumora::bench::peakRssKb;
using lumora::bench::threadSeconds;

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
