#pragma once
// The archiver window: extract an archive into a folder, or compress a folder into a new archive. It is
// created hidden at start-up and shown on demand; CompressFolder also serves the "/Compress" switch.

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "archive/zip_archiver.h"
#include "archive/zip_dialogs.h"

namespace lumora::archive {


// The window's parts, each publishing its translatable texts as properties.
class TsLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
 public:
  using QLabel::QLabel;
};

class TsEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText STORED false)
 public:
  using QLineEdit::QLineEdit;
};

// Its text stands in for the glyph of the original button, so it is not one of the window's texts.
class TsSpeedButton : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText STORED false)
  Q_PROPERTY(QString Hint READ Hint WRITE setHint)
 public:
  using QToolButton::QToolButton;
  QString Hint() const { return hint_; }
  void setHint(const QString& hint);

 private:
  QString hint_;
};

class TsBitBtn : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
 public:
  using QPushButton::QPushButton;
};

// A gauge across the bottom: 0..100 with the suffix "%".
class TsGauge : public QProgressBar {
  Q_OBJECT
  Q_PROPERTY(int Progress READ value WRITE setValue STORED false)
  Q_PROPERTY(QString Suffix READ Suffix WRITE setSuffix)
 public:
  explicit TsGauge(QWidget* parent = nullptr);
  QString Suffix() const { return suffix_; }
  void setSuffix(const QString& suffix);

 private:
  QString suffix_;
};

// File and folder dialogs as components: their settings live here, each use builds the Qt dialog.
class TFileDialogComponent : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Filter READ filter WRITE setFilter)
  Q_PROPERTY(QString Title READ Title WRITE setTitle)
  Q_PROPERTY(QString DefaultExt READ defaultExt WRITE setDefaultExt)
 public:
  enum class Kind { Open, Save, Folder };
  TFileDialogComponent(Kind kind, QObject* parent) : QObject(parent), kind_(kind) {}
  Kind kind() const { return kind_; }
  QString filter() const { return filter_; }
  void setFilter(const QString& v) { filter_ = v; }
  QString Title() const { return title_; }
  void setTitle(const QString& v) { title_ = v; }
  QString defaultExt() const { return defaultExt_; }
  void setDefaultExt(const QString& v) { defaultExt_ = v; }
  // The chosen path, or nullopt when cancelled.
  std::optional<QString> Execute(QWidget* parent);

 private:
  Kind kind_;
  QString filter_, title_, defaultExt_;
};

// The folder dialog's caption is what it asks ("Select folder for files:"); Root names where its tree
// starts ("rfMyComputer": above all drives and folders).
class TsPathDialog : public TFileDialogComponent {
  Q_OBJECT
  Q_PROPERTY(QString Root READ Root WRITE setRoot)
  Q_PROPERTY(QString Caption READ Title WRITE setTitle)
  Q_PROPERTY(QString Title READ Title WRITE setTitle STORED false)  // the same text as Caption
 public:
  explicit TsPathDialog(QObject* parent) : TFileDialogComponent(Kind::Folder, parent) {
    setTitle("Select folder");
  }
  QString Root() const { return root_; }
  void setRoot(const QString& root) { root_ = root; }

 private:
  QString root_ = "rfMyComputer";
};


class TForm2 : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)

 public:
  explicit TForm2(QWidget* parent = nullptr);
  ~TForm2() override;

  // Compresses `folder` with everything below it into the new archive `archive` and then shows the
  // "CompressFin" message. Failures throw EZipException (the caller's error box shows them); after an
  // Abort in the failure dialog nothing is shown. Either way an archive already there stays as it was.
  void CompressFolder(const QString& folder, const QString& archive);

  // Non-interactive answers for tests and scripts. When set, DialogAnswer replaces running a file or
  // folder dialog (nullopt = Cancel), InformationAnswer replaces the information message box, and
  // ErrorAnswer replaces the error box of a failed command.
  std::function<std::optional<QString>(TFileDialogComponent&)> DialogAnswer;
  std::function<void(const QString&)> InformationAnswer;
  std::function<void(const QString&)> ErrorAnswer;

  TZipArchiver& Archiver() { return *archiver_; }
  // The failure and password dialogs of this window's archiving (the window's component and CompressFolder).
  TZipQtDialogs& zipDialogs() { return dialogs_; }

  TsLabel* sLabel1;
  TsEdit* sEdit1;
  TsSpeedButton* sSpeedButton1;
  TsLabel* sLabel2;
  TsEdit* sEdit2;
  TsSpeedButton* sSpeedButton2;
  TsBitBtn* sBitBtn1;
  TsSpeedButton* sSpeedButton3;
  TsBitBtn* sBitBtn2;
  TsLabel* sLabel3;
  TsGauge* sGauge1;
  TFileDialogComponent* OpenDialog1;
  TFileDialogComponent* sSaveDialog1;
  TsPathDialog* sPathDialog1;

 public slots:
  void sSpeedButton1Click();
  void sSpeedButton2Click();
  void sBitBtn1Click();
  void sSpeedButton3Click();
  void sBitBtn2Click();

 private:
  void ArchiverOverallProgress(double progress);
  std::optional<QString> runDialog(TFileDialogComponent& dialog);
  void showError(const QString& text);
  void showInformation(const QString& text);

  TZipQtDialogs dialogs_;
  std::unique_ptr<TZipArchiver> archiver_;
};

// Runs "/Compress FOLDER ARCHIVE" when the first argument is exactly "/Compress" (`arguments` without the
// program name). Returns whether it ran; failures throw EZipException for the standard error box.
bool runCompressSwitch(TForm2& form, const QStringList& arguments);

// The same for a caller that has no archiver window yet (the main window examines the switch while it is
// being created): failed entries go to the shared Qt failure dialog, and `inform` (by default an
// information box over `parent`) shows the completion message.
bool runCompressSwitch(const QStringList& arguments, QWidget* parent = nullptr,
                       const std::function<void(const QString&)>& inform = {});

}  // namespace lumora::archive
