#include "viewer/qt_platform.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <algorithm>

namespace lumora::viewer {
namespace {

QRect toQRect(const html::TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

Qt::PenStyle toQtPenStyle(html::TPenStyle Style) {
  switch (Style) {
    case html::TPenStyle::Dash: return Qt::DashLine;
    case html::TPenStyle::Dot: return Qt::DotLine;
    case html::TPenStyle::Clear: return Qt::NoPen;
    case html::TPenStyle::Solid: break;
  }
  return Qt::SolidLine;
}

// The palette colour standing for a system colour index of the pages' colour names.
QColor systemColor(int Index, const QPalette& Palette) {
  using R = QPalette::ColorRole;
  static constexpr R kRoles[] = {
      R::Button,           // 0 scrollbar
      R::Dark,             // 1 background (desktop)
      R::Highlight,        // 2 activecaption
      R::Mid,              // 3 inactivecaption
      R::Window,           // 4 menu
      R::Base,             // 5 window
      R::Shadow,           // 6 windowframe
      R::WindowText,       // 7 menutext
      R::Text,             // 8 windowtext
      R::HighlightedText,  // 9 captiontext
      R::Button,           // 10 activeborder
      R::Button,           // 11 inactiveborder
      R::Dark,             // 12 appworkspace
      R::Highlight,        // 13 highlight
      R::HighlightedText,  // 14 highlighttext
      R::Button,           // 15 buttonface, threedface
      R::Dark,             // 16 buttonshadow, threedshadow
      R::PlaceholderText,  // 17 graytext
      R::ButtonText,       // 18 buttontext
      R::Text,             // 19 inactivecaptiontext
      R::Light,            // 20 buttonhighlight, threedlightshadow
      R::Shadow,           // 21 threeddarkshadow
      R::Midlight,         // 22 threedhighlight
      R::ToolTipText,      // 23 infotext
      R::ToolTipBase,      // 24 infobackground
  };
  if (Index < 0 || Index >= static_cast<int>(std::size(kRoles))) return Palette.color(R::WindowText);
  return Palette.color(kRoles[Index]);
}

}  // namespace

QColor toQColor(html::TColor Color, const QPalette& Palette) {
  if (Color == html::kColorNone) return QColor(Qt::transparent);
  const auto bits = static_cast<uint32_t>(Color);
  if ((bits & 0xFF000000u) == 0xFF000000u) return systemColor(static_cast<int>(bits & 0xFF), Palette);
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF), static_cast<int>((bits >> 16) & 0xFF));
}

QFont toQFont(const html::TFontRequest& Request) {
  QFont font(QString::fromStdString(Request.Name));
  font.setPixelSize(std::max(1, Request.Height));
  font.setBold((Request.Style & html::kFontBold) != 0);
  font.setItalic((Request.Style & html::kFontItalic) != 0);
  font.setUnderline((Request.Style & html::kFontUnderline) != 0);
  font.setStrikeOut((Request.Style & html::kFontStrikeOut) != 0);
  // Advances are taken character by character, as the engine measures them.
  font.setKerning(false);
  return font;
}

QFont toQFont(const html::TMyFont& Font) {
  QFont font = toQFont(html::TFontRequest{Font.Name, Font.Height, Font.Style, Font.CharSet});
  if (Font.CharExtra != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, Font.CharExtra);
  return font;
}

bool QtFontPlatform::isFontInstalled(std::string_view Family) const {
  const QString name = QString::fromUtf8(Family.data(), static_cast<qsizetype>(Family.size())).trimmed();
  if (name.isEmpty()) return false;
  if (QFontDatabase::hasFamily(name)) return true;
  const QStringList substitutes = QFont::substitutes(name);
  return std::any_of(substitutes.begin(), substitutes.end(),
                     [](const QString& s) { return QFontDatabase::hasFamily(s); });
}

html::TRealizedFont QtFontPlatform::realize(const html::TFontRequest& Request) const {
  const QFont font = toQFont(Request);
  const QFontMetrics fm(font);
  html::TRealizedFont r;
  r.CellHeight = fm.ascent() + fm.descent();
  r.InternalLeading = std::max(0, r.CellHeight - font.pixelSize());
  r.Descent = fm.descent();
  r.ExternalLeading = std::max(0, fm.leading());
  r.AveCharWidth = fm.averageCharWidth();
  r.MaxCharWidth = fm.maxWidth();
  const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(QFontInfo(font).family());
  if (systems.contains(QFontDatabase::Symbol)) {
    r.CharSet = html::kSymbolCharSet;
  } else {
    r.CharSet = Request.CharSet == html::kDefaultCharSet ? static_cast<uint8_t>(html::kAnsiCharSet) : Request.CharSet;
  }
  return r;
}

void QtCanvas::setFont(const html::TMyFont& Font) {
  font_ = Font;
  qfont_ = toQFont(Font);
  // The letter spacing is added per character by textExtent and textOut, not by Qt.
  qfont_.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  if (painter_) painter_->setFont(qfont_);
}

html::TRealizedFont QtCanvas::fontMetrics() {
  return QtFontPlatform().realize(html::TFontRequest{font_.Name, font_.Height, font_.Style, font_.CharSet});
}

int QtCanvas::textExtent(std::u16string_view Text, std::vector<int>* Widths) {
  const QFontMetrics fm(qfont_);
  if (Widths) Widths->assign(Text.size(), 0);
  int total = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    int w;
    if (QChar::isHighSurrogate(Text[i]) && i + 1 < Text.size() && QChar::isLowSurrogate(Text[i + 1])) {
      // The pair's advance goes to its first half.
      w = fm.horizontalAdvance(QString(reinterpret_cast<const QChar*>(Text.data() + i), 2)) + font_.CharExtra;
      if (Widths) (*Widths)[i] = w;
      ++i;
    } else {
      w = fm.horizontalAdvance(QChar(Text[i])) + font_.CharExtra;
      if (Widths) (*Widths)[i] = w;
    }
    total += w;
  }
  return total;
}

void QtCanvas::textOut(int X, int Y, std::u16string_view Text, const int* Dx) {
  if (!painter_ || Text.empty()) return;
  std::vector<int> advances;
  if (!Dx) {
    textExtent(Text, &advances);
    Dx = advances.data();
  }
  const QFontMetrics fm(qfont_);
  if (textBackground_ != html::kColorNone) {
    int width = 0;
    for (size_t i = 0; i < Text.size(); ++i) width += Dx[i];
    painter_->fillRect(QRect(X, Y, width, fm.ascent() + fm.descent()), toQColor(textBackground_));
  }
  painter_->setPen(toQColor(font_.Color));
  painter_->setFont(qfont_);
  const int baseline = Y + fm.ascent();
  int x = X;
  for (size_t i = 0; i < Text.size(); ++i) {
    const bool pair =
        QChar::isHighSurrogate(Text[i]) && i + 1 < Text.size() && QChar::isLowSurrogate(Text[i + 1]);
    painter_->drawText(QPoint(x, baseline), QString(reinterpret_cast<const QChar*>(Text.data() + i), pair ? 2 : 1));
    x += Dx[i];
    if (pair) x += Dx[++i];
  }
}

void QtCanvas::setPenAndBrush(html::TColor Fill, html::TColor Outline) {
  painter_->setPen(Outline == html::kColorNone ? QPen(Qt::NoPen) : QPen(toQColor(Outline)));
  painter_->setBrush(Fill == html::kColorNone ? QBrush(Qt::NoBrush) : QBrush(toQColor(Fill)));
}

void QtCanvas::fillRect(const html::TRect& Rect, html::TColor Color) {
  if (painter_ && Color != html::kColorNone) painter_->fillRect(toQRect(Rect), toQColor(Color));
}

void QtCanvas::Line(html::TPoint From, html::TPoint To, html::TColor Color, int Width, html::TPenStyle Style) {
  if (!painter_) return;
  QPen pen(toQColor(Color), std::max(1, Width), toQtPenStyle(Style), Qt::FlatCap);
  painter_->setPen(pen);
  painter_->drawLine(From.X, From.Y, To.X, To.Y);
}

void QtCanvas::Polygon(const std::vector<html::TPoint>& Points, html::TColor Fill, html::TColor Outline) {
  if (!painter_ || Points.empty()) return;
  QPolygon polygon;
  for (const html::TPoint& p : Points) polygon << QPoint(p.X, p.Y);
  setPenAndBrush(Fill, Outline);
  painter_->drawPolygon(polygon);
  painter_->setBrush(Qt::NoBrush);
}

void QtCanvas::frameRect(const html::TRect& Rect, html::TColor Color, int Width, html::TPenStyle Style) {
  if (!painter_ || Width <= 0 || Color == html::kColorNone || Style == html::TPenStyle::Clear) return;
  const QColor color = toQColor(Color);
  const QRect r = toQRect(Rect);
  if (Style == html::TPenStyle::Solid) {
    // Four strips inside the rectangle, so a frame never paints outside what it frames.
    painter_->fillRect(QRect(r.left(), r.top(), r.width(), Width), color);
    painter_->fillRect(QRect(r.left(), r.bottom() + 1 - Width, r.width(), Width), color);
    painter_->fillRect(QRect(r.left(), r.top(), Width, r.height()), color);
    painter_->fillRect(QRect(r.right() + 1 - Width, r.top(), Width, r.height()), color);
    return;
  }
  painter_->setPen(QPen(color, Width, toQtPenStyle(Style), Qt::FlatCap, Qt::MiterJoin));
  painter_->setBrush(Qt::NoBrush);
  const int inset = Width / 2;
  painter_->drawRect(r.adjusted(inset, inset, -(Width - inset), -(Width - inset)));
}

void QtCanvas::Ellipse(const html::TRect& Box, html::TColor Fill, html::TColor Outline) {
  if (!painter_) return;
  setPenAndBrush(Fill, Outline);
  painter_->drawEllipse(toQRect(Box).adjusted(0, 0, -1, -1));
  painter_->setBrush(Qt::NoBrush);
}

void QtCanvas::drawImage(const lumora::image::TBitmap& Image, const lumora::image::TMask* Mask,
                         const html::TRect& Source, const html::TRect& Dest) {
  if (!painter_ || Image.Width <= 0 || Image.Height <= 0) return;
  // The pixels are 0xAARRGGBB words, the layout of Qt's ARGB32 format.
  QImage view(reinterpret_cast<const uchar*>(Image.Pixels.data()), Image.Width, Image.Height,
              Image.Width * 4, Image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (Mask && Mask->Width == Image.Width && Mask->Height == Image.Height) {
    QImage masked = view.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < Image.Height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
      for (int x = 0; x < Image.Width; ++x) {
        if (Mask->transparentAt(x, y)) line[x] = 0;
      }
    }
    painter_->drawImage(toQRect(Dest), masked, toQRect(Source));
    return;
  }
  painter_->drawImage(toQRect(Dest), view, toQRect(Source));
}

void QtCanvas::pushClip(const std::vector<html::TRect>& Rects) {
  if (!painter_) return;
  QRegion region;
  for (const html::TRect& r : Rects) region += toQRect(r);
  painter_->save();
  ++saved_;
  painter_->setClipRegion(region, painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void QtCanvas::popClip() {
  if (!painter_ || saved_ == 0) return;
  --saved_;
  painter_->restore();
}

}  // namespace lumora::viewer
