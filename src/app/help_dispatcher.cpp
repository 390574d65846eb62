#include "app/help_dispatcher.h"

#include <QApplication>
#include <QCursor>
#include <QVariant>
#include <QWidget>

#include <stdexcept>

#include "app/help_window.h"

namespace lumora::app {

namespace {
THelpDispatcher* instance = nullptr;
}

TApplicationHelp& applicationHelp() {
  static TApplicationHelp help;
  return help;
}

bool HelpCommand(int Command, quintptr Data) {
  bool handled = false;
  if (const THelpEvent hook = applicationHelp().OnHelp) {
    const bool result = hook(Command, Data, handled);
    if (handled) return result;
  }
  return false;
}

QString withExtension(const QString& File, const QString& Extension) {
  const qsizetype slash = std::max(File.lastIndexOf('/'), File.lastIndexOf('\\'));
  const qsizetype dot = File.lastIndexOf('.');
  return (dot > slash ? File.left(dot) : File) + Extension;
}

QString cleanTopicName(const QString& Topic) {
  QString out;
  for (const QChar c : Topic)
    if (!QStringLiteral("\\/:*?\"<>|").contains(c) && c.unicode() >= 32) out += c;
  return out;
}

THelpDispatcher::THelpDispatcher(QObject* parent, TLoader Loader) : QObject(parent), loader_(std::move(Loader)) {
  if (instance != nullptr) throw std::logic_error("Multiple instances of THelpDispatcher are not allowed");
  instance = this;
  setObjectName("HelpDispatcher1");
  if (!loader_) loader_ = [] { return makeHelpWindowViewer(); };
  previousHook_ = applicationHelp().OnHelp;
  applicationHelp().OnHelp = [this](int command, quintptr data, bool& handled) { return hook(command, data, handled); };
}

THelpDispatcher::~THelpDispatcher() {
  applicationHelp().OnHelp = previousHook_;
  instance = nullptr;
}

QString THelpDispatcher::HelpFileName() const {
  if (!Helpfile.isEmpty()) return Helpfile;
  if (const QWidget* active = QApplication::activeWindow()) {
    const QString own = active->property("HelpFile").toString();
    if (!own.isEmpty()) return own;
  }
  return applicationHelp().HelpFile;
}

bool THelpDispatcher::ShowHelpContents() { return HelpCommand(HELP_TAB, 0); }

bool THelpDispatcher::loadViewer() {
  if (!viewerTried_) {
    viewerTried_ = true;
    viewer_ = loader_();
  }
  return viewer_ != nullptr;
}

bool THelpDispatcher::hook(int Command, quintptr Data, bool& Handled) {
  // The application's handler first, then the hook that was installed before this one.
  for (const THelpEvent* handler : {&OnHelp, &previousHook_}) {
    if (!*handler) continue;
    bool handled = false;
    const bool result = (*handler)(Command, Data, handled);
    if (handled) {
      Handled = true;
      return result;
    }
  }
  const QString file = HelpFileName();
  int command = Command;
  if (ShowType == stMain && command == HELP_CONTEXTPOPUP) command = HELP_CONTEXT;
  if (ShowType == stMain && command == HELP_SETPOPUP_POS) command = 0;
  const bool html = HelpType == htHTMLhelp ||
                    (HelpType == htMixedMode && command != HELP_CONTEXTPOPUP && command != HELP_SETPOPUP_POS);
  if (!html) {
    Handled = true;
    return winHelp(file, command, Data);
  }
  if (viewer_ == nullptr && command == HELP_QUIT) {
    Handled = true;
    return true;
  }
  if (!loadViewer()) return false;  // unhandled: the application's own help gets it
  Handled = true;
  return htmlCommand(withExtension(file, ".chm"), command, Data);
}

bool THelpDispatcher::htmlCommand(const QString& File, int Command, quintptr Data) {
  switch (Command) {
    case HELP_CONTEXT: return viewer_->HtmlHelp(nullptr, File, HH_HELP_CONTEXT, Data);
    case HELP_QUIT: return viewer_->HtmlHelp(nullptr, QString(), HH_CLOSE_ALL, 0);
    case HELP_CONTENTS:
    case HELP_FINDER: return viewer_->HtmlHelp(nullptr, File, HH_DISPLAY_TOC, 0);
    case HELP_CONTEXTPOPUP: return popup(File, Data);
    case HELP_SETPOPUP_POS:
      popupPosition_ = QPoint(static_cast<int>(Data & 0xFFFF), static_cast<int>((Data >> 16) & 0xFFFF));
      return true;
    case HELP_TAB: return viewer_->HtmlHelp(nullptr, File, Data != 0 ? HH_DISPLAY_INDEX : HH_DISPLAY_TOC, 0);
    case HELP_KEY:
    case HELP_PARTIALKEY: return viewer_->HtmlHelp(nullptr, File, HH_DISPLAY_INDEX, Data);
    default: return false;
  }
}

bool THelpDispatcher::popup(const QString& File, quintptr Data) {
  const QPoint position = popupPosition_.isNull() ? QCursor::pos() : popupPosition_;
  THHPopup record;
  record.idString = static_cast<unsigned>(Data);
  record.pt = position;
  record.pszFont = "MS Sans Serif, 8";
  if (CHMPopupTopics.isEmpty()) CHMPopupTopics = "CSHelp.txt";
  const QString popupFile = Data == 0 ? QString() : File + "::/" + CHMPopupTopics;
  const bool result =
      viewer_->HtmlHelp(QApplication::activeWindow(), popupFile, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<quintptr>(&record));
  popupPosition_ = QPoint();
  return result;
}

bool THelpDispatcher::winHelp(const QString&, int Command, quintptr) { return Command == 0; }

bool THelpDispatcher::ShowHelpTopic(const QString& File, const QString& Topic) {
  QString file = File.isEmpty() ? HelpFileName() : File;
  if (HelpType == htWinhelp) {
    // The contents first, then the jump to the topic; with no older help engine the first step fails.
    return winHelp(withExtension(file, ".hlp"), HELP_CONTENTS, 0) && winHelp(withExtension(file, ".hlp"), HELP_COMMAND, 0);
  }
  if (!loadViewer()) return false;
  file = withExtension(file, ".chm");
  QString topic = Topic;
  if (!topic.isEmpty()) {
    const qsizetype dot = topic.lastIndexOf('.');
    const QString extension = dot >= 0 ? topic.mid(dot).toLower().left(4) : QString();
    if (extension != ".htm") topic = (ValidateID ? cleanTopicName(topic) : topic) + ".htm";
  }
  return viewer_->HtmlHelp(nullptr, file + "::/" + topic, HH_DISPLAY_TOPIC, 0);
}

}  // namespace lumora::app
