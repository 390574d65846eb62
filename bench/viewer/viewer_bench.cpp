// The page viewer on Qt's offscreen platform, 800 x 600, installed fonts: from a link's activation to the
// new page painted (the demo's chapter page), and scrolling the generated 10 MB book page by one line (the
// shifted pixels plus the uncovered strip painted) and by a page. Median processor times. Targets: a link
// under 30 ms, a line under 2 ms, a page under 8 ms.
//
//   viewer_bench [DEMO_FOLDER]   (the source tree's demo/ unless given)

#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "html/bench_pages.h"
#include "viewer/page_viewer.h"

namespace {

using lumora::bench::threadSeconds;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const QString demo = argc > 1 ? QString(argv[1]) : QString(LUMORA_BENCH_SOURCE_DIR) + "/demo";
  lumora::viewer::TPageViewer viewer;
  viewer.resize(800, 600);
  viewer.setDefBackground(Qt::white);
  viewer.show();
  // Painting starts once the window is on the (virtual) screen.
  for (int i = 0; i < 10; ++i) QApplication::processEvents();

  // A link: the start page's link to chapter 1 followed, the new page laid out and painted.
  std::vector<double> links;
  for (int round = 0; round < 15; ++round) {
    viewer.LoadFromFile(demo + "/index.htm");
    viewer.paintPanel()->repaint();
    const double start = threadSeconds();
    viewer.LoadFromFile(demo + "/chapters/chapter1.htm");
    viewer.paintPanel()->repaint();
    links.push_back(threadSeconds() - start);
  }

  const std::string page = lumora::bench::makePage(10 * 1024 * 1024, false);
  const QString file = QDir::temp().filePath("lumora-viewer-bench.htm");
  {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return 1;
    out.write(page.data(), static_cast<qint64>(page.size()));
  }
  viewer.LoadFromFile(file);
  viewer.ScrollTo(viewer.scrollHeight() / 2);
  viewer.paintPanel()->repaint();
  {
    const double start = threadSeconds();
    viewer.paintPanel()->repaint();
    std::printf("a whole view painted again: %.2f ms\n", (threadSeconds() - start) * 1000);
  }
  std::vector<double> lines, pages;
  for (int round = 0; round < 40; ++round) {
    double start = threadSeconds();
    viewer.ScrollTo(viewer.scrollPosition() + 16);
    viewer.paintPanel()->repaint();
    lines.push_back(threadSeconds() - start);
    start = threadSeconds();
    viewer.ScrollTo(viewer.scrollPosition() + viewer.verticalBar()->pageStep());
    viewer.paintPanel()->repaint();
    pages.push_back(threadSeconds() - start);
  }
  QFile::remove(file);
  std::printf("page viewer, 800 x 600, installed fonts\n");
  std::printf("  link followed to the chapter page painted: %.2f ms (target 30 ms)\n", median(links) * 1000);
  std::printf("  10 MB page (%d pixels high): one line %.2f ms (target 2 ms), one page %.2f ms (target 8 ms)\n",
              viewer.scrollHeight(), median(lines) * 1000, median(pages) * 1000);
  return 0;
}
