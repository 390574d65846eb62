// A page of 2,000 form controls in the page viewer on Qt's offscreen platform, 800 x 600, installed fonts:
// the page loaded, laid out and painted (the controls made, sized and the visible ones placed); a scroll
// by a page painted; the form reset; another page loaded in its place (the controls destroyed). Median wall-clock times of a few rounds. Target: load + layout + paint
// under 300 ms.
//
//   form_bench

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/html_forms.h"
#include "viewer/page_viewer.h"

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// 2,000 controls of every kind, five to a paragraph, as a long questionnaire has them.
std::string makeFormPage() {
  std::string page = "<html><head><title>Questionnaire</title></head><body><form action=done.htm>";
  for (int i = 0; i < 400; ++i) {
    const std::string n = std::to_string(i);
    page += "<p>Question " + n + ": <input name=t" + n + " size=20 value=\"answer " + n + "\"> ";
    page += "<input type=checkbox name=c" + n + (i % 2 ? " checked" : "") + "> sure ";
    page += "<input type=radio name=r" + n + " value=yes checked> yes ";
    page += "<select name=s" + n + "><option>one<option selected>two<option>three</select> ";
    if (i % 2) page += "<textarea name=a" + n + " rows=2 cols=20>notes</textarea></p>";
    else page += "<input type=submit name=b" + n + " value=Send></p>";
  }
  return page + "</form></body></html>";
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  lumora::viewer::TPageViewer viewer;
  viewer.resize(800, 600);
  viewer.setDefBackground(Qt::white);
  viewer.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  const std::string page = makeFormPage();

  std::vector<double> loads, scrolls, resets, leaves;
  size_t controls = 0;
  for (int round = 0; round < 7; ++round) {
    QElapsedTimer timer;
    timer.start();
    viewer.LoadFromString("<p>empty</p>", "empty.htm");
    QApplication::processEvents();  // the last page's widgets go
    if (round > 0) leaves.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    timer.restart();
    viewer.LoadFromString(page, "form.htm");
    viewer.paintPanel()->repaint();
    loads.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    controls = viewer.document().FormControlList.size();

    timer.restart();
    viewer.ScrollTo(viewer.scrollPosition() + viewer.verticalBar()->pageStep());
    viewer.paintPanel()->repaint();
    scrolls.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

    timer.restart();
    viewer.document().htmlFormList.front()->ResetAll();
    viewer.paintPanel()->repaint();
    resets.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::printf("page viewer, 800 x 600, installed fonts, a page of %zu form controls\n", controls);
  std::printf("  loaded, laid out and painted: %.1f ms (target 300 ms)\n", median(loads));
  std::printf("  scrolled by a page and painted: %.1f ms\n", median(scrolls));
  std::printf("  reset and painted: %.1f ms\n", median(resets));
  std::printf("  left for a short page (its controls gone): %.1f ms\n", median(leaves));
  return 0;
}
