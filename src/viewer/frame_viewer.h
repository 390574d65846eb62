#pragma once
// The frame viewer the main window talks to: top-level documents shown in framesets (an ordinary page is a
// frameset of one frame), links followed into the frame they name, a main history of top-level documents
// and a local history in every frame, and the load events.

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <stdexcept>

#include "viewer/frame_set.h"
#include "viewer/page_viewer.h"

namespace lumora::viewer {

class EfvLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum fvOptionEnum : unsigned {
  fvMetaRefresh = 1 << 0,
  fvNoBorder = 1 << 1,
  fvNoLinkUnderline = 1 << 2,
  fvOverLinksActive = 1 << 3,
  fvPrintMonochromeBlack = 1 << 4,
  fvPrintTableBackground = 1 << 5,
  fvPrintBackground = 1 << 6,
  fvShowVScroll = 1 << 7,
  fvNoFocusRect = 1 << 8,
  fvShowDummyCaret = 1 << 9,
  fvNoWheelMouse = 1 << 10,
};

class TFrameViewer : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameViewer(QWidget* parent = nullptr);
  ~TFrameViewer() override;

  // Loads a top-level document; ignored while busy. A missing file throws EfvLoadError
  // "Can't locate file: " + the name without its "#" part, and nothing changes.
  void LoadFromFile(const QString& FileName);
  void LoadDocument(const QString& FileName);
  void GoBack();
  void GoForward();
  // Repaints what is shown; reads nothing again.
  void Repaint();
  void SetHistoryIndex(int Index);
  void ReloadCurrent();
  void ClearHistory();
  QString ExpandName(const QString& Name) const;

  int HistoryIndex() const { return historyIndex_; }
  // Top-level document names and titles, newest first.
  QStringList History() const;
  QStringList TitleHistory() const;
  QString CurrentFile() const;
  QString DocumentTitle() const;
  bool busy() const { return busy_ || !busyViewers_.isEmpty(); }
  bool BackButtonEnabled() const;
  bool FwdButtonEnabled() const;
  TPageViewer* FocusedViewer() const;
  TFrameSet* currentFrameSet() const { return current_; }
  QString URL() const { return url_; }
  QString Target() const { return target_; }
  const QStringList& VisitedLinks() const { return visitedLinks_; }

  int HistoryMaxCount() const { return historyMaxCount_; }
  void setHistoryMaxCount(int Count);
  int VisitedMaxCount() const { return visitedMaxCount_; }
  void setVisitedMaxCount(int Count);
  unsigned fvOptions() const { return options_; }
  void setfvOptions(unsigned Options);
  QColor DefBackground() const { return defBackground_; }
  void setDefBackground(const QColor& Color);
  QString DefFontName() const { return defFontName_; }
  void setDefFontName(const QString& Name);
  QString DefPreFontName() const { return defPreFontName_; }
  void setDefPreFontName(const QString& Name);
  int MarginWidth() const { return marginWidth_; }
  int MarginHeight() const { return marginHeight_; }

  // The text the reader sees in every frame, for tests and diagnostics.
  QString visibleText() const;

  // --- What frames and framesets use ---
  // Gives a new page viewer the frame viewer's settings and connects its events.
  void setUpViewer(TPageViewer& Viewer, TfvFrame& Frame);
  // Loads Name into one frame, with its local history.
  void LoadFrameFile(TfvFrame& Frame, QString Name, const QString& Destination, bool Refresh, bool AddHistory);
  void AddFrameHistory(TfvFrame& Frame, const QString& NewName, int NewPosition,
                       html::TSectionList::TFormValues Forms, int OldPosition);
  void SetFrameHistoryIndex(TfvFrame& Frame, int Index);
  int nextSequence() { return sequence_++; }
  void AddVisitedLink(const QString& Link);
  void MarkVisitedLinks();

 signals:
  void OnProgress(QObject* Sender, lumora::viewer::TProgressStage Stage, int PercentDone);
  void OnProcessing(QObject* Sender, bool ProcessingOn);
  void OnParseBegin(QObject* Sender);
  void OnParseEnd(QObject* Sender);
  void OnHistoryChange(QObject* Sender);
  void OnHotSpotTargetClick(QObject* Sender, const QString& Target, const QString& URL, bool* Handled);
  void OnHotSpotTargetCovered(QObject* Sender, const QString& Target, const QString& URL);
  void OnBlankWindowRequest(QObject* Sender, const QString& Target, const QString& URL);
  // The form events of the frames' viewers (TPageViewer's), with the viewer as Sender.
  void OnFormSubmit(QObject* Sender, const QString& Action, const QString& Target, const QString& EncType,
                    const QString& Method, const QStringList& Results);
  void OnObjectClick(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& OnClick);
  void OnObjectFocus(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& Attribute);
  void OnObjectBlur(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& Attribute);
  void OnObjectChange(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& Attribute);
  void OnFileBrowse(QObject* Sender, lumora::html::TFormControlObj* Obj, QString* S);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // Alt+Left and Backspace go back, Alt+Right forward, F5 reads the shown pages again from disk.
  void keyPressEvent(QKeyEvent* event) override;
  void connectNotify(const QMetaMethod& signal) override;

 private:
  struct TMainEntry {
    QString File;
    TFrameSet* FrameSet = nullptr;
    QString Title;
    int Position = 0;
  };
  enum class THistoryKind { NewDocument, SameDocument, InOnlyFrame };
  void setOwnBusy(bool On);
  // History moves without the busy check and processing span of the public operations.
  void moveInHistory(int Index);
  void moveInFrame(TfvFrame& Frame, int Index);
  void viewerProcessing(TPageViewer* Viewer, bool On);
  void hotSpotClick(TPageViewer* Viewer, const QString& Url, bool* Handled);
  QString resolveTarget(TPageViewer* Viewer, const QString& LinkTarget) const;
  void AddHistoryEntry(THistoryKind Kind, TFrameSet* OldSet, const QString& OldFile, const QString& OldTitle,
                       int OldPosition);
  void dropEntry(int Index);
  void freeIfUnused(TFrameSet* Set);
  void showFrameSet(TFrameSet* Set);
  bool linkMatches(TPageViewer& Viewer, const QString& LinkUrl, const QString& Entry) const;
  // A viewer's submissions reach the owner only when it listens: without a listener a submit does nothing.
  void relayFormSubmit(TPageViewer& Viewer);

  TFrameSet* current_;
  QVector<TMainEntry> entries_;
  int historyIndex_ = 0;
  int historyMaxCount_ = 0;
  QStringList visitedLinks_;
  int visitedMaxCount_ = 50;
  bool busy_ = false;
  QVector<TPageViewer*> busyViewers_;
  int sequence_ = 10;
  QString url_, target_;
  unsigned options_ = fvPrintMonochromeBlack | fvPrintTableBackground;
  QColor defBackground_;
  QString defFontName_ = "Times New Roman", defPreFontName_ = "Courier New";
  int marginWidth_ = 10, marginHeight_ = 5;
};

}  // namespace lumora::viewer
