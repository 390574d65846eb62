#include "skin/skin_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include "support/qt_app.h"

namespace lumora::skin {
namespace {

TEST(SkinStyle, EachSectionDrawsItsControlsAndTheSkinComesOffAgain) {
  testing::ensureQApplication();
  auto skin = std::make_shared<SkinReadResult>(parseSkinOptions(
      "[BUTTON]\nColor=#FF0000\nGradientColor=none\n[GAUGE]\nColor=#00FF00\nSelectionColor=#0000FF\nRadius=0\n"
      "[EDIT]\nColor=#FFFF00\n[STATUSBAR]\nColor=#00FFFF\nGradientColor=none\n[TABSHEET]\nColor=#FF00FF\n",
      "Options.dat"));
  ASSERT_TRUE(skin->usable());
  QWidget window;
  window.resize(400, 300);
  auto* button = new QPushButton("", &window);
  button->setGeometry(0, 0, 80, 30);
  auto* gauge = new QProgressBar(&window);
  gauge->setGeometry(0, 40, 100, 20);
  gauge->setValue(50);
  gauge->setTextVisible(false);
  auto* edit = new QLineEdit(&window);
  edit->setGeometry(0, 70, 100, 24);
  auto* status = new QStatusBar(&window);
  status->setGeometry(0, 100, 200, 20);
  auto* tabs = new QTabWidget(&window);
  tabs->setGeometry(0, 130, 200, 120);
  tabs->addTab(new QWidget, "Page");
  window.show();

  struct Probe {
    QWidget* widget;
    QPoint at;
    QColor skinned;
  } probes[] = {
      {button, {40, 8}, QColor(0xFF, 0, 0)},
      {gauge, {10, 10}, QColor(0, 0, 0xFF)},
      {gauge, {90, 10}, QColor(0, 0xFF, 0)},
      {edit, {90, 12}, QColor(0xFF, 0xFF, 0)},
      {status, {100, 10}, QColor(0, 0xFF, 0xFF)},
      {tabs, {100, 80}, QColor(0xFF, 0, 0xFF)},
  };
  putSkinOnApplication(skin);
  for (const Probe& p : probes) {
    EXPECT_EQ(p.widget->grab().toImage().pixelColor(p.at), p.skinned) << p.widget->metaObject()->className();
  }
  putSkinOnApplication(nullptr);
  for (const Probe& p : probes) {
    EXPECT_NE(p.widget->grab().toImage().pixelColor(p.at), p.skinned) << p.widget->metaObject()->className();
  }
}

}  // namespace
}  // namespace lumora::skin
