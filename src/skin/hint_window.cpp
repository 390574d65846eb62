#include "skin/hint_window.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "skin/skin_style.h"

#ifdef LUMORA_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace lumora::skin {

namespace {

constexpr int kFadeStepMs = 15;

QPainterPath shapePath(const TComicShape& shape, bool pointer) {
  QPainterPath path;
  const QRectF body(shape.Body.Left, shape.Body.Top, shape.Body.Right - shape.Body.Left,
                    shape.Body.Bottom - shape.Body.Top);
  if (body.width() > 0 && body.height() > 0) path.addRoundedRect(body, shape.Radius / 2.0, shape.Radius / 2.0);
  if (pointer) {
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({QPointF(shape.Tip.X, shape.Tip.Y), QPointF(shape.BaseLeft.X, shape.BaseLeft.Y),
                                   QPointF(shape.BaseRight.X, shape.BaseRight.Y)}));
    triangle.closeSubpath();
    path = path.united(triangle);
  }
  return path;
}

// The pixels of a path as a mask (255 inside), without anti-aliasing: the outline rule works on whole
// pixels.
QImage maskOf(const QPainterPath& path, QSize size, QPoint offset = {}) {
  QImage mask(size, QImage::Format_Grayscale8);
  mask.fill(0);
  QPainter p(&mask);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.translate(offset);
  p.fillPath(path, Qt::white);
  return mask;
}

}  // namespace

QColor fromBgr(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QFont toQFont(const HintFont& f) {
  QFont font(QString::fromStdString(f.Face));
  font.setPointSize(std::clamp(f.Size, kMinHintFontSize, kMaxHintFontSize));
  font.setBold(f.Bold);
  font.setItalic(f.Italic);
  return font;
}

int TQtHintMetrics::textWidth(const HintFont& font, std::string_view text) const {
  return QFontMetrics(toQFont(font)).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

int TQtHintMetrics::lineHeight(const HintFont& font) const { return QFontMetrics(toQFont(font)).height(); }

TsHintWindow::TsHintWindow(const THintKind& kind, const HintFont& font, bool perPixelAlpha, bool htmlMode)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput),
      kind_(kind),
      font_(font),
      perPixelAlpha_(perPixelAlpha),
      htmlMode_(htmlMode) {
  setObjectName("THintWindow");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_DeleteOnClose);
  if (perPixelAlpha_) setAttribute(Qt::WA_TranslucentBackground);
  fade_.setInterval(kFadeStepMs);
  connect(&fade_, &QTimer::timeout, this, &TsHintWindow::fadeStep);
}

void TsHintWindow::activateHint(const QString& text, QPoint anchor) {
  TSize textSize;
  if (htmlMode_) {
    const QByteArray utf8 = text.toUtf8();
    layout_ = layoutHintMarkup(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), font_,
                               TQtHintMetrics());
    textSize = {layout_.Width, layout_.Height};
  } else {
    plainText_ = text;
    plainSize_ = QFontMetrics(toQFont(font_))
                     .boundingRect(QRect(0, 0, kind_.MaxWidth, 0), Qt::TextWordWrap | Qt::AlignHCenter, text)
                     .size();
    textSize = {plainSize_.width(), plainSize_.height()};
  }
  const TSize size = hintSize(kind_, textSize);
  QScreen* screen = QGuiApplication::screenAt(anchor);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QRect desk = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
  const THintPlacement place =
      placeHint({anchor.x(), anchor.y()}, size, {desk.left(), desk.top(), desk.right() + 1, desk.bottom() + 1});
  corner_ = place.PointerCorner;
  setGeometry(place.Bounds.Left, place.Bounds.Top, size.Width, size.Height);
  QImage background;
  if (!perPixelAlpha_ && screen != nullptr) {
    // What is under the balloon, to compose the shadow and the transparency onto.
    background = screen->grabWindow(0, place.Bounds.Left - screen->geometry().left(),
                                    place.Bounds.Top - screen->geometry().top(), size.Width, size.Height)
                     .toImage()
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  compose(background);
  fadeIndex_ = 0;
  if (perPixelAlpha_) {
    setWindowOpacity(0.0);
    show();
    fade_.start();
  } else {
    setWindowOpacity(1.0);
    show();
  }
}

void TsHintWindow::compose(const QImage& background) {
  const QSize size = geometry().size();
  const TComicShape shape = comicShape(kind_, {size.width(), size.height()}, corner_);
  const bool pointer = kind_.Style != THintStyle::hsSimply;
  const QPainterPath outline = shapePath(shape, pointer);
  const QImage inside = maskOf(outline, size);

  // The shadow: the shape moved by the offset, in grey steps that darken toward its middle.
  QImage shadow(size, QImage::Format_Grayscale8);
  shadow.fill(255);
  if (kind_.ShadowEnabled) {
    QPainter p(&shadow);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(kind_.ShadowOffset, kind_.ShadowOffset);
    for (int step = 0; step <= kind_.ShadowBlur; ++step) {
      const int grey = shadowGrey(kind_, step);
      p.fillPath(shapePath(comicShape(kind_, {size.width(), size.height()}, corner_, step), pointer),
                 QColor(grey, grey, grey));
    }
  }

  const QColor fill = fromBgr(kind_.Color);
  const QColor top = fromBgr(kind_.ColorBorderTop), bottom = fromBgr(kind_.ColorBorderBottom);
  // Where the platform has no transparent windows, the overall transparency is mixed in here.
  const double opacity = perPixelAlpha_ ? 1.0 : hintOpacity(kind_) / 255.0;
  picture_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
  picture_.fill(Qt::transparent);
  const auto in = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < size.width() && y < size.height() && inside.constScanLine(y)[x] != 0;
  };
  for (int y = 0; y < size.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    const uchar* grey = shadow.constScanLine(y);
    for (int x = 0; x < size.width(); ++x) {
      if (in(x, y)) {
        QColor c = fill;
        if (kind_.BevelWidth > 0) {
          if (!in(x - 1, y) || !in(x, y - 1)) {
            c = top;
          } else if (!in(x + 1, y) || !in(x, y + 1)) {
            c = bottom;
          }
        }
        row[x] = c.rgb();
      } else {
        row[x] = qPremultiply(qRgba(0, 0, 0, 255 - grey[x]));
      }
    }
  }
  QPainter p(&picture_);
  // Text into the body less the margins, transparent background, each run at its place.
  const TRect text = hintTextRect(kind_, shape);
  for (const HintRun& run : layout_.Runs) {
    const QFont font = toQFont(run.Font);
    p.setFont(font);
    p.setPen(fromBgr(run.Font.Color));
    const QFontMetrics metrics(font);
    p.drawText(QPoint(text.Left + run.X, text.Top + run.Y + metrics.ascent()), QString::fromStdString(run.Text));
  }
  if (!htmlMode_) {
    p.setFont(toQFont(font_));
    p.setPen(fromBgr(font_.Color));
    p.drawText(QRect(text.Left, text.Top, text.Right - text.Left, text.Bottom - text.Top),
               Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop, plainText_);
  }
  p.end();
  if (!background.isNull()) {
    QImage composed = background.scaled(size);
    QPainter c(&composed);
    c.setOpacity(opacity);
    c.drawImage(0, 0, picture_);
    c.end();
    picture_ = composed;
  }
}

void TsHintWindow::fadeStep() {
  const std::vector<int> steps = fadeInSteps(kind_);
  if (fadeIndex_ >= static_cast<int>(steps.size())) {
    fade_.stop();
    return;
  }
  setWindowOpacity(steps[static_cast<size_t>(fadeIndex_++)] / 255.0);
}

void TsHintWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(0, 0, picture_);
}

TsHintManager::TsHintManager(QObject* parent) : QObject(parent) {
  font_.Face = "MS Sans Serif";
  font_.Size = 8;
  setPredefinitions(THintPredefinition::shComicsTransparent);
  hideTimer_.setSingleShot(true);
  connect(&hideTimer_, &QTimer::timeout, this, &TsHintManager::hideHint);
  // The hint delays live in the application's style; a style without a skin draws as the platform does.
  if (qobject_cast<const TSkinStyle*>(QApplication::style()) == nullptr) putSkinOnApplication(nullptr);
  qApp->installEventFilter(this);
}

TsHintManager::~TsHintManager() {
  hideHint();
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

void TsHintManager::setPredefinitions(THintPredefinition preset) {
  struct Row {
    int bevel, exOffset, marginH, marginV, maxWidth, radius;
    unsigned color;
    int transparency;
    unsigned borderTop, borderBottom;
    int shadowBlur, shadowOffset, shadowTransparency;
    THintStyle style;
  };
  constexpr int kept = -1;
  static constexpr Row rows[] = {
      {1, kept, 4, 2, 240, kept, 0xE1FFFF, 0, 0, 0, 3, 6, 40, THintStyle::hsSimply},
      {1, kept, 6, 3, 240, kept, 11992314, 10, 0xFFFFFF, 32896, 5, 6, 50, THintStyle::hsSimply},
      {0, kept, 13, 5, 240, kept, 11992314, 20, 0xFFFFFF, 32896, 3, 10, 70, THintStyle::hsSimply},
      {1, 16, 6, 12, 240, kept, 12778748, 5, 32896, 0, 4, 16, 75, THintStyle::hsEllipse},
      {1, 18, 6, 6, 240, kept, 12778748, 10, 0x408080, 0x408080, 6, 8, 70, THintStyle::hsBalloon},
      {1, 24, 15, 7, 180, 21, 16757839, 8, 0x400000, 0x400000, 10, 7, 28, THintStyle::hsComics},
      {1, 19, 15, 8, 180, 13, 12778748, 10, 0, 0, 4, 7, 45, THintStyle::hsComics},
  };
  const auto index = static_cast<size_t>(preset);
  if (preset == THintPredefinition::shStandard) {
    kind_.Style = THintStyle::hsStandard;
    return;
  }
  if (preset == THintPredefinition::shNone) {
    kind_.Style = THintStyle::hsNone;
    return;
  }
  if (index >= std::size(rows)) return;
  const Row& r = rows[index];
  kind_.BevelWidth = r.bevel;
  if (r.exOffset != kept) kind_.ExOffset = r.exOffset;
  kind_.MarginH = r.marginH;
  kind_.MarginV = r.marginV;
  kind_.MaxWidth = r.maxWidth;
  if (r.radius != kept) kind_.Radius = r.radius;
  kind_.Color = r.color;
  kind_.Transparency = r.transparency;
  kind_.ColorBorderTop = r.borderTop;
  kind_.ColorBorderBottom = r.borderBottom;
  kind_.ShadowBlur = r.shadowBlur;
  kind_.ShadowOffset = r.shadowOffset;
  kind_.ShadowTransparency = r.shadowTransparency;
  kind_.ShadowEnabled = true;
  font_.Bold = font_.Italic = false;
  font_.Color = 0;
  kind_.Style = r.style;
}

void TsHintManager::showHint(QWidget* owner, const QString& text, QPoint anchor) {
  hideHint();
  if (text.isEmpty() || kind_.Style == THintStyle::hsNone) return;
  owner_ = owner;
  window_ = new TsHintWindow(kind_, font_, perPixelAlphaAvailable(), htmlMode_);
  window_->activateHint(text, anchor);
  hideTimer_.start(pauseHide_);
}

void TsHintManager::hideHint() {
  hideTimer_.stop();
  owner_ = nullptr;
  if (window_ != nullptr) {
    window_->close();  // deletes itself
    window_ = nullptr;
  }
}

bool TsHintManager::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr || kind_.Style == THintStyle::hsStandard) break;
      const QString text = widget->toolTip();
      if (text.isEmpty()) break;  // a widget that shows its own tool tips (tabs, menus) keeps doing so
      auto* help = static_cast<QHelpEvent*>(event);
      if (window_ != nullptr && owner_ == widget) return true;  // already shown for this control
      showHint(widget, text, help->globalPos());
      return true;
    }
    case QEvent::Leave:
    case QEvent::Enter:
    case QEvent::MouseMove:
      // Where the system cannot let the mouse pass through the balloon, the balloon (at the mouse) takes it
      // from the control: the hint ends when the mouse is really off the control.
      if (owner_ != nullptr && (watched == owner_ || watched == window_) && !mouseOnOwner()) hideHint();
      break;
    case QEvent::Hide:
      if (owner_ != nullptr && watched == owner_) hideHint();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::ApplicationDeactivate:
      if (window_ != nullptr) hideHint();
      break;
    default: break;
  }
  return false;
}

bool TsHintManager::mouseOnOwner() const {
  return owner_ != nullptr && owner_->isVisible() && owner_->rect().contains(owner_->mapFromGlobal(QCursor::pos()));
}

bool TsHintManager::perPixelAlphaAvailable() {
  const QString platform = QGuiApplication::platformName();
  if (platform == "xcb") {
#ifdef LUMORA_HAVE_XCB
    // X11 shows transparent pixels only while a compositing manager runs; it owns _NET_WM_CM_S<screen>.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return false;
    xcb_connection_t* c = x11->connection();
    static constexpr char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    if (atom == nullptr) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool composited = owner != nullptr && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composited;
#else
    return false;
#endif
  }
  return true;  // Wayland composes every window; the offscreen platform has no screen to copy
}

}  // namespace lumora::skin
