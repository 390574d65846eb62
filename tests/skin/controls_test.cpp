#include "skin/controls.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMenu>

#include "support/qt_app.h"

namespace lumora::skin {
namespace {

QImage picture(QMenu& menu) {
  menu.adjustSize();
  return menu.grab().toImage();
}

TEST(MenuItem, ADashCaptionIsAPlainSeparator) {
  testing::ensureQApplication();
  QMenu reference, menu;
  reference.addAction("Audio player");
  reference.addSeparator();
  reference.addAction("Plugins");
  TMenuItem first("Audio player", "N1", &menu), separator("-", "N2", &menu), last("Plugins", "N3", &menu);
  menu.addActions({&first, &separator, &last});
  EXPECT_EQ(separator.property("Caption").toString(), "-");
  EXPECT_EQ(picture(menu), picture(reference)) << "the separator shows something a plain one does not";

  // A language sets the caption again: "-" stays a separator, any other text makes an item of it.
  separator.setProperty("Caption", "-");
  EXPECT_EQ(picture(menu), picture(reference));
  separator.setProperty("Caption", "Extras");
  EXPECT_FALSE(separator.isSeparator());
  EXPECT_EQ(separator.text(), "Extras");
}

TEST(ToolBar, ButtonsMakeRoomForLongCaptionsAndThePlacedBoxFollows) {
  testing::ensureQApplication();
  QWidget window;
  auto* bar = new TsToolBar(&window);
  bar->resize(800, 48);
  TToolButton* buttons[3];
  const char* captions[] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) {
    buttons[i] = new TToolButton;
    buttons[i]->setCaption(captions[i]);
    bar->addButton(buttons[i]);
  }
  bar->addSeparator("gap", 8);
  auto* box = new QWidget;
  box->resize(161, 44);
  bar->placeWidget(box, 200);
  const auto rightOf = [](const QWidget* w) { return w->x() + w->width(); };
  // Short captions keep the definition's width and the box its place.
  for (TToolButton* b : buttons) EXPECT_EQ(b->width(), 57);
  EXPECT_EQ(box->x(), 200);

  buttons[2]->setCaption("Aktualisieren und noch mehr");
  EXPECT_GE(buttons[2]->width(), buttons[2]->sizeHint().width());
  EXPECT_GT(buttons[2]->width(), 57);
  EXPECT_EQ(buttons[2]->x(), rightOf(buttons[1]));
  EXPECT_GT(box->x(), rightOf(buttons[2]) + 8) << "the box must not cover the buttons";

  // Without captions the buttons are images only, at the definition's width.
  bar->setShowCaptions(false);
  EXPECT_EQ(buttons[2]->width(), 57);
  EXPECT_EQ(box->x(), 200);
}

}  // namespace
}  // namespace lumora::skin
