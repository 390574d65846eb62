// The archiver window, its dialogs and the "/Compress" switch, driven without a display or a user.
#include <gtest/gtest.h>

#include <QApplication>
#include <deque>

#include "archive/archiver_window.h"
#include "archive/zip_compress_folder.h"
#include "i18n/language_constants.h"
#include "zip_test_util.h"

namespace lumora::archive {
namespace {

using testing::readFile;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

QApplication& app() {
  static int argc = 1;
  static char name[] = "archive_window_test";
  static char* argv[] = {name, nullptr};
  static QApplication instance(argc, argv);
  return instance;
}

// A window whose dialogs answer from a script and whose message boxes are recorded.
struct ScriptedWindow {
  TForm2 form;
  std::deque<std::optional<QString>> answers;
  std::vector<QString> dialogsRun;  // object name and title of each dialog run
  std::vector<QString> information, errors;
  ScriptedWindow() {
    form.DialogAnswer = [this](TFileDialogComponent& d) {
      dialogsRun.push_back(d.objectName() + ":" + d.Title());
      if (answers.empty()) return std::optional<QString>();
      auto a = answers.front();
      answers.pop_front();
      return a;
    };
    form.InformationAnswer = [this](const QString& t) { information.push_back(t); };
    form.ErrorAnswer = [this](const QString& t) { errors.push_back(t); };
  }
};

QString q(const fs::path& p) {
  return QString::fromStdString(p.string());
}

TEST(ArchiverWindow, HasTheControlsDialogsAndComponentSettings) {
  app();
  TForm2 form;
  EXPECT_EQ(form.size(), QSize(327, 179));
  EXPECT_EQ(form.windowTitle(), "ZIP archiver");
  struct Text {
    const char* object;
    const char* property;
    QString value;
  } texts[] = {
      {"sLabel1", "Caption", "Archive:"},
      {"sLabel2", "Caption", "Extract to:"},
      {"sLabel3", "Caption", "Progress:"},
      {"sBitBtn1", "Caption", "Extract"},
      {"sBitBtn2", "Caption", "Close"},
      {"sSpeedButton1", "Hint", "Browse..."},
      {"sSpeedButton2", "Hint", "Browse..."},
      {"sSpeedButton3", "Hint",
       "<b>Compress to Zip file</b><br>Select directory you want to compress and archive name."},
      {"sGauge1", "Suffix", "%"},
      {"OpenDialog1", "Filter", QString::fromUtf8("Zip Архивы|*.zip|SFX-EXE|*.exe|Все файлы|*.*")},
      {"OpenDialog1", "DefaultExt", "zip"},
      {"sSaveDialog1", "Filter", QString::fromUtf8("Zip архив|*.zip|Все файлы|*.*")},
      {"sSaveDialog1", "DefaultExt", ".zip"},
      {"sSaveDialog1", "Title", QString::fromUtf8("Создание нового архива...")},
  };
  for (const auto& t : texts) {
    QObject* o = form.findChild<QObject*>(t.object);
    ASSERT_NE(o, nullptr) << t.object;
    EXPECT_EQ(o->property(t.property).toString(), t.value) << t.object << "." << t.property;
  }
  for (const char* name : {"sEdit1", "sEdit2", "sPathDialog1"}) EXPECT_NE(form.findChild<QObject*>(name), nullptr);
  TZipArchiver& a = form.Archiver();
  EXPECT_EQ(a.Name, "Archiver");
  EXPECT_EQ(a.CompressionLevel(), TZipCompressionLevel::clMax);
  EXPECT_EQ(a.CompressionMode(), 9);
  EXPECT_EQ(a.Zip64Mode, TZip64Mode::zmDisabled);
  EXPECT_EQ(a.FileMasks, std::vector<std::string>{"*.*"});
  EXPECT_TRUE(a.Options.OEMFileNames && a.Options.FlushBuffers);
  EXPECT_FALSE(a.ExtractCorruptedFiles);

  // The gauge takes the progress rounded half to even.
  bool cancel = false;
  for (auto [progress, shown] : {std::pair{2.5, 2}, {3.5, 4}, {49.4, 49}, {99.6, 100}}) {
    a.OnOverallProgress(a, progress, TZipProcessOperation::poExtract, TZipProgressPhase::ppProcess, cancel);
    EXPECT_EQ(form.sGauge1->value(), shown) << progress;
  }
}

TEST(ArchiverWindow, BrowseButtonsFillTheEditsAndExtractReplacesWithoutAsking) {
  app();
  TempDir tmp;
  testing::makeSampleTree(tmp / "pub");
  TZipArchiver maker;
  maker.FileName = (tmp / "p.zip").string();
  maker.Open(kZipOpenCreate);
  maker.BaseDir = (tmp / "pub").string();
  maker.AddMatching("*.*");
  maker.Close();

  ScriptedWindow w;
  w.answers = {q(tmp / "p.zip"), q(tmp / "out")};
  w.form.sSpeedButton1Click();
  w.form.sSpeedButton2Click();
  EXPECT_EQ(w.form.sEdit1->text(), q(tmp / "p.zip"));
  EXPECT_EQ(w.form.sEdit2->text(), q(tmp / "out"));
  EXPECT_EQ(w.dialogsRun, (std::vector<QString>{"OpenDialog1:", "sPathDialog1:Select folder for files:"}));
  for (int round = 0; round < 2; ++round) {
    w.form.sGauge1->setValue(0);
    w.form.sBitBtn1->click();
    EXPECT_EQ(snapshot(tmp / "out"), snapshot(tmp / "pub"));
    EXPECT_EQ(w.form.sGauge1->value(), 100);
    EXPECT_TRUE(w.form.sBitBtn2->isEnabled());
    writeFile(tmp / "out/README", "changed by the reader");
  }
  EXPECT_TRUE(w.errors.empty());
  EXPECT_TRUE(w.information.empty());  // nothing is reported on success
}

TEST(ArchiverWindow, FailedExtractionShowsTheNamedErrorAndCloseStaysUsable) {
  app();
  TempDir tmp;
  ScriptedWindow w;
  w.form.sEdit1->setText(q(tmp / "missing.zip"));
  w.form.sEdit2->setText(q(tmp / "out"));
  w.form.sBitBtn1->click();
  ASSERT_EQ(w.errors.size(), 1u);
  EXPECT_EQ(w.errors[0], "Archiver: File \"" + q(tmp / "missing.zip") + "\" not found - Native error: 00012");
  EXPECT_TRUE(w.form.sBitBtn2->isEnabled());
  w.form.show();
  w.form.sBitBtn2->click();
  EXPECT_FALSE(w.form.isVisible());
}

TEST(ArchiverWindow, EmptyTargetFolderIsRefusedWithItsMessageAndNothingIsWritten) {
  app();
  TempDir tmp;
  writeFile(tmp / "pub/a.txt", "a");
  TZipArchiver maker;
  compressFolderInto(maker, (tmp / "pub").string(), (tmp / "p.zip").string());
  // The folder the program was started from is where an unchecked extraction would land.
  const fs::path started = fs::current_path();
  fs::create_directories(tmp / "cwd");
  fs::current_path(tmp / "cwd");
  ScriptedWindow w;
  w.form.sEdit1->setText(q(tmp / "p.zip"));
  for (const QString& target : {QString(), QString("   ")}) {
    w.form.sEdit2->setText(target);
    w.form.sBitBtn1->click();
  }
  // The message is the language's: a translation reaches it.
  ASSERT_TRUE(i18n::setConstantText("MessageNoDir", "Zielordner fehlt"));
  w.form.sBitBtn1->click();
  i18n::resetConstantTexts();
  fs::current_path(started);
  EXPECT_EQ(w.errors, (std::vector<QString>{"Choose the folder to extract the files to.",
                                            "Choose the folder to extract the files to.", "Zielordner fehlt"}));
  EXPECT_TRUE(snapshot(tmp / "cwd").empty());
  EXPECT_TRUE(w.form.sBitBtn2->isEnabled());
}

TEST(ArchiverWindow, AbortedCompressionReportsNoCompletionAndKeepsTheArchive) {
  app();
  TempDir tmp;
  writeFile(tmp / "pub/a.txt", "a");
  TZipArchiver maker;
  compressFolderInto(maker, (tmp / "pub").string(), (tmp / "p.zip").string());
  const std::string before = readFile(tmp / "p.zip");
  // A file that says it is empty but is not, so it fails as it is packed.
  fs::create_symlink("/proc/self/status", tmp / "pub/b.txt");
  ScriptedWindow w;
  std::vector<QString> asked;
  w.form.zipDialogs().AnswerProvider = [&](QMessageBox& box) {
    asked.push_back(box.text());
    return QMessageBox::Abort;
  };
  w.form.CompressFolder(q(tmp / "pub"), q(tmp / "p.zip"));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].indexOf("Native error: 00034"), -1) << asked[0].toStdString();
  EXPECT_TRUE(w.information.empty());
  EXPECT_EQ(readFile(tmp / "p.zip"), before);
}

TEST(ArchiverWindow, BadEntryAsksAbortRetryIgnoreThroughTheFailureDialog) {
  app();
  TempDir tmp;
  writeFile(tmp / "pub/a.txt", std::string(4000, 'a'));
  TZipArchiver maker;
  compressFolderInto(maker, (tmp / "pub").string(), (tmp / "p.zip").string());
  std::string bytes = readFile(tmp / "p.zip");
  bytes[bytes.find("a.txt") + 5 + 3] ^= 0x10;
  writeFile(tmp / "p.zip", bytes);

  ScriptedWindow w;
  std::vector<QString> asked;
  w.form.zipDialogs().AnswerProvider = [&](QMessageBox& box) {
    asked.push_back(box.text());
    EXPECT_EQ(box.standardButtons(), QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    return QMessageBox::Ignore;
  };
  w.form.sEdit1->setText(q(tmp / "p.zip"));
  w.form.sEdit2->setText(q(tmp / "out"));
  w.form.sBitBtn1->click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0],
            "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008. File "
            "processing error, possibly disk is full");
  EXPECT_FALSE(fs::exists(tmp / "out/a.txt"));
  EXPECT_TRUE(w.errors.empty());
}

TEST(ArchiverWindow, CompressButtonAsksFolderThenArchiveAndReportsCompletion) {
  app();
  TempDir tmp;
  writeFile(tmp / "pub/index.htm", "<p>hi</p>");
  ScriptedWindow w;
  // Cancelling the folder dialog ends the command.
  w.form.sSpeedButton3Click();
  EXPECT_EQ(w.dialogsRun, (std::vector<QString>{"sPathDialog1:Select folder to compress:"}));
  // Compressing into the folder itself: the archive does not contain itself.
  w.dialogsRun.clear();
  w.answers = {q(tmp / "pub"), q(tmp / "pub/pub.zip")};
  w.form.sSpeedButton3Click();
  EXPECT_EQ(w.dialogsRun.size(), 2u);
  EXPECT_EQ(w.information, std::vector<QString>{"Compression complited"});
  TZipArchiver r;
  r.FileName = (tmp / "pub/pub.zip").string();
  r.Open(kZipOpenRead);
  ASSERT_EQ(r.Entries().size(), 2u);
  EXPECT_EQ(r.Entries()[1].name, "index.htm");
  EXPECT_EQ(w.form.sGauge1->value(), 0);  // compression shows no progress
}

TEST(CompressSwitch, RunsOnlyForTheExactSwitchAndReportsMissingArchive) {
  app();
  TempDir tmp;
  writeFile(tmp / "pub/a.txt", "a");
  ScriptedWindow w;
  EXPECT_FALSE(runCompressSwitch(w.form, {"/compress", q(tmp / "pub"), q(tmp / "x.zip")}));
  EXPECT_FALSE(runCompressSwitch(w.form, {}));
  EXPECT_FALSE(fs::exists(tmp / "x.zip"));
  EXPECT_TRUE(w.information.empty());

  EXPECT_TRUE(runCompressSwitch(w.form, {"/Compress", q(tmp / "pub"), q(tmp / "x.zip")}));
  EXPECT_EQ(w.information, std::vector<QString>{"Compression complited"});
  EXPECT_TRUE(fs::exists(tmp / "x.zip"));

  try {
    runCompressSwitch(w.form, {"/Compress", q(tmp / "pub")});
    ADD_FAILURE() << "no archive name accepted";
  } catch (const EZipException& e) {
    EXPECT_EQ(std::string(e.what()), "File name is blank. Specify appropriate file name - Native error: 00010");
  }
  EXPECT_EQ(w.information.size(), 1u);

  // Without a window (the main window runs the switch before the archiver window exists).
  std::vector<QString> shown;
  auto inform = [&](const QString& t) { shown.push_back(t); };
  EXPECT_FALSE(runCompressSwitch({"/compress", q(tmp / "pub"), q(tmp / "y.zip")}, nullptr, inform));
  EXPECT_TRUE(runCompressSwitch({"/Compress", q(tmp / "pub"), q(tmp / "y.zip")}, nullptr, inform));
  EXPECT_EQ(shown, std::vector<QString>{"Compression complited"});
  TZipArchiver r;
  r.FileName = (tmp / "y.zip").string();
  r.Open(kZipOpenRead);
  EXPECT_EQ(r.Entries().size(), 2u);
  EXPECT_THROW(runCompressSwitch({"/Compress", q(tmp / "pub")}, nullptr, inform), EZipException);
  EXPECT_EQ(shown.size(), 1u);

  // A folder that does not exist is named in the error, and the archive made before stays.
  const std::string before = readFile(tmp / "y.zip");
  try {
    runCompressSwitch({"/Compress", q(tmp / "missing"), q(tmp / "y.zip")}, nullptr, inform);
    ADD_FAILURE() << "a missing folder accepted";
  } catch (const EZipException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Folder \"" + (tmp / "missing").string() + "\" to compress not found - Native error: 00059");
  }
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(readFile(tmp / "y.zip"), before);
}

TEST(ZipQtDialogs, PasswordAndOverwriteAnswersMapToTheComponent) {
  app();
  TZipQtDialogs dialogs;
  dialogs.PasswordProvider = [](const QString& title, const QString& prompt) -> std::optional<QString> {
    EXPECT_EQ(title, "Password for \"x\"");
    EXPECT_EQ(prompt, "Enter password: ");
    return QString::fromUtf8("пароль");
  };
  const std::optional<std::string> password = dialogs.passwordDialog("Password for \"x\"", "Enter password: ");
  EXPECT_EQ(password, std::optional<std::string>("пароль"));
  dialogs.PasswordProvider = [](const QString&, const QString&) { return std::optional<QString>(); };
  EXPECT_EQ(dialogs.passwordDialog("t", "p"), std::nullopt);
  for (auto [button, answer] : {std::pair{QMessageBox::Yes, TZipOverwriteAnswer::Yes},
                                {QMessageBox::No, TZipOverwriteAnswer::No},
                                {QMessageBox::NoToAll, TZipOverwriteAnswer::NoToAll},
                                {QMessageBox::YesToAll, TZipOverwriteAnswer::YesToAll}}) {
    dialogs.AnswerProvider = [button = button](QMessageBox& box) {
      EXPECT_EQ(box.standardButtons(),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::NoToAll | QMessageBox::YesToAll);
      return button;
    };
    EXPECT_EQ(dialogs.overwriteDialog("Overwrite file \"a\" with \"b\""), answer);
  }
}

}  // namespace
}  // namespace lumora::archive
