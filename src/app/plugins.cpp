#include "app/plugins.h"

#include <dlfcn.h>

#include <QAction>
#include <QMenu>

#include <filesystem>
#include <string_view>

#include "app/icons.h"
#include "core/file_read.h"
#include "core/paths.h"
#include "core/program_values.h"
#include "i18n/language_constants.h"
#include "skin/message_box.h"

namespace lumora::app {

namespace {

// A loaded plug-in library, released when it goes out of scope. Only a regular file is opened: opening a
// FIFO or a device to load it would wait or read without end.
class PluginLibrary {
 public:
  explicit PluginLibrary(const std::string& path)
      : handle_(core::isRegularFile(path) ? ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr) {}
  ~PluginLibrary() {
    if (handle_ != nullptr) ::dlclose(handle_);
  }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;
  bool loaded() const { return handle_ != nullptr; }
  template <typename F>
  F symbol(const char* name) const {
    return reinterpret_cast<F>(::dlsym(handle_, name));
  }

 private:
  void* handle_;
};

using PluginTextFunction = const char* (*)();
using PluginExecFunction = void (*)(void*);

}  // namespace

void discoverPlugins(const std::string& folder, const PluginHosts& hosts, QWidget* messageParent) {
  core::ProgramValues& program = core::programValues();
  program.PluginPaths.clear();
  namespace fs = std::filesystem;
  const fs::path dir = core::resolveCaseInsensitive(folder);
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() < 4 || !core::equalsIgnoreAsciiCase(name.substr(name.size() - 4), ".plu")) continue;
    const std::string path = it->path().string();
    PluginLibrary library(path);
    if (!library.loaded()) continue;
    const auto pluginName = library.symbol<PluginTextFunction>("PluginName");
    if (pluginName == nullptr) {
      skin::showErrorMessage(messageParent, QString::fromStdString(i18n::ConstantText("PluginError")));
      continue;
    }
    const char* caption = pluginName();
    QAction* item = hosts.menu->addAction(menuIcon(Plugins), QString::fromLocal8Bit(caption ? caption : ""));
    const int position = static_cast<int>(program.PluginPaths.size());
    program.PluginPaths.push_back(path);
    QObject::connect(item, &QAction::triggered, hosts.menu, [hosts, position] { runPlugin(position, hosts); });
  }
}

void runPlugin(int position, const PluginHosts& hosts) {
  const core::ProgramValues& program = core::programValues();
  if (position < 0 || position >= static_cast<int>(program.PluginPaths.size())) return;
  PluginLibrary library(program.PluginPaths[position]);
  if (!library.loaded()) return;
  const auto exec = library.symbol<PluginExecFunction>("PluginExec");
  const auto type = library.symbol<PluginTextFunction>("PluginType");
  if (exec == nullptr || type == nullptr) return;
  // The type is asked again for each comparison, as plug-ins expect.
  const auto is = [&](const char* wanted) {
    const char* t = type();
    return t != nullptr && std::string_view(t) == wanted;
  };
  if (is("FORM")) {
    exec(hosts.form);
  } else if (is("MENU")) {
    exec(hosts.menu);
  } else if (is("TOOLBAR")) {
    exec(hosts.toolbar);
  } else if (is("NIL")) {
    exec(nullptr);
  }
}

}  // namespace lumora::app
