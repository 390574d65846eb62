#include "viewer/page_viewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "core/file_read.h"
#include "html/html_blocks.h"
#include "html/html_codepage.h"
#include "html/html_forms.h"
#include "html/html_parser.h"
#include "html/html_section.h"
#include "image/gif_image.h"
#include "skin/message_box.h"
#include "url/url_utils.h"
#include "viewer/form_controls.h"
#include "viewer/viewer_names.h"

namespace lumora::viewer {

namespace {

constexpr int kLineStep = 16;        // one line of the vertical bar
constexpr int kHorizontalStep = 15;  // one step of the horizontal bar
constexpr int kMaxScrollWidth = 6000;
constexpr int kImageCacheCount = 5;  // documents an unused picture stays cached for
constexpr int kTrialLayoutLimit = 10000;  // characters from which the trial layout without a bar is skipped

}  // namespace

html::TColor toEngineColor(const QColor& Color) {
  return static_cast<html::TColor>(Color.red() | (Color.green() << 8) | (Color.blue() << 16));
}

// --- The paint panel ---

TPaintPanel::TPaintPanel(TPageViewer* viewer) : QWidget(viewer), viewer_(viewer) {
  // The viewer paints every pixel itself: nothing is erased first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setCursor(Qt::IBeamCursor);
}

void TPaintPanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  viewer_->paintPanelArea(painter, event->rect());
}

void TPaintPanel::mousePressEvent(QMouseEvent* event) { viewer_->panelMouseDown(event); }
void TPaintPanel::mouseMoveEvent(QMouseEvent* event) { viewer_->panelMouseMove(event); }
void TPaintPanel::mouseReleaseEvent(QMouseEvent* event) { viewer_->panelMouseUp(event); }
void TPaintPanel::mouseDoubleClickEvent(QMouseEvent* event) { viewer_->panelDoubleClick(event); }

// --- The viewer ---

TPageViewer::TPageViewer(QWidget* parent)
    : QWidget(parent),
      host_{&metrics_, &images_, &resources_, nullptr, html::kDefaultPixelsPerInch},
      document_(std::make_unique<html::TSectionList>(&host_)),
      borderPanel_(new QWidget(this)),
      panel_(new TPaintPanel(this)),
      vScroll_(new QScrollBar(Qt::Vertical, this)),
      hScroll_(new QScrollBar(Qt::Horizontal, this)) {
  setObjectName("TPageViewer");
  resize(150, 150);
  setFocusPolicy(Qt::StrongFocus);
  defBackground_ = palette().color(QPalette::Button);
  defFontColor_ = palette().color(QPalette::ButtonText);
  vScroll_->setSingleStep(kLineStep);
  hScroll_->setSingleStep(kHorizontalStep);
  vScroll_->setFocusPolicy(Qt::NoFocus);
  hScroll_->setFocusPolicy(Qt::NoFocus);
  vScroll_->hide();
  hScroll_->hide();
  borderPanel_->lower();
  connect(vScroll_, &QScrollBar::valueChanged, this, [this](int y) { setScrollTop(y); });
  connect(hScroll_, &QScrollBar::valueChanged, this, [this](int) { panel_->update(); });
  hoverTimer_.setInterval(200);
  connect(&hoverTimer_, &QTimer::timeout, this, &TPageViewer::hoverTimerTick);
  animationTimer_.setInterval(20);
  connect(&animationTimer_, &QTimer::timeout, this, &TPageViewer::animationTick);
  panTimer_.setInterval(100);
  connect(&panTimer_, &QTimer::timeout, this, &TPageViewer::panStep);

  formControls_ = std::make_unique<QtFormControls>(
      panel_, [this] { return QPoint(hScroll_->isVisible() ? hScroll_->value() : 0, vScroll_->value()); },
      host_.PixelsPerInch);
  host_.Controls = formControls_.get();
  formControls_->OnViewerKey = [this](QKeyEvent* event) { keyPressEvent(event); };
  formControls_->OnFocusChange = [this] {
    focusLink(nullptr);
    panel_->update();
  };

  html::THtmlDocumentEvents& events = document_->Events;
  events.OnShowControl = [this](html::TFormControlObj& control) { showControl(control); };
  events.OnObjectClick = [this](html::TFormControlObj& control, const std::string& onClick) {
    emit OnObjectClick(this, &control, fromUtf8(onClick));
  };
  events.OnObjectFocus = [this](html::TFormControlObj& control, const std::string& attribute) {
    emit OnObjectFocus(this, &control, fromUtf8(attribute));
  };
  events.OnObjectBlur = [this](html::TFormControlObj& control, const std::string& attribute) {
    emit OnObjectBlur(this, &control, fromUtf8(attribute));
  };
  events.OnObjectChange = [this](html::TFormControlObj& control, const std::string& attribute) {
    emit OnObjectChange(this, &control, fromUtf8(attribute));
  };
  events.OnFileBrowse = [this](html::TFormControlObj& control, std::string& s) {
    QString text = fromUtf8(s);
    emit OnFileBrowse(this, &control, &text);
    s = utf8(text);
  };
  events.OnExpandName = [this](const std::string& name) { return utf8(ExpandName(fromUtf8(name))); };
  events.OnMeta = [this](const std::string& httpEq, const std::string& name, const std::string& content) {
    emit OnMeta(this, fromUtf8(httpEq), fromUtf8(name), fromUtf8(content));
    if (QString::fromStdString(httpEq).compare("refresh", Qt::CaseInsensitive) != 0) return;
    const QString text = fromUtf8(content);
    const int semicolon = text.indexOf(';');
    bool ok = false;
    int delay = (semicolon < 0 ? text : text.left(semicolon)).trimmed().toInt(&ok);
    if (!ok || delay < 0) return;
    refreshDelay_ = std::max(1, delay);
    const int at = text.indexOf("url=", 0, Qt::CaseInsensitive);
    refreshUrl_ = at < 0 ? QString() : text.mid(at + 4);
  };
  events.OnLink = [this](const std::string& rel, const std::string& rev, const std::string& href) {
    emit OnLink(this, fromUtf8(rel), fromUtf8(rev), fromUtf8(href));
  };
  events.OnSoundRequest = [this](const std::string& src, int loop, bool terminate) {
    emit OnSoundRequest(this, fromUtf8(src), loop, terminate);
  };
  events.OnBackgroundChange = [this] { panel_->update(); };
  events.OnImagesArrived = [this] { Relayout(); };
  document_->OnLinkStatesChanged = [this] {
    panel_->update();
    if (!document_->AnimatedImages.empty() && !animationTimer_.isActive()) animationTimer_.start();  // a picture under the mouse plays
  };
  document_->OnLayoutProgress = [this](int percent) { emit OnProgress(this, psRunning, percent); };
  Clear();
}

TPageViewer::~TPageViewer() = default;

void TPageViewer::setProcessing(bool On) {
  if (processing_ == On) return;
  processing_ = On;
  emit OnProcessing(this, On);
}

// --- Loading ---

void TPageViewer::LoadFromFile(const QString& FileName) { loadWithHistory(FileName, ftHTML, std::nullopt); }
void TPageViewer::LoadFromFile(const QString& FileName, std::string Text) {
  loadWithHistory(FileName, ftHTML, std::move(Text));
}
void TPageViewer::LoadTextDocument(const QString& FileName) { loadWithHistory(FileName, ftText, std::nullopt); }
void TPageViewer::LoadImageDocument(const QString& FileName) { loadWithHistory(FileName, ftImage, std::nullopt); }

void TPageViewer::loadWithHistory(const QString& FileName, THtmlFileType FileType, std::optional<std::string> Text) {
  if (processing_ || FileName.isEmpty()) return;
  const QString oldFile = currentFile_, oldTitle = documentTitle_;
  const THtmlFileType oldType = fileType_;
  const int oldPosition = DocPosition();
  html::TSectionList::TFormValues forms = document_->SaveFormValues();
  if (Text) loadFile(FileName, FileType, std::move(Text));
  else LoadFile(FileName, FileType);
  if (currentFile_ != oldFile || fileType_ != oldType)
    AddHistoryEntry(oldFile, oldTitle, oldType, std::move(forms), oldPosition);
}

// --- Forms ---

void TPageViewer::showControl(const html::TFormControlObj& Control) {
  const int top = vScroll_->value(), height = panel_->height();
  if (Control.TopValue < top || Control.TopValue > top + height - 20) ScrollTo(Control.TopValue - height / 2);
}

void TPageViewer::connectNotify(const QMetaMethod& signal) {
  QWidget::connectNotify(signal);
  if (signal == QMetaMethod::fromSignal(&TPageViewer::OnFormSubmit)) connectFormSubmit();
}

void TPageViewer::disconnectNotify(const QMetaMethod& signal) {
  QWidget::disconnectNotify(signal);
  if (signal == QMetaMethod::fromSignal(&TPageViewer::OnFormSubmit)) connectFormSubmit();
}

void TPageViewer::connectFormSubmit() {
  if (!isSignalConnected(QMetaMethod::fromSignal(&TPageViewer::OnFormSubmit))) {
    document_->Events.OnFormSubmit = nullptr;
    return;
  }
  // The submission reaches the handler after the click or key that made it has been handled: the
  // handler may well load another page.
  document_->Events.OnFormSubmit = [this](const std::string& action, const std::string& target,
                                          const std::string& encType, const std::string& method,
                                          std::vector<std::string> results) {
    QStringList lines;
    for (const std::string& line : results) lines.push_back(fromUtf8(line));
    QMetaObject::invokeMethod(
        this,
        [this, a = fromUtf8(action), t = fromUtf8(target), e = fromUtf8(encType), m = fromUtf8(method), lines] {
          emit OnFormSubmit(this, a, t, e, m, lines);
        },
        Qt::QueuedConnection);
  };
}

void TPageViewer::animationTick() {
  if (document_->AnimatedImages.empty()) {
    animationTimer_.stop();
    return;
  }
  // Each picture knows where it was last drawn on the panel.
  for (const auto& gif : document_->AnimatedImages)
    gif->AnimationTick([this](const core::TRect& r) { panel_->update(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top)); });
}

void TPageViewer::prepareLoad() {
  animationTimer_.stop();
  images_.Cache.SetCacheLimit(kImageCacheCount);
  document_->Clear();
  images_.Cache.AgeAndPurge();
  document_->SetDefaults(utf8(defFontName_), utf8(defPreFontName_), marginWidth_, marginHeight_, html::kDefaultCharSet,
                         (options_ & htNoLinkUnderline) == 0, (options_ & htOverLinksActive) != 0,
                         toEngineColor(defBackground_), toEngineColor(defOverLinkColor_),
                         toEngineColor(defVisitedLinkColor_), toEngineColor(defHotSpotColor_),
                         toEngineColor(defFontColor_), defFontSize_);
  document_->ShowDummyCaret = (options_ & htShowDummyCaret) != 0;
  selectionAnchor_ = 0;
  mouseDownPosition_ = -1;
}

void TPageViewer::parseDocument(THtmlFileType Type, const QString& Name) {
  document_->DocumentPath = utf8(currentFile_);
  document_->Events.OnParseProgress = [this](size_t read, size_t total) {
    if (total > 0) emit OnProgress(this, psRunning, static_cast<int>(75.0 * static_cast<double>(read) / static_cast<double>(total)));
  };
  if (Type == ftHTML) {
    emit OnSoundRequest(this, QString(), 0, true);
    html::ParseHtmlText(documentSource_, *document_);
  } else if (Type == ftText) {
    html::ParsePlainText(documentSource_, *document_);
  } else {
    // A picture as a page: one IMG whose source is the file.
    std::string name = utf8(Name);
    std::replace(name.begin(), name.end(), '"', '\'');
    html::ParseHtmlText("<IMG SRC=\"" + name + "\">", *document_);
  }
  document_->Events.OnParseProgress = nullptr;
}

void TPageViewer::LoadFile(const QString& FileName, THtmlFileType FileType) { loadFile(FileName, FileType, std::nullopt); }

void TPageViewer::loadFile(const QString& FileName, THtmlFileType FileType, std::optional<std::string> Given) {
  const int hash = FileName.indexOf('#');
  const QString name = hash < 0 ? FileName : FileName.left(hash);
  const QString destination = hash < 0 ? QString() : FileName.mid(hash + 1);
  refreshDelay_ = 0;
  refreshUrl_.clear();
  const QString full = ExpandName(name);
  std::string text;
  if (Given) {
    text = std::move(*Given);
  } else if (FileType != ftImage) {
    std::string error;
    std::optional<std::string> read = core::readRegularFile(utf8(localPath(full)), core::kMaxPageBytes, &error);
    if (!read) throw EPageLoadError("Can't locate file: " + utf8(name));
    text = std::move(*read);
  } else if (!QFileInfo(localPath(full)).isFile()) {
    throw EPageLoadError("Can't locate file: " + utf8(name));
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setProcessing(true);
  const QString oldFile = currentFile_;
  try {
    emit OnProgress(this, psStarting, 0);
    setUpdatesEnabled(false);
    prepareLoad();
    currentFile_ = localPath(full);
    fileType_ = FileType;
    documentSource_ = std::move(text);
    emit OnParseBegin(this);
    parseDocument(FileType, currentFile_);
    finishParse();
    MarkVisitedLinks();
    if (destination.isEmpty() || !ScrollToAnchor(destination)) {
      if (currentFile_ != oldFile) {
        ScrollTo(0);
        setHorizontal(0);
      } else {
        ScrollTo(vScroll_->value());
      }
    }
  } catch (...) {
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    emit OnProgress(this, psEnding, 100);
    setProcessing(false);
    throw;
  }
  setUpdatesEnabled(true);
  panel_->update();
  if (!document_->AnimatedImages.empty()) animationTimer_.start();
  QApplication::restoreOverrideCursor();
  emit OnProgress(this, psEnding, 100);
  setProcessing(false);
  if (refreshDelay_ > 0) emit OnMetaRefresh(this, refreshDelay_, refreshUrl_);
}

void TPageViewer::LoadFromString(const std::string& Source, const QString& Reference) {
  if (processing_) return;
  const int hash = Reference.indexOf('#');
  const QString name = hash < 0 ? Reference : Reference.left(hash);
  const QString destination = hash < 0 ? QString() : Reference.mid(hash + 1);
  refreshDelay_ = 0;
  setProcessing(true);
  emit OnProgress(this, psStarting, 0);
  prepareLoad();
  const QString oldFile = currentFile_;
  currentFile_ = name.isEmpty() ? QString() : ExpandName(name);
  fileType_ = ftHTML;
  documentSource_ = Source;
  emit OnParseBegin(this);
  parseDocument(ftHTML, currentFile_);
  finishParse();
  MarkVisitedLinks();
  if (destination.isEmpty() || !ScrollToAnchor(destination)) {
    if (currentFile_ != oldFile) ScrollTo(0);
  }
  panel_->update();
  emit OnProgress(this, psEnding, 100);
  setProcessing(false);
  if (refreshDelay_ > 0) emit OnMetaRefresh(this, refreshDelay_, refreshUrl_);
}

void TPageViewer::finishParse() {
  documentTitle_ = QString::fromStdU16String(document_->Title);
  base_ = document_->BaseUrl.empty() ? ownerBase_ : fromUtf8(document_->BaseUrl);
  baseTarget_ = fromUtf8(document_->BaseTarget);
  emit OnParseEnd(this);
  document_->ProgressStart = 75;
  LayoutDocument();
  document_->ProgressStart = 0;
}

void TPageViewer::setResourceHosts(html::IImageHost* Images, html::IResourceReader* Resources) {
  host_.Images = Images != nullptr ? Images : &images_;
  host_.Resources = Resources != nullptr ? Resources : &resources_;
}

void TPageViewer::Clear() {
  if (processing_) return;
  hoverTimer_.stop();
  animationTimer_.stop();
  document_->Clear();
  document_->SetDefaults();
  base_.clear();
  ownerBase_.clear();
  baseTarget_.clear();
  documentTitle_.clear();
  documentSource_.clear();
  scrollHeight_ = maxWidth_ = 0;
  vScroll_->setRange(0, 0);
  vScroll_->hide();
  hScroll_->hide();
  selectionAnchor_ = 0;
  mouseDownPosition_ = -1;
  emit OnSoundRequest(this, QString(), 0, true);
  ArrangeScrollBars();
  panel_->update();
}

QString TPageViewer::ExpandName(const QString& Name) const {
  const int scheme = Name.indexOf("://");
  if (scheme > 0 && !Name.contains("file://", Qt::CaseInsensitive)) return Name;
  QString n = fromUtf8(url::ServerUrlToDosPath(utf8(Name.trimmed()), utf8(serverRoot_)));
  n.replace('\\', '/');
  if (n.startsWith('/')) return localPath(n);
  if (base_.compare("DosPath", Qt::CaseInsensitive) == 0) return n;
  QString folder;
  if (!base_.isEmpty()) {
    folder = baseFolder(base_);
  } else if (!currentFile_.isEmpty()) {
    folder = QFileInfo(currentFile_).path();
  } else {
    folder = QFileInfo(QStringLiteral(".")).absoluteFilePath();
  }
  return localPathIn(folder, n);
}

// --- Layout and scroll bars ---

int TPageViewer::layOutAt(int Width) {
  const int b = borderStyle_ == htNone ? 0 : 2;
  int scrollWidth = 0;
  scrollHeight_ = document_->LayOut(metrics_, std::max(0, height() - b), std::max(0, Width), scrollWidth);
  maxWidth_ = std::max(scrollWidth, document_->DocumentMaxWidth);
  return scrollHeight_;
}

void TPageViewer::LayoutDocument() {
  const int b = borderStyle_ == htNone ? 0 : 2;
  const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int w = width() - b;
  if (scrollBars_ == ssNone || scrollBars_ == ssHorizontal) {
    layOutAt(w);
  } else if ((options_ & htShowVScroll) || documentSource_.size() >= kTrialLayoutLimit) {
    layOutAt(w - thickness);
  } else {
    // A trial without the bar; the bar's room is taken only when the page needs it.
    const auto needed = [&](int room) {
      const int h = height() - b;
      if (h >= scrollHeight_) {
        if (scrollBars_ != ssHorizontal && scrollBars_ != ssBoth) return false;
        if (scrollHeight_ < h - thickness || room >= maxWidth_) return false;
      }
      return true;
    };
    layOutAt(w);
    if (needed(width() - thickness - b)) {
      layOutAt(w - thickness);
      if (!needed(width() - b)) layOutAt(w);
    }
  }
  laidOutSize_ = size();
  ArrangeScrollBars();
}

void TPageViewer::ArrangeScrollBars() {
  maxWidth_ = std::min(maxWidth_, kMaxScrollWidth);
  const int b = borderStyle_ == htNone ? 0 : 2;
  const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const bool showV = (options_ & htShowVScroll) != 0;
  const int W = width(), H = height();
  bool vertical = false, horizontal = false;
  if (scrollBars_ == ssNone || (!showV && H - b >= scrollHeight_ && W - b >= maxWidth_)) {
    // no bars
  } else if (scrollBars_ == ssHorizontal) {
    horizontal = W - b < maxWidth_;
  } else {
    const bool both = scrollBars_ == ssBoth;
    vertical = scrollHeight_ >= H - b || (both && scrollHeight_ >= H - b - thickness && W - thickness - b < maxWidth_);
    horizontal = both && (W - b < maxWidth_ || ((vertical || showV) && W - thickness - b < maxWidth_));
  }
  const bool vShown = vertical || (showV && (scrollBars_ == ssVertical || scrollBars_ == ssBoth));
  const int p = vShown ? W - thickness : W;
  const int offset = b / 2;
  const int panelHeight = std::max(0, H - b - (horizontal ? thickness : 0));
  panel_->setGeometry(offset, offset, std::max(0, p - b), panelHeight);
  borderPanel_->setGeometry(0, 0, W, H);
  hScroll_->setVisible(horizontal);
  hScroll_->setGeometry(offset, H - offset - thickness, std::max(0, p - b), thickness);
  hScroll_->setPageStep(std::max(1, p - 20));
  hScroll_->setRange(0, std::max(0, std::max(maxWidth_, p - b) - (p - b)));
  vScroll_->setVisible(vShown);
  vScroll_->setEnabled(vertical);
  vScroll_->setGeometry(W - offset - thickness, offset, thickness, panelHeight);
  vScroll_->setPageStep(std::max(1, panelHeight - kLineStep));
  const int position = vScroll_->value();
  vScroll_->blockSignals(true);
  vScroll_->setRange(0, std::max(0, scrollHeight_ - panelHeight));
  vScroll_->setValue(std::min(position, vScroll_->maximum()));
  vScroll_->blockSignals(false);
  updateBorder();
}

void TPageViewer::Relayout() {
  if (processing_) return;
  setProcessing(true);
  const int position = DocPosition();
  emit OnProgress(this, psStarting, 0);
  LayoutDocument();
  setDocPosition(position);
  emit OnProgress(this, psEnding, 100);
  setProcessing(false);
  panel_->update();
}

void TPageViewer::resizeEvent(QResizeEvent*) {
  // A resize that Qt delivers late (a widget shown at the size it was laid out at) changes nothing.
  if (processing_ || size() == laidOutSize_) {
    ArrangeScrollBars();
    return;
  }
  Relayout();
  if (scrollHeight_ < panel_->height()) ScrollTo(0);
  else ScrollTo(vScroll_->value());
  setHorizontal(hScroll_->value());
}

int TPageViewer::clampedTop(int Y) const { return std::clamp(Y, 0, std::max(0, scrollHeight_ - panel_->height())); }

void TPageViewer::setScrollTop(int Y) {
  Y = clampedTop(Y);
  const int old = lastPaintedTop_;
  if (vScroll_->value() != Y) {
    vScroll_->blockSignals(true);
    vScroll_->setValue(Y);
    vScroll_->blockSignals(false);
  }
  // A short move shifts what is on the screen and paints only the strip it uncovers; a fixed background
  // or a long move paints everything again.
  const bool fixed = document_->BackgroundPosH.Fixed || document_->BackgroundPosV.Fixed;
  const int dy = old - Y;
  if (dy != 0 && !fixed && std::abs(dy) < panel_->height() / 2 && panel_->isVisible()) {
    // Only the pixels: Qt would move every control of the page along, shown or not, which on a long
    // form page costs more than the scroll; the ones on show are moved here.
    panel_->scroll(0, dy, panel_->rect());
    formControls_->scrollShown(dy);
  } else {
    panel_->update();
  }
  lastPaintedTop_ = Y;
}

void TPageViewer::ScrollTo(int Y) { setScrollTop(Y); }

void TPageViewer::scrollBy(int DY) { setScrollTop(vScroll_->value() + DY); }

void TPageViewer::setHorizontal(int X) {
  hScroll_->setValue(std::clamp(X, 0, hScroll_->maximum()));
  panel_->update();
}

int TPageViewer::DocPosition() const {
  const int top = vScroll_->value();
  int index = -1;
  const html::TSectionBase* item = document_->FindItemAtY(top, index);
  if (!item || index < 0) return top;
  return ((index + 1) << 16) + std::clamp(top - item->YPosition, 0, 0xFFFF);
}

void TPageViewer::setDocPosition(int Position) {
  const int high = (Position >> 16) & 0xFFFF;
  if (high == 0) {
    ScrollTo(Position);
    return;
  }
  const auto& list = document_->PositionList;
  if (static_cast<size_t>(high - 1) >= list.size()) return;
  ScrollTo(list[static_cast<size_t>(high - 1)]->YPosition + (Position & 0xFFFF));
}

bool TPageViewer::ScrollToAnchor(QString Name) {
  if (Name.startsWith('#')) Name = Name.mid(1);
  if (Name.isEmpty()) return false;
  html::TIDObject* object = document_->IDNameList.find(utf8(Name.toUpper()));
  if (!object) return false;
  ScrollTo(object->TargetY());
  setHorizontal(0);
  AddVisitedLink(currentFile_ + "#" + Name);
  return true;
}

// --- Painting ---

void TPageViewer::paintPanelArea(QPainter& Painter, const QRect& Clip) {
  QtCanvas canvas(Painter, metrics_);
  const html::TRect clip{Clip.left(), Clip.top(), Clip.right() + 1, Clip.bottom() + 1};
  const int x = hScroll_->isVisible() ? hScroll_->value() : 0;
  const int y = vScroll_->value();
  lastPaintedTop_ = y;
  document_->paintBackground(canvas, clip, x, y);
  document_->Paint(canvas, metrics_, clip, x, y);
}

void TPageViewer::updateBorder() {
  const bool border = borderStyle_ == htSingle || (borderStyle_ == htFocused && hasFocus());
  QPalette p = borderPanel_->palette();
  p.setColor(QPalette::Window, border ? palette().color(QPalette::Shadow) : palette().color(QPalette::Window));
  borderPanel_->setPalette(p);
  borderPanel_->setAutoFillBackground(borderStyle_ != htNone);
  borderPanel_->setVisible(borderStyle_ != htNone);
}

void TPageViewer::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  updateBorder();
  emit OnEnter(this);
}

void TPageViewer::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  updateBorder();
}

// --- Keys and wheel ---

void TPageViewer::keyPressEvent(QKeyEvent* event) {
  if (panning_) {
    panning_ = false;
    panTimer_.stop();
    panel_->setCursor(Qt::IBeamCursor);
  }
  // What readers of any document viewer expect, beside the keys below.
  if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    copySelection();
    return;
  }
  if (event->matches(QKeySequence::Find)) {
    showFindBar();
    return;
  }
  if (event->key() == Qt::Key_F3 && findText_ && !findText_->text().isEmpty()) {
    findNext((event->modifiers() & Qt::ShiftModifier) != 0);
    return;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusedLink_) {
    url_ = fromUtf8(focusedLink_->Url);
    target_ = fromUtf8(focusedLink_->Target);
    followLinkLater();
    return;
  }
  if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  const int page = vScroll_->pageStep();
  switch (event->key()) {
    case Qt::Key_PageUp: scrollBy(-page); break;
    case Qt::Key_PageDown: scrollBy(page); break;
    case Qt::Key_Home: ScrollTo(0); break;
    case Qt::Key_End: ScrollTo(scrollHeight_); break;
    case Qt::Key_Up: scrollBy(-kLineStep); break;
    case Qt::Key_Down: scrollBy(kLineStep); break;
    case Qt::Key_Left: setHorizontal(hScroll_->value() - kHorizontalStep); break;
    case Qt::Key_Right: setHorizontal(hScroll_->value() + kHorizontalStep); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void TPageViewer::wheelEvent(QWheelEvent* event) {
  if (options_ & htNoWheelMouse) {
    QWidget::wheelEvent(event);
    return;
  }
  const int lines = QApplication::wheelScrollLines();
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  if (lines > 0) scrollBy(delta > 0 ? -kLineStep * lines : kLineStep * lines);
  else scrollBy(-(delta / 2));
  event->accept();
}

// --- Keyboard: links, copy, find ---

bool TPageViewer::focusNextPrevChild(bool next) {
  // The keyboard order of links and controls: those with a TABINDEX first (in its order), then the rest
  // as the page has them.
  struct TStop {
    const html::TUrlTarget* Link = nullptr;
    html::TFormControlObj* Control = nullptr;
    int Position = 0;
  };
  std::vector<TStop> ordered, rest;
  const auto usable = [this](const html::TFormControlObj* c) {
    return c && c->isTabStop() && formControls_->laidOut(*c);
  };
  for (const auto& [key, stop] : document_->TabOrderList) {
    if (stop.LinkRun && stop.LinkRun->UrlTarget) ordered.push_back({stop.LinkRun->UrlTarget.get(), nullptr, 0});
    else if (auto* c = dynamic_cast<html::TFormControlObj*>(stop.Control); usable(c)) ordered.push_back({nullptr, c, 0});
  }
  const auto listed = [&ordered](const TStop& s) {
    return std::any_of(ordered.begin(), ordered.end(), [&s](const TStop& o) { return o.Link == s.Link && o.Control == s.Control; });
  };
  if (!document_->TooManyLinks)
    for (const html::TFontObj* run : document_->LinkList)
      if (run->UrlTarget && run->Section) rest.push_back({run->UrlTarget.get(), nullptr, run->Section->StartCurs + run->Pos});
  for (html::TFormControlObj* c : document_->FormControlList) {
    if (!usable(c)) continue;
    rest.push_back({nullptr, c, c->MySection ? c->MySection->StartCurs + c->Pos : 0});
  }
  std::stable_sort(rest.begin(), rest.end(), [](const TStop& a, const TStop& b) { return a.Position < b.Position; });
  std::vector<TStop> stops = ordered;
  for (const TStop& s : rest) {
    // A link of several runs is one stop.
    if (s.Link && std::any_of(stops.begin(), stops.end(), [&s](const TStop& o) { return o.Link == s.Link; })) continue;
    if (!listed(s)) stops.push_back(s);
  }
  html::TFormControlObj* focusedControl = formControls_->controlOf(QApplication::focusWidget());
  const auto at = std::find_if(stops.begin(), stops.end(), [&](const TStop& s) {
    return focusedControl ? s.Control == focusedControl : (s.Link && s.Link == focusedLink_);
  });
  const auto go = [this](const TStop& s) {
    if (s.Control) {
      focusLink(nullptr);
      formControls_->focusControl(*s.Control);
    } else {
      if (!hasFocus()) setFocus(Qt::TabFocusReason);
      focusLink(s.Link);
    }
    return true;
  };
  if (stops.empty()) return QWidget::focusNextPrevChild(next);
  if (at == stops.end()) return go(next ? stops.front() : stops.back());
  if (next ? at + 1 == stops.end() : at == stops.begin()) {
    focusLink(nullptr);
    // Out of the page: Qt's order from the viewer itself (the controls are not in it).
    if (focusedControl) setFocus(Qt::TabFocusReason);
    return QWidget::focusNextPrevChild(next);
  }
  return go(next ? *(at + 1) : *(at - 1));
}

void TPageViewer::focusLink(const html::TUrlTarget* Link) {
  focusedLink_ = Link;
  int start = -1;
  for (html::TFontObj* run : document_->LinkList) {
    run->Focused = Link && run->UrlTarget.get() == Link;
    if (run->Focused && start < 0 && run->Section) start = run->Section->StartCurs + run->Pos;
  }
  if (start >= 0) scrollToPosition(start);
  panel_->update();
}

void TPageViewer::scrollToPosition(int Position) {
  int x = 0, y = 0;
  if (!document_->PositionToPoint(metrics_, Position, x, y)) return;
  const int top = vScroll_->value(), height = panel_->height();
  if (y < top) ScrollTo(y);
  else if (y > top + height - 30) ScrollTo(y - height / 2);
}

void TPageViewer::copySelection() {
  const QString text = selectedText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TPageViewer::showFindBar() {
  if (!findBar_) {
    findBar_ = new QWidget(this);
    findBar_->setObjectName("FindBar");
    findBar_->setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(findBar_);
    layout->setContentsMargins(4, 2, 4, 2);
    findText_ = new QLineEdit(findBar_);
    findText_->setObjectName("FindText");
    findCase_ = new QCheckBox(tr("Match case"), findBar_);
    auto* close = new QToolButton(findBar_);
    close->setText(QStringLiteral("\u00D7"));
    layout->addWidget(findText_, 1);
    layout->addWidget(findCase_);
    layout->addWidget(close);
    connect(findText_, &QLineEdit::returnPressed, this, [this] { findNext(false); });
    connect(close, &QToolButton::clicked, this, [this] {
      findBar_->hide();
      setFocus();
    });
    findText_->installEventFilter(this);
  }
  const int h = findBar_->sizeHint().height();
  findBar_->setGeometry(0, height() - h, panel_->width(), h);
  findBar_->show();
  findBar_->raise();
  findText_->setFocus();
  findText_->selectAll();
}

bool TPageViewer::findNext(bool Backward) {
  if (!findText_ || findText_->text().isEmpty()) return false;
  const std::u16string text = findText_->text().toStdU16String();
  const bool matchCase = findCase_ && findCase_->isChecked();
  const bool selection = document_->SelEnd > document_->SelStart;
  int at;
  if (Backward) {
    at = document_->SearchBackward(selection ? document_->SelStart : document_->documentLength(), text, matchCase);
  } else {
    at = document_->SearchForward(selection ? document_->SelStart + 1 : 0, text, matchCase);
  }
  if (at < 0) return false;
  document_->SelStart = at;
  document_->SelEnd = at + static_cast<int>(text.size());
  selectionAnchor_ = at;
  scrollToPosition(at);
  panel_->update();
  return true;
}

bool TPageViewer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == findText_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      findBar_->hide();
      setFocus();
      return true;
    }
    if (key->key() == Qt::Key_F3) {
      findNext((key->modifiers() & Qt::ShiftModifier) != 0);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- Mouse, links and selection ---

QPoint TPageViewer::toDocument(const QPoint& PanelPoint) const {
  return {PanelPoint.x() + (hScroll_->isVisible() ? hScroll_->value() : 0), PanelPoint.y() + vScroll_->value()};
}

int TPageViewer::positionAt(int X, int Y) {
  int xr = 0, yr = 0, caretHeight = 0;
  bool inText = false;
  return document_->PositionAtPoint(metrics_, X, Y, xr, yr, caretHeight, inText);
}

void TPageViewer::extendSelection(int X, int Y) {
  if (noSelect_) return;
  const int at = positionAt(X, Y);
  if (at < 0) return;
  document_->SelStart = std::min(selectionAnchor_, at);
  document_->SelEnd = std::max(selectionAnchor_, at);
  panel_->update();
}

void TPageViewer::panelMouseDown(QMouseEvent* Event) {
  setFocus(Qt::MouseFocusReason);
  linkJustFollowed_ = false;
  if (panning_) {
    panning_ = false;
    panTimer_.stop();
    panel_->setCursor(Qt::IBeamCursor);
    return;
  }
  const QPoint p = toDocument(Event->position().toPoint());
  if (Event->button() == Qt::MiddleButton && !(options_ & htNoWheelMouse)) {
    panning_ = true;
    panStartY_ = panY_ = Event->position().toPoint().y();
    panel_->setCursor(Qt::SizeVerCursor);
    panTimer_.start();
    return;
  }
  if (Event->button() != Qt::LeftButton) return;
  selecting_ = true;
  document_->LeftButtonDown = true;
  const int at = positionAt(p.x(), p.y());
  mouseDownPosition_ = at;
  if (at >= 0 && !noSelect_) {
    if (Event->modifiers() & Qt::ShiftModifier) {
      document_->SelStart = std::min(selectionAnchor_, at);
      document_->SelEnd = std::max(selectionAnchor_, at);
    } else {
      selectionAnchor_ = at;
      document_->SelStart = document_->SelEnd = at;
    }
    panel_->update();
  }
  document_->SetLinkPressed(true);
}

void TPageViewer::panelMouseMove(QMouseEvent* Event) {
  if (panning_) {
    panY_ = Event->position().toPoint().y();
    return;
  }
  const QPoint p = toDocument(Event->position().toPoint());
  html::TUrlTarget link;
  html::TFormControlObj* control = nullptr;
  std::string title;
  const html::THitFlags found = document_->LinkAtPoint(metrics_, p.x(), p.y(), link, control, title);
  const bool overLink = (found & html::kHitLink) != 0;
  panel_->setCursor(overLink || (found & html::kHitFormControl) ? Qt::PointingHandCursor : Qt::IBeamCursor);
  panel_->setToolTip((found & html::kHitTitle) ? fromUtf8(title) : QString());
  const QString newUrl = overLink ? fromUtf8(link.Url) : QString();
  const QString newTarget = overLink ? fromUtf8(link.Target) : QString();
  if (overLink || document_->ActiveLink) hoverTimer_.start();
  if (newUrl != url_ || newTarget != target_) {
    url_ = newUrl;
    target_ = newTarget;
    emit OnHotSpotCovered(this, url_);
  }
  if ((Event->buttons() & Qt::LeftButton) && selecting_) {
    const int y = Event->position().toPoint().y();
    if (y < 0) scrollBy(-kLineStep);
    else if (y > panel_->height()) scrollBy(kLineStep);
    extendSelection(p.x(), p.y());
  }
}

void TPageViewer::panelMouseUp(QMouseEvent* Event) {
  if (panning_) {
    if (Event->button() == Qt::MiddleButton && Event->position().toPoint().y() != panStartY_) {
      panning_ = false;
      panTimer_.stop();
      panel_->setCursor(Qt::IBeamCursor);
    }
    return;
  }
  if (Event->button() != Qt::LeftButton) return;
  const QPoint p = toDocument(Event->position().toPoint());
  const bool wasSelecting = selecting_;
  if (selecting_ && !(Event->modifiers() & Qt::ShiftModifier)) extendSelection(p.x(), p.y());
  selecting_ = false;
  document_->LeftButtonDown = false;
  document_->SetLinkPressed(false);
  const bool click = document_->SelEnd <= document_->SelStart;
  if (!wasSelecting || !click || mouseDownPosition_ == -2) return;
  html::TUrlTarget link;
  html::TFormControlObj* control = nullptr;
  std::string title;
  const html::THitFlags found = document_->LinkAtPoint(metrics_, p.x(), p.y(), link, control, title);
  if (auto* image = dynamic_cast<html::TImageFormControlObj*>(control); image && (found & html::kHitFormControl)) {
    formControls_->focusControl(*image);  // not when disabled
    image->ImageClick();
    return;
  }
  if (!(found & html::kHitLink)) return;
  url_ = fromUtf8(link.Url);
  target_ = fromUtf8(link.Target);
  linkText_.clear();
  if (link.Start >= 0 && link.last > link.Start) {
    const int from = document_->SourceToDocPos(link.Start, false), to = document_->SourceToDocPos(link.last, true);
    if (from >= 0 && to > from) {
      const int selStart = document_->SelStart, selEnd = document_->SelEnd;
      document_->SelStart = from;
      document_->SelEnd = to + 1;
      linkText_ = selectedText();
      document_->SelStart = selStart;
      document_->SelEnd = selEnd;
    }
  }
  linkJustFollowed_ = true;
  followLinkLater();
}

void TPageViewer::followLinkLater() {
  // After the input handling has returned: following the link may replace this viewer. A page that
  // cannot be shown is reported as any failed command is, and the reader stays where they were.
  QMetaObject::invokeMethod(this, [this] { skin::runGuarded([this] { FollowLink(); }); }, Qt::QueuedConnection);
}

void TPageViewer::panelDoubleClick(QMouseEvent* Event) {
  if (processing_ || linkJustFollowed_) return;
  const QPoint p = toDocument(Event->position().toPoint());
  if (!noSelect_) {
    const int at = positionAt(p.x(), p.y());
    char16_t c = 0;
    html::TSection* section = nullptr;
    const auto isWordChar = [](char16_t ch) {
      return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') || ch >= 192;
    };
    if (at >= 0 && document_->CharAtPosition(at, c, section) && section && isWordChar(c)) {
      int from = at, to = at;
      html::TSection* other = nullptr;
      while (from > section->StartCurs && document_->CharAtPosition(from - 1, c, other) && other == section && isWordChar(c)) --from;
      while (document_->CharAtPosition(to + 1, c, other) && other == section && isWordChar(c)) ++to;
      document_->SelStart = from;
      document_->SelEnd = to + 1;
      selectionAnchor_ = from;
      panel_->update();
    }
  }
  mouseDownPosition_ = -2;  // the release that ends a double click follows no link
  emit OnMouseDouble(this, Event->button(), Event->modifiers(), Event->position().toPoint().x(),
                     Event->position().toPoint().y());
}

void TPageViewer::hoverTimerTick() {
  if (panel_->underMouse()) return;
  document_->ClearLinkStates();
  hoverTimer_.stop();
  if (!url_.isEmpty()) {
    url_.clear();
    target_.clear();
    emit OnHotSpotCovered(this, QString());
  }
}

void TPageViewer::panStep() {
  const int d = panY_ - panStartY_;
  int step = 0;
  if (d < -60) step = -32;
  else if (d < -20) step = -8;
  else if (d > 60) step = 32;
  else if (d > 20) step = 8;
  // Up only, or both ways (Qt has no down-only cursor).
  panel_->setCursor(step < 0 ? Qt::UpArrowCursor : Qt::SizeVerCursor);
  if (step != 0) scrollBy(step);
}

void TPageViewer::FollowLink() {
  bool handled = false;
  emit OnHotSpotClick(this, url_, &handled);
  if (handled || frameOwned_) return;
  const int oldPosition = DocPosition();
  const QString s = url_;
  if (s.startsWith('#')) {
    if (ScrollToAnchor(s)) {
      AddHistoryEntry(currentFile_, documentTitle_, fileType_, {}, oldPosition);
      AddVisitedLink(currentFile_ + s);
    }
    return;
  }
  const int hash = s.indexOf('#');
  const QString destination = hash < 0 ? QString() : s.mid(hash);
  const QString name = ExpandName(hash < 0 ? s : s.left(hash));
  const QString ext = extensionOf(name);
  if (ext == ".htm" || ext == ".html") {
    if (name != currentFile_) {
      LoadFromFile(name + destination);
      AddVisitedLink(name + destination);
    } else if (ScrollToAnchor(destination)) {
      AddHistoryEntry(currentFile_, documentTitle_, ftHTML, {}, oldPosition);
      AddVisitedLink(name + destination);
    }
  } else if (isImageName(name)) {
    LoadImageDocument(name);
  }
  // Anything else is not a page: no program is started for it.
}

QString TPageViewer::selectedText() {
  const int length = document_->SelectionLength();
  if (length <= 0) return {};
  std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
  const int written = document_->CopySelectionToBuffer(buffer.data(), length + 1);
  buffer.resize(static_cast<size_t>(std::max(0, written - 1)));
  return QString::fromStdU16String(buffer);
}

void TPageViewer::selectAll() {
  if (noSelect_) return;
  document_->SelStart = 0;
  document_->SelEnd = document_->documentLength();
  panel_->update();
}

// --- History ---

void TPageViewer::AddHistoryEntry(const QString& OldFile, const QString& OldTitle, THtmlFileType OldType,
                                  html::TSectionList::TFormValues Forms, int OldPosition) {
  if (historyMaxCount_ < 1 || currentFile_.isEmpty() ||
      (OldFile == currentFile_ && OldType == fileType_ && OldPosition == DocPosition()))
    return;
  if (!history_.isEmpty() && !OldFile.isEmpty()) {
    history_[historyIndex_] = OldFile;
    titleHistory_[historyIndex_] = OldTitle;
    positionHistory_[historyIndex_] = {OldPosition, OldType, OldFile != currentFile_ ? std::move(Forms) : html::TSectionList::TFormValues()};
    history_.erase(history_.begin(), history_.begin() + historyIndex_);
    titleHistory_.erase(titleHistory_.begin(), titleHistory_.begin() + historyIndex_);
    positionHistory_.erase(positionHistory_.begin(), positionHistory_.begin() + historyIndex_);
  }
  historyIndex_ = 0;
  history_.prepend(currentFile_);
  positionHistory_.prepend({DocPosition(), fileType_, {}});
  titleHistory_.prepend(documentTitle_);
  if (history_.size() > historyMaxCount_) {
    history_.removeAt(historyMaxCount_);
    titleHistory_.removeAt(historyMaxCount_);
    positionHistory_.removeAt(historyMaxCount_);
  }
  emit OnHistoryChange(this);
}

void TPageViewer::setHistoryIndex(int Index) {
  if (processing_ || Index == historyIndex_ || Index < 0 || Index >= history_.size()) return;
  if (!currentFile_.isEmpty() && historyIndex_ < history_.size()) {
    positionHistory_[historyIndex_] = {DocPosition(), fileType_, document_->SaveFormValues()};
    titleHistory_[historyIndex_] = documentTitle_;
  }
  const PositionObj target = positionHistory_[Index];
  if (history_[Index] != currentFile_ || target.FileType != fileType_) {
    LoadFile(history_[Index], target.FileType);
    document_->RestoreFormValues(target.FormValues);
  }
  setDocPosition(target.Position);
  historyIndex_ = Index;
  emit OnHistoryChange(this);
}

void TPageViewer::setHistoryMaxCount(int Count) {
  if (Count < 0 || Count == historyMaxCount_) return;
  if (Count < historyMaxCount_) ClearHistory();
  historyMaxCount_ = Count;
}

void TPageViewer::ClearHistory() {
  const bool had = !history_.isEmpty();
  history_.clear();
  titleHistory_.clear();
  positionHistory_.clear();
  historyIndex_ = 0;
  currentFile_.clear();
  if (had) emit OnHistoryChange(this);
}

// --- Visited links ---

bool TPageViewer::linkTargetMatches(const html::TUrlTarget& Url, const QString& Link) const {
  const QString target = fromUtf8(Url.Url);
  if (target.isEmpty()) return false;
  const QString expanded = target.startsWith('#') ? currentFile_ + target : [&] {
    const int hash = target.indexOf('#');
    return ExpandName(hash < 0 ? target : target.left(hash)) + (hash < 0 ? QString() : target.mid(hash));
  }();
  return expanded.compare(Link, Qt::CaseInsensitive) == 0;
}

void TPageViewer::AddVisitedLink(const QString& Link) {
  if (frameOwned_ || visitedMaxCount_ <= 0) return;
  if (!visitedLinks_.isEmpty() && visitedLinks_.front() == Link) return;
  const qsizetype at = visitedLinks_.indexOf(Link);
  if (at > 0) {
    visitedLinks_.move(at, 0);
  } else {
    for (html::TFontObj* run : document_->LinkList)
      if (run->UrlTarget && linkTargetMatches(*run->UrlTarget, Link)) run->Visited = true;
    visitedLinks_.prepend(Link);
    panel_->update();
  }
  while (visitedLinks_.size() > visitedMaxCount_) visitedLinks_.removeLast();
}

void TPageViewer::MarkVisitedLinks() {
  if (visitedLinks_.isEmpty()) return;
  for (html::TFontObj* run : document_->LinkList) {
    if (!run->UrlTarget) continue;
    for (const QString& link : visitedLinks_) {
      if (linkTargetMatches(*run->UrlTarget, link)) {
        run->Visited = true;
        break;
      }
    }
  }
}

void TPageViewer::setVisitedMaxCount(int Count) {
  Count = std::max(0, Count);
  visitedMaxCount_ = Count;
  if (Count > 0) {
    while (visitedLinks_.size() > Count) visitedLinks_.removeLast();
    return;
  }
  visitedLinks_.clear();
  for (html::TFontObj* run : document_->LinkList) run->Visited = false;
  panel_->update();
}

// --- Settings ---

void TPageViewer::setDefBackground(const QColor& Color) {
  if (processing_) return;
  defBackground_ = Color;
  document_->SetBackgroundColor(toEngineColor(Color));
  panel_->update();
}

void TPageViewer::setViewImages(bool View) {
  if (View == document_->ShowImages || processing_) return;
  document_->ShowImages = View;
  if (!document_->Items.empty()) Relayout();
}

void TPageViewer::setNoSelect(bool NoSelect) {
  noSelect_ = NoSelect;
  if (NoSelect) {
    document_->SelStart = document_->SelEnd = -1;
    panel_->update();
  }
}

void TPageViewer::setScrollBars(TScrollStyle Style) {
  if (Style == scrollBars_) return;
  scrollBars_ = Style;
  Relayout();
}

void TPageViewer::setBorderStyle(THTMLBorderStyle Style) {
  borderStyle_ = Style;
  ArrangeScrollBars();
}

void TPageViewer::sethtOptions(unsigned Options) {
  options_ = Options;
  document_->OverLinksActive = (Options & htOverLinksActive) != 0;
  document_->ShowDummyCaret = (Options & htShowDummyCaret) != 0;
}

void TPageViewer::setServerRoot(const QString& Root) {
  serverRoot_ = Root.trimmed();
  if (serverRoot_.endsWith('\\')) serverRoot_.chop(1);
}

}  // namespace lumora::viewer
