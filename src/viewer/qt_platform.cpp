#include "viewer/qt_platform.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <functional>
#include <mutex>
#include <stdexcept>

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

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// What a bitmap looks like to the painter, made on its first draw and kept with it.
struct QtImageEntry : image::THostImageCache::TEntry {
  QImage image;  // premultiplied when the bitmap has alpha
  // The same with a mask applied, for the mask it was last drawn with.
  QImage masked;
  const image::TMask* mask = nullptr;
  int maskWidth = 0, maskHeight = 0;
};

QtImageEntry& imageEntryOf(const image::TBitmap& Image) {
  if (auto* entry = dynamic_cast<QtImageEntry*>(Image.HostCache.get())) return *entry;
  auto entry = std::make_unique<QtImageEntry>();
  // The pixels are 0xAARRGGBB words, the layout of Qt's ARGB32 format.
  const QImage view(reinterpret_cast<const uchar*>(Image.Pixels.data()), Image.Width, Image.Height,
                    Image.Width * 4, Image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  entry->image = Image.HasAlpha ? view.convertToFormat(QImage::Format_ARGB32_Premultiplied) : view.copy();
  QtImageEntry& result = *entry;
  Image.HostCache.set(std::move(entry));
  return result;
}

const QImage& maskedImageOf(QtImageEntry& Entry, const image::TMask& Mask) {
  if (Entry.mask == &Mask && Entry.maskWidth == Mask.Width && Entry.maskHeight == Mask.Height) return Entry.masked;
  QImage masked = Entry.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < masked.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x)
      if (Mask.transparentAt(x, y)) line[x] = 0;
  }
  Entry.masked = std::move(masked);
  Entry.mask = &Mask;
  Entry.maskWidth = Mask.Width;
  Entry.maskHeight = Mask.Height;
  return Entry.masked;
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

void installFontSubstitutes() {
  QFont::insertSubstitutions("Times New Roman", {"Liberation Serif", "DejaVu Serif"});
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans"});
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono"});
  QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "DejaVu Sans"});
  QFont::insertSubstitutions("Tahoma", {"DejaVu Sans", "Liberation Sans"});
  QFont::insertSubstitutions("Verdana", {"DejaVu Sans", "Liberation Sans"});
}

// --- QtTextMetrics ---

QtTextMetrics::QtTextMetrics() {
  static std::once_flag installed;
  std::call_once(installed, installFontSubstitutes);
}

size_t QtTextMetrics::RequestHash::operator()(const html::TFontRequest& r) const {
  size_t h = std::hash<std::string>()(r.Name);
  h = h * 31 + std::hash<int>()(r.Height);
  h = h * 31 + std::hash<int>()(r.Style);
  return h * 31 + r.CharSet;
}

bool QtTextMetrics::isFontInstalled(std::string_view Family) const {
  auto [known, added] = installed_.try_emplace(std::string(Family), false);
  if (!added) return known->second;
  const QString name = QString::fromUtf8(Family.data(), static_cast<qsizetype>(Family.size())).trimmed();
  if (name.isEmpty()) return false;
  const QStringList substitutes = QFont::substitutes(name);
  known->second = QFontDatabase::hasFamily(name) ||
                  std::any_of(substitutes.begin(), substitutes.end(),
                              [](const QString& s) { return QFontDatabase::hasFamily(s); });
  return known->second;
}

html::TFontHandle QtTextMetrics::realizeFont(const html::TFontRequest& Request) {
  if (const auto it = handles_.find(Request); it != handles_.end()) return it->second;
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
  Entry& e = fonts_.emplace_back(Entry{Request, font, fm, QRawFont::fromFont(font), r, {}, {}});
  e.latin.fill(-1);
  const html::TFontHandle handle = static_cast<html::TFontHandle>(fonts_.size());
  handles_.emplace(Request, handle);
  return handle;
}

const QtTextMetrics::Entry& QtTextMetrics::entry(html::TFontHandle Font) const {
  if (Font < 1 || static_cast<size_t>(Font) > fonts_.size()) throw std::out_of_range("unknown font handle");
  return fonts_[static_cast<size_t>(Font - 1)];
}

const html::TRealizedFont& QtTextMetrics::fontMetrics(html::TFontHandle Font) const { return entry(Font).metrics; }

int QtTextMetrics::textAdvances(html::TFontHandle Font, std::u16string_view Text, int* Advances) {
  Entry& e = const_cast<Entry&>(entry(Font));
  int total = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    int w;
    if (isHighSurrogate(c) && i + 1 < Text.size() && isLowSurrogate(Text[i + 1])) {
      // The pair's advance goes to its first half.
      w = e.qtMetrics.horizontalAdvance(QString(reinterpret_cast<const QChar*>(Text.data() + i), 2));
      if (Advances) Advances[i] = w, Advances[i + 1] = 0;
      ++i;
    } else if (c < e.latin.size()) {
      int& cached = e.latin[c];
      if (cached < 0) cached = e.qtMetrics.horizontalAdvance(QChar(c));
      w = cached;
      if (Advances) Advances[i] = w;
    } else {
      auto [it, added] = e.others.try_emplace(c, 0);
      if (added) it->second = e.qtMetrics.horizontalAdvance(QChar(c));
      w = it->second;
      if (Advances) Advances[i] = w;
    }
    total += w;
  }
  return total;
}

// --- QtCanvas ---

QtCanvas::~QtCanvas() {
  while (saved_ > 0) popClip();
}

void QtCanvas::setPenAndBrush(html::TColor Fill, html::TColor Outline) {
  painter_.setPen(Outline == html::kColorNone ? QPen(Qt::NoPen) : QPen(toQColor(Outline)));
  painter_.setBrush(Fill == html::kColorNone ? QBrush(Qt::NoBrush) : QBrush(toQColor(Fill)));
}

void QtCanvas::fillRect(const html::TRect& Rect, html::TColor Color) {
  if (Color != html::kColorNone) painter_.fillRect(toQRect(Rect), toQColor(Color));
}

void QtCanvas::frameRect(const html::TRect& Rect, html::TColor Color, int Width, html::TPenStyle Style) {
  if (Width <= 0 || Color == html::kColorNone || Style == html::TPenStyle::Clear) return;
  const QRect r = toQRect(Rect);
  if (Style == html::TPenStyle::Solid) {
    // Four strips inside the rectangle, so a frame never paints outside what it frames.
    const QColor color = toQColor(Color);
    painter_.fillRect(QRect(r.left(), r.top(), r.width(), Width), color);
    painter_.fillRect(QRect(r.left(), r.bottom() + 1 - Width, r.width(), Width), color);
    painter_.fillRect(QRect(r.left(), r.top(), Width, r.height()), color);
    painter_.fillRect(QRect(r.right() + 1 - Width, r.top(), Width, r.height()), color);
    return;
  }
  // Each edge as a line along the inside of the rectangle.
  const int half = Width / 2;
  drawLine({Rect.Left, Rect.Top + half}, {Rect.Right, Rect.Top + half}, Color, Width, Style);
  drawLine({Rect.Left, Rect.Bottom - Width + half}, {Rect.Right, Rect.Bottom - Width + half}, Color, Width, Style);
  drawLine({Rect.Left + half, Rect.Top}, {Rect.Left + half, Rect.Bottom}, Color, Width, Style);
  drawLine({Rect.Right - Width + half, Rect.Top}, {Rect.Right - Width + half, Rect.Bottom}, Color, Width, Style);
}

void QtCanvas::drawLine(html::TPoint From, html::TPoint To, html::TColor Color, int Width, html::TPenStyle Style) {
  if (Color == html::kColorNone || Style == html::TPenStyle::Clear || From == To) return;
  Width = std::max(1, Width);
  const int lead = Width / 2;  // pixels on the left or top side of the centre line
  if (From.Y == To.Y || From.X == To.X) {
    const bool horizontal = From.Y == To.Y;
    // With pixel edges as coordinates and flat caps the line covers exactly [From, To) along its length.
    const double centre = (horizontal ? From.Y : From.X) - lead + Width / 2.0;
    QPen pen(toQColor(Color), Width, toQtPenStyle(Style), Qt::FlatCap);
    painter_.setPen(pen);
    const QLineF line = horizontal ? QLineF(From.X, centre, To.X, centre) : QLineF(centre, From.Y, centre, To.Y);
    painter_.drawLine(line);
    return;
  }
  QPen pen(toQColor(Color), Width, toQtPenStyle(Style), Qt::FlatCap);
  painter_.setPen(pen);
  painter_.drawLine(QLineF(From.X + 0.5, From.Y + 0.5, To.X + 0.5, To.Y + 0.5));
}

void QtCanvas::drawPolygon(const std::vector<html::TPoint>& Points, html::TColor Fill, html::TColor Outline) {
  if (Points.empty()) return;
  QPolygon polygon;
  for (const html::TPoint& p : Points) polygon << QPoint(p.X, p.Y);
  setPenAndBrush(Fill, Outline);
  painter_.drawPolygon(polygon, Qt::WindingFill);
  painter_.setBrush(Qt::NoBrush);
}

void QtCanvas::drawEllipse(const html::TRect& Box, html::TColor Fill, html::TColor Outline) {
  setPenAndBrush(Fill, Outline);
  painter_.drawEllipse(toQRect(Box).adjusted(0, 0, -1, -1));
  painter_.setBrush(Qt::NoBrush);
}

void QtCanvas::drawText(int X, int Y, html::TFontHandle Font, html::TColor Color, std::u16string_view Text,
                        const int* Advances, html::TColor Background) {
  if (Text.empty()) return;
  std::vector<int> measured;
  if (!Advances) {
    measured.resize(Text.size());
    metrics_.textAdvances(Font, Text, measured.data());
    Advances = measured.data();
  }
  const html::TRealizedFont& m = metrics_.fontMetrics(Font);
  if (Background != html::kColorNone) {
    int width = 0;
    for (size_t i = 0; i < Text.size(); ++i) width += Advances[i];
    painter_.fillRect(QRect(X, Y, width, m.CellHeight), toQColor(Background));
  }
  if (!fonts_) {
    if (Color == html::kColorNone) return;
    const QColor color = toQColor(Color);
    int x = X;
    for (size_t i = 0; i < Text.size(); ++i) {
      if (Text[i] != u' ' && Text[i] != u'\u00A0' && Advances[i] > 0)
        painter_.fillRect(QRect(x, Y, Advances[i], m.CellHeight), color);
      x += Advances[i];
    }
    return;
  }
  // Underline and strike-out are drawn here as lines over the whole run: Qt's own decoration of glyph runs
  // lands in the wrong place once the painter is translated (a child widget, a grab).
  QFont font = fonts_->qtFont(Font);
  const bool underline = font.underline(), strikeOut = font.strikeOut();
  font.setUnderline(false);
  font.setStrikeOut(false);
  const QRawFont& raw = fonts_->rawFont(Font);
  const int baseline = Y + m.CellHeight - m.Descent;
  const QColor color = toQColor(Color);
  painter_.setPen(color);
  if (underline || strikeOut) {
    int width = 0;
    for (size_t i = 0; i < Text.size(); ++i) width += Advances[i];
    const QFontMetrics fm(fonts_->qtFont(Font));
    const int thickness = std::max(1, fm.lineWidth());
    if (underline) painter_.fillRect(QRect(X, baseline + std::max(1, fm.underlinePos()), width, thickness), color);
    if (strikeOut) painter_.fillRect(QRect(X, baseline - fm.strikeOutPos(), width, thickness), color);
  }

  // Every character the font has goes into one glyph run at its own position; characters the font lacks
  // are left to Qt's font fallback one by one.
  const int count = static_cast<int>(Text.size());
  std::vector<quint32> found(Text.size(), 0);
  int foundCount = count;
  if (!raw.isValid() ||
      !raw.glyphIndexesForChars(reinterpret_cast<const QChar*>(Text.data()), count, found.data(), &foundCount)) {
    foundCount = 0;
  }
  QList<quint32> glyphs;
  QList<QPointF> positions;
  glyphs.reserve(count);
  positions.reserve(count);
  int x = X;
  int g = 0;  // glyph of the character at i: a surrogate pair has one
  for (size_t i = 0; i < Text.size(); ++i, ++g) {
    const bool pair = isHighSurrogate(Text[i]) && i + 1 < Text.size() && isLowSurrogate(Text[i + 1]);
    const quint32 glyph = g < foundCount ? found[static_cast<size_t>(g)] : 0;
    if (glyph != 0) {
      glyphs.push_back(glyph);
      positions.push_back(QPointF(x - X, 0));
    } else if (Text[i] != u' ') {
      painter_.setFont(font);
      painter_.drawText(QPoint(x, baseline), QString(reinterpret_cast<const QChar*>(Text.data() + i), pair ? 2 : 1));
    }
    x += Advances[i];
    if (pair) x += Advances[++i];
  }
  if (glyphs.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(raw);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  // Positions are taken from the run's origin: Qt draws underline and strike-out from there.
  painter_.drawGlyphRun(QPointF(X, baseline), run);
}

void QtCanvas::drawImage(const image::TBitmap& Image, const image::TMask* Mask, const html::TRect& Source,
                         const html::TRect& Dest) {
  if (Image.Width <= 0 || Image.Height <= 0) return;
  QtImageEntry& entry = imageEntryOf(Image);
  const bool masked = Mask && Mask->Width == Image.Width && Mask->Height == Image.Height;
  const QImage& picture = masked ? maskedImageOf(entry, *Mask) : entry.image;
  painter_.drawImage(toQRect(Dest), picture, toQRect(Source));
}

void QtCanvas::pushClip(const std::vector<html::TRect>& Rects) {
  QRegion region;
  for (const html::TRect& r : Rects) region += toQRect(r);
  painter_.save();
  ++saved_;
  painter_.setClipRegion(region, painter_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

html::TColor QtCanvas::resolveColor(html::TColor Color) const {
  if (Color == html::kColorNone) return Color;
  const QColor c = toQColor(Color);
  return static_cast<html::TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

void QtCanvas::popClip() {
  if (saved_ == 0) return;
  --saved_;
  painter_.restore();
}

}  // namespace lumora::viewer
