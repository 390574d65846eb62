#include "app/splash_window.h"

#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "app/icons.h"
#include "core/program_values.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "skin/controls.h"

namespace lumora::app {

TfrmAbout::TfrmAbout(QWidget* mainWindow, bool splashSwitchedOff, QWidget* parent)
    : QDialog(parent), mainWindow_(mainWindow) {
  buildWindow();
  LangManager = new i18n::TLanguageController(this, "LangManager", i18n::splashWindowTable());
  LangManager->loaded();
  // FormCreate
  if (core::programValues().firstArgument() != "/NoSplash" && !splashSwitchedOff) {
    shown_ = true;
    // Modal, and waited for here; a splash that closed while it was being shown is not waited for.
    setWindowModality(Qt::ApplicationModal);
    show();
    if (isVisible()) {
      QEventLoop loop;
      connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
      loop.exec(QEventLoop::DialogExec);
    }
  }
}

void TfrmAbout::buildWindow() {
  setObjectName("frmAbout");
  setWindowTitle("About");
  setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
  setFixedSize(309, 154);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(209, 209, 209));
  setPalette(pal);
  setAutoFillBackground(true);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }

  auto* panel = new QFrame(this);
  panel->setObjectName("sPanel1");
  panel->setFrameShape(QFrame::Box);
  panel->setGeometry(rect());
  sPanel1 = panel;

  Image1 = new QLabel(sPanel1);
  Image1->setObjectName("Image1");
  Image1->setGeometry(8, 8, 32, 32);
  Image1->setPixmap(applicationIcon().pixmap(32, 32));

  sLabelFX1 = new skin::TsLabel("Lumora Studio", sPanel1);
  sLabelFX1->setObjectName("sLabelFX1");
  sLabelFX1->setGeometry(80, 8, 146, 28);
  QFont bold = sLabelFX1->font();
  bold.setBold(true);
  bold.setPixelSize(16);
  sLabelFX1->setFont(bold);

  sLabel2 = new skin::TsLabel(
      "Lumora Viewer reads HTML publications shipped in a folder, together with the reader.",
      sPanel1);
  sLabel2->setObjectName("sLabel2");
  sLabel2->setGeometry(40, 40, 249, 57);
  sLabel2->setWordWrap(true);

  sWebLabel2 = new skin::TsLabel("Lumora Viewer for Linux", sPanel1);
  sWebLabel2->setObjectName("sWebLabel2");
  sWebLabel2->setGeometry(64, 96, 181, 16);
  sWebLabel2->setAlignment(Qt::AlignCenter);
  sWebLabel1 = new skin::TsLabel("A reader for publications in a folder", sPanel1);
  sWebLabel1->setObjectName("sWebLabel1");
  sWebLabel1->setGeometry(40, 112, 229, 16);
  sWebLabel1->setAlignment(Qt::AlignCenter);

  sGauge1 = new skin::TsGauge(sPanel1);
  sGauge1->setObjectName("sGauge1");
  sGauge1->setGeometry(1, height() - 16, width() - 2, 15);
  sGauge1->setValue(0);
  sGauge1->setStyleSheet("QProgressBar::chunk { background: black; }");
  sGauge1->setVisible(false);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(6000);
  Timer2 = new QTimer(this);
  Timer2->setObjectName("Timer2");
  Timer2->setInterval(57);
  sSkinProvider1 = new QObject(this);
  sSkinProvider1->setObjectName("sSkinProvider1");
  connect(Timer1, &QTimer::timeout, this, &TfrmAbout::Timer1Timer);
  connect(Timer2, &QTimer::timeout, this, &TfrmAbout::Timer2Timer);
}

void TfrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // FormShow
  Timer1->start();
  Timer2->start();
  sGauge1->setVisible(true);
}

void TfrmAbout::Timer2Timer() { sGauge1->setValue(std::min(100, sGauge1->value() + 1)); }

void TfrmAbout::Timer1Timer() {
  accept();
  if (mainWindow_ != nullptr) mainWindow_->show();
  Timer1->stop();
  Timer2->stop();
}

}  // namespace lumora::app
