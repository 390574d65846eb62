#include "app/help_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <vector>

#include "app/icons.h"
#include "help/chm_file.h"
#include "help/chm_system.h"
#include "help/help_names.h"
#include "help/help_sitemap.h"
#include "html/html_host.h"
#include "image/image_loader.h"
#include "skin/message_box.h"
#include "viewer/viewer_names.h"

namespace lumora::app {

using viewer::fromUtf8;
using viewer::utf8;

// --- Topics from inside the help file ---

class THelpPageViewer::Images : public html::IImageHost {
 public:
  explicit Images(const THelpPageViewer& owner) : owner_(owner) {}
  html::TImageAnswer requestImage(const std::string& Source, int Transparency) override {
    html::TImageAnswer answer;
    answer.Transparency = Transparency;
    if (owner_.file_ == nullptr) return answer;
    if (const auto bytes = owner_.file_->read(Source)) {
      answer.Image = image::ReadImageStream(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(),
                                            answer.Transparency, answer.Mask);
    }
    return answer;
  }
  void releaseImage(const std::string&) override {}

 private:
  const THelpPageViewer& owner_;
};

class THelpPageViewer::Resources : public html::IResourceReader {
 public:
  explicit Resources(const THelpPageViewer& owner) : owner_(owner) {}
  std::optional<std::string> readResource(const std::string& Url, html::TResourceKind, std::string& Error) override {
    std::optional<std::string> bytes = owner_.file_ != nullptr ? owner_.file_->read(Url) : std::nullopt;
    if (!bytes) Error = "Can't locate file: " + Url;
    return bytes;
  }

 private:
  const THelpPageViewer& owner_;
};

THelpPageViewer::THelpPageViewer(QWidget* parent)
    : viewer::TPageViewer(parent), images_(std::make_unique<Images>(*this)), resources_(std::make_unique<Resources>(*this)) {
  setObjectName("TopicViewer");
  setResourceHosts(images_.get(), resources_.get());
}

THelpPageViewer::~THelpPageViewer() {
  // The document lets its pictures go through the hosts while it is destroyed.
  Clear();
  setResourceHosts(nullptr, nullptr);
}

void THelpPageViewer::setHelpFile(std::shared_ptr<help::TChmFile> File) {
  Clear();
  ClearHistory();
  file_ = std::move(File);
}

QString THelpPageViewer::ExpandName(const QString& Name) const {
  const std::string inside = help::resolveTopicName(utf8(Name), utf8(CurrentFile()));
  return inside.empty() ? Name : fromUtf8(inside);
}

void THelpPageViewer::LoadFile(const QString& FileName, viewer::THtmlFileType FileType) {
  const QString name = viewer::beforeHash(FileName);
  const QString inside = ExpandName(name);
  const std::optional<std::string> bytes =
      file_ != nullptr && inside.startsWith('/') ? file_->read(utf8(inside)) : std::nullopt;
  if (!bytes) throw viewer::EPageLoadError("Can't locate file: " + utf8(name));
  const QString reference = inside + viewer::fromHash(FileName);
  if (FileType == viewer::ftImage || viewer::isImageName(inside)) {
    QString quoted = inside;
    quoted.replace('"', '\'');
    LoadFromString("<IMG SRC=\"" + utf8(quoted) + "\">", reference);
  } else {
    LoadFromString(*bytes, reference);
  }
}

// --- The window ---

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  setWindowTitle("Help");
  setWindowIcon(applicationIcon());
  resize(820, 560);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* buttons = new QHBoxLayout;
  BackButton = new QToolButton(this);
  BackButton->setObjectName("BackButton");
  BackButton->setText("Back");
  BackButton->setIcon(toolbarIcon(Back));
  BackButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  ForwardButton = new QToolButton(this);
  ForwardButton->setObjectName("ForwardButton");
  ForwardButton->setText("Forward");
  ForwardButton->setIcon(toolbarIcon(Next));
  ForwardButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  buttons->addWidget(BackButton);
  buttons->addWidget(ForwardButton);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  Tabs = new QTabWidget(splitter);
  Tabs->setObjectName("Tabs");
  ContentsTree = new QTreeWidget;
  ContentsTree->setObjectName("ContentsTree");
  ContentsTree->setHeaderHidden(true);
  Tabs->addTab(ContentsTree, "Contents");
  auto* indexPage = new QWidget;
  auto* indexLayout = new QVBoxLayout(indexPage);
  indexLayout->setContentsMargins(2, 2, 2, 2);
  indexLayout->addWidget(new QLabel("Type in the keyword to find:"));
  IndexFilter = new QLineEdit;
  IndexFilter->setObjectName("IndexFilter");
  IndexList = new QListWidget;
  IndexList->setObjectName("IndexList");
  indexLayout->addWidget(IndexFilter);
  indexLayout->addWidget(IndexList, 1);
  Tabs->addTab(indexPage, "Index");
  TopicViewer = new THelpPageViewer(splitter);
  TopicViewer->setDefBackground(Qt::white);
  TopicViewer->setDefFontName("Times New Roman");
  TopicViewer->setDefPreFontName("Courier New");
  splitter->addWidget(Tabs);
  splitter->addWidget(TopicViewer);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({230, 590});
  layout->addWidget(splitter, 1);

  connect(BackButton, &QToolButton::clicked, this, &THelpWindow::goBack);
  connect(ForwardButton, &QToolButton::clicked, this, &THelpWindow::goForward);
  connect(ContentsTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    const QString local = item->data(0, Qt::UserRole).toString();
    if (!local.isEmpty()) showTopic(local);
  });
  connect(ContentsTree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    const QString local = item->data(0, Qt::UserRole).toString();
    if (!local.isEmpty()) showTopic(local);
  });
  connect(IndexFilter, &QLineEdit::textChanged, this, &THelpWindow::filterIndex);
  connect(IndexFilter, &QLineEdit::returnPressed, this, [this] {
    if (QListWidgetItem* item = IndexList->currentItem()) showTopic(item->data(Qt::UserRole).toString());
  });
  connect(IndexList, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toString()); });
  connect(IndexList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toString()); });
  // Links between topics go through the window, so they join its history; a link that leads out of the
  // help file is not followed (no other program is started).
  connect(TopicViewer, &viewer::TPageViewer::OnHotSpotClick, this, [this](QObject*, const QString& url, bool* handled) {
    if (url.startsWith('#')) return;
    *handled = true;
    const std::string inside = help::resolveTopicName(utf8(url), utf8(TopicViewer->CurrentFile()));
    if (!inside.empty()) showTopic(fromUtf8(inside));
  });
  updateButtons();
}

THelpWindow::~THelpWindow() = default;

bool THelpWindow::openFile(const QString& File) {
  const QString path = viewer::localPath(File);
  if (file_ != nullptr && path == fileName_) return true;
  std::shared_ptr<help::TChmFile> file;
  try {
    file = std::make_shared<help::TChmFile>(utf8(path));
  } catch (const help::EChmError& e) {
    skin::showErrorMessage(isVisible() ? this : nullptr, QString::fromStdString(e.what()));
    return false;
  }
  file_ = std::move(file);
  fileName_ = path;
  TopicViewer->setHelpFile(file_);
  history_.clear();
  index_ = -1;
  setWindowTitle(file_->info().Title.empty() ? QStringLiteral("Help") : fromUtf8(file_->info().Title));
  fillLists();
  updateButtons();
  return true;
}

void THelpWindow::fillLists() {
  ContentsTree->clear();
  IndexList->clear();
  IndexFilter->clear();
  const uint32_t lcid = file_->info().Lcid;
  std::vector<QTreeWidgetItem*> parents;  // the last item of each level
  for (const help::TSitemapEntry& entry : help::parseSitemap(file_->contentsText(), lcid)) {
    const size_t level = std::min(static_cast<size_t>(entry.Level), parents.size());
    parents.resize(level);
    auto* item = parents.empty() ? new QTreeWidgetItem(ContentsTree) : new QTreeWidgetItem(parents.back());
    item->setText(0, fromUtf8(entry.Name.empty() ? entry.Local : entry.Name));
    item->setData(0, Qt::UserRole, fromUtf8(help::resolveTopicName(entry.Local, "")));
    parents.push_back(item);
  }
  ContentsTree->expandAll();
  for (const help::TSitemapEntry& entry : help::parseSitemap(file_->indexText(), lcid)) {
    auto* item = new QListWidgetItem(QString(entry.Level * 2, ' ') + fromUtf8(entry.Name), IndexList);
    item->setData(Qt::UserRole, fromUtf8(help::resolveTopicName(entry.Local, "")));
  }
}

void THelpWindow::filterIndex(const QString& Text) {
  const QString wanted = Text.trimmed();
  QListWidgetItem* first = nullptr;
  for (int i = 0; i < IndexList->count(); ++i) {
    QListWidgetItem* item = IndexList->item(i);
    const bool shown = wanted.isEmpty() || item->text().trimmed().contains(wanted, Qt::CaseInsensitive);
    item->setHidden(!shown);
    if (shown && first == nullptr) first = item;
  }
  IndexList->setCurrentItem(first);
}

QString THelpWindow::currentTopic() const { return index_ >= 0 ? history_[index_] : QString(); }

bool THelpWindow::loadTopic(const QString& Topic) {
  const bool loaded = skin::runGuarded([&] { TopicViewer->LoadFromFile(Topic); });
  if (loaded) selectInContents(viewer::beforeHash(Topic));
  return loaded;
}

bool THelpWindow::showTopic(const QString& Topic) {
  if (file_ == nullptr) return false;
  QString topic = Topic.isEmpty() || Topic == "/" ? fromUtf8(file_->defaultTopic())
                                                  : fromUtf8(help::resolveTopicName(utf8(Topic), utf8(currentTopic())));
  if (topic.isEmpty() || !loadTopic(topic)) return false;
  if (index_ >= 0 && history_[index_] == topic) return true;
  while (history_.size() > index_ + 1) history_.removeLast();
  history_ << topic;
  index_ = static_cast<int>(history_.size()) - 1;
  updateButtons();
  return true;
}

void THelpWindow::goBack() {
  if (!canGoBack()) return;
  if (loadTopic(history_[index_ - 1])) --index_;
  updateButtons();
}

void THelpWindow::goForward() {
  if (!canGoForward()) return;
  if (loadTopic(history_[index_ + 1])) ++index_;
  updateButtons();
}

void THelpWindow::updateButtons() {
  BackButton->setEnabled(canGoBack());
  ForwardButton->setEnabled(canGoForward());
}

void THelpWindow::selectInContents(const QString& Topic) {
  const QString wanted = fromUtf8(help::foldedName(utf8(Topic)));
  for (QTreeWidgetItemIterator it(ContentsTree); *it != nullptr; ++it) {
    if (fromUtf8(help::foldedName(utf8((*it)->data(0, Qt::UserRole).toString()))) == wanted) {
      ContentsTree->setCurrentItem(*it);
      return;
    }
  }
  ContentsTree->setCurrentItem(nullptr);
}

void THelpWindow::showContentsTab() { Tabs->setCurrentIndex(0); }

void THelpWindow::showIndexTab(const QString& Keyword) {
  Tabs->setCurrentIndex(1);
  if (!Keyword.isEmpty()) IndexFilter->setText(Keyword);
}

QString THelpWindow::popupText(const QString& Name, const QString& Id) const {
  if (file_ == nullptr) return {};
  const std::optional<std::string> bytes = file_->read(help::resolveTopicName(utf8(Name), ""));
  if (!bytes) return {};
  const auto texts = help::parsePopupTexts(help::helpTextToUtf8(*bytes, file_->info().Lcid));
  const auto found = texts.find(utf8(Id));
  return found == texts.end() ? QString() : fromUtf8(found->second);
}

// --- The window as the router's viewer ---

namespace {

class THelpWindowViewer : public IHtmlHelp {
 public:
  bool HtmlHelp(QWidget*, const QString& File, int Command, quintptr Data) override {
    const qsizetype inside = File.indexOf("::");
    const QString file = inside < 0 ? File : File.left(inside);
    const QString topic = inside < 0 ? QString() : File.mid(inside + 2);
    switch (Command) {
      case HH_DISPLAY_TOPIC:
        if (!window_.openFile(file)) return false;
        present();
        window_.showContentsTab();
        return window_.showTopic(topic);
      case HH_DISPLAY_TOC:
      case HH_DISPLAY_INDEX: {
        if (!window_.openFile(file)) return false;
        present();
        if (Command == HH_DISPLAY_TOC) {
          window_.showContentsTab();
        } else {
          window_.showIndexTab(Data != 0 ? QString::fromLocal8Bit(reinterpret_cast<const char*>(Data)) : QString());
        }
        return window_.currentTopic().isEmpty() ? window_.showTopic(QString()) : true;
      }
      case HH_DISPLAY_TEXT_POPUP: {
        const auto* record = reinterpret_cast<const THHPopup*>(Data);
        if (record == nullptr) return false;
        QString text = record->pszText != nullptr ? QString::fromLocal8Bit(record->pszText) : QString();
        if (text.isEmpty() && !file.isEmpty() && window_.openFile(file))
          text = window_.popupText(topic, QString::number(record->idString));
        if (text.isEmpty()) return false;
        QToolTip::showText(record->pt, text);
        return true;
      }
      case HH_CLOSE_ALL:
        window_.hide();
        return true;
      default:
        // Context numbers need the file's context map, which this viewer does not read.
        return false;
    }
  }

 private:
  void present() {
    // Help asked for from a modal dialog must not be blocked by it: the window belongs to the dialog then.
    QWidget* modal = QApplication::activeModalWidget();
    window_.winId();
    if (modal != nullptr && modal != &window_) modal->winId();
    window_.windowHandle()->setTransientParent(modal != nullptr && modal != &window_ ? modal->windowHandle() : nullptr);
    window_.show();
    window_.raise();
    window_.activateWindow();
  }
  THelpWindow window_;
};

}  // namespace

std::unique_ptr<IHtmlHelp> makeHelpWindowViewer() { return std::make_unique<THelpWindowViewer>(); }

}  // namespace lumora::app
