#pragma once
// The frame viewer the main window talks to: loading, history and the load events. Pages are shown by the
// interim page view (text and links) until the HTML engine's viewer takes its place behind this interface.

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <stdexcept>

#include "viewer/page_viewer.h"

namespace lumora::viewer {

class InterimPageView;

class EfvLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TFrameViewer : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameViewer(QWidget* parent = nullptr);

  // Loads a top-level document; ignored while busy. A missing file throws EfvLoadError
  // "Can't locate file: " + the name without its "#" part, and nothing changes.
  void LoadFromFile(const QString& fileName);
  void GoBack();
  void GoForward();
  // Repaints what is shown; reads nothing again.
  void Repaint();
  void SetHistoryIndex(int index);

  int HistoryIndex() const { return historyIndex_; }
  const QStringList& History() const { return history_; }
  const QStringList& TitleHistory() const { return titleHistory_; }
  QString CurrentFile() const { return currentFile_; }
  QString DocumentTitle() const { return documentTitle_; }
  bool busy() const { return busy_; }
  bool BackButtonEnabled() const { return historyIndex_ <= history_.size() - 2; }
  bool FwdButtonEnabled() const { return historyIndex_ > 0; }

  int HistoryMaxCount() const { return historyMaxCount_; }
  void setHistoryMaxCount(int count);
  QColor DefBackground() const { return defBackground_; }
  void setDefBackground(const QColor& color);
  QString DefFontName() const { return defFontName_; }
  void setDefFontName(const QString& name);
  QString DefPreFontName() const { return defPreFontName_; }
  void setDefPreFontName(const QString& name);

  // The text the reader sees, for tests and diagnostics.
  QString visibleText() const;

 signals:
  void OnProgress(QObject* sender, lumora::viewer::TProgressStage stage, int percentDone);
  void OnProcessing(QObject* sender, bool processingOn);
  void OnParseBegin(QObject* sender);
  void OnParseEnd(QObject* sender);
  void OnHistoryChange(QObject* sender);

 private:
  void LoadDocument(const QString& name);
  void showFile(const QString& file);
  void followLink(const QString& href);
  void addHistoryEntry(const QString& oldFile, const QString& oldTitle, int oldPosition);
  void setBusy(bool busy);

  InterimPageView* view_;
  QStringList history_;
  QStringList titleHistory_;
  QVector<int> positionHistory_;
  int historyIndex_ = 0;
  int historyMaxCount_ = 10;
  QString currentFile_;
  QString documentTitle_;
  bool busy_ = false;
  QColor defBackground_ = Qt::white;
  QString defFontName_ = "Times New Roman";
  QString defPreFontName_ = "Courier New";
};

// Resolves a link written in a page against the folder of the page it is in: "\" and "/" both separate,
// "file:" prefixes are dropped, and a name that does not exist exactly is looked up without regard to case.
// Returns an empty string for links that leave the publication (other schemes).
QString resolveInterimLink(const QString& currentFile, const QString& href);

}  // namespace lumora::viewer
