// Lexer throughput over a generated 20 MB document: ASCII HTML, and the same markup with Windows-1251 text.
#include <benchmark/benchmark.h>

#include <string>

#include "html/html_lexer.h"

namespace {

constexpr size_t kDocumentSize = 20 * 1024 * 1024;

std::string makeDocument(const std::string& words) {
  const std::string block =
      "<p class=\"text\" align=justify>" + words + " &amp; " + words + "<br>\r\n"
      "<a href=\"chapter12.htm#top\" target=_self>" + words + "</a> <b>" + words + "</b> <i>" + words +
      "</i> &#150; &hellip;</p>\r\n"
      "<table border=1 width=\"100%\" cellpadding=2><tr><td valign=top>" + words + "</td><td>" + words +
      "</td></tr></table>\r\n<!-- section end -->\r\n<h2>" + words + "</h2>\r\n";
  std::string doc = "<html><head><title>Benchmark</title></head><body>\r\n";
  while (doc.size() < kDocumentSize) doc += block;
  return doc + "</body></html>\r\n";
}

using namespace lumora::html;

void tokenize(benchmark::State& state, const std::string& doc, int codePage) {
  THtmlLexer lexer;
  size_t tokens = 0;
  for (auto _ : state) {
    lexer.setDocument(doc, codePage);
    lexer.begin();
    for (lexer.NextToken(); lexer.Sy != EofSy; lexer.NextToken()) ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
  state.counters["tokens"] = static_cast<double>(tokens) / static_cast<double>(state.iterations());
}

void BM_LexAsciiHtml(benchmark::State& state) {
  static const std::string doc =
      makeDocument("The quick brown fox jumps over the lazy dog, and the reader follows the links.");
  tokenize(state, doc, documentDefaultCodePage(doc));  // UTF-8, as for any page without a declaration
}

constexpr char16_t kCyrillic[] = u"Съешь же ещё этих мягких французских булок, да выпей чаю";

void BM_LexWindows1251Html(benchmark::State& state) {
  static const std::string doc = makeDocument(wideToMultiByte(kCyrillic, 1251));
  tokenize(state, doc, 1251);
}

void BM_LexUtf8Html(benchmark::State& state) {
  static const std::string doc = makeDocument(wideToUtf8(kCyrillic));
  tokenize(state, doc, 65001);
}

}  // namespace

BENCHMARK(BM_LexAsciiHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexWindows1251Html)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexUtf8Html)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
