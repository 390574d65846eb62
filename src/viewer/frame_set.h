#pragma once
// Framesets and frames: the panels a top-level document becomes. An ordinary page is a frameset with one
// frame; a frameset document is a tree of nested framesets and frames, each frame holding a page viewer or
// a further frameset. Sizes come from ROWS and COLS; borders between frames can be dragged.

#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "html/html_common.h"
#include "html/html_frameset.h"
#include "viewer/page_viewer.h"

namespace lumora::viewer {

class TFrameViewer;
class TFrameSet;
class TSubFrameSet;
class TfvFrame;

// Dimensions of ROWS and COLS: 0 or more pixels (at most 5000); -1 to -99 a weight of 1 to 99 ("*", "n*");
// -100 or less a percentage p stored as -(100 + p), p from 1 to 900.
inline constexpr int kMaxDimensions = 20;
std::vector<int> parseDimensions(const std::string& Value);
// Pixel sizes of the entries for an extent of Extent pixels.
std::vector<int> computeSizes(const std::vector<int>& Dimensions, int Extent);

// Framesets nested deeper than this in frames are not loaded: their frames stay empty.
inline constexpr int kMaxFrameNesting = 4;

class TFrameBase : public QWidget {
  Q_OBJECT
 public:
  TFrameBase(TFrameSet* Master, TSubFrameSet* Parent, QWidget* WidgetParent);
  TFrameSet* MasterSet;
  TSubFrameSet* ParentSet;  // null for the top frameset
  bool Released = false;
  virtual void LoadFrames() = 0;
  virtual void RestoreFrames(int Position) = 0;
  virtual void ReleaseFrames() = 0;
};

// One place of a frame-local history.
struct TFrameHistoryEntry {
  QString Name;
  TSubFrameSet* FrameSet = nullptr;  // the nested frameset the entry showed, or none
  int Position = 0;
  int Sequence = 0;  // orders the entries of all frames in time
  html::TSectionList::TFormValues FormValues;  // what the reader had entered there
};

class TfvFrame : public TFrameBase {
  Q_OBJECT
 public:
  TfvFrame(TFrameSet* Master, TSubFrameSet* Parent);
  ~TfvFrame() override;

  QString Source;       // full name of its document
  QString OrigSource;   // the SRC as the frameset document gave it, resolved
  QString Destination;  // the "#" part
  QString Name;
  bool NoResize = false, NoScroll = false;
  int MarginWidth = -1, MarginHeight = -1;  // -1: the frame viewer's
  TPageViewer* Viewer = nullptr;
  TSubFrameSet* FrameSet = nullptr;
  int SavedPosition = 0;
  html::TSectionList::TFormValues SavedFormValues;  // kept while the frame is released into the history
  QVector<TFrameHistoryEntry> LocalHistory;
  int LocalIndex = 0;
  QTimer RefreshTimer;
  QString RefreshName;

  void LoadFrames() override;
  void RestoreFrames(int Position) override;
  void ReleaseFrames() override;
  // Makes the frame's page viewer with the frame viewer's settings and handlers.
  TPageViewer* MakeViewer();
  // The error page a frame shows when its document cannot be loaded.
  void showLoadError(const QString& Name);
  void InitFrameHistory(const QString& Name, int Position);
  // Shows the nested frameset (or the viewer) filling the frame inside its bevel.
  void arrange();
  int bevel() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TSubFrameSet : public TFrameBase {
  Q_OBJECT
 public:
  TSubFrameSet(TFrameSet* Master, TSubFrameSet* Parent, QWidget* WidgetParent);
  ~TSubFrameSet() override;

  QString Base, BaseTarget;
  int BevelWidth = 0;
  int BorderSize = 2;
  int RefreshSeconds = 0;
  QString RefreshName;
  QTimer RefreshTimer;
  bool Rows = false;
  std::vector<TFrameBase*> List;  // children in document order
  std::vector<int> Dimensions;
  std::vector<bool> FixedEdges;   // edge i cannot be dragged
  std::vector<int> Sizes;
  int Total = 0;
  std::vector<int> Edges;  // 0, then the end of each child

  void SetDimensions(const html::TAttributeList& Attributes);
  TfvFrame* AddFrame(const html::TAttributeList& Attributes, const QString& DocumentName);
  TSubFrameSet* addSubFrameSet();
  void FinishFrameSet();
  void ClearFrames();
  void ComputeSizes();
  void ArrangeFrames();
  // Whether the first and last edges are fixed, after marking the inner ones.
  void MarkFixedBorders(bool& FirstFixed, bool& LastFixed);
  void LoadFrames() override;
  void RestoreFrames(int Position) override;
  void ReleaseFrames() override;
  // Every frame below, nested framesets' frames included.
  void collectFrames(std::vector<TfvFrame*>& Frames) const;
  // Border dragging: the mouse over a child, in this frameset's coordinates.
  bool dragMove(const QPoint& Point);
  bool dragPress(const QPoint& Point);
  bool dragRelease(const QPoint& Point);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int nearestEdge(int Coordinate) const;
  int dragEdge_ = -1;
};

// The top frameset of a document.
class TFrameSet : public TSubFrameSet {
  Q_OBJECT
 public:
  TFrameSet(TFrameViewer* Viewer, QWidget* WidgetParent);
  // The frames go while the lists they take themselves out of still exist.
  ~TFrameSet() override { ClearFrames(); }
  QString DocumentTitle, CurrentFile;
  std::map<QString, TfvFrame*> FrameNames;  // upper-cased names; the first frame of a name wins
  std::vector<TPageViewer*> ViewerList;
  int NestingDepth = 0;
  TPageViewer* FocusedViewer = nullptr;
  TFrameViewer* FrameViewer;

  // Loads a top-level document (Name without its "#" part): a frameset document becomes its frames, any
  // other document one frame.
  void LoadFromFile(const QString& Name, const QString& Destination);
  void RebuildFrameList();
  std::vector<TfvFrame*> FrameList;
  // Removes the frames below Set from the name list (a nested frameset leaving the screen) or adds them.
  void removeNames(const TSubFrameSet& Set);
  void addNames(const TSubFrameSet& Set);
  void forgetViewer(TPageViewer* Viewer);
  // Every frame loses its history entries ahead of the current one.
  void DropForwardEntries();
};

// Reads a frameset document into Set (which becomes its top).
html::TFrameSetDocument buildFrameSet(TSubFrameSet& Set, const std::string& Text, const QString& FileName);

}  // namespace lumora::viewer
