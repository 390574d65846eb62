#include "viewer/frame_viewer.h"

#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>

#include "core/paths.h"
#include "skin/message_box.h"
#include "viewer/interim_page_view.h"

namespace lumora::viewer {

namespace {

QString localPath(const QString& name) {
  const std::string local = core::toLocalSeparators(name.toStdString());
  return QString::fromStdString(core::resolveCaseInsensitive(local).string());
}

}  // namespace

QString resolveInterimLink(const QString& currentFile, const QString& href) {
  QString name = href.trimmed();
  name = name.left(name.indexOf('#') < 0 ? name.size() : name.indexOf('#'));
  name = name.left(name.indexOf('?') < 0 ? name.size() : name.indexOf('?'));
  if (name.startsWith("file:", Qt::CaseInsensitive)) {
    name = name.mid(5);
    while (name.startsWith("//")) name = name.mid(1);
  } else if (name.indexOf(':') > 1) {
    return {};  // http:, mailto: and the like: a reader of a publication folder does not go there
  }
  name.replace('\\', '/');
  if (name.isEmpty()) return currentFile;
  if (!name.startsWith('/')) name = QFileInfo(currentFile).absolutePath() + "/" + name;
  return localPath(QFileInfo(name).absoluteFilePath());
}

TFrameViewer::TFrameViewer(QWidget* parent) : QWidget(parent), view_(new InterimPageView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  connect(view_, &InterimPageView::linkClicked, this, &TFrameViewer::followLink);
}

void TFrameViewer::setHistoryMaxCount(int count) {
  if (count < 0 || count == historyMaxCount_) return;
  historyMaxCount_ = count;
  history_.clear();
  titleHistory_.clear();
  positionHistory_.clear();
  historyIndex_ = 0;
}

void TFrameViewer::setDefBackground(const QColor& color) {
  defBackground_ = color;
  view_->setDefaults(defBackground_, defFontName_, defPreFontName_);
}
void TFrameViewer::setDefFontName(const QString& name) {
  defFontName_ = name;
  view_->setDefaults(defBackground_, defFontName_, defPreFontName_);
}
void TFrameViewer::setDefPreFontName(const QString& name) {
  defPreFontName_ = name;
  view_->setDefaults(defBackground_, defFontName_, defPreFontName_);
}

QString TFrameViewer::visibleText() const { return view_->plainText(); }

void TFrameViewer::setBusy(bool busy) {
  busy_ = busy;
  emit OnProcessing(this, busy);
}

void TFrameViewer::LoadFromFile(const QString& fileName) {
  if (busy_) return;
  const int hash = fileName.indexOf('#');
  const QString file = hash < 0 ? fileName : fileName.left(hash);
  if (!QFileInfo(localPath(file)).isFile()) {
    throw EfvLoadError("Can't locate file: " + file.toStdString());
  }
  LoadDocument(fileName);
}

void TFrameViewer::showFile(const QString& file) {
  QFile in(localPath(file));
  if (!in.open(QIODevice::ReadOnly)) throw EfvLoadError("Can't locate file: " + file.toStdString());
  const QByteArray bytes = in.readAll();
  emit OnProgress(this, psStarting, 0);
  emit OnParseBegin(this);
  PageText page = extractPageText(std::string_view(bytes.constData(), bytes.size()));
  emit OnProgress(this, psRunning, 75);
  documentTitle_ = QString::fromStdString(page.title);
  currentFile_ = file;
  view_->setPage(std::move(page));
  emit OnParseEnd(this);
  emit OnProgress(this, psRunning, 100);
  emit OnProgress(this, psEnding, 100);
}

void TFrameViewer::LoadDocument(const QString& name) {
  setBusy(true);
  try {
    const int hash = name.indexOf('#');
    const QString file = hash < 0 ? name : name.left(hash);
    const QString oldFile = currentFile_;
    const QString oldTitle = documentTitle_;
    const int oldPosition = view_->position();
    showFile(file);
    addHistoryEntry(oldFile, oldTitle, oldPosition);
  } catch (...) {
    setBusy(false);
    throw;
  }
  setBusy(false);
}

void TFrameViewer::addHistoryEntry(const QString& oldFile, const QString& oldTitle, int oldPosition) {
  if (historyMaxCount_ <= 0 || currentFile_.isEmpty()) return;
  if (!history_.isEmpty()) {
    history_[historyIndex_] = oldFile;
    titleHistory_[historyIndex_] = oldTitle;
    positionHistory_[historyIndex_] = oldPosition;
  }
  // Entries ahead of the current one are dropped, the new document goes to the front.
  history_.erase(history_.begin(), history_.begin() + historyIndex_);
  titleHistory_.erase(titleHistory_.begin(), titleHistory_.begin() + historyIndex_);
  positionHistory_.erase(positionHistory_.begin(), positionHistory_.begin() + historyIndex_);
  historyIndex_ = 0;
  history_.prepend(currentFile_);
  titleHistory_.prepend(documentTitle_);
  positionHistory_.prepend(0);
  while (history_.size() > historyMaxCount_) {
    history_.removeLast();
    titleHistory_.removeLast();
    positionHistory_.removeLast();
  }
  emit OnHistoryChange(this);
}

void TFrameViewer::GoBack() { SetHistoryIndex(historyIndex_ + 1); }
void TFrameViewer::GoForward() { SetHistoryIndex(historyIndex_ - 1); }

void TFrameViewer::SetHistoryIndex(int index) {
  if (index == historyIndex_ || index < 0 || index >= history_.size() || busy_) return;
  setBusy(true);
  try {
    if (!currentFile_.isEmpty()) {
      titleHistory_[historyIndex_] = documentTitle_;
      positionHistory_[historyIndex_] = view_->position();
    }
    if (history_[index].compare(currentFile_, Qt::CaseInsensitive) != 0) showFile(history_[index]);
    view_->setPosition(positionHistory_[index]);
    historyIndex_ = index;
    emit OnHistoryChange(this);
  } catch (...) {
    setBusy(false);
    throw;
  }
  setBusy(false);
}

void TFrameViewer::Repaint() { view_->viewport()->update(); }

void TFrameViewer::followLink(const QString& href) {
  if (busy_) return;
  if (href.startsWith('#')) return;  // anchors within the page: the interim view has no positions for them
  const QString target = resolveInterimLink(currentFile_, href);
  if (target.isEmpty()) return;
  skin::runGuarded([&] { LoadFromFile(target); });
}

}  // namespace lumora::viewer
