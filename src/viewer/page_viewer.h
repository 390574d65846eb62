#pragma once
// The page viewer: one HTML document (or a plain-text file, or a single picture) laid out and painted by the
// engine in a panel with scroll bars; links under the mouse, following them, selection, anchors, the
// viewer's history and its visited links.

#include <QCheckBox>
#include <QColor>
#include <QLineEdit>
#include <QScrollBar>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "html/html_document.h"
#include "html/html_forms.h"  // Qt's meta types need the controls its signals name complete
#include "viewer/qt_platform.h"

namespace lumora::viewer {

enum THtmlFileType { ftHTML, ftText, ftImage };
enum THTMLBorderStyle { htFocused, htNone, htSingle };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TProgressStage { psStarting, psRunning, psEnding };

// htOptions bits.
enum htOptionEnum : unsigned {
  htOverLinksActive = 1 << 0,
  htNoLinkUnderline = 1 << 1,
  htPrintTableBackground = 1 << 2,
  htPrintBackground = 1 << 3,
  htPrintMonochromeBlack = 1 << 4,
  htShowDummyCaret = 1 << 5,
  htShowVScroll = 1 << 6,
  htNoWheelMouse = 1 << 7,
};

class EPageLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the viewer was in a document: a position that survives a re-layout, the kind of document, and what
// the reader had entered in its forms.
struct PositionObj {
  int Position = 0;
  THtmlFileType FileType = ftHTML;
  html::TSectionList::TFormValues FormValues;
};

class QtFormControls;

class TPageViewer;

// The panel the document is painted on; its mouse goes to the viewer.
class TPaintPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintPanel(TPageViewer* viewer);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TPageViewer* viewer_;
};

class TPageViewer : public QWidget {
  Q_OBJECT
 public:
  explicit TPageViewer(QWidget* parent = nullptr);
  ~TPageViewer() override;

  // --- Loading ---
  // An HTML file (a "#name" part scrolls to that anchor); ignored while Processing or for an empty name.
  // A missing file throws EPageLoadError "Can't locate file: " + its name and leaves the page as it was.
  void LoadFromFile(const QString& FileName);
  // The same for a file its caller has read already (Text is its content).
  void LoadFromFile(const QString& FileName, std::string Text);
  void LoadTextDocument(const QString& FileName);
  void LoadImageDocument(const QString& FileName);
  // HTML text given directly; Reference stands for its file name (its base and its "#" part).
  void LoadFromString(const std::string& Source, const QString& Reference);
  virtual void LoadFile(const QString& FileName, THtmlFileType FileType);
  virtual QString ExpandName(const QString& Name) const;
  virtual void Clear();

  // --- Position ---
  bool ScrollToAnchor(QString Name);
  // The vertical position as the index of the item at the top of the view and the distance into it, so
  // that it survives a re-layout at another width (the plain offset when no item is above).
  int DocPosition() const;
  void setDocPosition(int Position);
  void ScrollTo(int Y);
  int scrollPosition() const { return vScroll_->value(); }
  int horizontalPosition() const { return hScroll_->value(); }
  int scrollHeight() const { return scrollHeight_; }
  int maximumWidth() const { return maxWidth_; }
  // Lays the document out again at the viewer's width, keeping the position.
  void Relayout();

  // --- What the viewer shows ---
  QString CurrentFile() const { return currentFile_; }
  QString DocumentTitle() const { return documentTitle_; }
  THtmlFileType FileType() const { return fileType_; }
  const std::string& DocumentSource() const { return documentSource_; }
  QString Base() const { return base_; }
  QString BaseTarget() const { return baseTarget_; }
  void setOwnerBase(const QString& Base) { ownerBase_ = Base; }
  QString URL() const { return url_; }
  QString Target() const { return target_; }
  QString LinkText() const { return linkText_; }
  bool Processing() const { return processing_; }
  html::TSectionList& document() { return *document_; }
  TPaintPanel* paintPanel() const { return panel_; }
  QScrollBar* verticalBar() const { return vScroll_; }
  QScrollBar* horizontalBar() const { return hScroll_; }
  // The selected text with CR LF between paragraphs (images and controls left out).
  QString selectedText();
  void selectAll();

  // --- History and visited links ---
  const QStringList& History() const { return history_; }
  const QStringList& TitleHistory() const { return titleHistory_; }
  const QVector<PositionObj>& PositionHistory() const { return positionHistory_; }
  int HistoryIndex() const { return historyIndex_; }
  void setHistoryIndex(int Index);
  int HistoryMaxCount() const { return historyMaxCount_; }
  void setHistoryMaxCount(int Count);
  void ClearHistory();
  const QStringList& VisitedLinks() const { return visitedLinks_; }
  int VisitedMaxCount() const { return visitedMaxCount_; }
  void setVisitedMaxCount(int Count);

  // --- Settings (used from the next load unless said otherwise) ---
  QColor DefBackground() const { return defBackground_; }
  void setDefBackground(const QColor& Color);  // at once
  QString DefFontName() const { return defFontName_; }
  void setDefFontName(const QString& Name) { defFontName_ = Name; }
  QString DefPreFontName() const { return defPreFontName_; }
  void setDefPreFontName(const QString& Name) { defPreFontName_ = Name; }
  double DefFontSize() const { return defFontSize_; }
  void setDefFontSize(double Size) { defFontSize_ = Size; }
  QColor DefFontColor() const { return defFontColor_; }
  void setDefFontColor(const QColor& Color) { defFontColor_ = Color; }
  QColor DefHotSpotColor() const { return defHotSpotColor_; }
  void setDefHotSpotColor(const QColor& Color) { defHotSpotColor_ = Color; }
  QColor DefVisitedLinkColor() const { return defVisitedLinkColor_; }
  void setDefVisitedLinkColor(const QColor& Color) { defVisitedLinkColor_ = Color; }
  QColor DefOverLinkColor() const { return defOverLinkColor_; }
  void setDefOverLinkColor(const QColor& Color) { defOverLinkColor_ = Color; }
  int MarginWidth() const { return marginWidth_; }
  void setMarginWidth(int Width) { marginWidth_ = Width; }
  int MarginHeight() const { return marginHeight_; }
  void setMarginHeight(int Height) { marginHeight_ = Height; }
  bool ViewImages() const { return document_->ShowImages; }
  void setViewImages(bool View);
  bool NoSelect() const { return noSelect_; }
  void setNoSelect(bool NoSelect);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void setScrollBars(TScrollStyle Style);
  THTMLBorderStyle BorderStyle() const { return borderStyle_; }
  void setBorderStyle(THTMLBorderStyle Style);
  unsigned htOptions() const { return options_; }
  void sethtOptions(unsigned Options);
  QString ServerRoot() const { return serverRoot_; }
  void setServerRoot(const QString& Root);
  // A frame owner takes over link clicks and visited links.
  void setFrameOwned(bool Owned) { frameOwned_ = Owned; }
  // Pages that do not come from files (a help file's topics, read by an override of LoadFile) bring
  // their pictures and style sheets from the same place; null stands for the files'.
  void setResourceHosts(html::IImageHost* Images, html::IResourceReader* Resources);

  // --- Mouse, as the paint panel hands it over (panel coordinates) ---
  void panelMouseDown(QMouseEvent* Event);
  void panelMouseMove(QMouseEvent* Event);
  void panelMouseUp(QMouseEvent* Event);
  void panelDoubleClick(QMouseEvent* Event);
  void paintPanelArea(QPainter& Painter, const QRect& Clip);

  // Follows URL (set by a click or by keyboard activation).
  void FollowLink();
  // FollowLink once the current input event is handled; a failure shows the error box.
  void followLinkLater();
  // The find bar (Ctrl+F): the next or previous match of its text is selected and scrolled into view.
  void showFindBar();
  bool findNext(bool Backward);
  // The link that has the keyboard focus, or null.
  const html::TUrlTarget* focusedLink() const { return focusedLink_; }
  // The native controls of the page's forms.
  QtFormControls& formControls() const { return *formControls_; }
  void copySelection();

 signals:
  void OnHotSpotCovered(QObject* Sender, const QString& SRC);
  // Handled set by a handler stops the viewer's own action.
  void OnHotSpotClick(QObject* Sender, const QString& SRC, bool* Handled);
  void OnHistoryChange(QObject* Sender);
  void OnProgress(QObject* Sender, lumora::viewer::TProgressStage Stage, int PercentDone);
  void OnProcessing(QObject* Sender, bool ProcessingOn);
  void OnParseBegin(QObject* Sender);
  void OnParseEnd(QObject* Sender);
  void OnMeta(QObject* Sender, const QString& HttpEq, const QString& Name, const QString& Content);
  void OnLink(QObject* Sender, const QString& Rel, const QString& Rev, const QString& Href);
  void OnMetaRefresh(QObject* Sender, int Delay, const QString& URL);
  void OnSoundRequest(QObject* Sender, const QString& SRC, int Loop, bool Terminate);
  // The viewer got the keyboard focus.
  void OnEnter(QObject* Sender);
  void OnMouseDouble(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
  // Form controls: a click (with the element's ONCLICK), focus, blur and change (ONFOCUS, ONBLUR, ONCHANGE).
  void OnObjectClick(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& OnClick);
  void OnObjectFocus(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& Attribute);
  void OnObjectBlur(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& Attribute);
  void OnObjectChange(QObject* Sender, lumora::html::TFormControlObj* Obj, const QString& Attribute);
  // A file field's browse button: S holds the field's text; what a handler leaves there goes into the field.
  void OnFileBrowse(QObject* Sender, lumora::html::TFormControlObj* Obj, QString* S);
  // A form was submitted (after the click or key that did it has been handled). Without a connection a
  // submit does nothing.
  void OnFormSubmit(QObject* Sender, const QString& Action, const QString& Target, const QString& EncType,
                    const QString& Method, const QStringList& Results);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Tab and Shift+Tab move the keyboard focus through the page's links before leaving the viewer.
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void connectNotify(const QMetaMethod& signal) override;
  void disconnectNotify(const QMetaMethod& signal) override;

 private:
  void setProcessing(bool On);
  // A load that records the page left in the history when the file or its kind changed.
  void loadWithHistory(const QString& FileName, THtmlFileType FileType, std::optional<std::string> Text);
  void loadFile(const QString& FileName, THtmlFileType FileType, std::optional<std::string> Text);
  void prepareLoad();
  void parseDocument(THtmlFileType Type, const QString& Name);
  void finishParse();
  void LayoutDocument();
  void ArrangeScrollBars();
  int layOutAt(int Width);
  void setScrollTop(int Y);
  int clampedTop(int Y) const;
  void scrollBy(int DY);
  void setHorizontal(int X);
  void AddHistoryEntry(const QString& OldFile, const QString& OldTitle, THtmlFileType OldType,
                       html::TSectionList::TFormValues Forms, int OldPosition);
  void AddVisitedLink(const QString& Link);
  void MarkVisitedLinks();
  bool linkTargetMatches(const html::TUrlTarget& Url, const QString& Link) const;
  void updateBorder();
  void extendSelection(int X, int Y);
  int positionAt(int X, int Y);
  void hoverTimerTick();
  void panStep();
  QPoint toDocument(const QPoint& PanelPoint) const;
  void focusLink(const html::TUrlTarget* Link);
  void scrollToPosition(int Position);
  void showControl(const html::TFormControlObj& Control);
  void connectFormSubmit();

  QtTextMetrics metrics_;
  html::TFileImageHost images_;
  html::TFileResourceReader resources_;
  html::THtmlHost host_;
  std::unique_ptr<QtFormControls> formControls_;  // outlives the document, which lets its controls go
  std::unique_ptr<html::TSectionList> document_;

  QWidget* borderPanel_;
  TPaintPanel* panel_;
  QScrollBar* vScroll_;
  QScrollBar* hScroll_;
  QTimer hoverTimer_;
  QTimer panTimer_;
  QTimer animationTimer_;  // runs while the page has animated pictures
  void animationTick();

  std::string documentSource_;
  QString currentFile_, documentTitle_, base_, ownerBase_, baseTarget_;
  THtmlFileType fileType_ = ftHTML;
  QString url_, target_, linkText_;
  bool processing_ = false;
  QStringList history_, titleHistory_;
  QVector<PositionObj> positionHistory_;
  int historyIndex_ = 0;
  int historyMaxCount_ = 0;
  QStringList visitedLinks_;
  int visitedMaxCount_ = 50;
  int scrollHeight_ = 0, maxWidth_ = 0;
  int selectionAnchor_ = 0, mouseDownPosition_ = -1;
  bool selecting_ = false, linkJustFollowed_ = false;
  bool panning_ = false;
  int panStartY_ = 0, panY_ = 0;
  int refreshDelay_ = 0;
  QString refreshUrl_;
  bool frameOwned_ = false;

  QColor defBackground_;
  QString defFontName_ = "Times New Roman", defPreFontName_ = "Courier New";
  double defFontSize_ = 12;
  QColor defFontColor_;
  QColor defHotSpotColor_ = QColor(0, 0, 255), defVisitedLinkColor_ = QColor(128, 0, 128),
         defOverLinkColor_ = QColor(0, 0, 255);
  int marginWidth_ = 10, marginHeight_ = 5;
  bool noSelect_ = false;
  TScrollStyle scrollBars_ = ssBoth;
  THTMLBorderStyle borderStyle_ = htFocused;
  unsigned options_ = htPrintTableBackground | htPrintMonochromeBlack;
  QString serverRoot_;
  const html::TUrlTarget* focusedLink_ = nullptr;
  int lastPaintedTop_ = 0;  // the scroll position the panel's pixels show
  QSize laidOutSize_;       // the size of the last layout
  QWidget* findBar_ = nullptr;
  QLineEdit* findText_ = nullptr;
  QCheckBox* findCase_ = nullptr;
};

// The engine's colour for a Qt colour (red in the low byte).
html::TColor toEngineColor(const QColor& Color);

}  // namespace lumora::viewer
