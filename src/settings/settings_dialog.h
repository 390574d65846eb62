#pragma once
// The settings dialog TfrmConfig. Created hidden at start, where its creation reads most of the settings
// file; its controls hold the live settings that the main window writes back when it closes.

#include <QDialog>

#include <functional>

#include "settings/settings_keys.h"

class QComboBox;
class QTimer;

namespace lumora::skin {
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
}
namespace lumora::i18n {
class TLanguageController;
}

namespace lumora::settings {

class TConfigHost;

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
  skin::TsButton* sButton1;
  skin::TsButton* sButton2;
  skin::TsButton* sButton3;
  skin::TsPageControl* sPageControl1;
  skin::TsTabSheet* sTabSheet1;
  skin::TsTabSheet* sTabSheet2;
  skin::TsTabSheet* sTabSheet3;
  skin::TsTabSheet* sTabSheet4;
  skin::TsLabel* sLabel1;
  skin::TsEdit* sEdit1;
  skin::TsCheckBox* sCheckBox1;
  skin::TsCheckBox* sCheckBox2;
  skin::TsCheckBox* sCheckBox3;
  skin::TsLabel* sStickyLabel1;
  skin::TsComboBox* cbLanguage;
  skin::TsCheckBox* sCheckBox4;
  skin::TsLabel* sLabel4;
  skin::TsComboBox* sComboBox1;
  skin::TsLabel* sLabel3;
  skin::TsLabel* sLabel2;
  skin::TsLabel* sLabel5;
  skin::TsCheckBox* sCheckBox5;
  skin::TsLabel* sLabelFX1;
  skin::TsComboBox* sComboBox2;
  skin::TsCheckBox* sCheckBox6;
  skin::TsGroupBox* sGroupBox1;
  skin::TsFilenameEdit* sFilenameEdit1;
  skin::TsCheckBox* sCheckBox7;
  skin::TsRadioGroup* sRadioGroup1;
  QTimer* Timer1;
  QObject* sSkinProvider1;
  i18n::TLanguageController* LangManagers;

 public slots:
  void sButton1Click();
  void sButton2Click();
  void sButton3Click();
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
  void placeButtons();
  // The skin name the skin list's text stands for (a built-in skin's entry carries a note).
  QString chosenSkinName() const;

  TConfigHost& host_;
  QString settingsFile_;
  QString captionBeforeLanguage_;
};

}  // namespace lumora::settings
