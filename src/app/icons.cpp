#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace lumora::app {

namespace {

const QColor kInk(38, 70, 110);
const QColor kAccent(58, 140, 200);
const QColor kWarm(230, 150, 40);

QPixmap canvas(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void arrow(QPainter& p, bool left) {
  QPainterPath path;
  if (left) {
    path.moveTo(3, 12);
    path.lineTo(11, 4);
    path.lineTo(11, 8.5);
    path.lineTo(21, 8.5);
    path.lineTo(21, 15.5);
    path.lineTo(11, 15.5);
    path.lineTo(11, 20);
  } else {
    path.moveTo(21, 12);
    path.lineTo(13, 4);
    path.lineTo(13, 8.5);
    path.lineTo(3, 8.5);
    path.lineTo(3, 15.5);
    path.lineTo(13, 15.5);
    path.lineTo(13, 20);
  }
  path.closeSubpath();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kAccent);
  p.drawPath(path);
}

}  // namespace

QIcon toolbarIcon(ToolbarImage image) {
  QPixmap pixmap = canvas(24);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (image) {
    case MainPage: {
      QPainterPath roof;
      roof.moveTo(2, 12);
      roof.lineTo(12, 3);
      roof.lineTo(22, 12);
      p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPath(roof);
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(250, 245, 230));
      p.drawRect(QRectF(5, 11, 14, 10));
      p.setBrush(kWarm);
      p.drawRect(QRectF(10, 14, 4, 7));
      break;
    }
    case Back:
      arrow(p, true);
      break;
    case Next:
      arrow(p, false);
      break;
    case Refresh: {
      p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::FlatCap));
      p.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 290 * 16);
      QPainterPath head;
      head.moveTo(14, 1.5);
      head.lineTo(20.5, 4.5);
      head.lineTo(14.5, 9);
      head.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(kAccent);
      p.drawPath(head);
      break;
    }
    case Settings: {
      p.translate(12, 12);
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-2, -11, 4, 5));
        p.rotate(45);
      }
      p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
      p.setBrush(QColor(235, 240, 245));
      p.drawEllipse(QPointF(0, 0), 3, 3);
      break;
    }
    case Help: {
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(kAccent);
      p.drawEllipse(QRectF(2, 2, 20, 20));
      QFont font("DejaVu Sans");
      font.setPixelSize(15);
      font.setBold(true);
      p.setFont(font);
      p.setPen(Qt::white);
      p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, "?");
      break;
    }
    case More:
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(5 + i * 7, 12), 2.5, 2.5);
      break;
  }
  return QIcon(pixmap);
}

QIcon menuIcon(MenuImage image) {
  QPixmap pixmap = canvas(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (image) {
    case AudioPlayer:
      p.setPen(QPen(kInk, 1.5));
      p.drawLine(QPointF(6, 12), QPointF(6, 2.5));
      p.drawLine(QPointF(13, 10), QPointF(13, 1.5));
      p.drawLine(QPointF(6, 2.5), QPointF(13, 1.5));
      p.setBrush(kInk);
      p.drawEllipse(QPointF(4, 12), 2.5, 2);
      p.drawEllipse(QPointF(11, 10), 2.5, 2);
      break;
    case ZipArchiver:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kWarm);
      p.drawRect(QRectF(2.5, 2.5, 11, 11));
      p.setPen(QPen(kInk, 1));
      for (int y = 3; y < 12; y += 2) p.drawLine(QPointF(7, y), QPointF(9, y));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6.5, 10, 3, 3));
      break;
    case Plugins:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kAccent);
      p.drawRoundedRect(QRectF(2.5, 5.5, 9, 8), 1.5, 1.5);
      p.setPen(QPen(kInk, 1.6));
      p.drawLine(QPointF(5, 5.5), QPointF(5, 1.5));
      p.drawLine(QPointF(9, 5.5), QPointF(9, 1.5));
      p.drawLine(QPointF(11.5, 9.5), QPointF(15, 9.5));
      break;
  }
  return QIcon(pixmap);
}

QPixmap applicationIconPixmap(int size) {
  QPixmap pixmap = canvas(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(250, 248, 240));
  p.drawRoundedRect(QRectF(4, 3, 24, 26), 2, 2);
  p.setBrush(kAccent);
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(8, 8, 16, 3));
  p.setBrush(kInk);
  for (int y = 14; y <= 24; y += 4) p.drawRect(QRectF(8, y, 16, 1.6));
  return pixmap;
}

QIcon applicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(applicationIconPixmap(size));
  return icon;
}

}  // namespace lumora::app
