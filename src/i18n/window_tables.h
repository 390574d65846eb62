#pragma once
// The translation tables of the four windows: which property of which component carries which ID. They are
// the contract with every language file, so they are fixed data of the program, kept in LangData form.

#include <string>
#include <vector>

namespace lumora::i18n {

struct WindowTableEntry {
  int id;
  const char* path;
};

struct WindowTableComponent {
  const char* name;
  std::vector<WindowTableEntry> entries;
};

struct WindowTable {
  const char* windowName;
  std::vector<WindowTableEntry> windowEntries;
  std::vector<WindowTableComponent> components;  // in the window's component order
  std::vector<std::string> ignoreList;           // property paths that never become entries
};

const WindowTable& mainWindowTable();      // "Form1"
const WindowTable& settingsDialogTable();  // "frmConfig"
const WindowTable& splashWindowTable();    // "frmAbout"
const WindowTable& archiverWindowTable();  // "Form2"

// The stored form of a table.
std::string langDataOf(const WindowTable& table);

}  // namespace lumora::i18n
