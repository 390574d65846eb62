// The help router's command table, popups, single instance and hook chain; the help window on the demo's
// help file: contents, index, topics with pictures, links, Back and Forward; missing and damaged files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "app/help_dispatcher.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "settings/settings_dialog.h"
#include "skin/controls.h"
#include "skin/message_box.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::app {
namespace {

struct Call {
  QString file;
  int command;
  quintptr data;
  QPoint popupAt;
  unsigned popupId = 0;
  std::string font;
  bool operator==(const Call&) const = default;
};

// Stands in for the help viewer and records what the router asks of it.
class RecordingViewer : public IHtmlHelp {
 public:
  explicit RecordingViewer(std::vector<Call>& calls) : calls_(calls) {}
  bool HtmlHelp(QWidget*, const QString& File, int Command, quintptr Data) override {
    Call call{File, Command, Data, {}, 0, {}};
    if (Command == HH_DISPLAY_TEXT_POPUP) {
      const auto* record = reinterpret_cast<const THHPopup*>(Data);
      call.data = 0;
      call.popupAt = record->pt;
      call.popupId = record->idString;
      call.font = record->pszFont;
      EXPECT_EQ(record->cbStruct, 52);
      EXPECT_EQ(record->clrForeground, -1);
      EXPECT_EQ(record->rcMarginsBottom, -1);
    }
    calls_.push_back(call);
    return true;
  }

 private:
  std::vector<Call>& calls_;
};

class HelpRouterTest : public ::testing::Test, public testing::QtApplicationFirst {
 protected:
  THelpDispatcher::TLoader recording() {
    return [this]() -> std::unique_ptr<IHtmlHelp> {
      ++loads;
      return std::make_unique<RecordingViewer>(calls);
    };
  }
  std::vector<Call> calls;
  int loads = 0;
};

TEST_F(HelpRouterTest, EveryApplicationCommandBecomesItsViewerCall) {
  THelpDispatcher router(nullptr, recording());
  router.Helpfile = "/pub/help/book.hlp";
  const char* keyword = "skins";
  const auto key = reinterpret_cast<quintptr>(keyword);
  const QString chm = "/pub/help/book.chm";
  struct Case {
    int command;
    quintptr data;
    Call expected;
    bool result;
  } cases[] = {
      {HELP_CONTEXT, 42, {chm, HH_HELP_CONTEXT, 42}, true},
      {HELP_CONTENTS, 7, {chm, HH_DISPLAY_TOC, 0}, true},
      {HELP_FINDER, 0, {chm, HH_DISPLAY_TOC, 0}, true},
      {HELP_TAB, 0, {chm, HH_DISPLAY_TOC, 0}, true},
      {HELP_TAB, 1, {chm, HH_DISPLAY_INDEX, 0}, true},
      {HELP_KEY, key, {chm, HH_DISPLAY_INDEX, key}, true},
      {HELP_PARTIALKEY, key, {chm, HH_DISPLAY_INDEX, key}, true},
      {HELP_QUIT, 0, {QString(), HH_CLOSE_ALL, 0}, true},
      {HELP_COMMAND, 0, {}, false},  // no call, a failure
      {999, 0, {}, false},
  };
  for (const Case& c : cases) {
    calls.clear();
    EXPECT_EQ(HelpCommand(c.command, c.data), c.result) << c.command;
    if (c.expected.file.isEmpty() && c.expected.command == 0) {
      EXPECT_TRUE(calls.empty()) << c.command;
    } else {
      ASSERT_EQ(calls.size(), 1u) << c.command;
      EXPECT_EQ(calls[0], c.expected) << c.command;
    }
  }
  EXPECT_EQ(loads, 1);  // loaded once, at the first request
}

TEST_F(HelpRouterTest, QuitBeforeAnyRequestSucceedsWithoutLoadingAndAMissingViewerLeavesRequestsUnhandled) {
  {
    THelpDispatcher router(nullptr, recording());
    EXPECT_TRUE(HelpCommand(HELP_QUIT, 0));
    EXPECT_EQ(loads, 0);
  }
  int tries = 0;
  THelpDispatcher router(nullptr, [&]() -> std::unique_ptr<IHtmlHelp> {
    ++tries;
    return nullptr;
  });
  router.Helpfile = "x.chm";
  EXPECT_FALSE(router.ShowHelpContents());
  EXPECT_FALSE(router.ShowHelpTopic("", "importskin"));
  EXPECT_EQ(tries, 1);
}

TEST_F(HelpRouterTest, PopupsUseTheRememberedPositionOnceAndThePopupFileInsideTheHelpFile) {
  THelpDispatcher router(nullptr, recording());
  router.Helpfile = "/pub/help.chm";
  EXPECT_TRUE(HelpCommand(HELP_SETPOPUP_POS, (200u << 16) | 120u));
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(router.popupPosition(), QPoint(120, 200));
  EXPECT_TRUE(HelpCommand(HELP_CONTEXTPOPUP, 5));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].file, "/pub/help.chm::/CSHelp.txt");
  EXPECT_EQ(calls[0].command, HH_DISPLAY_TEXT_POPUP);
  EXPECT_EQ(calls[0].popupAt, QPoint(120, 200));
  EXPECT_EQ(calls[0].popupId, 5u);
  EXPECT_EQ(calls[0].font, "MS Sans Serif, 8");
  EXPECT_TRUE(router.popupPosition().isNull());
  // Without a remembered position the popup is at the cursor; with data 0 no file is named; an emptied
  // popup list name comes back as "CSHelp.txt".
  router.CHMPopupTopics.clear();
  QCursor::setPos(33, 44);
  HelpCommand(HELP_CONTEXTPOPUP, 0);
  EXPECT_EQ(calls[1].popupAt, QCursor::pos());
  EXPECT_TRUE(calls[1].file.isEmpty());
  EXPECT_EQ(router.CHMPopupTopics, "CSHelp.txt");
  // With stMain a popup request is an ordinary topic.
  router.ShowType = stMain;
  HelpCommand(HELP_CONTEXTPOPUP, 9);
  EXPECT_EQ(calls[2], (Call{"/pub/help.chm", HH_HELP_CONTEXT, 9}));
}

TEST_F(HelpRouterTest, OnlyOneRouterAndItsHookChainsToThePreviousOne) {
  std::vector<int> seen;
  applicationHelp().OnHelp = [&](int command, quintptr, bool& handled) {
    seen.push_back(command);
    handled = command == HELP_FINDER;
    return true;
  };
  {
    THelpDispatcher router(nullptr, recording());
    try {
      THelpDispatcher second(nullptr, recording());
      ADD_FAILURE() << "a second router was made";
    } catch (const std::logic_error& e) {
      EXPECT_STREQ(e.what(), "Multiple instances of THelpDispatcher are not allowed");
    }
    router.Helpfile = "h.chm";
    bool ownHandled = false;
    router.OnHelp = [&](int command, quintptr, bool& handled) {
      handled = ownHandled;
      return command == HELP_CONTENTS;
    };
    HelpCommand(HELP_FINDER, 0);  // the previous hook handles it
    EXPECT_TRUE(calls.empty());
    HelpCommand(HELP_CONTENTS, 0);  // nobody before the router handles it
    EXPECT_EQ(calls.size(), 1u);
    ownHandled = true;
    EXPECT_TRUE(HelpCommand(HELP_CONTENTS, 0));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(seen, (std::vector<int>{HELP_FINDER, HELP_CONTENTS}));
  }
  // The router gone, its predecessor is the hook again, and a new router may be made.
  HelpCommand(HELP_QUIT, 0);
  EXPECT_EQ(seen.back(), HELP_QUIT);
  applicationHelp().OnHelp = nullptr;
  THelpDispatcher again(nullptr, recording());
}

TEST_F(HelpRouterTest, TopicNamesAndFileNames) {
  THelpDispatcher router(nullptr, recording());
  applicationHelp().HelpFile = "/pub/app.chm";
  struct Case {
    QString file, topic;
    bool validate;
    QString expected;
  } cases[] = {
      {"", "importskin", false, "/pub/app.chm::/importskin.htm"},
      {"book.hlp", "intro.html", false, "book.chm::/intro.html"},
      {"/a.b/book", "Intro.HTM", false, "/a.b/book.chm::/Intro.HTM"},
      {"x.chm", "notes.txt", false, "x.chm::/notes.txt.htm"},
      {"x.chm", "a/b:c?", true, "x.chm::/abc.htm"},
      {"x.chm", "a/b", false, "x.chm::/a/b.htm"},
      {"x.chm", "", false, "x.chm::/"},
  };
  for (const Case& c : cases) {
    calls.clear();
    router.ValidateID = c.validate;
    EXPECT_TRUE(router.ShowHelpTopic(c.file, c.topic));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (Call{c.expected, HH_DISPLAY_TOPIC, 0})) << c.topic.toStdString();
  }
  // The router's own file comes first, then the active window's, then the application's.
  EXPECT_EQ(router.HelpFileName(), "/pub/app.chm");
  router.Helpfile = "/pub/own.chm";
  EXPECT_EQ(router.HelpFileName(), "/pub/own.chm");
  router.HelpType = htWinhelp;  // no older help engine here
  EXPECT_FALSE(router.ShowHelpTopic("", "importskin"));
  applicationHelp().HelpFile.clear();
}

// --- The help window on the demo's help file ---

class HelpWindowTest : public ::testing::Test, public testing::QtApplicationFirst {
 protected:
  void SetUp() override {
    skin::setMessageAnswerer([this](const skin::MessageRequest& request) {
      messages.push_back(request.text.toStdString());
      return true;
    });
    std::filesystem::create_directories(dir / "help");
    std::filesystem::copy_file(LUMORA_DEMO_DIR "/help/english.chm", dir / "help" / "english.chm");
    testing::writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  }
  void TearDown() override { skin::setMessageAnswerer(nullptr); }
  static THelpWindow* helpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* help = qobject_cast<THelpWindow*>(w)) return help;
    return nullptr;
  }
  ProgramWindows start() {
    return createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  }
  testing::TempDir dir;
  std::vector<std::string> messages;
};

TEST_F(HelpWindowTest, HelpButtonShowsContentsIndexAndTheFirstTopicWithItsPicture) {
  ProgramWindows w = start();
  EXPECT_EQ(helpWindow(), nullptr);  // loaded at the first request
  w.Form1->ToolButton9->click();
  THelpWindow* help = helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle(), "Lumora Viewer help");
  EXPECT_EQ(help->currentTopic(), "/welcome.htm");
  EXPECT_EQ(help->TopicViewer->DocumentTitle(), "Welcome to Lumora Viewer help");
  EXPECT_EQ(help->Tabs->currentIndex(), 0);
  ASSERT_EQ(help->ContentsTree->topLevelItemCount(), 2);
  EXPECT_EQ(help->ContentsTree->topLevelItem(0)->childCount(), 2);
  EXPECT_EQ(help->ContentsTree->currentItem()->text(0), "Welcome");
  // The picture comes from inside the file: its own dark blue is painted (the error picture has none).
  const QImage painted = help->TopicViewer->paintPanel()->grab().toImage();
  bool pictureShown = false;
  for (int y = 0; y < std::min(painted.height(), 120) && !pictureShown; ++y)
    for (int x = 0; x < std::min(painted.width(), 120) && !pictureShown; ++x)
      pictureShown = painted.pixelColor(x, y) == QColor(38, 70, 110);
  EXPECT_TRUE(pictureShown);
  EXPECT_TRUE(messages.empty());

  // Links between topics are followed; one out of the help file is not.
  bool handled = false;
  emit help->TopicViewer->OnHotSpotClick(help->TopicViewer, "importskin.htm", &handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(help->currentTopic(), "/importskin.htm");
  emit help->TopicViewer->OnHotSpotClick(help->TopicViewer, "http://example.com/", &handled);
  EXPECT_EQ(help->currentTopic(), "/importskin.htm");

  // The index filters as one types; Enter opens the entry.
  help->IndexFilter->setText("tray");
  int shown = 0;
  for (int i = 0; i < help->IndexList->count(); ++i) shown += !help->IndexList->item(i)->isHidden();
  EXPECT_EQ(shown, 1);
  emit help->IndexFilter->returnPressed();
  EXPECT_EQ(help->currentTopic(), "/tray.htm");
  EXPECT_EQ(help->Tabs->currentIndex(), 0);
  // A contents entry, then Back and Forward through the topics read.
  emit help->ContentsTree->itemClicked(help->ContentsTree->topLevelItem(0)->child(0), 0);
  EXPECT_EQ(help->currentTopic(), "/reading.htm");
  help->BackButton->click();
  EXPECT_EQ(help->currentTopic(), "/tray.htm");
  EXPECT_EQ(help->TopicViewer->DocumentTitle(), "Hiding the window");
  help->BackButton->click();
  EXPECT_EQ(help->currentTopic(), "/importskin.htm");
  help->BackButton->click();
  EXPECT_EQ(help->currentTopic(), "/welcome.htm");
  EXPECT_FALSE(help->BackButton->isEnabled());
  help->ForwardButton->click();
  EXPECT_EQ(help->currentTopic(), "/importskin.htm");
  // A new topic after going back drops the topics ahead.
  emit help->ContentsTree->itemClicked(help->ContentsTree->topLevelItem(0), 0);
  EXPECT_EQ(help->currentTopic(), "/welcome.htm");
  EXPECT_FALSE(help->ForwardButton->isEnabled());
  w.Form1->close();
}

TEST_F(HelpWindowTest, SettingsHelpOpensTheSkinTopicOfTheFileTheLastHelpPressNamed) {
  ProgramWindows w = start();
  w.frmConfig->sButton3->click();
  THelpWindow* help = helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->currentTopic(), "/importskin.htm");
  EXPECT_EQ(help->ContentsTree->currentItem()->text(0), "Importing a skin");
  EXPECT_EQ(help->openFileName().toStdString(), (dir / "help" / "english.chm").string());
  w.Form1->close();
}

TEST_F(HelpWindowTest, ATranslatedHelpFileIsUsedFromTheNextPressOfHelp) {
  std::filesystem::create_directories(dir / "Lang");
  testing::writeFile(dir / "Lang" / "de.lng", "LANGID=1031\n[$CONSTANTS]\nHelpFile=help\\deutsch.chm\n");
  std::filesystem::copy_file(dir / "help" / "english.chm", dir / "help" / "deutsch.chm");
  ProgramWindows w = start();
  const std::string english = (dir / "help" / "english.chm").string(), deutsch = (dir / "help" / "deutsch.chm").string();
  w.frmConfig->cbLanguageChange(1);
  w.frmConfig->sButton3->click();
  ASSERT_NE(helpWindow(), nullptr);
  EXPECT_EQ(helpWindow()->openFileName().toStdString(), english);  // the file set last
  w.Form1->ToolButton9->click();
  EXPECT_EQ(helpWindow()->openFileName().toStdString(), deutsch);
  w.frmConfig->sButton3->click();
  EXPECT_EQ(helpWindow()->openFileName().toStdString(), deutsch);
  EXPECT_EQ(helpWindow()->currentTopic(), "/importskin.htm");
  w.frmConfig->cbLanguageChange(0);
  EXPECT_TRUE(messages.empty());
  w.Form1->close();
}

TEST_F(HelpWindowTest, PopupTextsComeFromTheHelpFilesPopupList) {
  const std::unique_ptr<IHtmlHelp> viewer = makeHelpWindowViewer();
  const QString file = QString::fromStdString((dir / "help" / "english.chm").string());
  THHPopup record;
  record.pt = QPoint(50, 60);
  record.idString = 2;
  ASSERT_TRUE(viewer->HtmlHelp(nullptr, file + "::/CSHelp.txt", HH_DISPLAY_TEXT_POPUP, reinterpret_cast<quintptr>(&record)));
  EXPECT_EQ(QToolTip::text(), "Changes the reader's settings: language, skin, caption and sound.");
  record.idString = 77;  // not in the list
  EXPECT_FALSE(viewer->HtmlHelp(nullptr, file + "::/CSHelp.txt", HH_DISPLAY_TEXT_POPUP, reinterpret_cast<quintptr>(&record)));
  record.pszText = "Given text";  // a text of its own needs no file
  EXPECT_TRUE(viewer->HtmlHelp(nullptr, QString(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<quintptr>(&record)));
  EXPECT_EQ(QToolTip::text(), "Given text");
  QToolTip::hideText();
  EXPECT_TRUE(messages.empty());
}

TEST_F(HelpWindowTest, MissingOrDamagedHelpFilesAreNamedInAMessage) {
  ProgramWindows w = start();
  std::filesystem::remove(dir / "help" / "english.chm");
  w.Form1->ToolButton9->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find((dir / "help" / "english.chm").string()), std::string::npos) << messages[0];
  testing::writeFile(dir / "help" / "english.chm", "ITSF and then nothing a help file would hold");
  w.frmConfig->sButton3->click();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[1].find("english.chm: it is not a compiled help file"), std::string::npos) << messages[1];
  // A topic the file does not have is reported by name and the window keeps its page.
  std::filesystem::copy_file(LUMORA_DEMO_DIR "/help/english.chm", dir / "help" / "english.chm",
                             std::filesystem::copy_options::overwrite_existing);
  w.Form1->ShowHelpTopic("", "nosuchtopic");
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[2], "Can't locate file: /nosuchtopic.htm");
  w.Form1->ToolButton9->click();
  EXPECT_EQ(helpWindow()->currentTopic(), "/welcome.htm");
  EXPECT_EQ(messages.size(), 3u);
  w.Form1->close();
}

}  // namespace
}  // namespace lumora::app
