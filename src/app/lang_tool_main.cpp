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
#include "core/file_read.h"
#include "i18n/lang_escape.h"
#include "i18n/lang_file.h"
#include "i18n/language_manager.h"
#include "i18n/language_names.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "settings/settings_dialog.h"
#include "skin/message_box.h"

namespace {

using namespace lumora::i18n;

int usage() {
  std::fprintf(stderr, "usage: lumora-lang check FILE.lng\n       lumora-lang template\n");
  return 2;
}

int check(const std::string& path) {
  // As the reader does: only a regular file within the limit (a FIFO would keep the tool waiting).
  std::string problem;
  if (!lumora::core::isRegularFile(path, &problem)) {
    std::fprintf(stderr, "lumora-lang: cannot read %s\n", problem.c_str());
    return 1;
  }
  lumora::i18n::TLang_CompTranslations file;
  try {
    file = lumora::i18n::readLanguageText(lumora::i18n::readLanguageFile(path), false);
  } catch (const ELangError& e) {
    std::printf("Error: %s\n", e.what());
    return 1;
  }
  const int id = file.languageId() & 0xFFFF;
  if (id == 0) {
    std::printf("Error: no LANGID in the header; the reader does not list this file.\n");
    return 1;
  }
  std::printf("File: %s\nLanguage: %d %s\n", path.c_str(), id, lumora::i18n::languageName(id).c_str());

  std::string untranslated;
  std::string unknown;
  const lumora::i18n::TLang_Constants builtIn = lumora::i18n::readConstantsResource(lumora::i18n::builtInConstantsResource());
  int constantsDone = 0;
  for (const lumora::i18n::TLang_Constant& c : builtIn.items()) {
    if (file.constants.find(c.name) != nullptr) ++constantsDone;
    else untranslated += "Untranslated: $CONSTANTS " + c.name + "\n";
  }
  for (const lumora::i18n::TLang_Constant& c : file.constants.items()) {
    if (builtIn.find(c.name) == nullptr) unknown += "Unknown: $CONSTANTS " + c.name + "\n";
  }
  std::printf("Constants: %d of %zu translated\n", constantsDone, builtIn.items().size());

  for (const lumora::i18n::WindowTable* table : {&lumora::i18n::mainWindowTable(), &lumora::i18n::settingsDialogTable(), &lumora::i18n::splashWindowTable(), &lumora::i18n::archiverWindowTable()}) {
    const lumora::i18n::TLang_CompTranslation* section = file.Section(table->windowName);
    int total = 0;
    int done = 0;
    const auto visit = [&](const std::string& component, const lumora::i18n::WindowTableEntry& e) {
      ++total;
      if (section != nullptr && section->find(e.id) != nullptr) {
        ++done;
      } else {
        untranslated += "Untranslated: " + std::string(table->windowName) + " " + std::to_string(e.id) + " " +
                        component + e.path + "\n";
      }
    };
    for (const lumora::i18n::WindowTableEntry& e : table->windowEntries) visit(".", e);
    for (const lumora::i18n::WindowTableComponent& c : table->components) {
      for (const lumora::i18n::WindowTableEntry& e : c.entries) visit(std::string(c.name) + ".", e);
    }
    if (section != nullptr) {
      for (const auto& [entryId, text] : section->values()) {
        bool known = false;
        for (const lumora::i18n::WindowTableEntry& e : table->windowEntries) known = known || e.id == entryId;
        for (const lumora::i18n::WindowTableComponent& c : table->components) {
          for (const lumora::i18n::WindowTableEntry& e : c.entries) known = known || e.id == entryId;
        }
        if (!known) unknown += "Unknown: " + std::string(table->windowName) + " " + std::to_string(entryId) + "\n";
      }
    }
    std::printf("%s: %d of %d translated\n", table->windowName, done, total);
  }
  for (const lumora::i18n::TLang_CompTranslation& t : file.translations) {
    bool known = false;
    for (const lumora::i18n::WindowTable* table : {&lumora::i18n::mainWindowTable(), &lumora::i18n::settingsDialogTable(), &lumora::i18n::splashWindowTable(), &lumora::i18n::archiverWindowTable()}) {
      known = known || QString::fromStdString(t.SectionName()).compare(table->windowName, Qt::CaseInsensitive) == 0;
    }
    if (!known) unknown += "Unknown: section " + t.SectionName() + "\n";
  }
  std::printf("%s", untranslated.empty() ? "Untranslated: none\n" : untranslated.c_str());
  std::printf("%s", unknown.c_str());
  return 0;
}

void printEntries(const lumora::i18n::TLang_CompEntry& node, const std::string& fullName) {
  for (const lumora::i18n::TLang_PropEntry& p : node.props) {
    char id[16];
    std::snprintf(id, sizeof id, "%.8d", p.id);
    const std::string prefix = fullName.empty() ? std::string() : fullName + ".";
    std::printf("%s%s=%s,%s\n", prefix.c_str(), p.path.c_str(), id, lumora::i18n::escapeLangValue(p.value).c_str());
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
  lumora::skin::setMessageAnswerer([](const lumora::skin::MessageRequest&) { return false; });
  lumora::app::ProgramWindows windows = lumora::app::createProgramWindows(QDir(folder.path()).filePath("lumora"), {"/NoSplash"});
  std::printf("LANGID=\n\n[$CONSTANTS]\n");
  const lumora::i18n::TLang_Constants constants = lumora::i18n::readConstantsResource(lumora::i18n::builtInConstantsResource());
  for (const lumora::i18n::TLang_Constant& c : constants.items()) {
    std::printf("%s=%s\n", c.name.c_str(), lumora::i18n::escapeLangValue(c.value).c_str());
  }
  for (QObject* window : std::initializer_list<QObject*>{windows.Form1.get(), windows.frmConfig.get(),
                                                         windows.frmAbout.get(), windows.Form2.get()}) {
    for (const lumora::i18n::TLanguageController* controller : window->findChildren<lumora::i18n::TLanguageController*>(Qt::FindDirectChildrenOnly)) {
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
