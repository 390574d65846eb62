#pragma once
// The splash window TfrmAbout: shown modally for six seconds at start unless switched off, with a gauge
// that fills meanwhile; when it closes the main window appears.

#include <QDialog>

class QLabel;
class QTimer;

namespace lumora::skin {
class TsGauge;
class TsLabel;
}
namespace lumora::i18n {
class TLanguageController;
}

namespace lumora::app {


class TfrmAbout : public QDialog {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)
 public:
  // `mainWindow` is shown when the splash ends; `splashSwitchedOff` is the settings dialog's
  // "Turn-off splash screen" box. The creation shows the splash (and waits) unless it is off.
  TfrmAbout(QWidget* mainWindow, bool splashSwitchedOff, QWidget* parent = nullptr);

  // Whether the creation showed the splash.
  bool wasShown() const { return shown_; }

  QWidget* sPanel1;
  QLabel* Image1;
  skin::TsLabel* sLabelFX1;
  skin::TsLabel* sLabel2;
  skin::TsLabel* sWebLabel2;
  skin::TsLabel* sWebLabel1;
  skin::TsGauge* sGauge1;
  QTimer* Timer1;
  QTimer* Timer2;
  QObject* sSkinProvider1;
  i18n::TLanguageController* LangManager;

 public slots:
  void Timer1Timer();
  void Timer2Timer();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildWindow();
  QWidget* mainWindow_;
  bool shown_ = false;
};

}  // namespace lumora::app
