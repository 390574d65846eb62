#include "skin/screen_fit.h"

#include <gtest/gtest.h>

#include <QScreen>
#include <QWidget>

#include "support/qt_app.h"

namespace lumora::skin {
namespace {

TEST(ScreenFit, ShownWindowsStayInsideTheAvailableArea) {
  testing::ensureQApplication();
  keepWindowsOnScreen();
  keepWindowsOnScreen();  // a second call installs nothing more
  const QRect area = QApplication::primaryScreen()->availableGeometry();
  struct Case {
    const char* name;
    QRect geometry;
    bool fixed;
  };
  const Case cases[] = {
      {"fits where it is", QRect(area.topLeft() + QPoint(10, 10), QSize(200, 100)), false},
      {"sticks out to the right and below", QRect(area.right() - 50, area.bottom() - 40, 300, 200), false},
      {"left of and above the screen", QRect(area.left() - 500, area.top() - 300, 300, 200), false},
      {"larger than the screen", QRect(area.topLeft() + QPoint(375, 135), area.size() * 2), false},
      {"a fixed size larger than the screen", QRect(area.topLeft(), area.size() + QSize(100, 100)), true},
  };
  for (const Case& c : cases) {
    QWidget window;
    if (c.fixed) {
      window.setFixedSize(c.geometry.size());
    } else {
      window.resize(c.geometry.size());
    }
    window.move(c.geometry.topLeft());
    window.show();
    const QRect frame = window.frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << c.name;
    if (area.contains(c.geometry)) {
      // A window that fits stays where and as large as it was put.
      EXPECT_EQ(window.pos(), c.geometry.topLeft()) << c.name;
      EXPECT_EQ(window.size(), c.geometry.size()) << c.name;
    } else if (c.geometry.width() > area.width()) {
      EXPECT_EQ(frame.size(), area.size()) << c.name;
    } else {
      EXPECT_EQ(window.size(), c.geometry.size()) << c.name;
    }
  }
}

}  // namespace
}  // namespace lumora::skin
