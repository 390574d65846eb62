// lumora-lang: a translator's tool.
//   lumora-lang check FILE.lng   reads the file as the reader does; prints the error the reader would show
//                                (exit status 1), or what it translates and leaves untranslated per window.
//   lumora-lang template         prints the language source text of the four windows and the constants:
//                                a starting point for a new translation.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "archive/archiver_window.h"
#include "i18n/lang_escape.h"
#include "i18n/lang_file.h"
#include "i18n/language_manager.h"
#include "i18n/language_names.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "settings/settings_dialog.h"
#include "skin/message_box.h"

namespace {

using namespace lumora;

int usage() {
  std::fprintf(stderr, "usage: lumora-lang check FILE.lng\n       lumora-lang template\n");
  return 2;
}

int check(const std::string& path) {
  std::ifstream probe(path, std::ios::binary);
  if (!probe) {
    std::fprintf(stderr, "lumora-lang: cannot read %s\n", path.c_str());
    return 1;
  }
  TLang_CompTranslations file;
  try {
    file = readLanguageText(readLanguageFile(path), false);
  } catch (const ELangError& e) {
    std::printf("Error: %s\n", e.what());
    return 1;
  }
  const int id = file.LanguageId() & 0xFFFF;
  if (id == 0) {
    std::printf("Error: no LANGID in the header; the reader does not list this file.\n");
    return 1;
  }
  std::printf("File: %s\nLanguage: %d %s\n", path.c_str(), id, languageName(id).c_str());

  std::string untranslated;
  std::string unknown;
  const TLang_Constants builtIn = readConstantsResource(builtInConstantsResource());
  int constantsDone = 0;
  for (const TLang_Constant& c : builtIn.items()) {
    if (file.constants.Find(c.name) != nullptr) ++constantsDone;
    else untranslated += "Untranslated: $CONSTANTS " + c.name + "\n";
  }
  for (const TLang_Constant& c : file.constants.items()) {
    if (builtIn.Find(c.name) == nullptr) unknown += "Unknown: $CONSTANTS " + c.name + "\n";
  }
  std::printf("Constants: %d of %zu translated\n", constantsDone, builtIn.items().size());

  for (const WindowTable* table : {&mainWindowTable(), &settingsDialogTable(), &splashWindowTable(), &archiverWindowTable()}) {
    const TLang_CompTranslation* section = file.Section(table->windowName);
    int total = 0;
    int done = 0;
    const auto visit = [&](const std::string& component, const WindowTableEntry& e) {
      ++total;
      if (section != nullptr && section->Find(e.id) != nullptr) {
        ++done;
      } else {
        untranslated += "Untranslated: " + std::string(table->windowName) + " " + std::to_string(e.id) + " " +
                        component + e.path + "\n";
      }
    };
    for (const WindowTableEntry& e : table->windowEntries) visit(".", e);
    for (const WindowTableComponent& c : table->components) {
      for (const WindowTableEntry& e : c.entries) visit(std::string(c.name) + ".", e);
    }
    if (section != nullptr) {
      for (const auto& [entryId, text] : section->values()) {
        bool known = false;
        for (const WindowTableEntry& e : table->windowEntries) known = known || e.id == entryId;
        for (const WindowTableComponent& c : table->components) {
          for (const WindowTableEntry& e : c.entries) known = known || e.id == entryId;
        }
        if (!known) unknown += "Unknown: " + std::string(table->windowName) + " " + std::to_string(entryId) + "\n";
      }
    }
    std::printf("%s: %d of %d translated\n", table->windowName, done, total);
  }
  for (const TLang_CompTranslation& t : file.translations) {
    bool known = false;
    for (const WindowTable* table : {&mainWindowTable(), &settingsDialogTable(), &splashWindowTable(), &archiverWindowTable()}) {
      known = known || QString::fromStdString(t.SectionName()).compare(table->windowName, Qt::CaseInsensitive) == 0;
    }
    if (!known) unknown += "Unknown: section " + t.SectionName() + "\n";
  }
  std::printf("%s", untranslated.empty() ? "Untranslated: none\n" : untranslated.c_str());
  std::printf("%s", unknown.c_str());
  return 0;
}

void printEntries(const TLang_CompEntry& node, const std::string& fullName) {
  for (const TLang_PropEntry& p : node.props) {
    char id[16];
    std::snprintf(id, sizeof id, "%.8d", p.id);
    const std::string prefix = fullName.empty() ? std::string() : fullName + ".";
    std::printf("%s%s=%s,%s\n", prefix.c_str(), p.path.c_str(), id, escapeLangValue(p.value).c_str());
  }
  for (const auto& child : node.children) {
    printEntries(*child, fullName.empty() ? child->name : fullName + "." + child->name);
  }
}

int printTemplate(int argc, char** argv) {
  // The windows are built off screen in an empty publication, exactly as the reader builds them.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  QTemporaryDir folder;
  {
    std::ofstream(QDir(folder.path()).filePath("index.htm").toStdString()) << "<TITLE></TITLE>";
  }
  setMessageAnswerer([](const MessageRequest&) { return false; });
  ProgramWindows windows = createProgramWindows(QDir(folder.path()).filePath("lumora"), {"/NoSplash"});
  std::printf("LANGID=\n\n[$CONSTANTS]\n");
  const TLang_Constants constants = readConstantsResource(builtInConstantsResource());
  for (const TLang_Constant& c : constants.items()) {
    std::printf("%s=%s\n", c.name.c_str(), escapeLangValue(c.value).c_str());
  }
  for (QObject* window : std::initializer_list<QObject*>{windows.Form1.get(), windows.frmConfig.get(),
                                                         windows.frmAbout.get(), windows.Form2.get()}) {
    for (const TLanguageController* controller : window->findChildren<TLanguageController*>(Qt::FindDirectChildrenOnly)) {
      std::printf("\n[%s]\n", controller->EffectiveSectionName().c_str());
      printEntries(controller->root(), "");
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "check") return check(argv[2]);
  if (argc == 2 && std::string(argv[1]) == "template") return printTemplate(argc, argv);
  return usage();
}
