#pragma once
// The help router THelpDispatcher (the main window's HelpDispatcher1). It takes every help request of
// the application (through the application's help hook) and turns it into calls of the HTML help viewer,
// which it loads when it is first needed. Here the viewer is the program's own help window.

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace lumora::app {

// Application help commands (the data meaning depends on the command).
enum : int {
  HELP_CONTEXT = 1,
  HELP_QUIT = 2,
  HELP_CONTENTS = 3,
  HELP_CONTEXTPOPUP = 8,
  HELP_FINDER = 11,
  HELP_SETPOPUP_POS = 13,
  HELP_TAB = 15,
  HELP_KEY = 257,        // data: the keyword, a zero-terminated string
  HELP_COMMAND = 258,
  HELP_PARTIALKEY = 261, // data: the keyword, a zero-terminated string
};

// Commands of the HTML help viewer.
enum : int {
  HH_DISPLAY_TOPIC = 0,
  HH_DISPLAY_TOC = 1,
  HH_DISPLAY_INDEX = 2,
  HH_DISPLAY_TEXT_POPUP = 14,
  HH_HELP_CONTEXT = 15,
  HH_CLOSE_ALL = 18,
};

// The popup record of HH_DISPLAY_TEXT_POPUP.
struct THHPopup {
  int cbStruct = 52;
  void* hinst = nullptr;
  unsigned idString = 0;
  const char* pszText = nullptr;
  QPoint pt;
  int clrForeground = -1, clrBackground = -1;
  int rcMarginsLeft = -1, rcMarginsTop = -1, rcMarginsRight = -1, rcMarginsBottom = -1;
  const char* pszFont = nullptr;
};

// The HTML help viewer's one function: (owner window, file text, command, data).
class IHtmlHelp {
 public:
  virtual ~IHtmlHelp() = default;
  virtual bool HtmlHelp(QWidget* Owner, const QString& File, int Command, quintptr Data) = 0;
};

// The application's side of help: its help file and its help hook. A hook returns the request's result and
// sets Handled when the application is not to try its own help.
using THelpEvent = std::function<bool(int Command, quintptr Data, bool& Handled)>;
struct TApplicationHelp {
  QString HelpFile;
  THelpEvent OnHelp;
};
TApplicationHelp& applicationHelp();
// Runs a help command through the hook; unhandled, the application has no help of its own: false.
bool HelpCommand(int Command, quintptr Data);

enum THelpType { htWinhelp, htHTMLhelp, htMixedMode };
enum TShowType { stDefault, stMain, stPopup };

class THelpDispatcher : public QObject {
  Q_OBJECT
 public:
  // Loads the HTML help viewer; null stands for a viewer that is not available.
  using TLoader = std::function<std::unique_ptr<IHtmlHelp>()>;

  // A second router while one exists throws std::logic_error "Multiple instances of THelpDispatcher are not
  // allowed". Loader defaults to the program's help window.
  explicit THelpDispatcher(QObject* parent = nullptr, TLoader Loader = {});
  ~THelpDispatcher() override;

  THelpType HelpType = htHTMLhelp;
  TShowType ShowType = stDefault;
  QString Helpfile;
  QString CHMPopupTopics = "CSHelp.txt";
  THelpEvent OnHelp;
  bool ValidateID = false;

  // Helpfile; when empty, the active window's own help file (its "HelpFile" property) or else the
  // application's.
  QString HelpFileName() const;
  bool ShowHelpContents();
  bool ShowHelpTopic(const QString& File, const QString& Topic);

  // The viewer, once a request has loaded it.
  IHtmlHelp* htmlHelp() const { return viewer_.get(); }
  QPoint popupPosition() const { return popupPosition_; }

 private:
  bool hook(int Command, quintptr Data, bool& Handled);
  bool loadViewer();
  bool htmlCommand(const QString& File, int Command, quintptr Data);
  bool popup(const QString& File, quintptr Data);
  // The older help engine does not exist on this platform: its requests fail, apart from command 0.
  bool winHelp(const QString& File, int Command, quintptr Data);

  TLoader loader_;
  std::unique_ptr<IHtmlHelp> viewer_;
  bool viewerTried_ = false;
  QPoint popupPosition_;
  THelpEvent previousHook_;
};

// The file name with its extension replaced (or added).
QString withExtension(const QString& File, const QString& Extension);
// A topic name cleaned of the characters a file name cannot hold.
QString cleanTopicName(const QString& Topic);

}  // namespace lumora::app
