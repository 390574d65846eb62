#include "skin/hint_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPushButton>
#include <QScreen>

#include "support/qt_app.h"

namespace lumora::skin {
namespace {

// A point of the pointer a little way from its tip toward its base.
QPoint nearTip(const TsHintWindow& balloon) {
  const TComicShape shape = comicShape(THintKind(), {balloon.width(), balloon.height()}, balloon.pointerCorner());
  const QPointF tip(shape.Tip.X, shape.Tip.Y);
  const QPointF base((shape.BaseLeft.X + shape.BaseRight.X) / 2.0, shape.BaseLeft.Y);
  return (tip + (base - tip) * 0.15).toPoint();
}

class HintWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensureQApplication(); }
  void SetUp() override {
    window.resize(300, 200);
    button = new QPushButton("Play", &window);
    button->setToolTip("<b>Play</b><br>Open the file and start to play it.");
    window.show();
  }
  // What the platform's hint mechanism sends when the mouse rests on a control.
  bool restMouseOn(QWidget* widget, QPoint global) {
    QCursor::setPos(global);
    QHelpEvent event(QEvent::ToolTip, widget->mapFromGlobal(global), global);
    return QApplication::sendEvent(widget, &event);
  }
  static void wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  QWidget window;
  QPushButton* button;
  TsHintManager hints;
};

TEST_F(HintWindowTest, AToolTipBecomesABalloonWithMarkupBelowAndRightOfTheMouse) {
  const QPoint mouse = QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(100, 100);
  restMouseOn(button, mouse);
  TsHintWindow* balloon = hints.shownHint();
  ASSERT_NE(balloon, nullptr);
  EXPECT_TRUE(balloon->isVisible());
  const HintLayout& text = balloon->textLayout();
  ASSERT_EQ(text.Runs.size(), 2u);
  EXPECT_TRUE(text.Runs[0].Font.Bold);
  EXPECT_EQ(text.Runs[1].Y, text.Runs[0].Y + TQtHintMetrics().lineHeight(text.Runs[0].Font) + 2);
  // The program's preset: the text's extent plus 39 by 44 pixels, opening right and down.
  EXPECT_EQ(balloon->geometry(), QRect(mouse, QSize(text.Width + 39, text.Height + 44)));
  EXPECT_EQ(balloon->pointerCorner(), 0);

  const QImage& picture = balloon->picture();
  const int w = picture.width(), h = picture.height();
  const int bodyTop = 19, bodyBottom = h - 7;  // below the pointer, above the shadow
  const QColor fill = fromBgr(12778748);  // pale yellow
  EXPECT_EQ(picture.pixelColor(w - 20, (bodyTop + bodyBottom) / 2), fill);
  EXPECT_EQ(picture.pixelColor(w / 2 + 30, bodyTop), QColor(Qt::black)) << "the outline";
  EXPECT_EQ(picture.pixelColor(nearTip(*balloon)).alpha(), 255) << "the pointer, near its tip at the mouse";
  EXPECT_EQ(picture.pixelColor(w - 2, 2).alpha(), 0) << "outside the shape and its shadow";
  const QColor shadow = picture.pixelColor(w - 3, h - 3);
  EXPECT_GT(shadow.alpha(), 0);
  EXPECT_LT(shadow.alpha(), 255);
  // Some of the text's pixels are dark.
  int dark = 0;
  for (int x = 16; x < 16 + text.Width; ++x) {
    for (int y = bodyTop + 9; y < bodyTop + 9 + text.Height; ++y) dark += qGray(picture.pixel(x, y)) < 100;
  }
  EXPECT_GT(dark, 20);
}

TEST_F(HintWindowTest, NearTheRightEdgeTheBalloonOpensToTheLeft) {
  const QRect desk = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint mouse(desk.right() - 10, desk.top() + 100);
  restMouseOn(button, mouse);
  TsHintWindow* balloon = hints.shownHint();
  ASSERT_NE(balloon, nullptr);
  EXPECT_EQ(balloon->pointerCorner(), 2);
  EXPECT_EQ(balloon->geometry().right() + 1, mouse.x());
  EXPECT_LE(balloon->geometry().right(), desk.right());
  // The pointer's tip is in the window's top-right corner, toward the mouse.
  const QPoint tip = nearTip(*balloon);
  EXPECT_GT(tip.x(), balloon->width() / 2);
  EXPECT_EQ(balloon->picture().pixelColor(tip).alpha(), 255);
  EXPECT_EQ(balloon->picture().pixelColor(balloon->width() - 1 - tip.x(), tip.y()).alpha(), 0);
}

TEST_F(HintWindowTest, HidesWhenTheMouseLeavesAndAfterItsDisplayTime) {
  const QPoint mouse = button->mapToGlobal(button->rect().center());
  restMouseOn(button, mouse);
  ASSERT_NE(hints.shownHint(), nullptr);
  // The balloon under the mouse may take it from the control: that alone does not end the hint.
  QEvent covered(QEvent::Leave);
  QApplication::sendEvent(button, &covered);
  EXPECT_NE(hints.shownHint(), nullptr);
  QCursor::setPos(button->mapToGlobal(QPoint(-50, -50)));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_EQ(hints.shownHint(), nullptr);

  hints.setPauseHide(60);
  restMouseOn(button, mouse);
  ASSERT_NE(hints.shownHint(), nullptr);
  wait(20);
  EXPECT_NE(hints.shownHint(), nullptr);
  wait(150);
  EXPECT_EQ(hints.shownHint(), nullptr);

  // A control without a hint shows none; one whose text is empty after the markup shows none either way.
  auto* plain = new QPushButton("Plain", &window);
  plain->show();
  EXPECT_FALSE(restMouseOn(plain, mouse) && hints.shownHint() != nullptr);
}

TEST_F(HintWindowTest, FadesInToItsOpacity) {
  restMouseOn(button, button->mapToGlobal(button->rect().center()));
  TsHintWindow* balloon = hints.shownHint();
  ASSERT_NE(balloon, nullptr);
  EXPECT_LT(balloon->windowOpacity(), 0.5);
  wait(15 * 10 + 100);
  ASSERT_NE(hints.shownHint(), nullptr);
  EXPECT_NEAR(balloon->windowOpacity(), 230.0 / 255.0, 0.01);
}

TEST_F(HintWindowTest, PlainModeWrapsAtTheMaximumWidth) {
  hints.setHTMLMode(false);
  button->setToolTip("<b>not bold</b> and a long text that is wrapped into several lines of at most 180 pixels");
  restMouseOn(button, button->mapToGlobal(button->rect().center()));
  TsHintWindow* balloon = hints.shownHint();
  ASSERT_NE(balloon, nullptr);
  EXPECT_TRUE(balloon->textLayout().Runs.empty());
  EXPECT_LE(balloon->width(), 180 + 39);
  EXPECT_GT(balloon->height(), 44 + 2 * QFontMetrics(toQFont(hints.hintFont())).height());
}

}  // namespace
}  // namespace lumora::skin
