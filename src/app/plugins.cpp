#include "app/plugins.h"

#include <dlfcn.h>

#include <QAction>
#include <QMenu>

#include <cstring>
#include <deque>
#include <filesystem>
#include <string_view>

#include <lumora/plugin.h>

#include "app/icons.h"
#include "core/file_read.h"
#include "core/paths.h"
#include "core/program_values.h"
#include "i18n/language_constants.h"
#include "skin/controls.h"
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
using PluginExecFunction = void (*)(LumoraHost*);

// A module's text, copied at once; a text longer than any caption stops at this many bytes.
constexpr size_t kMaxPluginText = 1024;
std::string pluginText(const char* text) { return text == nullptr ? std::string() : std::string(text, ::strnlen(text, kMaxPluginText)); }

// What a module's host functions reach, for the duration of one PluginExec.
struct HostContext {
  PluginHosts hosts;
  std::string folder;
  std::deque<std::string> captions;  // every text caption() returned, kept until the call ends
};

HostContext& contextOf(void* context) { return *static_cast<HostContext*>(context); }
QString hostText(const char* text) { return QString::fromUtf8(pluginText(text)); }

const char* hostAppFolder(void* context) { return contextOf(context).folder.c_str(); }

void hostShowMessage(void* context, const char* text) {
  skin::showInformationMessage(contextOf(context).hosts.form, hostText(text));
}

int hostOpenPage(void* context, const char* name) {
  HostContext& c = contextOf(context);
  if (name == nullptr || !c.hosts.openPage) return 0;
  return c.hosts.openPage(hostText(name)) ? 1 : 0;
}

const char* hostCaption(void* context) {
  HostContext& c = contextOf(context);
  c.captions.push_back(c.hosts.form->windowTitle().toStdString());
  return c.captions.back().c_str();
}

void hostSetCaption(void* context, const char* text) { contextOf(context).hosts.form->setWindowTitle(hostText(text)); }

// The item or button keeps only the page's name: the module is gone when it is clicked.
template <typename Sender, typename Signal>
void connectPage(Sender* sender, Signal signal, const PluginHosts& hosts, const QString& page) {
  QObject::connect(sender, signal, sender, [open = hosts.openPage, page] {
    if (open) open(page);
  });
}

int hostAddMenuItem(void* context, const char* caption, const char* page) {
  HostContext& c = contextOf(context);
  if (caption == nullptr || page == nullptr) return 0;
  QAction* item = c.hosts.menu->addAction(hostText(caption));
  connectPage(item, &QAction::triggered, c.hosts, hostText(page));
  return 1;
}

int hostAddToolbarButton(void* context, const char* caption, const char* page) {
  HostContext& c = contextOf(context);
  if (caption == nullptr || page == nullptr) return 0;
  auto* button = new skin::TToolButton;
  button->setObjectName("PluginButton" + QString::number(c.hosts.toolbar->findChildren<skin::TToolButton*>().size()));
  button->setCaption(hostText(caption));
  button->setIcon(menuIcon(Plugins));
  c.hosts.toolbar->addButton(button);
  connectPage(button, &QToolButton::clicked, c.hosts, hostText(page));
  return 1;
}

LumoraHost makeHost(HostContext& context, const char* kind) {
  LumoraHost host{};
  host.size = sizeof(LumoraHost);
  host.version = LUMORA_PLUGIN_HOST_VERSION;
  host.kind = kind;
  host.context = &context;
  host.app_folder = hostAppFolder;
  host.show_message = hostShowMessage;
  host.open_page = hostOpenPage;
  if (std::string_view(kind) == "FORM") {
    host.caption = hostCaption;
    host.set_caption = hostSetCaption;
  } else {
    host.add_item = std::string_view(kind) == "MENU" ? hostAddMenuItem : hostAddToolbarButton;
  }
  return host;
}

void reportPluginError(QWidget* parent) {
  skin::showErrorMessage(parent, QString::fromStdString(i18n::ConstantText("PluginError")));
}

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
    const char* caption = pluginName != nullptr ? pluginName() : nullptr;
    if (caption == nullptr) {
      reportPluginError(messageParent);
      continue;
    }
    QAction* item = hosts.menu->addAction(menuIcon(Plugins), QString::fromUtf8(pluginText(caption)));
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
  if (exec == nullptr || type == nullptr) {
    reportPluginError(hosts.form);
    return;
  }
  // The type is asked again for each comparison, as plug-ins expect.
  const auto is = [&](const char* wanted) {
    const char* t = type();
    return t != nullptr && pluginText(t) == wanted;
  };
  HostContext context{hosts, program.AppFolder, {}};
  for (const char* kind : {"FORM", "MENU", "TOOLBAR"}) {
    if (is(kind)) {
      LumoraHost host = makeHost(context, kind);
      exec(&host);
      return;
    }
  }
  if (is("NIL")) exec(nullptr);
}

}  // namespace lumora::app
