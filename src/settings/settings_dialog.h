#pragma once
// The settings dialog TfrmConfig. Created hidden at start, where its creation reads most of the settings
// file; its controls hold the live settings that the main window writes back when it closes.

#include <QDialog>

#include <functional>

#include "settings/settings_keys.h"

class QComboBox;
class QTimer;

namespace lumora {

class TConfigHost;
class TsButton;
class TsCheckBox;
class TsComboBox;
class TsEdit;
class TsFilenameEdit;
class TsGroupBox;
class TsLabel;
class TsPageControl;
class TsRadioGroup;
class TsTabSheet;
class TLanguageController;

class TfrmConfig : public QDialog {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)
 public:
  // `settingsFile` is the settings file's path; the creation steps run here.
  TfrmConfig(TConfigHost& host, QString settingsFile, QWidget* parent = nullptr);

  // The values the main window's close writes, as the dialog's controls and the main window hold them.
  settings::ClosingValues closingValues() const;

  // Chooses the skin folder when the first entry of the skin list is picked; tests replace it.
  std::function<QString(const QString& prompt)> chooseFolder;

  // Components (named as language files and tests address them).
  TsButton* sButton1;
  TsButton* sButton2;
  TsButton* sButton3;
  TsPageControl* sPageControl1;
  TsTabSheet* sTabSheet1;
  TsTabSheet* sTabSheet2;
  TsTabSheet* sTabSheet3;
  TsTabSheet* sTabSheet4;
  TsLabel* sLabel1;
  TsEdit* sEdit1;
  TsCheckBox* sCheckBox1;
  TsCheckBox* sCheckBox2;
  TsCheckBox* sCheckBox3;
  TsLabel* sStickyLabel1;
  TsComboBox* cbLanguage;
  TsCheckBox* sCheckBox4;
  TsLabel* sLabel4;
  TsComboBox* sComboBox1;
  TsLabel* sLabel3;
  TsLabel* sLabel2;
  TsLabel* sLabel5;
  TsCheckBox* sCheckBox5;
  TsLabel* sLabelFX1;
  TsComboBox* sComboBox2;
  TsCheckBox* sCheckBox6;
  TsGroupBox* sGroupBox1;
  TsFilenameEdit* sFilenameEdit1;
  TsCheckBox* sCheckBox7;
  TsRadioGroup* sRadioGroup1;
  QTimer* Timer1;
  QObject* sSkinProvider1;
  TLanguageController* LangManagers;

 public slots:
  void sButton1Click();
  void sButton2Click();
  void sCheckBox6Click();
  void sCheckBox7Click();
  void sComboBox1Change(int index);
  void cbLanguageChange(int index);

 protected:
  // Every close (Apply, Cancel, the close box, Escape) hands caption, toolbar captions and skin to the
  // main window.
  void done(int result) override;

 private:
  void buildWindow();
  void FormCreate();

  TConfigHost& host_;
  QString settingsFile_;
};

}  // namespace lumora
