#include "viewer/interim_page_view.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace lumora::viewer {

namespace {
constexpr int kMarginWidth = 10;
constexpr int kMarginHeight = 5;
constexpr int kBaseSize = 12;

int headingSize(int level) {
  static const int sizes[] = {kBaseSize, 24, 18, 14, 12, 10, 8};
  return sizes[level < 0 || level > 6 ? 0 : level];
}
}  // namespace

InterimPageView::InterimPageView(QWidget* parent) : QAbstractScrollArea(parent) {
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setLineWidth(2);
  verticalScrollBar()->setSingleStep(20);
}

void InterimPageView::setDefaults(const QColor& background, const QString& fontName, const QString& preFontName) {
  background_ = background;
  fontName_ = fontName;
  preFontName_ = preFontName;
  layoutPage();
}

void InterimPageView::setPage(PageText page) {
  page_ = std::move(page);
  verticalScrollBar()->setValue(0);
  layoutPage();
}

void InterimPageView::clearPage() { setPage({}); }

int InterimPageView::position() const { return verticalScrollBar()->value(); }
void InterimPageView::setPosition(int y) { verticalScrollBar()->setValue(y); }

QString InterimPageView::plainText() const {
  QStringList lines;
  for (const Paragraph& paragraph : page_.paragraphs) {
    QString line;
    for (const TextRun& run : paragraph.runs) line += QString::fromStdString(run.text);
    lines << line;
  }
  return lines.join('\n');
}

void InterimPageView::layoutPage() {
  pieces_.clear();
  const int width = std::max(100, viewport()->width() - 2 * kMarginWidth);
  int y = kMarginHeight;
  for (const Paragraph& paragraph : page_.paragraphs) {
    int x = 0;
    int lineHeight = 0;
    QVector<int> lineStart{static_cast<int>(pieces_.size())};
    const auto newLine = [&] {
      // Bring the pieces of the finished line to one baseline.
      int ascent = 0;
      for (int i = lineStart.back(); i < pieces_.size(); ++i) ascent = std::max(ascent, QFontMetrics(pieces_[i].font).ascent());
      for (int i = lineStart.back(); i < pieces_.size(); ++i) {
        pieces_[i].rect.moveTop(y);
        pieces_[i].baseline = y + ascent;
      }
      y += lineHeight;
      x = 0;
      lineHeight = 0;
      lineStart.push_back(pieces_.size());
    };
    for (const TextRun& run : paragraph.runs) {
      QFont font(paragraph.preformatted ? preFontName_ : fontName_);
      font.setPixelSize(headingSize(paragraph.heading) * 4 / 3);
      font.setBold(run.bold);
      font.setUnderline(!run.href.empty());
      const QFontMetrics metrics(font);
      const QString text = QString::fromStdString(run.text);
      // Words keep their trailing space so that runs join as the text does.
      QStringList words;
      QString word;
      for (QChar c : text) {
        word += c;
        if (c == ' ' && !paragraph.preformatted) {
          words << word;
          word.clear();
        }
      }
      if (!word.isEmpty()) words << word;
      for (const QString& w : words) {
        const int wWidth = metrics.horizontalAdvance(w);
        if (x > 0 && x + wWidth > width && !paragraph.preformatted) newLine();
        if (x == 0 && w == " ") continue;
        pieces_.push_back({QRect(kMarginWidth + x, y, wWidth, metrics.height()), w, font,
                           QString::fromStdString(run.href), 0});
        x += wWidth;
        lineHeight = std::max(lineHeight, metrics.height());
      }
    }
    if (lineHeight == 0) lineHeight = QFontMetrics(QFont(fontName_)).height();
    newLine();
    y += paragraph.heading > 0 ? 10 : 6;
  }
  documentHeight_ = y + kMarginHeight;
  verticalScrollBar()->setRange(0, std::max(0, documentHeight_ - viewport()->height()));
  verticalScrollBar()->setPageStep(viewport()->height());
  viewport()->update();
}

void InterimPageView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), background_);
  const int top = verticalScrollBar()->value();
  const QRect visible(0, top, viewport()->width(), viewport()->height());
  for (const Piece& piece : pieces_) {
    if (!piece.rect.intersects(visible)) continue;
    p.setFont(piece.font);
    p.setPen(piece.href.isEmpty() ? QColor(Qt::black) : QColor(Qt::blue));
    p.drawText(piece.rect.left(), piece.baseline - top, piece.text);
  }
}

void InterimPageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  layoutPage();
}

const InterimPageView::Piece* InterimPageView::linkAt(const QPoint& viewportPoint) const {
  const QPoint docPoint = viewportPoint + QPoint(0, verticalScrollBar()->value());
  for (const Piece& piece : pieces_) {
    if (!piece.href.isEmpty() && piece.rect.contains(docPoint)) return &piece;
  }
  return nullptr;
}

void InterimPageView::mouseMoveEvent(QMouseEvent* event) {
  viewport()->setCursor(linkAt(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void InterimPageView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (const Piece* piece = linkAt(event->position().toPoint())) emit linkClicked(piece->href);
}

}  // namespace lumora::viewer
