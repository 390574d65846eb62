#include "skin/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace lumora::skin {

namespace {

class ScreenFit : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A window gets its Show event before it is mapped, so it appears at the fitted place.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      const Qt::WindowType type = widget->windowType();
      if (widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop) {
        fitIntoScreen(widget);
      }
    }
    return false;
  }
};

}  // namespace

void fitIntoScreen(QWidget* window) {
  QScreen* screen = window->screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  // The frame the window manager adds, where it is known already.
  const QRect frame = window->frameGeometry();
  const QRect inner = window->geometry();
  const int extraWidth = frame.width() - inner.width();
  const int extraHeight = frame.height() - inner.height();
  const QSize room(area.width() - extraWidth, area.height() - extraHeight);
  if (inner.width() > room.width() || inner.height() > room.height()) {
    const QSize fitted = inner.size().boundedTo(room);
    // A fixed size of the window definition gives way to the screen.
    window->setMinimumSize(window->minimumSize().boundedTo(fitted));
    window->resize(fitted);
  }
  const QRect now = window->frameGeometry();
  const int x = std::clamp(now.x(), area.left(), std::max(area.left(), area.right() + 1 - now.width()));
  const int y = std::clamp(now.y(), area.top(), std::max(area.top(), area.bottom() + 1 - now.height()));
  if (x != now.x() || y != now.y()) window->move(x, y);
}

void keepWindowsOnScreen() {
  static const char* const kName = "lumoraScreenFit";
  if (qApp == nullptr || qApp->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly) != nullptr) return;
  auto* fit = new ScreenFit(qApp);
  fit->setObjectName(kName);
  qApp->installEventFilter(fit);
}

}  // namespace lumora::skin
