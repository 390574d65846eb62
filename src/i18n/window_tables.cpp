#include "i18n/window_tables.h"

#include "i18n/lang_data.h"

namespace lumora::i18n {

namespace {

const std::vector<std::string> kCommonIgnoreList = {
    "*.CommonSections", "*.DefFontName", "*.DefPreFontName", "*.Font.Name", "*.SkinData.SkinSection", "*.Suffix",
    "HelpDispatcher1.*", "N1.Caption", "N2.Caption", "N3.Caption", "sSkinManager1.*", "sSkinProvider1.*",
    "sSkinProvider1.TitleButtons[0].Name", "sWebLabel1.*", "sWebLabel2.*", "ToolButton10.Caption"};

std::vector<std::string> mainIgnoreList() {
  std::vector<std::string> list = kCommonIgnoreList;
  for (const char* mask : {"*.SkinSection", "Archiver.*", "Form1.Caption", "sLabelFX1.Caption", "sPathDialog.Root",
                           "sRadioGroup1.Items", "sToolBar1.*", "sToolBar2.*", "ToolButton5.Caption"}) {
    list.push_back(mask);
  }
  return list;
}

}  // namespace

const WindowTable& mainWindowTable() {
  static const WindowTable table{
      "Form1",
      {{1, "Caption"}},
      {
          {"sToolBar1", {}},
          {"ToolButton1", {{9, "Hint"}, {10, "Caption"}}},
          {"ToolButton2", {{11, "Hint"}, {12, "Caption"}}},
          {"ToolButton3", {{13, "Hint"}, {14, "Caption"}}},
          {"ToolButton4", {{15, "Hint"}, {16, "Caption"}}},
          {"ToolButton5", {}},
          {"ToolButton7", {{18, "Hint"}, {19, "Caption"}}},
          {"ToolButton9", {{20, "Hint"}, {21, "Caption"}}},
          {"ToolButton10", {}},
          {"ToolButton8", {{26, "Caption"}, {495, "Hint"}}},
          {"PaintFrame", {}},
          {"FrameViewer1", {}},
          {"sToolBar2", {}},
          {"ToolButton11", {{507, "Hint"}}},
          {"ToolButton12", {{502, "Hint"}}},
          {"ToolButton13", {{503, "Hint"}}},
          {"ToolButton14", {{504, "Hint"}}},
          {"sTrackBar1", {{505, "Hint"}}},
          {"Image1", {}},
          {"sTrackBar2", {{506, "Hint"}}},
          {"sLabelFX1", {}},
          {"sStatusBar1", {}},
          {"sGauge1", {{4, "Hint"}}},
          {"PopupMenu1", {}},
          {"N1", {}},
          {"ZIP1", {{479, "Caption"}}},
          {"N2", {}},
          {"N3", {}},
          {"PopupMenu2", {}},
          {"RestoreItem", {{490, "Caption"}}},
          {"HideItem", {{491, "Caption"}}},
          {"N4", {{494, "Caption"}}},
          {"Closew", {{493, "Caption"}}},
          {"HelpDispatcher1", {}},
          {"sSkinManager1", {}},
          {"sSkinProvider1", {}},
          {"sHintManager1", {}},
          {"TimerRender", {}},
          {"Timer1", {}},
          {"OpenDialog1", {{489, "Filter"}}},
          {"ImageList1", {}},
          {"ImageList2", {}},
      },
      mainIgnoreList()};
  return table;
}

const WindowTable& settingsDialogTable() {
  static const WindowTable table{
      "frmConfig",
      {{1, "Caption"}},
      {
          {"sButton3", {{44, "Caption"}}},
          {"sButton1", {{3, "Caption"}}},
          {"sButton2", {{5, "Caption"}}},
          {"sPageControl1", {}},
          {"sTabSheet1", {{8, "Caption"}}},
          {"sLabel1", {{10, "Caption"}}},
          {"sEdit1", {{13, "Text"}}},
          {"sCheckBox3", {{16, "Caption"}}},
          {"sCheckBox1", {{19, "Caption"}, {18, "Hint"}}},
          {"sCheckBox2", {{22, "Caption"}, {21, "Hint"}}},
          {"sStickyLabel1", {{50, "Caption"}}},
          {"cbLanguage", {}},
          {"sTabSheet2", {{24, "Caption"}}},
          {"sCheckBox4", {{33, "Caption"}, {32, "Hint"}}},
          {"sLabel4", {{26, "Caption"}}},
          {"sComboBox1", {}},
          {"sLabel3", {{30, "Caption"}}},
          {"sLabel2", {{28, "Caption"}}},
          {"sTabSheet3", {{38, "Caption"}}},
          {"sLabel5", {{39, "Caption"}}},
          {"sCheckBox5", {{42, "Caption"}, {41, "Hint"}}},
          {"sTabSheet4", {{51, "Caption"}}},
          {"sLabelFX1", {{52, "Caption"}}},
          {"sComboBox2", {}},
          {"sCheckBox6", {{54, "Caption"}}},
          {"sGroupBox1", {{53, "Caption"}}},
          {"sFilenameEdit1", {{55, "Filter"}}},
          {"sCheckBox7", {{56, "Caption"}}},
          {"sRadioGroup1", {{57, "Caption"}, {58, "Items"}}},
          {"Timer1", {}},
          {"sSkinProvider1", {}},
      },
      kCommonIgnoreList};
  return table;
}

const WindowTable& splashWindowTable() {
  static const WindowTable table{"frmAbout",
                                 {{1, "Caption"}},
                                 {
                                     {"sPanel1", {}},
                                     {"sWebLabel2", {}},
                                     {"sWebLabel1", {}},
                                     {"sLabel2", {{12, "Caption"}}},
                                     {"sGauge1", {}},
                                     {"sSkinProvider1", {}},
                                     {"Timer1", {}},
                                     {"Timer2", {}},
                                     {"sLabelFX1", {{13, "Caption"}}},
                                     {"Image1", {}},
                                 },
                                 kCommonIgnoreList};
  return table;
}

const WindowTable& archiverWindowTable() {
  static const WindowTable table{"Form2",
                                 {{1, "Caption"}},
                                 {
                                     {"sLabel1", {{5, "Caption"}}},
                                     {"sEdit1", {}},
                                     {"sSpeedButton1", {{11, "Hint"}}},
                                     {"sLabel2", {{7, "Caption"}}},
                                     {"sEdit2", {}},
                                     {"sSpeedButton2", {{13, "Hint"}}},
                                     {"sBitBtn1", {{17, "Caption"}}},
                                     {"sSpeedButton3", {{15, "Hint"}}},
                                     {"sBitBtn2", {{19, "Caption"}}},
                                     {"sLabel3", {{9, "Caption"}}},
                                     {"sGauge1", {}},
                                     {"OpenDialog1", {{35, "DefaultExt"}, {36, "Filter"}}},
                                     {"sSaveDialog1", {{30, "DefaultExt"}, {31, "Filter"}, {32, "Title"}}},
                                     {"sPathDialog1", {{33, "Root"}, {34, "Caption"}}},
                                     {"Archiver", {{28, "CurrentVersion"}, {29, "FileMasks"}}},
                                     {"sSkinProvider1", {}},
                                 },
                                 kCommonIgnoreList};
  return table;
}

std::string langDataOf(const WindowTable& table) {
  TLang_CompEntry root;
  root.name = table.windowName;
  for (const WindowTableEntry& e : table.windowEntries) root.addProp(e.id, e.path);
  for (const WindowTableComponent& c : table.components) {
    auto child = std::make_unique<TLang_CompEntry>();
    child->name = c.name;
    for (const WindowTableEntry& e : c.entries) child->addProp(e.id, e.path);
    root.children.push_back(std::move(child));
  }
  return writeLangData(root);
}

}  // namespace lumora::i18n
