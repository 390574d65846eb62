#pragma once
// Interim page view: draws the text of a page (paragraphs, headings and links) with word wrapping and lets
// the reader follow links. It stands in for the HTML viewer control until the engine lays pages out.

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QVector>

#include "viewer/interim_html_text.h"

namespace lumora::viewer {

class InterimPageView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit InterimPageView(QWidget* parent = nullptr);

  void setPage(PageText page);
  void clearPage();
  int position() const;
  void setPosition(int y);
  void setDefaults(const QColor& background, const QString& fontName, const QString& preFontName);

  // The laid-out text, for tests and for the text a reader sees.
  QString plainText() const;

 signals:
  void linkClicked(const QString& href);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Piece {
    QRect rect;       // in document coordinates
    QString text;
    QFont font;
    QString href;
    int baseline;
  };
  void layoutPage();
  const Piece* linkAt(const QPoint& viewportPoint) const;

  PageText page_;
  QVector<Piece> pieces_;
  int documentHeight_ = 0;
  QColor background_ = Qt::white;
  QString fontName_ = "Times New Roman";
  QString preFontName_ = "Courier New";
};

}  // namespace lumora::viewer
