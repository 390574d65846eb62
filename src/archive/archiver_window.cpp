#include "archive/archiver_window.h"

#include <QApplication>
#include <QFileDialog>
#include <cmath>

#include "archive/zip_compress_folder.h"
#include "i18n/language_constants.h"
#include "skin/dialog_start.h"
#include "skin/message_box.h"

namespace lumora::archive {


void TsSpeedButton::setHint(const QString& hint) {
  hint_ = hint;
  setToolTip(hint);
}

TsGauge::TsGauge(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setSuffix("%");
}

void TsGauge::setSuffix(const QString& suffix) {
  suffix_ = suffix;
  setFormat(QStringLiteral("%p") + suffix);
}

std::optional<QString> TFileDialogComponent::Execute(QWidget* parent) {
  QFileDialog dialog(parent, title_);
  dialog.setNameFilters(filter_.isEmpty() ? QStringList() : [&] {
    // "Name|pattern|Name|pattern" becomes Qt's "Name (pattern)" list.
    const QStringList parts = filter_.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
      filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
  }());
  QString ext = defaultExt_;
  if (ext.startsWith('.')) ext.remove(0, 1);
  dialog.setDefaultSuffix(ext);
  dialog.setDirectory(skin::dialogStart().folder);
  switch (kind_) {
    case Kind::Open: dialog.setFileMode(QFileDialog::ExistingFile); break;
    case Kind::Save:
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      break;
    case Kind::Folder:
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly);
      break;
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}



TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(this), archiver_(std::make_unique<TZipArchiver>()) {
  setObjectName("Form2");
  setWindowTitle("ZIP archiver");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(327, 179);

  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  sLabel1 = named(new TsLabel("Archive:", this), "sLabel1");
  sLabel1->setGeometry(8, 6, 120, 16);
  sEdit1 = named(new TsEdit(this), "sEdit1");
  sEdit1->setGeometry(8, 22, 282, 21);
  sSpeedButton1 = named(new TsSpeedButton(this), "sSpeedButton1");
  sSpeedButton1->setGeometry(294, 22, 25, 21);
  sSpeedButton1->setText("...");
  sSpeedButton1->setHint("Browse...");
  sLabel2 = named(new TsLabel("Extract to:", this), "sLabel2");
  sLabel2->setGeometry(8, 48, 120, 16);
  sEdit2 = named(new TsEdit(this), "sEdit2");
  sEdit2->setGeometry(8, 64, 282, 21);
  sSpeedButton2 = named(new TsSpeedButton(this), "sSpeedButton2");
  sSpeedButton2->setGeometry(294, 64, 25, 21);
  sSpeedButton2->setText("...");
  sSpeedButton2->setHint("Browse...");
  sBitBtn1 = named(new TsBitBtn("Extract", this), "sBitBtn1");
  sBitBtn1->setGeometry(8, 96, 100, 27);
  sSpeedButton3 = named(new TsSpeedButton(this), "sSpeedButton3");
  sSpeedButton3->setGeometry(114, 96, 100, 27);
  sSpeedButton3->setText("ZIP");
  sSpeedButton3->setHint("<b>Compress to Zip file</b><br>Select directory you want to compress and archive name.");
  sBitBtn2 = named(new TsBitBtn("Close", this), "sBitBtn2");
  sBitBtn2->setGeometry(219, 96, 100, 27);
  sLabel3 = named(new TsLabel("Progress:", this), "sLabel3");
  sLabel3->setGeometry(8, 134, 120, 16);
  sGauge1 = named(new TsGauge(this), "sGauge1");
  sGauge1->setGeometry(0, 156, 327, 23);

  OpenDialog1 = new TFileDialogComponent(TFileDialogComponent::Kind::Open, this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setDefaultExt("zip");
  OpenDialog1->setFilter(QString::fromUtf8("Zip Архивы|*.zip|SFX-EXE|*.exe|Все файлы|*.*"));
  sSaveDialog1 = new TFileDialogComponent(TFileDialogComponent::Kind::Save, this);
  sSaveDialog1->setObjectName("sSaveDialog1");
  sSaveDialog1->setDefaultExt(".zip");
  sSaveDialog1->setFilter(QString::fromUtf8("Zip архив|*.zip|Все файлы|*.*"));
  sSaveDialog1->setTitle(QString::fromUtf8("Создание нового архива..."));
  sPathDialog1 = new TsPathDialog(this);
  sPathDialog1->setObjectName("sPathDialog1");

  TZipArchiver& a = *archiver_;
  a.Name = "Archiver";
  a.setCompressionLevel(TZipCompressionLevel::clMax);
  a.setCompressionMode(9);
  a.Zip64Mode = TZip64Mode::zmDisabled;
  a.SpanningMode = TZipSpanningMode::smNone;
  a.ExtractCorruptedFiles = false;
  a.FileMasks = {"*.*"};
  a.Options.OEMFileNames = true;
  a.Options.FlushBuffers = true;
  a.Dialogs = &dialogs_;
  a.OnOverallProgress = [this](TZipBaseArchiver&, double progress, TZipProcessOperation, TZipProgressPhase, bool&) {
    ArchiverOverallProgress(progress);
  };

  connect(sSpeedButton1, &QToolButton::clicked, this, &TForm2::sSpeedButton1Click);
  connect(sSpeedButton2, &QToolButton::clicked, this, &TForm2::sSpeedButton2Click);
  connect(sBitBtn1, &QPushButton::clicked, this, &TForm2::sBitBtn1Click);
  connect(sSpeedButton3, &QToolButton::clicked, this, &TForm2::sSpeedButton3Click);
  connect(sBitBtn2, &QPushButton::clicked, this, &TForm2::sBitBtn2Click);
}

TForm2::~TForm2() = default;

std::optional<QString> TForm2::runDialog(TFileDialogComponent& dialog) {
  if (DialogAnswer) return DialogAnswer(dialog);
  return dialog.Execute(this);
}

void TForm2::showError(const QString& text) {
  if (ErrorAnswer) return ErrorAnswer(text);
  skin::showErrorMessage(this, text);
}

void TForm2::showInformation(const QString& text) {
  if (InformationAnswer) return InformationAnswer(text);
  skin::showInformationMessage(this, text);
}

void TForm2::ArchiverOverallProgress(double progress) {
  // Nearest integer, ties to even.
  sGauge1->setValue(static_cast<int>(std::nearbyint(progress)));
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm2::sSpeedButton1Click() {
  if (auto path = runDialog(*OpenDialog1)) sEdit1->setText(*path);
}

void TForm2::sSpeedButton2Click() {
  sPathDialog1->setTitle(QString::fromStdString(i18n::ConstantText("MessageSelDir")));
  if (auto path = runDialog(*sPathDialog1)) sEdit2->setText(*path);
}

void TForm2::sBitBtn1Click() {
  // An empty field would extract into whatever folder the program was started from, which the reader
  // neither chose nor sees.
  if (sEdit2->text().trimmed().isEmpty()) {
    showError(QString::fromStdString(i18n::ConstantText("MessageNoDir")));
    return;
  }
  TZipArchiver& a = *archiver_;
  try {
    a.Options.OverwriteMode = TZipOverwriteMode::omAlways;
    a.FileName = sEdit1->text().toStdString();
    a.BaseDir = sEdit2->text().toStdString();
    a.Open(kZipOpenRead);
    sBitBtn2->setEnabled(false);
    a.ExtractMatching("*.*", ZipAttr::kAllFiles, "");
    a.Close();
  } catch (const std::exception& e) {
    sBitBtn2->setEnabled(true);
    try {
      a.Close();
    } catch (...) {
      // The first failure is the one worth reporting.
    }
    showError(QString::fromStdString(e.what()));
    return;
  }
  sBitBtn2->setEnabled(true);
}

void TForm2::sSpeedButton3Click() {
  sPathDialog1->setTitle(QString::fromStdString(i18n::ConstantText("MessageSelComp")));
  const auto folder = runDialog(*sPathDialog1);
  if (!folder) return;
  const auto archive = runDialog(*sSaveDialog1);
  if (!archive) return;
  try {
    CompressFolder(*folder, *archive);
  } catch (const std::exception& e) {
    showError(QString::fromStdString(e.what()));
  }
}

void TForm2::sBitBtn2Click() {
  hide();
}

void TForm2::CompressFolder(const QString& folder, const QString& archive) {
  // A component of its own, without a name (so its messages carry none) and without a progress handler.
  TZipArchiver archiver;
  archiver.Dialogs = &dialogs_;
  // After Abort nothing was written, so there is no completion to report.
  if (compressFolderInto(archiver, folder.toStdString(), archive.toStdString()))
    showInformation(QString::fromStdString(i18n::ConstantText("CompressFin")));
}

bool runCompressSwitch(TForm2& form, const QStringList& arguments) {
  if (arguments.isEmpty() || arguments[0] != QLatin1String("/Compress")) return false;
  form.CompressFolder(arguments.value(1), arguments.value(2));
  return true;
}

bool runCompressSwitch(const QStringList& arguments, QWidget* parent,
                       const std::function<void(const QString&)>& inform) {
  if (arguments.isEmpty() || arguments[0] != QLatin1String("/Compress")) return false;
  TZipArchiver archiver;
  archiver.Dialogs = &TZipQtDialogs::shared();
  if (!compressFolderInto(archiver, arguments.value(1).toStdString(), arguments.value(2).toStdString()))
    return true;
  const QString text = QString::fromStdString(i18n::ConstantText("CompressFin"));
  if (inform)
    inform(text);
  else
    skin::showInformationMessage(parent, text);
  return true;
}

}  // namespace lumora::archive
