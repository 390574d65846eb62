#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>

#include <vector>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "archive/archiver_window.h"
#include "audio/ui/audio_bar.h"
#include "core/codepage.h"
#include "core/program_values.h"
#include "i18n/language_manager.h"
#include "settings/settings_dialog.h"
#include "skin/controls.h"
#include "skin/hint_window.h"
#include "skin/message_box.h"
#include "skin/skin_manager.h"
#include "support/modal_probe.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::app {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ensureQApplication();
  }
  void SetUp() override {
    skin::setMessageAnswerer([this](const skin::MessageRequest& request) {
      messages.push_back(request.text.toStdString());
      return confirmAnswer;
    });
  }
  void TearDown() override { skin::setMessageAnswerer(nullptr); }

  ProgramWindows start(const QStringList& arguments = {"/NoSplash"}) {
    return createProgramWindows(QString::fromStdString((dir / "lumora").string()), arguments);
  }
  static void page(const std::filesystem::path& file, const std::string& title, const std::string& body = "") {
    writeFile(file, "<HTML><HEAD><TITLE>" + title + "</TITLE></HEAD><BODY>" + body + "</BODY></HTML>");
  }
  static std::string caption(const ProgramWindows& w) { return w.Form1->windowTitle().toStdString(); }

  TempDir dir;
  std::vector<std::string> messages;
  bool confirmAnswer = true;
};

TEST_F(MainWindowTest, FirstRunShowsTheDefaultCaptionAndWritesAllFifteenKeysAtClose) {
  page(dir / "index.htm", "Demo");
  {
    ProgramWindows w = start();
    EXPECT_EQ(caption(w), "Безимянный :: Demo");
    EXPECT_EQ(core::programValues().StartPage, (dir / "index.htm").string());
    // Captions hidden in the main window (integer default 0), while the dialog's box starts checked.
    EXPECT_FALSE(w.Form1->sToolBar1->showCaptions());
    EXPECT_TRUE(w.frmConfig->sCheckBox3->isChecked());
    w.Form1->close();
  }
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(readFile(dir / "lumora.ini"),
            "[Form]\nCaption=Lumora версия 2.1\nShowCaptions=1\nMode=0\nSkined=0\nSkinFile=Ошибка\nNoSplash=0\n"
            "LangID=0\n[Player]\nActive=0\nVolume=100\n[Execute]\nDevice=1\nPlayBackground=0\nBGPlay=\n"
            "LoopMusic=1\nReadID3v=0\n[Safety]\nBlockConfig=0\n");
}

TEST_F(MainWindowTest, CdModeAtStartLeavesTheFileByteForByte) {
  page(dir / "index.htm", "Demo");
  const std::string original = "; keep me\r\n[Form]\r\nMode=1\r\ncaption = Read only\r\n";
  writeFile(dir / "lumora.ini", original);
  {
    ProgramWindows w = start();
    EXPECT_EQ(caption(w), "Read only :: Demo");
    EXPECT_TRUE(core::programValues().CdModeActive);
    // Switching CD mode off during the run changes nothing on disk.
    w.frmConfig->sCheckBox1->setChecked(false);
    w.Form1->close();
  }
  EXPECT_EQ(readFile(dir / "lumora.ini"), original);
}

TEST_F(MainWindowTest, CdModeSwitchedOnDuringARunIsWrittenForTheNextStart) {
  page(dir / "index.htm", "Demo");
  {
    ProgramWindows w = start();
    w.frmConfig->sCheckBox1->setChecked(true);
    w.Form1->close();
  }
  EXPECT_NE(readFile(dir / "lumora.ini").find("Mode=1\n"), std::string::npos);
}

TEST_F(MainWindowTest, AnUnwritableSettingsFileIsReportedAndNotDamaged) {
  // The "folder" of the program is a file, so nothing can be written there, not even by root.
  writeFile(dir / "blocker", "");
  const auto executable = dir / "blocker" / "lumora";
  {
    ProgramWindows w = createProgramWindows(QString::fromStdString(executable.string()), {"/NoSplash"});
    w.Form1->close();
  }
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Can't locate file: " + (dir / "blocker" / "index.htm").string());
  EXPECT_EQ(messages[1], "Unable to write to " + (dir / "blocker" / "lumora.ini").string());

  if (::geteuid() != 0) {
    // A real read-only folder: the old file survives whole and no temporary file is left.
    messages.clear();
    page(dir / "ro" / "index.htm", "Demo");
    writeFile(dir / "ro" / "lumora.ini", "[Form]\nCaption=Kept\n");
    std::filesystem::permissions(dir / "ro", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
      ProgramWindows w = createProgramWindows(QString::fromStdString((dir / "ro" / "lumora").string()), {"/NoSplash"});
      w.Form1->close();
    }
    std::filesystem::permissions(dir / "ro", std::filesystem::perms::owner_all);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unable to write to " + (dir / "ro" / "lumora.ini").string());
    EXPECT_EQ(readFile(dir / "ro" / "lumora.ini"), "[Form]\nCaption=Kept\n");
  }
}

TEST_F(MainWindowTest, MissingStartPageStopsCreationAfterTheErrorWithNothingToGoBackTo) {
  writeFile(dir / "lumora.ini", "[Form]\nShowCaptions=1\n[Execute]\nPage=start.htm\n");
  ProgramWindows w = start();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Can't locate file: " + (dir / "start.htm").string());
  // Steps after the load did not run: the toolbar keeps its definition state.
  EXPECT_TRUE(w.Form1->sToolBar1->showCaptions());
  EXPECT_EQ(caption(w), "Безимянный");
  // Nothing is shown and there is no history: "Back", "Next" and "Refresh" are off, not enabled and idle.
  EXPECT_FALSE(w.Form1->ToolButton2->isEnabled());
  EXPECT_FALSE(w.Form1->ToolButton3->isEnabled());
  EXPECT_FALSE(w.Form1->ToolButton4->isEnabled());
  EXPECT_TRUE(w.Form1->ToolButton1->isEnabled());
  // Once the page exists, "Main page" shows it and the buttons follow the history again.
  page(dir / "start.htm", "Found", "<A HREF=\"two.htm\">two</A>");
  page(dir / "two.htm", "Two");
  w.Form1->ToolButton1->click();
  EXPECT_FALSE(w.Form1->ToolButton2->isEnabled());
  EXPECT_TRUE(w.Form1->ToolButton4->isEnabled());
  w.Form1->FrameViewer1->LoadFromFile(QString::fromStdString((dir / "two.htm").string()));
  EXPECT_TRUE(w.Form1->ToolButton2->isEnabled());
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainWindowTest, BackNextAndRefreshFollowTheProcessingEvents) {
  page(dir / "index.htm", "Start", "<A HREF=\"two.htm\">two</A>");
  page(dir / "two.htm", "Second");
  page(dir / "untitled.htm", "");
  writeFile(dir / "lumora.ini", "[Form]\nCaption=Book\n");
  ProgramWindows w = start();
  TForm1& f = *w.Form1;
  struct State {
    bool back, next, refresh;
  };
  const auto state = [&] { return State{f.ToolButton2->isEnabled(), f.ToolButton3->isEnabled(), f.ToolButton4->isEnabled()}; };

  EXPECT_FALSE(state().back);
  EXPECT_FALSE(state().next);
  EXPECT_TRUE(state().refresh);

  // While a page loads the three buttons are disabled, and "Main page" does nothing.
  std::vector<State> duringLoad;
  const auto connection = QObject::connect(f.FrameViewer1, &viewer::TFrameViewer::OnProgress, &f,
                                           [&](QObject*, viewer::TProgressStage stage, int) {
                                             if (stage != viewer::psStarting) return;
                                             duringLoad.push_back(state());
                                             f.ToolButton1->click();
                                           });
  f.FrameViewer1->LoadFromFile(QString::fromStdString((dir / "two.htm").string()));
  QObject::disconnect(connection);
  ASSERT_EQ(duringLoad.size(), 1u);
  EXPECT_FALSE(duringLoad[0].back || duringLoad[0].next || duringLoad[0].refresh);
  EXPECT_EQ(f.FrameViewer1->History().size(), 2);
  EXPECT_TRUE(state().back);
  EXPECT_FALSE(state().next);
  EXPECT_EQ(caption(w), "Book :: Second");

  f.ToolButton2->click();
  EXPECT_FALSE(state().back);
  EXPECT_TRUE(state().next);
  EXPECT_EQ(caption(w), "Book :: Start");

  f.ToolButton3->click();
  EXPECT_TRUE(state().back);
  EXPECT_FALSE(state().next);
  EXPECT_EQ(caption(w), "Book :: Second");

  // A page without a title.
  f.FrameViewer1->LoadFromFile(QString::fromStdString((dir / "untitled.htm").string()));
  EXPECT_EQ(caption(w), "Book :: ");
  EXPECT_FALSE(f.sGauge1->isVisible());
}

TEST_F(MainWindowTest, RefreshRepaintsWithoutReadingThePageAgain) {
  page(dir / "index.htm", "Demo", "<P>first text</P>");
  ProgramWindows w = start();
  writeFile(dir / "index.htm", "<HTML><BODY><P>changed on disk</P></BODY></HTML>");
  w.Form1->ToolButton4->click();
  EXPECT_EQ(w.Form1->FrameViewer1->visibleText().toStdString(), "first text");
}

TEST_F(MainWindowTest, SettingsReadAtStartReachTheWindows) {
  page(dir / "index.htm", "Demo");
  writeFile(dir / "lumora.ini",
            "[Form]\nShowCaptions=0x1\n[Player]\nActive=1\nVolume=40\n[Safety]\nBlockConfig=1\n"
            "[Execute]\nReadID3v=1\nLoopMusic=0\nPlayBackground=1\nBGPlay=music/theme.wav\n");
  ProgramWindows w = start();
  EXPECT_TRUE(w.Form1->sToolBar1->showCaptions());
  EXPECT_TRUE(w.frmConfig->sCheckBox3->isChecked());
  EXPECT_FALSE(w.Form1->sToolBar2->isHidden());
  EXPECT_TRUE(w.Form1->N1->isChecked());
  EXPECT_EQ(w.Form1->sTrackBar2->value(), 40);
  EXPECT_FALSE(w.Form1->ToolButton7->isEnabled());
  EXPECT_EQ(w.frmConfig->sRadioGroup1->ItemIndex(), 1);
  EXPECT_FALSE(w.frmConfig->sCheckBox7->isChecked());
  EXPECT_FALSE(core::programValues().LoopEnabled);
  EXPECT_FALSE(w.frmConfig->sGroupBox1->isHidden());
  EXPECT_EQ(w.frmConfig->sFilenameEdit1->text().toStdString(), "music/theme.wav");
}

TEST_F(MainWindowTest, LoopPlaybackIsWrittenFromItsBoxAfterStop) {
  page(dir / "index.htm", "Demo");
  for (bool checked : {true, false}) {
    SCOPED_TRACE(checked ? "box checked" : "box cleared");
    std::filesystem::remove(dir / "lumora.ini");
    {
      ProgramWindows w = start();
      if (!checked) w.frmConfig->sCheckBox7->click();
      ASSERT_EQ(w.frmConfig->sCheckBox7->isChecked(), checked);
      w.Form1->AudioBar1->ToolButton13->click();
      EXPECT_FALSE(core::programValues().LoopEnabled);  // nothing loops for the rest of this run
      w.Form1->close();
    }
    EXPECT_NE(readFile(dir / "lumora.ini").find(checked ? "LoopMusic=1\n" : "LoopMusic=0\n"), std::string::npos);
  }
}

TEST_F(MainWindowTest, NonNumericShowCaptionsGivesEachReaderItsDefault) {
  page(dir / "index.htm", "Demo");
  writeFile(dir / "lumora.ini", "[Form]\nShowCaptions=yes\n");
  ProgramWindows w = start();
  EXPECT_FALSE(w.Form1->sToolBar1->showCaptions());
  EXPECT_TRUE(w.frmConfig->sCheckBox3->isChecked());
}

TEST_F(MainWindowTest, ClosingTheSettingsDialogAppliesCaptionToolbarAndSkinEvenOnCancel) {
  page(dir / "index.htm", "Demo", "<A HREF=\"two.htm\">two</A>");
  page(dir / "two.htm", "Second");
  writeFile(dir / "Skins/Blue/Options.dat", "[FORM]\nColor=#2040A0\n");
  ProgramWindows w = start();
  settings::TfrmConfig& d = *w.frmConfig;
  d.show();
  d.sEdit1->setText("My book");
  d.sCheckBox3->setChecked(true);
  d.sCheckBox4->setChecked(true);
  d.sComboBox1->setEditText("Blue");
  d.sButton2->click();
  EXPECT_EQ(caption(w), "My book :: Demo");
  EXPECT_TRUE(w.Form1->sToolBar1->showCaptions());
  EXPECT_TRUE(w.Form1->sSkinManager1->Active());
  EXPECT_EQ(w.Form1->sSkinManager1->SkinName().toStdString(), "Blue");
  ASSERT_NE(w.Form1->sSkinManager1->currentSkin(), nullptr);
  EXPECT_EQ(w.Form1->sSkinManager1->currentSkin()->Data.Name, "Blue");
  // Every page loaded afterwards is captioned with the caption the dialog set, until the program ends.
  w.Form1->FrameViewer1->LoadFromFile(QString::fromStdString((dir / "two.htm").string()));
  EXPECT_EQ(caption(w), "My book :: Second");
  w.Form1->ToolButton2->click();
  EXPECT_EQ(caption(w), "My book :: Demo");
  d.show();
  d.sEdit1->setText("Atlas");
  d.sButton1->click();
  w.Form1->ToolButton1->click();
  EXPECT_EQ(caption(w), "Atlas :: Demo");
  w.Form1->close();
  EXPECT_NE(readFile(dir / "lumora.ini").find("Caption=Atlas\n"), std::string::npos);
}

TEST_F(MainWindowTest, AStoredLanguageLeavesThePublicationsCaptionAlone) {
  page(dir / "index.htm", "Demo");
  // The language translates the definitions' captions of both windows (entry 1 of Form1, entry 13 of the
  // dialog's caption box).
  writeFile(dir / "Lang" / "de.lng", "LANGID=1031\n[Form1]\n1=Lumora Betrachter\n[frmConfig]\n13=Lumora Version 2.0\n");
  writeFile(dir / "lumora.ini", "[Form]\nCaption=My Test Book\nLangID=1\n");
  {
    ProgramWindows w = start();
    ASSERT_EQ(i18n::LangManager().currentLanguageId(), 1031);
    EXPECT_EQ(caption(w), "My Test Book :: Demo");
    EXPECT_EQ(w.frmConfig->sEdit1->text().toStdString(), "My Test Book");
    w.frmConfig->show();
    w.frmConfig->sButton2->click();
    EXPECT_EQ(caption(w), "My Test Book :: Demo");
    // Switching the language while the program runs keeps it too.
    w.frmConfig->cbLanguageChange(0);
    EXPECT_EQ(caption(w), "My Test Book :: Demo");
    EXPECT_EQ(w.frmConfig->sEdit1->text().toStdString(), "My Test Book");
    w.frmConfig->cbLanguageChange(1);
    w.Form1->close();
  }
  EXPECT_NE(readFile(dir / "lumora.ini").find("Caption=My Test Book\n"), std::string::npos);
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, AUnicodeSettingsFileIsReadAndWrittenBackInItsOwnEncoding) {
  page(dir / "index.htm", "Demo");
  const std::string before = "[Form]\r\nCaption=Моя книга\r\n[Custom]\r\nKeep=1\r\n";
  const std::string after =
      "[Form]\r\nCaption=Моя книга\r\nShowCaptions=1\r\nMode=0\r\nSkined=0\r\nSkinFile=Ошибка\r\nNoSplash=0\r\n"
      "LangID=0\r\n[Custom]\r\nKeep=1\r\n[Player]\r\nActive=0\r\nVolume=100\r\n[Execute]\r\nDevice=1\r\n"
      "PlayBackground=0\r\nBGPlay=\r\nLoopMusic=1\r\nReadID3v=0\r\n[Safety]\r\nBlockConfig=0\r\n";
  for (const int codePage : {1200, 1201}) {
    const auto inUnicode = [&](const std::string& text) {
      return core::byteOrderMarkBytes(codePage) + core::fromUtf8(text, codePage).value();
    };
    writeFile(dir / "lumora.ini", inUnicode(before));
    {
      ProgramWindows w = start();
      EXPECT_EQ(caption(w), "Моя книга :: Demo") << codePage;
      w.Form1->close();
    }
    EXPECT_EQ(readFile(dir / "lumora.ini"), inUnicode(after)) << codePage;
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, SettingsAndLanguageNamesThatAreNoRegularFilesAreReportedAndLeftAlone) {
  page(dir / "index.htm", "Demo");
  ASSERT_EQ(::mkfifo((dir / "lumora.ini").c_str(), 0600), 0);
  writeFile(dir / "Lang" / "ru.lng", "LANGID=1049\n");
  ASSERT_EQ(::mkfifo((dir / "Lang" / "fifo.lng").c_str(), 0600), 0);
  {
    ProgramWindows w = start();
    EXPECT_EQ(caption(w), "Безимянный :: Demo");
    EXPECT_EQ(w.frmConfig->cbLanguage->count(), 2);
    w.Form1->close();
  }
  const std::string ini = (dir / "lumora.ini").string();
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "Unable to read " + ini + ": not a regular file",
                          "Loading translations failed.\r\n" + (dir / "Lang" / "fifo.lng").string() + ": not a regular file",
                          "Unable to write to " + ini}));
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "lumora.ini"));
}

TEST_F(MainWindowTest, WindowsOpenInsideTheScreen) {
  page(dir / "index.htm", "Demo");
  ProgramWindows w = start();
  // The definitions put the main window at (375, 135) in 778 x 573 pixels: on this screen (or with a scale
  // factor on a larger one) that reaches past its edge.
  QWidget* windows[] = {w.Form1.get(), w.frmConfig.get(), w.Form2.get()};
  for (QWidget* window : windows) {
    window->show();
    const QRect area = window->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->frameGeometry())) << window->objectName().toStdString();
    window->hide();
  }
}

TEST_F(MainWindowTest, TranslatedButtonsAreAsWideAsTheirCaptions) {
  page(dir / "index.htm", "Demo");
  writeFile(dir / "Lang" / "de.lng",
            "LANGID=1031\n[Form1]\n10=Startseite\n12=Zurück\n14=Weiter\n16=Aktualisieren\n19=Einstellungen\n"
            "21=Hilfe\n26=Mehr\n[frmConfig]\n3=Übernehmen\n5=Abbrechen\n44=Hilfe\n");
  writeFile(dir / "lumora.ini", "[Form]\nShowCaptions=1\nLangID=1\n");
  ProgramWindows w = start();
  TForm1& f = *w.Form1;
  ASSERT_EQ(f.ToolButton4->Caption().toStdString(), "Aktualisieren");
  // Left to right, none cut and none over the next one or over the spectrum box.
  const QWidget* row[] = {f.ToolButton1, f.ToolButton2, f.ToolButton3, f.ToolButton4, f.ToolButton7,
                          f.ToolButton9, f.ToolButton8, f.PaintFrame};
  for (size_t i = 0; i < std::size(row); ++i) {
    const std::string name = row[i]->objectName().toStdString();
    if (auto* button = qobject_cast<const QToolButton*>(row[i])) {
      EXPECT_GE(button->width(), button->sizeHint().width()) << name;
    }
    if (i > 0) {
      EXPECT_GE(row[i]->x(), row[i - 1]->x() + row[i - 1]->width()) << name;
    }
  }

  settings::TfrmConfig& d = *w.frmConfig;
  const auto checkDialogButtons = [&](const std::string& language) {
    const QPushButton* buttons[] = {d.sButton3, d.sButton1, d.sButton2};
    for (size_t i = 0; i < std::size(buttons); ++i) {
      const std::string name = language + " " + buttons[i]->objectName().toStdString();
      EXPECT_GE(buttons[i]->width(), std::max(75, buttons[i]->sizeHint().width())) << name;
      EXPECT_TRUE(d.rect().contains(buttons[i]->geometry())) << name;
      if (i > 0) {
        EXPECT_GT(buttons[i]->x(), buttons[i - 1]->x() + buttons[i - 1]->width()) << name;
      }
    }
    // Apply and Cancel keep the dialog's right margin.
    EXPECT_EQ(d.sButton2->x() + d.sButton2->width(), 368) << language;
  };
  ASSERT_EQ(d.sButton1->text().toStdString(), "Übernehmen");
  checkDialogButtons("German");
  d.cbLanguageChange(0);
  ASSERT_EQ(d.sButton1->text().toStdString(), "Apply");
  checkDialogButtons("English");
}

TEST_F(MainWindowTest, FileDialogsOpenInThePublicationOrAtTheCurrentValue) {
  page(dir / "index.htm", "Demo");
  writeFile(dir / "music" / "theme.wav", "RIFF");
  ProgramWindows w = start();
  const QString publication = QString::fromStdString(dir.path().string());
  struct Case {
    const char* name;
    std::function<void()> open;
    QString folder;
  };
  settings::TfrmConfig& d = *w.frmConfig;
  const Case cases[] = {
      {"Play", [&] { w.Form1->AudioBar1->ToolButton11Click(); }, publication},
      {"background music", [&] {
         d.sFilenameEdit1->setText("Music\\Theme.WAV");
         d.sFilenameEdit1->findChild<QToolButton*>()->click();
       }, publication + "/music"},
      {"background music, nothing chosen yet", [&] {
         d.sFilenameEdit1->setText("");
         d.sFilenameEdit1->findChild<QToolButton*>()->click();
       }, publication},
      {"archive to extract", [&] { w.Form2->sSpeedButton1Click(); }, publication},
      {"folder to extract to", [&] { w.Form2->sSpeedButton2Click(); }, publication},
      {"folder to compress", [&] { w.Form2->sSpeedButton3Click(); }, publication},
  };
  for (const Case& c : cases) {
    QString shown;
    testing::answerNextModalDialog([&](QDialog& dialog) {
      if (auto* files = qobject_cast<QFileDialog*>(&dialog)) shown = files->directory().absolutePath();
    });
    c.open();
    EXPECT_EQ(shown.toStdString(), QDir(c.folder).absolutePath().toStdString()) << c.name;
  }
}

// Calls `onShown` (from the event loop) when a splash window is shown.
class SplashWatcher : public QObject {
 public:
  explicit SplashWatcher(std::function<void(TfrmAbout*)> onShown) : onShown_(std::move(onShown)) {
    qApp->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* splash = qobject_cast<TfrmAbout*>(watched)) {
        QTimer::singleShot(0, splash, [this, splash] { onShown_(splash); });
      }
    }
    return false;
  }

 private:
  std::function<void(TfrmAbout*)> onShown_;
};

TEST_F(MainWindowTest, TrayMenuHidesRestoresAndClosesWithTheSettingsSaved) {
  page(dir / "index.htm", "Demo");
  {
    ProgramWindows w = start();
    TForm1& f = *w.Form1;
    f.show();
    EXPECT_TRUE(f.HideItem->isEnabled());
    EXPECT_FALSE(f.RestoreItem->isEnabled());
    f.HideItem->trigger();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.HideItem->isEnabled());
    EXPECT_TRUE(f.RestoreItem->isEnabled());
    f.RestoreItem->trigger();
    EXPECT_TRUE(f.isVisible());
    // The audio bar was hidden before and stays hidden after the restore.
    EXPECT_TRUE(f.sToolBar2->isHidden());
    EXPECT_TRUE(f.HideItem->isEnabled());
    EXPECT_FALSE(f.RestoreItem->isEnabled());
    f.HideItem->trigger();
    f.Closew->trigger();
  }
  EXPECT_NE(testing::readFile(dir / "lumora.ini").find("BlockConfig=0"), std::string::npos);
}

TEST_F(MainWindowTest, TrayIconClicksAndMinimizingWithAndWithoutATray) {
  page(dir / "index.htm", "Demo");
  ProgramWindows w = start();
  TForm1& f = *w.Form1;
  f.show();
  ASSERT_NE(f.trayIcon(), nullptr);
  EXPECT_EQ(f.trayIcon()->toolTip(), "Lumora Viewer");
  EXPECT_EQ(f.trayIcon()->contextMenu(), f.PopupMenu2);
  // A click (left or right button released) opens the tray menu; other mouse messages do nothing.
  for (const int message : {TForm1::kTrayLeftButtonUp, TForm1::kTrayRightButtonUp, 513, 516}) {
    f.TrayMessage(message);
    EXPECT_EQ(f.PopupMenu2->isVisible(), message == 514 || message == 517) << message;
    f.PopupMenu2->hide();
  }
  emit f.trayIcon()->activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(f.PopupMenu2->isVisible());
  f.PopupMenu2->hide();
  // A double click restores, and in the shown state changes nothing.
  emit f.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.HideItem->isEnabled());

  // With a tray, minimizing hides the window and the archiver window that was open; they come back together.
  f.setTrayAvailability([] { return true; });
  f.ZIP1->trigger();
  QWidget* archiver = w.Form2.get();
  ASSERT_TRUE(archiver->isVisible());
  f.setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(archiver->isVisible());
  EXPECT_TRUE(f.RestoreItem->isEnabled());
  emit f.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.isMinimized());
  EXPECT_TRUE(archiver->isVisible());
  EXPECT_FALSE(f.RestoreItem->isEnabled());
  archiver->hide();

  // Without one the window stays minimized where the task bar can bring it back.
  f.setTrayAvailability([] { return false; });
  f.setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.isMinimized());
  EXPECT_TRUE(f.HideItem->isEnabled());
  f.close();
}

TEST_F(MainWindowTest, CompressSwitchRunsOnlyWhenWrittenExactlyAsTheFirstArgument) {
  page(dir / "index.htm", "Demo");
  // CD mode keeps this file as it is, so the splash stays off for every start.
  writeFile(dir / "lumora.ini", "[Form]\nNoSplash=1\nMode=1\n");
  writeFile(dir / "book" / "page.htm", "<P>text</P>");
  const QString folder = QString::fromStdString((dir / "book").string());
  const QString archive = QString::fromStdString((dir / "book.zip").string());
  {
    ProgramWindows w = start({"/Compress", folder, archive});
    EXPECT_EQ(messages, std::vector<std::string>{"Compression complited"});
    EXPECT_TRUE(std::filesystem::exists(dir / "book.zip"));
  }
  std::filesystem::remove(dir / "book.zip");
  messages.clear();
  {
    ProgramWindows w = start({"/compress", folder, archive});
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "book.zip"));
  }
  {
    // Without an archive name the compression fails in the standard error box; the program goes on.
    ProgramWindows w = start({"/Compress", folder});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Native error: 00010"), std::string::npos) << messages[0];
    EXPECT_TRUE(w.Form1->N3->actions().isEmpty());
  }
}

TEST_F(MainWindowTest, SplashShowsForItsTimeUnlessSwitchedOff) {
  page(dir / "index.htm", "Demo");
  struct Case {
    QStringList arguments;
    std::string ini;
    bool shown;
  };
  const Case cases[] = {
      {{"/NoSplash"}, "", false},
      {{}, "[Form]\nNoSplash=1\n", false},
      {{"/nosplash"}, "", true},
      {{"/Compress"}, "", true},
  };
  for (const Case& c : cases) {
    writeFile(dir / "lumora.ini", c.ini);
    bool mainWindowVisibleDuringSplash = true;
    int gaugeAfterTicks = -1;
    // When the splash appears, look at the windows, let its gauge tick and end it.
    SplashWatcher watcher([&](TfrmAbout* splash) {
      mainWindowVisibleDuringSplash = false;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "Form1" && top->isVisible()) mainWindowVisibleDuringSplash = true;
      }
      for (int i = 0; i < 105; ++i) splash->Timer2Timer();
      gaugeAfterTicks = splash->sGauge1->value();
      splash->Timer1Timer();
    });
    ProgramWindows w = start(c.arguments);
    EXPECT_EQ(w.frmAbout->wasShown(), c.shown) << c.arguments.join(' ').toStdString();
    if (c.shown) {
      EXPECT_FALSE(mainWindowVisibleDuringSplash);
      EXPECT_EQ(gaugeAfterTicks, 100);
      EXPECT_TRUE(w.Form1->isVisible());
      EXPECT_FALSE(w.frmAbout->isVisible());
    }
  }
}

// The toolbar's empty right end, where only its own background shows.
QColor toolbarBackground(ProgramWindows& w, int y) {
  skin::TsToolBar* bar = w.Form1->sToolBar1;
  return bar->grab().toImage().pixelColor(bar->width() - 4, y);
}

TEST_F(MainWindowTest, SkinsDrawTheToolbarAndSwitchingRestylesEveryOpenWindow) {
  page(dir / "index.htm", "Demo");
  writeFile(dir / "Skins/Red/Options.dat", "[TOOLBAR]\nColor=#C01010\nGradientColor=none\n[FORM]\nColor=#301010\n");
  writeFile(dir / "Skins/Green/Options.dat", "[TOOLBAR]\nColor=#10A020\nGradientColor=#106020\n");
  writeFile(dir / "lumora.ini", "[Form]\nSkined=1\nSkinFile=Red\n");
  ProgramWindows w = start();
  w.Form1->show();
  w.frmConfig->show();
  skin::TsSkinManager& skins = *w.Form1->sSkinManager1;
  ASSERT_EQ(skins.SkinName(), "Red");
  EXPECT_EQ(toolbarBackground(w, 10), QColor(0xC0, 0x10, 0x10));
  EXPECT_EQ(w.frmConfig->palette().color(QPalette::Window), QColor(0x30, 0x10, 0x10));
  // A gradient runs from Color at the top to GradientColor at the bottom.
  skins.setSkinName("Green");
  const QColor top = toolbarBackground(w, 1), bottom = toolbarBackground(w, 46);
  EXPECT_NEAR(top.green(), 0xA0, 6);
  EXPECT_NEAR(bottom.green(), 0x60, 6);
  EXPECT_GT(top.green(), bottom.green());
  EXPECT_EQ(top.red(), 0x10);
  EXPECT_NE(w.frmConfig->palette().color(QPalette::Window), QColor(0x30, 0x10, 0x10));
  // Without a skin the platform look comes back, with the windows' own colours.
  skins.setActive(false);
  EXPECT_EQ(toolbarBackground(w, 10), QColor(217, 232, 237));
  EXPECT_EQ(w.frmConfig->palette().color(QPalette::Window), QColor(217, 232, 237));
  w.frmConfig->hide();
  w.Form1->close();
}

TEST_F(MainWindowTest, EveryHintIsABalloonTheTrackHintsToo) {
  page(dir / "index.htm", "Demo");
  ProgramWindows w = start();
  w.Form1->show();
  w.Form1->setAudioBarShown(true);
  skin::TsHintManager& hints = *w.Form1->sHintManager1;
  const auto rest = [](QWidget* widget) {
    const QPoint global = widget->mapToGlobal(widget->rect().center());
    QHelpEvent event(QEvent::ToolTip, widget->rect().center(), global);
    QApplication::sendEvent(widget, &event);
  };
  const auto shownText = [&] {
    std::string text;
    if (hints.shownHint() == nullptr) return text;
    for (const skin::HintRun& run : hints.shownHint()->textLayout().Runs) text += run.Text + "|";
    return text;
  };
  rest(w.Form1->ToolButton1);
  EXPECT_EQ(shownText(), "Navigate to the main page|");
  rest(w.Form1->AudioBar1->ToolButton11);
  EXPECT_EQ(shownText(), "Play|Open the file and start to play it.|");
  ASSERT_NE(hints.shownHint(), nullptr);
  EXPECT_TRUE(hints.shownHint()->textLayout().Runs[0].Font.Bold);
  // The track hint: a bold heading, the tag's text as text (markup in a title is not obeyed), the link plain.
  w.Form1->AudioBar1->sLabelFX1->setHint(
      "<b>About file:</b><br><br>Title: &lt;i&gt;Moon&lt;/i&gt;<br>Link: <a href=x.mp3>x.mp3</a>");
  w.Form1->AudioBar1->sLabelFX1->show();
  rest(w.Form1->AudioBar1->sLabelFX1);
  EXPECT_EQ(shownText(), "About file:|Title: <i>Moon</i>|Link: |x.mp3|");
  const auto& runs = hints.shownHint()->textLayout().Runs;
  EXPECT_TRUE(runs[0].Font.Bold);
  EXPECT_FALSE(runs[1].Font.Italic);
  EXPECT_FALSE(runs[3].Font.Bold);
  w.Form1->close();
}

}  // namespace
}  // namespace lumora::app
