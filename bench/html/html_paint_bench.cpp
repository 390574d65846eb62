// Painting an 800 x 600 view in the middle of the generated 10 MB book page (bench_pages.h) onto a Qt
// image after layout, with the installed fonts; and hit tests (the link and the character position under a
// point) at points over the whole document height. Prints the
// median processor times. Targets: a view painted in under 8 ms, a hit test in under 1 ms.
//
//   html_paint_bench [MEGABYTES]

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "bench_pages.h"
#include "html/html_document.h"
#include "html/html_fixed_metrics.h"
#include "html/html_parser.h"
#include "viewer/qt_platform.h"

namespace {

using namespace lumora::html;
using lumora::bench::threadSeconds;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
  const std::string page = lumora::bench::makePage(static_cast<size_t>(megabytes * 1024 * 1024), false);
  lumora::viewer::QtTextMetrics metrics;
  FixedMetricsPlatform controls;
  THtmlHost host{&metrics, nullptr, nullptr, &controls};
  TSectionList document(&host);
  document.SetDefaults();
  ParseHtmlText(page, document);
  int scrollWidth = 0;
  const int height = document.LayOut(metrics, 600, 800, scrollWidth);

  QImage view(800, 600, QImage::Format_RGB32);
  std::vector<double> paints;
  // The first paint of a place also realises fonts and fills caches: measure repeated paints of a few
  // places around the middle, as scrolling a view does.
  for (int round = 0; round < 25; ++round) {
    const int y = height / 2 + (round % 5) * 300;
    QPainter painter(&view);
    lumora::viewer::QtCanvas canvas(painter, metrics);
    const double start = threadSeconds();
    document.paintBackground(canvas, {0, 0, 800, 600}, 0, y);
    document.Paint(canvas, metrics, {0, 0, 800, 600}, 0, y);
    paints.push_back(threadSeconds() - start);
  }
  // Hit tests at points spread over the whole document, as a mouse moving over any part of it asks.
  std::vector<double> hits;
  long found = 0;
  for (int i = 0; i < 2000; ++i) {
    const int x = 10 + (i * 37) % 780;
    const int y = static_cast<int>(static_cast<long long>(height) * i / 2000);
    TUrlTarget link;
    TFormControlObj* control = nullptr;
    std::string title;
    int xr = 0, yr = 0, caretHeight = 0;
    bool inText = false;
    const double start = threadSeconds();
    found += document.LinkAtPoint(metrics, x, y, link, control, title) != 0;
    found += document.PositionAtPoint(metrics, x, y, xr, yr, caretHeight, inText) >= 0;
    hits.push_back(threadSeconds() - start);
  }
  std::printf("book page, installed metrics: %.2f MB, %d pixels high at 800\n", page.size() / (1024.0 * 1024.0), height);
  std::printf("  paint of an 800 x 600 view in the middle: %.2f ms (target 8 ms; first %.2f ms)\n",
              median(paints) * 1000, paints.front() * 1000);
  std::printf("  hit test (link and character position) anywhere in the document: %.3f ms median, %.3f ms worst "
              "(target 1 ms; %ld of 4000 found something)\n",
              median(hits) * 1000, *std::max_element(hits.begin(), hits.end()) * 1000, found);
  return 0;
}
