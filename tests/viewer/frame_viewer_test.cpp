// Framesets and the frame viewer on the offscreen platform: ROWS and COLS sizes, frame documents and their
// errors, links into named frames, the main and frame-local histories and their order.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/qt_app.h"
#include "skin/message_box.h"
#include "support/temp_dir.h"
#include "viewer/frame_viewer.h"

namespace lumora::viewer {
namespace {

TEST(FrameSizes, DimensionsAndTheirShares) {
  struct Case {
    std::string value;
    std::vector<int> dimensions;
    int extent;
    std::vector<int> sizes;
  };
  const std::vector<Case> cases = {
      {"100,*,25%", {100, -1, -125}, 400, {100, 200, 100}},
      {"500,300", {500, 300}, 400, {250, 150}},  // no room: the pixels share what there is
      {"50%,50%", {-150, -150}, 300, {150, 150}},
      {"0*,2000%,9999", {-1, -1000, 5000}, 100, {0, 0, 100}},
      {"", {-1}, 80, {80}},
      {"2*,*", {-2, -1}, 90, {60, 30}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseDimensions(c.value), c.dimensions) << c.value;
    EXPECT_EQ(computeSizes(c.dimensions, c.extent), c.sizes) << c.value;
  }
  EXPECT_EQ(parseDimensions(std::string(30, ',')).size(), 20u);  // at most 20 entries
}

class FrameViewerTest : public ::testing::Test, lumora::testing::QtApplicationFirst {
 protected:
  void SetUp() override {
    viewer.resize(600, 400);
    viewer.setHistoryMaxCount(10);
    viewer.show();
  }
  QString write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name) << text;
    return QString::fromStdString((dir / name).string());
  }
  TfvFrame* frame(const QString& name) {
    const auto it = viewer.currentFrameSet()->FrameNames.find(name.toUpper());
    return it == viewer.currentFrameSet()->FrameNames.end() ? nullptr : it->second;
  }
  static QString textOf(TfvFrame* f) {
    if (!f || !f->Viewer) return "(none)";
    f->Viewer->selectAll();
    return f->Viewer->selectedText();
  }
  void clickLink(TPageViewer* v) {
    // The first link of a page sits at the body margins' corner.
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(type, QPointF(16, 12), QPointF(16, 12), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(v->paintPanel(), &e);
    }
    QApplication::processEvents();  // a link is followed once the click has been handled
  }

  lumora::testing::TempDir dir;
  TFrameViewer viewer;
};

TEST_F(FrameViewerTest, AFramesetDocumentBecomesItsFramesAndAMissingSourceShowsWhy) {
  write("left.htm", "<p>left page</p>");
  const QString set = write("set.htm", "<frameset cols=\"100,*\"><frame name=left src=\"left.htm\">"
                                       "<frame name=Main src=\"gone.htm\"><frame src=\"left.htm\"></frameset>");
  viewer.LoadFromFile(set);
  ASSERT_EQ(viewer.currentFrameSet()->List.size(), 3u);  // the third FRAME gets a column of weight 1
  EXPECT_EQ(viewer.currentFrameSet()->Dimensions, (std::vector<int>{100, -1, -1}));
  EXPECT_EQ(textOf(frame("left")), "left page");
  EXPECT_TRUE(textOf(frame("MAIN")).contains("Can't load ")) << textOf(frame("MAIN")).toStdString();
  EXPECT_EQ(viewer.currentFrameSet()->ViewerList.size(), 3u);
  EXPECT_EQ(viewer.CurrentFile(), set);
}

TEST_F(FrameViewerTest, FramesetsNestedTooDeepLeaveTheirFramesEmpty) {
  // Each level is a frameset whose one frame is the next level; level 6 is a page.
  for (int level = 1; level <= 5; ++level)
    write("level" + std::to_string(level) + ".htm",
          "<frameset rows=\"*\"><frame name=f" + std::to_string(level) + " src=\"level" + std::to_string(level + 1) + ".htm\"></frameset>");
  write("level6.htm", "<p>deep</p>");
  viewer.LoadFromFile(write("top.htm", "<frameset cols=\"*\"><frame name=f0 src=\"level1.htm\"></frameset>"));
  viewer.currentFrameSet()->RebuildFrameList();
  // f0 holds level1 (depth 1) ... f3 holds level4 (depth 4); f4 would be the fifth and stays empty.
  ASSERT_NE(frame("f3"), nullptr);
  EXPECT_NE(frame("f3")->FrameSet, nullptr);
  ASSERT_NE(frame("f4"), nullptr);
  EXPECT_EQ(frame("f4")->FrameSet, nullptr);
  EXPECT_EQ(frame("f4")->Viewer, nullptr);
  EXPECT_TRUE(viewer.currentFrameSet()->ViewerList.empty());
}

TEST_F(FrameViewerTest, AFramesetWithWindowsPathsFindsItsFrames) {
  std::filesystem::create_directories(dir / "Pages");
  write("Pages/Left.htm", "<p>left</p>");
  viewer.LoadFromFile(write("set.htm", "<frameset cols=\"50%,50%\"><frame name=l src=\"pages\\LEFT.HTM\"><frame name=r src=\"PAGES\\\\left.Htm\"></frameset>"));
  EXPECT_EQ(textOf(frame("l")), "left");
  EXPECT_EQ(textOf(frame("r")), "left");
}

TEST_F(FrameViewerTest, LinksLoadIntoTheFrameTheyNameAndBackUndoesTheLatestFrameFirst) {
  write("a1.htm", "<p><a href=\"a2.htm\">next a</a></p>");
  write("a2.htm", "<p><a href=\"b1.htm\" target=\"B\">a two</a></p>");
  write("b1.htm", "<p>b one</p>");
  write("b2.htm", "<p>b two</p>");
  write("b3.htm", "<p><a href=\"b2.htm\">to b two</a></p>");
  viewer.LoadFromFile(write("set.htm", "<frameset rows=\"*,*\"><frame name=a src=a1.htm><frame name=b src=b3.htm></frameset>"));
  ASSERT_NE(frame("a"), nullptr);
  ASSERT_NE(frame("b"), nullptr);
  clickLink(frame("a")->Viewer);  // a: a1 -> a2
  clickLink(frame("b")->Viewer);  // b: b3 -> b2
  EXPECT_EQ(textOf(frame("a")), "a two");
  EXPECT_EQ(textOf(frame("b")), "b two");
  EXPECT_EQ(viewer.History().size(), 1);  // steps inside frames stay in the frames
  EXPECT_TRUE(viewer.BackButtonEnabled());
  viewer.GoBack();  // the later step first
  EXPECT_EQ(textOf(frame("b")), "to b two");
  EXPECT_EQ(textOf(frame("a")), "a two");
  viewer.GoBack();
  EXPECT_EQ(textOf(frame("a")), "next a");
  EXPECT_FALSE(viewer.BackButtonEnabled());
  viewer.GoForward();  // the earliest step ahead first
  EXPECT_EQ(textOf(frame("a")), "a two");
  EXPECT_EQ(textOf(frame("b")), "to b two");
  viewer.GoForward();
  EXPECT_EQ(textOf(frame("b")), "b two");
  EXPECT_FALSE(viewer.FwdButtonEnabled());
  // A link naming another frame loads there.
  clickLink(frame("a")->Viewer);
  EXPECT_EQ(textOf(frame("b")), "b one");
  EXPECT_EQ(textOf(frame("a")), "a two");
}

TEST_F(FrameViewerTest, TheMainHistoryKeepsTopLevelDocumentsAndDropsTheOldest) {
  viewer.setHistoryMaxCount(3);
  std::vector<QString> pages;
  for (int i = 0; i < 5; ++i)
    pages.push_back(write("p" + std::to_string(i) + ".htm", "<title>P" + std::to_string(i) + "</title><p>page</p>"));
  for (const QString& p : pages) viewer.LoadFromFile(p);
  ASSERT_EQ(viewer.History().size(), 3);
  EXPECT_EQ(viewer.History().front(), pages[4]);
  EXPECT_EQ(viewer.History().back(), pages[2]);
  viewer.GoBack();
  EXPECT_EQ(viewer.DocumentTitle(), "P3");
  EXPECT_TRUE(viewer.FwdButtonEnabled());
  viewer.GoForward();
  EXPECT_EQ(viewer.DocumentTitle(), "P4");
  // The same page again: reloaded into the same frameset, one more entry naming it.
  TFrameSet* set = viewer.currentFrameSet();
  viewer.LoadFromFile(pages[4]);
  EXPECT_EQ(viewer.currentFrameSet(), set);
  EXPECT_THROW(viewer.LoadFromFile(QString::fromStdString((dir / "gone.htm").string()) + "#x"), EfvLoadError);
  EXPECT_EQ(viewer.CurrentFile(), pages[4]);
}

TEST_F(FrameViewerTest, ALinkOutOfAnOrdinaryPageReplacesTheTopLevelDocument) {
  write("two.htm", "<title>Two</title><p>second</p>");
  viewer.LoadFromFile(write("one.htm", "<title>One</title><p><a href=\"two.htm\">two</a></p>"));
  clickLink(viewer.currentFrameSet()->ViewerList.front());
  EXPECT_EQ(viewer.DocumentTitle(), "Two");
  EXPECT_EQ(viewer.History().size(), 2);
  // A target that names no frame and no handler for new windows: nothing happens.
  // Alt+Left goes back, Alt+Right forward.
  QKeyEvent back(QEvent::KeyPress, Qt::Key_Left, Qt::AltModifier);
  QApplication::sendEvent(&viewer, &back);
  EXPECT_EQ(viewer.DocumentTitle(), "One");
  QKeyEvent forward(QEvent::KeyPress, Qt::Key_Right, Qt::AltModifier);
  QApplication::sendEvent(&viewer, &forward);
  EXPECT_EQ(viewer.DocumentTitle(), "Two");
  viewer.LoadFromFile(write("blank.htm", "<title>Blank</title><p><a href=\"two.htm\" target=\"_blank\">x</a></p>"));
  clickLink(viewer.currentFrameSet()->ViewerList.front());
  EXPECT_EQ(viewer.DocumentTitle(), "Blank");
}

TEST_F(FrameViewerTest, ALinkToAMissingPageIsReportedAndTheReaderStaysWhereTheyWere) {
  QStringList shown;
  const skin::MessageAnswerer previous = skin::setMessageAnswerer([&](const skin::MessageRequest& r) {
    shown << r.text;
    return true;
  });
  const QString one = write("one.htm", "<title>One</title><p><a href=\"gone.htm#top\">gone</a></p>");
  write("left.htm", "<p><a href=\"gone.htm\" target=\"right\">gone</a></p>");
  write("right.htm", "<title>Right</title><p>right</p>");
  const QString set = write("set.htm", "<frameset cols=\"50%,50%\"><frame name=left src=left.htm><frame name=right src=right.htm></frameset>");
  for (const QString& page : {one, set}) {
    viewer.LoadFromFile(page);
    TPageViewer* clicked = viewer.currentFrameSet()->ViewerList.front();
    const auto entries = viewer.History().size();
    bool busy = false;
    const auto c = QObject::connect(&viewer, &TFrameViewer::OnProcessing, [&](QObject*, bool on) { busy = on; });
    clickLink(clicked);
    QObject::disconnect(c);
    ASSERT_EQ(shown.size(), 1) << page.toStdString();
    EXPECT_EQ(shown.takeFirst(), "Can't locate file: " + QString::fromStdString((dir / "gone.htm").string()));
    EXPECT_FALSE(busy);
    EXPECT_EQ(viewer.CurrentFile(), page);
    EXPECT_EQ(viewer.History().size(), entries);
  }
  EXPECT_EQ(textOf(frame("right")), "right");
  skin::setMessageAnswerer(previous);
}

TEST_F(FrameViewerTest, TheEventsOfALoadComeInTheOrderTheMainWindowReliesOn) {
  QStringList events;
  const auto add = [&](const QString& e) {
    if (e != "running" || events.isEmpty() || events.back() != e) events.push_back(e);  // progress counts once a stage
  };
  QObject::connect(&viewer, &TFrameViewer::OnProcessing, [&](QObject*, bool on) { add(on ? "processing on" : "processing off"); });
  QObject::connect(&viewer, &TFrameViewer::OnProgress, [&](QObject*, TProgressStage stage, int) {
    add(stage == psStarting ? "starting" : stage == psRunning ? "running" : "ending");
  });
  QObject::connect(&viewer, &TFrameViewer::OnParseBegin, [&](QObject*) { add("parse begin"); });
  QObject::connect(&viewer, &TFrameViewer::OnParseEnd, [&](QObject*) { add("parse end"); });
  QObject::connect(&viewer, &TFrameViewer::OnHistoryChange, [&](QObject*) { add("history"); });
  std::string text = "<p>";
  for (int i = 0; i < 3000; ++i) text += "word ";  // long enough to report progress while it is read
  viewer.LoadFromFile(write("page.htm", text + "</p>"));
  // Reading runs to 75 %, laying out from there; the frame's history starts, then the main one gets its entry.
  EXPECT_EQ(events, (QStringList{"processing on", "starting", "parse begin", "running", "parse end", "running", "ending",
                                 "history", "history", "processing off"}));
}

TEST_F(FrameViewerTest, WithoutAHistoryTheOldPageGoesAfterItsLinkWasFollowed) {
  viewer.setHistoryMaxCount(0);
  write("two.htm", "<title>Two</title><p><a href=\"one.htm\">back</a></p>");
  viewer.LoadFromFile(write("one.htm", "<title>One</title><p><a href=\"two.htm\">two</a></p>"));
  clickLink(viewer.currentFrameSet()->ViewerList.front());
  clickLink(viewer.currentFrameSet()->ViewerList.front());
  EXPECT_EQ(viewer.DocumentTitle(), "One");
  EXPECT_TRUE(viewer.History().isEmpty());
}

}  // namespace
}  // namespace lumora::viewer
