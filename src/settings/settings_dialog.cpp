#include "settings/settings_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QPalette>
#include <QTimer>

#include <algorithm>

#include "audio/sound_library.h"
#include "audio/sound_setup.h"
#include "audio/ui/sound_settings_ui.h"
#include "core/program_values.h"
#include "i18n/language_constants.h"
#include "i18n/language_manager.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "skin/message_box.h"
#include "settings/config_host.h"
#include "settings/ini_file.h"
#include "skin/controls.h"
#include "skin/dialog_start.h"
#include "skin/skin_manager.h"
#include "skin/skin_style.h"

namespace lumora::settings {

namespace {

template <typename T, typename... Args>
T* make(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
  T* widget = new T(std::forward<Args>(args)..., parent);
  widget->setObjectName(name);
  if (geometry.isValid()) widget->setGeometry(geometry);
  return widget;
}

QString fromUtf8(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TfrmConfig::TfrmConfig(TConfigHost& host, QString settingsFile, QWidget* parent)
    : QDialog(parent), host_(host), settingsFile_(std::move(settingsFile)) {
  buildWindow();
  LangManagers = new i18n::TLanguageController(this, "LangManagers", i18n::settingsDialogTable());
  LangManagers->loaded();
  // The caption box holds the publication's caption (read from the settings file or typed): a language
  // would put the translation of the definition's text there, which the close then gives the main window
  // and writes to the settings file. The box keeps its text; the buttons make room for their captions.
  connect(LangManagers, &i18n::TLanguageController::OnLanguageChanging, this,
          [this] { captionBeforeLanguage_ = sEdit1->text(); });
  connect(LangManagers, &i18n::TLanguageController::OnLanguageChanged, this, [this] {
    sEdit1->setText(captionBeforeLanguage_);
    placeButtons();
  });
  chooseFolder = [this](const QString& prompt) {
    const skin::TsSkinManager* skins = host_.skinManager();
    return QFileDialog::getExistingDirectory(this, prompt,
                                             skin::dialogStart(skins ? skins->SkinDirectory() : QString()).folder);
  };
  FormCreate();
}

void TfrmConfig::buildWindow() {
  setObjectName("frmConfig");
  setWindowTitle("Settings");
  setFixedSize(376, 331);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setModal(true);
  skin::setFormColor(this, QColor(217, 232, 237));

  sButton3 = make<skin::TsButton>(this, "sButton3", QRect(8, 298, 75, 25), QString("Help"));
  sButton1 = make<skin::TsButton>(this, "sButton1", QRect(212, 298, 75, 25), QString("Apply"));
  sButton2 = make<skin::TsButton>(this, "sButton2", QRect(293, 298, 75, 25), QString("Cancel"));
  sButton1->setDefault(true);
  placeButtons();

  sPageControl1 = make<skin::TsPageControl>(this, "sPageControl1", QRect(8, 8, 360, 282));
  sTabSheet1 = make<skin::TsTabSheet>(nullptr, "sTabSheet1", QRect(), QString("Basic"));
  sTabSheet2 = make<skin::TsTabSheet>(nullptr, "sTabSheet2", QRect(), QString("Interface"));
  sTabSheet3 = make<skin::TsTabSheet>(nullptr, "sTabSheet3", QRect(), QString("Safety"));
  sTabSheet4 = make<skin::TsTabSheet>(nullptr, "sTabSheet4", QRect(), QString("Sound"));
  for (skin::TsTabSheet* sheet : {sTabSheet1, sTabSheet2, sTabSheet3, sTabSheet4}) sPageControl1->addSheet(sheet);
  sPageControl1->setCurrentIndex(0);

  // Basic
  sLabel1 = make<skin::TsLabel>(sTabSheet1, "sLabel1", QRect(12, 12, 320, 16), QString("Window Caption:"));
  sEdit1 = make<skin::TsEdit>(sTabSheet1, "sEdit1", QRect(12, 30, 324, 22));
  sEdit1->setText("Lumora version 2.0");
  sCheckBox3 = make<skin::TsCheckBox>(sTabSheet1, "sCheckBox3", QRect(12, 64, 320, 20), QString("Show toolbar captions"));
  sCheckBox3->setChecked(true);
  sCheckBox1 = make<skin::TsCheckBox>(sTabSheet1, "sCheckBox1", QRect(12, 88, 320, 20), QString("CD-Mode"));
  sCheckBox1->setToolTip("In this mode the settings don't save after exit.");
  sCheckBox2 = make<skin::TsCheckBox>(sTabSheet1, "sCheckBox2", QRect(12, 112, 320, 20), QString("Turn-off splash screen"));
  sCheckBox2->setToolTip("Do not display splash screen at program start-up.");
  sStickyLabel1 = make<skin::TsLabel>(sTabSheet1, "sStickyLabel1", QRect(12, 150, 320, 16), QString("Language:"));
  cbLanguage = make<skin::TsComboBox>(sTabSheet1, "cbLanguage", QRect(12, 168, 220, 22));

  // Interface
  sCheckBox4 = make<skin::TsCheckBox>(sTabSheet2, "sCheckBox4", QRect(12, 12, 320, 20), QString("Active skin mode"));
  sCheckBox4->setChecked(true);
  sCheckBox4->setToolTip("Turn on customizable skined interface.");
  sLabel4 = make<skin::TsLabel>(sTabSheet2, "sLabel4", QRect(12, 44, 320, 16), QString("Current skin:"));
  sComboBox1 = make<skin::TsComboBox>(sTabSheet2, "sComboBox1", QRect(12, 62, 324, 22));
  sComboBox1->setEditable(true);
  sLabel3 = make<skin::TsLabel>(sTabSheet2, "sLabel3", QRect(12, 92, 324, 32),
                          QString("Note: Text internal means that this skin is built-in."));
  sLabel3->setWordWrap(true);
  sLabel2 = make<skin::TsLabel>(sTabSheet2, "sLabel2", QRect(12, 126, 324, 48),
                          QString("You can use both internal or external skins. Also you can load skins form "
                                  "different directory."));
  sLabel2->setWordWrap(true);

  // Safety
  sLabel5 = make<skin::TsLabel>(sTabSheet3, "sLabel5", QRect(12, 12, 324, 44),
                          QString("This function enables you to deny changing of settings by blocking Settings "
                                  "button."));
  sLabel5->setWordWrap(true);
  sCheckBox5 = make<skin::TsCheckBox>(sTabSheet3, "sCheckBox5", QRect(12, 64, 320, 20), QString("Block \"Settings\" button"));
  sCheckBox5->setToolTip(
      "<b>Block \"Settings\" button</b><br>If you check this box, the Settings <br>button will be greyed and "
      "disabled. <br>You can turn this mode off only by<br> changing BlockConfig value<br> back to 0 in "
      "lumora.ini file!");

  // Sound
  sLabelFX1 = make<skin::TsLabel>(sTabSheet4, "sLabelFX1", QRect(12, 12, 320, 16), QString("Sound card:"));
  sComboBox2 = make<skin::TsComboBox>(sTabSheet4, "sComboBox2", QRect(12, 30, 324, 22));
  sCheckBox6 = make<skin::TsCheckBox>(sTabSheet4, "sCheckBox6", QRect(12, 62, 320, 20), QString("Play background music"));
  sGroupBox1 = make<skin::TsGroupBox>(sTabSheet4, "sGroupBox1", QRect(12, 86, 324, 82), QString("Play file:"));
  sGroupBox1->setVisible(false);
  sFilenameEdit1 = make<skin::TsFilenameEdit>(sGroupBox1, "sFilenameEdit1", QRect(10, 22, 304, 24));
  sFilenameEdit1->setMaxLength(255);
  sFilenameEdit1->setFilter("MP3/MP2/MP1/OGG/WAV/AIFF|*.MP3;*.MP2;*.MP1;*.OGG;*.WAV;*.AIFF|*.*|*.*");
  sCheckBox7 = make<skin::TsCheckBox>(sGroupBox1, "sCheckBox7", QRect(10, 52, 300, 20), QString("Loop playback"));
  sCheckBox7->setChecked(true);
  sRadioGroup1 = make<skin::TsRadioGroup>(sTabSheet4, "sRadioGroup1", QRect(12, 174, 324, 52), QString("Read tags:"), 2);
  sRadioGroup1->setItems("ID3v1\r\nID3v2\r\n");
  sRadioGroup1->setItemIndex(0);

  // Restarts looping background music; runs while the dialog is hidden too.
  Timer1 = audio::installLoopTimer(this);
  sSkinProvider1 = new QObject(this);
  sSkinProvider1->setObjectName("sSkinProvider1");

  connect(sButton1, &QPushButton::clicked, this, &TfrmConfig::sButton1Click);
  connect(sButton2, &QPushButton::clicked, this, &TfrmConfig::sButton2Click);
  connect(sButton3, &QPushButton::clicked, this, &TfrmConfig::sButton3Click);
  connect(sCheckBox6, &QCheckBox::clicked, this, &TfrmConfig::sCheckBox6Click);
  connect(sCheckBox7, &QCheckBox::clicked, this, &TfrmConfig::sCheckBox7Click);
  connect(sComboBox1, qOverload<int>(&QComboBox::activated), this, &TfrmConfig::sComboBox1Change);
  connect(cbLanguage, qOverload<int>(&QComboBox::activated), this, &TfrmConfig::cbLanguageChange);
}

void TfrmConfig::FormCreate() {
  using namespace settings;
  core::ProgramValues& program = core::programValues();

  // Languages: the built-in one, then the language files of the publication's "Lang" folder.
  i18n::TLanguageManager& languages = i18n::LangManager();
  std::vector<std::string> unreadable;
  languages.ScanLanguageFiles(program.AppFolder + "Lang/", "*.lng", false, &unreadable);
  if (!unreadable.empty()) {
    QStringList messages;
    for (const std::string& message : unreadable) messages << QString::fromStdString(message);
    skin::showErrorMessage(this, messages.join("\n"));
  }
  for (int i = 0; i < languages.LanguageListCount(); ++i) {
    cbLanguage->addItem(QString::fromStdString(languages.LanguageNameAt(i)));
  }
  cbLanguage->setCurrentIndex(0);

  // Sound cards: position = device number.
  sComboBox2->addItems(audio::soundCardList());

  // Open the settings file.
  const TIniFile ini(settingsFile_.toStdString());

  // Language position.
  const int langId = ini.readInteger(FormLangID.section, FormLangID.name, 0);
  cbLanguage->setCurrentIndex(langId >= 0 && langId < cbLanguage->count() ? langId : -1);

  // Skin folder and first skin: the publication's own "Skins" folder with the stored name when started
  // with "/edit", else ".\Skins" and the first skin found.
  skin::TsSkinManager* skins = host_.skinManager();
  QStringList skinNames;
  if (skins != nullptr) {
    if (!program.Arguments.empty() && program.Arguments.front() == "/edit") {
      skins->setSkinDirectory(fromUtf8(program.AppFolder) + "Skins\\");
      skins->ListSkinNames(skinNames);
      skins->setSkinName(fromUtf8(ini.readString(FormSkinFile.section, FormSkinFile.name, kSkinFileDefault)));
    } else {
      skins->setSkinDirectory(".\\Skins");
      skins->setSkinName(skins->ListSkinNames(skinNames));
    }
  }
  // The skin list: the folder entry, then the names.
  sComboBox1->clear();
  sComboBox1->addItem(fromUtf8(i18n::ConstantText("SkinDir")));
  for (const QString& name : skinNames) sComboBox1->addItem(skin::TsSkinManager::listEntry(name));
  if (skinNames.isEmpty()) {
    sComboBox1->addItem(fromUtf8(i18n::ConstantText("NoSkins")));
    sComboBox1->setCurrentIndex(0);
  } else {
    sComboBox1->setCurrentIndex(skins ? static_cast<int>(skinNames.indexOf(skins->SkinName())) + 1 : 0);
  }

  // Caption box.
  sEdit1->setText(fromUtf8(ini.readString(FormCaption.section, FormCaption.name, kDialogCaptionDefault)));

  // Check boxes; CD mode takes effect for this whole run.
  sCheckBox4->setChecked(ini.readBool(FormSkined.section, FormSkined.name, false));
  sCheckBox3->setChecked(ini.readBool(FormShowCaptions.section, FormShowCaptions.name, kDialogShowCaptionsDefault));
  sCheckBox2->setChecked(ini.readBool(FormNoSplash.section, FormNoSplash.name, false));
  sCheckBox5->setChecked(ini.readBool(SafetyBlockConfig.section, SafetyBlockConfig.name, false));
  sCheckBox1->setChecked(ini.readBool(FormMode.section, FormMode.name, false));
  if (sCheckBox1->isChecked()) program.CdModeActive = true;

  // Skin list text and the skin manager's skin name.
  sComboBox1->setEditText(fromUtf8(ini.readString(FormSkinFile.section, FormSkinFile.name, kSkinFileDefault)));
  if (skins != nullptr) skins->setSkinName(chosenSkinName());

  // The main window's audio bar and volume slider.
  host_.setAudioBarShown(ini.readBool(PlayerActive.section, PlayerActive.name, false));
  host_.setVolumePosition(ini.readInteger(PlayerVolume.section, PlayerVolume.name, kVolumeDefault));

  // Background music.
  sCheckBox6->setChecked(ini.readBool(ExecutePlayBackground.section, ExecutePlayBackground.name, false));
  sGroupBox1->setVisible(sCheckBox6->isChecked());
  sFilenameEdit1->setText(fromUtf8(ini.readString(ExecuteBGPlay.section, ExecuteBGPlay.name, "")));

  // A blocked "Settings" button stays disabled until the program ends.
  if (sCheckBox5->isChecked()) host_.setSettingsButtonEnabled(false);

  // Looping.
  program.LoopEnabled = ini.readBool(ExecuteLoopMusic.section, ExecuteLoopMusic.name, kLoopMusicDefault);
  sCheckBox7->setChecked(program.LoopEnabled);

  // Tag version.
  program.TagVersion = ini.readInteger(ExecuteReadID3v.section, ExecuteReadID3v.name, 0);
  sRadioGroup1->setItemIndex(program.TagVersion);

  // Sound card: a value outside the list (or -1) selects position 1.
  const int device = ini.readInteger(ExecuteDevice.section, ExecuteDevice.name, kDeviceDefault);
  sComboBox2->setCurrentIndex(device >= 0 && device < sComboBox2->count() ? device : -1);
  if (sComboBox2->currentIndex() < 0) sComboBox2->setCurrentIndex(sComboBox2->count() > 1 ? 1 : -1);

  // The sound library on the chosen card.
  audio::startSoundSystem(sComboBox2->currentIndex());
  // The spectrum display, as large as the spectrum box.
  audio::createSpectrum(host_.paintFrameSize().width(), host_.paintFrameSize().height());
  // 18.
  audio::SND_SetVolume(static_cast<uint32_t>(std::max(0, host_.volumePosition())));
  // Background music.
  if (sCheckBox6->isChecked()) {
    audio::startBackgroundMusic(QFile::encodeName(sFilenameEdit1->text()).toStdString());
  }

  // The stored language; a broken language file is reported and the built-in language stays.
  if (cbLanguage->currentIndex() >= 0) {
    skin::runGuarded([&] { languages.SetCurrentLanguage(languages.LanguageIdAt(cbLanguage->currentIndex())); });
  }
  // The settings file is closed with `ini`.
}

void TfrmConfig::placeButtons() {
  // The definition's width, or what a translated caption needs; Apply and Cancel stay at the right edge.
  const auto width = [](const QPushButton* button) { return std::max(75, button->sizeHint().width()); };
  constexpr int kTop = 298, kHeight = 25, kRight = 368, kGap = 6;
  sButton2->setGeometry(kRight - width(sButton2), kTop, width(sButton2), kHeight);
  sButton1->setGeometry(sButton2->x() - kGap - width(sButton1), kTop, width(sButton1), kHeight);
  sButton3->setGeometry(8, kTop, width(sButton3), kHeight);
}

void TfrmConfig::cbLanguageChange(int index) {
  if (index < 0) return;
  skin::runGuarded([&] { i18n::LangManager().SetCurrentLanguage(i18n::LangManager().LanguageIdAt(index)); });
}

settings::ClosingValues TfrmConfig::closingValues() const {
  const core::ProgramValues& program = core::programValues();
  settings::ClosingValues v;
  v.caption = sEdit1->text().toStdString();
  v.showCaptions = sCheckBox3->isChecked();
  v.mode = sCheckBox1->isChecked();
  v.skined = sCheckBox4->isChecked();
  v.skinFile = chosenSkinName().toStdString();
  v.noSplash = sCheckBox2->isChecked();
  v.langId = cbLanguage->currentIndex();
  v.playerActive = host_.audioBarShown();
  v.volume = host_.volumePosition();
  v.device = sComboBox2->currentIndex();
  v.playBackground = sCheckBox6->isChecked();
  v.bgPlay = sFilenameEdit1->text().toStdString();
  // Stop ends looping for this run only; a checked box means looping at the next start.
  v.loopMusic = sCheckBox7->isChecked() || program.LoopEnabled;
  v.readId3v = program.TagVersion;
  v.blockConfig = sCheckBox5->isChecked();
  return v;
}

void TfrmConfig::sButton1Click() {
  host_.setMainCaption(sEdit1->text());
  core::programValues().TagVersion = sRadioGroup1->ItemIndex();
  // Another sound card restarts the sound system after a Yes; on No the dialog stays open.
  if (!audio::applySoundDevice(sComboBox2->currentIndex(), [this] { return audio::confirmChangeDevice(this); })) {
    return;
  }
  host_.setToolbarCaptionsShown(sCheckBox3->isChecked());
  if (skin::TsSkinManager* skins = host_.skinManager()) {
    skins->setActive(sCheckBox4->isChecked());
    skins->setSkinName(chosenSkinName());
  }
  accept();
}

void TfrmConfig::sButton2Click() { reject(); }

void TfrmConfig::done(int result) {
  host_.setMainCaption(sEdit1->text());
  host_.setToolbarCaptionsShown(sCheckBox3->isChecked());
  if (skin::TsSkinManager* skins = host_.skinManager()) {
    skins->setActive(sCheckBox4->isChecked());
    skins->setSkinName(chosenSkinName());
  }
  QDialog::done(result);
}

void TfrmConfig::sCheckBox6Click() { sGroupBox1->setVisible(sCheckBox6->isChecked()); }

void TfrmConfig::sCheckBox7Click() { core::programValues().LoopEnabled = sCheckBox7->isChecked(); }

void TfrmConfig::sButton3Click() { host_.ShowHelpTopic(QString(), QStringLiteral("importskin")); }

QString TfrmConfig::chosenSkinName() const { return skin::TsSkinManager::nameOfListEntry(sComboBox1->currentText()); }

void TfrmConfig::sComboBox1Change(int index) {
  skin::TsSkinManager* skins = host_.skinManager();
  if (skins == nullptr) return;
  if (index != 0) {
    const QString name = skin::TsSkinManager::nameOfListEntry(sComboBox1->itemText(index));
    // The box shows the name itself, which is also what the settings file keeps.
    sComboBox1->setEditText(name);
    skins->setSkinName(name);
    return;
  }
  const QString folder = chooseFolder(QString::fromStdString(i18n::ConstantText("MsgDir")));
  if (folder.isEmpty()) return;
  skins->setSkinDirectory(folder);
  QStringList names;
  skins->setSkinName(skins->ListSkinNames(names));
  sComboBox1->clear();
  sComboBox1->addItem("Skins directory...");
  for (const QString& name : names) sComboBox1->addItem(skin::TsSkinManager::listEntry(name));
  sComboBox1->setCurrentIndex(-1);
}

}  // namespace lumora::settings
