#pragma once
// The help window: a compiled help file's table of contents as a tree, its index as a list to filter,
// and its topics painted by the program's own page viewer, with pictures and style sheets read from inside
// the file, links between topics followed and Back and Forward through the topics read.

#include <QStringList>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

#include "app/help_dispatcher.h"
#include "viewer/page_viewer.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumora::help {
class TChmFile;
}

namespace lumora::app {

// A page viewer whose pages are the topics of one help file: names are paths inside the file.
class THelpPageViewer : public viewer::TPageViewer {
  Q_OBJECT
 public:
  explicit THelpPageViewer(QWidget* parent = nullptr);
  ~THelpPageViewer() override;
  void setHelpFile(std::shared_ptr<help::TChmFile> File);

  QString ExpandName(const QString& Name) const override;
  // A topic missing from the file throws EPageLoadError "Can't locate file: " + its name.
  void LoadFile(const QString& FileName, viewer::THtmlFileType FileType) override;

 private:
  class Images;
  class Resources;
  std::shared_ptr<help::TChmFile> file_;
  std::unique_ptr<Images> images_;
  std::unique_ptr<Resources> resources_;
};

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  ~THelpWindow() override;

  // Opens File (again only when it is another file). A missing or damaged file is shown in an error box
  // naming it, and false is returned; the window keeps what it showed.
  bool openFile(const QString& File);
  // Shows Topic ("/topic.htm", "topic.htm#part"; empty: the file's first topic) and records it for Back.
  bool showTopic(const QString& Topic);
  void showContentsTab();
  // The index, filtered by Keyword when it is given.
  void showIndexTab(const QString& Keyword);
  // The popup text ID of the popup list Name inside the open file; empty when there is none.
  QString popupText(const QString& Name, const QString& Id) const;

  QString openFileName() const { return fileName_; }
  QString currentTopic() const;
  bool canGoBack() const { return index_ > 0; }
  bool canGoForward() const { return index_ + 1 < history_.size(); }
  void goBack();
  void goForward();

  THelpPageViewer* TopicViewer;
  QTabWidget* Tabs;
  QTreeWidget* ContentsTree;
  QLineEdit* IndexFilter;
  QListWidget* IndexList;
  QToolButton* BackButton;
  QToolButton* ForwardButton;

 private:
  bool loadTopic(const QString& Topic);
  void fillLists();
  void filterIndex(const QString& Text);
  void selectInContents(const QString& Topic);
  void updateButtons();

  std::shared_ptr<help::TChmFile> file_;
  QString fileName_;
  QStringList history_;
  int index_ = -1;
};

// The help window as the router's HTML help viewer.
std::unique_ptr<IHtmlHelp> makeHelpWindowViewer();

}  // namespace lumora::app
