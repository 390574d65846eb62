// The page viewer on the offscreen platform: loading pages, anchors, positions that survive a re-layout,
// scroll bars, links followed by a click, the selection, history and visited links.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScreen>
#include <QKeyEvent>
#include <QMouseEvent>
#include <chrono>
#include <filesystem>
#include <thread>
#include <fstream>
#include <vector>
#include <string>

#include "html/html_section.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "image/gif_image.h"
#include "viewer/page_viewer.h"

namespace lumora::viewer {
namespace {

using lumora::testing::TempDir;

void mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void press(QWidget* w, QPoint p) { mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
void drag(QWidget* w, QPoint p) { mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
void release(QWidget* w, QPoint p) { mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
void hover(QWidget* w, QPoint p) { mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
void click(QWidget* w, QPoint p) {
  press(w, p);
  release(w, p);
  QApplication::processEvents();  // a link is followed once the click has been handled
}
void doubleClick(QWidget* w, QPoint p) {
  click(w, p);
  mouse(w, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
  release(w, p);
}
void key(QWidget* w, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, k, modifiers);
  QApplication::sendEvent(w, &e);
}

class PageViewerTest : public ::testing::Test, lumora::testing::QtApplicationFirst {
 protected:
  void SetUp() override {
    viewer.resize(400, 300);
    viewer.setHistoryMaxCount(10);
    viewer.show();
  }
  std::string write(const std::string& name, const std::string& text) {
    const auto path = dir / name;
    std::ofstream(path) << text;
    return path.string();
  }
  static std::string longPage(const std::string& anchorName) {
    std::string html = "<html><head><title>Long</title></head><body>";
    for (int i = 0; i < 80; ++i) {
      if (i == 60) html += "<a name=\"" + anchorName + "\"></a>";
      html += "<p>Paragraph " + std::to_string(i) + " with a few words in it.</p>";
    }
    return html + "<p><a href=\"other.htm\">other</a></p></body></html>";
  }

  TempDir dir;
  TPageViewer viewer;
};

TEST_F(PageViewerTest, LoadsAPageAndScrollsToAnAnchorByItsUpperCasedName) {
  const std::string page = write("page.htm", longPage("Sec"));
  viewer.LoadFromFile(QString::fromStdString(page + "#sec"));
  EXPECT_EQ(viewer.DocumentTitle(), "Long");
  EXPECT_EQ(viewer.CurrentFile().toStdString(), page);
  EXPECT_TRUE(viewer.verticalBar()->isVisible());
  const int atAnchor = viewer.scrollPosition();
  EXPECT_GT(atAnchor, 0);
  // A missing anchor in the same file keeps the position; a new file starts at the top.
  viewer.LoadFromFile(QString::fromStdString(page + "#nothere"));
  EXPECT_EQ(viewer.scrollPosition(), atAnchor);
  const std::string other = write("other.htm", "<p>short</p>");
  viewer.LoadFromFile(QString::fromStdString(other + "#nothere"));
  EXPECT_EQ(viewer.scrollPosition(), 0);
  EXPECT_FALSE(viewer.verticalBar()->isVisible());
}

TEST_F(PageViewerTest, AMissingFileIsAnErrorAndLeavesThePage) {
  const std::string page = write("page.htm", "<p>kept</p>");
  viewer.LoadFromFile(QString::fromStdString(page));
  EXPECT_THROW(viewer.LoadFromFile(QString::fromStdString((dir / "gone.htm").string())), EPageLoadError);
  EXPECT_EQ(viewer.CurrentFile().toStdString(), page);
  EXPECT_FALSE(viewer.Processing());
  try {
    viewer.LoadFromFile(QString::fromStdString((dir / "gone.htm").string() + "#x"));
  } catch (const EPageLoadError& e) {
    EXPECT_EQ(std::string(e.what()), "Can't locate file: " + (dir / "gone.htm").string());
  }
}

TEST_F(PageViewerTest, DocPositionSurvivesALayoutAtAnotherWidth) {
  const std::string page = write("page.htm", longPage("sec"));
  viewer.LoadFromFile(QString::fromStdString(page + "#sec"));
  const int position = viewer.DocPosition();
  EXPECT_NE(position >> 16, 0);  // an item index, not a plain offset
  const int before = viewer.scrollPosition();
  viewer.resize(200, 300);  // narrower: lines wrap, the anchor moves down
  viewer.setDocPosition(position);
  EXPECT_GT(viewer.scrollPosition(), before);
  EXPECT_EQ(viewer.DocPosition(), position);
}

TEST_F(PageViewerTest, AClickOnALinkFollowsItAndRecordsHistoryAndVisitedLinks) {
  write("other.htm", "<html><head><title>Other</title></head><body><p>there</p></body></html>");
  const std::string page = write("page.htm", "<p><a href=\"other.htm\">go there</a> and more</p>");
  viewer.LoadFromFile(QString::fromStdString(page));
  QString covered;
  QObject::connect(&viewer, &TPageViewer::OnHotSpotCovered, [&](QObject*, const QString& src) { covered = src; });
  // The link's first characters sit at the body's margins (10, 5) on a line of about 18 pixels.
  hover(viewer.paintPanel(), QPoint(20, 12));
  EXPECT_EQ(covered, "other.htm");
  click(viewer.paintPanel(), QPoint(20, 12));
  EXPECT_EQ(viewer.DocumentTitle(), "Other");
  ASSERT_EQ(viewer.History().size(), 2);
  EXPECT_EQ(viewer.History()[1].toStdString(), page);
  EXPECT_EQ(viewer.HistoryIndex(), 0);
  ASSERT_FALSE(viewer.VisitedLinks().isEmpty());
  EXPECT_EQ(viewer.VisitedLinks().front().toStdString(), (dir / "other.htm").string());
  // Back: the first page, its link now marked visited.
  viewer.setHistoryIndex(1);
  EXPECT_EQ(viewer.CurrentFile().toStdString(), page);
  ASSERT_FALSE(viewer.document().LinkList.empty());
  EXPECT_TRUE(viewer.document().LinkList.front()->Visited);
  // Links to files that are not pages do nothing.
  const std::string notes = write("notes.htm", "<p><a href=\"setup.exe\">setup</a></p>");
  viewer.LoadFromFile(QString::fromStdString(notes));
  click(viewer.paintPanel(), QPoint(20, 12));
  EXPECT_EQ(viewer.CurrentFile().toStdString(), notes);
}

TEST_F(PageViewerTest, DraggingSelectsTextAndDoubleClickSelectsAWord) {
  const std::string page = write("page.htm", "<p>alpha beta gamma</p><p>second paragraph</p>");
  viewer.LoadFromFile(QString::fromStdString(page));
  press(viewer.paintPanel(), QPoint(11, 12));
  drag(viewer.paintPanel(), QPoint(70, 45));
  release(viewer.paintPanel(), QPoint(70, 45));
  EXPECT_TRUE(viewer.selectedText().startsWith("alpha beta gamma\r\nsecond")) << viewer.selectedText().toStdString();
  doubleClick(viewer.paintPanel(), QPoint(60, 12));
  EXPECT_EQ(viewer.selectedText(), "beta");
}

TEST_F(PageViewerTest, KeysAndWheelScroll) {
  const std::string page = write("page.htm", longPage("sec"));
  viewer.LoadFromFile(QString::fromStdString(page));
  key(&viewer, Qt::Key_Down);
  EXPECT_EQ(viewer.scrollPosition(), 16);
  key(&viewer, Qt::Key_End);
  EXPECT_EQ(viewer.scrollPosition(), viewer.verticalBar()->maximum());
  key(&viewer, Qt::Key_Home);
  EXPECT_EQ(viewer.scrollPosition(), 0);
  key(&viewer, Qt::Key_PageDown);
  EXPECT_EQ(viewer.scrollPosition(), viewer.verticalBar()->pageStep());
}

TEST_F(PageViewerTest, TabMovesThroughLinksAndEnterFollowsTheFocusedOne) {
  write("a.htm", "<title>A</title><p>a</p>");
  write("b.htm", "<title>B</title><p>b</p>");
  viewer.LoadFromFile(QString::fromStdString(write("page.htm", "<p>see <a href=\"a.htm\">first</a> and <a href=\"b.htm\">second</a></p>")));
  viewer.setFocus();
  const auto focused = [&] { return viewer.focusedLink() ? viewer.focusedLink()->Url : std::string("(none)"); };
  key(&viewer, Qt::Key_Tab);
  EXPECT_EQ(focused(), "a.htm");
  key(&viewer, Qt::Key_Tab);
  EXPECT_EQ(focused(), "b.htm");
  key(&viewer, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(focused(), "a.htm");
  key(&viewer, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(viewer.DocumentTitle(), "A");
}

TEST_F(PageViewerTest, FindSelectsMatchesForwardAndBackAndCopyTakesTheSelection) {
  viewer.LoadFromFile(QString::fromStdString(write("page.htm", "<p>One two one</p>")));
  viewer.showFindBar();
  viewer.findChild<QLineEdit*>("FindText")->setText("one");
  ASSERT_TRUE(viewer.findNext(false));
  EXPECT_EQ(viewer.document().SelStart, 0);  // without "match case" the capital matches too
  ASSERT_TRUE(viewer.findNext(false));
  EXPECT_EQ(viewer.document().SelStart, 8);
  EXPECT_FALSE(viewer.findNext(false));
  ASSERT_TRUE(viewer.findNext(true));
  EXPECT_EQ(viewer.document().SelStart, 0);
  viewer.setFocus();
  key(&viewer, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "One");
}

TEST_F(PageViewerTest, AShortScrollShowsWhatAFullPaintShows) {
  viewer.LoadFromFile(QString::fromStdString(write("page.htm", longPage("sec"))));
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  const auto onScreen = [&] {
    QApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(viewer.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  };
  onScreen();
  for (int step : {16, 16, -16, 48}) viewer.ScrollTo(viewer.scrollPosition() + step);  // shifted pixels
  const QImage shifted = onScreen();
  viewer.paintPanel()->update();  // everything painted again
  const QImage full = onScreen();
  ASSERT_FALSE(full.isNull());
  EXPECT_EQ(viewer.scrollPosition(), 64);
  EXPECT_TRUE(shifted == full);
}

TEST_F(PageViewerTest, MetaRefreshDelaysAndTargets) {
  struct Case {
    std::string content;
    int delay;
    QString url;
  };
  for (const Case& c : std::vector<Case>{{"0", 1, ""}, {"5;URL=next.htm", 5, "next.htm"}, {"x", -1, ""}, {"-2", -1, ""}}) {
    int delay = -1;
    QString url;
    const auto connection = QObject::connect(&viewer, &TPageViewer::OnMetaRefresh, [&](QObject*, int d, const QString& u) {
      delay = d;
      url = u;
    });
    viewer.LoadFromFile(QString::fromStdString(write("r.htm", "<meta http-equiv=\"Refresh\" content=\"" + c.content + "\"><p>r</p>")));
    QObject::disconnect(connection);
    EXPECT_EQ(delay, c.delay) << c.content;
    EXPECT_EQ(url, c.url) << c.content;
  }
}

TEST_F(PageViewerTest, LegacyLinksWithBackslashesAndAnyLetterCase) {
  std::filesystem::create_directories(dir / "Chapters");
  write("Chapters/Two.htm", "<title>Two</title><p>two</p>");
  viewer.LoadFromFile(QString::fromStdString(write("page.htm", "<p><a href=\"chapters\\TWO.HTM\">two</a></p>")));
  click(viewer.paintPanel(), QPoint(16, 12));
  EXPECT_EQ(viewer.DocumentTitle(), "Two");
  EXPECT_EQ(viewer.CurrentFile().toStdString(), (dir / "Chapters/Two.htm").string());
}

TEST_F(PageViewerTest, AWindows1251PageWithoutACharsetReadsInTheDefaultCodePage) {
  viewer.LoadFromFile(QString::fromStdString(write("old.htm", "<p>\xcf\xf0\xe8\xe2\xe5\xf2</p>")));
  viewer.selectAll();
  EXPECT_EQ(viewer.selectedText(), QString::fromUtf8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"));  // "Привет"
}

// Two 1 x 1 frames of 10 ms each, looping: black, then white.
std::string twoFrameGif() {
  const unsigned char bytes[] = {
      'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
      0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
      0x21, 0xF9, 4, 0, 1, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0,
      0x21, 0xF9, 4, 0, 1, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0,
      0x3B};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST_F(PageViewerTest, AnimatedPicturesPlayWhileTheirPageIsShown) {
  write("anim.gif", twoFrameGif());
  viewer.LoadFromFile(QString::fromStdString(write("page.htm", "<p><img src=\"anim.gif\" width=20 height=20></p>")));
  ASSERT_EQ(viewer.document().AnimatedImages.size(), 1u);
  const std::shared_ptr<image::TGIFImage> gif = viewer.document().AnimatedImages.front();
  ASSERT_TRUE(gif->Animated);
  bool moved = false;
  for (int i = 0; i < 50 && !moved; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    moved = gif->CurrentFrame != 1;
  }
  EXPECT_TRUE(moved);
  viewer.LoadFromFile(QString::fromStdString(write("still.htm", "<p>still</p>")));
  EXPECT_TRUE(viewer.document().AnimatedImages.empty());

  // ACTIVE: it plays only while the mouse is over it, and shows its first frame again when the mouse leaves.
  viewer.LoadFromFile(QString::fromStdString(write("hover.htm", "<p><img src=\"anim.gif\" active width=40 height=40></p>")));
  EXPECT_TRUE(viewer.document().AnimatedImages.empty());
  viewer.paintPanel()->grab();  // an image is found under the mouse where it was last painted
  const auto moveTo = [&](QPointF at) {
    QMouseEvent e(QEvent::MouseMove, at, viewer.paintPanel()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewer.paintPanel(), &e);
  };
  moveTo({25, 25});
  ASSERT_EQ(viewer.document().AnimatedImages.size(), 1u);
  const std::shared_ptr<image::TGIFImage> hovered = viewer.document().AnimatedImages.front();
  moved = false;
  for (int i = 0; i < 50 && !moved; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    moved = hovered->CurrentFrame != 1;
  }
  EXPECT_TRUE(moved);
  moveTo({300, 300});
  EXPECT_TRUE(viewer.document().AnimatedImages.empty());
  EXPECT_EQ(hovered->CurrentFrame, 1);
  EXPECT_FALSE(hovered->Animate());
}

TEST_F(PageViewerTest, TextAndPictureDocuments) {
  const std::string text = write("notes.txt", "line one\nline <two>\n");
  viewer.LoadTextDocument(QString::fromStdString(text));
  EXPECT_EQ(viewer.FileType(), ftText);
  viewer.selectAll();
  EXPECT_TRUE(viewer.selectedText().contains("line <two>"));
  EXPECT_EQ(viewer.History().size(), 1);
}

}  // namespace
}  // namespace lumora::viewer
